#include "io/AsciiTextFile.h"

#include "platform/ParallelRanges.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

bool isValidUtf8(const unsigned char* s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        while (n - i >= 8) {
            std::uint64_t w;
            std::memcpy(&w, s + i, 8);
            if (w & 0x8080808080808080ull)
                break;
            i += 8;
        }
        if (i == n)
            break;
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned char lo = 0x80, hi = 0xBF; // range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // no overlong forms
            else if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F; // nothing beyond U+10FFFF
        } else {
            return false;
        }
        if (n - i < len || s[i + 1] < lo || s[i + 1] > hi)
            return false;
        for (size_t k = 2; k < len; ++k)
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

// Where the last whole line of p[0, n) ends: after its last line feed, or,
// in text without line feeds, after a CR that no line feed follows. 0 when
// there is neither.
size_t lineBoundary(const char* p, size_t n)
{
    if (n == 0)
        return 0;
    if (const void* lf = memrchr(p, '\n', n))
        return size_t(static_cast<const char*>(lf) - p) + 1;
    if (const void* cr = memrchr(p, '\r', n - 1)) // its successor must be seen
        return size_t(static_cast<const char*>(cr) - p) + 1;
    return 0;
}

// Reads of many bytes go in blocks of this size, which threads share.
constexpr size_t kBlock = size_t(512) << 10;

// The bytes of blocks read from one offset on, up to the first that came
// short: the file ended there.
size_t wholeBlocks(const std::vector<size_t>& gotten, size_t n)
{
    size_t got = 0;
    for (size_t b = 0; b < gotten.size(); ++b) {
        got += gotten[b];
        if (gotten[b] < std::min(kBlock, n - b * kBlock))
            break;
    }
    return got;
}

} // namespace

AsciiTextFile::~AsciiTextFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool AsciiTextFile::readAt(size_t offset, char* to, size_t n, size_t& got)
{
    // Copying from the page cache is work of its own: a large read goes in
    // blocks on several threads. Each block is read whole unless the file
    // ends in it; what follows a short block is not text.
    const size_t blocks = (n + kBlock - 1) / kBlock;
    if (ParallelRanges::threadsFor(blocks, 2) <= 1)
        return readSpan(offset, to, n, got);
    std::vector<size_t> gotten(blocks, 0);
    std::atomic<bool> failed{false};
    ParallelRanges::run(blocks, 2, [&](size_t first, size_t last) {
        for (size_t b = first; b < last && !failed; ++b) {
            const size_t at = b * kBlock;
            if (!readSpan(offset + at, to + at, std::min(kBlock, n - at), gotten[b]))
                failed = true;
        }
    });
    if (failed)
        return false;
    got = wholeBlocks(gotten, n);
    return true;
}

bool AsciiTextFile::readSpan(size_t offset, char* to, size_t n, size_t& got)
{
    got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd_, to + got, n - got, off_t(begin_ + offset + got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            break; // shrank while we read: take what is there
        got += size_t(r);
    }
    return true;
}

Outcome AsciiTextFile::open(const QString& path)
{
    const QString quoted = QLatin1Char('"') + path + QLatin1Char('"');
    const Outcome unreadable = Outcome::failed(QStringLiteral("The file %1 can not be read").arg(quoted));
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return Outcome::empty(QStringLiteral("There is no file %1").arg(quoted));
    if (!info.isFile())
        return unreadable;
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return unreadable;
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)
        return unreadable;
    const size_t fileSize = size_t(st.st_size);

    unsigned char head[3] = {0, 0, 0};
    size_t got = 0;
    if (!readAt(0, reinterpret_cast<char*>(head), std::min<size_t>(3, fileSize), got))
        return unreadable;
    const bool le = got >= 2 && head[0] == 0xFF && head[1] == 0xFE;
    const bool be = got >= 2 && head[0] == 0xFE && head[1] == 0xFF;
    if (le || be) {
        // UTF-16 is decoded whole; such files are rare and small.
        try {
            std::string raw(fileSize, '\0');
            if (!readAt(0, raw.data(), fileSize, got))
                return unreadable;
            raw.resize(got);
            QStringDecoder decode(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            const QByteArray utf8
                = QString(decode(QByteArrayView(raw.data() + 2, qsizetype(raw.size() - 2)))).toUtf8();
            decoded_.assign(utf8.constData(), size_t(utf8.size()));
        } catch (const std::bad_alloc&) {
            return Outcome::failed(QStringLiteral("The file %1 is too large to import").arg(quoted));
        }
        size_t n = decoded_.size();
        while (n > 0 && decoded_[n - 1] == '\0')
            --n;
        openText(std::string_view(decoded_.data(), n));
        return Outcome::done();
    }
    begin_ = (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) ? 3 : 0;

    // The text ends at its last byte that is no NUL.
    size_t end = fileSize;
    char tail[65536];
    while (end > begin_) {
        const size_t n = std::min(sizeof tail, end - begin_);
        if (!readAt(end - n - begin_, tail, n, got))
            return unreadable;
        if (got < n) { // shrank: look again at what is left
            end = begin_ + (end - n - begin_) + got;
            continue;
        }
        size_t k = n;
        while (k > 0 && tail[k - 1] == '\0')
            --k;
        end -= n - k;
        if (k > 0)
            break;
    }
    size_ = end - begin_;
    return Outcome::done();
}

void AsciiTextFile::openText(std::string_view text)
{
    memory_ = text;
    size_ = text.size();
    inMemory_ = true;
}

