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

BoundedDistance::BoundedDistance(QStringView pattern) : m_pattern(pattern)
{
    if (pattern.size() <= 64) {
        m_peq = peqTable();
        for (qsizetype i = 0; i < pattern.size(); ++i)
            m_peq[pattern[i].unicode()] |= quint64(1) << i;
    }
}

BoundedDistance::~BoundedDistance()
{
    if (m_peq)
        for (const QChar c : m_pattern)
            m_peq[c.unicode()] = 0;
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
    return m_peq ? myers(text, limit) : rows(text, limit);
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

// Long patterns: the table row by row, stopping once a whole row exceeds the limit
// (values along any path never fall, so the end cannot come back under it).
qsizetype BoundedDistance::rows(QStringView text, qsizetype limit) const
{
    const QStringView a = m_pattern;
    std::vector<qsizetype> row(size_t(text.size()) + 1);
    for (qsizetype j = 0; j <= text.size(); ++j)
        row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        qsizetype best = row[0];
        for (qsizetype j = 1; j <= text.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            const qsizetype cost = a[i - 1] == text[j - 1] ? 0 : 1;
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
            best = std::min(best, row[size_t(j)]);
        }
        if (best > limit)
            return limit + 1;
    }
    return row[size_t(text.size())];
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
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (s[i - 1] == p[j - 1] ? 0 : 1)});
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
