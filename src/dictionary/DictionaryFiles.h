#pragma once
// Dictionary files ("*.dic", source line then translation line, in any encoding
// text/Encoding.h reads) and the texts the dictionary status panel shows while they load.

#include "dictionary/CurrentDictionary.h"
#include "text/FileError.h"

#include <optional>

namespace kvarsel {

namespace dictionary_texts {
inline const QString kLoading = QStringLiteral("Загрузка словаря");
inline const QString kUserDictionary = QStringLiteral("Пользовательский словарь");
} // namespace dictionary_texts

// Loads a connected dictionary: the two empty rows, then every non-empty line
// verbatim (lines of blanks are kept). A file that cannot be read is reported and
// leaves only the two empty rows. Automatic translation streams these same rows
// from the file itself instead (PhraseSet; a Windows-1251 file undecoded) and never
// loads them into memory.
std::optional<FileError> LoadDictionary(const QString& path, CurrentDictionary& dictionary);

// Loads the user dictionary of `workDir`: the two empty rows, then every line,
// empty ones included. A missing file loads as an empty dictionary. The dictionary
// notes the file as read (or, when it could not be read whole, why not).
std::optional<FileError> LoadUserDictionary(const QString& workDir, CurrentDictionary& dictionary);

// What a user dictionary file at `path` is now, from its `bytes` as just read or
// written; without bytes, a file that is not there.
CurrentDictionary::UserFileCopy userFileCopyOf(const QString& path, const QByteArray* bytes);
// The same read from the file as it is now (not there: as without bytes), piece by
// piece: the save compares without holding a second copy of a large file.
std::optional<FileError> readUserFileCopy(const QString& path, CurrentDictionary::UserFileCopy& copy);

// Whether a path or name names a user dictionary: its file name is "User.dic",
// letter case ignored, as everywhere in this program.
bool isUserDictionaryFile(const QString& pathOrName);

// The user dictionary's file in `workDir`, found without regard to letter case;
// empty when there is none.
QString findUserDictionary(const QString& workDir);

// A file of `dir` whose name equals `name` ignoring case ("User.old", "velmora.ini"):
// the existing one when there is one, else `dir` joined with `name` as given.
QString fileInDirIgnoringCase(const QString& dir, const QString& name);

// The status text after loading dictionary `index` (0-based) of `count`:
// «Словарь № 2 из  3 используемых», or "Пользовательский словарь" for the first
// one when the user dictionary is connected first.
QString dictionaryStatusText(qsizetype index, qsizetype count, bool userDictionaryFirst);

// A non-negative number as a signed conversion writes it: one leading blank.
QString withSignBlank(qsizetype n);

} // namespace kvarsel
