#include "workspace/ResourceSaver.h"

#include "text/TextFile.h"

#include <QFileInfo>

namespace kvarsel {

QString resourceDirectoryOf(const QString& scriptPath)
{
    return QFileInfo(QFileInfo(scriptPath).absolutePath()).absolutePath();
}

SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks)
{
    SaveResult result;
    QByteArray bytes;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[kindIndex(kind)];
        const qsizetype count = store.RowCount();
        if (count == 0)
            continue;
        if (callbacks.kindStarted)
            callbacks.kindStarted(kind, count);
        for (qsizetype i = 0; i < count; ++i) {
            if (callbacks.rowReached)
                callbacks.rowReached(kind, i);
            if (!store.IsFileMarker(i))
                continue;
            // Checked again now, not only at load: a link changed since then must not
            // carry the save out of the chosen directory.
            const QString path = store.MarkerPath(i);
            const SafeWriteOptions confined{LinkAtTarget::Follow, resourceDirectoryOf(path)};
            qsizetype end = i + 1;
            while (end < count && !store.IsFileMarker(end))
                ++end;
            // Each line goes to the bytes as its head, text and tail, never joined first.
            const auto partsOf = [&store, i](qsizetype line) {
                const qsizetype row = i + 1 + line;
                return LineParts{store.Head(row), store.Text(row), store.Tail(row)};
            };
            bytes.resize(0); // the buffer stays for the next script
            auto error = encodeLineParts(path, end - i - 1, partsOf, bytes, store.MarkerEncoding(i));
            if (!error)
                error = writeFileSafely(path, bytes, confined);
            if (error)
                result.errors.append(*error);
            else
                ++result.filesWritten;
        }
        if (callbacks.kindFinished)
            callbacks.kindFinished(kind);
    }
    return result;
}

} // namespace kvarsel
