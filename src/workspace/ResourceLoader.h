#pragma once
// Reading a resource directory into the four line stores.

#include "model/LineStore.h"
#include "model/SplitLine.h"
#include "text/FileError.h"

#include <array>
#include <functional>
#include <optional>

namespace kvarsel {

// Whether a chosen directory may be loaded: one of its immediate sub-directories
// has a lower-case full path containing "/menu", "/dialog", "/string" or "/rcdata"
// (a substring test, so "menus" qualifies too).
bool directoryHasResources(const QString& dir);

// The entry of `dir` named `name` without regard to letter case, when it is a
// directory; empty otherwise (missing, or a file of that name).
QString resourceSubDirectory(const QString& dir, const QString& name);

// The entries of `kindDir` matching `mask` ("*.rc") ignoring case, as full paths in
// ascending name order. Entries that are not regular files are listed too, so the
// loader can name them instead of passing over them in silence.
QStringList scriptFiles(const QString& kindDir, const QString& mask);

// A script's file as it is on disk now, given its whole content `bytes` just read
// or written; the size and time come from the file itself.
LineStore::FileStamp scriptStampOf(const QString& path, const QByteArray& bytes);

struct LoadCallbacks {
    std::function<void(ResourceKind kind, qsizetype fileCount)> kindStarted;
    std::function<void(ResourceKind kind, qsizetype fileIndex)> fileLoaded;
    std::function<void(ResourceKind kind)> kindFinished; // also for a kind with no files
};

struct LoadResult {
    std::array<bool, kKindCount> present{};   // the kind's sub-directory exists
    std::array<bool, kKindCount> noScripts{}; // present, but no file matches: disable its list
    std::optional<ResourceKind> visibleKind;  // first kind with rows; none leaves visibility as it was
    bool anyRows = false;                     // enables automatic translation
    FileErrors errors;                        // scripts that could not be read; the load went on
};

// Empties all four stores, then reads Menu, Dialog, String and RcData in turn: per
// file a marker row with its full path, then one row per line through SplitLine.
// A kind's sub-directory or a script whose real path lies outside `dir` is not
// read: it is named in the errors with the reason.
LoadResult loadResources(const QString& dir, const LineStores& stores, bool autoHideRussianString,
                         const LoadCallbacks& callbacks = {});
LoadResult loadResources(const QString& dir, const LineStores& stores, const SplitOptions& options,
                         const LoadCallbacks& callbacks = {});

} // namespace kvarsel
