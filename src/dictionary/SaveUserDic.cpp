#include "dictionary/SaveUserDic.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary)
{
    QString userPath = findUserDictionary(workDir);
    if (userPath.isEmpty())
        userPath = QDir(workDir).filePath(QStringLiteral("User.dic"));
    const QString oldPath = fileInDirIgnoringCase(workDir, QStringLiteral("User.old"));

    // Encode first: a character the code page cannot hold stops the save before any file changes.
    QByteArray bytes;
    if (auto bad = encodeLines(userPath, dictionary.rows().mid(qMin<qsizetype>(2, dictionary.RowCount())), bytes))
        return bad;

    // The backup is a copy written atomically, not a rename: User.dic never goes missing.
    if (QFileInfo::exists(userPath))
        if (auto failed = copyFileSafely(userPath, oldPath))
            return failed;
    if (auto failed = writeFileSafely(userPath, bytes))
        return failed;
    dictionary.markSameAsFile(userPath);
    return std::nullopt;
}

} // namespace kvarsel
