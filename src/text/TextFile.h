#pragma once
// Line files: reading finds the file's encoding (text/Encoding.h) and accepts CR LF,
// LF and a lone CR and a last line without an end; writing puts back the encoding's
// byte-order mark, ends every line with CR LF (in UTF-16 as UTF-16 units) and is atomic.

#include "text/Encoding.h"
#include "text/FileError.h"
#include "text/LineEnds.h"
#include "text/SafeWrite.h"

#include <QByteArray>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace kvarsel {

struct LinesRead {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Windows1251; // the file's, to write it back in
    std::optional<FileError> error; // set when the file could not be read; lines is then empty
    bool ok() const { return !error.has_value(); }
};

// Reads a whole regular file as bytes; a directory, a pipe or a device is refused
// with a reason instead of blocking. The buffer `bytes` already has is reused.
std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes);
// The same, leaving the file open in `file` (to read parts of it again later).
std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes, QFile& file);

// A whole file of megabytes (a program) read at once into memory of its own, asked
// of the system as huge pages where it gives them: read into ordinary memory, every
// 4 KiB costs a page fault, and under a hypervisor those took 18-22 ms of reading a
// 3.7 MiB program, against 2 ms in huge pages. bytes() is a view of that memory,
// valid while this lives and until the next read() or release(); a copy of it is
// a copy of the view, not of the bytes.
class WholeFile {
public:
    WholeFile() = default;
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    ~WholeFile() { release(); }

    // As readFileBytes, the file left open in `file`.
    std::optional<FileError> read(const QString& path, QFile& file);
    std::optional<FileError> read(const QString& path);
    const QByteArray& bytes() const { return m_bytes; }
    void release();

private:
    QByteArray m_bytes;
    void* m_memory = nullptr;
    size_t m_length = 0;
};

// The same, the bytes handed over `pieceSize` at a time (the last piece shorter)
// instead of kept: for a reader that only digests them.
std::optional<FileError> readFilePieces(const QString& path, qsizetype pieceSize,
                                        const std::function<void(QByteArrayView)>& piece);

// A whole file's text for a reader that scans it once and keeps only a few of its
// lines: Windows-1251 stays as the file's bytes (readsAsWindows1251), any other
// encoding is decoded. Read after read, `bytes` keeps its buffer.
struct ScannedText {
    bool windows1251 = true;
    QByteArray bytes; // the text, when windows1251
    QString text;     // the decoded text otherwise
};
std::optional<FileError> readScannedText(const QString& path, ScannedText& into);

// Whether a file could be read: a regular file that opens for reading. Nothing
// is read; for a caller that only has to report an unreadable file.
std::optional<FileError> checkFileReadable(const QString& path);

// Splits decoded text into lines without their ends; empty lines are kept.
QStringList splitLines(const QString& text);

// The same lines as views, one call of `line(QStringView)` each, in order.
template <class LineFn> void forEachLine(QStringView text, LineFn&& line)
{
    const qsizetype n = text.size();
    const char16_t* d = text.utf16();
    LineEnds<char16_t> ends(d, n);
    qsizetype start = 0;
    for (qsizetype i = 0; (i = ends.next(i)) < n; ++i) {
        const char16_t c = d[i];
        line(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < n && d[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        line(text.sliced(start));
}

// Reads a whole file as lines in the encoding its bytes show. Only regular files are
// read: a directory, a pipe or a device is refused with a reason instead of blocking
// or failing midway, and so is a file whose bytes break its encoding (it is never
// half read).
LinesRead readLines(const QString& path);
// The same, leaving the file's bytes in `bytes` for a caller that keeps a fingerprint of them.
LinesRead readLines(const QString& path, QByteArray& bytes);
// The same for a file that has only one encoding.
LinesRead readLinesAs(const QString& path, TextEncoding encoding);

// Encodes lines, the encoding's byte-order mark first, each line followed by CR LF.
// Fails on the first character the encoding cannot hold, naming its 1-based line;
// nothing is replaced by "?".
std::optional<FileError> encodeLines(const QString& path, const QStringList& lines, QByteArray& out,
                                     TextEncoding encoding = TextEncoding::Windows1251);

// The same for lines that come in pieces, line i being the pieces partsOf(i) gives
// one after another: a caller with lines split in memory need not join them first.
using LineParts = std::array<QStringView, 3>;
std::optional<FileError> encodeLineParts(const QString& path, qsizetype count,
                                         const std::function<LineParts(qsizetype)>& partsOf, QByteArray& out,
                                         TextEncoding encoding = TextEncoding::Windows1251);

// encodeLines + writeFileSafely: the old file is untouched on any failure.
std::optional<FileError> writeLines(const QString& path, const QStringList& lines,
                                    TextEncoding encoding = TextEncoding::Windows1251,
                                    const SafeWriteOptions& options = {});

} // namespace kvarsel
