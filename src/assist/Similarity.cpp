#include "assist/Similarity.h"

#include "text/CaseFold.h"

#include <QList>
#include <algorithm>
#include <vector>

namespace kvarsel {

int levenshtein(QStringView a, QStringView b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

int similarity(QStringView a, QStringView b)
{
    return similarityOf(levenshtein(foldCase(a), foldCase(b)), a.size(), b.size());
}

namespace {
// One table of pattern masks per thread, indexed by UTF-16 unit: 512 KiB, filled
// only at the pattern's own units and cleared again, so preparing a pattern costs
// its length, not the table's size.
quint64* peqTable()
{
    thread_local std::vector<quint64> table(65536, 0);
    return table.data();
}
} // namespace

namespace {
constexpr qsizetype kSlots = 128;
constexpr qsizetype kMostRowWords = qsizetype(1) << 20; // 8 MiB of position rows

// Per thread, the row of each UTF-16 unit in a long pattern's position rows;
// filled at the pattern's units only and cleared again, like peqTable.
quint32* unitRowTable()
{
    thread_local std::vector<quint32> table(65536, 0);
    return table.data();
} // per block: at most 64 units, so at most half full

inline unsigned slotOf(char16_t c) { return (unsigned(c) * 40503u >> 7) & unsigned(kSlots - 1); }

// One column step of a 64-row block (Myers 1999, Hyyrö's form): Pv/Mv are the
// vertical +1/-1 differences down the block, `hin` the horizontal difference
// entering at its top; returns the one leaving at its bottom.
inline int advanceBlock(quint64& pv, quint64& mv, quint64 eq, int hin)
{
    const quint64 hinNegative = hin < 0 ? 1 : 0;
    const quint64 xv = eq | mv;
    eq |= hinNegative;
    const quint64 xh = (((eq & pv) + pv) ^ pv) | eq;
    quint64 ph = mv | ~(xh | pv);
    quint64 mh = pv & xh;
    const int hout = int(ph >> 63) - int(mh >> 63);
    ph = (ph << 1) | (hin > 0 ? 1 : 0);
    mh = (mh << 1) | hinNegative;
    pv = mh | ~(xv | ph);
    mv = ph & xv;
    return hout;
}

inline qsizetype floorHalf(qsizetype v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }
inline qsizetype ceilHalf(qsizetype v) { return -floorHalf(-v); }
} // namespace

BoundedDistance::BoundedDistance(QStringView pattern) : m_pattern(pattern)
{
    if (pattern.size() <= 64) {
        m_peq = peqTable();
        for (qsizetype i = 0; i < pattern.size(); ++i)
            m_peq[pattern[i].unicode()] |= quint64(1) << i;
        return;
    }
    const qsizetype blockCount = (pattern.size() + 63) / 64;
    m_unitRow = unitRowTable();
    quint32 distinct = 0;
    for (const QChar c : pattern)
        if (m_unitRow[c.unicode()] == 0)
            m_unitRow[c.unicode()] = ++distinct;
    if (qsizetype(distinct + 1) * blockCount <= kMostRowWords) {
        m_rows.assign(size_t((distinct + 1) * blockCount), 0);
        for (qsizetype i = 0; i < pattern.size(); ++i)
            m_rows[size_t(m_unitRow[pattern[i].unicode()] * blockCount + i / 64)] |= quint64(1) << (i % 64);
        return;
    }
    for (const QChar c : pattern)
        m_unitRow[c.unicode()] = 0;
    m_unitRow = nullptr;
    m_blockUnits.assign(size_t(blockCount * kSlots), 0);
    m_blockMasks.assign(size_t(blockCount * kSlots), 0);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i].unicode();
        const qsizetype base = (i / 64) * kSlots;
        unsigned s = slotOf(c);
        while (m_blockMasks[size_t(base + s)] != 0 && m_blockUnits[size_t(base + s)] != c)
            s = (s + 1) & unsigned(kSlots - 1);
        m_blockUnits[size_t(base + s)] = c;
        m_blockMasks[size_t(base + s)] |= quint64(1) << (i % 64);
    }
}

BoundedDistance::~BoundedDistance()
{
    if (m_peq)
        for (const QChar c : m_pattern)
            m_peq[c.unicode()] = 0;
    if (m_unitRow)
        for (const QChar c : m_pattern)
            m_unitRow[c.unicode()] = 0;
}

qsizetype BoundedDistance::operator()(QStringView text, qsizetype limit) const
{
    const qsizetype m = m_pattern.size();
    const qsizetype n = text.size();
    if ((m > n ? m - n : n - m) > limit)
        return limit + 1;
    if (m == 0)
        return n;
    if (n == 0)
        return m;
    return m_peq ? myers(text, limit) : blocks(text, limit);
}

