#pragma once
// Line files in Windows-1251: reading accepts CR LF, LF and a lone CR and a last
// line without an end; writing ends every line with CR LF and is atomic.

#include "text/FileError.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <optional>

namespace kvarsel {

struct LinesRead {
    QStringList lines;
    std::optional<FileError> error; // set when the file could not be read; lines is then empty
    bool ok() const { return !error.has_value(); }
};

// Reads a whole regular file as bytes; a directory, a pipe or a device is refused
// with a reason instead of blocking.
std::optional<FileError> readFileBytes(const QString& path, QByteArray& bytes);

// Turns a file's bytes into text. Every reader of the program decodes through
// here, so the whole file is decoded once, into one buffer.
QString decodeText(QByteArrayView bytes);

// Reads a whole regular file and decodes it in one piece: the readers that work
// on views into the text (dictionary passes) need no string per line.
std::optional<FileError> readText(const QString& path, QString& text);

// Whether a file could be read: a regular file that opens for reading. Nothing
// is read; for a caller that only has to report an unreadable file.
std::optional<FileError> checkFileReadable(const QString& path);

// Splits decoded text into lines without their ends; empty lines are kept.
QStringList splitLines(const QString& text);

// Reads a whole file as lines. Only regular files are read: a directory, a pipe
// or a device is refused with a reason instead of blocking or failing midway.
LinesRead readLines(const QString& path);

// Encodes lines, each followed by CR LF. Fails on the first character the code page
// cannot hold, naming its 1-based line; nothing is replaced by "?".
std::optional<FileError> encodeLines(const QString& path, const QStringList& lines, QByteArray& out);

// Writes bytes over a file through a temporary file renamed into place, so the
// old file stays whole if anything fails. Returns the failure, or nothing.
std::optional<FileError> writeFileSafely(const QString& path, const QByteArray& bytes);

// Makes `to` a copy of `from`, atomically: the backup step of the savers that keep
// one, done as a copy so the original never goes missing midway.
std::optional<FileError> copyFileSafely(const QString& from, const QString& to);

// encodeLines + writeFileSafely: the old file is untouched on any failure.
std::optional<FileError> writeLines(const QString& path, const QStringList& lines);

// Tests stand in for a failing disk: while set, every safe write asks the hook first
// and fails with the reason it returns (an empty reason lets the write go on).
using WriteFault = std::function<QString(const QString& path)>;
void setWriteFaultForTesting(WriteFault fault);

} // namespace kvarsel
