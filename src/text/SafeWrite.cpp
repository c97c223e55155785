#include "text/SafeWrite.h"

#include "text/NativePath.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef Q_OS_UNIX
#include <QMutex>
#include <QSet>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace kvarsel {

static WriteFault& writeFault()
{
    static WriteFault fault;
    return fault;
}

void setWriteFaultForTesting(WriteFault fault) { writeFault() = std::move(fault); }

namespace {

constexpr qint64 kChunk = 256 * 1024;

// Up to `size` bytes at `at` of `file` into `into`: how many, 0 at the end, -1 on failure.
qint64 readAt(QFile* file, qint64 at, char* into, qint64 size)
{
#ifdef Q_OS_UNIX
    for (;;) {
        const ssize_t n = ::pread(file->handle(), into, size_t(size), off_t(at));
        if (n >= 0 || errno != EINTR)
            return n;
    }
#else
    return file->seek(at) ? file->read(into, size) : -1;
#endif
}

FileError shrunk(const QFile* file)
{
    return FileError{file->fileName(), QStringLiteral("файл изменился, пока из него переписывались данные")};
}

// A file's part of the content, a chunk at a time.
std::optional<FileError> readFilePiece(const ContentPiece& piece,
                                       const std::function<bool(QByteArrayView)>& take)
{
    QByteArray buffer(qsizetype(std::min(piece.size, kChunk)), Qt::Uninitialized);
    for (qint64 done = 0; done < piece.size;) {
        const qint64 n =
            readAt(piece.from, piece.at + done, buffer.data(), std::min(piece.size - done, kChunk));
        if (n < 0)
            return FileError{piece.from->fileName(), reasonForErrno(errno)};
        if (n == 0)
            return shrunk(piece.from);
        if (!take(QByteArrayView(buffer.constData(), n)))
            return std::nullopt;
        done += n;
    }
    return std::nullopt;
}

} // namespace

std::optional<FileError> readPieces(const QList<ContentPiece>& pieces,
                                    const std::function<bool(QByteArrayView)>& take)
{
    bool going = true;
    const auto taking = [&](QByteArrayView chunk) { return going = take(chunk); };
    for (const ContentPiece& piece : pieces) {
        if (piece.from) {
            if (std::optional<FileError> failed = readFilePiece(piece, taking))
                return failed;
        } else if (!piece.bytes.isEmpty()) {
            taking(piece.bytes);
        }
        if (!going)
            break;
    }
    return std::nullopt;
}

#ifdef Q_OS_UNIX

namespace {

QString fromNative(const QByteArray& path) { return pathFromNative(path); }

QByteArray toNative(const QString& path)
{
    return nativePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

QByteArray joined(const QByteArray& dir, const QByteArray& name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

// The file a chain of symbolic links at `path` ends in; `path` itself when it is
// no link. A chain that ends nowhere gives the name it points to, as creating the
// file there is what writing through it would do.
bool followLinks(QByteArray& path, int& err)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0) {
            if (errno == ENOENT)
                return true;
            err = errno;
            return false;
        }
        if (!S_ISLNK(st.st_mode))
            return true;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0) {
            err = errno;
            return false;
        }
        target.truncate(n);
        path = target.startsWith('/') ? target : joined(parentOf(path), target);
        path = nativePath(QDir::cleanPath(pathFromNative(path)));
    }
    err = ELOOP;
    return false;
}

bool realPath(const QByteArray& path, QByteArray& real)
{
    char buffer[PATH_MAX];
    if (!::realpath(path.constData(), buffer))
        return false;
    real = buffer;
    return true;
}

// The real path of `path` with every link resolved, also for a file not yet there.
bool canonical(const QByteArray& path, QByteArray& real)
{
    if (realPath(path, real))
        return true;
    QByteArray final = path;
    int err = 0;
    if (!followLinks(final, err))
        return false;
    QByteArray dir;
    if (!realPath(parentOf(final), dir))
        return false;
    real = joined(dir, nameOf(final));
    return true;
}

bool inside(const QByteArray& real, const QByteArray& dir)
{
    return real == dir || real.startsWith(dir.endsWith('/') ? dir : dir + '/');
}

