#pragma once
// Writing the loaded scripts back in place.

#include "workspace/ResourceLoader.h"

namespace kvarsel {

struct SaveCallbacks {
    std::function<void(ResourceKind kind, qsizetype rowCount)> kindStarted;
    std::function<void(ResourceKind kind, qsizetype row)> rowReached;
    std::function<void(ResourceKind kind)> kindFinished;
};

struct SaveResult {
    qsizetype filesWritten = 0;
    FileErrors errors; // files that were not written; each keeps its old content
};

// Rewrites every script from its marker row: one line per following row up to the
// next marker, head & text & tail, in the encoding the script was read in (its byte-order
// mark first), CR LF after every line. Each file
// is replaced atomically; a failure is collected and the other files are still written.
// A script whose real path has come to lie outside its resource directory is not
// written and counts as a failure.
SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks = {});

// The resource directory a loaded script belongs to: a script's path is always
// that directory, the kind's sub-directory and the file name.
QString resourceDirectoryOf(const QString& scriptPath);

} // namespace kvarsel
