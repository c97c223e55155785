#include "workbench/AutoTranslation.h"

#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "dictionary/SearchString.h"
#include "workbench/Propagation.h"

#include <QElapsedTimer>

namespace kvarsel {

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
            for (qsizetype i = 0; i < n; ++i) {
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
                recordTranslation(store, i, found.translation, !showTranslated);
                ++translated;
            }
        }
        result.translatedByDictionary.append(translated);
    }

    if (callbacks.progressValue)
        callbacks.progressValue(0);
    state.setDictionaryStatus(dictionary_texts::kUserDictionary);
    state.setTranslationMode(panel_texts::kManualMode);
    if (auto error = LoadUserDictionary(state.workDir(), state.dictionary()))
        result.errors.append(*error);
    return result;
}

} // namespace kvarsel
