#include "macro/PerlStreams.h"

#include "model/DataBuffer.h"

#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// --- writing -------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(QByteArray& data)
            : data_(data)
    {
    }

    void int32(qint64 value)
    {
        // Nothing we send comes near 2^31 elements; a count that did would
        // be cut to what the stream can say rather than wrap.
        const qint32 v = qint32(std::clamp<qint64>(value, 0, INT_MAX));
        char bytes[4];
        qToLittleEndian(v, bytes);
        data_.append(bytes, 4);
    }
    void number(double value)
    {
        char bytes[8];
        qToLittleEndian(value, bytes);
        data_.append(bytes, 8);
    }
    void text(const QString& value)
    {
        const QByteArray bytes = value.toUtf8();
        int32(bytes.size());
        data_.append(bytes);
    }
    // Room for n more bytes written through raw().
    char* raw(qsizetype n)
    {
        const qsizetype at = data_.size();
        data_.resize(at + n);
        return data_.data() + at;
    }

private:
    QByteArray& data_;
};

void putNumber(char*& p, double value)
{
    qToLittleEndian(value, p);
    p += 8;
}

void appendBuffer(Writer& w, const DataBuffer& b)
{
    const bool errors = b.haserror();
    const qint64 points = std::min<qint64>(b.nop(), INT_MAX);
    const int columns = errors ? 4 : 2;
    w.int32(points);
    w.int32(columns);
    // One block for the points: a million of them are written in one pass.
    char* p = w.raw(points * columns * 8);
    for (int i = 0; i < int(points); ++i) {
        putNumber(p, b.x(i));
        putNumber(p, b.y(i));
        if (errors) {
            putNumber(p, b.xe(i));
            putNumber(p, b.ye(i));
        }
    }
    w.text(b.source);
    w.text(b.comment);
}

// --- reading -----------------------------------------------------------------------------------

class Reader {
public:
    explicit Reader(const QByteArray& data)
            : data_(data)
    {
    }

    qsizetype left() const { return data_.size() - at_; }
    qsizetype offset() const { return at_; }
    bool failed() const { return failed_; }

    qint32 int32()
    {
        if (!need(4))
            return 0;
        const qint32 v = qFromLittleEndian<qint32>(data_.constData() + at_);
        at_ += 4;
        return v;
    }
    double number()
    {
        if (!need(8))
            return 0;
        const double v = qFromLittleEndian<double>(data_.constData() + at_);
        at_ += 8;
        return v;
    }
    QString text(qint32 length)
    {
        if (length <= 0 || !need(length))
            return QString();
        const QString v = QString::fromUtf8(data_.constData() + at_, length);
        at_ += length;
        return v;
    }
    // A length, then that many bytes of text; empty for a length of 0 or less.
    QString text() { return text(int32()); }

    // True when n more bytes are there; otherwise the reading has failed.
    bool need(qint64 n)
    {
        if (failed_ || n > left()) {
            failed_ = true;
            return false;
        }
        return true;
    }

private:
    const QByteArray& data_;
    qsizetype at_ = 0;
    bool failed_ = false;
};

enum class BufferRead { Ok, EndsEarly, UnknownMode };

// Reads one buffer record; its mode goes to mode.
BufferRead readBuffer(Reader& r, PerlResultBuffer& b, qint32& mode)
{
    const qint32 points = r.int32();
    mode = r.int32();
    if (r.failed())
        return BufferRead::EndsEarly;
    // Without the mode the numbers of the points cannot be told apart.
    if (mode < 1 || mode > 4)
        return BufferRead::UnknownMode;
    if (points <= 0)
        return BufferRead::Ok;
    const int count = int(mode);
    // Every point carries its numbers and two text lengths: a count beyond
    // what is left is refused before any room is made for it.
    const qint64 smallest = qint64(count) * 8 + 8;
    if (!r.need(qint64(points) * smallest))
        return BufferRead::EndsEarly;
    b.X.reserve(std::size_t(points));
    b.Y.reserve(std::size_t(points));
    if (count >= 3) {
        b.EX.reserve(std::size_t(points));
        b.EY.reserve(std::size_t(points));
    }
    for (qint32 i = 0; i < points; ++i) {
        switch (count) {
        case 1:
            b.X.push_back(double(i));
            b.Y.push_back(r.number());
            break;
        case 2:
            b.X.push_back(r.number());
            b.Y.push_back(r.number());
            break;
        case 3:
            b.X.push_back(r.number());
            b.Y.push_back(r.number());
            b.EX.push_back(0.0);
            b.EY.push_back(r.number());
            break;
        case 4:
            b.X.push_back(r.number());
            b.Y.push_back(r.number());
            b.EX.push_back(r.number());
            b.EY.push_back(r.number());
            break;
        }
        const QString comment = r.text();
        if (!comment.isEmpty())
            b.comment = comment;
        const QString source = r.text();
        if (!source.isEmpty())
            b.source = source;
        if (r.failed())
            return BufferRead::EndsEarly;
    }
    return BufferRead::Ok;
}

