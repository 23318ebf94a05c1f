#pragma once

// A column of numbers (the x, y, x-error or y-error values of a buffer) that
// copies share until one of them is changed: the buffers made by one import
// hold one x column between them, and a copy of a buffer costs nothing until
// it is edited.
//
// Reading never copies. Only the operations that change the column make it
// this object's own first (a copy when it is shared); there is no writable
// element access that could copy by surprise: a writer asks for the numbers
// with mutableData() or mutableVector() once, before its loop.

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class SharedColumn {
public:
    using value_type = double;
    using size_type = std::size_t;
    using const_iterator = std::vector<double>::const_iterator;
    using iterator = const_iterator; // reading only; see mutableVector()

    SharedColumn() = default;
    SharedColumn(std::vector<double> values) { *this = std::move(values); }
    SharedColumn(std::initializer_list<double> values)
            : SharedColumn(std::vector<double>(values))
    {
    }
    SharedColumn& operator=(std::initializer_list<double> values)
    {
        return *this = std::vector<double>(values);
    }
    SharedColumn& operator=(std::vector<double> values)
    {
        if (values.empty() && values.capacity() == 0)
            d_.reset();
        else
            d_ = std::make_shared<std::vector<double>>(std::move(values));
        return *this;
    }

    // --- reading ---------------------------------------------------------
    const std::vector<double>& vector() const { return d_ ? *d_ : none(); }
    operator const std::vector<double>&() const { return vector(); }
    std::size_t size() const { return d_ ? d_->size() : 0; }
    bool empty() const { return size() == 0; }
    std::size_t capacity() const { return d_ ? d_->capacity() : 0; }
    const double& operator[](std::size_t i) const { return vector()[i]; }
    const double* data() const { return vector().data(); }
    const_iterator begin() const { return vector().begin(); }
    const_iterator end() const { return vector().end(); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    const double& front() const { return vector().front(); }
    const double& back() const { return vector().back(); }

    // Whether another column holds the same numbers without a copy.
    bool sharesWith(const SharedColumn& other) const { return d_ && d_ == other.d_; }
    bool isShared() const { return d_ && d_.use_count() > 1; }

    // --- changing (the column becomes this object's own first) -----------
    std::vector<double>& mutableVector()
    {
        if (!d_)
            d_ = std::make_shared<std::vector<double>>();
        else if (d_.use_count() > 1)
            d_ = std::make_shared<std::vector<double>>(*d_);
        return *d_;
    }
    double* mutableData() { return mutableVector().data(); }
    void set(std::size_t i, double v) { mutableVector()[i] = v; }
    void push_back(double v) { mutableVector().push_back(v); }
    void pop_back() { mutableVector().pop_back(); }
    void reserve(std::size_t n) { mutableVector().reserve(n); }
    void resize(std::size_t n)
    {
        if (n != size())
            mutableVector().resize(n);
    }
    void resize(std::size_t n, double v)
    {
        if (n != size())
            mutableVector().resize(n, v);
    }
    void clear() { d_.reset(); }
    void shrink_to_fit()
    {
        if (d_ && !isShared())
            d_->shrink_to_fit();
    }
    template <class It> void assign(It first, It last)
    {
        std::vector<double> v(first, last);
        *this = std::move(v);
    }
    void assign(std::size_t n, double v) { *this = std::vector<double>(n, v); }
    // Positions are indexes: iterators of a shared column would point into
    // numbers that are about to be copied.
    void insert(std::size_t at, double v)
    {
        auto& c = mutableVector();
        c.insert(c.begin() + std::ptrdiff_t(at), v);
    }
    void erase(std::size_t at) { erase(at, at + 1); }
    void erase(std::size_t first, std::size_t last)
    {
        auto& c = mutableVector();
        c.erase(c.begin() + std::ptrdiff_t(first), c.begin() + std::ptrdiff_t(last));
    }
    // The numbers, moved out; the column is empty afterwards (a copy when
    // they are shared).
    std::vector<double> take()
    {
        std::vector<double> out = d_ && !isShared() ? std::move(*d_) : vector();
        d_.reset();
        return out;
    }

    void swap(SharedColumn& other) noexcept { d_.swap(other.d_); }
    friend void swap(SharedColumn& a, SharedColumn& b) noexcept { a.swap(b); }

    friend bool operator==(const SharedColumn& a, const SharedColumn& b) { return a.vector() == b.vector(); }
    friend bool operator==(const SharedColumn& a, const std::vector<double>& b) { return a.vector() == b; }

private:
    static const std::vector<double>& none()
    {
        static const std::vector<double> none;
        return none;
    }

    std::shared_ptr<std::vector<double>> d_;
};
