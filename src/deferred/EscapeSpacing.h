#pragma once
// Line-break escapes ("\n" inside a resource text) on their way to the outside
// translator and back. A machine translator glues the "n" to the next word, so the
// exported file carries each escape as " \n "; the import turns it back.

#include <QString>

namespace kvarsel {

// Every "\n" that begins at the 3rd character or later becomes " \n ". An escape at
// the 1st or 2nd character stays as it is.
QString spaceOutEscapes(const QString& text);

// Every " \n " becomes "\n" again; "a \n  \n b" gives "a\n\nb".
QString unspaceEscapes(const QString& text);

} // namespace kvarsel
