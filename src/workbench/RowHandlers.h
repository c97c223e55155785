#pragma once
// What selecting and double-clicking a row of a text list do. Both act only in
// manual mode. Panel 3 remembers the row last handled, so a repeated click, or a
// selection the program made, gives the same result as a click.

#include "project/Project.h"

#include <optional>

namespace kvarsel {

struct SelectionEffect {
    bool handled = false;                 // false: nothing changed, the clipboard stays as it was
    std::optional<QString> clipboardText; // set this text; empty optional with handled: clear it
};

// Selection of row `row` of the current kind's list.
SelectionEffect handleRowSelection(Project& state, ResourceKind kind, qsizetype row);

struct ManualTranslationRequest {
    bool open = false;
    QString phrase;   // the row's text; for a row translated in this run, the text it was loaded with
    QString proposal; // the clipboard's text when it differs from the phrase, else the phrase
};

// Double click on row `row`: marks both the resources and the user dictionary as
// changed before the dialog opens, so even a cancelled dialog counts.
ManualTranslationRequest handleRowDoubleClick(Project& state, ResourceKind kind, qsizetype row,
                                              const QString& clipboardText);

struct ManualTranslationOutcome {
    bool recorded = false; // the pair went into the dictionary and the rows
    qsizetype rowsChanged = 0;
    qsizetype nextRow = -1; // the row to select next in the selected tab's kind, or -1
};

// "OK" of the manual translation dialog: a translation that is not empty and
// differs from the phrase is recorded and applied to every equal text; an empty
// phrase records nothing.
ManualTranslationOutcome confirmManualTranslation(Project& state, const QString& phrase,
                                                  const QString& translation);

} // namespace kvarsel
