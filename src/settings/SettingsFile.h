#pragma once
// The settings file velmora.ini in the working directory: one entry per line,
// no sections. Lines are recognised by four independent tests, so hand-edited
// files keep working; "OK" writes them back in a fixed order.

#include "model/SplitLine.h"
#include "text/FileError.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace kvarsel {

namespace settings_keys {
inline const QString kAutoHideTranslate = QStringLiteral("AutoHideTranslateString");
inline const QString kAutoHideRussian = QStringLiteral("AutoHideRussianString");
inline const QString kKeepAccelerators = QStringLiteral("KeepAccelerators");
inline const QString kTranslateControlTexts = QStringLiteral("TranslateControlTexts");
inline const QString kUserDictionary = QStringLiteral("User.dic");
inline const QString kFileName = QStringLiteral("velmora.ini");
} // namespace settings_keys

struct Settings {
    bool autoHideTranslateString = false;
    bool autoHideRussianString = false;
    bool keepAccelerators = false;
    bool translateControlTexts = false;
    bool userDictionaryFirst = false;  // the check box is checked
    bool userDictionaryExists = false; // the check box is enabled
    QStringList availableDictionaries; // "*.dic" names of the working directory, user.dic left out
    QList<bool> marked;                // one mark per available dictionary

    // What "OK" counts as connected: the user dictionary when it exists and is
    // checked, and every marked dictionary.
    bool anythingConnected() const;
    // How scripts are split on loading.
    SplitOptions splitOptions() const;
    // Whether scripts loaded with `loaded` should be loaded again to follow these
    // settings: accelerators and CONTROL texts ask for it; the hide-Russian mode waits
    // for the next load, as it always has.
    bool asksReload(const SplitOptions& loaded) const;
};

struct SettingsLoad {
    Settings settings;
    QStringList connectedDictionaries; // full paths, in the order of the file's lines
    bool noDictionaryFiles = false;    // the working directory holds no "*.dic" at all
    qsizetype linesRead = 0;           // lines of the settings file; panel 1 is set only when there were any
    std::optional<FileError> error;    // the settings file exists but could not be read
    // Dictionary lines of the settings file (names ending in ".dic", the user
    // dictionary aside) naming no file of the working directory, as written there.
    QStringList missingDictionaries;
};

// «В файле velmora.ini указаны словари, которых нет в рабочем каталоге (они не
// подключены): a.dic, b.dic»; empty when none is missing.
QString missingDictionariesText(const QStringList& missing);

// The "*.dic" names of a directory in ascending name order, letter case ignored.
QStringList dictionaryFileNames(const QString& workDir);

// What `path` is among the files of the working directory `workDir` that no command
// may write over: «словарь пользователя», «резервная копия словаря пользователя»,
// «файл настроек» or «словарь»; empty when it is none of them. Links are resolved
// and letter case ignored, as file names are everywhere in this program.
QString workingFileAt(const QString& path, const QString& workDir);

// Reads the working directory's dictionaries and settings file. A missing or empty
// file leaves every setting off and connects nothing.
SettingsLoad loadSettings(const QString& workDir);

// The lines "OK" writes: the two flags and the user dictionary line when set,
// then every marked dictionary in list order.
QStringList settingsLines(const Settings& settings);

// Writes the settings file atomically.
std::optional<FileError> writeSettings(const QString& workDir, const Settings& settings);

// The connected list after "OK": the user dictionary first (when it counts),
// then the marked dictionaries in list order.
QStringList connectedAfterOk(const QString& workDir, const Settings& settings);

} // namespace kvarsel
