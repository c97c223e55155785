#include "deferred/ExportList.h"

#include "text/CaseFold.h"

#include <algorithm>

namespace kvarsel {

static bool keyLess(const QString& a, const QString& b)
{
    return QStringView(a).compare(QStringView(b), Qt::CaseSensitive) < 0;
}

void ExportList::Clear()
{
    m_entries.clear();
    m_sorted = 0;
}

void ExportList::Add(const QString& phrase) { m_entries.push_back({phrase, foldCase(phrase)}); }

qsizetype ExportList::Count() const { return qsizetype(m_entries.size()); }

const QString& ExportList::Item(qsizetype index) const
{
    sort();
    return m_entries[size_t(index)].phrase;
}

void ExportList::Replace(qsizetype index, const QString& phrase)
{
    sort();
    m_entries[size_t(index)] = {phrase, foldCase(phrase)};
}

void ExportList::RemoveDuplicates()
{
    sort();
    const auto end = std::unique(m_entries.begin(), m_entries.end(),
                                 [](const Entry& a, const Entry& b) { return a.key == b.key; });
    m_entries.erase(end, m_entries.end());
    m_sorted = Count();
}

QStringList ExportList::Items() const
{
    sort();
    QStringList out;
    out.reserve(Count());
    for (const Entry& e : m_entries)
        out.append(e.phrase);
    return out;
}

void ExportList::sort() const
{
    if (m_sorted == Count())
        return;
    const auto less = [](const Entry& a, const Entry& b) { return keyLess(a.key, b.key); };
    const auto middle = m_entries.begin() + m_sorted;
    // The new tail is sorted on its own and merged behind equal keys of the old
    // part, exactly where one-by-one insertion would have put it.
    std::stable_sort(middle, m_entries.end(), less);
    std::inplace_merge(m_entries.begin(), middle, m_entries.end(), less);
    m_sorted = Count();
}

} // namespace kvarsel
