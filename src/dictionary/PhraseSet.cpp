#include "dictionary/PhraseSet.h"

#include "text/CaseFold.h"
#include "text/Cp1251.h"
#include "text/LineEnds.h"
#include "text/Prefetch.h"

#include <array>
#include <limits>

namespace kvarsel {
namespace {

// A polynomial hash over the folded units, h = h * P + unit: a prefix's hash is a
// step on the way to the whole row's, so one walk along a translation row hashes
// all its prefixes, while a whole source row is hashed four units a step, its
// multiplications side by side instead of one after another.
constexpr quint64 kSeed = 0x6A09E667F3BCC909ULL;
constexpr quint64 kPrime = 0x9E3779B97F4A7C15ULL;
constexpr quint64 kPrime2 = kPrime * kPrime;
constexpr quint64 kPrime3 = kPrime2 * kPrime;
constexpr quint64 kPrime4 = kPrime3 * kPrime;

inline quint64 hashStep(quint64 h, char16_t folded) { return h * kPrime + folded; }
// Spreads every bit over the whole word: the slot comes from the upper bits, the tag from the lower.
inline quint64 mixed(quint64 h)
{
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 32);
}
inline quint32 tagOf(quint64 h) { return quint32(h); }

template <class Units> quint64 hashOf(const Units& units, qsizetype start, qsizetype size)
{
    quint64 h = kSeed;
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        const qsizetype k = start + i;
        h = h * kPrime4 + units.folded(k) * kPrime3 + units.folded(k + 1) * kPrime2 +
            units.folded(k + 2) * kPrime + units.folded(k + 3);
    }
    for (; i < size; ++i)
        h = hashStep(h, units.folded(start + i));
    return h;
}

// Rows are streamed in blocks: the slot of every row of a block is fetched from
// memory before the first row is settled, so the table's cache misses overlap
// instead of adding up. The rows are still settled one by one, in file order.
constexpr int kBlock = 32;

inline quint32 unitsToInt(const char16_t* p) { return quint32(p[0]) | (quint32(p[1]) << 16); }

// Decoded text: UTF-16 units, folded through the table of every unit.
struct Utf16Units {
    const char16_t* d;
    qsizetype n;
    const std::array<char16_t, 65536>& lower = lowerCaseTable();

    char16_t folded(qsizetype i) const { return lower[d[i]]; }
    bool isLineBreak(qsizetype i) const { return d[i] == u'\r' || d[i] == u'\n'; }
};

// A phrase's record: already folded.
struct FoldedUnits {
    const char16_t* d;
    char16_t folded(qsizetype i) const { return d[i]; }
};

// The lower-case UTF-16 unit of each Windows-1251 byte's character.
const std::array<char16_t, 256>& windows1251Folds()
{
    static const std::array<char16_t, 256> table = [] {
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        const QString decoded = cp1251::decode(bytes);
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = lowerCaseTable()[decoded[b].unicode()];
        return t;
    }();
    return table;
}

// Undecoded Windows-1251: one byte, one character; CR and LF are their ASCII bytes.
struct Cp1251Units {
    const uchar* d;
    qsizetype n;
    const std::array<char16_t, 256>& fold = windows1251Folds();

    char16_t folded(qsizetype i) const { return fold[d[i]]; }
    bool isLineBreak(qsizetype i) const { return d[i] == '\r' || d[i] == '\n'; }
};

} // namespace

// A dictionary's rows, found without the phrases: every row whose first character
// folds to ASCII, as every phrase's does, with its hash if it is a source row.
template <class Units> void scanRows(const Units& units, std::vector<PhraseSet::ScannedRow>& rows)
{
    rows.clear();
    const qsizetype n = units.n;
    LineEnds ends(units.d, units.n);
    bool even = true; // rows 0 and 1 are the load's two empty rows; the first line is row 2
    for (qsizetype i = 0; i < n;) {
        const qsizetype j = ends.next(i);
        // Empty lines are no rows, so "\r\n" needs no pairing here.
        if (j > i) {
            const char16_t first = units.folded(i);
            if (first < 128) {
                // Longer than any phrase can be, a row needs no hash and no exact size.
                const qint32 size = qint32(qMin<qsizetype>(j - i, std::numeric_limits<qint32>::max()));
                const quint64 hash =
                    even && size < std::numeric_limits<qint32>::max() ? mixed(hashOf(units, i, j - i)) : 0;
                rows.push_back(PhraseSet::ScannedRow{i, hash, size, first, even});
            }
            even = !even;
        }
        i = j + 1;
    }
}