// Myers' bit-vector algorithm for the global distance (Hyyrö's formulation): one
// column of the distance table per text unit, the pattern's rows as bits.
qsizetype BoundedDistance::myers(QStringView text, qsizetype limit) const
{
    const qsizetype m = m_pattern.size();
    const qsizetype n = text.size();
    const quint64 last = quint64(1) << (m - 1);
    quint64 pv = m == 64 ? ~quint64(0) : (last << 1) - 1;
    quint64 mv = 0;
    qsizetype score = m;
    for (qsizetype j = 0; j < n; ++j) {
        const quint64 eq = m_peq[text[j].unicode()];
        const quint64 xv = eq | mv;
        const quint64 xh = (((eq & pv) + pv) ^ pv) | eq;
        quint64 ph = mv | ~(xh | pv);
        quint64 mh = pv & xh;
        if (ph & last)
            ++score;
        else if (mh & last)
            --score;
        // Each remaining text unit can lower the bottom row by one at most.
        if (score - (n - 1 - j) > limit)
            return limit + 1;
        ph = (ph << 1) | 1;
        mh <<= 1;
        pv = mh | ~(xv | ph);
        mv = ph & xv;
    }
    return score;
}

quint64 BoundedDistance::blockEq(qsizetype block, char16_t c) const
{
    const size_t base = size_t(block * kSlots);
    for (unsigned s = slotOf(c);; s = (s + 1) & unsigned(kSlots - 1)) {
        const quint64 mask = m_blockMasks[base + s];
        if (mask == 0 || m_blockUnits[base + s] == c)
            return mask;
    }
}

// Long patterns: the band tried first is just wide enough for the difference in
// length, then doubled until it holds the distance or reaches the limit. A narrow
// band on texts far apart gives up within a few columns, so the rounds before the
// last cost little.
qsizetype BoundedDistance::blocks(QStringView text, qsizetype limit) const
{
    const qsizetype m = m_pattern.size();
    const qsizetype n = text.size();
    qsizetype k = std::min(limit, std::max<qsizetype>(qAbs(m - n), 64));
    for (;;) {
        const qsizetype d = band(text, k);
        if (d <= k)
            return d;
        if (k >= limit)
            return limit + 1;
        k = std::min(limit, 2 * k);
    }
}

