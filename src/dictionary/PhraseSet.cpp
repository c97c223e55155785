#include "dictionary/PhraseSet.h"

#include "text/CaseFold.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kvarsel {
namespace {

// FNV-1a over the folded units: a prefix's hash is a step on the way to the
// whole row's, so one walk along a row hashes all its prefixes.
constexpr quint64 kSeed = 14695981039346656037ULL;
constexpr quint64 kPrime = 1099511628211ULL;

inline quint64 hashStep(quint64 h, char16_t folded) { return (h ^ folded) * kPrime; }
inline quint64 mixed(quint64 h) { return h * 0x9E3779B97F4A7C15ULL; }
inline quint32 tagOf(quint64 h) { return quint32(h); } // the slot comes from the upper bits

// Rows are streamed in blocks: the slot of every row of a block is fetched from
// memory before the first row is settled, so the table's cache misses overlap
// instead of adding up. The rows are still settled one by one, in file order.
constexpr int kBlock = 32;

// The end of the line starting at `i`: the first CR or LF, or `n`.
inline qsizetype lineEnd(const QChar* d, qsizetype i, qsizetype n)
{
#ifdef __SSE2__
    // Most rows are translations no phrase can begin: eight units at a time.
    const __m128i cr = _mm_set1_epi16(0x0D);
    const __m128i lf = _mm_set1_epi16(0x0A);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const int hit = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)));
        if (hit)
            return i + (__builtin_ctz(unsigned(hit)) >> 1);
    }
#endif
    while (i < n && d[i].unicode() != u'\r' && d[i].unicode() != u'\n')
        ++i;
    return i;
}

inline quint32 unitsToInt(const char16_t* p) { return quint32(p[0]) | (quint32(p[1]) << 16); }

} // namespace

struct PhraseSet::Row {
    const QChar* text;
    qsizetype size;
    quint64 hash; // mixed; only for a source row that could equal a phrase
    quint32 record; // the record its first slot points to when the tags agree, else 0
    bool even;
    bool lookUp;
};

size_t PhraseSet::firstSlot(quint64 hash) const { return size_t(hash >> m_shift); }

void PhraseSet::rehash(size_t slotCount)
{
    m_slots.assign(slotCount, Slot{});
    m_shift = 64;
    for (size_t n = slotCount; n > 1; n /= 2)
        --m_shift;
    for (const quint32 record : m_records) {
        const char16_t* r = m_folded.data() + record;
        const quint32 size = unitsToInt(r + 2);
        quint64 h = kSeed;
        for (quint32 i = 0; i < size; ++i)
            h = hashStep(h, r[kRecordHead + i]);
        h = mixed(h);
        size_t s = firstSlot(h);
        while (m_slots[s].record)
            s = (s + 1) & (slotCount - 1);
        m_slots[s] = Slot{tagOf(h), record + 1};
    }
}

qint32 PhraseSet::matchRecord(quint32 record, const QChar* text, qsizetype size) const
{
    const auto& lower = lowerCaseTable();
    const char16_t* r = m_folded.data() + record;
    if (qsizetype(unitsToInt(r + 2)) != size)
        return -1;
    const char16_t* folded = r + kRecordHead;
    for (qsizetype i = 0; i < size; ++i)
        if (folded[i] != lower[text[i].unicode()])
            return -1;
    return qint32(unitsToInt(r));
}

qint32 PhraseSet::find(quint64 hash, const QChar* text, qsizetype size) const
{
    const size_t mask = m_slots.size() - 1;
    const quint32 tag = tagOf(hash);
    for (size_t s = firstSlot(hash);; s = (s + 1) & mask) {
        const Slot slot = m_slots[s];
        if (!slot.record)
            return -1;
        if (slot.tag != tag)
            continue;
        if (const qint32 id = matchRecord(slot.record - 1, text, size); id >= 0)
            return id;
    }
}

void PhraseSet::reserve(qsizetype phrases)
{
    m_records.reserve(size_t(phrases));
    m_states.reserve(size_t(phrases));
    size_t want = 64;
    while (want < size_t(phrases) * 2)
        want *= 2;
    if (want > m_slots.size())
        rehash(want);
}

qint32 PhraseSet::add(QStringView phrase)
{
    const auto& lower = lowerCaseTable();
    quint64 h = kSeed;
    for (const QChar c : phrase)
        h = hashStep(h, lower[c.unicode()]);
    h = mixed(h);
    if ((m_records.size() + 1) * 2 > m_slots.size())
        rehash(qMax<size_t>(64, m_slots.size() * 2));
    if (const qint32 id = find(h, phrase.data(), phrase.size()); id >= 0)
        return id;
    const qint32 id = qint32(m_records.size());
    const quint32 record = quint32(m_folded.size());
    m_records.push_back(record);
    m_states.push_back(Open);
    m_translations.emplace_back(0, 0);
    for (const quint32 v : {quint32(id), quint32(phrase.size())}) {
        m_folded.push_back(char16_t(v & 0xFFFF));
        m_folded.push_back(char16_t(v >> 16));
    }
    for (const QChar c : phrase)
        m_folded.push_back(lower[c.unicode()]);
    size_t s = firstSlot(h);
    while (m_slots[s].record)
        s = (s + 1) & (m_slots.size() - 1);
    m_slots[s] = Slot{tagOf(h), record + 1};
    if (size_t(phrase.size()) >= m_lengths.size())
        m_lengths.resize(size_t(phrase.size()) + 1, 0);
    m_lengths[size_t(phrase.size())] = 1;
    const char16_t first = lower[phrase.front().unicode()];
    m_firsts[first >> 6] |= quint64(1) << (first & 63);
    ++m_open;
    return id;
}

