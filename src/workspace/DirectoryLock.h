#pragma once
// Holds a directory for the length of a run, so that two copies of the program (two
// windows, a window and kvarsel-batch, two batch runs) never write the same files
// and silently drop each other's work. The lock is a small file in the directory;
// one left behind by a process that was killed is taken over, and so is anything at
// its name that is no lock at all (an empty or garbled file no process holds, a
// directory, a link).

#include <QString>
#include <memory>

class QLockFile;

namespace kvarsel {

// How a run that writes into the resource directory stands to its lock: it takes
// the lock for the length of its write, or its caller already holds the directory
// (kvarsel-batch holds it for a whole command). A lock asked for again by the
// process that holds it is shared, never refused.
enum class ResourceDirectoryLock { Take, HeldByCaller };

class DirectoryLock {
public:
    enum class State {
        Held,        // this run holds the directory
        Taken,       // another live process holds it, or its lock file cannot be judged
        Unavailable, // no lock file can be made there (a read-only directory): nothing to guard
    };

    // Tries once, without waiting.
    explicit DirectoryLock(const QString& dir);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    State state() const { return m_state; }
    bool isTaken() const { return m_state == State::Taken; }
    // When taken: «каталог «…» уже используется другой копией программы (процесс 123 «kvarsel» …)».
    const QString& takenMessage() const { return m_message; }

    static const QString kFileName;

private:
    std::shared_ptr<QLockFile> m_lock;
    State m_state = State::Unavailable;
    QString m_message;
};

} // namespace kvarsel
