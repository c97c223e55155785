#pragma once
// Writes the in-memory user dictionary back to User.dic, keeping the previous
// file as User.old (one generation deep).

#include "dictionary/CurrentDictionary.h"
#include "text/FileError.h"

#include <optional>

namespace kvarsel {

// Rows 2 onward, verbatim, CR LF after each. The new User.dic is complete on disk
// before the old one counts as User.old, and both are replaced atomically, so a
// failure at any step leaves a User.dic holding the previous or the new
// dictionary. A missing User.dic is simply created. Returns the failure, if any.
std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary);

} // namespace kvarsel
