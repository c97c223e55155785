#include "workbench/Propagation.h"

#include "dictionary/CurrentDictionary.h"
#include "model/Accelerators.h"
#include "model/ScriptString.h"
#include "text/CaseFold.h"

namespace kvarsel {

void recordTranslation(LineStore& store, qsizetype row, const QString& translation, bool hideTranslated,
                       TranslationRoad road)
{
    store.noteTranslation(row, road);
    // The row holds the script's text, so the translation goes in as the script
    // must write it: a quotation mark typed in it must not end the string.
    QString text = asScriptString(store.kind(), translation);
    // Scripts that keep their accelerators get the mark back (see Accelerators.h):
    // the row shows the text without it, the script is written with it.
    QString scriptText;
    if (store.acceleratorsKept()) {
        scriptText = scriptFormOfTranslation(store, row, text);
        text = fromScriptForm(scriptText).text;
    }
    if (!hideTranslated) {
        store.ReplaceText(row, text);
        if (store.acceleratorsKept())
            store.SetScriptText(row, scriptText);
        return;
    }
    store.ReplaceText(row, QString());
    store.ReplaceHead(row, store.Head(row) + (store.acceleratorsKept() ? scriptText : text));
}

bool takesTranslationOf(const LineStore& store, qsizetype row, const QString& phrase)
{
    const QString& text = store.Text(row);
    if (text.isEmpty())
        return false;
    const LineStore::RowOrigin* origin = store.origin(row);
    return equalsIgnoringCase(text, phrase) || (origin && equalsIgnoringCase(origin->loadedText, phrase));
}

qsizetype propagateTranslation(LineStore& store, const QString& phrase, const QString& translation,
                               bool hideTranslated, TranslationRoad road)
{
    // An empty phrase would match every marker and plain row; in hide mode that
    // would glue the translation into lines that never had a text.
    if (phrase.isEmpty())
        return 0;
    qsizetype changed = 0;
    for (qsizetype i = 1; i < store.RowCount(); ++i) {
        if (takesTranslationOf(store, i, phrase)) {
            recordTranslation(store, i, translation, hideTranslated, road);
            ++changed;
        }
    }
    return changed;
}

void recordUserEntry(Project& state, const QString& source, const QString& translation)
{
    CurrentDictionary& dictionary = state.dictionary();
    const qsizetype at = dictionary.FindEntry(source);
    if (at < 0) {
        dictionary.AppendEntry(source, translation);
        return;
    }
    if (dictionary.Row(at + 1) != translation)
        state.history().replaceDictionaryRow(at + 1, translation);
}

static qsizetype searchIn(Project& state, ResourceKind kind, const QString& phrase,
                          const QString& translation, TranslationRoad road)
{
    LineStore& store = state.store(kind);
    if (store.RowCount() == 0)
        return 0;
    return propagateTranslation(store, phrase, translation, state.hideTranslated(), road);
}

qsizetype Search_Menu(Project& state, const QString& phrase, const QString& translation, TranslationRoad road)
{
    return searchIn(state, ResourceKind::Menu, phrase, translation, road);
}

qsizetype Search_Dialog(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road)
{
    return searchIn(state, ResourceKind::Dialog, phrase, translation, road);
}

qsizetype Search_String(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road)
{
    return searchIn(state, ResourceKind::String, phrase, translation, road);
}

qsizetype Search_RcData(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road)
{
    return searchIn(state, ResourceKind::RcData, phrase, translation, road);
}

qsizetype applyToAllKinds(Project& state, const QString& phrase, const QString& translation,
                          TranslationRoad road)
{
    return Search_Menu(state, phrase, translation, road) + Search_Dialog(state, phrase, translation, road) +
           Search_String(state, phrase, translation, road) + Search_RcData(state, phrase, translation, road);
}

} // namespace kvarsel
