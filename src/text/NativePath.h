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

// A path that holds such bytes, as one Qt's file classes (QDir, QFileInfo, QLockFile,
// which every part of the program uses on its directories) can carry: on Linux the
// process keeps the directory (or a file's directory) open and names it through
// /proc/self/fd. Any other path is returned as it is, as is one that cannot be opened.
QString reachablePath(const QString& path);
// `text` with each such stand-in replaced by the path it stands for, for the user's eyes.
QString withRealPaths(const QString& text);
// The current directory, reachable as above.
QString currentDirectoryPath();
// The program's arguments with every byte kept, paths made reachable as above.
QStringList argumentsOf(int argc, char* argv[]);

// The names in `dir` other than "." and "..", hidden ones included, each as
// pathFromNative gives it; nothing when the directory cannot be read.
QStringList directoryNames(const QString& dir);

} // namespace kvarsel
