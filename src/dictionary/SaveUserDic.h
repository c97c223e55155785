#pragma once
// Writes the in-memory user dictionary back to User.dic, keeping the previous
// file as User.old (one generation deep).

#include "dictionary/CurrentDictionary.h"
#include "text/FileError.h"

#include <optional>

namespace kvarsel {

// The encoding User.dic is written in: the one it was read in; a new one is
// Windows-1251 unless a row needs more, then UTF-8 with a byte-order mark.
TextEncoding userDictionaryEncoding(const CurrentDictionary& dictionary);

// Rows 2 onward, verbatim, CR LF after each, in userDictionaryEncoding. The new User.dic is complete on disk
// before the old one counts as User.old, and both are replaced atomically, so a
// failure at any step leaves a User.dic holding the previous or the new
// dictionary. A missing User.dic is simply created. Returns the failure, if any.
std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary);

} // namespace kvarsel
