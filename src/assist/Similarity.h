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
// and matched against many texts (bit-parallel for patterns up to 64 units).
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
    qsizetype rows(QStringView text, qsizetype limit) const;

    QStringView m_pattern;
    quint64* m_peq = nullptr; // per UTF-16 unit, the pattern positions holding it
};

// Which characters of `source` an alignment with `phrase` (both compared in lower
// case) does not match: substituted or inserted ones, marked true.
std::vector<bool> differingCharacters(QStringView source, QStringView phrase);

} // namespace kvarsel
