#include "workspace/ResourceSaver.h"

#include "text/TextFile.h"
#include "workspace/KindsSideBySide.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace kvarsel {

QString resourceDirectoryOf(const QString& scriptPath)
{
    return QFileInfo(QFileInfo(scriptPath).absolutePath()).absolutePath();
}

namespace {

const QString kChangedOnDisk =
    QStringLiteral("файл изменён другой программой после загрузки, поэтому он не перезаписан");

// Whether the file of a loaded script is no longer what the store read or wrote.
// Size and time tell most changes without reading; equal ones are confirmed by
// the content, as a quick edit may keep both.
bool changedOnDisk(const LineStore& store, const QString& path)
{
    const std::optional<LineStore::FileStamp> known = store.scriptStamp(path);
    if (!known)
        return false;
    const LineStore::FileStamp quick = scriptStampOf(path, QByteArray());
    if (quick.size != known->size || quick.modified != known->modified)
        return true;
    QByteArray bytes;
    if (readFileBytes(path, bytes))
        return true; // unreadable now: not what was loaded
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1) != known->digest;
}

// Writes the scripts of one kind. It reads nothing but its store, so two kinds can
// be written side by side.
SaveResult saveKind(const LineStore& store, const std::function<void(qsizetype row)>& rowReached,
                    const ChangedScripts& changed)
{
    SaveResult result;
    QByteArray bytes; // one buffer for every script
    const std::vector<LineStore::Script> scripts = store.scripts();
    // Every row is reported as it is reached; rows before the first marker belong to no file.
    qsizetype reached = 0;
    const auto reach = [&](qsizetype upTo) {
        for (; rowReached && reached < upTo; ++reached)
            rowReached(reached);
    };
    for (const LineStore::Script& script : scripts) {
        reach(script.markerRow + 1);
        const qsizetype i = script.markerRow;
        const qsizetype end = script.endRow;
        // Checked again now, not only at load: a link changed since then must not
        // carry the save out of the chosen directory.
        const QString& path = script.path;
        SafeWriteOptions confined;
        confined.within = resourceDirectoryOf(path);
        // Each line goes to the bytes as its head, text and tail, never joined first.
        const auto partsOf = [&store, i](qsizetype line) {
            const qsizetype row = i + 1 + line;
            return LineParts{store.Head(row), store.ScriptText(row), store.Tail(row)};
        };
        bytes.resize(0);
        if (changed.skip.contains(path)) {
            ++result.filesSkipped;
            continue;
        }
        std::optional<FileError> error;
        // The directory the scripts were read from, not whatever its path leads to now:
        // a directory swapped for another one (or for a link) since the load is not written into.
        if (const FileIdentity& pinned = store.resourceDirectoryIdentity();
            pinned.isValid() && identityOf(resourceDirectoryOf(path)) != pinned)
            error = FileError{path, QStringLiteral("каталог ресурсов «%1» заменён другим после загрузки, "
                                                   "сценарий туда не записан")
                                        .arg(QDir::toNativeSeparators(resourceDirectoryOf(path)))};
        if (!error)
            error = encodeLineParts(path, end - i - 1, partsOf, bytes, script.encoding);
        if (!error && !changed.overwrite.contains(path) && changedOnDisk(store, path))
            error = FileError{path, kChangedOnDisk}; // changed while this one was being encoded
        if (!error)
            error = writeFileSafely(path, bytes, confined);
        if (error) {
            result.errors.append(*error);
        } else {
            ++result.filesWritten;
            store.setScriptStamp(path, scriptStampOf(path, bytes));
        }
    }
    reach(store.RowCount());
    return result;
}

} // namespace

QStringList scriptsChangedOnDisk(const ConstLineStores& stores)
{
    QStringList changed;
    for (const LineStore* store : stores)
        for (const LineStore::Script& script : store->scripts())
            if (changedOnDisk(*store, script.path))
                changed << script.path;
    return changed;
}

SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks,
                         const ChangedScripts& changed)
{
    // Written side by side with a second thread: most of a save is waiting for the
    // disk. The callbacks and the failures come here, in the usual order.
    KindsSideBySide<SaveResult> writing(
        [&stores](ResourceKind kind) { return stores[kindIndex(kind)]->RowCount() > 0; },
        [&stores, &changed](ResourceKind kind) { return saveKind(*stores[kindIndex(kind)], {}, changed); });

    SaveResult result;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[kindIndex(kind)];
        const qsizetype count = store.RowCount();
        if (count == 0)
            continue;
        if (callbacks.kindStarted)
            callbacks.kindStarted(kind, count);
        SaveResult part;
        if (writing.elsewhere(kind)) {
            part = writing.take(kind);
            if (callbacks.rowReached)
                for (qsizetype i = 0; i < count; ++i)
                    callbacks.rowReached(kind, i);
        } else {
            std::function<void(qsizetype)> rowReached;
            if (callbacks.rowReached)
                rowReached = [&callbacks, kind](qsizetype i) { callbacks.rowReached(kind, i); };
            part = saveKind(store, rowReached, changed);
        }
        result.filesWritten += part.filesWritten;
        result.filesSkipped += part.filesSkipped;
        result.errors.append(part.errors);
        if (callbacks.kindFinished)
            callbacks.kindFinished(kind);
    }
    return result;
}

} // namespace kvarsel
