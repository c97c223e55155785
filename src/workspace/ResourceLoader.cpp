#include "workspace/ResourceLoader.h"

#include "model/SplitLine.h"
#include "text/NativePath.h"
#include "text/SafeWrite.h"
#include "text/TextFile.h"
#include "workspace/KindsSideBySide.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kvarsel {

bool directoryHasResources(const QString& dir)
{
    static const QStringList needles = {QStringLiteral("/menu"), QStringLiteral("/dialog"),
                                        QStringLiteral("/string"), QStringLiteral("/rcdata")};
    const QDir d(dir);
    const QFileInfoList subDirs = d.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& sub : subDirs) {
        const QString lower = QDir::fromNativeSeparators(sub.absoluteFilePath()).toLower();
        for (const QString& needle : needles)
            if (lower.contains(needle))
                return true;
    }
    return false;
}

QString resourceSubDirectory(const QString& dir, const QString& name)
{
    const QDir d(dir);
    const QFileInfoList entries =
        d.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (entry.isDir() && entry.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(entry.fileName());
    return QString();
}

QStringList scriptFiles(const QString& kindDir, const QString& mask)
{
    const QString suffix = mask.mid(1); // "*.rc" -> ".rc"
    const QDir d(kindDir);
    // Listed by the names' own bytes: QDir leaves out a name the system's encoding
    // cannot read, and that script would be neither loaded nor named.
    QStringList names = directoryNames(kindDir);
    names.removeIf([](const QString& name) { return name.startsWith(u'.'); });
    QStringList paths;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& name : names)
        if (name.endsWith(suffix, Qt::CaseInsensitive) && name.size() > suffix.size())
            paths << d.filePath(name);
    return paths;
}

static QString outsideReason(const QString& path, const QString& what)
{
    // Where it really lies, found as the writer finds it (QFileInfo cannot follow
    // every name); when even that fails, no empty "()" in the message.
    const QString real = realFilePath(path);
    if (real.isEmpty())
        return QStringLiteral("%1 не загружен: не удалось узнать, где он на самом деле находится").arg(what);
    return QStringLiteral("%1 на самом деле находится вне выбранного каталога ресурсов (%2), "
                          "он не загружен")
        .arg(what, QDir::toNativeSeparators(real));
}

// Whether the file exists and, if so, its size; by the name's own bytes.
static std::optional<qint64> existingFileSize(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return qint64(st.st_size);
#else
    const QFileInfo info(path);
    return info.exists() ? std::optional<qint64>(info.size()) : std::nullopt;
#endif
}

LineStore::FileStamp scriptStampOf(const QString& path, const QByteArray& bytes)
{
    LineStore::FileStamp stamp;
    stamp.digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) == 0) {
        stamp.size = qint64(st.st_size);
        stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    }
#else
    const QFileInfo info(path);
    if (info.exists()) {
        stamp.size = info.size();
        stamp.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
#endif
    return stamp;
}

namespace {

// The rows and the failures of one kind's scripts, before the store is given them.
struct KindRead {
    std::vector<LineStore::Row> rows;
    QHash<qsizetype, QString> scriptTexts; // rows whose text the script writes otherwise
    QHash<QString, LineStore::FileStamp> stamps;
    FileErrors errors;
};

// Reads and splits the scripts of one kind. It touches nothing but its arguments
// and what it returns, so two kinds can be read side by side.
KindRead readKind(ResourceKind kind, const QStringList& files, const QString& root,
                  const SplitOptions& options, const std::function<void(qsizetype file)>& fileDone)
{
    KindRead read;
    std::vector<LineStore::Row>& rows = read.rows;
    // Room for lines of sixteen bytes on average, known before the first file is
    // read: grown file by file, the rows would be moved into fresh memory again
    // and again. Script lines are longer, and room never used is never touched.
    qint64 bytesOfKind = 0;
    for (const QString& file : files)
        bytesOfKind += qMax<qint64>(existingFileSize(file).value_or(0), 0);
    rows.reserve(size_t(files.size() + bytesOfKind / 16));
    QByteArray bytes;    // one read buffer for every script
    DecodedText decoded; // and one text
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::optional<FileError> error;
        if (existingFileSize(files[i]) && !liesWithin(files[i], root))
            error = FileError{files[i], outsideReason(files[i], QStringLiteral("сценарий"))};
        else if (auto bad = readFileBytes(files[i], bytes))
            error = bad;
        else if (decodeTextInto(bytes, decoded); !decoded.ok())
            error = FileError{files[i], decoded.error};
        if (error) {
            // An unreadable script gets no rows at all, so saving never touches it.
            read.errors.append(*error);
        } else {
            read.stamps.insert(files[i], scriptStampOf(files[i], bytes));
            rows.push_back(
                LineStore::Row{ResourceLine{LineStore::kMarkerPrefix + files[i], QString(), QString()}, true,
                               decoded.encoding});
            // Every line loses its "&"s before it is split, unless they are kept: the
            // whole text can lose them at once.
            if (!options.keepAccelerators)
                decoded.text.remove(u'&');
            SplitScript(kind, decoded.text, options, [&](ResourceLine&& line, const QString& scriptText) {
                rows.push_back(LineStore::Row{std::move(line), false});
                if (!scriptText.isEmpty())
                    read.scriptTexts.insert(qsizetype(rows.size()) - 1, scriptText);
            });
        }
        if (fileDone)
            fileDone(i);
    }
    return read;
}

} // namespace

