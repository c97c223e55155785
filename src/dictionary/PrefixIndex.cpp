#include "dictionary/PrefixIndex.h"

#include "text/CaseFold.h"

#include <algorithm>
#include <limits>

namespace kvarsel {
namespace {
constexpr qint32 kNoRow = std::numeric_limits<qint32>::max();
}

PrefixIndex::PrefixIndex(const QStringList& rows)
    : m_rowCount(rows.size()), m_empty(size_t(rows.size()), false)
{
    std::vector<std::pair<QString, qint32>> sorted;
    sorted.reserve(size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!rows[i].isEmpty())
            sorted.emplace_back(foldCase(rows[i]), qint32(i));
    std::sort(sorted.begin(), sorted.end());

    while (m_width < sorted.size())
        m_width *= 2;
    std::vector<qint32> leaves(m_width, kNoRow);
    m_sortedTexts.reserve(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        m_sortedTexts.push_back(std::move(sorted[i].first));
        leaves[i] = sorted[i].second;
    }
    m_levels.push_back(std::move(leaves));
    for (size_t block = 2; block <= m_width; block *= 2) {
        const std::vector<qint32>& below = m_levels.back();
        std::vector<qint32> level(m_width);
        for (size_t b = 0; b < m_width; b += block)
            std::merge(below.begin() + qsizetype(b), below.begin() + qsizetype(b + block / 2),
                       below.begin() + qsizetype(b + block / 2), below.begin() + qsizetype(b + block),
                       level.begin() + qsizetype(b));
        m_levels.push_back(std::move(level));
    }
}

void PrefixIndex::markEmpty(qsizetype row)
{
    if (row >= 0 && row < m_rowCount)
        m_empty[size_t(row)] = true;
}

qsizetype PrefixIndex::firstAliveAfter(const std::vector<qint32>& level, size_t from, size_t to,
                                       qint32 after) const
{
    auto it = std::upper_bound(level.begin() + qsizetype(from), level.begin() + qsizetype(to), after);
    for (; it != level.begin() + qsizetype(to) && *it != kNoRow; ++it)
        if (!m_empty[size_t(*it)])
            return *it;
    return -1;
}

qsizetype PrefixIndex::findPrefix(QStringView search, qsizetype start) const
{
    const qsizetype first = start < 0 ? 0 : start + 1;
    if (search.isEmpty()) // every row begins with nothing, an empty one too
        return first < m_rowCount ? first : -1;
    const QString prefix = foldCase(search);
    const auto lo = std::lower_bound(m_sortedTexts.begin(), m_sortedTexts.end(), prefix);
    const auto hi = std::partition_point(lo, m_sortedTexts.end(),
                                         [&prefix](const QString& s) { return s.startsWith(prefix); });
    size_t l = size_t(lo - m_sortedTexts.begin());
    size_t h = size_t(hi - m_sortedTexts.begin());
    const qint32 after = qint32(first - 1);
    qsizetype best = -1;
    const auto consider = [&](size_t level, size_t block) {
        const size_t size = size_t(1) << level;
        const qsizetype row = firstAliveAfter(m_levels[level], block * size, (block + 1) * size, after);
        if (row >= 0 && (best < 0 || row < best))
            best = row;
    };
    for (size_t level = 0; l < h; ++level, l /= 2, h /= 2) {
        if (l & 1)
            consider(level, l++);
        if (h & 1)
            consider(level, --h);
    }
    return best;
}

} // namespace kvarsel
