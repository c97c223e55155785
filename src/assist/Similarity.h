#pragma once
// How alike two phrases are, for the similar-translations list: the Levenshtein
// distance d of the two phrases in lower case (one UTF-16 unit at a time, as every
// case-insensitive test of the program folds) turned into a whole percentage,
// floor(100 * (1 - d / max(len a, len b))).

#include <QString>
#include <QStringView>
#include <vector>

namespace kvarsel {

// The plain dynamic-programming distance; the reference the fast paths are tested against.
int levenshtein(QStringView a, QStringView b);

// The percentage for two phrases as they are (folded here).
int similarity(QStringView a, QStringView b);

// The percentage for distance `d` between phrases of lengths la and lb.
inline int similarityOf(qsizetype d, qsizetype la, qsizetype lb)
{
    const qsizetype m = la > lb ? la : lb;
    return m == 0 ? 100 : int((100 * (m - d)) / m);
}

// The largest distance that still gives at least `percent` between phrases whose
// longer one has `longer` characters.
inline qsizetype maxDistanceFor(int percent, qsizetype longer) { return ((100 - percent) * longer) / 100; }

// Levenshtein distance of `pattern` and `text`, both already folded, when it is at
// most `limit`; otherwise some value above `limit`. The pattern is prepared once
// and matched against many texts. Bit-parallel: one machine word for a pattern of
// up to 64 units; a longer one in blocks of 64 rows, only the blocks of a diagonal
// band that an alignment within the distance can cross, the band widened step by
// step from narrow, so the work grows with the length times the distance found
// (over 64), not with the product of the lengths. It prepares the pattern in
// tables of its thread: one at a time per thread.
class BoundedDistance {
public:
    explicit BoundedDistance(QStringView pattern);
    ~BoundedDistance();
    BoundedDistance(const BoundedDistance&) = delete;
    BoundedDistance& operator=(const BoundedDistance&) = delete;

    qsizetype length() const { return m_pattern.size(); }
    qsizetype operator()(QStringView text, qsizetype limit) const;

private:
    qsizetype myers(QStringView text, qsizetype limit) const;
    qsizetype blocks(QStringView text, qsizetype limit) const;
    qsizetype band(QStringView text, qsizetype k) const;
    quint64 blockEq(qsizetype block, char16_t c) const;

    QStringView m_pattern;
    quint64* m_peq = nullptr; // per UTF-16 unit, the pattern positions holding it
    // Longer patterns: each unit's positions, block by block, one row of blocks per
    // distinct unit of the pattern (row 0: none, for units not in it), found through
    // a per-thread table by unit. A pattern of very many distinct units would make
    // that too big: then per block a small open-addressed table of the units in it.
    quint32* m_unitRow = nullptr;
    std::vector<quint64> m_rows;
    std::vector<char16_t> m_blockUnits;
    std::vector<quint64> m_blockMasks;
};

// Which characters of `source` an alignment with `phrase` (both compared in lower
// case) does not match: substituted or inserted ones, marked true.
std::vector<bool> differingCharacters(QStringView source, QStringView phrase);

} // namespace kvarsel
