#pragma once
// Answers "the first row after `start` that begins with `search`, ignoring case"
// (the dictionary's FindPrefix) for a fixed set of rows in O(log n) steps instead
// of a walk to the end of the list. The duplicate search asks this once per entry,
// so the walk would make it quadratic in the dictionary's size.
//
// Rows are ordered by their folded text, so the rows beginning with a prefix form
// one run of that order; a wavelet matrix over the row numbers in that order gives
// the smallest one after `start` within the run. It takes a few bits a row where a
// merge-sort tree took a whole number a row on each of twenty levels. Rows emptied
// after the index was built (a blanked entry) are marked and passed over; any
// other change needs a new index.

#include <QStringList>
#include <vector>

namespace kvarsel {

class PrefixIndex {
public:
    // Keeps `rows` (a copy that shares the texts) to compare against.
    explicit PrefixIndex(QStringList rows);

    // As FindPrefix on the rows the index was built from, with marked rows empty.
    qsizetype findPrefix(QStringView search, qsizetype start) const;

    // Row `row` is empty now.
    void markEmpty(qsizetype row);

private:
    // One level of the matrix: a bit per position, with the count of ones before
    // every 64 positions.
    struct Bits {
        std::vector<quint64> words;
        std::vector<quint32> onesBefore;
        size_t ones(size_t position) const;
    };
    // The smallest row number at least `least` among the positions [from, to) of the order.
    qsizetype smallestFrom(size_t from, size_t to, quint32 least) const;

    QStringList m_rows;
    std::vector<qint32> m_sorted; // non-empty rows, by folded text (ties by row)
    int m_bitCount = 0;           // bits of the largest row number
    std::vector<Bits> m_levels;   // level 0: the highest bit
    std::vector<size_t> m_zeros;  // per level, how many positions hold a 0
    std::vector<bool> m_empty;    // rows emptied after the build
};

} // namespace kvarsel
