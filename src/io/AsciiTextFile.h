#pragma once

// The text of a file to import, read a piece of whole lines at a time: only
// the piece being parsed is in memory, never a copy of the whole file. A
// byte-order mark goes (UTF-16 text is turned into UTF-8 first, and that text
// is then held whole); a run of NUL bytes at the end, which is what a logger
// leaves behind when the machine stopped, is not part of the text.

#include "platform/HugePages.h"
#include "platform/Outcome.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class AsciiTextFile {
public:
    AsciiTextFile() = default;
    ~AsciiTextFile();
    AsciiTextFile(const AsciiTextFile&) = delete;
    AsciiTextFile& operator=(const AsciiTextFile&) = delete;

    // Empty, "There is no file \"path\"": no path, nothing there, or a
    // directory. Failed, "The file \"path\" can not be read": a pipe or
    // device (which could block or never end), or no permission; or "... is
    // too large to import".
    Outcome open(const QString& path);
    // The same over text already in memory (kept by reference).
    void openText(std::string_view text);

    // The next piece: whole lines, ending after a line feed (or a lone CR
    // where the text has no line feeds), or the rest of the text at its end.
    // False at the end of the text; `failed` tells a read error from it.
    bool next(std::string_view& piece);
    bool failed() const { return failed_; }

    // Bytes of text, and where the last piece began.
    std::size_t size() const { return size_; }
    std::size_t pieceStart() const { return pieceStart_; }

    // Reading ahead, on the caller's threads: while the caller works on the
    // piece next() handed out, the text after it goes into a second buffer.
    // startReadAhead() returns in how many blocks; each is read by one call
    // of readAhead(block), from any thread, every one of them before next()
    // is called again, which then hands out what they read (and reads what
    // is still missing itself). 0: nothing to read ahead (the end of the
    // text, text in memory, no memory for a second buffer); next() reads as
    // it always does. The piece handed out stays as it is meanwhile.
    std::size_t startReadAhead();
    void readAhead(std::size_t block);

    // Whether the whole text is valid UTF-8 (else it is read as Latin-1).
    // Found out on the first call, by a read of the text of its own.
    bool utf8();

    // Pieces are about this long unless a line is longer.
    static constexpr std::size_t pieceBytes = std::size_t(4) << 20;

private:
    // Reads n bytes of text from offset on: a large read in blocks on
    // several threads. got < n when the file ends first.
    bool readAt(std::size_t offset, char* to, std::size_t n, std::size_t& got);
    bool readSpan(std::size_t offset, char* to, std::size_t n, std::size_t& got);
    // got bytes were read after the held_ ones, of `wanted`.
    void took(std::size_t wanted, std::size_t got);

    int fd_ = -1;
    std::size_t begin_ = 0; // file offset of the text (after a mark)
    std::size_t size_ = 0;
    std::string decoded_; // UTF-16 files, turned into UTF-8
    std::string_view memory_;
    bool inMemory_ = false;

    // Not zeroed first: every byte handed out was read into it.
    HugePages::Array<char> buffer_;
    std::size_t capacity_ = 0;
    std::size_t handed_ = 0; // bytes at the front of buffer_ handed out as the last piece
    std::size_t held_ = 0; // bytes after them, not handed out yet
    std::size_t consumed_ = 0; // text offset just past what buffer_ holds
    std::size_t pieceStart_ = 0;
    bool failed_ = false;

    // The buffer the next piece is read ahead into; it holds what the last
    // piece left over, then the blocks from consumed_ on.
    HugePages::Array<char> spare_;
    std::size_t spareCapacity_ = 0;
    struct Ahead {
        bool pending = false;
        std::size_t wanted = 0; // bytes to read after the leftover
        std::vector<std::size_t> got; // per block
        std::vector<unsigned char> failed; // per block
    } ahead_;
    int utf8_ = -1;
};
