#include "workbench/AutoTranslation.h"

#include "dictionary/DictionaryFiles.h"
#include "dictionary/PhraseSet.h"
#include "dictionary/SaveUserDic.h"
#include "dictionary/SearchString.h"
#include "text/CharClass.h"
#include "text/Prefetch.h"
#include "workbench/DictionaryReadAhead.h"
#include "workbench/Propagation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <optional>
#include <vector>

namespace kvarsel {

QString unstorableRowsText(const AutoTranslationResult& result)
{
    if (result.unstorableRows == 0)
        return QString();
    return QStringLiteral("Не переведено строк: %1. Их переводы содержат символы, которых нет в кодировке "
                          "сценария (первый такой сценарий: «%2»).")
        .arg(result.unstorableRows)
        .arg(QDir::toNativeSeparators(result.firstUnstorableScript));
}

QString translatingKindText(ResourceKind kind) { return QStringLiteral("Перевод ") + kindInfo(kind).name; }

namespace {

// What a run shows in panel 7 (the dictionary streamed) and panel 8 (the mode).
struct RunReport {
    const AutoTranslationCallbacks& callbacks;
    void dictionary(const QString& text) const
    {
        if (callbacks.dictionaryStatus)
            callbacks.dictionaryStatus(text);
    }
    void mode(const QString& text) const
    {
        if (callbacks.step)
            callbacks.step(text);
    }
};

// The window is repainted after each dictionary load and, while the rows go by, at
// every 36th row once 30 ms have passed since the last paint: painting must never
// dominate a large run.
class RepaintThrottle {
public:
    explicit RepaintThrottle(const std::function<void()>& repaint) : m_repaint(repaint)
    {
        m_sincePaint.start();
    }

    void now()
    {
        if (m_repaint) {
            m_repaint();
            m_sincePaint.restart();
        }
    }
    void rowPassed()
    {
        if (++m_rows < kRowsBetweenPaints)
            return;
        m_rows = 0;
        if (m_sincePaint.elapsed() >= kMillisecondsBetweenPaints)
            now();
    }

private:
    static constexpr int kRowsBetweenPaints = 36;
    static constexpr qint64 kMillisecondsBetweenPaints = 30;
    const std::function<void()>& m_repaint;
    QElapsedTimer m_sincePaint;
    int m_rows = 0;
};

// The texts a dictionary can translate: those beginning with an ASCII character.
bool lookedUp(const QString& text) { return !text.isEmpty() && !isNonAscii(text.front()); }

// The passes of one run over the loaded rows: the texts are collected and hashed
// once, then each dictionary is streamed past them and the translations it has are
// applied to the rows, earlier dictionaries winning; at the end what is left is counted.
class TranslationPasses {
public:
    TranslationPasses(const LineStores& stores, bool showTranslated,
                      const AutoTranslationCallbacks& callbacks, const RunReport& panels)
        : m_stores(stores), m_showTranslated(showTranslated), m_callbacks(callbacks), m_panels(panels),
          m_repaint(callbacks.repaint)
    {
    }

    void run(const QStringList& dictionaries, bool userDictionaryFirst, AutoTranslationResult& result)
    {
        countRows();
        const qsizetype count = dictionaries.size();
        // The first dictionary is read while the texts are hashed, each next one
        // while the pass before it runs.
        DictionaryReadAhead readAhead(dictionaries);
        if (count > 0)
            readAhead.start(0);
        collectTexts();
        if (count > 0)
            result.textsLookedUp = m_nonEmptyTexts;
        // The views hear of the new texts once, when every pass is done: a repaint shows
        // them anyway (a view reads its rows as it paints them), and every notice makes
        // a list view lay out all its rows again.
        for (const ResourceKind kind : kAllKinds)
            store(kind).holdChangeNotices();
        for (qsizetype d = 0; d < count; ++d) {
            m_panels.dictionary(dictionary_texts::kLoading);
            if (auto error = streamDictionary(readAhead, d, count))
                result.errors.append(*error); // nothing to find: the pass ran over an empty dictionary
            m_panels.dictionary(dictionaryStatusText(d, count, userDictionaryFirst));
            m_repaint.now();
            qsizetype translated = 0;
            for (const ResourceKind kind : kAllKinds) {
                if (m_rows[size_t(kindIndex(kind))] == 0)
                    continue;
                m_panels.mode(translatingKindText(kind));
                translated += applyTranslations(kind);
            }
            result.translatedByDictionary.append(translated);
        }
        for (const ResourceKind kind : kAllKinds)
            store(kind).releaseChangeNotices();
        countWhatIsLeft(result);
        if (m_callbacks.progressValue)
            m_callbacks.progressValue(0);
    }

private:
    LineStore& store(ResourceKind kind) const { return *m_stores[size_t(kindIndex(kind))]; }

    // The rows of every kind, numbered one after another for the progress bar.
    void countRows()
    {
        for (const ResourceKind kind : kAllKinds) {
            const size_t k = size_t(kindIndex(kind));
            m_offset[k] = m_total;
            m_rows[k] = store(kind).RowCount();
            m_total += m_rows[k];
        }
        if (m_callbacks.progressMaximum)
            m_callbacks.progressMaximum(m_total + 4);
    }

