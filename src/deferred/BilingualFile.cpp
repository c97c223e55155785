#include "deferred/BilingualFile.h"

#include "deferred/EscapeSpacing.h"
#include "dictionary/DictionaryFiles.h"
#include "text/CaseFold.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace kvarsel {

void dropUntranslatedPairs(QStringList& entries)
{
    QStringList kept;
    kept.reserve(entries.size());
    qsizetype i = 0;
    for (; i + 1 < entries.size(); i += 2) {
        if (equalsIgnoringCase(entries[i], entries[i + 1]))
            continue;
        kept.append(entries[i]);
        kept.append(entries[i + 1]);
    }
    if (i < entries.size())
        kept.append(entries[i]);
    entries = std::move(kept);
}

BilingualRead readBilingualFile(const QString& path)
{
    BilingualRead result;
    LinesRead read = readLines(path);
    result.encoding = read.encoding;
    if (!read.ok()) {
        result.error = read.error;
        return result;
    }
    for (QString& line : read.lines)
        if (!line.isEmpty())
            result.entries.append(std::move(line));
    // Pairs are compared as the translator wrote them, before the escapes are restored.
    dropUntranslatedPairs(result.entries);
    for (QString& entry : result.entries)
        entry = unspaceEscapes(entry);
    return result;
}

QString bilingualBackupPath(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    QString backup = dot >= 0 ? name.left(dot + 1) + QStringLiteral("old") : name + QStringLiteral(".old");
    if (equalsIgnoringCase(backup, name))
        backup = name + QStringLiteral(".old");
    return fileInDirIgnoringCase(info.absolutePath(), backup);
}

std::optional<FileError> saveBilingualFile(const QString& path, const QStringList& entries,
                                           TextEncoding encoding)
{
    QStringList lines;
    for (const QString& entry : entries)
        if (!entry.isEmpty())
            lines.append(entry);
    // Encode first: a character the encoding cannot hold stops before any file changes.
    QByteArray bytes;
    if (auto bad = encodeLines(path, lines, bytes, encoding))
        return bad;

    const bool exists = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (exists) {
        // A copy, not a rename: the bilingual path never goes missing midway.
        if (auto failed = copyFileSafely(path, bilingualBackupPath(path)))
            return failed;
    }
    if (!lines.isEmpty())
        return writeFileSafely(path, bytes);
    if (exists) {
        QFile file(path);
        errno = 0;
        if (!file.remove())
            return FileError{path, reasonFor(file, errno)};
    }
    return std::nullopt;
}

} // namespace kvarsel
