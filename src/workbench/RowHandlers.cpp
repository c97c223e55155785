#include "workbench/RowHandlers.h"

#include "workbench/Propagation.h"

namespace kvarsel {

SelectionEffect handleRowSelection(Project& state, ResourceKind kind, qsizetype row)
{
    if (!state.isManualMode() || row < 0 || row >= state.store(kind).RowCount())
        return {};
    if (state.handledRow() - 1 == row)
        return {};
    state.setLookupPhrase(state.store(kind).Text(row));
    state.setHandledRow(row + 1, true);
    SelectionEffect effect;
    effect.handled = true;
    if (!state.lookupPhrase().isEmpty())
        effect.clipboardText = state.lookupPhrase();
    return effect;
}

ManualTranslationRequest handleRowDoubleClick(Project& state, ResourceKind kind, qsizetype row,
                                              const QString& clipboardText)
{
    if (!state.isManualMode() || row < 0 || row >= state.store(kind).RowCount())
        return {};
    state.setHandledRow(row + 1, true);
    state.markResourcesChanged();
    state.markUserDictionaryChanged();
    state.setLookupPhrase(state.store(kind).Text(row));
    ManualTranslationRequest request;
    request.open = true;
    request.phrase = state.lookupPhrase();
    request.proposal = clipboardText != state.lookupPhrase() ? clipboardText : state.lookupPhrase();
    // A row translated in this run is corrected from the text it was loaded with:
    // the pair recorded is then English to Russian, the one the next run looks up.
    if (const LineStore::RowOrigin* origin = state.store(kind).origin(row);
        origin && !state.lookupPhrase().isEmpty())
        request.phrase = origin->loadedText;
    return request;
}

ManualTranslationOutcome confirmManualTranslation(Project& state, const QString& phrase,
                                                  const QString& translation)
{
    ManualTranslationOutcome outcome;
    if (phrase.isEmpty() || translation.isEmpty() || translation == phrase)
        return outcome;
    const HistoryStep step(state.history(), TranslationRoad::Manual, state.handledPlace());
    recordUserEntry(state, phrase, translation);
    outcome.recorded = true;
    outcome.rowsChanged = applyToAllKinds(state, phrase, translation, TranslationRoad::Manual);
    const LineStore& store = state.store(state.currentKind());
    for (qsizetype i = qMax<qsizetype>(state.handledRow(), 0); i < store.RowCount(); ++i) {
        if (!store.Text(i).isEmpty()) {
            outcome.nextRow = i;
            break;
        }
    }
    return outcome;
}

} // namespace kvarsel
