#pragma once
// Everything kvarsel-batch says, in one place: help, usage errors, reports.

#include "batch/BatchCommand.h"
#include "workbench/ProgramVersion.h"

#include <QString>

namespace kvarsel::batch_texts {

inline const QString kProgram = QStringLiteral("kvarsel-batch");
// "kvarsel-batch 2.0", the answer to --version.
inline QString versionText() { return kProgram + u' ' + programVersion(); }

QString programHelp();
QString commandHelp(BatchCommandKind kind);
// The line after a usage error that says where to find help.
QString helpHint(BatchCommandKind kind);

// Usage errors.
inline const QString kNoCommand =
    QStringLiteral("не указана команда (translate, export, stats, fit, suggest, check или tmx)");
inline const QString kNoFiles = QStringLiteral("не указаны файлы для проверки");
inline const QString kNoResourceDir = QStringLiteral("не указан каталог ресурсов");
inline const QString kNoFontEngine = QStringLiteral("для команды fit нужен шрифтовой движок Qt");
QString unknownCommand(const QString& name);
QString unknownOption(const QString& name, const QString& command);
QString optionNeedsValue(const QString& name);
QString optionTakesNoValue(const QString& name);
QString optionTwice(const QString& name);
QString extraArgument(const QString& argument);
QString resourceDirMissing(const QString& dir);
QString resourceDirWithoutKinds(const QString& dir);
QString workDirMissing(const QString& dir);
// --output names an input file; `what` says which ("сценарий", "словарь", ...).
QString outputIsInput(const QString& output, const QString& what);
QString badNumber(const QString& option);

// The window program's own messages, said the same way here.
inline const QString kNoDictionaryFiles =
    QStringLiteral("В рабочем каталоге программы нет словарей,\nиспользуемых для работы переводчика.");
inline const QString kNothingConnected =
    QStringLiteral("В программе нет подключенных словарей, используемых\n"
                   "для работы переводчика.");
inline const QString kNoEnglish = QStringLiteral("Строки на английском языке не найдены");

// Failures (each followed by one line per file).
inline const QString kScriptsNotRead = QStringLiteral("Не удалось прочитать сценарии (они пропущены):");
inline const QString kSettingsNotRead = QStringLiteral("Не удалось прочитать файл настроек:");
inline const QString kUserDictionaryNotRead = QStringLiteral("Не удалось прочитать словарь пользователя:");
inline const QString kDictionariesNotRead = QStringLiteral("Не удалось прочитать словари (они пропущены):");
inline const QString kUserDictionaryNotSaved =
    QStringLiteral("Словарь пользователя не сохранен, автоматический перевод не выполнен:");
inline const QString kScriptsNotWritten =
    QStringLiteral("Не удалось записать сценарии (прежнее содержимое сохранено):");
// The same when a script could not be put back as it was (each such one says so).
inline const QString kScriptsNotWrittenSomeChanged = QStringLiteral("Не удалось записать сценарии:");
inline const QString kDepTransNotWritten = QStringLiteral("Файл отложенного перевода не создан:");

// Progress lines (standard error, only on a terminal).
QString loadingProgress(const QString& kindName, qsizetype file, qsizetype files);
QString translatingProgress(qsizetype dictionary, qsizetype dictionaries, int percent);
QString savingProgress(const QString& kindName, int percent);

} // namespace kvarsel::batch_texts
