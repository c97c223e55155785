#include "dictionary/LookupIndex.h"

#include "text/CaseFold.h"
#include "text/CharClass.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace kvarsel {
namespace {

// Whether a row starting with `c` could ever begin with a phrase that is looked
// up (phrases starting with a non-ASCII character never are). Translation rows
// are mostly Cyrillic, so this keeps them out of the sorted list.
bool canStartLookedUpPhrase(QChar c)
{
    static const std::array<bool, 65536> table = [] {
        std::array<bool, 65536> reachable{};
        for (int u = 0; u < 65536; ++u)
            if (!isNonAscii(QChar(char16_t(u))))
                reachable[QChar(char16_t(u)).toLower().unicode()] = true;
        std::array<bool, 65536> result{};
        for (int u = 0; u < 65536; ++u)
            result[u] = reachable[QChar(char16_t(u)).toLower().unicode()];
        return result;
    }();
    return table[c.unicode()];
}

} // namespace

LookupIndex::LookupIndex(const QStringList& rows)
{
    m_firstEven.reserve(rows.size() / 2 + 1);
    std::vector<std::pair<QString, qsizetype>> odd;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QString& row = rows[i];
        if (row.isEmpty() || !canStartLookedUpPhrase(row.front()))
            continue;
        if (i % 2 == 0) {
            QString key = foldCase(row);
            if (!m_firstEven.contains(key)) // the lowest row wins
                m_firstEven.insert(std::move(key), i);
        } else {
            odd.emplace_back(foldCase(row), i);
        }
    }
    std::sort(odd.begin(), odd.end());
    m_oddTexts.reserve(odd.size());
    m_oddRows.reserve(odd.size());
    for (auto& [text, row] : odd) {
        m_oddTexts.push_back(std::move(text));
        m_oddRows.push_back(row);
    }
    // Iterative segment tree: leaves at [n, 2n).
    const size_t n = m_oddRows.size();
    m_minTree.assign(2 * n, 0);
    std::copy(m_oddRows.begin(), m_oddRows.end(), m_minTree.begin() + qsizetype(n));
    for (size_t i = n; i-- > 1;)
        m_minTree[i] = std::min(m_minTree[2 * i], m_minTree[2 * i + 1]);
}

qsizetype LookupIndex::lowestOddRowStartingWith(const QString& prefix) const
{
    const auto first = std::lower_bound(m_oddTexts.begin(), m_oddTexts.end(), prefix);
    // Rows beginning with the prefix are contiguous in sorted order, right from `first`.
    const auto last = std::partition_point(first, m_oddTexts.end(),
                                           [&prefix](const QString& s) { return s.startsWith(prefix); });
    size_t lo = size_t(first - m_oddTexts.begin()) + m_oddRows.size();
    size_t hi = size_t(last - m_oddTexts.begin()) + m_oddRows.size();
    qsizetype best = -1;
    const auto take = [&best](qsizetype v) { best = best < 0 ? v : std::min(best, v); };
    for (; lo < hi; lo /= 2, hi /= 2) {
        if (lo & 1)
            take(m_minTree[lo++]);
        if (hi & 1)
            take(m_minTree[--hi]);
    }
    return best;
}

qsizetype LookupIndex::find(QStringView phrase) const
{
    const QString folded = foldCase(phrase);
    const auto even = m_firstEven.constFind(folded);
    if (even == m_firstEven.cend())
        return -1;
    const qsizetype odd = lowestOddRowStartingWith(folded);
    return odd >= 0 && odd < *even ? -1 : *even;
}

} // namespace kvarsel