void PhraseSet::settle(qint32 id, State state)
{
    m_states[size_t(id)] = state;
    --m_open;
}

// A translation row ends the walk of every phrase it begins with.
void PhraseSet::settleOddRow(const QChar* text, qsizetype size)
{
    const auto& lower = lowerCaseTable();
    const qsizetype limit = qMin(size, qsizetype(m_lengths.size()) - 1);
    quint64 h = kSeed;
    for (qsizetype i = 0; i < limit; ++i) {
        h = hashStep(h, lower[text[i].unicode()]);
        if (!m_lengths[size_t(i + 1)])
            continue;
        const qint32 id = find(mixed(h), text, i + 1);
        if (id >= 0 && m_states[size_t(id)] == Open)
            settle(id, NotFound);
    }
}

void PhraseSet::fetchRecords(Row* rows, int count)
{
    // The slots were asked for while the rows were split; now the records they
    // point to are asked for, a block before the rows are settled.
    for (int r = 0; r < count; ++r) {
        Row& row = rows[r];
        row.record = 0;
        if (row.lookUp && row.even) {
            const Slot slot = m_slots[firstSlot(row.hash)];
            if (slot.record && slot.tag == tagOf(row.hash)) {
                row.record = slot.record;
                __builtin_prefetch(m_folded.data() + slot.record - 1);
            }
        }
    }
}

void PhraseSet::settleBlock(const Row* rows, int count)
{
    for (int r = 0; r < count; ++r) {
        const Row& row = rows[r];
        if (m_awaiting >= 0) {
            m_states[size_t(m_awaiting)] = Found;
            m_translations[size_t(m_awaiting)] = {row.text - m_base, row.size};
            m_awaiting = -1;
        }
        if (!row.lookUp)
            continue;
        if (!row.even) {
            settleOddRow(row.text, row.size);
            continue;
        }
        // A source row settles the phrase it equals: found, unless the walk stopped earlier.
        qint32 id = row.record ? matchRecord(row.record - 1, row.text, row.size) : -1;
        if (id < 0)
            id = find(row.hash, row.text, row.size);
        if (id >= 0 && m_states[size_t(id)] == Open) {
            settle(id, AwaitingTranslation);
            m_awaiting = id;
        }
    }
}

void PhraseSet::answer(QStringView dictionaryText)
{
    m_base = dictionaryText.data();
    m_awaiting = -1;
    m_states.assign(m_records.size(), Open);
    m_open = size();
    const auto& lower = lowerCaseTable();
    const QChar* d = dictionaryText.data();
    const qsizetype n = dictionaryText.size();
    const qsizetype longest = qsizetype(m_lengths.size()) - 1;
    // Two blocks in flight: while one is settled, the next one's records arrive.
    Row blocks[2][kBlock];
    int counts[2] = {0, 0};
    int current = 0;
    bool even = true; // rows 0 and 1 are the load's two empty rows; the first line is row 2
    for (qsizetype i = 0; i < n && (m_open > 0 || m_awaiting >= 0 || counts[0] + counts[1] > 0);) {
        const qsizetype j = lineEnd(d, i, n);
        // Empty lines are no rows, so "\r\n" needs no pairing here.
        if (j > i) {
            Row& row = blocks[current][counts[current]++];
            row.text = d + i;
            row.size = j - i;
            row.even = even;
            row.lookUp = mayStart(lower[d[i].unicode()]);
            if (row.lookUp && even) {
                row.lookUp = row.size <= longest && m_lengths[size_t(row.size)];
                if (row.lookUp) {
                    quint64 h = kSeed;
                    for (qsizetype k = i; k < j; ++k)
                        h = hashStep(h, lower[d[k].unicode()]);
                    row.hash = mixed(h);
                    __builtin_prefetch(&m_slots[firstSlot(row.hash)]);
                }
            }
            even = !even;
            if (counts[current] == kBlock) {
                fetchRecords(blocks[current], kBlock);
                const int previous = 1 - current;
                settleBlock(blocks[previous], counts[previous]);
                counts[previous] = 0;
                current = previous;
            }
        }
        i = j + 1;
    }
    const int previous = 1 - current;
    settleBlock(blocks[previous], counts[previous]);
    fetchRecords(blocks[current], counts[current]);
    settleBlock(blocks[current], counts[current]);
    // A source on the last row has no translation to give.
    if (m_awaiting >= 0) {
        m_states[size_t(m_awaiting)] = NotFound;
        m_awaiting = -1;
    }
}

std::optional<QStringView> PhraseSet::translation(qint32 id) const
{
    if (m_states[size_t(id)] != Found)
        return std::nullopt;
    const auto [start, size] = m_translations[size_t(id)];
    return QStringView(m_base + start, size);
}

} // namespace kvarsel