bool readVariables(Reader& r, PerlResult& result)
{
    const qint32 numbers = r.int32();
    // An entry is at least its name length.
    if (numbers > 0 && !r.need(qint64(numbers) * 4))
        return false;
    for (qint32 i = 0; i < numbers && !r.failed(); ++i) {
        const qint32 length = r.int32();
        if (length <= 0)
            continue;
        QString name = r.text(length);
        const double value = r.number();
        if (!r.failed())
            result.numbers.emplace_back(std::move(name), value);
    }
    const qint32 texts = r.int32();
    if (texts > 0 && !r.need(qint64(texts) * 4))
        return false;
    for (qint32 i = 0; i < texts && !r.failed(); ++i) {
        const qint32 length = r.int32();
        if (length <= 0)
            continue;
        QString name = r.text(length);
        const qint32 valueLength = r.int32();
        if (valueLength <= 0)
            continue;
        QString value = r.text(valueLength);
        if (!r.failed())
            result.texts.emplace_back(std::move(name), std::move(value));
    }
    return !r.failed();
}

} // namespace

// --- the input stream ----------------------------------------------------------------------------

QByteArray PerlInputStream::forFilter(const std::vector<const DataBuffer*>& buffers,
                                      const QHash<QString, double>& numbers,
                                      const QHash<QString, QString>& texts)
{
    // The whole stream in one block: a million points are not copied again
    // to make room for what follows them.
    QByteArray variables;
    appendVariables(variables, numbers, texts);
    QByteArray data;
    qint64 size = 4 + variables.size();
    for (const DataBuffer* b : buffers)
        size += 8 + qint64(b->nop()) * (b->haserror() ? 32 : 16) + 8
            + 3 * (b->source.size() + b->comment.size());
    data.reserve(qsizetype(std::min<qint64>(size, INT_MAX)));
    Writer w(data);
    w.int32(qint64(buffers.size()));
    for (const DataBuffer* b : buffers)
        appendBuffer(w, *b);
    data.append(variables);
    return data;
}

QByteArray PerlInputStream::forImport(const QHash<QString, double>& numbers,
                                      const QHash<QString, QString>& texts)
{
    QByteArray data;
    appendVariables(data, numbers, texts);
    return data;
}

void PerlInputStream::appendVariables(QByteArray& data, const QHash<QString, double>& numbers,
                                      const QHash<QString, QString>& texts)
{
    Writer w(data);
    w.int32(numbers.size());
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
        w.text(it.key());
        w.number(it.value());
    }
    w.int32(texts.size());
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        w.text(it.key());
        w.text(it.value());
    }
}

// --- the result stream -----------------------------------------------------------------------------

QString PerlResultStream::Reading::message() const
{
    switch (outcome) {
    case Outcome::Ok:
        return QString();
    case Outcome::EndsEarly:
        return QStringLiteral(
                   "the perl result ends early (%1 bytes, more announced at byte %2); nothing was applied")
            .arg(size)
            .arg(offset);
    case Outcome::TooManyBuffers:
        return QStringLiteral(
                   "the perl result announces %1 new buffers, more than the %2 a result may add; nothing "
                   "was applied")
            .arg(announced)
            .arg(maxBuffers);
    case Outcome::UnknownMode:
        return QStringLiteral(
                   "the perl result gives a new buffer the unknown mode %1 (at byte %2); nothing was "
                   "applied")
            .arg(announced)
            .arg(offset);
    case Outcome::TrailingBytes:
        return QStringLiteral("the perl result has %1 bytes after its end; nothing was applied")
            .arg(size - offset);
    }
    return QString();
}

PerlResultStream::Reading PerlResultStream::read(const QByteArray& data)
{
    Reading reading;
    reading.size = data.size();
    Reader r(data);
    auto stop = [&](Outcome outcome) {
        reading.outcome = outcome;
        reading.offset = r.offset();
        reading.result = PerlResult();
        return reading;
    };

    const qint32 count = r.int32();
    // A buffer record is at least its point count and mode.
    if (count > 0 && !r.need(qint64(count) * 8))
        return stop(Outcome::EndsEarly);
    if (count > maxBuffers) {
        reading.announced = count;
        return stop(Outcome::TooManyBuffers);
    }
    if (count > 0)
        reading.result.buffers.resize(std::size_t(count));
    for (PerlResultBuffer& b : reading.result.buffers) {
        qint32 mode = 0;
        switch (readBuffer(r, b, mode)) {
        case BufferRead::Ok:
            break;
        case BufferRead::EndsEarly:
            return stop(Outcome::EndsEarly);
        case BufferRead::UnknownMode:
            reading.announced = mode;
            return stop(Outcome::UnknownMode);
        }
    }
    if (!readVariables(r, reading.result))
        return stop(Outcome::EndsEarly);
    if (r.left() > 0)
        return stop(Outcome::TrailingBytes);
    reading.offset = r.offset();
    return reading;
}
