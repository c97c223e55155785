#pragma once
// The phrases of one deferred-translation export, kept in ascending order without
// regard to letter case. Phrases that compare equal keep the order in which they
// were added, so of "Save", "save" and "SAVE" the one found first stays first.

#include <QStringList>
#include <vector>

namespace kvarsel {

class ExportList {
public:
    void Clear();
    void Add(const QString& phrase);

    qsizetype Count() const;
    bool IsEmpty() const { return Count() == 0; }
    const QString& Item(qsizetype index) const;
    // Replaces an entry in place; the order is not restored afterwards.
    void Replace(qsizetype index, const QString& phrase);

    // Of neighbours equal without regard to case only the first remains.
    void RemoveDuplicates();

    QStringList Items() const;

private:
    struct Entry {
        QString phrase;
        QString key; // the phrase folded to lower case
    };
    // Phrases arrive one per loaded row, tens of thousands of them; inserting each
    // at its sorted place would move the whole tail every time. They are appended
    // and put in order on first use, which yields the same list.
    void sort() const;

    mutable std::vector<Entry> m_entries;
    mutable qsizetype m_sorted = 0; // length of the prefix already in order
};

} // namespace kvarsel