    // The texts to look up, hashed once for all passes: a row a pass translates gets
    // the id of its new text, which the next passes look up in turn.
    void collectTexts()
    {
        m_phrases.reserve(m_total);
        std::vector<QStringView> texts;
        std::vector<std::pair<int, qsizetype>> at; // kind and row of each text
        texts.reserve(size_t(m_total));
        at.reserve(size_t(m_total));
        for (const ResourceKind kind : kAllKinds) {
            const int k = kindIndex(kind);
            const LineStore& rows = store(kind);
            m_phraseOf[size_t(k)].assign(size_t(m_rows[size_t(k)]), -1);
            for (qsizetype i = 0; i < m_rows[size_t(k)]; ++i) {
                m_nonEmptyTexts += !rows.Text(i).isEmpty();
                if (lookedUp(rows.Text(i))) {
                    texts.push_back(rows.Text(i));
                    at.emplace_back(k, i);
                }
            }
        }
        m_lookedUpRows = qsizetype(texts.size());
        const std::vector<qint32> added = m_phrases.add(texts);
        for (size_t t = 0; t < at.size(); ++t)
            m_phraseOf[size_t(at[t].first)][size_t(at[t].second)] = added[t];
    }

    // The pass over dictionary d: it is read whole (a Windows-1251 one undecoded) and
    // its rows stream past the texts; the user dictionary stays in memory meanwhile.
    std::optional<FileError> streamDictionary(DictionaryReadAhead& readAhead, qsizetype d, qsizetype count)
    {
        DictionaryReadAhead::Read read = readAhead.take(d);
        if (d + 1 < count)
            readAhead.start(d + 1);
        if (read.text.windows1251)
            m_phrases.answerWindows1251(read.text.bytes, read.scan);
        else
            m_phrases.answer(read.text.text, read.scan);
        // The strings of the pass before belong to its answers.
        for (const qint32 id : m_decoded)
            m_translations[size_t(id)] = QString();
        m_decoded.clear();
        m_translations.resize(size_t(m_phrases.size()));
        return std::move(read.error);
    }

    // Gives every row of `kind` whose text the pass found its translation; how many
    // rows took one. Only those rows are looked at; the script each belongs to (its
    // encoding, its path) is followed along the markers.
    qsizetype applyTranslations(ResourceKind kind)
    {
        const int k = kindIndex(kind);
        const qsizetype n = m_rows[size_t(k)];
        LineStore& rows = store(kind);
        const std::vector<qint32>& ids = m_phraseOf[size_t(k)];
        const std::vector<LineStore::Script> scripts = rows.scripts();
        size_t script = 0;
        m_foundRows.clear();
        for (qsizetype i = 0; i < n; ++i)
            if (ids[size_t(i)] >= 0 && m_phrases.found(ids[size_t(i)]))
                m_foundRows.push_back(i);
        qsizetype translated = 0;
        size_t f = 0;
        for (qsizetype i = 0; i < n; ++i) {
            m_repaint.rowPassed();
            if (m_callbacks.progressValue)
                m_callbacks.progressValue(m_offset[size_t(k)] + i);
            if (f == m_foundRows.size() || m_foundRows[f] != i)
                continue;
            prefetchAhead(rows, ids, f);
            ++f;
            while (script < scripts.size() && scripts[script].endRow <= i)
                ++script;
            const bool inScript = script < scripts.size() && scripts[script].markerRow <= i;
            translated += translateRow(k, rows, i, inScript ? &scripts[script] : nullptr);
        }
        return translated;
    }

    // The rows that get a translation lie far apart, and so do their texts: they are
    // asked for from memory some rows ahead of their turn.
    void prefetchAhead(const LineStore& rows, const std::vector<qint32>& ids, size_t f) const
    {
        if (f + 16 < m_foundRows.size())
            prefetch(&rows.row(m_foundRows[f + 16]));
        if (f + 8 < m_foundRows.size()) {
            prefetch(rows.Text(m_foundRows[f + 8]).constData());
            prefetch(&m_translations[size_t(ids[size_t(m_foundRows[f + 8])])]);
        }
    }

    // Row i of kind k takes the translation found for its text, unless its script
    // cannot hold it; whether it did.
    bool translateRow(int k, LineStore& rows, qsizetype i, const LineStore::Script* script)
    {
        std::vector<qint32>& ids = m_phraseOf[size_t(k)];
        const qint32 id = ids[size_t(i)];
        const TextEncoding encoding = script ? script->encoding : TextEncoding::Windows1251;
        const QString& text = rows.Text(i); // looked up, so never empty
        QString& translation = m_translations[size_t(id)];
        if (translation.isNull()) { // a found translation is a row, never empty
            translation = *m_phrases.translation(id);
            m_decoded.push_back(id);
        }
        const QString translatedText = carryFirstLetterCase(text, translation);
        // A translation the row's script cannot hold would make the whole script
        // fail to save at exit: the row stays, and a later dictionary may still translate it.
        const QPair<int, qsizetype> key{k, i};
        if (firstUnencodable(translatedText, encoding) >= 0) {
            m_unstorable.insert(key, script ? script->path : QString());
            return false;
        }
        m_unstorable.remove(key);
        noteFirstTranslation(k, i, text, translatedText);
        recordTranslation(rows, i, translatedText, !m_showTranslated, TranslationRoad::Automatic);
        ids[size_t(i)] = lookedUp(rows.Text(i)) ? m_phrases.add(rows.Text(i)) : -1;
        return true;
    }

