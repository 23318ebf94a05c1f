#include "io/BinaryImport.h"

#include "io/BinaryRecordLayout.h"
#include "model/DataBuffer.h"
#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/Questions.h"
#include "model/VexaDocument.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace {

Outcome failed(const QString& message)
{
    return Outcome::failed(message, BinaryImport::alertTitle());
}

// Hands out the numbers of the file one by one, reading it in blocks, and
// never more than `total` bytes. A file that ends early (it shrank after its
// size was taken, or a read failed) ends the stream.
class NumberStream {
public:
    NumberStream(QIODevice& in, const BinaryRecordLayout& layout, qint64 total)
            : in_(in)
            , layout_(layout)
            , n_(layout.numberBytes())
            , remaining_(total)
    {
        block_.resize(std::size_t(n_) * blockNumbers);
    }

    bool next(double& value)
    {
        if (pos_ == filled_ && !refill())
            return false;
        value = layout_.decode(block_.data() + pos_);
        pos_ += std::size_t(n_);
        return true;
    }

private:
    static constexpr std::size_t blockNumbers = 8192;

    bool refill()
    {
        const qint64 want = std::min<qint64>(qint64(block_.size()), remaining_);
        if (want < n_)
            return false;
        qint64 got = 0;
        while (got < want) {
            const qint64 r = in_.read(reinterpret_cast<char*>(block_.data()) + got, want - got);
            if (r <= 0)
                return false;
            got += r;
        }
        remaining_ -= got;
        pos_ = 0;
        filled_ = std::size_t(got);
        return true;
    }

    QIODevice& in_;
    const BinaryRecordLayout& layout_;
    const int n_;
    qint64 remaining_;
    std::vector<unsigned char> block_;
    std::size_t pos_ = 0, filled_ = 0;
};

// The buffers of the file, or false when it could not be read completely.
bool readBuffers(QIODevice& in, const BinaryRecordLayout& layout, qint64 rows,
                 std::vector<std::unique_ptr<DataBuffer>>& out)
{
    const int columns = layout.columns;
    NumberStream numbers(in, layout, rows * layout.recordBytes());
    const std::size_t count = columns == 1 ? 1 : std::size_t(columns - 1);
    out.clear();
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(std::make_unique<DataBuffer>());
        out.back()->X.reserve(std::size_t(rows));
        out.back()->Y.reserve(std::size_t(rows));
    }

    double v = 0;
    if (columns == 1) {
        for (qint64 r = 0; r < rows; ++r) {
            if (!numbers.next(v))
                return false;
            out[0]->addDoubleValue(double(r), v);
        }
        return true;
    }
    if (!layout.byColumns()) {
        for (qint64 r = 0; r < rows; ++r) {
            double x = 0;
            if (!numbers.next(x))
                return false;
            for (int c = 1; c < columns; ++c) {
                if (!numbers.next(v))
                    return false;
                out[std::size_t(c - 1)]->addDoubleValue(x, v);
            }
        }
        return true;
    }
    std::vector<double> xs(std::size_t(rows), 0.0);
    for (double& x : xs)
        if (!numbers.next(x))
            return false;
    for (int c = 1; c < columns; ++c)
        for (double x : xs) {
            if (!numbers.next(v))
                return false;
            out[std::size_t(c - 1)]->addDoubleValue(x, v);
        }
    return true;
}

} // namespace

Outcome BinaryImport::binaryImport(VexaDocument& document, const QString& path, int type, int layoutMode,
                                   bool swap, int columns, const QString& source, const QString& comment,
                                   Questions& questions)
{
    if (columns < 1)
        return failed(QStringLiteral("number ob columns should be at least 1"));
    const BinaryRecordLayout layout(type, layoutMode, swap, columns);
    const qint64 record = layout.recordBytes();

    // A missing file has no size either, and is answered like an empty one.
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : 0;
    if (size < record)
        return failed(QStringLiteral("file is to small"));
    if (size > BinaryRecordLayout::maxFileSize)
        return failed(QStringLiteral("file is too large"));
    if (size % record != 0 && !questions.readWholeRecordsOnly())
        return Outcome::cancelled();
    const qint64 rows = layout.rows(size);

    QFile file(path);
    std::vector<std::unique_ptr<DataBuffer>> made;
    bool complete = false;
    if (file.open(QIODevice::ReadOnly)) {
        try {
            complete = readBuffers(file, layout, rows, made);
        } catch (const std::bad_alloc&) {
            made.clear();
            return failed(QStringLiteral("not enough memory for this file"));
        }
    }
    if (!complete)
        return failed(QStringLiteral("file can not be read"));

    const QString src = source.isEmpty() ? path : source;
    const QString com = comment.isEmpty() ? QStringLiteral("Binary Import") : comment;
    for (auto& b : made) {
        b->setSource(src);
        b->setComment(com);
        document.DB.push_back(std::move(b));
    }

    ManagerServices* M = document.M;
    document.rescale(true, M ? M->axis12() : int(Pair1));
    if (document.PV)
        document.PV->displayNow();
    if (M)
        M->update();
    return Outcome::done();
}
