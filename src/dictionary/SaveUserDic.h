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

// Why User.dic may not simply be replaced by the dictionary in memory.
enum class UserDicConflict {
    None,
    NotReadWhole,  // it exists but could not be read: the rows in memory are not its entries
    ChangedOnDisk, // another program (or another copy of this one) changed it since it was read
};
struct UserDicCheck {
    UserDicConflict conflict = UserDicConflict::None;
    FileError error; // the file and the reason, when there is a conflict
};
UserDicCheck checkUserDictionaryFile(const QString& workDir, const CurrentDictionary& dictionary);

enum class UserDicReplace {
    WhenUnchanged, // refuse a file changed on disk since it was read
    EvenIfChanged, // the user chose to replace it
};

// Rows 2 onward, verbatim, CR LF after each, in userDictionaryEncoding. The new User.dic is complete on disk
// before the old one counts as User.old, and both are replaced atomically, so a
// failure at any step leaves a User.dic holding the previous or the new
// dictionary. A missing User.dic is simply created. A User.dic that could not be
// read whole is never written over, nor (unless `replace` says so) one changed on
// disk since it was read. Returns the failure or refusal, if any.
std::optional<FileError> SaveUserDic(const QString& workDir, const CurrentDictionary& dictionary,
                                     UserDicReplace replace = UserDicReplace::WhenUnchanged);

// Reads User.dic as it is now and adds after its entries every entry of the
// dictionary in memory that the file does not hold, so that neither the file's
// entries nor those made in this run are lost; the dictionary then counts as read
// from the file (and is to be saved). Returns the failure when it still cannot be
// read; the dictionary is then unchanged. Returns how many entries were added.
struct UserDicMerge {
    std::optional<FileError> error;
    qsizetype added = 0;
};
UserDicMerge mergeUserDictionaryFile(const QString& workDir, CurrentDictionary& dictionary);

} // namespace kvarsel
