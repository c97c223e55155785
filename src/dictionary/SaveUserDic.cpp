#include "dictionary/SaveUserDic.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

TextEncoding userDictionaryEncoding(const CurrentDictionary& dictionary)
{
    if (const auto& read = dictionary.fileEncoding())
        return *read;
    return encodingForNewFile(dictionary.rows());
}

std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary)
{
    QString userPath = findUserDictionary(workDir);
    if (userPath.isEmpty())
        userPath = QDir(workDir).filePath(QStringLiteral("User.dic"));
    const QString oldPath = fileInDirIgnoringCase(workDir, QStringLiteral("User.old"));

    // Encode first: a character the file's encoding cannot hold stops the save before any file changes.
    const QStringList rows = dictionary.rows().mid(qMin<qsizetype>(2, dictionary.RowCount()));
    QByteArray bytes;
    if (auto bad = encodeLines(userPath, rows, bytes, userDictionaryEncoding(dictionary)))
        return bad;

    // The backup is a copy written atomically, not a rename: User.dic never goes missing.
    if (QFileInfo::exists(userPath)) {
        QByteArray previous;
        if (auto failed = readFileBytes(userPath, previous))
            return failed;
        // A User.dic whose bytes break its encoding loaded as nothing; writing over it
        // would leave its entries only in User.old, and the next save would lose them.
        const DecodedText decoded = decodeText(previous);
        if (!decoded.ok())
            return FileError{userPath, decoded.error +
                                           QStringLiteral("; файл не перезаписан, чтобы не потерять его строки")};
        // The backup is always a new file: a link at User.old is replaced, not written through.
        if (auto failed = writeFileSafely(oldPath, previous, SafeWriteOptions{LinkAtTarget::Replace, {}}))
            return failed;
    }
    if (auto failed = writeFileSafely(userPath, bytes))
        return failed;
    dictionary.markSameAsFile(userPath);
    return std::nullopt;
}

} // namespace kvarsel
