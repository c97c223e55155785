#include "dictionary/DictionaryFiles.h"

#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

std::optional<FileError> LoadDictionary(const QString& path, CurrentDictionary& dictionary)
{
    QStringList rows{QString(), QString()};
    LinesRead read = readLines(path);
    rows.reserve(2 + read.lines.size());
    for (QString& line : read.lines)
        if (!line.isEmpty())
            rows.append(std::move(line));
    dictionary.Assign(std::move(rows));
    dictionary.setFileEncoding(read.encoding);
    return read.error;
}

std::optional<FileError> LoadUserDictionary(const QString& workDir, CurrentDictionary& dictionary)
{
    QStringList rows{QString(), QString()};
    const QString path = findUserDictionary(workDir);
    std::optional<FileError> error;
    std::optional<TextEncoding> encoding;
    QByteArray bytes;
    if (!path.isEmpty()) {
        LinesRead read = readLines(path, bytes);
        error = read.error;
        encoding = read.encoding;
        rows.append(std::move(read.lines));
    }
    dictionary.Assign(std::move(rows));
    dictionary.setFileEncoding(encoding);
    // A file that could not be read whole is not what the rows hold: it may not be
    // saved over until it has been read (see SaveUserDic).
    dictionary.setUserFileUnread(error);
    if (error)
        dictionary.setUserFileCopy(std::nullopt);
    else if (path.isEmpty())
        dictionary.setUserFileCopy(
            userFileCopyOf(QDir(workDir).filePath(QStringLiteral("User.dic")), nullptr));
    else
        dictionary.setUserFileCopy(userFileCopyOf(path, &bytes));
    if (!error && !path.isEmpty())
        dictionary.markSameAsFile(path);
    return error;
}

namespace {
// A file's digest is chained over pieces of a megabyte, so it can be taken while
// the file is read as well as from its bytes in memory.
constexpr qsizetype kDigestPiece = 1 << 20;
constexpr size_t kDigestSeed = 0x6b76;
size_t digestPiece(size_t digest, QByteArrayView piece)
{
    return qHashBits(piece.data(), size_t(piece.size()), digest);
}

// A file that is there, before its bytes are digested.
CurrentDictionary::UserFileCopy presentFile(const QString& path)
{
    const QFileInfo info(path);
    CurrentDictionary::UserFileCopy copy;
    copy.path = info.absoluteFilePath();
    copy.present = true;
    copy.size = 0;
    copy.modified = info.lastModified();
    copy.digest = kDigestSeed;
    return copy;
}

} // namespace

CurrentDictionary::UserFileCopy userFileCopyOf(const QString& path, const QByteArray* bytes)
{
    if (!bytes) {
        CurrentDictionary::UserFileCopy copy;
        copy.path = QFileInfo(path).absoluteFilePath();
        return copy;
    }
    CurrentDictionary::UserFileCopy copy = presentFile(path);
    copy.size = bytes->size();
    for (qsizetype at = 0; at < bytes->size(); at += kDigestPiece)
        copy.digest = digestPiece(copy.digest,
                                  QByteArrayView(*bytes).sliced(at, qMin(kDigestPiece, bytes->size() - at)));
    return copy;
}

std::optional<FileError> readUserFileCopy(const QString& path, CurrentDictionary::UserFileCopy& copy)
{
    if (!QFileInfo::exists(path)) {
        copy = userFileCopyOf(path, nullptr);
        return std::nullopt;
    }
    copy = presentFile(path);
    return readFilePieces(path, kDigestPiece, [&copy](QByteArrayView piece) {
        copy.size += piece.size();
        copy.digest = digestPiece(copy.digest, piece);
    });
}

QString fileInDirIgnoringCase(const QString& dir, const QString& name)
{
    const QDir d(dir);
    if (QFileInfo::exists(d.filePath(name)))
        return d.filePath(name);
    const QStringList entries =
        d.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(entry);
    return d.filePath(name);
}

bool isUserDictionaryFile(const QString& pathOrName)
{
    return QFileInfo(pathOrName).fileName().compare(QStringLiteral("User.dic"), Qt::CaseInsensitive) == 0;
}

QString findUserDictionary(const QString& workDir)
{
    const QString path = fileInDirIgnoringCase(workDir, QStringLiteral("User.dic"));
    return QFileInfo::exists(path) ? path : QString();
}

QString withSignBlank(qsizetype n) { return QStringLiteral(" %1").arg(n); }

QString dictionaryStatusText(qsizetype index, qsizetype count, bool userDictionaryFirst)
{
    if (index == 0 && userDictionaryFirst)
        return dictionary_texts::kUserDictionary;
    return QStringLiteral("Словарь №") + withSignBlank(index + 1) + QStringLiteral(" из ") +
           withSignBlank(count) + QStringLiteral(" используемых");
}

} // namespace kvarsel
