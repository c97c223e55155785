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
    if (!path.isEmpty()) {
        LinesRead read = readLines(path);
        error = read.error;
        encoding = read.encoding;
        rows.append(std::move(read.lines));
    }
    dictionary.Assign(std::move(rows));
    dictionary.setFileEncoding(encoding);
    if (!error && !path.isEmpty())
        dictionary.markSameAsFile(path);
    return error;
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