// A descriptor closed on every way out unless handed over by release().
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

// The writer's own files beside the target: the new content before the rename and
// the old file's second name until the directory is synced, named
// "<name>.kvarsel-<process id>-<six letters or digits>". A kill leaves them behind;
// the marker and the process id let a later run tell them from the user's files
// and from those of a writer still at work.
constexpr char kTempMarker[] = ".kvarsel-";
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QByteArray uniqueName(const QByteArray& dir, const QByteArray& name)
{
    QByteArray suffix(6, '0');
    for (char& c : suffix)
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return joined(dir, name + kTempMarker + QByteArray::number(qint64(::getpid())) + '-' + suffix);
}

// The process id in a name the writer gave, or 0 for any other name.
pid_t writerOf(const QByteArray& name)
{
    const qsizetype marker = name.lastIndexOf(kTempMarker);
    if (marker <= 0)
        return 0;
    const QByteArray rest = name.mid(marker + qsizetype(sizeof kTempMarker - 1));
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || rest.size() - dash - 1 != 6)
        return 0;
    for (qsizetype i = 0; i < dash; ++i)
        if (rest[i] < '0' || rest[i] > '9')
            return 0;
    for (qsizetype i = dash + 1; i < rest.size(); ++i)
        if (!std::strchr(kLetters, rest[i]))
            return 0;
    bool ok = false;
    const qint64 pid = rest.left(dash).toLongLong(&ok);
    return ok && pid > 0 ? pid_t(pid) : 0;
}

// Removes what a killed writer left in `dir`: only regular files named as above,
// of this user, whose process is gone. Once per directory and process.
void removeLeftovers(const QByteArray& dir)
{
    static QMutex mutex;
    static QSet<QByteArray> cleaned;
    {
        const QMutexLocker lock(&mutex);
        if (cleaned.contains(dir))
            return;
        cleaned.insert(dir);
    }
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    QList<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        const pid_t pid = writerOf(name);
        if (pid == 0 || pid == ::getpid() || (::kill(pid, 0) == 0 || errno != ESRCH))
            continue;
        struct stat st;
        const QByteArray path = joined(dir, name);
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            leftovers << path;
    }
    ::closedir(d);
    for (const QByteArray& path : leftovers)
        ::unlink(path.constData());
}

// Whether the file `st` describes lets this user write it, by its permission
// bits: the rename would replace a file marked read-only all the same, and for
// root access(W_OK) says yes to everything.
bool writable(const struct stat& st)
{
    const uid_t uid = ::geteuid();
    if (uid == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    if (st.st_uid == uid)
        return (st.st_mode & S_IWUSR) != 0;
    if (st.st_gid == ::getegid())
        return (st.st_mode & S_IWGRP) != 0;
    gid_t groups[256];
    const int n = ::getgroups(256, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] == st.st_gid)
            return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

// Removes a temporary file of a failed write; when it stays, `error` says so.
void removeTemporary(const QByteArray& temp, FileError& error)
{
    if (::unlink(temp.constData()) == 0 || errno == ENOENT)
        return;
    error.reason += QStringLiteral("; временный файл «%1» удалить не удалось (%2)")
                        .arg(QDir::toNativeSeparators(fromNative(temp)), reasonForErrno(errno));
}

// The pieces [first, last), all in memory, gathered a thousand at a time so a file
// of many small pieces costs few system calls.
bool writeGathered(int fd, const QList<ContentPiece>& pieces, qsizetype first, qsizetype last, int& err)
{
    qsizetype next = first; // the first piece not wholly written
    qsizetype done = 0;     // bytes of it already written
    while (next < last) {
        iovec parts[1024];
        int count = 0;
        for (qsizetype i = next; i < last && count < 1024; ++i) {
            const qsizetype skip = i == next ? done : 0;
            if (pieces[i].bytes.size() == skip)
                continue;
            parts[count].iov_base = const_cast<char*>(pieces[i].bytes.constData() + skip);
            parts[count].iov_len = size_t(pieces[i].bytes.size() - skip);
            ++count;
        }
        if (count == 0)
            break;
        const ssize_t n = ::writev(fd, parts, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = ENOSPC;
            return false;
        }
        qint64 written = n;
        while (next < last && written >= pieces[next].bytes.size() - done) {
            written -= pieces[next].bytes.size() - done;
            ++next;
            done = 0;
        }
        done += qsizetype(written);
    }
    return true;
}

bool writeBytes(int fd, QByteArrayView bytes, int& err)
{
    while (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            return false;
        }
        bytes = bytes.sliced(n);
    }
    return true;
}

