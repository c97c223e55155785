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
    // and returns its id; phrases equal ignoring case share one. The characters
    // must stay as they are until answer() has run.
    qint32 add(QStringView phrase);
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // Streams the decoded text of a dictionary file: its non-empty lines, which
    // the dictionary load makes rows 2, 3, ... after the two empty ones. Stops as
    // soon as every phrase is settled. The text must outlive the answers.
    void answer(QStringView dictionaryText);

    // The translation row found for phrase `id`, if any.
    std::optional<QStringView> translation(qint32 id) const;

private:
    enum class State : quint8 { Open, AwaitingTranslation, Found, NotFound };
    struct Entry {
        const QChar* text;
        qsizetype size;
        quint64 hash;
        qsizetype translationStart = 0;
        qsizetype translationSize = 0;
        State state = State::Open;
    };

    qint32 find(quint64 hash, const QChar* text, qsizetype size) const;
    void grow();
    void settleRow(qsizetype row, const QChar* text, qsizetype size);
    bool mayStart(char16_t folded) const { return (m_firsts[folded >> 6] >> (folded & 63)) & 1; }

    std::vector<Entry> m_entries;
    std::vector<qint32> m_slots; // open addressing, -1 for a free slot; a power of two long
    std::vector<quint8> m_lengths; // 1 where some phrase has that length
    std::vector<quint64> m_firsts = std::vector<quint64>(1024, 0); // folded first characters
    qsizetype m_open = 0;           // phrases not settled yet
    qint32 m_awaiting = -1;         // found on the row just streamed; its translation is next
    const QChar* m_base = nullptr;  // the streamed text
};

} // namespace kvarsel
