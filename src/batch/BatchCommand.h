#pragma once
// The command line of kvarsel-batch: which command, on which resource directory,
// with which options. Parsing never prints; the caller reports the error text.

#include <QString>
#include <QStringList>

namespace kvarsel {

enum class BatchCommandKind { None, Translate, Export, Stats, Fit, Suggest, Check };

// Exit statuses: success, a file that could not be read or written, a usage error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;

struct BatchCommand {
    enum class Action { Run, ProgramHelp, CommandHelp, UsageError };
    Action action = Action::UsageError;
    BatchCommandKind kind = BatchCommandKind::None;
    QString error; // for UsageError: what is wrong, in Russian

    QString resourceDir; // absolute
    QString workDir; // translate: absolute, the current directory by default; export: the current directory
    QStringList dictionaries; // translate: --dictionary files in the order given, absolute
    bool hideTranslated = false;
    bool autoHideRussianString = false; // --hide-russian
    bool keepAccelerators = false;      // --keep-accelerators
    bool translateControlTexts = false; // --control-texts
    bool dryRun = false;
    bool noSpelling = false; // check: --no-spelling
    QString output;          // export: absolute; empty means DepTrans.txt in the resource directory
    int minimum = 60;        // suggest: least similarity shown
    int limit = 3;           // suggest: suggestions per text
    QStringList files;       // check: as given, for the report
    QStringList filePaths;   // check: the same, absolute
};

// `arguments` without the program name; relative paths are taken from `currentDir`.
// "--name value" and "--name=value" are both accepted; "--" ends the options.
BatchCommand parseBatchCommand(const QStringList& arguments, const QString& currentDir);

// "translate", "export", "stats", "fit", "suggest", "check".
QString commandName(BatchCommandKind kind);

} // namespace kvarsel
