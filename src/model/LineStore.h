#pragma once
// The loaded lines of one resource kind: rows of head, text and tail, with the
// texts shown as a one-column list. Rows are indexed from 0; qsizetype throughout,
// so a store is not limited to 32767 rows.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"
#include "model/SplitLine.h"
#include "text/Encoding.h"
#include "text/FileIdentity.h"

#include <QAbstractListModel>
#include <QHash>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace kvarsel {

class LineStore;
class AcceleratorGroups;

// How a row's text came to be replaced in this run.
enum class TranslationRoad { Automatic, Manual, Review };

// The tooltip's word on how a row was translated.
QString roadText(TranslationRoad road);

// Told of every row a store is about to change, before it changes: the project's
// translation history keeps what the row was, so the change can be taken back.
class RowJournal {
public:
    virtual void beforeRowChange(LineStore& store, qsizetype row) = 0;

protected:
    ~RowJournal() = default;
};

class LineStore : public QAbstractListModel {
    Q_OBJECT
public:
    // "Файл = ": the head of a file-marker row starts with it; the path follows.
    static const QString kMarkerPrefix;

    // Display-only roles for the list's painter; the text itself stays Qt::DisplayRole,
    // so everything that reads the model (type-ahead, tests) still sees the bare text.
    enum Role {
        MarkerLabelRole = Qt::UserRole + 1, // a marker row's path, relative to the resource directory
        RussianRole,                        // bool: the text is already Russian
        OriginalTextRole,                   // the text a row was loaded with, once this run replaced it
    };

    // What a row was before this run first translated it, and how it was last translated.
    struct RowOrigin {
        QString loadedText;
        TranslationRoad road = TranslationRoad::Manual;
    };
    // Everything a translation may change in a row, to put it back as it was.
    struct RowState {
        QString head;
        QString text;
        std::optional<QString> scriptText;
        std::optional<RowOrigin> origin;
    };

    struct Row {
        ResourceLine line;
        bool fileMarker = false; // set only by AppendFileMarker, never read off the head
        // A marker row's file was read in this encoding and is written back in it.
        TextEncoding encoding = TextEncoding::Windows1251;
    };

    explicit LineStore(ResourceKind kind, QObject* parent = nullptr);
    ~LineStore() override;

    ResourceKind kind() const { return m_kind; }

    void Clear();
    void AppendRow(const QString& head, const QString& text, const QString& tail);
    void AppendRow(const ResourceLine& line);
    void AppendFileMarker(const QString& fullPath, TextEncoding encoding = TextEncoding::Windows1251);
    // Replaces every row at once (one model reset): the loader's fast path.
    void Assign(std::vector<Row> rows);

    // The directory the marker paths are shown relative to (the loaded resource directory).
    void setResourceDirectory(const QString& dir) { m_resourceDir = dir; }
    const QString& resourceDirectory() const { return m_resourceDir; }
    // Which directory that was when the scripts were read: a save goes only there,
    // even when the path has since come to lead elsewhere. Invalid when not pinned.
    void pinResourceDirectory(const FileIdentity& id) { m_resourceDirId = id; }
    const FileIdentity& resourceDirectoryIdentity() const { return m_resourceDirId; }
    // A marker row's path as the list shows it: relative to the resource directory,
    // or the bare file name without one; empty for any other row.
    QString markerLabel(qsizetype i) const;

    qsizetype RowCount() const { return qsizetype(m_rows.size()); }
    const QString& Head(qsizetype i) const { return m_rows[size_t(i)].line.head; }
    const QString& Text(qsizetype i) const { return m_rows[size_t(i)].line.text; }
    const QString& Tail(qsizetype i) const { return m_rows[size_t(i)].line.tail; }
    bool IsFileMarker(qsizetype i) const { return m_rows[size_t(i)].fileMarker; }
    // The path a marker row names; empty for any other row.
    QString MarkerPath(qsizetype i) const;
    // The encoding of the file a marker row names.
    TextEncoding MarkerEncoding(qsizetype i) const { return m_rows[size_t(i)].encoding; }
    QString ComposedLine(qsizetype i) const { return Head(i) + ScriptText(i) + Tail(i); }

    // Scripts loaded keeping their accelerators: a text's form in the script ("&&"
    // for "&", "&" before the marked letter) differs from the text shown. The form
    // is what is written back; for most rows it is the text itself.
    bool acceleratorsKept() const { return m_splitOptions.keepAccelerators; }
    // How the loaded lines were split.
    const SplitOptions& splitOptions() const { return m_splitOptions; }
    void setSplitOptions(const SplitOptions& options) { m_splitOptions = options; }
    const QString& ScriptText(qsizetype i) const
    {
        if (!m_scriptTexts.isEmpty())
            if (const auto it = m_scriptTexts.constFind(i); it != m_scriptTexts.constEnd())
                return *it;
        return Text(i);
    }
    // The form of row i's text after ReplaceText; ReplaceText alone makes it the text.
    void SetScriptText(qsizetype i, const QString& scriptText);
    // The loader's forms, by row, after Assign.
    void AssignScriptTexts(QHash<qsizetype, QString> scriptTexts);
    // The popups and dialogs the rows' accelerators share (see Accelerators.h): read
    // when first asked for, then kept up to date by every change of a row.
    const AcceleratorGroups& acceleratorGroups() const;

