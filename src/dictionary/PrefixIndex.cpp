#include "dictionary/PrefixIndex.h"

#include "text/CaseFold.h"

#include <algorithm>
#include <bit>

namespace kvarsel {

namespace {

// Folded `a` against folded `b` (their first `b.size()` units when `prefixOnly`),
// in the order of QString's comparison: UTF-16 unit by unit.
int compareFolded(QStringView a, QStringView b, bool prefixOnly = false)
{
    const auto& lower = lowerCaseTable();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = lower[a[i].unicode()], y = lower[b[i].unicode()];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (prefixOnly && a.size() >= b.size())
        return 0;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

size_t PrefixIndex::Bits::ones(size_t position) const
{
    const size_t word = position / 64, bit = position % 64;
    const quint64 below = bit ? words[word] & ((quint64(1) << bit) - 1) : 0;
    return onesBefore[word] + size_t(std::popcount(below));
}

PrefixIndex::PrefixIndex(QStringList rows) : m_rows(std::move(rows)), m_empty(size_t(m_rows.size()), false)
{
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (!m_rows[i].isEmpty())
            m_sorted.push_back(qint32(i));
    std::sort(m_sorted.begin(), m_sorted.end(), [this](qint32 a, qint32 b) {
        const int c = compareFolded(m_rows[a], m_rows[b]);
        return c != 0 ? c < 0 : a < b;
    });

    // The matrix: level by level from the highest bit, the positions stably split
    // into those with a 0 and those with a 1 in that bit.
    const size_t n = m_sorted.size();
    m_bitCount = std::max(1, int(std::bit_width(quint32(std::max<qsizetype>(m_rows.size(), 1)))));
    std::vector<quint32> values(m_sorted.begin(), m_sorted.end()), next(n);
    for (int level = 0; level < m_bitCount; ++level) {
        const int shift = m_bitCount - 1 - level;
        Bits bits;
        bits.words.assign(n / 64 + 1, 0);
        size_t zeros = 0;
        for (size_t i = 0; i < n; ++i)
            if ((values[i] >> shift) & 1)
                bits.words[i / 64] |= quint64(1) << (i % 64);
            else
                ++zeros;
        bits.onesBefore.resize(bits.words.size());
        quint32 ones = 0;
        for (size_t w = 0; w < bits.words.size(); ++w) {
            bits.onesBefore[w] = ones;
            ones += quint32(std::popcount(bits.words[w]));
        }
        size_t z = 0, o = zeros;
        for (size_t i = 0; i < n; ++i)
            next[((values[i] >> shift) & 1) ? o++ : z++] = values[i];
        values.swap(next);
        m_levels.push_back(std::move(bits));
        m_zeros.push_back(zeros);
    }
}

void PrefixIndex::markEmpty(qsizetype row)
{
    if (row >= 0 && row < m_rows.size())
        m_empty[size_t(row)] = true;
}

qsizetype PrefixIndex::smallestFrom(size_t from, size_t to, quint32 least) const
{
    // Down the levels: while the value so far equals `least`'s high bits, the side
    // of `least`'s next bit is tried first, and when a 0 side has nothing, the 1
    // side's smallest is the answer; once above `least`, the smallest is taken.
    struct Step {
        int level;
        size_t from, to;
        quint32 value;
        bool tight;
    };
    std::vector<Step> pending{{0, from, to, 0, true}};
    while (!pending.empty()) {
        Step s = pending.back();
        pending.pop_back();
        for (; s.from < s.to; ++s.level) {
            if (s.level == m_bitCount)
                return qsizetype(s.value);
            const Bits& bits = m_levels[size_t(s.level)];
            const size_t onesFrom = bits.ones(s.from), onesTo = bits.ones(s.to);
            const size_t zeroFrom = s.from - onesFrom, zeroTo = s.to - onesTo;
            const size_t oneFrom = m_zeros[size_t(s.level)] + onesFrom,
                         oneTo = m_zeros[size_t(s.level)] + onesTo;
            const quint32 bit = quint32(1) << (m_bitCount - 1 - s.level);
            if (s.tight && (least & bit)) {
                s = {s.level, oneFrom, oneTo, s.value | bit, true};
            } else if (s.tight) {
                // Whatever the 1 side holds is above `least`: kept for when the 0 side has nothing.
                if (oneFrom < oneTo)
                    pending.push_back({s.level + 1, oneFrom, oneTo, s.value | bit, false});
                s = {s.level, zeroFrom, zeroTo, s.value, true};
            } else if (zeroFrom < zeroTo) {
                s = {s.level, zeroFrom, zeroTo, s.value, false};
            } else {
                s = {s.level, oneFrom, oneTo, s.value | bit, false};
            }
        }
    }
    return -1;
}

qsizetype PrefixIndex::findPrefix(QStringView search, qsizetype start) const
{
    const qsizetype first = start < 0 ? 0 : start + 1;
    if (search.isEmpty()) // every row begins with nothing, an empty one too
        return first < m_rows.size() ? first : -1;
    if (first >= m_rows.size())
        return -1;
    const auto lo = std::partition_point(m_sorted.begin(), m_sorted.end(), [&](qint32 row) {
        return compareFolded(m_rows[row], search, true) < 0;
    });
    const auto hi = std::partition_point(
        lo, m_sorted.end(), [&](qint32 row) { return compareFolded(m_rows[row], search, true) == 0; });
    const size_t l = size_t(lo - m_sorted.begin()), h = size_t(hi - m_sorted.begin());
    for (qsizetype row = smallestFrom(l, h, quint32(first)); row >= 0;
         row = smallestFrom(l, h, quint32(row) + 1))
        if (!m_empty[size_t(row)])
            return row;
    return -1;
}

} // namespace kvarsel
