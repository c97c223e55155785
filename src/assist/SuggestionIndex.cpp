#include "assist/SuggestionIndex.h"

#include "assist/Similarity.h"
#include "dictionary/CurrentDictionary.h"
#include "dictionary/DictionaryFiles.h"
#include "text/CaseFold.h"
#include "text/Cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <numeric>

namespace kvarsel {

namespace {

constexpr char16_t kPad = 0xFFFF; // a noncharacter: never part of a text
// Appended user entries are compared one by one until there are this many rows.
constexpr qsizetype kUserTailRows = 4096;
// The search's first step: how many of the shortest posting lists, and how many of
// the keys sharing most of them are compared before the rest is read.
constexpr qsizetype kSeedLists = 3;
constexpr size_t kSeedKeys = 16;
// Keys must share at least this many of the lists read: more while the list is not
// full yet, since the threshold is then at its lowest and lets most keys through.
constexpr qsizetype kLeastHits = 3;
constexpr qsizetype kLeastHitsUnfilled = 8;
// A posting list's skip points: one every this many keys.
constexpr quint32 kSkipEvery = 64;

void appendVarint(QByteArray& out, quint32 v)
{
    while (v >= 0x80) {
        out.append(char(v | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

inline quint32 readVarint(const uchar*& p)
{
    quint32 v = *p & 0x7F;
    for (int shift = 7; *p++ & 0x80; shift += 7)
        v |= quint32(*p & 0x7F) << shift;
    return v;
}

// A byte of the code page as a folded character.
const std::array<char16_t, 256>& foldedByte()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        const auto& lower = lowerCaseTable();
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            t[size_t(b)] = lower[cp1251::decode(QByteArrayView(&c, 1)).at(0).unicode()];
        }
        return t;
    }();
    return table;
}

// The padded pairs of a folded text, each with its occurrence number.
void tokensOf(QStringView text, std::vector<quint64>& out)
{
    out.clear();
    std::vector<quint32> pairs;
    pairs.reserve(size_t(text.size()) + 1);
    char16_t previous = kPad;
    for (const QChar c : text) {
        pairs.push_back((quint32(previous) << 16) | c.unicode());
        previous = c.unicode();
    }
    pairs.push_back((quint32(previous) << 16) | kPad);
    std::sort(pairs.begin(), pairs.end());
    quint32 occurrence = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        occurrence = (i > 0 && pairs[i] == pairs[i - 1]) ? occurrence + 1 : 0;
        out.push_back((quint64(occurrence) << 32) | pairs[i]);
    }
}

QString translationAt(const QStringList& rows, qsizetype row)
{
    return row + 1 < rows.size() ? rows[row + 1] : QString();
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// Counters per key, reused by every search of the thread.
struct Scratch {
    std::vector<quint16> count;
    std::vector<quint32> touched;
    std::vector<quint32> order;
};
Scratch& scratch(size_t keys)
{
    thread_local Scratch s;
    if (s.count.size() < keys)
        s.count.resize(keys, 0);
    return s;
}

} // namespace

struct SuggestionSegment::Collector {
    struct Hit {
        int similarity;
        int rank;
        qsizetype row;
        const QString* name;
        QString source;
        QString translation;
    };
    int limit;
    int minimum;
    std::vector<Hit> hits; // best first

    // The least similarity an entry of dictionary `rank` at a row after `row` (-1:
    // any row) needs to make the list: one more than the last place's when a tie
    // would go to the entry already there.
    bool full() const { return qsizetype(hits.size()) >= limit; }
    int thresholdFor(int rank, qsizetype row = -1) const
    {
        if (qsizetype(hits.size()) < limit)
            return minimum;
        const Hit& last = hits.back();
        const bool lastWinsTies = last.rank < rank || (last.rank == rank && row >= 0 && last.row < row);
        return last.similarity + (lastWinsTies ? 1 : 0);
    }

    static bool better(const Hit& a, const Hit& b)
    {
        if (a.similarity != b.similarity)
            return a.similarity > b.similarity;
        if (a.rank != b.rank)
            return a.rank < b.rank;
        return a.row < b.row;
    }

