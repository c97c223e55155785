#include "workbench/AutoTranslation.h"

#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "dictionary/SearchString.h"
#include "workbench/Propagation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>

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

AutoTranslationResult runAutomaticTranslation(WorkState& state, bool userDictionaryFirst,
                                              const AutoTranslationCallbacks& callbacks)
{
    AutoTranslationResult result;
    // Manual work not yet saved would be lost when the passes replace the dictionary
    // in memory; if it cannot be saved, nothing else happens.
    if (state.userDictionaryChanged) {
        if (auto error = SaveUserDic(state.workDir(), state.dictionary())) {
            result.errors.append(*error);
            return result;
        }
        state.userDictionaryChanged = false;
    }
    result.ran = true;
    state.setTranslationMode(panel_texts::kAutomaticMode);
    const bool showTranslated = !state.hideTranslated();
    state.resourcesChanged = true;

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

    // Rows a translation was refused for, with their script, until a later pass translates them.
    QMap<QPair<int, qsizetype>, QString> unstorable;

    const qsizetype count = state.connectedDictionaries.size();
    for (qsizetype d = 0; d < count; ++d) {
        state.setDictionaryStatus(dictionary_texts::kLoading);
        if (auto error = LoadDictionary(state.connectedDictionaries[d], state.dictionary()))
            result.errors.append(*error);
        state.setDictionaryStatus(dictionaryStatusText(d, count, userDictionaryFirst));
        paint();
        qsizetype translated = 0;
        for (const ResourceKind kind : kAllKinds) {
            const qsizetype n = rows[size_t(kindIndex(kind))];
            if (n == 0)
                continue;
            state.setTranslationMode(translatingKindText(kind));
            LineStore& store = state.store(kind);
            TextEncoding encoding = TextEncoding::Windows1251;
            QString script;
            for (qsizetype i = 0; i < n; ++i) {
                if (store.IsFileMarker(i)) {
                    encoding = store.MarkerEncoding(i);
                    script = store.MarkerPath(i);
                }
                if (repaintCounter < 35) {
                    ++repaintCounter;
                } else {
                    repaintCounter = 0;
                    if (sincePaint.elapsed() >= 30)
                        paint();
                }
                if (callbacks.progressValue)
                    callbacks.progressValue(offset[size_t(kindIndex(kind))] + i);
                const QString& text = store.Text(i);
                if (text.isEmpty())
                    continue;
                if (d == 0)
                    ++result.textsLookedUp;
                const LookupResult found = SearchString(state.dictionary(), text);
                if (!found.found)
                    continue;
                const QPair<int, qsizetype> key{kindIndex(kind), i};
                if (firstUnencodable(found.translation, encoding) >= 0) {
                    unstorable.insert(key, script);
                    continue;
                }
                unstorable.remove(key);
                recordTranslation(store, i, found.translation, !showTranslated);
                ++translated;
            }
        }
        result.translatedByDictionary.append(translated);
    }

    result.unstorableRows = unstorable.size();
    if (!unstorable.isEmpty())
        result.firstUnstorableScript = unstorable.first();

    if (callbacks.progressValue)
        callbacks.progressValue(0);
    state.setDictionaryStatus(dictionary_texts::kUserDictionary);
    state.setTranslationMode(panel_texts::kManualMode);
    if (auto error = LoadUserDictionary(state.workDir(), state.dictionary()))
        result.errors.append(*error);
    return result;
}

} // namespace kvarsel
