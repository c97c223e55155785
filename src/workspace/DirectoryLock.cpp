#include "workspace/DirectoryLock.h"

#include <QDir>
#include <QLockFile>

namespace kvarsel {

const QString DirectoryLock::kFileName = QStringLiteral(".kvarsel.lock");

DirectoryLock::DirectoryLock(const QString& dir)
    : m_lock(std::make_unique<QLockFile>(QDir(dir).filePath(kFileName)))
{
    // A run lasts hours: the lock is stale only when its process is gone, never by age.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_state = State::Held;
        return;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        m_state = State::Unavailable;
        return;
    }
    m_state = State::Taken;
    qint64 pid = 0;
    QString host, application;
    QString holder;
    if (m_lock->getLockInfo(&pid, &host, &application)) {
        holder = QStringLiteral("процесс %1").arg(pid);
        if (!application.isEmpty())
            holder += QStringLiteral(" «%1»").arg(application);
        if (!host.isEmpty())
            holder += QStringLiteral(" на компьютере %1").arg(host);
    } else {
        holder = QStringLiteral("процесс неизвестен");
    }
    m_message = QStringLiteral("каталог «%1» уже используется другой копией программы (%2)")
                    .arg(QDir::toNativeSeparators(QDir(dir).absolutePath()), holder);
}

DirectoryLock::~DirectoryLock() = default;

} // namespace kvarsel