// The row after the one ending at `end` (empty lines are no rows): its start and
// size, or a size of -1 at the end of the text.
template <class Units> std::pair<qsizetype, qsizetype> rowAfter(const Units& units, qsizetype end)
{
    while (end < units.n && units.isLineBreak(end))
        ++end;
    qsizetype stop = end;
    while (stop < units.n && !units.isLineBreak(stop))
        ++stop;
    return {end, stop > end ? stop - end : -1};
}

template <class Units> struct PhraseSet::Stream {
    // The rows that may settle a phrase: a source row of a length some phrase has, or
    // a translation row; either beginning with a character some phrase begins with.
    struct Row {
        const ScannedRow* scanned;
        quint32 record; // the record its first slot points to when the tags agree, else 0
        bool settled;   // that record's phrase was settled earlier: the row settles nothing
    };

    PhraseSet& set;
    const Units& units;

    // A translation row ends the walk of every phrase it begins with.
    void settleOddRow(qsizetype start, qsizetype size)
    {
        const qsizetype limit = qMin(size, qsizetype(set.m_lengths.size()) - 1);
        quint64 h = kSeed;
        for (qsizetype i = 0; i < limit; ++i) {
            h = hashStep(h, units.folded(start + i));
            if (!set.m_lengths[size_t(i + 1)])
                continue;
            const qint32 id = set.find(units, mixed(h), start, i + 1);
            if (id >= 0 && set.m_states[size_t(id)] == Open)
                set.settle(id, NotFound);
        }
    }

    void fetchRecords(Row* rows, int count)
    {
        // The slots were asked for while the rows were picked; now the records they
        // point to are asked for, a block before the rows are settled.
        for (int r = 0; r < count; ++r) {
            Row& row = rows[r];
            row.record = 0;
            row.settled = false;
            if (row.scanned->even) {
                const quint64 hash = row.scanned->hash;
                const Slot slot = set.m_slots[set.firstSlot(hash)];
                if (slot.record && slot.tag == tagOf(hash)) {
                    // A row can only be the phrase that alone has its slot and tag; once that
                    // phrase is settled, nothing is left for the row to do.
                    row.settled = slot.record & kSettled;
                    row.record = slot.record & ~kSettled;
                    if (!row.settled)
                        prefetch(set.m_folded.data() + row.record - 1);
                }
            }
        }
    }

    void settleBlock(const Row* rows, int count)
    {
        for (int r = 0; r < count; ++r) {
            const Row& row = rows[r];
            const ScannedRow& scanned = *row.scanned;
            if (!scanned.even) {
                settleOddRow(scanned.start, scanned.size);
                continue;
            }
            if (row.settled)
                continue;
            // A source row settles the phrase it equals: found, unless the walk
            // stopped earlier; a source on the last row has no translation to give.
            qint32 id = row.record ? set.matchRecord(units, row.record - 1, scanned.start, scanned.size) : -1;
            if (id < 0)
                id = set.find(units, scanned.hash, scanned.start, scanned.size);
            if (id >= 0 && set.m_states[size_t(id)] == Open) {
                const auto [nextStart, nextSize] = rowAfter(units, scanned.start + scanned.size);
                if (nextSize < 0) {
                    set.settle(id, NotFound);
                } else {
                    set.settle(id, Found);
                    set.m_translations[size_t(id)] = {nextStart, nextSize};
                }
            }
        }
    }

    void run(const std::vector<ScannedRow>& scannedRows)
    {
        const qsizetype longest = qsizetype(set.m_lengths.size()) - 1;
        // Two blocks in flight: while one is settled, the next one's records arrive.
        Row blocks[2][kBlock];
        int counts[2] = {0, 0};
        int current = 0;
        for (size_t k = 0; k < scannedRows.size() && set.m_open > 0; ++k) {
            const ScannedRow& scanned = scannedRows[k];
            if (!set.mayStart(scanned.first))
                continue;
            if (scanned.even) {
                if (scanned.size > longest || !set.m_lengths[size_t(scanned.size)])
                    continue;
                prefetch(&set.m_slots[set.firstSlot(scanned.hash)]);
            }
            blocks[current][counts[current]++].scanned = &scanned;
            if (counts[current] == kBlock) {
                fetchRecords(blocks[current], kBlock);
                const int previous = 1 - current;
                settleBlock(blocks[previous], counts[previous]);
                counts[previous] = 0;
                current = previous;
            }
        }
        const int previous = 1 - current;
        settleBlock(blocks[previous], counts[previous]);
        fetchRecords(blocks[current], counts[current]);
        settleBlock(blocks[current], counts[current]);
    }
};

