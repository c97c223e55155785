#pragma once
// Line files in Windows-1251: reading accepts CR LF, LF and a lone CR and a last
// line without an end; writing ends every line with CR LF and is atomic.

#include "text/FileError.h"
#include "text/SafeWrite.h"

#include <QByteArray>
#include <QStringList>
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

// Splits decoded text into lines without their ends; empty lines are kept.
QStringList splitLines(const QString& text);

// Reads a whole file as lines. Only regular files are read: a directory, a pipe
// or a device is refused with a reason instead of blocking or failing midway.
LinesRead readLines(const QString& path);

// Encodes lines, each followed by CR LF. Fails on the first character the code page
// cannot hold, naming its 1-based line; nothing is replaced by "?".
std::optional<FileError> encodeLines(const QString& path, const QStringList& lines, QByteArray& out);

// encodeLines + writeFileSafely: the old file is untouched on any failure.
std::optional<FileError> writeLines(const QString& path, const QStringList& lines,
                                    const SafeWriteOptions& options = {});

} // namespace kvarsel
