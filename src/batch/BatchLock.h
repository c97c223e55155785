#pragma once
// The directories a writing command holds while it runs: the working directory and
// the resource directory, so that it never mixes its writes with another run's.

#include "batch/BatchConsole.h"
#include "workspace/DirectoryLock.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace kvarsel {

class BatchLocks {
public:
    // Takes each directory once (one named twice, or by two paths, is taken once).
    // False, with the message printed, when another run holds one of them.
    bool take(const QStringList& dirs, BatchConsole& console);

private:
    std::vector<std::unique_ptr<DirectoryLock>> m_held;
};

} // namespace kvarsel
