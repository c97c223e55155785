#include "workspace/ResourceSaver.h"

#include "text/TextFile.h"

#include <QFileInfo>

#include <future>
#include <thread>

namespace kvarsel {

QString resourceDirectoryOf(const QString& scriptPath)
{
    return QFileInfo(QFileInfo(scriptPath).absolutePath()).absolutePath();
}

namespace {

// Writes the scripts of one kind. It reads nothing but its store, so two kinds can
// be written side by side.
SaveResult saveKind(const LineStore& store, const std::function<void(qsizetype row)>& rowReached)
{
    SaveResult result;
    QByteArray bytes; // one buffer for every script
    const qsizetype count = store.RowCount();
    for (qsizetype i = 0; i < count; ++i) {
        if (rowReached)
            rowReached(i);
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
        bytes.resize(0);
        auto error = encodeLineParts(path, end - i - 1, partsOf, bytes, store.MarkerEncoding(i));
        if (!error)
            error = writeFileSafely(path, bytes, confined);
        if (error)
            result.errors.append(*error);
        else
            ++result.filesWritten;
    }
    return result;
}

} // namespace

SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks)
{
    // Every other kind with rows is written on a second thread while this one writes
    // the others: most of a save is waiting for the disk. The callbacks and the
    // failures come here, in the usual order.
    struct Plan {
        bool elsewhere = false; // written on the second thread
        std::promise<SaveResult> done;
        std::future<SaveResult> saved = done.get_future(); // taken before the thread starts
    };
    std::array<Plan, kKindCount> plans;
    bool toSecond = false;
    for (const ResourceKind kind : kAllKinds) {
        if (stores[kindIndex(kind)]->RowCount() == 0)
            continue;
        plans[size_t(kindIndex(kind))].elsewhere = toSecond;
        toSecond = !toSecond;
    }
    std::jthread second([&plans, &stores] {
        for (const ResourceKind kind : kAllKinds) {
            Plan& plan = plans[size_t(kindIndex(kind))];
            if (!plan.elsewhere)
                continue;
            try {
                plan.done.set_value(saveKind(*stores[kindIndex(kind)], {}));
            } catch (...) {
                plan.done.set_exception(std::current_exception());
            }
        }
    });

    SaveResult result;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[kindIndex(kind)];
        const qsizetype count = store.RowCount();
        if (count == 0)
            continue;
        if (callbacks.kindStarted)
            callbacks.kindStarted(kind, count);
        Plan& plan = plans[size_t(kindIndex(kind))];
        SaveResult part;
        if (plan.elsewhere) {
            part = plan.saved.get();
            if (callbacks.rowReached)
                for (qsizetype i = 0; i < count; ++i)
                    callbacks.rowReached(kind, i);
        } else {
            std::function<void(qsizetype)> rowReached;
            if (callbacks.rowReached)
                rowReached = [&callbacks, kind](qsizetype i) { callbacks.rowReached(kind, i); };
            part = saveKind(store, rowReached);
        }
        result.filesWritten += part.filesWritten;
        result.errors.append(part.errors);
        if (callbacks.kindFinished)
            callbacks.kindFinished(kind);
    }
    return result;
}

} // namespace kvarsel
