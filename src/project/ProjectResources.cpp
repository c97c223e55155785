#include "project/ProjectResources.h"

#include <optional>

namespace kvarsel {

LoadResult loadProjectResources(Project& project, const QString& dir, const LoadCallbacks& callbacks)
{
    // The steps of the last load speak of rows that are gone.
    project.history().clear();
    return loadResources(dir, project.stores(), project.settings().splitOptions(), callbacks);
}

ProjectSave saveProjectResources(const Project& project, const SaveCallbacks& callbacks,
                                 ResourceDirectoryLock lock, const ChangedScripts& changed)
{
    ProjectSave save;
    // Another copy of the program holds the working directory, or another run is
    // writing these scripts: saving now would mix two works in one file.
    save.refusal = project.readOnlyReason();
    std::optional<DirectoryLock> resources;
    if (lock == ResourceDirectoryLock::Take)
        resources.emplace(project.resourceDirectory());
    if (save.refusal.isEmpty() && resources && resources->isTaken())
        save.refusal = resources->takenMessage();
    if (!save.refusal.isEmpty())
        return save;
    save.result = saveResources(project.stores(), callbacks, changed);
    return save;
}

} // namespace kvarsel
