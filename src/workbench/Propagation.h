#pragma once
// Applying one translation to every loaded row whose text is the phrase.

#include "project/Project.h"

namespace kvarsel {

// Records a translation in row i: in place, or (hide-translated mode) moved onto
// the end of the head with the text emptied, so the row is no longer offered but
// its saved line still carries the translation.
// `road` is how it was translated, which the list shows beside the loaded text.
void recordTranslation(LineStore& store, qsizetype row, const QString& translation, bool hideTranslated,
                       TranslationRoad road);

// Every row from index 1 whose text equals `phrase` ignoring case gets
// `translation`, and so does every row this run translated from a loaded text equal
// to `phrase` (a correction reaches what automatic translation did). Rows with
// empty text are never touched, whatever the phrase.
// Returns how many rows changed.
qsizetype propagateTranslation(LineStore& store, const QString& phrase, const QString& translation,
                               bool hideTranslated, TranslationRoad road);

// Whether `propagateTranslation` gives row `row` the translation of `phrase`.
bool takesTranslationOf(const LineStore& store, qsizetype row, const QString& phrase);

qsizetype Search_Menu(Project& state, const QString& phrase, const QString& translation,
                      TranslationRoad road);
qsizetype Search_Dialog(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road);
qsizetype Search_String(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road);
qsizetype Search_RcData(Project& state, const QString& phrase, const QString& translation,
                        TranslationRoad road);

// Records source -> translation in the user dictionary in memory. When it already
// holds the source (letter case aside), that entry gets the new translation in
// place: appended behind it, the pair would never be reached by a lookup, and the
// user's last word must be the one used. Inside a history step, undo restores it.
void recordUserEntry(Project& state, const QString& source, const QString& translation);

// The four in the order Menu, Dialog, String, RcData, each on a kind with rows.
qsizetype applyToAllKinds(Project& state, const QString& phrase, const QString& translation,
                          TranslationRoad road);

} // namespace kvarsel
