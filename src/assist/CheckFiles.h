#pragma once
// The pairs of a dictionary or bilingual file for checking, each with the line it
// stands on, read the way the program reads that file: a connected dictionary
// skips empty lines, the user dictionary keeps them as rows, a bilingual file
// skips them and has its spaced-out escapes turned back.

#include "text/FileError.h"

#include <QList>
#include <QString>
#include <optional>

namespace kvarsel {

class SpellChecker;

struct Misspelling {
    QString word;
    QStringList suggestions;
};

struct CheckedPair {
    qsizetype line = 0; // 1-based line of the source
    QString source;
    QString translation;
    QStringList findings;
    QList<Misspelling> misspellings; // the translation's words, once each
};

struct CheckedFile {
    QList<CheckedPair> pairs; // only the pairs with findings
    std::optional<FileError> error;
};

// With `spelling`, the translations' misspelled words are findings too.
CheckedFile checkFile(const QString& path, SpellChecker* spelling = nullptr);

// One report line: «FILE:LINE: finding: source → translation».
QString findingLine(const QString& file, const CheckedPair& pair, const QString& finding);
// «FILE:LINE: орфография: «word» → suggestions».
QString spellingLine(const QString& file, const CheckedPair& pair, const Misspelling& misspelling);

} // namespace kvarsel