// The pieces one after another: those in memory gathered, a file's part copied a
// chunk at a time. A source file that fails is reported in `source`.
bool writeAll(int fd, const QList<ContentPiece>& pieces, int& err, std::optional<FileError>& source)
{
    for (qsizetype i = 0; i < pieces.size();) {
        if (pieces[i].from) {
            bool written = true;
            source = readFilePiece(
                pieces[i], [&](QByteArrayView chunk) { return written = writeBytes(fd, chunk, err); });
            if (source || !written)
                return false;
            ++i;
            continue;
        }
        qsizetype last = i;
        while (last < pieces.size() && !pieces[last].from)
            ++last;
        if (!writeGathered(fd, pieces, i, last, err))
            return false;
        i = last;
    }
    return true;
}

// Syncs a directory so a rename in it survives a power cut. File systems that
// cannot sync a directory say so with EINVAL; that is no failure of the save.
int syncDirectory(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0; // a directory that may be written but not read: nothing to sync through
    int err = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        err = errno;
    ::close(fd);
    return err;
}

// Gives the regular file `file` the second name `backup` in place of whatever is
// there: a hard link made under a fresh name and renamed over it, so the name
// always holds a whole file. Returns 0, or the error; ENOTSUP when the file system
// cannot link the two (the caller then copies).
int linkAsBackup(const QByteArray& file, const QByteArray& backup)
{
    const QByteArray dir = parentOf(backup);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = uniqueName(dir, nameOf(backup));
        if (::linkat(AT_FDCWD, file.constData(), AT_FDCWD, candidate.constData(), 0) != 0) {
            if (errno == EEXIST)
                continue;
            return errno == ENOENT || errno == EACCES || errno == EROFS || errno == ENOSPC || errno == EIO
                       ? errno
                       : ENOTSUP; // EPERM, EXDEV, EMLINK, EOPNOTSUPP: no hard link here
        }
        if (::rename(candidate.constData(), backup.constData()) != 0) {
            const int error = errno;
            ::unlink(candidate.constData());
            return error;
        }
        // Where the backup already was a name of the same file, the rename did
        // nothing and the fresh name is still there.
        ::unlink(candidate.constData());
        return 0;
    }
    return EEXIST;
}

