#pragma once
// The one way this program writes a file: the bytes go into a new temporary file
// in the target's directory, every write, the sync to disk and the close are
// checked, and only then is it renamed over the target and the directory synced.
// On any failure the target is byte for byte what it was and no temporary file
// stays behind; success means the whole file is on disk.

#include "text/FileError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QFile;

namespace kvarsel {

// What a write does with a symbolic link at the target's name.
enum class LinkAtTarget {
    Follow,  // the file the link leads to is replaced and the link kept (the user's own files)
    Replace, // the link itself gives way to a new regular file (backups: never written through)
};

struct SafeWriteOptions {
    LinkAtTarget link = LinkAtTarget::Follow;
    // When set, the write is refused unless the file really (links resolved) lies
    // in this directory or below it.
    QString within;
    // When set, the file being replaced is kept under this name, the backup, before
    // the new content takes its place (a link at the backup's name is replaced, never
    // written through). Where the file system has hard links the old file itself
    // takes the name, so nothing is copied or synced but the directory; elsewhere
    // it is copied. The new content is written and synced first: a failure there
    // leaves both names as they were.
    QString backup;
    // For a file that is not there yet, one of many new files (a program unpacked into
    // a new directory): the file and its directory are not synced one by one, which
    // would cost two disk syncs a file, and the file is made at its own name rather
    // than renamed there. The caller syncs them all at once with syncFileSystemOf()
    // before it reports them written or anything names them.
    bool newFileSyncedLater = false;
    // A check made once the new content is written and synced, before it takes the
    // target's name: a reason it returns fails the write and the target stays as it
    // was. Content read from another file is right only while that file is unchanged.
    std::function<QString()> lastCheck;
    // The permission bits of a file made new, less the umask, as open() takes them (a
    // copy of a program keeps the program's). A file replaced keeps its own.
    int newFileMode = 0666;
};

// A piece of a file's new content: bytes in memory, or `size` bytes from `at` of an
// open file, read only as they are written, so a copy of a large file with a few
// changes is never held in memory whole. The file must stay open until then.
struct ContentPiece {
    QByteArray bytes;
    QFile* from = nullptr;
    qint64 at = 0, size = 0;

    ContentPiece() = default;
    ContentPiece(QByteArray b) : bytes(std::move(b)) {}
    static ContentPiece ofFile(QFile* file, qint64 at, qint64 size)
    {
        ContentPiece piece;
        piece.from = file;
        piece.at = at;
        piece.size = size;
        return piece;
    }
    qint64 length() const { return from ? size : bytes.size(); }
};

// The content of `pieces` in order, handed to `take` in chunks (a file's part read a
// quarter mebibyte at a time). Stops early when `take` returns false. Returns the
// failure when a file's part can no longer be read whole, or nothing.
std::optional<FileError> readPieces(const QList<ContentPiece>& pieces,
                                    const std::function<bool(QByteArrayView)>& take);

// The options of a backup or a file beside the user's: a link at its name gives way.
inline SafeWriteOptions replacingLink()
{
    SafeWriteOptions options;
    options.link = LinkAtTarget::Replace;
    return options;
}

// Writes `bytes` as the whole new content of `path`. Returns the failure, or nothing.
std::optional<FileError> writeFileSafely(const QString& path, const QByteArray& bytes,
                                         const SafeWriteOptions& options = {});
// The same with the content given as pieces, written one after another (a large
// file made of views of others and parts of other files is never joined in memory).
std::optional<FileError> writeFileSafely(const QString& path, const QList<ContentPiece>& pieces,
                                         const SafeWriteOptions& options = {});

// A new file written a part at a time, for content made as it goes that is too
// large to hold whole. It is one of many new files, as with newFileSyncedLater:
// made at its own name where no file is (never through a link) with the first
// part, and synced by the caller with syncFileSystemOf() before anything names
// it. A failure, or a writer ended before finish(), takes the file away again.
class NewFileWriter {
public:
    explicit NewFileWriter(QString path);
    ~NewFileWriter();
    NewFileWriter(const NewFileWriter&) = delete;
    NewFileWriter& operator=(const NewFileWriter&) = delete;

    std::optional<FileError> append(QByteArrayView bytes);
    // Everything appended so far, for content whose form changed after parts of it
    // were written; replace() then writes the whole anew.
    std::optional<FileError> readBack(QByteArray& bytes);
    std::optional<FileError> replace(QByteArrayView bytes);
    std::optional<FileError> finish();

private:
    QString m_path;
#ifdef Q_OS_UNIX
    qint64 m_size = 0;
    bool m_failed = false;
    int m_fd = -1;
#else
    QByteArray m_bytes; // written at finish() by writeFileSafely, which syncs it
#endif
};

// Syncs the file system that holds `dir` (every file written there with
// newFileSyncedLater or NewFileWriter). Returns the failure, or nothing.
std::optional<FileError> syncFileSystemOf(const QString& dir);

// Makes `to` a copy of `from`: the backup step of the savers that keep one, done as
// a copy so the original never goes missing midway. `to` is always a new regular
// file; a link at its name is replaced, never written through.
std::optional<FileError> copyFileSafely(const QString& from, const QString& to);

// The real path of `path`, every link resolved; for a file not there yet, where it
// would be created. Empty when its directory cannot be resolved.
QString realFilePath(const QString& path);

// Whether `path` really lies in `dir` or below it once every link in either is
// resolved. A missing `path` counts by its directory, so a file about to be
// created is judged by where it would be created.
bool liesWithin(const QString& path, const QString& dir);

// Tests stand in for a failing disk above the system calls: while set, every safe
// write asks the hook first and fails with the reason it returns (an empty reason
// lets the write go on).
using WriteFault = std::function<QString(const QString& path)>;
void setWriteFaultForTesting(WriteFault fault);

} // namespace kvarsel
