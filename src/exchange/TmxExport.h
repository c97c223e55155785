#pragma once
// Dictionaries out as TMX 1.4b: one <tu> per entry in dictionary order, the source
// as the "en" variant and the translation as the "ru" one, UTF-8.

#include "text/FileError.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

namespace kvarsel {

struct TmxEntry {
    QString source;
    QString translation;
    bool operator==(const TmxEntry&) const = default;
};
using TmxEntries = QList<TmxEntry>;

struct TmxExportCounts {
    qsizetype emptyRows = 0; // entries with an empty row (the user dictionary keeps them)
    qsizetype unpaired = 0;  // a last source row without its translation row
    qsizetype notXml = 0;    // entries holding control characters XML 1.0 cannot carry
};

// The entries of dictionary rows laid out as in memory (rows 0 and 1 empty, then
// source and translation in turn), in order; what cannot be exported is counted.
void collectTmxEntries(const QStringList& rows, TmxEntries& entries, TmxExportCounts& counts);

// A dictionary file's rows as the program loads it: the user dictionary with its
// empty lines, any other dictionary without them.
std::optional<FileError> readDictionaryRows(const QString& path, QStringList& rows);

// The whole TMX document.
QByteArray tmxDocument(const TmxEntries& entries);

// tmxDocument() written through the atomic writer.
std::optional<FileError> writeTmx(const QString& path, const TmxEntries& entries);

} // namespace kvarsel
