#include "batch/BatchLoad.h"

#include "batch/BatchTexts.h"
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

SplitOptions splitOptionsOf(const BatchCommand& command)
{
    // The hide mode comes from its key alone; the other two are on when the key or
    // the settings file says so, as in the window.
    const Settings settings = loadSettings(command.workDir).settings;
    return SplitOptions{command.autoHideRussianString, command.keepAccelerators || settings.keepAccelerators,
                        command.translateControlTexts || settings.translateControlTexts};
}

LoadResult loadWithProgress(const QString& dir, const LineStores& stores, const SplitOptions& options,
                            BatchConsole& console)
{
    ProgressLine progress(console);
    LoadCallbacks callbacks;
    qsizetype files = 0;
    if (progress.active()) {
        callbacks.kindStarted = [&files](ResourceKind, qsizetype count) { files = count; };
        callbacks.fileLoaded = [&](ResourceKind kind, qsizetype i) {
            progress.show(batch_texts::loadingProgress(kindInfo(kind).name, i + 1, files));
        };
    }
    return loadResources(dir, stores, options, callbacks);
}

void reportFailures(BatchConsole& console, const QString& intro, const FileErrors& errors)
{
    if (!errors.isEmpty())
        console.err(describeFailures(intro, errors));
}

} // namespace kvarsel