    // False when the hit does not make the list, so the rest of its key's entries
    // (later rows, same similarity) need not be offered. `texts` gives the entry's
    // source and translation, asked only of an entry that makes the list.
    template <typename Texts>
    bool offer(int similarity, int rank, qsizetype row, const QString* name, Texts texts)
    {
        if (similarity < minimum || limit <= 0)
            return false;
        Hit hit{similarity, rank, row, name, {}, {}};
        if (qsizetype(hits.size()) == limit && !better(hit, hits.back()))
            return false;
        std::tie(hit.source, hit.translation) = texts();
        // A repeat of a better-placed entry: it came earlier in the search order.
        for (const Hit& h : hits)
            if (h.source == hit.source && h.translation == hit.translation)
                return true;
        hits.insert(std::upper_bound(hits.begin(), hits.end(), hit, better), std::move(hit));
        if (qsizetype(hits.size()) > limit)
            hits.pop_back();
        return true;
    }
};

SuggestionSegment::SuggestionSegment(const QStringList& rows, QString name) : m_name(std::move(name))
{
    qsizetype length = 0;
    m_rowStart.reserve(size_t(rows.size()) + 1);
    for (const QString& r : rows) {
        m_rowStart.push_back(quint32(length));
        length += r.size();
    }
    m_rowStart.push_back(quint32(length));
    m_narrow.resize(length);
    for (qsizetype r = 0; r < rows.size(); ++r)
        if (cp1251::encodeInto(rows[r], m_narrow.data() + m_rowStart[size_t(r)]) >= 0) {
            m_narrow = QByteArray();
            m_wide.reserve(length);
            for (const QString& row : rows)
                m_wide += row;
            break;
        }

    // Group the sources by folded text, in order of first appearance.
    QHash<QString, quint32> keyOf;
    QStringList keys;
    std::vector<quint32> entryKey, entryRow;
    for (qsizetype r = 2; r < rows.size(); r += 2) {
        if (rows[r].isEmpty())
            continue;
        const QString folded = foldCase(rows[r]);
        auto it = keyOf.find(folded);
        if (it == keyOf.end()) {
            it = keyOf.insert(folded, quint32(keys.size()));
            keys << folded;
        }
        entryKey.push_back(*it);
        entryRow.push_back(quint32(r));
    }
    keyOf.clear();
    const size_t keyCount = size_t(keys.size());

    // Number the keys by length, then first appearance.
    std::vector<quint32> order(keyCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](quint32 a, quint32 b) { return keys[a].size() < keys[b].size(); });
    std::vector<quint32> idOf(keyCount);
    for (size_t id = 0; id < keyCount; ++id)
        idOf[order[id]] = quint32(id);
    const qsizetype maxLength = keyCount ? keys[order.back()].size() : 0;
    m_lengthStart.assign(size_t(maxLength) + 2, 0);
    for (size_t id = 0; id < keyCount; ++id)
        ++m_lengthStart[size_t(keys[order[id]].size()) + 1];
    for (size_t l = 1; l < m_lengthStart.size(); ++l)
        m_lengthStart[l] += m_lengthStart[l - 1];
    keys.clear();

    // Entries per key in row order, repeats of an earlier source and translation dropped.
    std::vector<quint32> perKey(keyCount + 1, 0);
    for (const quint32 k : entryKey)
        ++perKey[idOf[k] + 1];
    for (size_t i = 1; i < perKey.size(); ++i)
        perKey[i] += perKey[i - 1];
    std::vector<quint32> fill(perKey.begin(), perKey.end() - 1);
    std::vector<quint32> grouped(entryRow.size());
    for (size_t e = 0; e < entryRow.size(); ++e)
        grouped[fill[idOf[entryKey[e]]]++] = entryRow[e];
    m_entryStart.reserve(keyCount + 1);
    for (size_t id = 0; id < keyCount; ++id) {
        m_entryStart.push_back(quint32(m_entryRows.size()));
        const size_t first = m_entryRows.size();
        for (quint32 e = perKey[id]; e < perKey[id + 1]; ++e) {
            const qsizetype row = grouped[e];
            const bool repeat =
                std::any_of(m_entryRows.begin() + qsizetype(first), m_entryRows.end(), [&](quint32 kept) {
                    return rows[kept] == rows[row] && translationAt(rows, kept) == translationAt(rows, row);
                });
            if (!repeat)
                m_entryRows.push_back(quint32(row));
        }
    }
    m_entryStart.push_back(quint32(m_entryRows.size()));

