#include "batch/BatchLoad.h"

#include "batch/BatchTexts.h"
#include "project/ProjectResources.h"
#include "settings/SettingsFile.h"

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
    // The hide mode comes from its key alone; accelerators and CONTROL texts are on
    // when the key or a flag line of velmora.ini says so, as in the window.
    Settings settings = project.settings();
    const Settings file = loadSettings(command.workDir).settings;
    settings.autoHideRussianString = command.autoHideRussianString;
    settings.keepAccelerators = command.keepAccelerators || file.keepAccelerators;
    settings.translateControlTexts = command.translateControlTexts || file.translateControlTexts;
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
