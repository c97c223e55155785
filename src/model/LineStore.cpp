#include "model/LineStore.h"

#include <algorithm>

#include "model/Accelerators.h"
#include "text/CaseFold.h"
#include "text/CharClass.h"

#include <QDir>
#include <QFileInfo>

#include <climits>

namespace kvarsel {

const QString LineStore::kMarkerPrefix = QStringLiteral("Файл = ");

QString roadText(TranslationRoad road)
{
    switch (road) {
    case TranslationRoad::Automatic:
        return QStringLiteral("Переведено автоматически");
    case TranslationRoad::Review:
        return QStringLiteral("Перевод принят при просмотре билингвы");
    case TranslationRoad::Manual:
        break;
    }
    return QStringLiteral("Переведено вручную");
}

LineStore::LineStore(ResourceKind kind, QObject* parent) : QAbstractListModel(parent), m_kind(kind) {}

LineStore::~LineStore() = default;

const AcceleratorGroups& LineStore::acceleratorGroups() const
{
    if (!m_acceleratorGroups)
        m_acceleratorGroups = std::make_unique<AcceleratorGroups>(*this);
    return *m_acceleratorGroups;
}

void LineStore::rowChanged(qsizetype i)
{
    if (m_acceleratorGroups)
        m_acceleratorGroups->rowChanged(*this, i);
}

void LineStore::AssignScriptTexts(QHash<qsizetype, QString> scriptTexts)
{
    m_scriptTexts = std::move(scriptTexts);
    m_acceleratorGroups.reset();
}

void LineStore::Clear()
{
    m_stamps.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_markers.clear();
    m_acceleratorGroups.reset();
    m_scriptTexts.clear();
    m_origins.clear();
    m_textRows = m_russianRows = 0;
    endResetModel();
}

void LineStore::AppendRow(const QString& head, const QString& text, const QString& tail)
{
    AppendRow(ResourceLine{head, text, tail});
}

void LineStore::AppendRow(const ResourceLine& line)
{
    const int at = int(qMin<qsizetype>(RowCount(), INT_MAX));
    beginInsertRows(QModelIndex(), at, at);
    m_acceleratorGroups.reset();
    m_rows.push_back(Row{line, false});
    count(line.text, 1);
    endInsertRows();
}

void LineStore::AppendFileMarker(const QString& fullPath, TextEncoding encoding)
{
    const int at = int(qMin<qsizetype>(RowCount(), INT_MAX));
    beginInsertRows(QModelIndex(), at, at);
    m_acceleratorGroups.reset();
    m_rows.push_back(Row{ResourceLine{kMarkerPrefix + fullPath, QString(), QString()}, true, encoding});
    m_markers.push_back(RowCount() - 1);
    endInsertRows();
}

std::vector<LineStore::Script> LineStore::scripts() const
{
    std::vector<Script> all;
    all.reserve(m_markers.size());
    for (size_t m = 0; m < m_markers.size(); ++m) {
        const qsizetype marker = m_markers[m];
        const qsizetype end = m + 1 < m_markers.size() ? m_markers[m + 1] : RowCount();
        all.push_back(Script{marker, end, MarkerPath(marker), MarkerEncoding(marker)});
    }
    return all;
}

std::optional<LineStore::Script> LineStore::scriptOf(qsizetype row) const
{
    if (row < 0 || row >= RowCount())
        return std::nullopt;
    const auto after = std::upper_bound(m_markers.begin(), m_markers.end(), row);
    if (after == m_markers.begin())
        return std::nullopt;
    const qsizetype marker = *(after - 1);
    const qsizetype end = after == m_markers.end() ? RowCount() : *after;
    return Script{marker, end, MarkerPath(marker), MarkerEncoding(marker)};
}

void LineStore::Assign(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_acceleratorGroups.reset();
    m_scriptTexts.clear();
    m_origins.clear();
    m_textRows = m_russianRows = 0;
    m_markers.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        count(m_rows[i].line.text, 1);
        if (m_rows[i].fileMarker)
            m_markers.push_back(qsizetype(i));
    }
    endResetModel();
}

QString LineStore::MarkerPath(qsizetype i) const
{
    return IsFileMarker(i) ? Head(i).mid(kMarkerPrefix.size()) : QString();
}

QString LineStore::markerLabel(qsizetype i) const
{
    const QString path = MarkerPath(i);
    if (path.isEmpty())
        return QString();
    return QDir::toNativeSeparators(m_resourceDir.isEmpty() ? QFileInfo(path).fileName()
                                                            : QDir(m_resourceDir).relativeFilePath(path));
}

