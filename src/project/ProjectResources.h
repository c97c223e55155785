#pragma once
// Loading the project's scripts and writing them back: the resources dialog's "ОК"
// and the save dialog's "Да" in the window, the loading and the writing of every
// kvarsel-batch command. Both front ends call these, so both read the same rows and
// leave the same bytes; each keeps its own way of showing progress and failures.

#include "project/Project.h"
#include "workspace/DirectoryLock.h"
#include "workspace/ResourceLoader.h"
#include "workspace/ResourceSaver.h"

namespace kvarsel {

// Empties the project's stores and reads the scripts of `dir` into them, split as
// the project's settings say (Settings::splitOptions).
LoadResult loadProjectResources(Project& project, const QString& dir, const LoadCallbacks& callbacks = {});

struct ProjectSave {
    // Why nothing was written: this copy of the program may not write the user's
    // files (Project::readOnlyReason), or another one holds the resource directory.
    QString refusal;
    SaveResult result; // when not refused: the files written and those that failed
};

// Writes every loaded script back in place. With `lock` Take the resource directory
// is held while the scripts are written, and a run holding it already refuses the save.
ProjectSave saveProjectResources(const Project& project, const SaveCallbacks& callbacks = {},
                                 ResourceDirectoryLock lock = ResourceDirectoryLock::Take,
                                 const ChangedScripts& changed = {});

} // namespace kvarsel
