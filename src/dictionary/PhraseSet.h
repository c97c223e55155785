#pragma once
// The lookup of an automatic-translation pass turned around: the distinct texts to
// translate are hashed once, without regard to letter case, and the dictionary's
// rows stream past them in file order. A phrase is settled by the first row that
// settles it in the row walk of SearchString: a source row equal to it ignoring
// case (found; the next row is the translation) or a translation row beginning
// with it (the walk gives up there). So every phrase gets the walk's answer, all
// of them in one pass over the decoded file, with no string made per row.

#include <QStringView>
#include <optional>
#include <vector>

namespace kvarsel {

class PhraseSet {
public:
    void reserve(qsizetype phrases);

    // Adds a phrase SearchString would look up (non-empty, first character ASCII)
    // and returns its id; phrases equal ignoring case share one.
    qint32 add(QStringView phrase);
    qsizetype size() const { return qsizetype(m_records.size()); }

    // Streams the decoded text of a dictionary file: its non-empty lines, which
    // the dictionary load makes rows 2, 3, ... after the two empty ones. Stops as
    // soon as every phrase is settled. Answers for an earlier dictionary are
    // dropped first. The text must outlive the answers.
    void answer(QStringView dictionaryText);

    // The translation row found for phrase `id`, if any.
    std::optional<QStringView> translation(qint32 id) const;

private:
    enum State : quint8 { Open, AwaitingTranslation, Found, NotFound };
    // A slot keeps the lower half of the hash, so most rows that match no phrase
    // are told apart in the table alone, and where the phrase's record starts in
    // m_folded: its id, its length, then its folded characters, all in one place.
    struct Slot {
        quint32 tag = 0;
        quint32 record = 0; // 1 + the record's offset; 0 for a free slot
    };
    static constexpr qsizetype kRecordHead = 4; // id and length, two units each
    struct Row; // one row of a block being streamed

    qint32 find(quint64 hash, const QChar* text, qsizetype size) const;
    qint32 matchRecord(quint32 record, const QChar* text, qsizetype size) const;
    size_t firstSlot(quint64 hash) const;
    void rehash(size_t slotCount);
    void settle(qint32 id, State state);
    void settleOddRow(const QChar* text, qsizetype size);
    void fetchRecords(Row* rows, int count);
    void settleBlock(const Row* rows, int count);
    bool mayStart(char16_t folded) const { return (m_firsts[folded >> 6] >> (folded & 63)) & 1; }

    std::vector<quint32> m_records; // record offset of each id
    std::vector<State> m_states;
    std::vector<std::pair<qsizetype, qsizetype>> m_translations; // start and size in the streamed text
    std::vector<char16_t> m_folded; // the records of the phrases, one after another
    std::vector<Slot> m_slots;      // open addressing; a power of two long
    int m_shift = 64;               // hash bits dropped to index m_slots
    std::vector<quint8> m_lengths;  // 1 where some phrase has that length
    std::vector<quint64> m_firsts = std::vector<quint64>(1024, 0); // folded first characters
    qsizetype m_open = 0;           // phrases not settled yet
    qint32 m_awaiting = -1;         // found on the row just streamed; its translation is next
    const QChar* m_base = nullptr;  // the streamed text
};

} // namespace kvarsel
