#include "text/TextFile.h"

#include "text/Cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kvarsel {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    const QChar* d = text.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = d[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && d[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

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

std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes)
{
    if (auto bad = checkReadable(path))
        return bad;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, reasonFor(file, errno)};
    errno = 0;
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

std::optional<FileError> checkFileReadable(const QString& path)
{
    if (auto bad = checkReadable(path))
        return bad;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

QString decodeText(QByteArrayView bytes) { return cp1251::decode(bytes); }

std::optional<FileError> readText(const QString& path, QString& text)
{
    QByteArray bytes;
    if (auto bad = readFileBytes(path, bytes))
        return bad;
    text = decodeText(bytes);
    return std::nullopt;
}

LinesRead readLines(const QString& path)
{
    LinesRead result;
    QString text;
    if (auto bad = readText(path, text))
        result.error = bad;
    else
        result.lines = splitLines(text);
    return result;
}

std::optional<FileError> encodeLines(const QString& path, const QStringList& lines, QByteArray& out)
{
    qsizetype total = 0;
    for (const QString& line : lines)
        total += line.size() + 2;
    out.reserve(out.size() + total);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        qsizetype bad = -1;
        if (!cp1251::encode(lines[i], out, &bad)) {
            const QChar c = lines[i][bad];
            const QString code =
                QStringLiteral("%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
            return FileError{path,
                             QStringLiteral("символ «%1» (U+%2) нельзя сохранить в кодировке Windows-1251")
                                 .arg(c.isPrint() ? QString(c) : QStringLiteral("?"), code),
                             i + 1};
        }
        out.append("\r\n", 2);
    }
    return std::nullopt;
}

static WriteFault& writeFault()
{
    static WriteFault fault;
    return fault;
}

void setWriteFaultForTesting(WriteFault fault) { writeFault() = std::move(fault); }

std::optional<FileError> writeFileSafely(const QString& path, const QByteArray& bytes)
{
    if (const WriteFault& fault = writeFault()) {
        const QString reason = fault(path);
        if (!reason.isEmpty())
            return FileError{path, reason};
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return FileError{path, reasonFor(file, errno)};
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int err = errno;
        file.cancelWriting();
        return FileError{path, reasonFor(file, err)};
    }
    errno = 0;
    if (!file.commit())
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

std::optional<FileError> copyFileSafely(const QString& from, const QString& to)
{
    QByteArray bytes;
    if (auto failed = readFileBytes(from, bytes))
        return failed;
    return writeFileSafely(to, bytes);
}

std::optional<FileError> writeLines(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    if (auto bad = encodeLines(path, lines, bytes))
        return bad;
    return writeFileSafely(path, bytes);
}

} // namespace kvarsel