    // A first translation that begins with a non-ASCII character, or that hides the
    // text, changes the row for good: no later pass looks it up. Any other keeps the
    // text as loaded, to tell at the end whether the row still reads as loaded.
    void noteFirstTranslation(int k, qsizetype i, const QString& text, const QString& translatedText)
    {
        std::vector<quint8>& once = m_recorded[size_t(k)];
        if (once.empty())
            once.assign(size_t(m_rows[size_t(k)]), 0);
        if (once[size_t(i)])
            return;
        once[size_t(i)] = 1;
        if (m_showTranslated && lookedUp(translatedText))
            m_asLoaded[size_t(k)].emplace_back(i, text);
        else
            ++m_changedForGood;
    }

    void countWhatIsLeft(AutoTranslationResult& result) const
    {
        result.untranslatedRows = m_lookedUpRows - m_changedForGood;
        for (const ResourceKind kind : kAllKinds)
            for (const auto& [row, text] : m_asLoaded[size_t(kindIndex(kind))])
                if (store(kind).Text(row) != text)
                    --result.untranslatedRows;
        result.unstorableRows = m_unstorable.size();
        if (!m_unstorable.isEmpty())
            result.firstUnstorableScript = m_unstorable.first();
    }

    const LineStores m_stores;
    const bool m_showTranslated;
    const AutoTranslationCallbacks& m_callbacks;
    const RunReport m_panels;
    RepaintThrottle m_repaint;

    std::array<qsizetype, kKindCount> m_rows{};
    std::array<qsizetype, kKindCount> m_offset{}; // the progress value of each kind's first row
    qsizetype m_total = 0;

    PhraseSet m_phrases;
    std::array<std::vector<qint32>, kKindCount> m_phraseOf; // the phrase of each row, -1 for none
    qsizetype m_nonEmptyTexts = 0;
    qsizetype m_lookedUpRows = 0;

    // The rows a pass recorded a translation for, and of them those changed for good
    // and those that kept the text as loaded (see noteFirstTranslation).
    std::array<std::vector<quint8>, kKindCount> m_recorded;
    qsizetype m_changedForGood = 0;
    std::array<std::vector<std::pair<qsizetype, QString>>, kKindCount> m_asLoaded;
    // Rows a translation was refused for, with their script, until a later pass translates them.
    QMap<QPair<int, qsizetype>, QString> m_unstorable;

    // One string per distinct translation, shared by every row that takes it. The
    // strings of a pass are dropped before the next one; the vector stays.
    std::vector<QString> m_translations;
    std::vector<qint32> m_decoded; // the ids that have a string in m_translations
    std::vector<qsizetype> m_foundRows;
};

} // namespace

AutoTranslationResult runAutomaticTranslation(Project& state, bool userDictionaryFirst,
                                              const AutoTranslationCallbacks& callbacks,
                                              UserDictionaryAtEnd atEnd)
{
    AutoTranslationResult result;
    // Manual work not yet saved would be missing from a pass over User.dic and lost
    // when the user dictionary is loaded back; if it cannot be saved, nothing else happens.
    if (state.userDictionaryChanged()) {
        if (!state.readOnlyReason().isEmpty()) {
            const QString user = findUserDictionary(state.workDir());
            result.errors.append(FileError{user.isEmpty() ? state.workDir() : user, state.readOnlyReason()});
            return result;
        }
        if (auto error = SaveUserDic(state.workDir(), state.dictionary())) {
            result.errors.append(*error);
            return result;
        }
        state.markUserDictionarySaved();
    }
    result.ran = true;
    const RunReport panels{callbacks};
    state.setMode(TranslationMode::Automatic);
    TranslationPasses passes(state.stores(), !state.hideTranslated(), callbacks, panels);
    state.markResourcesChanged();
    {
        // The whole run is one step: taken back, every row it translated reads as before.
        const HistoryStep step(state.history(), TranslationRoad::Automatic, state.handledPlace());
        passes.run(state.connectedDictionaries(), userDictionaryFirst, result);
    }

    panels.dictionary(dictionary_texts::kUserDictionary);
    state.setMode(TranslationMode::Manual);
    // The passes never replaced the dictionary in memory: while it still equals
    // User.dic as loaded or saved, loading it again would only give the same rows.
    const QString userPath = findUserDictionary(state.workDir());
    if (atEnd == UserDictionaryAtEnd::Reload &&
        (userPath.isEmpty() || !state.dictionary().sameAsFile(userPath)))
        if (auto error = LoadUserDictionary(state.workDir(), state.dictionary()))
            result.errors.append(*error);
    return result;
}

} // namespace kvarsel
