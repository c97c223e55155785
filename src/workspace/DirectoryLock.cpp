#include "workspace/DirectoryLock.h"

#include "text/FileError.h"
#include "text/SafeWrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMutex>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace kvarsel {

const QString DirectoryLock::kFileName = QStringLiteral(".kvarsel.lock");

namespace {

// The locks this process holds, by the directory's real path: the window holds its
// working directory for the whole run, and a save into that same directory (the
// usual layout keeps the scripts there or below) must not find it "taken" by itself.
QMutex& heldMutex()
{
    static QMutex mutex;
    return mutex;
}
QHash<QString, std::weak_ptr<QLockFile>>& heldLocks()
{
    static QHash<QString, std::weak_ptr<QLockFile>> held;
    return held;
}

QString keyOf(const QString& dir)
{
    const QString real = realFilePath(dir);
    return real.isEmpty() ? QDir::cleanPath(QDir(dir).absolutePath()) : real;
}

// A lock file Qt could not read the holder of is judged here. Qt's holder keeps an
// exclusive flock on the file for as long as it lives, so a file that no process
// has a lock on belongs to nobody: a kill between creating and writing it, or bytes
// that were never a lock. Empty files younger than this may still be being written.
constexpr qint64 kCreatingMs = 3000;

enum class Judgement { NotALock, Gone, Held, Unknown };

#ifdef Q_OS_LINUX
// Whether any process holds a lock on the file (device and inode) now, by the
// kernel's own list; Unknown when the list cannot be read.
Judgement lockedByAnyone(const struct stat& st)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return Judgement::Unknown;
    const QByteArray id = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':' +
                          QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':' +
                          QByteArray::number(qulonglong(st.st_ino));
    const QList<QByteArray> lines = locks.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        for (const QByteArray& field : fields)
            if (field == id)
                return Judgement::Held;
    }
    return Judgement::Gone;
}
#endif

// What lies at the lock's name; `seen` is what was judged (device and inode).
struct Seen {
    quint64 device = 0;
    quint64 inode = 0;
};

Judgement judge(const QString& path, qint64 pid, Seen& seen)
{
#ifdef Q_OS_UNIX
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT ? Judgement::Gone : Judgement::Unknown;
    seen = {quint64(st.st_dev), quint64(st.st_ino)};
    if (!S_ISREG(st.st_mode))
        return Judgement::NotALock; // a directory, a link (dangling or not), a pipe
    // A holder that Qt read: it said the process lives (or could not remove the
    // file of a dead one, which is judged below by the kernel's list all the same).
    if (pid > 0 && ::kill(pid_t(pid), 0) == 0)
        return Judgement::Held;
    if (st.st_size == 0 && QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) < kCreatingMs)
        return Judgement::Held;
#ifdef Q_OS_LINUX
    return lockedByAnyone(st);
#else
    return Judgement::Unknown;
#endif
#else
    Q_UNUSED(path);
    Q_UNUSED(pid);
    Q_UNUSED(seen);
    return Judgement::Unknown;
#endif
}

// Removes what is at the lock's name, if it is still what was judged (another run
// may have taken the name over meanwhile); the reason when it cannot.
QString removeNonLock(const QString& path, const Seen& seen)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    if (quint64(st.st_dev) != seen.device || quint64(st.st_ino) != seen.inode)
        return QString();
#else
    Q_UNUSED(seen);
#endif
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (QDir().rmdir(path))
            return QString();
        return QStringLiteral("это каталог, и удалить его не удалось");
    }
#ifdef Q_OS_UNIX
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return QString();
    return reasonForErrno(errno);
#else
    if (QFile::remove(path) || !QFileInfo::exists(path))
        return QString();
    return QStringLiteral("файл не удалось удалить");
#endif
}

} // namespace

DirectoryLock::DirectoryLock(const QString& dir)
{
    const QString key = keyOf(dir);
    const QMutexLocker guard(&heldMutex());
    if (std::shared_ptr<QLockFile> held = heldLocks().value(key).lock()) {
        m_lock = std::move(held);
        m_state = State::Held;
        return;
    }
    const QString path = QDir(dir).filePath(kFileName);
    auto lock = std::make_shared<QLockFile>(path);
    // A run lasts hours: the lock is stale only when its process is gone, never by age.
    lock->setStaleLockTime(0);
    QString notJudged;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_state = State::Held;
            heldLocks().insert(key, m_lock);
            return;
        }
        if (lock->error() != QLockFile::LockFailedError) {
            m_state = State::Unavailable;
            return;
        }
        qint64 pid = 0;
        QString host, application;
        const bool read = lock->getLockInfo(&pid, &host, &application);
        // A holder on another computer (a shared directory) cannot be asked after here.
        const bool elsewhere = read && !host.isEmpty() && host != QSysInfo::machineHostName();
        Seen seen;
        const Judgement judgement = elsewhere ? Judgement::Held : judge(path, read ? pid : 0, seen);
        if (read && judgement == Judgement::Held) {
            QString holder = QStringLiteral("процесс %1").arg(pid);
            if (!application.isEmpty())
                holder += QStringLiteral(" «%1»").arg(application);
            if (!host.isEmpty())
                holder += QStringLiteral(" на компьютере %1").arg(host);
            m_message = QStringLiteral("каталог «%1» уже используется другой копией программы (%2)")
                            .arg(QDir::toNativeSeparators(QDir(dir).absolutePath()), holder);
            m_state = State::Taken;
            return;
        }
        if (judgement == Judgement::Held || judgement == Judgement::Unknown) {
            notJudged = QStringLiteral("его владельца определить не удалось");
            break;
        }
        // Nobody holds it, or it is no lock: it gives way, and the lock is tried again.
        if (const QString failed = removeNonLock(path, seen); !failed.isEmpty()) {
            notJudged =
                QStringLiteral("он не занят ни одним процессом, но удалить его не удалось: %1").arg(failed);
            break;
        }
    }
    if (notJudged.isEmpty())
        notJudged = QStringLiteral("его владельца определить не удалось");
    m_message = QStringLiteral("каталог «%1» занят: файл блокировки «%2» — %3; если другая копия "
                               "программы в этом каталоге не работает, удалите этот файл")
                    .arg(QDir::toNativeSeparators(QDir(dir).absolutePath()),
                         QDir::toNativeSeparators(QDir(dir).absoluteFilePath(kFileName)), notJudged);
    m_state = State::Taken;
}

DirectoryLock::~DirectoryLock()
{
    const QMutexLocker guard(&heldMutex());
    // The last holder in this process lets the directory go.
    if (m_lock && m_lock.use_count() == 1) {
        for (auto it = heldLocks().begin(); it != heldLocks().end();)
            it = it.value().lock() == m_lock ? heldLocks().erase(it) : std::next(it);
        m_lock.reset();
    }
}

} // namespace kvarsel
