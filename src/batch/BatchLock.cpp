#include "batch/BatchLock.h"

#include "batch/BatchTexts.h"

#include <QFileInfo>

namespace kvarsel {

bool BatchLocks::take(const QStringList& dirs, BatchConsole& console)
{
    QStringList taken;
    for (const QString& dir : dirs) {
        const QString real = QFileInfo(dir).canonicalFilePath();
        if (dir.isEmpty() || taken.contains(real.isEmpty() ? dir : real))
            continue;
        taken << (real.isEmpty() ? dir : real);
        auto lock = std::make_unique<DirectoryLock>(dir);
        if (lock->isTaken()) {
            console.err(batch_texts::kProgram + QStringLiteral(": ") + lock->takenMessage());
            m_held.clear();
            return false;
        }
        m_held.push_back(std::move(lock));
    }
    return true;
}

} // namespace kvarsel
