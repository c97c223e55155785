#include "workbench/AutoTranslation.h"

#include "dictionary/DictionaryFiles.h"
#include "dictionary/PhraseSet.h"
#include "dictionary/SaveUserDic.h"
#include "dictionary/SearchString.h"
#include "text/CharClass.h"
#include "text/Prefetch.h"
#include "text/TextFile.h"
#include "workbench/Propagation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <future>
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
    state.setMode(TranslationMode::Automatic);
    const auto tell = [](const std::function<void(const QString&)>& panel, const QString& text) {
        if (panel)
            panel(text);
    };
    const bool showTranslated = !state.hideTranslated();
    state.markResourcesChanged();

    std::array<qsizetype, kKindCount> rows{};
    std::array<qsizetype, kKindCount> offset{};
    qsizetype total = 0;
    for (const ResourceKind kind : kAllKinds) {
        offset[size_t(kindIndex(kind))] = total;
        rows[size_t(kindIndex(kind))] = state.store(kind).RowCount();
        total += rows[size_t(kindIndex(kind))];
    }
    if (callbacks.progressMaximum)
        callbacks.progressMaximum(total + 4);

    int repaintCounter = 0;
    QElapsedTimer sincePaint;
    sincePaint.start();
    const auto paint = [&] {
        if (callbacks.repaint) {
            callbacks.repaint();
            sincePaint.restart();
        }
    };

    // The dictionaries are read and scanned (line ends, row hashes) on a second
    // thread, each while the pass before it runs (the first while the texts are
    // hashed), into two buffers taken in turn: a pass needs only its own
    // dictionary, and only until the next one starts.
    const qsizetype count = state.connectedDictionaries().size();
    std::array<ScannedText, 2> dictionaryTexts;
    std::array<PhraseSet::Scan, 2> scans;
    const auto readAhead = [&](qsizetype d) {
        return std::async(std::launch::async,
                          [path = state.connectedDictionaries()[d], &into = dictionaryTexts[size_t(d % 2)],
                           &scan = scans[size_t(d % 2)]] {
                              auto error = readScannedText(path, into);
                              if (into.windows1251)
                                  PhraseSet::scanWindows1251(into.bytes, scan);
                              else
                                  PhraseSet::scan(into.text, scan);
                              return error;
                          });
    };
    std::future<std::optional<FileError>> nextRead;
    if (count > 0)
        nextRead = readAhead(0);

    // The texts to look up, hashed once for all passes: a row a pass translates
    // gets the id of its new text, which the next passes look up in turn.
    const auto lookedUp = [](const QString& text) { return !text.isEmpty() && !isNonAscii(text.front()); };
    PhraseSet phrases;
    phrases.reserve(total);
    std::array<std::vector<qint32>, kKindCount> phraseOf;
    qsizetype lookedUpRows = 0;
    // The rows a pass recorded a translation for. A first translation that begins
    // with a non-ASCII character, or that hides the text, changes the row for good:
    // no later pass looks it up. Any other keeps the text as loaded, to tell at the
    // end whether the row still reads as loaded.
    std::array<std::vector<quint8>, kKindCount> recorded;
    qsizetype changedForGood = 0;
    std::array<std::vector<std::pair<qsizetype, QString>>, kKindCount> asLoaded;
    {
        qsizetype nonEmpty = 0;
        std::vector<QStringView> texts;
        std::vector<std::pair<int, qsizetype>> at; // kind and row of each text
        texts.reserve(size_t(total));
        at.reserve(size_t(total));
        for (const ResourceKind kind : kAllKinds) {
            const int k = kindIndex(kind);
            const LineStore& store = state.store(kind);
            phraseOf[size_t(k)].assign(size_t(rows[size_t(k)]), -1);
            for (qsizetype i = 0; i < rows[size_t(k)]; ++i) {
                nonEmpty += !store.Text(i).isEmpty();
                if (lookedUp(store.Text(i))) {
                    texts.push_back(store.Text(i));
                    at.emplace_back(k, i);
                }
            }
        }
        lookedUpRows = qsizetype(texts.size());
        if (count > 0)
            result.textsLookedUp = nonEmpty;
        const std::vector<qint32> added = phrases.add(texts);
        for (size_t t = 0; t < at.size(); ++t)
            phraseOf[size_t(at[t].first)][size_t(at[t].second)] = added[t];
    }
    // Rows a translation was refused for, with their script, until a later pass translates them.
    QMap<QPair<int, qsizetype>, QString> unstorable;

    // One string per distinct translation, shared by every row that takes it. The
    // strings of a pass are dropped before the next one; the vector stays.
    std::vector<QString> translations;
    std::vector<qint32> decoded; // the ids that have a string in `translations`
    std::vector<qsizetype> foundRows;
    // The views hear of the new texts once, when every pass is done: a repaint shows
    // them anyway (a view reads its rows as it paints them), and every notice makes
    // a list view lay out all its rows again.
    for (const ResourceKind kind : kAllKinds)
        state.store(kind).holdChangeNotices();
    for (qsizetype d = 0; d < count; ++d) {
        tell(callbacks.dictionaryStatus, dictionary_texts::kLoading);
        // The pass reads the dictionary whole and streams its rows past the texts to
        // translate, a Windows-1251 one undecoded; the user dictionary stays in memory meanwhile.
        if (auto error = nextRead.get())
            result.errors.append(*error); // nothing to find: the pass runs over an empty dictionary
        const ScannedText& dictionaryText = dictionaryTexts[size_t(d % 2)];
        if (d + 1 < count)
            nextRead = readAhead(d + 1);
        const PhraseSet::Scan& scan = scans[size_t(d % 2)];
        if (dictionaryText.windows1251)
            phrases.answerWindows1251(dictionaryText.bytes, scan);
        else
            phrases.answer(dictionaryText.text, scan);
        for (const qint32 id : decoded)
            translations[size_t(id)] = QString();
        decoded.clear();
        translations.resize(size_t(phrases.size()));
        tell(callbacks.dictionaryStatus, dictionaryStatusText(d, count, userDictionaryFirst));
        paint();
        qsizetype translated = 0;
        for (const ResourceKind kind : kAllKinds) {
            const int k = kindIndex(kind);
            const qsizetype n = rows[size_t(k)];
            if (n == 0)
                continue;
            tell(callbacks.step, translatingKindText(kind));
            LineStore& store = state.store(kind);
            std::vector<qint32>& ids = phraseOf[size_t(k)];
            // Only a row whose text has a translation is looked at; the file it
            // belongs to (its encoding, its path) is followed along the markers.
            const std::vector<LineStore::Script> scripts = store.scripts();
            size_t script = 0;
            // The rows that get a translation lie far apart, and so do their texts:
            // they are asked for from memory some rows ahead of their turn.
            foundRows.clear();
            for (qsizetype i = 0; i < n; ++i)
                if (ids[size_t(i)] >= 0 && phrases.found(ids[size_t(i)]))
                    foundRows.push_back(i);
            size_t f = 0;
            for (qsizetype i = 0; i < n; ++i) {
                if (repaintCounter < 35) {
                    ++repaintCounter;
                } else {
                    repaintCounter = 0;
                    if (sincePaint.elapsed() >= 30)
                        paint();
                }
                if (callbacks.progressValue)
                    callbacks.progressValue(offset[size_t(k)] + i);
                if (f == foundRows.size() || foundRows[f] != i)
                    continue;
                if (f + 16 < foundRows.size())
                    prefetch(&store.row(foundRows[f + 16]));
                if (f + 8 < foundRows.size()) {
                    prefetch(store.Text(foundRows[f + 8]).constData());
                    prefetch(&translations[size_t(ids[size_t(foundRows[f + 8])])]);
                }
                ++f;
                const qint32 id = ids[size_t(i)];
                while (script < scripts.size() && scripts[script].endRow <= i)
                    ++script;
                const bool inScript = script < scripts.size() && scripts[script].markerRow <= i;
                const TextEncoding encoding = inScript ? scripts[script].encoding : TextEncoding::Windows1251;
                const QString& text = store.Text(i); // looked up, so never empty
                QString& translation = translations[size_t(id)];
                if (translation.isNull()) { // a found translation is a row, never empty
                    translation = *phrases.translation(id);
                    decoded.push_back(id);
                }
                const QString translatedText = carryFirstLetterCase(text, translation);
                // A translation the row's script cannot hold would make the whole script
                // fail to save at exit: the row stays, and a later dictionary may still translate it.
                const QPair<int, qsizetype> key{k, i};
                if (firstUnencodable(translatedText, encoding) >= 0) {
                    unstorable.insert(key, inScript ? scripts[script].path : QString());
                    continue;
                }
                unstorable.remove(key);
                std::vector<quint8>& once = recorded[size_t(k)];
                if (once.empty())
                    once.assign(size_t(n), 0);
                if (!once[size_t(i)]) {
                    once[size_t(i)] = 1;
                    if (showTranslated && lookedUp(translatedText))
                        asLoaded[size_t(k)].emplace_back(i, text);
                    else
                        ++changedForGood;
                }
                recordTranslation(store, i, translatedText, !showTranslated);
                ids[size_t(i)] = lookedUp(store.Text(i)) ? phrases.add(store.Text(i)) : -1;
                ++translated;
            }
        }
        result.translatedByDictionary.append(translated);
    }

    for (const ResourceKind kind : kAllKinds)
        state.store(kind).releaseChangeNotices();

    result.untranslatedRows = lookedUpRows - changedForGood;
    for (const ResourceKind kind : kAllKinds)
        for (const auto& [row, text] : asLoaded[size_t(kindIndex(kind))])
            if (state.store(kind).Text(row) != text)
                --result.untranslatedRows;
    result.unstorableRows = unstorable.size();
    if (!unstorable.isEmpty())
        result.firstUnstorableScript = unstorable.first();

    if (callbacks.progressValue)
        callbacks.progressValue(0);
    tell(callbacks.dictionaryStatus, dictionary_texts::kUserDictionary);
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
