#pragma once
// Deferred translation, export half: the untranslated English phrases of the
// loaded resources go to DepTrans.txt in the resource directory, for an outside
// machine translator.

#include "deferred/ExportList.h"
#include "text/Encoding.h"
#include "workspace/ResourceLoader.h"

#include <functional>
#include <optional>

namespace kvarsel {

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

} // namespace kvarsel
