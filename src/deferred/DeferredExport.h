#pragma once
// Deferred translation, export half: the untranslated English phrases of the
// loaded resources go to DepTrans.txt in the resource directory, for an outside
// machine translator.

#include "deferred/ExportList.h"
#include "text/Encoding.h"
#include "workspace/DirectoryLock.h"
#include "workspace/ResourceLoader.h"

#include <functional>
#include <optional>

namespace kvarsel {

class Project;

namespace export_texts {
inline const QString kFileName = QStringLiteral("DepTrans.txt");
} // namespace export_texts

// A text worth sending to the translator: longer than 3 characters, and its first
// character above code 64 that is not part of a "%" placeholder is ASCII. So
// "Open", "%d files", "(none)" pass; "OK", "...", "12 Мб", "Файл %s" do not.
bool IsExportable(QStringView text);

// n(kind): the row count minus one, at least 1. A kind is scanned only when n > 1.
qsizetype exportRowSpan(const LineStore& store);
// n(Menu) + n(Dialog) + n(String) + n(RcData): the progress maximum of a scan.
qsizetype exportProgressMaximum(const ConstLineStores& stores);
// The deferred-translation button exports when this holds (some kind has 3 rows
// or more) and imports a bilingual file otherwise.
bool resourcesCountAsLoaded(const ConstLineStores& stores);

struct ExportScanCallbacks {
    std::function<void(ResourceKind kind)> kindStarted; // a kind is about to be scanned
    std::function<void(qsizetype value)> progress;      // once per scanned row
};

// Adds every non-empty exportable text of the scanned kinds to `list`.
void collectExportPhrases(const ConstLineStores& stores, ExportList& list,
                          const ExportScanCallbacks& callbacks = {});

// Duplicates ignoring case removed, then every entry's escapes spaced out.
void prepareExportList(ExportList& list);

// Where DepTrans.txt goes in `resourceDir`: an existing file of that name in any
// letter case is replaced, otherwise the file is created as "DepTrans.txt".
QString depTransPath(const QString& resourceDir);

// DepTrans.txt is Windows-1251, unless a phrase holds a character the code page
// lacks: then the whole file is UTF-8 with a byte-order mark.
TextEncoding depTransEncoding(const ExportList& list);

// What the message after an export adds when the file is not Windows-1251; empty otherwise.
QString depTransEncodingNote(TextEncoding encoding);

// Writes the list, one phrase per line, in depTransEncoding over DepTrans.txt atomically.
std::optional<FileError> writeDepTrans(const QString& resourceDir, const ExportList& list);

// One export from start to end, the export window's "Продолжить" and kvarsel-batch
// export alike: the scan, the list put in order, the file written.

enum class ExportStep { Scan, Prepare, Write };

struct ExportTarget {
    QString resourceDir; // where DepTrans.txt goes; also what the message names
    QString output;      // another file to write instead (kvarsel-batch --output); empty for none
    // Held while DepTrans.txt is written into the resource directory.
    ResourceDirectoryLock lock = ResourceDirectoryLock::Take;
};

struct ExportRunCallbacks {
    ExportScanCallbacks scan;
    std::function<void(ExportStep step)> stepStarted;
    std::function<void(ExportStep step)> stepFinished; // the scan finishes also when it found nothing
    // Asked once the scan found something, before anything is written: a non-empty
    // answer says why the file must not be written, and nothing is.
    std::function<QString()> refuseTarget;
};

struct ExportOutcome {
    enum class Status { NothingFound, Refused, NotWritten, Written };
    Status status = Status::NothingFound;
    ExportList list;                // the phrases, in the order and form they are written
    QString path;                   // the file written, or that was to be
    QString refusal;                // Refused: the answer of refuseTarget
    std::optional<FileError> error; // NotWritten: why; the old file is as it was
};

// Scans the project's stores, prepares the list and writes it to the target, in
// depTransEncoding. When the scan finds no phrase nothing is written and an old
// DepTrans.txt stays as it was.
ExportOutcome runDeferredExport(const Project& project, const ExportTarget& target,
                                const ExportRunCallbacks& callbacks = {});

} // namespace kvarsel
