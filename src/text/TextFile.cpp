#include "text/TextFile.h"

#include "text/Cp1251.h"
#include "text/Machinery.h"
#include "text/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvarsel {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    forEachLine(text, [&](QStringView line) {
        // A line that is the whole text shares it instead of copying it.
        lines.append(line.size() == text.size() ? text : line.toString());
    });
    return lines;
}

#ifdef Q_OS_UNIX
// The same checks and the opening by the name's own bytes, for a name QFile cannot
// pass to the system (see NativePath.h).
static std::optional<FileError> openEscaped(const QString& path, QFile& file)
{
    const QByteArray native = nativePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        const int err = errno;
        struct stat link;
        if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return FileError{path, err == ELOOP ? QStringLiteral("символические ссылки образуют петлю")
                                                : QStringLiteral("символическая ссылка никуда не ведёт")};
        return FileError{path, err == ENOENT ? QStringLiteral("файл не найден") : reasonForErrno(err)};
    }
    if (S_ISDIR(st.st_mode))
        return FileError{path, QStringLiteral("это каталог, а не файл")};
    if (!S_ISREG(st.st_mode))
        return FileError{path, QStringLiteral("это не обычный файл (канал или устройство)")};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileError{path, reasonForErrno(errno)};
    errno = 0;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileError{path, reasonFor(file, errno)};
    }
    return std::nullopt;
}
#endif

static std::optional<FileError> checkReadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        // A dangling or looping symbolic link exists as a name but not as a file.
        if (info.isSymLink()) {
#ifdef Q_OS_UNIX
            struct stat st;
            if (::stat(QFile::encodeName(path).constData(), &st) != 0 && errno == ELOOP)
                return FileError{path, QStringLiteral("символические ссылки образуют петлю")};
#endif
            return FileError{path, QStringLiteral("символическая ссылка никуда не ведёт")};
        }
        return FileError{path, QStringLiteral("файл не найден")};
    }
    if (info.isDir())
        return FileError{path, QStringLiteral("это каталог, а не файл")};
    if (!info.isFile())
        return FileError{path, QStringLiteral("это не обычный файл (канал или устройство)")};
    return std::nullopt;
}

// Opens a regular file for reading, or says why it cannot be read.
static std::optional<FileError> openForReading(const QString& path, QFile& file)
{
#ifdef Q_OS_UNIX
    if (holdsEscapedBytes(path))
        return openEscaped(path, file);
#endif
    if (auto bad = checkReadable(path))
        return bad;
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

// Reads up to `size` bytes, fewer where the file is shorter than it was.
static qsizetype readUpTo(QFile& file, char* into, qsizetype size)
{
    qsizetype got = 0;
    while (got < size) {
        const qint64 n = file.read(into + got, size - got);
        if (n <= 0)
            break;
        got += qsizetype(n);
    }
    return got;
}

// The rest of readFileBytes, on a file already open.
static std::optional<FileError> readOpenFile(const QString& path, QByteArray& bytes, QFile& file)
{
    errno = 0;
    // Into the buffer the caller has, which a reader of file after file keeps: a
    // fresh buffer of many megabytes costs its page faults again every time. A new
    // one is made to the size, where growing would round it up to a power of two.
    const qsizetype size = qsizetype(qMax<qint64>(file.size(), 0));
    if (bytes.capacity() < size)
        bytes = QByteArray(size, Qt::Uninitialized);
    else
        bytes.resize(size);
    bytes.truncate(readUpTo(file, bytes.data(), size));
    if (file.error() == QFileDevice::NoError && bytes.size() == file.size())
        bytes += file.readAll(); // the file grew while it was read
    if (file.error() != QFileDevice::NoError)
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes, QFile& file)
{
    if (auto bad = openForReading(path, file))
        return bad;
    return readOpenFile(path, bytes, file);
}

void WholeFile::release()
{
    m_bytes = QByteArray();
    if (m_memory)
        ::munmap(m_memory, m_length);
    m_memory = nullptr;
    m_length = 0;
}

std::optional<FileError> WholeFile::read(const QString& path, QFile& file)
{
    release();
    if (auto bad = openForReading(path, file))
        return bad;
    errno = 0;
    const qsizetype size = qsizetype(qMax<qint64>(file.size(), 0));
    constexpr size_t kHugePage = size_t(2) << 20;
#ifndef Q_OS_UNIX
    return readOpenFile(path, m_bytes, file);
#endif
    // Below a huge page there is nothing to gain.
    if (size_t(size) < kHugePage)
        return readOpenFile(path, m_bytes, file);
    // Whole huge pages, aligned to one, with a zero byte after the file's last as
    // a QByteArray of its own would have.
    const size_t length = (size_t(size) + 1 + kHugePage - 1) & ~(kHugePage - 1);
    void* const mapped =
        ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return readOpenFile(path, m_bytes, file);
    char* const start = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(mapped) + kHugePage - 1) &
                                                ~uintptr_t(kHugePage - 1));
    if (const size_t before = size_t(start - static_cast<char*>(mapped)))
        ::munmap(mapped, before);
    if (const size_t after = kHugePage - size_t(start - static_cast<char*>(mapped)))
        ::munmap(start + length, after);
    m_memory = start;
    m_length = length;
