#pragma once
// TMX in: the source and target variants of every unit, read as a stream, written
// as a new dictionary in the format the program reads.

#include "exchange/DictionaryBytes.h"
#include "exchange/TmxExport.h"

#include <QIODevice>
#include <QStringList>
#include <optional>

namespace kvarsel {

struct TmxLanguages {
    QString source = QStringLiteral("en");
    QString target = QStringLiteral("ru");
};

struct TmxImportCounts {
    qsizetype units = 0; // <tu> elements read
    qsizetype taken = 0;
    qsizetype noSource = 0;  // no text in the source language
    qsizetype noTarget = 0;  // a source text, but none in the target language
    qsizetype lineBreak = 0; // a text holding a line break, which a dictionary line cannot
    qsizetype repeats = 0;   // the same pair as a unit taken before
    qsizetype leftOut() const { return noSource + noTarget + lineBreak + repeats; }
};

struct TmxRead {
    TmxImportCounts counts;
    std::optional<FileError> error; // malformed XML or not TMX: line and column in the reason
};

// The primary subtag of a language code in lower case: "en-US" -> "en", "RU" -> "ru".
QString primarySubtag(const QString& language);

// Reads every unit of a TMX document as a stream and adds its pair to `into`. A
// unit's variant is the first <tuv> whose xml:lang (or TMX 1.1 lang) has the wanted
// primary subtag; inline markup inside <seg> (ph, bpt, ept, it, hi, sub, ut) gives
// its text. After an error `into` holds an unknown part of the pairs.
TmxRead readTmx(QIODevice& device, const QString& path, const TmxLanguages& languages,
                DictionaryBuilder& into);
TmxRead readTmx(const QString& path, const TmxLanguages& languages, DictionaryBuilder& into);

struct TmxImport {
    TmxImportCounts counts;
    DictionaryEncoding encoding = DictionaryEncoding::Cp1251;
    bool read = false;              // the whole file was read, so the counts are complete
    std::optional<FileError> error; // nothing was written when set
};

// Reads `tmxPath` and writes its pairs to the new dictionary `output` through the
// atomic writer. Refuses an existing `output` unless `force`, and always refuses a
// file named User.dic; writes nothing when the file is malformed or holds no pair.
TmxImport importTmx(const QString& tmxPath, const QString& output, const TmxLanguages& languages, bool force);

// The report lines: units read, taken, left out and why.
QStringList importReport(const TmxImportCounts& counts, const TmxLanguages& languages);

// Where the window puts an imported dictionary: the TMX file's name with ".dic" in
// `workDir`, numbered «name (2).dic», «name (3).dic»… past existing files and the
// user dictionary.
QString importTargetFor(const QString& workDir, const QString& tmxPath);

} // namespace kvarsel
