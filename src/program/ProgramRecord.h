#pragma once
// The record a resource directory keeps of where its scripts came from: the file
// "kvarsel-source.txt" at the top of the directory (the loader reads only the
// kinds' sub-directories, so it never sees it). UTF-8, one item a line:
//
//   # comment lines begin with "#"
//   kvarsel-source 1                  the form of the record
//   source program                    what the scripts came from: "program" (a PE file), "res" or "rc"
//   path /home/ann/prog.exe           the source file, absolute
//   sha256 3a7bd3e2360a3d...          of the source file as it was unpacked
//   language 0x0409                   the language the scripts were taken from
//   script menu menu/MAINMENU.rc      a script: its kind and its file, relative to the directory
//   resource 4 "MAINMENU" 0x0409      a resource that script makes: type, name, language
//
// A type or name is a decimal number or a string in double quotes ("" inside for a
// quote). Further source kinds and script kinds join by new words on these lines.

#include "model/ResourceKind.h"
#include "program/Resource.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kvarsel {

inline const QString kRecordFileName = QStringLiteral("kvarsel-source.txt");

// Rc: blocks cut from a whole resource script, whose record adds "block" lines of its own
// (program/RcFiles.h); they are passed over here.
enum class SourceKind { Program, Res, Rc };

struct RecordedScript {
    ResourceKind kind = ResourceKind::Menu;
    QString file;              // relative to the resource directory, "/" between parts
    QList<Resource> resources; // type, name and language of each resource it makes
};

struct ProgramRecord {
    SourceKind source = SourceKind::Program;
    QString path;
    QByteArray sha256; // lower-case hex
    quint16 language = 0;
    QList<RecordedScript> scripts;
};

QByteArray recordText(const ProgramRecord& record);

// Whether a script's file as a record names it stays inside the resource directory:
// relative, and no part of it "..". A name such as "FILE..OPEN.rc" does.
bool staysInside(const QString& relativePath);

// Why the record, a line an item, cannot keep `path` as the source it names (a line
// break in it), in Russian; empty when it can.
QString unrecordablePath(const QString& path);

struct RecordRead {
    ProgramRecord record;
    QString error; // Russian, with the line number; empty on success
};
RecordRead parseRecord(const QByteArray& text);

// "0x0409".
QString languageText(quint16 language);

} // namespace kvarsel