#ifdef MADV_HUGEPAGE
    ::madvise(start, length, MADV_HUGEPAGE); // only a hint: ordinary pages work as well
#endif
    const qsizetype got = readUpTo(file, start, size);
    QByteArray more;
    if (file.error() == QFileDevice::NoError && got == size)
        more = file.readAll();
    if (!more.isEmpty()) {
        // The file grew while it was read: the rest joins a copy.
        QByteArray grown(start, got);
        grown += more;
        release();
        m_bytes = std::move(grown);
    } else {
        m_bytes = QByteArray::fromRawData(start, got);
    }
    if (file.error() != QFileDevice::NoError) {
        const FileError failed{path, reasonFor(file, errno)};
        release();
        return failed;
    }
    return std::nullopt;
}

std::optional<FileError> WholeFile::read(const QString& path)
{
    QFile file;
    return read(path, file);
}

std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes)
{
    QFile file;
    return readFileBytes(path, bytes, file);
}

std::optional<FileError> readFilePieces(const QString& path, qsizetype pieceSize,
                                        const std::function<void(QByteArrayView)>& piece)
{
    QFile file;
    if (auto bad = openForReading(path, file))
        return bad;
    errno = 0;
    QByteArray buffer(pieceSize, Qt::Uninitialized);
    for (bool end = false; !end;) {
        // A read may return less than asked: the piece is filled before it is handed over.
        const qsizetype got = readUpTo(file, buffer.data(), pieceSize);
        end = got < pieceSize;
        if (file.error() != QFileDevice::NoError)
            return FileError{path, reasonFor(file, errno)};
        if (got > 0)
            piece(QByteArrayView(buffer.constData(), got));
    }
    return std::nullopt;
}

std::optional<FileError> readScannedText(const QString& path, ScannedText& into)
{
    into.text.clear();
    if (auto bad = readFileBytes(path, into.bytes)) {
        into.bytes.clear();
        into.windows1251 = true;
        return bad;
    }
    const bool windows1251 = readsAsWindows1251(into.bytes);
    if (windows1251 && machinery().byteDictionaryPath) {
        into.windows1251 = true;
        return std::nullopt;
    }
    into.windows1251 = false;
    DecodedText decoded = windows1251
                              ? DecodedText{cp1251::decode(into.bytes), TextEncoding::Windows1251, QString()}
                              : decodeText(into.bytes);
    into.bytes.clear();
    if (!decoded.ok())
        return FileError{path, decoded.error};
    into.text = std::move(decoded.text);
    return std::nullopt;
}

