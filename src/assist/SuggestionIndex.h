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
    SuggestionSegment(const QStringList& rows, QString name);

    const QString& name() const { return m_name; }
    QString row(qsizetype r) const;
    QStringList rows() const;
    qsizetype indexedRows() const { return qsizetype(m_rowStart.size()) - 1; }
    qsizetype keyCount() const { return qsizetype(m_entryStart.size()) - 1; }

    struct Collector;
    void search(QStringView folded, const BoundedDistance& distance, int rank, Collector& top) const;

private:
    qsizetype rowLength(qsizetype r) const { return m_rowStart[size_t(r) + 1] - m_rowStart[size_t(r)]; }
    qsizetype keyLength(quint32 id) const { return rowLength(m_entryRows[m_entryStart[id]]); }
    // The folded source of key `id`, in a buffer of the calling thread's that the next call reuses.
    QStringView key(quint32 id) const;

    // A token's keys from `idLo` on, read until `idHi`; `estimate` is about how many.
    struct Postings {
        const uchar* next;
        const uchar* end;
        quint32 previous; // the key before `next`'s (~0: none)
        qsizetype estimate;
    };
    Postings postings(quint32 token, quint32 idLo, quint32 idHi) const;

    // The rows, one after another: one byte a character in the code page of the
    // dictionary files when it holds every row (the usual case, half the memory),
    // else UTF-16 in m_wide. A list of strings would take three times the text.
    QByteArray m_narrow;
    QString m_wide;
    std::vector<quint32> m_rowStart; // rows + 1 offsets, in characters
    QString m_name;
    // Distinct folded sources, numbered by length then first appearance, so a
    // length range is a range of numbers. A key is its first entry's source folded.
    std::vector<quint32> m_lengthStart; // first key of each length, maxLength + 2 entries
    std::vector<quint32> m_entryStart;  // per key, its entries in m_entryRows
    std::vector<quint32> m_entryRows;   // rows of sources, in row order per key
    // Padded letter pairs, each counted by occurrence ("ab" the second time is its
    // own token), with the keys holding each token in ascending order. A list is
    // kept as the gaps between its keys, seven bits a byte (most gaps are small, so
    // a quarter of the memory of whole numbers), with a skip point every
    // kSkipEvery keys (the key before it and where it starts) to reach a length range.
    QHash<quint64, quint32> m_tokens; // token code -> token number
    struct TokenList {
        quint32 byteStart; // into m_postingBytes
        quint32 count;
        quint32 skipStart; // into m_skips, two numbers a skip point
    };
    std::vector<TokenList> m_lists; // tokenCount + 1, the last one an end mark
    QByteArray m_postingBytes;
    std::vector<quint32> m_skips;
};

class SuggestionIndex {
    struct Part;

public:
    SuggestionIndex();
    ~SuggestionIndex();

    // The index as it is now, for a search on another thread while this one goes on:
    // the segments never change and are shared, the user dictionary's rows are a
    // copy (their texts shared), so later edits do not reach it.
    class Search {
    public:
        Search();
        ~Search();
        Search(const Search&);
        Search& operator=(const Search&);
        QList<Suggestion> suggest(QStringView phrase, int limit = kWindowSuggestions,
                                  int minimum = kDefaultMinimumSimilarity) const;

    private:
        friend class SuggestionIndex;
        std::vector<Part> m_parts;
        QStringList m_userRows;
        bool m_followsUser = false;
    };
    Search search() const;

    // Brings the index up to date: connected dictionaries read again only when the
    // list or a file changed; the user dictionary (`user`, the rows in memory)
    // followed as entries are appended, indexed again after any other edit. The
    // user dictionary takes the place of its file in the connected list, or comes
    // first when it is not connected. Returns the files that could not be read
    // (they are left out until they change).
    FileErrors refresh(const QString& workDir, const QStringList& connected, const CurrentDictionary& user);

    // The same refresh in three steps, so the reading and indexing can run on another
    // thread: plan() notes on this thread what is to be read (the user dictionary's
    // rows are taken as they are now), build() reads and indexes on any thread, and
    // apply() puts the result in place on this one. While an update is out, the
    // index must not be refreshed otherwise.
    class Update;
    std::shared_ptr<Update> plan(const QString& workDir, const QStringList& connected,
                                 const CurrentDictionary& user) const;
    static bool needsBuild(const Update& update);
    static void build(Update& update);
    FileErrors apply(Update& update);

    QList<Suggestion> suggest(QStringView phrase, int limit = kWindowSuggestions,
                              int minimum = kDefaultMinimumSimilarity) const;

    // The same answer by comparing the phrase with every entry; kept for the tests.
    QList<Suggestion> suggestByScan(QStringView phrase, int limit = kWindowSuggestions,
                                    int minimum = kDefaultMinimumSimilarity) const;

    // The rows of each dictionary in search order (the user dictionary's as indexed).
    qsizetype dictionaryCount() const { return qsizetype(m_parts.size()); }
    QStringList rowsOf(qsizetype rank) const;
    bool isUserDictionary(qsizetype rank) const { return m_parts[size_t(rank)].user; }
    // In the connected list (the user dictionary is searched even when it is not).
    bool isConnected(qsizetype rank) const { return m_parts[size_t(rank)].connected; }

private:
    // The search over `parts`; `userRows`: the user dictionary's rows, whose entries
    // past its segment's are compared one by one (null: none).
    static QList<Suggestion> searchParts(const std::vector<Part>& parts, const QStringList* userRows,
                                         QStringView phrase, int limit, int minimum);

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
