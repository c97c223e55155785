#pragma once
// Finding rows of a text list: the find bar's "contains, ignoring case" and the
// jump to the next text still in English. Both look at every row at most once,
// starting next to `current` and wrapping past either end, so repeating a search
// cycles through all the matches; `current` itself is looked at last.

#include "model/LineStore.h"

namespace kvarsel {

enum class SearchDirection { Forward, Backward };

// A text that still needs translating: not empty, and not already Russian.
bool isUntranslatedText(QStringView text);

// The row whose text contains `needle`, letters compared without regard to case;
// -1 when the needle is empty or no row holds it. A negative `current` (no row
// selected) starts at the first row going forward, at the last going back.
qsizetype findContaining(const LineStore& store, QStringView needle, qsizetype current,
                         SearchDirection direction);

// The same walk for the next untranslated text.
qsizetype findUntranslated(const LineStore& store, qsizetype current, SearchDirection direction);

} // namespace kvarsel
