#pragma once
// The bytes of a dictionary file: Windows-1251 when every text fits the code page,
// otherwise UTF-8 behind a byte-order mark, lines ended by CR LF either way. A
// dictionary is read back by its byte-order mark, Windows-1251 without one.

#include "text/FileError.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace kvarsel {

enum class DictionaryEncoding { Cp1251, Utf8Bom };

// The encoding `lines` need: Windows-1251 unless some character lies outside it.
DictionaryEncoding encodingFor(const QStringList& lines);

// Each line followed by CR LF, in `encoding` (UTF-8 gets its byte-order mark first).
QByteArray dictionaryBytes(const QStringList& lines, DictionaryEncoding encoding);

// The lines of a dictionary file, decoded after its byte-order mark (UTF-8,
// UTF-16 LE or BE), otherwise as Windows-1251; empty lines kept.
std::optional<FileError> readDictionaryLines(const QString& path, QStringList& lines);

} // namespace kvarsel
