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

CurrentDictionary::UserFileCopy userFileCopyOf(const QString& path, const QByteArray* bytes)
{
    CurrentDictionary::UserFileCopy copy;
    copy.path = QFileInfo(path).absoluteFilePath();
    if (!bytes)
        return copy;
    const QFileInfo info(path);
    copy.present = true;
    copy.size = bytes->size();
    copy.modified = info.lastModified();
    copy.digest = qHashBits(bytes->constData(), size_t(bytes->size()), 0x6b76);
    return copy;
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
