#pragma once
// An index over the dictionary rows that answers a phrase lookup exactly as the
// row-by-row walk does, without walking.
//
// The walk goes through the rows that begin with the phrase (ignoring case) from
// row 1 on and stops at the first that is either a translation row (odd: not
// found) or a source of the phrase's own length (even: found). So a phrase is
// found exactly when the lowest even row equal to it comes before the lowest odd
// row beginning with it. A hash of the sources answers the first question, a
// sorted list of the translation rows with a range minimum the second.

#include <QHash>
#include <QStringList>
#include <vector>

namespace kvarsel {

class LookupIndex {
public:
    explicit LookupIndex(const QStringList& rows);

    // The source row the walk would stop at with success, or -1.
    qsizetype find(QStringView phrase) const;

private:
    qsizetype lowestOddRowStartingWith(const QString& foldedPrefix) const;

    QHash<QString, qsizetype> m_firstEven; // folded source -> its lowest even row (from 2)
    std::vector<QString> m_oddTexts;       // folded odd rows that could begin a phrase, sorted
    std::vector<qsizetype> m_oddRows;      // their row numbers, in the same order
    std::vector<qsizetype> m_minTree;      // range minimum over m_oddRows
};

} // namespace kvarsel
