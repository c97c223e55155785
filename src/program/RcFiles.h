#pragma once
// A whole resource script (.rc) in, its translated copy out: the use cases behind
// "kvarsel-batch unpack FILE.rc DIR" / "pack DIR --output FILE.rc" and the window's
// "Открыть программу…" / "Записать программу…" for .rc files. Nothing here shows a
// message; each returns its texts.
//
// The resource directory records where its scripts came from in "kvarsel-source.txt"
// (UTF-8, one item a line, "#" begins a comment):
//
//   kvarsel-source 1                  the form of the record
//   source rc                         a whole resource script
//   path /home/ann/notes.rc           the script, absolute
//   sha256 3a7bd3e2360a3d...          of the script as it was unpacked
//   language 0x0409                   the language the blocks were taken from
//   script menu menu/IDR_MAIN.rc      a script: its kind and its file, relative to the directory
//   block 0 27 40                     where it stood: the block's number in the file
//                                     (every language counted) and its first and last line

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kvarsel {

inline const QString kRcRecordFileName = QStringLiteral("kvarsel-source.txt");

struct RcUnpackResult {
    int exitStatus = 0; // 0; 1 a file or its content refused
    QString error;      // Russian; empty on success
    quint16 language = 0;
    qsizetype written = 0; // scripts written
    qsizetype kept = 0;    // scripts of an earlier unpacking of the same file, left as they were
    QStringList notes;     // Russian: blocks whose texts the loader will not offer
    bool ok() const { return error.isEmpty(); }
};

// Cuts the blocks of the source language (`language` as the user gave it, empty for
// the default choice) into the kinds' sub-directories of `resourceDir`, and records them.
// A directory already holding this file's scripts keeps them; one holding another's is refused.
RcUnpackResult unpackRcFile(const QString& rcPath, const QString& resourceDir, const QString& language);

struct RcPackResult {
    int exitStatus = 0; // 0; 1 a file or its content refused; 2 the output is the source or a file kept
    QString error;
    int changedBlocks = 0;
    bool ok() const { return error.isEmpty(); }
};

// Writes a copy of the recorded script with the directory's scripts spliced in (or,
// with `addRussian`, added beside the source as Russian). The output is never a file
// packOutputRefusal() names, with `workDir` the working directory.
RcPackResult packRcFile(const QString& resourceDir, const QString& output, bool addRussian,
                        const QString& workDir);

// Whether the directory's record says its scripts were cut from a whole .rc.
bool recordsRcSource(const QString& resourceDir);

} // namespace kvarsel