    // One loaded script: its marker row, the row after its last line, and the path
    // and encoding it is written back with.
    struct Script {
        qsizetype markerRow = -1;
        qsizetype endRow = -1;
        QString path;
        TextEncoding encoding = TextEncoding::Windows1251;
        qsizetype lineOf(qsizetype row) const { return row - markerRow; } // 1-based line of a row
    };
    std::vector<Script> scripts() const;
    // What a script's file was when this store read it or last wrote it: a save
    // finds by it a file that another program (another run) changed meanwhile.
    struct FileStamp {
        qint64 size = -1;
        qint64 modified = 0; // nanoseconds since the epoch
        QByteArray digest;   // of the whole content
        bool operator==(const FileStamp&) const = default;
    };
    // Kept beside the rows; a save of the (otherwise unchanged) store updates them.
    void setScriptStamp(const QString& path, const FileStamp& stamp) const { m_stamps.insert(path, stamp); }
    std::optional<FileStamp> scriptStamp(const QString& path) const
    {
        const auto it = m_stamps.constFind(path);
        return it == m_stamps.cend() ? std::nullopt : std::optional<FileStamp>(*it);
    }
    // The script a row belongs to (a marker row to its own); nothing for a row that
    // stands before every marker.
    std::optional<Script> scriptOf(qsizetype row) const;
    const Row& row(qsizetype i) const { return m_rows[size_t(i)]; }

    // Both keep every other row at its index; the view hears one dataChanged.
    void ReplaceText(qsizetype i, const QString& text);
    // While notices are held, the texts replaced are told to the views at once, as
    // one range, when they are released: automatic translation replaces thousands
    // of texts, and a notice each would cost the views more than the translation.
    void holdChangeNotices() { m_holdNotices = true; }
    void releaseChangeNotices();
    void ReplaceHead(qsizetype i, const QString& head);

    // With a journal, every change is told to it first, and translations keep the
    // text each row was loaded with (origin). Without one (kvarsel-batch) neither
    // costs anything.
    void setJournal(RowJournal* journal) { m_journal = journal; }
    // Row i is about to get a translation by `road`: its loaded text is kept the first time.
    void noteTranslation(qsizetype i, TranslationRoad road);
    const RowOrigin* origin(qsizetype i) const
    {
        const auto it = m_origins.constFind(i);
        return it == m_origins.constEnd() ? nullptr : &*it;
    }
    RowState rowState(qsizetype i) const;
    // Puts row i back as `state` describes it; the view hears of it.
    void restoreRowState(qsizetype i, const RowState& state);

    // Rows with a text, and those among them already in Russian (holding a Cyrillic
    // letter, see CharClass.h). Kept up to date by every change, so asking is free.
    qsizetype TextRowCount() const { return m_textRows; }
    qsizetype RussianRowCount() const { return m_russianRows; }
    bool IsRussian(qsizetype i) const;

    // First row after `start` whose text begins with `search`, ignoring case; -1 if none.
    qsizetype FindPrefix(const QString& search, qsizetype start) const;

    // QAbstractListModel: the texts, one per row.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void count(const QString& text, int sign);
    void rowChanged(qsizetype i);
    void tellJournal(qsizetype i)
    {
        if (m_journal)
            m_journal->beforeRowChange(*this, i);
    }

    ResourceKind m_kind;
    std::vector<Row> m_rows;
    std::vector<qsizetype> m_markers; // the marker rows, ascending
    QString m_resourceDir;
    FileIdentity m_resourceDirId;
    SplitOptions m_splitOptions;
    QHash<qsizetype, QString> m_scriptTexts; // only the rows whose form differs
    QHash<qsizetype, RowOrigin> m_origins;   // only the rows translated in this run
    mutable QHash<QString, FileStamp> m_stamps;
    RowJournal* m_journal = nullptr;
    mutable std::unique_ptr<AcceleratorGroups> m_acceleratorGroups;
    qsizetype m_textRows = 0;
    qsizetype m_russianRows = 0;
    bool m_holdNotices = false;
    qsizetype m_firstUntold = -1; // the rows replaced while notices were held, first and last
    qsizetype m_lastUntold = -1;
};

// One store of each kind, in kAllKinds order.
using LineStores = std::array<LineStore*, kKindCount>;
using ConstLineStores = std::array<const LineStore*, kKindCount>;

} // namespace kvarsel
