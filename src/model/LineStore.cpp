#include "model/LineStore.h"

#include "text/CaseFold.h"

#include <climits>

namespace kvarsel {

const QString LineStore::kMarkerPrefix = QStringLiteral("Файл = ");

LineStore::LineStore(ResourceKind kind, QObject* parent) : QAbstractListModel(parent), m_kind(kind)
{
}

void LineStore::Clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
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
    m_rows.push_back(Row{line, false});
    endInsertRows();
}

void LineStore::AppendFileMarker(const QString& fullPath, TextEncoding encoding)
{
    const int at = int(qMin<qsizetype>(RowCount(), INT_MAX));
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(Row{ResourceLine{kMarkerPrefix + fullPath, QString(), QString()}, true, encoding});
    endInsertRows();
}

void LineStore::Assign(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString LineStore::MarkerPath(qsizetype i) const
{
    return IsFileMarker(i) ? Head(i).mid(kMarkerPrefix.size()) : QString();
}

void LineStore::ReplaceText(qsizetype i, const QString& text)
{
    m_rows[size_t(i)].line.text = text;
    static const QList<int> roles{Qt::DisplayRole};
    const QModelIndex at = index(int(i));
    Q_EMIT dataChanged(at, at, roles);
}

void LineStore::ReplaceHead(qsizetype i, const QString& head)
{
    // The head is never shown, so the view needs no notice.
    m_rows[size_t(i)].line.head = head;
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
    if (role == Qt::DisplayRole)
        return Text(index.row());
    return {};
}

} // namespace kvarsel