// The backup a save replaces, kept under a second name (or, where the file system
// has no hard links, in memory) until the save is through, so that a failing later
// step can put it back.
class BackupUndo {
public:
    // Returns 0, or the error that stops the save before anything changed.
    int keep(const QByteArray& backup)
    {
        struct stat st;
        if (::lstat(backup.constData(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            m_backup = backup; // none yet: putting back means removing the new one
            return 0;
        }
        m_backup = backup;
        m_existed = true;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = uniqueName(parentOf(backup), nameOf(backup));
            // linkat without following: a link at the backup's name is kept as the link it is.
            if (::linkat(AT_FDCWD, backup.constData(), AT_FDCWD, candidate.constData(), 0) == 0) {
                m_second = candidate;
                return 0;
            }
            if (errno != EEXIST)
                break;
        }
        if (errno == EEXIST || errno == ENOENT || errno == EACCES || errno == EROFS || errno == ENOSPC ||
            errno == EIO)
            return errno;
        // No hard links here: the bytes are kept instead (a link's target is not a backup).
        if (!S_ISREG(st.st_mode))
            return 0;
        QFile file(fromNative(backup));
        if (!file.open(QIODevice::ReadOnly))
            return EIO;
        m_bytes = file.readAll();
        m_inMemory = true;
        return file.error() == QFileDevice::NoError ? 0 : EIO;
    }

    // The backup's name now holds the file being replaced.
    void replaced() { m_replaced = true; }

    // Puts the backup back as it was; what could not be done is added to `error`.
    void putBack(FileError& error)
    {
        if (m_backup.isEmpty())
            return;
        if (!m_replaced) {
            drop();
            return;
        }
        int failedWith = 0;
        if (!m_existed) {
            if (::unlink(m_backup.constData()) != 0 && errno != ENOENT)
                failedWith = errno;
        } else if (!m_second.isEmpty()) {
            // A rename where it works; else the name is freed and given back, which
            // leaves the backup missing only for the moment between the two calls.
            if (::rename(m_second.constData(), m_backup.constData()) != 0 &&
                ((::unlink(m_backup.constData()) != 0 && errno != ENOENT) ||
                 ::linkat(AT_FDCWD, m_second.constData(), AT_FDCWD, m_backup.constData(), 0) != 0))
                failedWith = errno;
            else
                ::unlink(m_second.constData()); // still there when the backup never changed
            m_second.clear();
        } else if (m_inMemory && writeFileSafely(fromNative(m_backup), m_bytes, replacingLink())) {
            failedWith = EIO;
        }
        syncDirectory(parentOf(m_backup));
        if (failedWith != 0)
            error.reason +=
                QStringLiteral("; прежнюю резервную копию «%1» вернуть не удалось (%2)")
                    .arg(QDir::toNativeSeparators(fromNative(m_backup)), reasonForErrno(failedWith));
        m_backup.clear();
    }

    // The save went through: the backup's second name goes.
    void drop()
    {
        if (!m_second.isEmpty())
            ::unlink(m_second.constData());
        m_backup.clear();
    }

    ~BackupUndo() { drop(); }

private:
    QByteArray m_backup;
    QByteArray m_second;
    QByteArray m_bytes;
    bool m_existed = false;
    bool m_inMemory = false;
    bool m_replaced = false;
};

} // namespace

QString realFilePath(const QString& path)
{
    QByteArray real;
    return canonical(toNative(path), real) ? fromNative(real) : QString();
}

bool liesWithin(const QString& path, const QString& dir)
{
    QByteArray realDir, realFile;
    return realPath(toNative(dir), realDir) && canonical(toNative(path), realFile) &&
           inside(realFile, realDir);
}

