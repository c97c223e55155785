#pragma once
// Similar translations: the user dictionary in memory and every connected
// dictionary, each read once into an index of its own, searched for the entries
// whose sources are most like a phrase (see Similarity.h for the measure).
//
// Results are exactly the best `limit` entries by similarity, at least `minimum`;
// ties go to the earlier dictionary in the connected list, then the earlier row.
// An entry repeating the source and translation of a better-placed one is left
// out, so the list never shows the same suggestion twice.

#include "text/FileError.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace kvarsel {

class BoundedDistance;
class CurrentDictionary;

struct Suggestion {
    int similarity = 0;
    QString source;
    QString translation;
    QString dictionary; // the dictionary's file name
    int rank = 0;       // place of the dictionary in the search order
    qsizetype row = 0;  // row of the source in that dictionary's rows
};

inline constexpr int kDefaultMinimumSimilarity = 60;
inline constexpr int kWindowSuggestions = 5;

// One dictionary's rows (two empty rows, then source and translation in turn)
// prepared for the search. Immutable once built, so threads may share it.
class SuggestionSegment {
public:
    SuggestionSegment(QStringList rows, QString name);

    const QString& name() const { return m_name; }
    const QStringList& rows() const { return m_rows; }
    qsizetype indexedRows() const { return m_rows.size(); }
    qsizetype keyCount() const { return qsizetype(m_keyStart.size()) - 1; }

    struct Collector;
    void search(QStringView folded, const BoundedDistance& distance, int rank, Collector& top) const;

private:
    QStringView key(quint32 id) const;

    QStringList m_rows;
    QString m_name;
    // Distinct folded sources, numbered by length then first appearance, so a
    // length range is a range of numbers.
    std::vector<char16_t> m_keyText;
    std::vector<quint32> m_keyStart;    // keyCount + 1 offsets into m_keyText
    std::vector<quint32> m_lengthStart; // first key of each length, maxLength + 2 entries
    std::vector<quint32> m_entryStart;  // per key, its entries in m_entryRows
    std::vector<quint32> m_entryRows;   // rows of sources, in row order per key
    // Padded letter pairs, each counted by occurrence ("ab" the second time is its
    // own token), with the keys holding each token in ascending order.
    QHash<quint64, quint32> m_tokens;    // token code -> token number
    std::vector<quint32> m_postingStart; // tokenCount + 1 offsets
    std::vector<quint32> m_postings;
};

class SuggestionIndex {
public:
    SuggestionIndex();
    ~SuggestionIndex();

    // Brings the index up to date: connected dictionaries read again only when the
    // list or a file changed; the user dictionary (`user`, the rows in memory)
    // followed as entries are appended, indexed again after any other edit. The
    // user dictionary takes the place of its file in the connected list, or comes
    // first when it is not connected. Returns the files that could not be read
    // (they are left out until they change).
    FileErrors refresh(const QString& workDir, const QStringList& connected, const CurrentDictionary& user);

    QList<Suggestion> suggest(QStringView phrase, int limit = kWindowSuggestions,
                              int minimum = kDefaultMinimumSimilarity) const;

    // The same answer by comparing the phrase with every entry; kept for the tests.
    QList<Suggestion> suggestByScan(QStringView phrase, int limit = kWindowSuggestions,
                                    int minimum = kDefaultMinimumSimilarity) const;

    // The rows of each dictionary in search order (the user dictionary's as indexed).
    qsizetype dictionaryCount() const { return qsizetype(m_parts.size()); }
    const QStringList& rowsOf(qsizetype rank) const;
    bool isUserDictionary(qsizetype rank) const { return m_parts[size_t(rank)].user; }
    // In the connected list (the user dictionary is searched even when it is not).
    bool isConnected(qsizetype rank) const { return m_parts[size_t(rank)].connected; }

private:
    struct Part {
        QString path; // empty for the user dictionary when it has no file
        bool user = false;
        bool connected = true;
        qint64 size = -1;
        QDateTime modified;
        std::shared_ptr<const SuggestionSegment> segment;
    };
    const CurrentDictionary* m_user = nullptr;
    quint64 m_userRewrite = 0;
    bool m_userIndexed = false;
    std::vector<Part> m_parts;
};

} // namespace kvarsel
