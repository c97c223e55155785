#pragma once
// Phrase lookup through the dictionary in memory.

#include "dictionary/CurrentDictionary.h"

namespace kvarsel {

struct LookupResult {
    bool found = false;
    QString translation; // first letter's case taken from the phrase; empty when not found
};

// Exact in length, ignoring letter case, first entry in dictionary order wins.
// A phrase starting with a non-ASCII character (already Russian) is not looked up.
// The search walks the rows that begin with the phrase and gives up at the first
// translation (odd) row among them, even when a later source would match.
// Answered through the dictionary's index; SearchStringLinear is the same lookup
// as a plain walk over the rows, kept as the reference the index is checked against.
LookupResult SearchString(const CurrentDictionary& dictionary, const QString& phrase);
LookupResult SearchStringLinear(const CurrentDictionary& dictionary, const QString& phrase);

// The letter case of the phrase's first character carried over to the translation.
QString carryFirstLetterCase(const QString& phrase, const QString& translation);

} // namespace kvarsel
