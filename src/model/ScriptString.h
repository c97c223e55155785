#pragma once
// A translation as it must stand inside a script's string. The resource compiler
// writes a quotation mark inside a string as "" and reads a backslash as the start
// of an escape; a form file writes an apostrophe inside a string as ''. A
// translation typed with a lone quotation mark, or ending in a lone backslash,
// would end the string early and break the build, so it is written escaped.

#include "model/ResourceKind.h"

#include <QString>

namespace kvarsel {

// The translation as the row's text: in Menu, Dialog and String every double quote
// that is not one of a doubled pair (nor escaped by a backslash) is doubled, and
// a lone backslash at the end gets a second one; in RcData every lone apostrophe
// is doubled. A translation already written that way comes back unchanged.
QString asScriptString(ResourceKind kind, const QString& translation);

// Whether writing the translation into a script doubles one of its double quotes
// (Menu, Dialog, String) or apostrophes (RcData).
bool doublesQuote(QStringView translation);
bool doublesApostrophe(QStringView translation);

// What stands between a line's first double quote and the quote that closes it
// ("" inside is part of the string); a null view when no string is closed.
QStringView firstQuotedString(QStringView line);

} // namespace kvarsel
