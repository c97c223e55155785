#include "workspace/ResourceSaver.h"

#include "text/TextFile.h"

namespace kvarsel {

QStringList scriptLines(const LineStore& store, qsizetype markerRow)
{
    QStringList lines;
    for (qsizetype j = markerRow + 1; j < store.RowCount() && !store.IsFileMarker(j); ++j)
        lines.append(store.ComposedLine(j));
    return lines;
}

SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks)
{
    SaveResult result;
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
            if (auto error = writeLines(store.MarkerPath(i), scriptLines(store, i), store.MarkerEncoding(i)))
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
