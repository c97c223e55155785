#pragma once
// The lookup of an automatic-translation pass turned around: the distinct texts to
// translate are hashed once, without regard to letter case, and the dictionary's
// rows stream past them in file order. A phrase is settled by the first row that
// settles it in the row walk of SearchString: a source row equal to it ignoring
// case (found; the next row is the translation) or a translation row beginning
// with it (the walk gives up there). So every phrase gets the walk's answer, all
// of them in one pass over the file, with no string made per row.
//
// A Windows-1251 dictionary is streamed as its undecoded bytes: each byte is one
// character, folded through a table of 256, so the hashes and comparisons are the
// decoded text's and only the translations found are ever decoded.

#include <QByteArrayView>
#include <QString>
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
    // The same for many phrases, faster; the ids in their order.
    std::vector<qint32> add(const std::vector<QStringView>& phrases);
    qsizetype size() const { return qsizetype(m_records.size()); }

    // Streams the text of a dictionary file: its non-empty lines, which the
    // dictionary load makes rows 2, 3, ... after the two empty ones. Stops as soon
    // as every phrase is settled. Answers for an earlier dictionary are dropped
    // first. The text must outlive the answers.
    void answer(QStringView dictionaryText);
    // The same over the bytes of a Windows-1251 file, as cp1251::decode would give them.
    void answerWindows1251(QByteArrayView dictionaryBytes);

    // What of a dictionary text the stream needs, found without the phrases (the
    // rows a phrase could begin, the hashes of the source rows among them): a scan
    // can run on another thread while the set is busy, then answer with it. A scan
    // belongs to its text.
    struct ScannedRow {
        qsizetype start;
        quint64 hash;   // a source row's, mixed
        qint32 size;    // capped: a longer row is longer than any phrase
        char16_t first; // the first character, folded
        bool even;      // a source row
    };
    class Scan {
    private:
        friend class PhraseSet;
        std::vector<ScannedRow> m_rows;
    };
    static void scan(QStringView dictionaryText, Scan& into);
    static void scanWindows1251(QByteArrayView dictionaryBytes, Scan& into);
    void answer(QStringView dictionaryText, const Scan& scan);
    void answerWindows1251(QByteArrayView dictionaryBytes, const Scan& scan);

    // Whether phrase `id` has a translation row.
    bool found(qint32 id) const { return m_states[size_t(id)] == Found; }
    // The translation row found for phrase `id`, if any, decoded.
    std::optional<QString> translation(qint32 id) const;

private:
    enum State : quint8 { Open, Found, NotFound };
    // A slot keeps the lower half of the hash, so most rows that match no phrase
    // are told apart in the table alone, and where the phrase's record starts in
    // m_folded: its id, its length, then its folded characters, all in one place.
    struct Slot {
        quint32 tag = 0;
        quint32 record = 0; // 1 + the record's offset, and kSettled; 0 for a free slot
    };
    // Set in the slot of a settled phrase that sits in its home slot and is the only
    // phrase there with its tag. Records stay far below 2^31 units.
    static constexpr quint32 kSettled = 0x80000000u;
    static constexpr qsizetype kRecordHead = 4; // id and length, two units each
    template <class Units> struct Stream;       // one answer over one kind of text

    template <class Units>
    qint32 find(const Units& units, quint64 hash, qsizetype start, qsizetype size) const;
    template <class Units>
    qint32 matchRecord(const Units& units, quint32 record, qsizetype start, qsizetype size) const;
    template <class Units> void run(const Units& units, const Scan& scan);
    size_t firstSlot(quint64 hash) const { return size_t(hash >> m_shift); }
    void rehash(size_t slotCount);
    void place(quint64 hash, qint32 id);
    qint32 addHashed(QStringView phrase, quint64 hash);
    void settle(qint32 id, State state);
    bool mayStart(char16_t folded) const { return (m_firsts[folded >> 6] >> (folded & 63)) & 1; }

    std::vector<quint32> m_records; // record offset of each id
    std::vector<State> m_states;
    std::vector<std::pair<qsizetype, qsizetype>> m_translations; // start and size in the streamed text
    std::vector<char16_t> m_folded;      // the records of the phrases, one after another
    std::vector<Slot> m_slots;           // open addressing; a power of two long
    std::vector<quint32> m_slotOf;       // the slot of each id
    std::vector<quint8> m_alone;         // 1: in its home slot, and no other phrase has its slot and tag
    std::vector<quint32> m_settledSlots; // slots marked kSettled in this answer
    int m_shift = 64;                    // hash bits dropped to index m_slots
    std::vector<quint8> m_lengths;       // 1 where some phrase has that length
    std::vector<quint64> m_firsts = std::vector<quint64>(1024, 0); // folded first characters
    qsizetype m_open = 0;                                          // phrases not settled yet
    // The streamed text: UTF-16 units, or Windows-1251 bytes.
    QStringView m_text;
    QByteArrayView m_bytes;
    bool m_streamedBytes = false;
};

} // namespace kvarsel