void PhraseSet::rehash(size_t slotCount)
{
    m_slots.assign(slotCount, Slot{});
    m_shift = 64;
    for (size_t n = slotCount; n > 1; n /= 2)
        --m_shift;
    m_settledSlots.clear();
    for (size_t id = 0; id < m_records.size(); ++id) {
        const char16_t* r = m_folded.data() + m_records[id];
        place(mixed(hashOf(FoldedUnits{r + kRecordHead}, 0, unitsToInt(r + 2))), qint32(id));
    }
}

void PhraseSet::place(quint64 hash, qint32 id)
{
    const size_t mask = m_slots.size() - 1;
    const size_t home = firstSlot(hash);
    size_t s = home;
    for (; m_slots[s].record; s = (s + 1) & mask)
        if (m_slots[s].tag == tagOf(hash)) // a row with this tag could be either of them
            m_alone[unitsToInt(m_folded.data() + (m_slots[s].record & ~kSettled) - 1)] = false;
    m_slots[s] = Slot{tagOf(hash), m_records[size_t(id)] + 1};
    m_slotOf[size_t(id)] = quint32(s);
    m_alone[size_t(id)] = s == home;
}

template <class Units>
qint32 PhraseSet::matchRecord(const Units& units, quint32 record, qsizetype start, qsizetype size) const
{
    const char16_t* r = m_folded.data() + record;
    if (qsizetype(unitsToInt(r + 2)) != size)
        return -1;
    const char16_t* folded = r + kRecordHead;
    for (qsizetype i = 0; i < size; ++i)
        if (folded[i] != units.folded(start + i))
            return -1;
    return qint32(unitsToInt(r));
}

template <class Units>
qint32 PhraseSet::find(const Units& units, quint64 hash, qsizetype start, qsizetype size) const
{
    const size_t mask = m_slots.size() - 1;
    const quint32 tag = tagOf(hash);
    for (size_t s = firstSlot(hash);; s = (s + 1) & mask) {
        const Slot slot = m_slots[s];
        if (!slot.record)
            return -1;
        if (slot.tag != tag)
            continue;
        if (const qint32 id = matchRecord(units, (slot.record & ~kSettled) - 1, start, size); id >= 0)
            return id;
    }
}

void PhraseSet::reserve(qsizetype phrases)
{
    m_records.reserve(size_t(phrases));
    m_states.reserve(size_t(phrases));
    m_translations.reserve(size_t(phrases));
    m_slotOf.reserve(size_t(phrases));
    m_alone.reserve(size_t(phrases));
    size_t want = 64;
    while (want < size_t(phrases) * 2)
        want *= 2;
    if (want > m_slots.size())
        rehash(want);
}

qint32 PhraseSet::add(QStringView phrase)
{
    const Utf16Units units{reinterpret_cast<const char16_t*>(phrase.data()), phrase.size()};
    return addHashed(phrase, mixed(hashOf(units, 0, phrase.size())));
}

std::vector<qint32> PhraseSet::add(const std::vector<QStringView>& phrases)
{
    // In blocks, the slots of a block asked for before its first phrase is added:
    // their cache misses overlap, as in the stream.
    constexpr size_t kAhead = 16;
    std::vector<qint32> ids(phrases.size());
    size_t units = m_folded.size();
    for (const QStringView phrase : phrases)
        units += size_t(kRecordHead + phrase.size());
    m_folded.reserve(units); // at most; growing by doubling would copy the records again and again
    quint64 hashes[kAhead];
    for (size_t b = 0; b < phrases.size(); b += kAhead) {
        const size_t count = qMin(kAhead, phrases.size() - b);
        for (size_t k = 0; k < count; ++k) {
            const QStringView phrase = phrases[b + k];
            const Utf16Units units{reinterpret_cast<const char16_t*>(phrase.data()), phrase.size()};
            hashes[k] = mixed(hashOf(units, 0, phrase.size()));
            prefetch(&m_slots[firstSlot(hashes[k])]);
        }
        for (size_t k = 0; k < count; ++k)
            ids[b + k] = addHashed(phrases[b + k], hashes[k]);
    }
    return ids;
}