bool AsciiTextFile::next(std::string_view& piece)
{
    if (inMemory_) {
        const size_t at = consumed_;
        if (at >= size_)
            return false;
        size_t cut = size_;
        if (size_ - at > pieceBytes) {
            cut = at + lineBoundary(memory_.data() + at, pieceBytes);
            if (cut == at) { // a longer line: up to its end
                const size_t lf = memory_.find_first_of("\n\r", at + pieceBytes);
                cut = lf == std::string_view::npos ? size_ : lf + 1;
            }
        }
        piece = memory_.substr(at, cut - at);
        pieceStart_ = at;
        consumed_ = cut;
        return true;
    }

    bool read = false; // the bytes of this round of the loop are in already
    if (ahead_.pending) {
        // The blocks read ahead follow the leftover in the other buffer.
        ahead_.pending = false;
        std::swap(buffer_, spare_);
        std::swap(capacity_, spareCapacity_);
        handed_ = 0;
        pieceStart_ = consumed_ - held_;
        for (const unsigned char f : ahead_.failed) {
            if (f) {
                failed_ = true;
                return false;
            }
        }
        took(ahead_.wanted, wholeBlocks(ahead_.got, ahead_.wanted));
        read = true;
    } else {
        // What the last piece left over (the start of a line) moves to the
        // front.
        if (handed_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + handed_, held_);
            handed_ = 0;
        }
        pieceStart_ = consumed_ - held_;
    }
    for (;;) {
        if (!read) {
            try {
                // A small file gets a buffer of its size, not a piece's.
                if (capacity_ == 0) {
                    const size_t first = std::max<size_t>(1, std::min(pieceBytes, size_ - consumed_));
                    buffer_ = HugePages::makeArray<char>(first);
                    capacity_ = first;
                } else if (held_ == capacity_) {
                    // A line longer than the buffer: twice the room, but no
                    // more than the rest of the text needs.
                    const size_t larger
                        = std::min(2 * capacity_, std::max(capacity_ + 1, held_ + (size_ - consumed_)));
                    auto bigger = HugePages::makeArray<char>(larger);
                    std::memcpy(bigger.get(), buffer_.get(), held_);
                    buffer_ = std::move(bigger);
                    capacity_ = larger;
                }
            } catch (const std::bad_alloc&) {
                failed_ = true;
                return false;
            }
            const size_t want = std::min(size_ - consumed_, capacity_ - held_);
            size_t got = 0;
            if (want > 0 && !readAt(consumed_, buffer_.get() + held_, want, got)) {
                failed_ = true;
                return false;
            }
            took(want, got);
        }
        read = false;
        if (consumed_ >= size_) {
            if (held_ == 0)
                return false;
            piece = std::string_view(buffer_.get(), held_);
            handed_ = held_;
            held_ = 0;
            return true;
        }
        const size_t cut = lineBoundary(buffer_.get(), held_);
        if (cut > 0) {
            piece = std::string_view(buffer_.get(), cut);
            handed_ = cut;
            held_ -= cut;
            return true;
        }
        // One line fills the buffer: make room for more of it.
    }
}

void AsciiTextFile::took(size_t wanted, size_t got)
{
    if (got < wanted) // shrank while we read
        size_ = consumed_ + got;
    held_ += got;
    consumed_ += got;
}

size_t AsciiTextFile::startReadAhead()
{
    if (inMemory_ || ahead_.pending || consumed_ >= size_ || held_ >= capacity_)
        return 0;
    if (spareCapacity_ < capacity_) {
        try {
            spare_ = HugePages::makeArray<char>(capacity_);
        } catch (const std::bad_alloc&) {
            spare_.reset();
            spareCapacity_ = 0;
            return 0;
        }
        spareCapacity_ = capacity_;
    }
    std::memcpy(spare_.get(), buffer_.get() + handed_, held_);
    ahead_.wanted = std::min(size_ - consumed_, spareCapacity_ - held_);
    const size_t blocks = (ahead_.wanted + kBlock - 1) / kBlock;
    ahead_.got.assign(blocks, 0);
    ahead_.failed.assign(blocks, 0);
    ahead_.pending = true;
    return blocks;
}

void AsciiTextFile::readAhead(size_t block)
{
    const size_t at = block * kBlock;
    if (!readSpan(consumed_ + at, spare_.get() + held_ + at, std::min(kBlock, ahead_.wanted - at),
                  ahead_.got[block]))
        ahead_.failed[block] = 1;
}

bool AsciiTextFile::utf8()
{
    if (utf8_ >= 0)
        return utf8_ == 1;
    if (inMemory_) {
        utf8_ = isValidUtf8(reinterpret_cast<const unsigned char*>(memory_.data()), memory_.size());
        return utf8_ == 1;
    }
    // In blocks; a character cut by the end of a block is read with the next.
    std::vector<char> block(std::max<size_t>(4, std::min(std::size_t(1) << 20, size_)));
    size_t at = 0, carry = 0;
    bool valid = true;
    while (valid && at < size_) {
        size_t got = 0;
        const size_t want = std::min(block.size() - carry, size_ - at);
        if (!readAt(at, block.data() + carry, want, got) || got == 0)
            break;
        at += got;
        size_t n = carry + got;
        size_t whole = n;
        if (at < size_) {
            // Back up over an unfinished character at the end.
            size_t k = n;
            while (k > 0 && n - k < 3 && (static_cast<unsigned char>(block[k - 1]) & 0xC0) == 0x80)
                --k;
            if (k > 0 && static_cast<unsigned char>(block[k - 1]) >= 0xC0)
                whole = k - 1;
        }
        valid = isValidUtf8(reinterpret_cast<const unsigned char*>(block.data()), whole);
        carry = n - whole;
        std::memmove(block.data(), block.data() + whole, carry);
    }
    if (valid && carry > 0)
        valid = isValidUtf8(reinterpret_cast<const unsigned char*>(block.data()), carry);
    utf8_ = valid;
    return valid;
}