std::optional<FileError> checkFileReadable(const QString& path)
{
    QFile file;
    return openForReading(path, file);
}

static LinesRead linesFrom(const QString& path, const DecodedText& decoded)
{
    LinesRead result;
    result.encoding = decoded.encoding;
    if (!decoded.ok())
        result.error = FileError{path, decoded.error};
    else
        result.lines = splitLines(decoded.text);
    return result;
}

LinesRead readLines(const QString& path)
{
    QByteArray bytes;
    return readLines(path, bytes);
}

LinesRead readLines(const QString& path, QByteArray& bytes)
{
    if (auto bad = readFileBytes(path, bytes)) {
        LinesRead result;
        result.error = bad;
        return result;
    }
    return linesFrom(path, decodeText(bytes));
}

LinesRead readLinesAs(const QString& path, TextEncoding encoding)
{
    QByteArray bytes;
    if (auto bad = readFileBytes(path, bytes)) {
        LinesRead result;
        result.encoding = encoding;
        result.error = bad;
        return result;
    }
    return linesFrom(path, decodeTextAs(bytes, encoding));
}

std::optional<FileError> encodeLineParts(const QString& path, qsizetype count,
                                         const std::function<LineParts(qsizetype)>& partsOf, QByteArray& out,
                                         TextEncoding encoding)
{
    const bool wide = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
    qsizetype total = 3;
    for (qsizetype i = 0; i < count; ++i)
        for (const QStringView part : partsOf(i))
            total += part.size();
    total += 2 * count;
    out.reserve(out.size() + (wide ? 2 * total : total));
    const auto unstorable = [&](QChar c, qsizetype line) {
        const QString reason = c.isSurrogate()
                                   ? QStringLiteral("непарный суррогат (%1) нельзя сохранить в кодировке %2")
                                         .arg(characterCode(c), encodingName(encoding))
                                   : QStringLiteral("символ «%1» (%2) нельзя сохранить в кодировке %3")
                                         .arg(c.isPrint() ? QString(c) : QStringLiteral("?"),
                                              characterCode(c), encodingName(encoding));
        return FileError{path, reason, line + 1};
    };
    if (encoding == TextEncoding::Windows1251) {
        // One byte a character and no mark: the bytes are sized once and written in place.
        const qsizetype start = out.size();
        out.resize(start + total - 3);
        char* d = out.data() + start;
        for (qsizetype i = 0; i < count; ++i) {
            for (const QStringView part : partsOf(i)) {
                if (const qsizetype bad = cp1251::encodeInto(part, d); bad >= 0) {
                    out.truncate(start);
                    return unstorable(part[bad], i);
                }
                d += part.size();
            }
            *d++ = '\r';
            *d++ = '\n';
        }
        return std::nullopt;
    }
    const QByteArrayView mark = byteOrderMark(encoding);
    out.append(mark.data(), mark.size());
    static const QString lineEnd = QStringLiteral("\r\n");
    for (qsizetype i = 0; i < count; ++i) {
        for (const QStringView part : partsOf(i)) {
            qsizetype bad = -1;
            if (!encodeText(part, encoding, out, &bad))
                return unstorable(part[bad], i);
        }
        encodeText(lineEnd, encoding, out);
    }
    return std::nullopt;
}

std::optional<FileError> encodeLines(const QString& path, const QStringList& lines, QByteArray& out,
                                     TextEncoding encoding)
{
    return encodeLineParts(
        path, lines.size(),
        [&lines](qsizetype i) {
            return LineParts{lines[i], {}, {}};
        },
        out, encoding);
}

std::optional<FileError> writeLines(const QString& path, const QStringList& lines, TextEncoding encoding,
                                    const SafeWriteOptions& options)
{
    QByteArray bytes;
    if (auto bad = encodeLines(path, lines, bytes, encoding))
        return bad;
    return writeFileSafely(path, bytes, options);
}

} // namespace kvarsel
