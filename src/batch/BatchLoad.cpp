#include "batch/BatchLoad.h"

#include "batch/BatchTexts.h"
#include "project/ProjectResources.h"

#include <QFileInfo>

namespace kvarsel {

QString checkResourceDirectory(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return batch_texts::resourceDirMissing(dir);
    if (!directoryHasResources(dir))
        return batch_texts::resourceDirWithoutKinds(dir);
    return QString();
}

LoadResult loadWithProgress(const BatchCommand& command, Project& project, BatchConsole& console)
{
    Settings settings = project.settings();
    settings.autoHideRussianString = command.autoHideRussianString;
    project.setSettings(settings);

    ProgressLine progress(console);
    LoadCallbacks callbacks;
    qsizetype files = 0;
    if (progress.active()) {
        callbacks.kindStarted = [&files](ResourceKind, qsizetype count) { files = count; };
        callbacks.fileLoaded = [&](ResourceKind kind, qsizetype i) {
            progress.show(batch_texts::loadingProgress(kindInfo(kind).name, i + 1, files));
        };
    }
    return loadProjectResources(project, command.resourceDir, callbacks);
}

void reportFailures(BatchConsole& console, const QString& intro, const FileErrors& errors)
{
    if (!errors.isEmpty())
        console.err(describeFailures(intro, errors));
}

} // namespace kvarsel
