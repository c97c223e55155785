#pragma once
// kvarsel-batch translate: load a resource directory, translate it with the
// connected dictionaries and write the scripts back, as the window program does
// with "ОК", "Автоматический перевод" and "Да".

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "batch/BatchStats.h"
#include "project/Project.h"
#include "text/FileError.h"

#include <optional>

namespace kvarsel {

struct ConnectedSetup {
    bool userDictionaryFirst = false; // names dictionary 0 "Пользовательский словарь"
    bool noDictionaryFiles = false;   // the settings file was used and the directory has no "*.dic"
    std::optional<FileError> settingsError;       // velmora.ini exists but could not be read
    std::optional<FileError> userDictionaryError; // User.dic exists but cannot be read
    QStringList missingDictionaries;              // named by velmora.ini, not in the working directory
};

// Start-up's part of the work: the settings file read and the user dictionary
// checked to be readable (nothing in a batch run uses it in memory). `dictionaries`, when not empty, replaces
// the connected list in the order given; the user dictionary then counts as first when it is the first of
// them. The hide-translated mode is left to the caller.
ConnectedSetup connectDictionaries(Project& state, const QStringList& dictionaries);

struct DictionaryCount {
    QString label; // as the dictionary status panel names it
    QString path;
    qsizetype translated = 0;
};

struct TranslateSummary {
    QString resourceDir;
    ResourceStats loaded; // counts as loaded, before translation
    QList<DictionaryCount> dictionaries;
    qsizetype untranslated = 0;
    QString unstorable; // unstorableRowsText of the run; empty when every translation could be kept
    bool dryRun = false;
    qsizetype filesWritten = 0;
};

QStringList formatTranslateSummary(const TranslateSummary& summary);

int runTranslate(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
