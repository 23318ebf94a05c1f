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
//
// How the numbers run (order()) is found once and kept with them until the
// next change, so that a reader may search a sorted column instead of
// scanning it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

enum class ColumnOrder : std::uint8_t {
    Ascending, // each number at least the one before, none NaN (also 0 or 1 numbers)
    Descending, // each number at most the one before, none NaN
    Neither,
};

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
            d_ = std::make_shared<Block>(std::move(values));
        return *this;
    }

    // --- reading ---------------------------------------------------------
    const std::vector<double>& vector() const { return d_ ? d_->values : none(); }
    operator const std::vector<double>&() const { return vector(); }
    std::size_t size() const { return d_ ? d_->values.size() : 0; }
    bool empty() const { return size() == 0; }
    std::size_t capacity() const { return d_ ? d_->values.capacity() : 0; }
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

    // How the numbers run: read through once after each change (and only
    // when asked), then kept with them, for every column sharing them.
    ColumnOrder order() const;

    // --- changing (the column becomes this object's own first) -----------
    std::vector<double>& mutableVector()
    {
        if (!d_)
            d_ = std::make_shared<Block>(std::vector<double>());
        else if (d_.use_count() > 1)
            d_ = std::make_shared<Block>(std::vector<double>(d_->values));
        else
            d_->order.store(Block::kUnknown, std::memory_order_relaxed);
        return d_->values;
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
            d_->values.shrink_to_fit();
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
        std::vector<double> out = d_ && !isShared() ? std::move(d_->values) : vector();
        d_.reset();
        return out;
    }

    void swap(SharedColumn& other) noexcept { d_.swap(other.d_); }
    friend void swap(SharedColumn& a, SharedColumn& b) noexcept { a.swap(b); }

    friend bool operator==(const SharedColumn& a, const SharedColumn& b) { return a.vector() == b.vector(); }
    friend bool operator==(const SharedColumn& a, const std::vector<double>& b) { return a.vector() == b; }

private:
    // The numbers and how they run, shared by the columns that hold them.
    struct Block {
        static constexpr std::uint8_t kUnknown = 0xff;
        explicit Block(std::vector<double> v)
                : values(std::move(v))
        {
        }
        std::vector<double> values;
        mutable std::atomic<std::uint8_t> order{kUnknown};
    };

    static const std::vector<double>& none()
    {
        static const std::vector<double> none;
        return none;
    }

    std::shared_ptr<Block> d_;
};