// The distance when it is at most k (k at least the difference in length), else
// a value above k. A cell (i, j) lies on an alignment costing at most k only if
// |i - j| + |(m - i) - (n - j)| <= k, so column j needs only the rows from
// j + ceil((m - n - k) / 2) to j + floor((m - n + k) / 2). Rows outside are never
// read as true values: a block entering the band starts as if each row were one
// more than the row above, and the top block as if the row above it grew by one a
// column. Both are at least the true values, as a value grows by at most one a
// row or a column, so the band's values are never too low, and exact along every
// alignment that stays in the band, which an alignment within k does.
qsizetype BoundedDistance::band(QStringView text, qsizetype k) const
{
    const qsizetype m = m_pattern.size();
    const qsizetype n = text.size();
    const qsizetype lowOffset = ceilHalf(m - n - k), highOffset = floorHalf(m - n + k);
    const auto blockOfRow = [](qsizetype row) { return (row - 1) / 64; }; // rows 1..m
    thread_local std::vector<quint64> pvs, mvs;
    thread_local std::vector<qsizetype> bottoms; // each block's value at its last row
    const qsizetype blockCount = (m + 63) / 64;
    pvs.resize(size_t(blockCount));
    mvs.resize(size_t(blockCount));
    bottoms.resize(size_t(blockCount));
    quint64* const pv = pvs.data();
    quint64* const mv = mvs.data();
    qsizetype* const bottom = bottoms.data();

    qsizetype first = 0;
    qsizetype last = blockOfRow(std::clamp<qsizetype>(1 + highOffset, 1, m));
    for (qsizetype b = 0; b <= last; ++b) {
        pv[b] = ~quint64(0);
        mv[b] = 0;
        bottom[b] = 64 * (b + 1);
    }
    const auto enter = [&](qsizetype wanted) {
        while (last < wanted) {
            ++last;
            pv[last] = ~quint64(0);
            mv[last] = 0;
            bottom[last] = bottom[last - 1] + 64;
        }
    };
    const auto eqRow = [&](qsizetype j) {
        return m_rows.data() + qsizetype(m_unitRow[text[j - 1].unicode()]) * blockCount;
    };
    for (qsizetype j = 1; j <= n; ++j) {
        qsizetype top = std::max<qsizetype>(1, j + lowOffset);
        qsizetype low = std::min(m, j + highOffset);
        enter(blockOfRow(low));
        first = std::max(first, blockOfRow(top));
        if (m_unitRow && j % 2 == 1 && j < n) {
            // Two columns at once, the second a block behind the first: the two
            // chains of carries down the blocks do not wait for each other.
            const qsizetype last1 = last;
            top = std::max<qsizetype>(1, j + 1 + lowOffset);
            low = std::min(m, j + 1 + highOffset);
            const qsizetype first2 = std::max(first, blockOfRow(top)), last2 = blockOfRow(low);
            const quint64* eq1 = eqRow(j);
            const quint64* eq2 = eqRow(j + 1);
            int h1 = 1, h2 = 1;
            for (qsizetype b = first; b <= last1; ++b) {
                h1 = advanceBlock(pv[b], mv[b], eq1[b], h1);
                bottom[b] += h1;
                if (b - 1 >= first2) {
                    h2 = advanceBlock(pv[b - 1], mv[b - 1], eq2[b - 1], h2);
                    bottom[b - 1] += h2;
                }
            }
            enter(last2); // from the first column's values, before the second changes them
            for (qsizetype b = std::max(first2, last1); b <= last2; ++b) {
                h2 = advanceBlock(pv[b], mv[b], eq2[b], h2);
                bottom[b] += h2;
            }
            first = first2;
            ++j;
        } else if (m_unitRow) {
            const quint64* eq = eqRow(j);
            int hin = 1;
            for (qsizetype b = first; b <= last; ++b) {
                hin = advanceBlock(pv[b], mv[b], eq[b], hin);
                bottom[b] += hin;
            }
        } else {
            const char16_t c = text[j - 1].unicode();
            int hin = 1;
            for (qsizetype b = first; b <= last; ++b) {
                hin = advanceBlock(pv[b], mv[b], blockEq(b, c), hin);
                bottom[b] += hin;
            }
        }
        // Now and then, with the least each row of the band can still end with: top
        // blocks whose rows all end above k are left behind (an alignment passing
        // them later would pass them now, the rows above being out of reach
        // already), and once no row can end within k, the answer is known.
        if (j % 256 != 0 || j == n)
            continue;
        qsizetype best = k + 1;
        bool trimming = true;
        for (qsizetype b = first; b <= last && (trimming || best > k); ++b) {
            qsizetype value = bottom[b];
            qsizetype blockBest = k + 1;
            for (qsizetype row = 64 * (b + 1); row >= 64 * b + 1; --row) {
                if (row >= top && row <= low)
                    blockBest = std::min(blockBest, value + qAbs((m - row) - (n - j)));
                const quint64 bit = quint64(1) << ((row - 1) % 64);
                value -= (pv[b] & bit) ? 1 : (mv[b] & bit) ? -1 : 0;
            }
            best = std::min(best, blockBest);
            if (trimming && blockBest > k && b < last)
                first = b + 1;
            else
                trimming = false;
        }
        if (best > k)
            return k + 1;
    }
    // The last block may run past the pattern's end: take back the rows below m.
    qsizetype d = bottom[last];
    if (const int used = int(m % 64)) {
        const quint64 below = ~((quint64(1) << used) - 1);
        d -= qsizetype(qPopulationCount(pv[last] & below)) - qsizetype(qPopulationCount(mv[last] & below));
    }
    return d <= k ? d : k + 1;
}

std::vector<bool> differingCharacters(QStringView source, QStringView phrase)
{
    const QString s = foldCase(source);
    const QString p = foldCase(phrase);
    const qsizetype n = s.size(), m = p.size();
    // Full table, then one optimal alignment traced back; only run for the few
    // suggestions shown.
    std::vector<int> d(size_t((n + 1) * (m + 1)));
    const auto at = [&](qsizetype i, qsizetype j) -> int& { return d[size_t(i * (m + 1) + j)]; };
    for (qsizetype i = 0; i <= n; ++i)
        at(i, 0) = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        at(0, j) = int(j);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j)
            at(i, j) = std::min(
                {at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (s[i - 1] == p[j - 1] ? 0 : 1)});
    std::vector<bool> marks(size_t(n), false);
    qsizetype i = n, j = m;
    // Extra source characters are taken first, so an added word is marked as one
    // piece rather than letter by letter across its neighbours.
    while (i > 0 && j > 0) {
        if (at(i, j) == at(i - 1, j) + 1) {
            marks[size_t(--i)] = true;
        } else if (s[i - 1] == p[j - 1] && at(i, j) == at(i - 1, j - 1)) {
            --i;
            --j;
        } else if (at(i, j) == at(i - 1, j - 1) + 1) {
            marks[size_t(--i)] = true;
            --j;
        } else {
            --j;
        }
    }
    while (i > 0)
        marks[size_t(--i)] = true;
    return marks;
}

} // namespace kvarsel