    // Postings: count per token, then fill in key order so each list is ascending.
    std::vector<quint32> tokenIds;
    std::vector<quint32> tokenCount;
    std::vector<quint64> tokens;
    for (size_t id = 0; id < keyCount; ++id) {
        tokensOf(key(quint32(id)), tokens);
        for (const quint64 code : tokens) {
            auto it = m_tokens.find(code);
            if (it == m_tokens.end()) {
                it = m_tokens.insert(code, quint32(tokenCount.size()));
                tokenCount.push_back(0);
            }
            ++tokenCount[*it];
            tokenIds.push_back(*it);
        }
    }
    std::vector<quint32> start(tokenCount.size() + 1, 0);
    for (size_t t = 0; t < tokenCount.size(); ++t)
        start[t + 1] = start[t] + tokenCount[t];
    std::vector<quint32> plain(tokenIds.size());
    std::vector<quint32> at(start.begin(), start.end() - 1);
    size_t next = 0;
    for (size_t id = 0; id < keyCount; ++id) {
        const size_t n = size_t(keyLength(quint32(id))) + 1;
        for (size_t i = 0; i < n; ++i)
            plain[at[tokenIds[next++]]++] = quint32(id);
    }
    tokenIds = {};
    at = {};

    // Each gap less one (keys in a list are distinct), the first key as it is.
    m_postingBytes.reserve(qsizetype(plain.size()) + qsizetype(plain.size()) / 4);
    m_lists.reserve(tokenCount.size() + 1);
    for (size_t t = 0; t < tokenCount.size(); ++t) {
        m_lists.push_back({quint32(m_postingBytes.size()), tokenCount[t], quint32(m_skips.size())});
        quint32 previous = ~0u;
        for (quint32 i = 0; i < tokenCount[t]; ++i) {
            const quint32 id = plain[start[t] + i];
            if (i > 0 && i % kSkipEvery == 0) {
                m_skips.push_back(previous);
                m_skips.push_back(quint32(m_postingBytes.size()));
            }
            appendVarint(m_postingBytes, id - previous - 1);
            previous = id;
        }
    }
    m_lists.push_back({quint32(m_postingBytes.size()), 0, quint32(m_skips.size())});
    m_postingBytes.squeeze();
    m_skips.shrink_to_fit();
}

SuggestionSegment::Postings SuggestionSegment::postings(quint32 token, quint32 idLo, quint32 idHi) const
{
    const TokenList& list = m_lists[token];
    const quint32* skips = m_skips.data() + list.skipStart;
    const qsizetype skipCount = (m_lists[token + 1].skipStart - list.skipStart) / 2;
    // Skip point j stands before key j * kSkipEvery of the list, with the key before it.
    const auto before = [&](quint32 id) {
        qsizetype lo = 0, hi = skipCount; // skip points whose key before is under `id`
        while (lo < hi) {
            const qsizetype mid = (lo + hi) / 2;
            if (skips[2 * mid] < id)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    const qsizetype from = before(idLo);
    const qsizetype to = before(idHi);
    const uchar* bytes = reinterpret_cast<const uchar*>(m_postingBytes.constData());
    Postings p{bytes + list.byteStart, bytes + m_lists[token + 1].byteStart, ~0u, 0};
    if (from > 0) {
        p.next = bytes + skips[2 * (from - 1) + 1];
        p.previous = skips[2 * (from - 1)];
    }
    p.estimate = std::min<qsizetype>(qsizetype(list.count), (to + 1) * qsizetype(kSkipEvery)) -
                 from * qsizetype(kSkipEvery);
    return p;
}

QStringView SuggestionSegment::key(quint32 id) const
{
    thread_local QString folded;
    const qsizetype r = m_entryRows[m_entryStart[id]];
    const qsizetype length = rowLength(r);
    folded.resize(length);
    char16_t* d = reinterpret_cast<char16_t*>(folded.data());
    if (!m_narrow.isNull()) {
        const auto& fold = foldedByte();
        const uchar* s = reinterpret_cast<const uchar*>(m_narrow.constData()) + m_rowStart[size_t(r)];
        for (qsizetype i = 0; i < length; ++i)
            d[i] = fold[s[i]];
    } else {
        const auto& lower = lowerCaseTable();
        const QChar* s = m_wide.constData() + m_rowStart[size_t(r)];
        for (qsizetype i = 0; i < length; ++i)
            d[i] = lower[s[i].unicode()];
    }
    return folded;
}

QString SuggestionSegment::row(qsizetype r) const
{
    if (!m_narrow.isNull())
        return cp1251::decode(QByteArrayView(m_narrow).sliced(m_rowStart[size_t(r)], rowLength(r)));
    return QStringView(m_wide).sliced(m_rowStart[size_t(r)], rowLength(r)).toString();
}

QStringList SuggestionSegment::rows() const
{
    QStringList out;
    out.reserve(indexedRows());
    for (qsizetype r = 0; r < indexedRows(); ++r)
        out << row(r);
    return out;
}

void SuggestionSegment::search(QStringView folded, const BoundedDistance& distance, int rank,
                               Collector& top) const
{
    const qsizetype length = folded.size();
    const qsizetype maxLength = qsizetype(m_lengthStart.size()) - 2;
    if (length == 0 || keyCount() == 0)
        return;

    // Lengths that can reach the threshold: d is at least the difference in length.
    const auto reachable = [&](qsizetype l, int percent) {
        const qsizetype longer = std::max(length, l);
        return std::abs(length - l) <= maxDistanceFor(percent, longer);
    };
    // Tokens two texts within distance d share, at least (each edit spoils two).
    const auto sharedNeeded = [&](qsizetype l, int percent) {
        const qsizetype longer = std::max(length, l);
        return longer + 1 - 2 * maxDistanceFor(percent, longer);
    };
    int percent = top.thresholdFor(rank);
    if (percent > 100)
        return;
    qsizetype lo = std::min(length, maxLength + 1), hi = std::min(length, maxLength);
    while (lo > 1 && reachable(lo - 1, percent))
        --lo;
    while (hi < maxLength && reachable(hi + 1, percent))
        ++hi;
    if (lo > hi)
        return;
    const quint32 idLo = m_lengthStart[size_t(lo)], idHi = m_lengthStart[size_t(hi) + 1];

    const auto verify = [&](quint32 id) {
        const QStringView k = key(id);
        const qsizetype longer = std::max(length, k.size());
        const qsizetype limit = maxDistanceFor(percent, longer);
        const qsizetype d = distance(k, limit);
        if (d > limit)
            return;
        const int similarity = similarityOf(d, length, k.size());
        for (quint32 e = m_entryStart[id]; e < m_entryStart[id + 1]; ++e) {
            const qsizetype r = m_entryRows[e];
            if (!top.offer(similarity, rank, r, &m_name,
                           [&] { return std::pair(row(r), r + 1 < indexedRows() ? row(r + 1) : QString()); }))
                break;
        }
        percent = top.thresholdFor(rank);
    };

    qsizetype leastShared = length + 1;
    for (qsizetype l = lo; l <= hi; ++l)
        leastShared = std::min(leastShared, sharedNeeded(l, percent));
    // Shared counts are kept in 15 bits, so a phrase of this length is compared
    // with every key instead (no resource text comes near it).
    constexpr qsizetype kLongestCounted = 0x4000;
    if (leastShared <= 0 || length >= kLongestCounted) {
        // A threshold this low lets through texts sharing no pair at all: compare them all.
        for (quint32 id = idLo; id < idHi; ++id)
            verify(id);
        return;
    }

    // The query's posting lists, cut to the reachable lengths, shortest first.
    std::vector<quint64> tokens;
    tokensOf(folded, tokens);
    // Which lists are read and which left unread changes the work, never the answer.
    std::vector<Postings> lists;
    for (const quint64 code : tokens) {
        const auto it = m_tokens.constFind(code);
        if (it == m_tokens.cend())
            continue;
        const Postings p = postings(*it, idLo, idHi);
        if (p.estimate > 0)
            lists.push_back(p);
    }
    std::stable_sort(lists.begin(), lists.end(),
                     [](const Postings& a, const Postings& b) { return a.estimate < b.estimate; });

    Scratch& s = scratch(size_t(keyCount()));
    s.touched.clear();
    qsizetype scanned = 0;
    const auto scanUpTo = [&](qsizetype end) {
        for (; scanned < end; ++scanned) {
            const Postings& list = lists[size_t(scanned)];
            quint32 id = list.previous;
            for (const uchar* p = list.next; p != list.end;) {
                id += readVarint(p) + 1;
                if (id >= idHi)
                    break;
                if (id >= idLo && s.count[id]++ == 0)
                    s.touched.push_back(id);
            }
        }
    };
    constexpr quint16 kVerified = 0x8000; // marks a key compared already
    std::vector<std::pair<quint16, quint32>> candidates;
    const auto byCount = [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };

    // First the few shortest lists, and the keys sharing most of them compared: they
    // are likely among the best, and the threshold they set shortens what follows.
    scanUpTo(std::min<qsizetype>(kSeedLists, qsizetype(lists.size())));
    for (const quint32 id : s.touched)
        candidates.emplace_back(s.count[id], id);
    const size_t seeds = std::min(candidates.size(), kSeedKeys);
    std::partial_sort(candidates.begin(), candidates.begin() + qsizetype(seeds), candidates.end(), byCount);
    for (size_t i = 0; i < seeds; ++i) {
        const quint32 id = candidates[i].second;
        s.count[id] |= kVerified;
        if (reachable(keyLength(id), percent))
            verify(id);
    }

    // A text sharing t tokens with the phrase shares at least t - k of its lists
    // when k lists are left unread, so the longest ones need not be read.
    // It goes over every length in range, as many as the phrase is long, so it is
    // worked out again only when the threshold has moved: asked once per count
    // below, it would make a long phrase's search grow with the square of its length.
    int leastFor = -1;
    qsizetype least = 0;
    const auto leastSharedNow = [&](int p) {
        if (p == leastFor)
            return least;
        leastFor = p;
        least = length + 1;
        for (qsizetype l = lo; l <= hi; ++l)
            if (reachable(l, p))
                least = std::min(least, sharedNeeded(l, p));
        return least;
    };
    leastShared = leastSharedNow(percent);
    const qsizetype leastHits = top.full() ? kLeastHits : kLeastHitsUnfilled;
    const qsizetype unread = std::clamp<qsizetype>(leastShared - leastHits, 0, qsizetype(lists.size()));
    scanUpTo(std::max(scanned, qsizetype(lists.size()) - unread));
    const qsizetype skipped = qsizetype(lists.size()) - scanned;

    // Most shared tokens first: the best texts come early and raise the threshold,
    // and once no length can reach it with the count left, the rest is dropped.
    std::vector<quint32>& order = s.order;
    std::vector<quint32> size(size_t(scanned) + 1, 0), start(size_t(scanned) + 2, 0);
    for (const quint32 id : s.touched)
        if (!(s.count[id] & kVerified))
            ++size[s.count[id]];
    for (qsizetype c = scanned; c >= 0; --c)
        start[size_t(c)] = start[size_t(c) + 1] + (c < scanned ? size[size_t(c) + 1] : 0);
    order.resize(s.touched.size());
    std::vector<quint32> fill(start.begin(), start.end() - 1);
    for (const quint32 id : s.touched) {
        const quint16 c = s.count[id];
        s.count[id] = 0;
        if (!(c & kVerified))
            order[fill[c]++] = id;
    }
    for (qsizetype c = scanned; c >= 0; --c) {
        if (c < leastSharedNow(percent) - skipped)
            break;
        for (quint32 i = start[size_t(c)]; i < start[size_t(c)] + size[size_t(c)]; ++i) {
            const quint32 id = order[i];
            const qsizetype l = keyLength(id);
            if (reachable(l, percent) && c >= sharedNeeded(l, percent) - skipped)
                verify(id);
        }
    }
}

SuggestionIndex::SuggestionIndex() = default;
SuggestionIndex::~SuggestionIndex() = default;

class SuggestionIndex::Update {
public:
    std::vector<Part> parts; // a part without a segment whose `load` is set is read by build()
    std::vector<bool> load;  // per part
    QStringList userRows;    // when the user dictionary is indexed again
    QString userName;
    bool userStale = false;
    const CurrentDictionary* user = nullptr;
    quint64 userRewrite = 0;
    std::shared_ptr<const SuggestionSegment> userSegment;
    FileErrors errors;
};

std::shared_ptr<SuggestionIndex::Update> SuggestionIndex::plan(const QString& workDir,
                                                               const QStringList& connected,
                                                               const CurrentDictionary& user) const
{
    auto update = std::make_shared<Update>();
    const QString userFile = findUserDictionary(workDir);
    std::vector<Part>& parts = update->parts;
    bool userConnected = false;
    for (const QString& path : connected) {
        Part part;
        part.path = path;
        if (!userFile.isEmpty() && sameFile(path, userFile)) {
            if (userConnected)
                continue;
            userConnected = true;
            part.user = true;
            parts.push_back(part);
            update->load.push_back(false);
            continue;
        }
        const QFileInfo info(path);
        part.size = info.size();
        part.modified = info.lastModified();
        const auto old = std::find_if(m_parts.begin(), m_parts.end(), [&](const Part& p) {
            return !p.user && p.path == path && p.size == part.size && p.modified == part.modified;
        });
        const bool reuse = old != m_parts.end();
        if (reuse)
            part.segment = old->segment;
        parts.push_back(part);
        update->load.push_back(!reuse);
    }
    if (!userConnected) {
        Part part;
        part.path = userFile;
        part.user = true;
        part.connected = false;
        parts.insert(parts.begin(), part);
        update->load.insert(update->load.begin(), false);
    }

    // The user dictionary: appended entries are compared directly until there are
    // many; any other edit means indexing it again.
    for (const Part& p : m_parts)
        if (p.user)
            update->userSegment = p.segment;
    const auto& segment = update->userSegment;
    update->userStale = !segment || m_user != &user || user.rewriteRevision() != m_userRewrite ||
                        user.RowCount() < segment->indexedRows() ||
                        user.RowCount() - segment->indexedRows() > kUserTailRows;
    update->user = &user;
    update->userRewrite = user.rewriteRevision();
    if (update->userStale) {
        update->userRows = user.rows();
        update->userName = userFile.isEmpty() ? QStringLiteral("User.dic") : QFileInfo(userFile).fileName();
    }
    return update;
}

bool SuggestionIndex::needsBuild(const Update& update)
{
    return update.userStale || std::find(update.load.begin(), update.load.end(), true) != update.load.end();
}

void SuggestionIndex::build(Update& update)
{
    for (size_t i = 0; i < update.parts.size(); ++i) {
        if (!update.load[i])
            continue;
        Part& part = update.parts[i];
        CurrentDictionary loaded;
        if (auto error = LoadDictionary(part.path, loaded))
            update.errors << *error;
        else
            part.segment =
                std::make_shared<const SuggestionSegment>(loaded.rows(), QFileInfo(part.path).fileName());
        update.load[i] = false;
    }
    if (update.userStale) {
        update.userSegment = std::make_shared<const SuggestionSegment>(update.userRows, update.userName);
        update.userRows.clear();
        update.userStale = false;
    }
}

FileErrors SuggestionIndex::apply(Update& update)
{
    m_user = update.user;
    m_userRewrite = update.userRewrite;
    for (Part& p : update.parts)
        if (p.user)
            p.segment = update.userSegment;
    m_parts = std::move(update.parts);
    return std::move(update.errors);
}

FileErrors SuggestionIndex::refresh(const QString& workDir, const QStringList& connected,
                                    const CurrentDictionary& user)
{
    const std::shared_ptr<Update> update = plan(workDir, connected, user);
    build(*update);
    return apply(*update);
}

QStringList SuggestionIndex::rowsOf(qsizetype rank) const
{
    const Part& p = m_parts[size_t(rank)];
    if (p.user && m_user)
        return m_user->rows();
    return p.segment ? p.segment->rows() : QStringList();
}

namespace {
QList<Suggestion> toSuggestions(const std::vector<SuggestionSegment::Collector::Hit>& hits)
{
    QList<Suggestion> out;
    for (const auto& h : hits)
        out.append({h.similarity, h.source, h.translation, *h.name, h.rank, h.row});
    return out;
}
} // namespace

SuggestionIndex::Search::Search() = default;
SuggestionIndex::Search::~Search() = default;
SuggestionIndex::Search::Search(const Search&) = default;
SuggestionIndex::Search& SuggestionIndex::Search::operator=(const Search&) = default;

SuggestionIndex::Search SuggestionIndex::search() const
{
    Search s;
    s.m_parts = m_parts;
    if (m_user) {
        s.m_userRows = m_user->rows();
        s.m_followsUser = true;
    }
    return s;
}

QList<Suggestion> SuggestionIndex::Search::suggest(QStringView phrase, int limit, int minimum) const
{
    return searchParts(m_parts, m_followsUser ? &m_userRows : nullptr, phrase, limit, minimum);
}

QList<Suggestion> SuggestionIndex::suggest(QStringView phrase, int limit, int minimum) const
{
    return searchParts(m_parts, m_user ? &m_user->rows() : nullptr, phrase, limit, minimum);
}

QList<Suggestion> SuggestionIndex::searchParts(const std::vector<Part>& parts, const QStringList* userRows,
                                               QStringView phrase, int limit, int minimum)
{
    SuggestionSegment::Collector top{limit, minimum, {}};
    const QString folded = foldCase(phrase);
    if (folded.isEmpty() || limit <= 0)
        return {};
    const BoundedDistance distance(folded);
    for (size_t rank = 0; rank < parts.size(); ++rank) {
        const Part& p = parts[rank];
        if (!p.segment)
            continue;
        p.segment->search(folded, distance, int(rank), top);
        if (!p.user || !userRows)
            continue;
        // Entries appended since the user dictionary was indexed.
        const QStringList& rows = *userRows;
        for (qsizetype r = p.segment->indexedRows(); r < rows.size(); ++r) {
            if (r % 2 != 0 || rows[r].isEmpty())
                continue;
            const int needed = top.thresholdFor(int(rank), r);
            if (needed > 100)
                break;
            const qsizetype limitD = maxDistanceFor(needed, std::max(folded.size(), rows[r].size()));
            const qsizetype d = distance(foldCase(rows[r]), limitD);
            if (d <= limitD)
                top.offer(similarityOf(d, folded.size(), rows[r].size()), int(rank), r, &p.segment->name(),
                          [&] { return std::pair(rows[r], r + 1 < rows.size() ? rows[r + 1] : QString()); });
        }
    }
    return toSuggestions(top.hits);
}

QList<Suggestion> SuggestionIndex::suggestByScan(QStringView phrase, int limit, int minimum) const
{
    QList<Suggestion> all;
    QSet<QPair<QString, QString>> seen;
    for (size_t rank = 0; rank < m_parts.size(); ++rank) {
        const Part& p = m_parts[rank];
        if (!p.segment)
            continue;
        const QStringList& rows = rowsOf(qsizetype(rank));
        for (qsizetype r = 2; r < rows.size(); r += 2) {
            if (rows[r].isEmpty())
                continue;
            const QPair<QString, QString> pair(rows[r], translationAt(rows, r));
            if (seen.contains(pair))
                continue;
            seen.insert(pair);
            const int s = similarity(phrase, rows[r]);
            if (s >= minimum)
                all.append({s, pair.first, pair.second, p.segment->name(), int(rank), r});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Suggestion& a, const Suggestion& b) { return a.similarity > b.similarity; });
    return all.mid(0, std::max(0, limit));
}

} // namespace kvarsel
