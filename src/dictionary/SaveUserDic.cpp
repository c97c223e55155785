#include "dictionary/SaveUserDic.h"

#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace kvarsel {

namespace {

QString userDictionaryPath(const QString& workDir)
{
    const QString path = findUserDictionary(workDir);
    return path.isEmpty() ? QDir(workDir).filePath(QStringLiteral("User.dic")) : path;
}

const QString kNotReadWhole =
    QStringLiteral("словарь не был прочитан целиком (%1), поэтому файл не перезаписан");
const QString kChanged = QStringLiteral("файл изменён другой программой после того, как он был прочитан, "
                                        "поэтому он не перезаписан");

// The conflict, given the file as it is now.
UserDicCheck check(const QString& path, const CurrentDictionary::UserFileCopy& now,
                   const CurrentDictionary& dictionary)
{
    if (const auto& unread = dictionary.userFileUnread())
        return {UserDicConflict::NotReadWhole, FileError{path, kNotReadWhole.arg(unread->reason)}};
    const auto& copy = dictionary.userFileCopy();
    // A dictionary that never read the file (no user dictionary in the settings)
    // writes it as before.
    if (!copy)
        return {};
    if (now != *copy)
        return {UserDicConflict::ChangedOnDisk, FileError{path, kChanged}};
    return {};
}

} // namespace

TextEncoding userDictionaryEncoding(const CurrentDictionary& dictionary)
{
    if (const auto& read = dictionary.fileEncoding())
        return *read;
    return encodingForNewFile(dictionary.rows());
}

UserDicCheck checkUserDictionaryFile(const QString& workDir, const CurrentDictionary& dictionary)
{
    const QString userPath = userDictionaryPath(workDir);
    if (dictionary.userFileUnread() || !dictionary.userFileCopy())
        return check(userPath, userFileCopyOf(userPath, nullptr), dictionary);
    CurrentDictionary::UserFileCopy now;
    if (auto failed = readUserFileCopy(userPath, now))
        return {UserDicConflict::NotReadWhole, FileError{userPath, kNotReadWhole.arg(failed->reason)}};
    return check(userPath, now, dictionary);
}

std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary,
                                     UserDicReplace replace)
{
    const QString userPath = userDictionaryPath(workDir);
    const QString oldPath = fileInDirIgnoringCase(workDir, QStringLiteral("User.old"));
    // A dictionary that failed to load is not the user's dictionary.
    if (dictionary.userFileUnread())
        return check(userPath, userFileCopyOf(userPath, nullptr), dictionary).error;

    // Encode first: a character the file's encoding cannot hold stops the save before any file changes.
    const QStringList& rows = dictionary.rows();
    const qsizetype first = qMin<qsizetype>(2, rows.size());
    QByteArray bytes;
    if (auto bad = encodeLineParts(
            userPath, rows.size() - first,
            [&rows, first](qsizetype i) {
                return LineParts{rows[first + i], {}, {}};
            },
            bytes, userDictionaryEncoding(dictionary)))
        return bad;

    // The file as it is now, digested as it is read rather than held: the run
    // already holds its rows, and a second copy of a large file is memory for nothing.
    CurrentDictionary::UserFileCopy now;
    if (auto failed = readUserFileCopy(userPath, now))
        return failed;
    if (now.present) {
        // A User.dic whose bytes break its encoding loaded as nothing; writing over it
        // would leave its entries only in User.old, and the next save would lose them.
        // The file read whole at start and unchanged since decoded then, so only a
        // file this run has not read is decoded here.
        const auto& copy = dictionary.userFileCopy();
        if (!(copy && now == *copy)) {
            QByteArray previous;
            if (auto failed = readFileBytes(userPath, previous))
                return failed;
            if (const DecodedText decoded = decodeText(previous); !decoded.ok())
                return FileError{userPath,
                                 decoded.error +
                                     QStringLiteral("; файл не перезаписан, чтобы не потерять его строки")};
        }
    }
    if (replace == UserDicReplace::WhenUnchanged)
        if (UserDicCheck c = check(userPath, now, dictionary); c.conflict != UserDicConflict::None)
            return c.error;
    // User.dic never goes missing, and User.old becomes the file being replaced: a
    // second name where the file system allows, else a copy of it. A link at
    // User.old is replaced, not written through.
    SafeWriteOptions options;
    options.backup = oldPath;
    if (auto failed = writeFileSafely(userPath, bytes, options))
        return failed;
    dictionary.markSameAsFile(userPath);
    dictionary.setUserFileCopy(userFileCopyOf(userPath, &bytes));
    return std::nullopt;
}

UserDicMerge mergeUserDictionaryFile(const QString& workDir, CurrentDictionary& dictionary)
{
    UserDicMerge merge;
    CurrentDictionary onDisk;
    if (auto failed = LoadUserDictionary(workDir, onDisk)) {
        merge.error = failed;
        return merge;
    }
    QStringList rows = onDisk.rows();
    QSet<QPair<QString, QString>> known;
    for (qsizetype i = 2; i + 1 < rows.size(); i += 2)
        known.insert({rows[i], rows[i + 1]});
    const QStringList& mine = dictionary.rows();
    for (qsizetype i = 2; i + 1 < mine.size(); i += 2) {
        if (known.contains({mine[i], mine[i + 1]}))
            continue;
        known.insert({mine[i], mine[i + 1]});
        // A file that ends on a lone source line keeps it a row of its own, so the
        // added entries still start on a source row.
        if (rows.size() % 2)
            rows.append(QString());
        rows << mine[i] << mine[i + 1];
        ++merge.added;
    }
    dictionary.Assign(std::move(rows));
    dictionary.setFileEncoding(onDisk.fileEncoding());
    dictionary.setUserFileUnread(std::nullopt);
    dictionary.setUserFileCopy(onDisk.userFileCopy());
    return merge;
}

} // namespace kvarsel