bool LineStore::IsRussian(qsizetype i) const
{
    const QString& text = Text(i);
    return holdsCyrillicLetter(text);
}

void LineStore::count(const QString& text, int sign)
{
    if (text.isEmpty())
        return;
    m_textRows += sign;
    if (holdsCyrillicLetter(text))
        m_russianRows += sign;
}

static const QList<int>& textRoles()
{
    static const QList<int> roles{Qt::DisplayRole, LineStore::RussianRole, LineStore::OriginalTextRole};
    return roles;
}

void LineStore::ReplaceText(qsizetype i, const QString& text)
{
    tellJournal(i);
    count(m_rows[size_t(i)].line.text, -1);
    m_rows[size_t(i)].line.text = text;
    if (!m_scriptTexts.isEmpty())
        m_scriptTexts.remove(i);
    count(text, 1);
    rowChanged(i);
    if (m_holdNotices) {
        if (m_firstUntold < 0 || i < m_firstUntold)
            m_firstUntold = i;
        m_lastUntold = qMax(m_lastUntold, i);
        return;
    }
    const QModelIndex at = index(int(i));
    Q_EMIT dataChanged(at, at, textRoles());
}

void LineStore::SetScriptText(qsizetype i, const QString& scriptText)
{
    tellJournal(i);
    if (scriptText == Text(i))
        m_scriptTexts.remove(i);
    else
        m_scriptTexts.insert(i, scriptText);
    rowChanged(i);
}

void LineStore::releaseChangeNotices()
{
    m_holdNotices = false;
    if (m_firstUntold < 0)
        return;
    const QModelIndex first = index(int(m_firstUntold));
    const QModelIndex last = index(int(m_lastUntold));
    m_firstUntold = m_lastUntold = -1;
    Q_EMIT dataChanged(first, last, textRoles());
}

void LineStore::ReplaceHead(qsizetype i, const QString& head)
{
    // The head is never shown, so the view needs no notice.
    tellJournal(i);
    m_rows[size_t(i)].line.head = head;
    rowChanged(i);
}

void LineStore::noteTranslation(qsizetype i, TranslationRoad road)
{
    if (!m_journal)
        return;
    tellJournal(i);
    const auto it = m_origins.find(i);
    if (it == m_origins.end())
        m_origins.insert(i, RowOrigin{Text(i), road});
    else
        it->road = road;
}

LineStore::RowState LineStore::rowState(qsizetype i) const
{
    RowState state{Head(i), Text(i), std::nullopt, std::nullopt};
    if (const auto it = m_scriptTexts.constFind(i); it != m_scriptTexts.constEnd())
        state.scriptText = *it;
    if (const RowOrigin* o = origin(i))
        state.origin = *o;
    return state;
}

void LineStore::restoreRowState(qsizetype i, const RowState& state)
{
    m_rows[size_t(i)].line.head = state.head;
    count(Text(i), -1);
    m_rows[size_t(i)].line.text = state.text;
    count(state.text, 1);
    if (state.scriptText)
        m_scriptTexts.insert(i, *state.scriptText);
    else
        m_scriptTexts.remove(i);
    if (state.origin)
        m_origins.insert(i, *state.origin);
    else
        m_origins.remove(i);
    rowChanged(i);
    const QModelIndex at = index(int(i));
    Q_EMIT dataChanged(at, at, textRoles());
}

qsizetype LineStore::FindPrefix(const QString& search, qsizetype start) const
{
    return findPrefixIn(
        RowCount(), [this](qsizetype i) -> QStringView { return Text(i); }, search, start);
}

int LineStore::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(qMin<qsizetype>(RowCount(), INT_MAX));
}

QVariant LineStore::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= RowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row());
    case MarkerLabelRole:
        return markerLabel(index.row());
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        // A marker row is empty text; a screen reader or the pointer still learns the file.
        if (IsFileMarker(index.row()))
            return role == Qt::ToolTipRole ? QDir::toNativeSeparators(MarkerPath(index.row()))
                                           : markerLabel(index.row());
        if (const RowOrigin* o = origin(index.row()); o && role == Qt::ToolTipRole)
            return roadText(o->road) + QStringLiteral("\nБыло: ") + o->loadedText;
        return {};
    case OriginalTextRole:
        // A row hidden by its translation shows nothing: its loaded text beside it
        // would make the list look untranslated.
        if (const RowOrigin* o = origin(index.row()); o && !Text(index.row()).isEmpty())
            return o->loadedText;
        return {};
    case RussianRole:
        return IsRussian(index.row());
    default:
        return {};
    }
}

} // namespace kvarsel