std::optional<FileError> writeFileSafely(const QString& path, const QList<ContentPiece>& pieces,
                                         const SafeWriteOptions& options)
{
    if (const WriteFault& fault = writeFault()) {
        if (!options.backup.isEmpty())
            if (const QString reason = fault(options.backup); !reason.isEmpty())
                return FileError{options.backup, reason};
        const QString reason = fault(path);
        if (!reason.isEmpty())
            return FileError{path, reason};
    }
    const auto failed = [&path](int err) { return FileError{path, reasonForErrno(err)}; };

    int err = 0;
    std::optional<FileError> sourceFailed;
    QByteArray final = toNative(path);
    if (options.newFileSyncedLater && options.backup.isEmpty() && options.within.isEmpty() &&
        !options.lastCheck) {
        // A file no one has or names yet needs no temporary name: it is made in
        // place (never through a link), and nothing relies on it before the caller's
        // sync. A failed write takes the part written away again.
        Descriptor file;
        file.fd = ::open(final.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                         mode_t(options.newFileMode));
        if (file.fd >= 0) {
            if (!writeAll(file.fd, pieces, err, sourceFailed) ||
                (::close(file.release()) != 0 && (err = errno))) {
                ::unlink(final.constData());
                return sourceFailed ? *sourceFailed : failed(err);
            }
            return std::nullopt;
        }
        if (errno != EEXIST)
            return failed(errno);
        // It is there after all: replaced the usual way.
    }
    if (options.link == LinkAtTarget::Follow && !followLinks(final, err))
        return failed(err);
    QByteArray dir;
    if (!realPath(parentOf(final), dir))
        return failed(errno);
    const QByteArray name = nameOf(final);
    final = joined(dir, name);
    if (!options.within.isEmpty()) {
        QByteArray root;
        if (!realPath(toNative(options.within), root) || !inside(final, root))
            return FileError{path, QStringLiteral("файл на самом деле находится вне каталога «%1» (%2), "
                                                  "запись туда запрещена")
                                       .arg(QDir::toNativeSeparators(options.within),
                                            QDir::toNativeSeparators(fromNative(final)))};
    }

    struct stat old;
    const bool existed = ::lstat(final.constData(), &old) == 0;
    if (existed) {
        if (S_ISDIR(old.st_mode))
            return FileError{path, QStringLiteral("это каталог, а не файл")};
        if (!S_ISREG(old.st_mode) && !(S_ISLNK(old.st_mode) && options.link == LinkAtTarget::Replace))
            return FileError{path, QStringLiteral("это не обычный файл (канал или устройство)")};
    } else if (errno != ENOENT) {
        return failed(errno);
    }
    const bool keepMode = existed && S_ISREG(old.st_mode);
    if (keepMode && !writable(old))
        return failed(EACCES);
    removeLeftovers(dir);

    // The temporary file: a fresh name in the same directory, so the rename stays
    // on one file system and is atomic.
    QByteArray temp;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temp = uniqueName(dir, name);
        file.fd =
            ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(options.newFileMode));
        if (file.fd < 0 && errno != EEXIST)
            return failed(errno);
    }
    if (file.fd < 0)
        return failed(EEXIST);
    const auto abandonWith = [&](FileError result) {
        if (file.fd >= 0)
            ::close(file.release());
        removeTemporary(temp, result);
        return result;
    };
    const auto abandon = [&](int error) { return abandonWith(failed(error)); };

    if (keepMode) {
        // The new file keeps the old one's permissions and, where allowed, its owner.
        if (::fchmod(file.fd, old.st_mode & 07777) != 0)
            return abandon(errno);
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(file.fd, old.st_uid, old.st_gid);
    }
    if (!writeAll(file.fd, pieces, err, sourceFailed))
        return sourceFailed ? abandonWith(*sourceFailed) : abandon(err);
    const bool syncLater = options.newFileSyncedLater && !existed;
#ifdef Q_OS_LINUX
    if (!syncLater && ::fdatasync(file.fd) != 0)
#else
    if (!syncLater && ::fsync(file.fd) != 0)
#endif
        return abandon(errno);
    if (::close(file.release()) != 0)
        return abandon(errno);
    if (options.lastCheck)
        if (const QString reason = options.lastCheck(); !reason.isEmpty())
            return abandonWith(FileError{path, reason});

    // A second name for the old file (or for the link a backup replaces), so it
    // can be put back if the directory cannot be synced after the rename. Where
    // hard links are not possible the save goes on without that way back.
    QByteArray keep;
    if (existed) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = uniqueName(dir, name);
            if (::linkat(AT_FDCWD, final.constData(), AT_FDCWD, candidate.constData(), 0) == 0) {
                keep = candidate;
                break;
            }
            if (errno != EEXIST)
                break;
        }
    }
    // The backup takes its name before the target changes, as a copy would have;
    // a backup in another directory (the target reached through a link) is synced
    // there first, a backup beside the target with the target's directory. The
    // backup it replaces keeps a second name until the target is safely new, so a
    // failure of any later step puts both names back as they were.
    BackupUndo backupUndo;
    if (existed && !options.backup.isEmpty()) {
        QByteArray backup = toNative(options.backup), backupDir;
        int error = realPath(parentOf(backup), backupDir) ? 0 : errno;
        if (!error) {
            backup = joined(backupDir, nameOf(backup));
            error = backupUndo.keep(backup);
            if (!error)
                error = S_ISREG(old.st_mode) ? linkAsBackup(final, backup) : ENOTSUP;
            if (!error)
                backupUndo.replaced();
            if (!error && backupDir != dir)
                error = syncDirectory(backupDir);
        }
        std::optional<FileError> copyFailed;
        if (error == ENOTSUP) {
            copyFailed = copyFileSafely(fromNative(final), options.backup);
            if (!copyFailed)
                backupUndo.replaced();
            error = 0;
        }
        if (error || copyFailed) {
            FileError result = copyFailed ? *copyFailed : FileError{options.backup, reasonForErrno(error)};
            backupUndo.putBack(result);
            removeTemporary(temp, result);
            if (!keep.isEmpty())
                removeTemporary(keep, result);
            return result;
        }
    }
    if (::rename(temp.constData(), final.constData()) != 0) {
        const int error = errno;
        FileError result = abandon(error);
        backupUndo.putBack(result);
        if (!keep.isEmpty())
            removeTemporary(keep, result);
        return result;
    }
    if (const int error = syncLater ? 0 : syncDirectory(dir)) {
        FileError result = failed(error);
        if (!keep.isEmpty()) {
            if (::rename(keep.constData(), final.constData()) != 0) {
                result.oldContentLost = true;
                result.reason += QStringLiteral("; прежнее содержимое вернуть не удалось (%1), в файле новое")
                                     .arg(reasonForErrno(errno));
                removeTemporary(keep, result);
            } else {
                backupUndo.putBack(result);
            }
        } else if (!existed) {
            ::unlink(final.constData());
        } else {
            // No second name for the old file: the new one stays, better than no file at the name at all.
            result.oldContentLost = true;
            result.reason += QStringLiteral("; прежнее содержимое вернуть нельзя, в файле новое");
        }
        syncDirectory(dir);
        return result;
    }
    backupUndo.drop();
    if (!keep.isEmpty())
        ::unlink(keep.constData());
    return std::nullopt;
}

