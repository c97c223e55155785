#include "dictionary/SaveUserDic.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

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
    if (QFileInfo::exists(userPath)) {
        QFile previous(userPath);
        if (!previous.open(QIODevice::ReadOnly))
            return FileError{userPath, reasonFor(previous, errno)};
        const QByteArray previousBytes = previous.readAll();
        if (previous.error() != QFileDevice::NoError)
            return FileError{userPath, reasonFor(previous, errno)};
        if (auto failed = writeFileSafely(oldPath, previousBytes))
            return failed;
    }
    return writeFileSafely(userPath, bytes);
}

} // namespace kvarsel
