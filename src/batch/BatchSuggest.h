#pragma once
// kvarsel-batch suggest: for every text of a resource directory that no connected
// dictionary translates exactly, the similar translations the windows would show.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"

namespace kvarsel {

class SuggestionIndex;
class Project;

QString suggestHelp();

// The distinct texts of the loaded rows, in kind and row order, that the lookup
// would try (not beginning with a non-ASCII character) and that no connected
// dictionary of `index` translates.
QStringList textsWithoutExactTranslation(const Project& state, const SuggestionIndex& index);

// One tab-separated line per suggestion: text, similarity, source, translation,
// dictionary file. The texts are searched on every processor at once.
QStringList suggestionLines(const SuggestionIndex& index, const QStringList& texts, int limit, int minimum);

int runSuggest(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
