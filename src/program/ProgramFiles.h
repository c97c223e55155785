#pragma once
// Putting a program's texts into a resource directory and back: the two use cases
// behind "kvarsel-batch unpack/pack" and the window's "Открыть программу…" /
// "Записать программу…". Nothing here shows a message; each returns its texts.

#include "program/ProgramRecord.h"
#include "program/Resource.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>

namespace kvarsel {

// Called now and then with the share of the work done, 0 to 100.
using ProgramProgress = std::function<void(int percent)>;

inline constexpr quint16 kRussian = 0x0419;

// A program's (PE file's) or a .res file's resources.
struct SourceResources {
    SourceKind kind = SourceKind::Program;
    QList<Resource> resources;
    QString error; // Russian, naming the file
};
SourceResources readSourceResources(const QString& path, const QByteArray& bytes,
                                    ResourceData how = ResourceData::Copied);

struct LanguageChoice {
    quint16 language = 0;
    QString error; // Russian
};
// The language whose menus, dialogs and string tables are taken: `wanted` (a number
// such as "0x0409" or "1033", or a name such as "en"), else English (0x0409 first),
// else the neutral language, else the only one there is.
LanguageChoice chooseLanguage(const QList<Resource>& resources, const QString& wanted);

// Why `wanted`, a language as the user gave it, names none: neither a number of 16
// bits (0x0409, 1033) nor a two-letter name this program knows (en, de…). Empty when
// it names one.
QString unknownLanguage(const QString& wanted);

struct UnpackOptions {
    QString program;     // absolute
    QString resourceDir; // absolute
    QString language;    // as the user gave it; empty for the default choice
};

struct UnpackResult {
    int exitStatus = 0; // 0, 1 a file or its content refused, 2 a usage error
    QString error;      // Russian; empty on success
    QStringList notes;  // resources left out, scripts kept
    quint16 language = 0;
    qsizetype written = 0; // scripts written
    qsizetype kept = 0;    // scripts already there from an earlier unpacking, left as they were
    bool ok() const { return error.isEmpty(); }
};

// Writes a script for every menu, dialog and string table of the chosen language
// into the kinds' sub-directories, and the record. A directory already holding this
// program's scripts keeps them; one holding other scripts is refused.
UnpackResult unpackProgram(const UnpackOptions& options, const ProgramProgress& progress = {});

struct PackOptions {
    QString resourceDir;     // absolute
    QString output;          // absolute
    QString workDir;         // the working directory, whose own files the output may not be
    bool addRussian = false; // the translation beside the original as 0x0419
};

// Why a pack may not write its output at `output` besides its being the source: it
// is the record or lies among the scripts (a kind's sub-directory) of `resourceDir`,
// or it is one of the files of the working directory `workDir`, or of the output's
// own directory, that no command writes over (dictionaries, User.dic, User.old, the
// settings). The refusal in Russian, or empty.
QString packOutputRefusal(const QString& output, const QString& resourceDir, const QString& workDir);

// The sub-directory of `top` that holds a kind's scripts: the one already there under
// any letter case (the loader reads it so), else the kind's own name. Empty, and `why`
// set, when the one there leads out of `top`: the loader would not read it.
QString kindSubDir(const QDir& top, ResourceKind kind, QString& why);

struct PackResult {
    int exitStatus = 0;
    QString error;
    QStringList notes; // a signature dropped
    qsizetype replaced = 0, added = 0;
    bool ok() const { return error.isEmpty(); }
};

// Compiles the directory's scripts and writes a copy of the recorded program with
// those resources in it; everything else as it was.
PackResult packProgram(const PackOptions& options, const ProgramProgress& progress = {});

// The record of `resourceDir`, when it holds one; `error` says why it cannot be read.
RecordRead readRecordOf(const QString& resourceDir, bool* exists = nullptr);

// The name the window offers for the packed copy: "prog.exe" -> "prog.ru.exe".
QString defaultPackedName(const QString& program);

// Where the window unpacks `program` in its working directory `workDir`: the folder
// of an earlier unpacking of the same program (its record names the same SHA-256),
// else a folder not there yet named after the program ("app.exe", "app.exe (2)"…).
struct UnpackingFolder {
    QString path;
    bool earlier = false;
    QString error; // Russian, naming the program: it could not be read
};
UnpackingFolder unpackingFolderFor(const QString& workDir, const QString& program);

} // namespace kvarsel
