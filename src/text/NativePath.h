#pragma once
// File names as the system has them, bytes, and as the program shows and keeps
// them, text. QFile::decodeName turns a byte the system's encoding (UTF-8) cannot
// read into U+FFFD, and QDir leaves such a file out of its lists altogether, so a
// script named "caf\xE9.rc" by an older program would be neither loaded nor named.
// Here such a byte becomes the lone surrogate U+DC00 + byte (as Python's
// "surrogateescape" does), which no well-formed name holds, and goes back to the
// same byte when the file is opened or written.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kvarsel {

// The bytes of `path` for the system calls; a name without escaped bytes is
// encoded as QFile::encodeName does.
QByteArray nativePath(const QString& path);

// The text of a name or path the system gave as bytes; every byte kept.
QString pathFromNative(const QByteArray& bytes);

// Whether `path` holds a byte that only this program's functions can pass to the
// system (QFile and QFileInfo cannot).
bool holdsEscapedBytes(const QString& path);

// The names in `dir` other than "." and "..", hidden ones included, each as
// pathFromNative gives it; nothing when the directory cannot be read.
QStringList directoryNames(const QString& dir);

} // namespace kvarsel
