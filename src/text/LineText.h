#pragma once
// The check for a text the user types for a single line of a file: a script line
// or a row of a dictionary. A line break would split the line in two and move
// everything after it. Whether the file's encoding can hold every character depends
// on the file and is asked of workbench/StorageCheck.h.

#include <QString>
#include <QStringView>

namespace kvarsel {

enum class LineTextRole {
    Translation,   // a translation that goes into the scripts (and the user dictionary)
    DictionaryRow, // a row of the user dictionary, source or translation
};

// Why `text` cannot be stored as one line, worded for the box it was typed in;
// empty when it can.
QString lineTextProblem(QStringView text, LineTextRole role);

} // namespace kvarsel