qint32 PhraseSet::addHashed(QStringView phrase, quint64 h)
{
    const Utf16Units units{reinterpret_cast<const char16_t*>(phrase.data()), phrase.size()};
    if ((m_records.size() + 1) * 2 > m_slots.size())
        rehash(qMax<size_t>(64, m_slots.size() * 2));
    if (const qint32 id = find(units, h, 0, phrase.size()); id >= 0)
        return id;
    const qint32 id = qint32(m_records.size());
    const quint32 record = quint32(m_folded.size());
    m_records.push_back(record);
    m_states.push_back(Open);
    m_translations.emplace_back(0, 0);
    m_slotOf.push_back(0);
    m_alone.push_back(0);
    m_folded.resize(m_folded.size() + size_t(kRecordHead + phrase.size()));
    char16_t* r = m_folded.data() + record;
    r[0] = char16_t(quint32(id) & 0xFFFF);
    r[1] = char16_t(quint32(id) >> 16);
    r[2] = char16_t(quint32(phrase.size()) & 0xFFFF);
    r[3] = char16_t(quint32(phrase.size()) >> 16);
    for (qsizetype i = 0; i < phrase.size(); ++i)
        r[kRecordHead + i] = units.folded(i);
    place(h, id);
    if (size_t(phrase.size()) >= m_lengths.size())
        m_lengths.resize(size_t(phrase.size()) + 1, 0);
    m_lengths[size_t(phrase.size())] = 1;
    const char16_t first = units.folded(0);
    m_firsts[first >> 6] |= quint64(1) << (first & 63);
    ++m_open;
    return id;
}

void PhraseSet::settle(qint32 id, State state)
{
    m_states[size_t(id)] = state;
    --m_open;
    if (m_alone[size_t(id)]) {
        m_slots[m_slotOf[size_t(id)]].record |= kSettled;
        m_settledSlots.push_back(m_slotOf[size_t(id)]);
    }
}

template <class Units> void PhraseSet::run(const Units& units, const Scan& scan)
{
    for (const quint32 s : m_settledSlots)
        m_slots[s].record &= ~kSettled;
    m_settledSlots.clear();
    m_states.assign(m_records.size(), Open);
    m_open = size();
    Stream<Units>{*this, units}.run(scan.m_rows);
}

namespace {
Utf16Units unitsOf(QStringView text) { return {reinterpret_cast<const char16_t*>(text.data()), text.size()}; }
Cp1251Units unitsOf(QByteArrayView bytes)
{
    return {reinterpret_cast<const uchar*>(bytes.data()), bytes.size()};
}
} // namespace

void PhraseSet::scan(QStringView dictionaryText, Scan& into)
{
    scanRows(unitsOf(dictionaryText), into.m_rows);
}

void PhraseSet::scanWindows1251(QByteArrayView dictionaryBytes, Scan& into)
{
    scanRows(unitsOf(dictionaryBytes), into.m_rows);
}

void PhraseSet::answer(QStringView dictionaryText, const Scan& scan)
{
    m_text = dictionaryText;
    m_bytes = {};
    m_streamedBytes = false;
    run(unitsOf(dictionaryText), scan);
}

void PhraseSet::answerWindows1251(QByteArrayView dictionaryBytes, const Scan& scan)
{
    m_text = {};
    m_bytes = dictionaryBytes;
    m_streamedBytes = true;
    run(unitsOf(dictionaryBytes), scan);
}

void PhraseSet::answer(QStringView dictionaryText)
{
    Scan rows;
    scan(dictionaryText, rows);
    answer(dictionaryText, rows);
}

void PhraseSet::answerWindows1251(QByteArrayView dictionaryBytes)
{
    Scan rows;
    scanWindows1251(dictionaryBytes, rows);
    answerWindows1251(dictionaryBytes, rows);
}

std::optional<QString> PhraseSet::translation(qint32 id) const
{
    if (m_states[size_t(id)] != Found)
        return std::nullopt;
    const auto [start, size] = m_translations[size_t(id)];
    if (m_streamedBytes)
        return cp1251::decode(m_bytes.sliced(start, size));
    return m_text.sliced(start, size).toString();
}

} // namespace kvarsel
