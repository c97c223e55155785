#include "dictionary/PhraseSet.h"

#include "text/CaseFold.h"

namespace kvarsel {
namespace {

// FNV-1a over the folded units: a prefix's hash is a step on the way to the
// whole row's, so one walk along a row hashes all its prefixes.
constexpr quint64 kSeed = 14695981039346656037ULL;
constexpr quint64 kPrime = 1099511628211ULL;

inline quint64 hashStep(quint64 h, char16_t folded) { return (h ^ folded) * kPrime; }

inline size_t slotOf(quint64 hash, size_t mask) { return size_t((hash * 0x9E3779B97F4A7C15ULL) >> 32) & mask; }

} // namespace

void PhraseSet::reserve(qsizetype phrases)
{
    m_entries.reserve(size_t(phrases));
    size_t want = 16;
    while (want < size_t(phrases) * 2)
        want *= 2;
    if (want > m_slots.size()) {
        m_slots.assign(want, -1);
        for (size_t id = 0; id < m_entries.size(); ++id) {
            size_t s = slotOf(m_entries[id].hash, want - 1);
            while (m_slots[s] >= 0)
                s = (s + 1) & (want - 1);
            m_slots[s] = qint32(id);
        }
    }
}

void PhraseSet::grow() { reserve(qMax<qsizetype>(16, size() * 2)); }

qint32 PhraseSet::find(quint64 hash, const QChar* text, qsizetype size) const
{
    const auto& lower = lowerCaseTable();
    const size_t mask = m_slots.size() - 1;
    for (size_t s = slotOf(hash, mask);; s = (s + 1) & mask) {
        const qint32 id = m_slots[s];
        if (id < 0)
            return -1;
        const Entry& e = m_entries[size_t(id)];
        if (e.hash != hash || e.size != size)
            continue;
        qsizetype i = 0;
        while (i < size && lower[e.text[i].unicode()] == lower[text[i].unicode()])
            ++i;
        if (i == size)
            return id;
    }
}

qint32 PhraseSet::add(QStringView phrase)
{
    const auto& lower = lowerCaseTable();
    quint64 h = kSeed;
    for (const QChar c : phrase)
        h = hashStep(h, lower[c.unicode()]);
    if (m_slots.empty() || size_t(size() + 1) * 2 > m_slots.size())
        grow();
    if (const qint32 id = find(h, phrase.data(), phrase.size()); id >= 0)
        return id;
    const qint32 id = qint32(m_entries.size());
    m_entries.push_back(Entry{phrase.data(), phrase.size(), h});
    const size_t mask = m_slots.size() - 1;
    size_t s = slotOf(h, mask);
    while (m_slots[s] >= 0)
        s = (s + 1) & mask;
    m_slots[s] = id;
    if (size_t(phrase.size()) >= m_lengths.size())
        m_lengths.resize(size_t(phrase.size()) + 1, 0);
    m_lengths[size_t(phrase.size())] = 1;
    const char16_t first = lower[phrase.front().unicode()];
    m_firsts[first >> 6] |= quint64(1) << (first & 63);
    ++m_open;
    return id;
}

void PhraseSet::settleRow(qsizetype row, const QChar* text, qsizetype size)
{
    if (m_awaiting >= 0) {
        Entry& e = m_entries[size_t(m_awaiting)];
        e.translationStart = text - m_base;
        e.translationSize = size;
        e.state = State::Found;
        m_awaiting = -1;
    }
    const auto& lower = lowerCaseTable();
    if (!mayStart(lower[text[0].unicode()]))
        return;
    const qsizetype longest = qsizetype(m_lengths.size()) - 1;
    if (row % 2 == 0) {
        // A source row settles the phrase it equals: found, unless the walk stopped earlier.
        if (size > longest || !m_lengths[size_t(size)])
            return;
        quint64 h = kSeed;
        for (qsizetype i = 0; i < size; ++i)
            h = hashStep(h, lower[text[i].unicode()]);
        const qint32 id = find(h, text, size);
        if (id >= 0 && m_entries[size_t(id)].state == State::Open) {
            m_entries[size_t(id)].state = State::AwaitingTranslation;
            m_awaiting = id;
            --m_open;
        }
        return;
    }
    // A translation row ends the walk of every phrase it begins with.
    const qsizetype limit = qMin(size, longest);
    quint64 h = kSeed;
    for (qsizetype i = 0; i < limit; ++i) {
        h = hashStep(h, lower[text[i].unicode()]);
        if (!m_lengths[size_t(i + 1)])
            continue;
        const qint32 id = find(h, text, i + 1);
        if (id >= 0 && m_entries[size_t(id)].state == State::Open) {
            m_entries[size_t(id)].state = State::NotFound;
            --m_open;
        }
    }
}

void PhraseSet::answer(QStringView dictionaryText)
{
    m_base = dictionaryText.data();
    m_awaiting = -1;
    const QChar* d = dictionaryText.data();
    const qsizetype n = dictionaryText.size();
    qsizetype row = 1; // rows 0 and 1 are the load's two empty rows
    for (qsizetype i = 0; i < n && (m_open > 0 || m_awaiting >= 0);) {
        qsizetype j = i;
        while (j < n && d[j].unicode() != u'\r' && d[j].unicode() != u'\n')
            ++j;
        // Empty lines are no rows, so "\r\n" needs no pairing here.
        if (j > i)
            settleRow(++row, d + i, j - i);
        i = j + 1;
    }
    // A source on the last row has no translation to give.
    if (m_awaiting >= 0) {
        m_entries[size_t(m_awaiting)].state = State::NotFound;
        m_awaiting = -1;
    }
}

std::optional<QStringView> PhraseSet::translation(qint32 id) const
{
    const Entry& e = m_entries[size_t(id)];
    if (e.state != State::Found)
        return std::nullopt;
    return QStringView(m_base + e.translationStart, e.translationSize);
}

} // namespace kvarsel
