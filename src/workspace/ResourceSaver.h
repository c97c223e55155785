#pragma once
// Writing the loaded scripts back in place.

#include "workspace/ResourceLoader.h"

#include <QSet>

namespace kvarsel {

struct SaveCallbacks {
    std::function<void(ResourceKind kind, qsizetype rowCount)> kindStarted;
    std::function<void(ResourceKind kind, qsizetype row)> rowReached;
    std::function<void(ResourceKind kind)> kindFinished;
};

struct SaveResult {
    qsizetype filesWritten = 0;
    qsizetype filesSkipped = 0; // changed on disk, and the user chose to leave them
    FileErrors errors;          // files that were not written; each keeps its old content
};

// What a save does with scripts whose file changed on disk since they were loaded
// or last saved (another run translated them, an editor saved them): unless named
// here, such a file is not written over, and counts as a failure that says why.
struct ChangedScripts {
    QSet<QString> overwrite; // the user chose to write over these
    QSet<QString> skip;      // and to leave these as they are now
};

// The loaded scripts whose file differs now, in size, time or content, from what
// was read or last written; in the order of the kinds and files.
QStringList scriptsChangedOnDisk(const ConstLineStores& stores);

// Rewrites every script from its marker row: one line per following row up to the
// next marker, head & text & tail, in the encoding the script was read in (its byte-order
// mark first), CR LF after every line. Each file
// is replaced atomically; a failure is collected and the other files are still written.
// A script whose real path has come to lie outside its resource directory is not
// written and counts as a failure.
SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks = {},
                         const ChangedScripts& changed = {});

// The resource directory a loaded script belongs to: a script's path is always
// that directory, the kind's sub-directory and the file name.
QString resourceDirectoryOf(const QString& scriptPath);

} // namespace kvarsel