std::optional<FileError> syncFileSystemOf(const QString& dir)
{
    const int fd = ::open(toNative(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return FileError{dir, reasonForErrno(errno)};
#ifdef Q_OS_LINUX
    const int result = ::syncfs(fd);
#else
    ::sync();
    const int result = ::fsync(fd);
#endif
    const int error = errno;
    ::close(fd);
    if (result != 0)
        return FileError{dir, reasonForErrno(error)};
    return std::nullopt;
}

NewFileWriter::NewFileWriter(QString path) : m_path(std::move(path)) {}

NewFileWriter::~NewFileWriter()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(toNative(m_path).constData());
    }
}

std::optional<FileError> NewFileWriter::append(QByteArrayView bytes)
{
    if (m_failed)
        return FileError{m_path, QStringLiteral("запись файла уже не удалась")};
    const auto fail = [this](const QString& reason) {
        m_failed = true;
        if (m_fd >= 0) {
            ::close(std::exchange(m_fd, -1));
            ::unlink(toNative(m_path).constData());
        }
        return FileError{m_path, reason};
    };
    if (m_fd < 0) {
        if (const WriteFault& fault = writeFault())
            if (const QString reason = fault(m_path); !reason.isEmpty())
                return fail(reason);
        m_fd = ::open(toNative(m_path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0)
            return fail(reasonForErrno(errno)); // a file already there is not ours to take away
    }
    int err = 0;
    if (!writeBytes(m_fd, bytes, err))
        return fail(reasonForErrno(err));
    m_size += bytes.size();
    return std::nullopt;
}

std::optional<FileError> NewFileWriter::readBack(QByteArray& bytes)
{
    bytes.resize(qsizetype(m_size));
    if (m_fd < 0)
        return m_failed ? std::optional(FileError{m_path, QStringLiteral("запись файла уже не удалась")})
                        : std::nullopt;
    for (qint64 at = 0; at < m_size;) {
        const ssize_t n = ::pread(m_fd, bytes.data() + at, size_t(m_size - at), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FileError{m_path, n < 0 ? reasonForErrno(errno)
                                           : QStringLiteral("файл стал короче, чем был записан")};
        at += n;
    }
    return std::nullopt;
}

std::optional<FileError> NewFileWriter::replace(QByteArrayView bytes)
{
    if (m_fd >= 0 && (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)) {
        m_failed = true;
        const FileError failure{m_path, reasonForErrno(errno)};
        ::close(std::exchange(m_fd, -1));
        ::unlink(toNative(m_path).constData());
        return failure;
    }
    m_size = 0;
    return append(bytes);
}

std::optional<FileError> NewFileWriter::finish()
{
    if (m_fd < 0)
        if (std::optional<FileError> failed = append({}))
            return failed;
    if (::close(std::exchange(m_fd, -1)) != 0) {
        const int err = errno;
        m_failed = true;
        ::unlink(toNative(m_path).constData());
        return FileError{m_path, reasonForErrno(err)};
    }
    return std::nullopt;
}

#else // not Q_OS_UNIX

QString realFilePath(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (!real.isEmpty())
        return real;
    const QString dir = QFileInfo(path).absoluteDir().canonicalPath();
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QFileInfo(path).fileName());
}

bool liesWithin(const QString& path, const QString& dir)
{
    const QString root = QFileInfo(dir).canonicalFilePath();
    const QString real = realFilePath(path);
    return !root.isEmpty() && (real == root || real.startsWith(root + QLatin1Char('/')));
}

std::optional<FileError> writeFileSafely(const QString& path, const QList<ContentPiece>& pieces,
                                         const SafeWriteOptions& options)
{
    if (const WriteFault& fault = writeFault()) {
        const QString reason = fault(path);
        if (!reason.isEmpty())
            return FileError{path, reason};
    }
    if (!options.within.isEmpty() && !liesWithin(path, options.within))
        return FileError{
            path, QStringLiteral("файл на самом деле находится вне каталога «%1», запись туда запрещена")
                      .arg(QDir::toNativeSeparators(options.within))};
    if (options.link == LinkAtTarget::Replace && QFileInfo(path).isSymLink() && !QFile::remove(path))
        return FileError{path, QStringLiteral("не удалось заменить ссылку")};
    if (!options.backup.isEmpty() && QFileInfo::exists(path))
        if (auto failed = copyFileSafely(path, options.backup))
            return failed;
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return FileError{path, reasonFor(file, errno)};
    errno = 0;
    // QSaveFile renames even when the flush inside commit() fails: flush and check first.
    bool whole = true;
    const std::optional<FileError> sourceFailed = readPieces(pieces, [&](QByteArrayView chunk) {
        return whole = file.write(chunk.data(), chunk.size()) == chunk.size();
    });
    if (sourceFailed) {
        file.cancelWriting();
        return sourceFailed;
    }
    if (!whole || !file.flush()) {
        const int err = errno;
        file.cancelWriting();
        return FileError{path, reasonFor(file, err)};
    }
    if (options.lastCheck)
        if (const QString reason = options.lastCheck(); !reason.isEmpty()) {
            file.cancelWriting();
            return FileError{path, reason};
        }
    errno = 0;
    if (!file.commit())
        return FileError{path, reasonFor(file, errno)};
    return std::nullopt;
}

std::optional<FileError> syncFileSystemOf(const QString&)
{
    return std::nullopt; // QSaveFile's commit() has synced each file
}

NewFileWriter::NewFileWriter(QString path) : m_path(std::move(path)) {}

NewFileWriter::~NewFileWriter() = default;

std::optional<FileError> NewFileWriter::append(QByteArrayView bytes)
{
    m_bytes += bytes;
    return std::nullopt;
}

std::optional<FileError> NewFileWriter::readBack(QByteArray& bytes)
{
    bytes = m_bytes;
    return std::nullopt;
}

std::optional<FileError> NewFileWriter::replace(QByteArrayView bytes)
{
    m_bytes = bytes.toByteArray();
    return std::nullopt;
}

std::optional<FileError> NewFileWriter::finish()
{
    SafeWriteOptions newFile;
    newFile.newFileSyncedLater = true;
    return writeFileSafely(m_path, std::exchange(m_bytes, {}), newFile);
}

#endif

std::optional<FileError> writeFileSafely(const QString& path, const QByteArray& bytes,
                                         const SafeWriteOptions& options)
{
    return writeFileSafely(path, QList<ContentPiece>{bytes}, options);
}

std::optional<FileError> copyFileSafely(const QString& from, const QString& to)
{
    QByteArray bytes;
    if (auto failed = readFileBytes(from, bytes))
        return failed;
    return writeFileSafely(to, bytes, replacingLink());
}

} // namespace kvarsel
