#pragma once
// Answers "the first row after `start` that begins with `search`, ignoring case"
// (the dictionary's FindPrefix) for a fixed set of rows in O(log² n) instead of a
// walk to the end of the list. The duplicate search asks this once per entry, so
// the walk would make it quadratic in the dictionary's size.
//
// Rows are sorted by their folded text, so the rows beginning with a prefix form
// one run of that order; a merge-sort tree over the run's row numbers gives the
// smallest one after `start`. Rows emptied after the index was built (a blanked
// entry) are marked and passed over; any other change needs a new index.

#include <QStringList>
#include <vector>

namespace kvarsel {

class PrefixIndex {
public:
    explicit PrefixIndex(const QStringList& rows);

    // As FindPrefix on the rows the index was built from, with marked rows empty.
    qsizetype findPrefix(QStringView search, qsizetype start) const;

    // Row `row` is empty now.
    void markEmpty(qsizetype row);

private:
    qsizetype firstAliveAfter(const std::vector<qint32>& level, size_t from, size_t to, qint32 after) const;

    qsizetype m_rowCount = 0;
    std::vector<QString> m_sortedTexts;        // folded non-empty rows, sorted
    std::vector<std::vector<qint32>> m_levels; // level L: blocks of 2^L positions, each sorted by row
    size_t m_width = 1;                        // positions, padded to a power of two
    std::vector<bool> m_empty;                 // rows emptied after the build
};

} // namespace kvarsel