LoadResult loadResources(const QString& dir, const LineStores& stores, bool autoHideRussianString,
                         const LoadCallbacks& callbacks)
{
    return loadResources(dir, stores, SplitOptions{autoHideRussianString}, callbacks);
}

LoadResult loadResources(const QString& dir, const LineStores& stores, const SplitOptions& options,
                         const LoadCallbacks& callbacks)
{
    LoadResult result;
    const QString root = QDir(dir).absolutePath();
    // Every store records where it was loaded from, a kind without scripts too.
    const FileIdentity rootId = identityOf(root);
    for (LineStore* store : stores) {
        store->Clear();
        store->setResourceDirectory(root);
        store->pinResourceDirectory(rootId);
        store->setSplitOptions(options);
    }

    // First what each kind will read, then the reading, side by side with a second
    // thread; each kind is handed to its store, with its callbacks, in the usual order here.
    struct Plan {
        std::optional<FileError> outside; // the kind's directory lies outside the tree
        bool present = false;
        QStringList files;
    };
    std::array<Plan, kKindCount> plans;
    for (const ResourceKind kind : kAllKinds) {
        Plan& plan = plans[size_t(kindIndex(kind))];
        const QString kindDir = resourceSubDirectory(root, kindInfo(kind).subDir);
        if (kindDir.isEmpty())
            continue;
        // A link out of the tree (an archive from somebody else may hold one) would
        // make saving write over files the user never chose.
        if (!liesWithin(kindDir, root)) {
            plan.outside = FileError{kindDir, outsideReason(kindDir, QStringLiteral("каталог"))};
            continue;
        }
        plan.present = true;
        plan.files = scriptFiles(kindDir, kindInfo(kind).mask);
    }
    KindsSideBySide<KindRead> reading(
        [&plans](ResourceKind kind) { return !plans[size_t(kindIndex(kind))].files.isEmpty(); },
        [&plans, &root, &options](ResourceKind kind) {
            return readKind(kind, plans[size_t(kindIndex(kind))].files, root, options, {});
        });

    for (const ResourceKind kind : kAllKinds) {
        const int k = kindIndex(kind);
        const Plan& plan = plans[size_t(k)];
        if (plan.outside)
            result.errors.append(*plan.outside);
        if (!plan.present)
            continue;
        result.present[k] = true;
        if (callbacks.kindStarted)
            callbacks.kindStarted(kind, plan.files.size());
        if (plan.files.isEmpty())
            result.noScripts[k] = true;
        KindRead read;
        if (reading.elsewhere(kind)) {
            read = reading.take(kind);
            if (callbacks.fileLoaded)
                for (qsizetype i = 0; i < plan.files.size(); ++i)
                    callbacks.fileLoaded(kind, i);
        } else {
            std::function<void(qsizetype)> fileDone;
            if (callbacks.fileLoaded)
                fileDone = [&callbacks, kind](qsizetype i) { callbacks.fileLoaded(kind, i); };
            read = readKind(kind, plan.files, root, options, fileDone);
        }
        result.errors.append(read.errors);
        stores[k]->Assign(std::move(read.rows));
        stores[k]->AssignScriptTexts(std::move(read.scriptTexts));
        for (auto it = read.stamps.cbegin(); it != read.stamps.cend(); ++it)
            stores[k]->setScriptStamp(it.key(), it.value());
        if (callbacks.kindFinished)
            callbacks.kindFinished(kind);
    }

    for (const ResourceKind kind : kAllKinds) {
        if (stores[kindIndex(kind)]->RowCount() > 0) {
            result.anyRows = true;
            if (!result.visibleKind)
                result.visibleKind = kind;
        }
    }
    return result;
}

} // namespace kvarsel
