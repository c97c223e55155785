#pragma once
// The bilingual file: the outside translator's output of DepTrans.txt, each
// phrase line followed by its translation line, empty lines anywhere.

#include "text/Encoding.h"
#include "text/FileError.h"

#include <QStringList>
#include <optional>

namespace kvarsel {

struct BilingualRead {
    QStringList entries; // sources on even positions, each followed by its translation
    TextEncoding encoding = TextEncoding::Windows1251; // the file's, kept by its rewrite
    std::optional<FileError> error;
    bool ok() const { return !error.has_value(); }
};

// Drops every pair whose translation equals its source ignoring case: the
// translator left it alone, so it carries nothing new. Pairs stay on even positions;
// a lone last line (a source without translation) is kept.
void dropUntranslatedPairs(QStringList& entries);

// The non-empty lines of the file, untranslated pairs dropped, escapes turned back.
BilingualRead readBilingualFile(const QString& path);

// The backup of a bilingual file, always in the file's own directory: the file name
// up to and including its first "." followed by "old" ("bi.txt", "bi.v2.txt" ->
// "bi.old"); ".old" appended to a name without "." or one that would be its own
// backup ("bi.old" -> "bi.old.old"). An existing backup in another letter case is reused.
QString bilingualBackupPath(const QString& path);

// Keeps the current file as its backup and writes the remaining entries (the
// non-empty ones) in its place; with none left the file is removed and only the
// backup remains. The backup is a complete copy on disk before the file changes and
// the file is replaced atomically, so on any failure the bilingual path still holds
// the old text, and nothing but the file and its backup is ever touched. The file is
// written in `encoding`, the one it was read in; the backup is its bytes as they were.
std::optional<FileError> saveBilingualFile(const QString& path, const QStringList& entries,
                                           TextEncoding encoding = TextEncoding::Windows1251);

} // namespace kvarsel
