#include "batch/BatchCommand.h"

#include "batch/BatchTexts.h"

#include <QDir>
#include <algorithm>

namespace kvarsel {

namespace {

struct OptionRule {
    QString name;
    bool takesValue;
};

QList<OptionRule> optionsOf(BatchCommandKind kind)
{
    switch (kind) {
    case BatchCommandKind::Translate:
        return {{QStringLiteral("--workdir"), true},
                {QStringLiteral("--dictionary"), true},
                {QStringLiteral("--hide-translated"), false},
                {QStringLiteral("--hide-russian"), false},
                {QStringLiteral("--keep-accelerators"), false},
                {QStringLiteral("--control-texts"), false},
                {QStringLiteral("--dry-run"), false}};
    case BatchCommandKind::Export:
        return {{QStringLiteral("--output"), true},
                {QStringLiteral("--hide-russian"), false},
                {QStringLiteral("--keep-accelerators"), false},
                {QStringLiteral("--control-texts"), false}};
    case BatchCommandKind::Suggest:
        return {{QStringLiteral("--workdir"), true},
                {QStringLiteral("--min"), true},
                {QStringLiteral("--limit"), true}};
    case BatchCommandKind::Check:
        return {{QStringLiteral("--workdir"), true}, {QStringLiteral("--no-spelling"), false}};
    case BatchCommandKind::Stats:
    case BatchCommandKind::Fit:
    case BatchCommandKind::None:
        break;
    }
    return {};
}

BatchCommandKind kindNamed(const QString& name)
{
    for (const BatchCommandKind kind :
         {BatchCommandKind::Translate, BatchCommandKind::Export, BatchCommandKind::Stats,
          BatchCommandKind::Fit, BatchCommandKind::Suggest, BatchCommandKind::Check})
        if (commandName(kind) == name)
            return kind;
    return BatchCommandKind::None;
}

bool isHelp(const QString& argument)
{
    return argument == QStringLiteral("--help") || argument == QStringLiteral("-h");
}

BatchCommand usageError(BatchCommand command, const QString& error)
{
    command.action = BatchCommand::Action::UsageError;
    command.error = error;
    return command;
}

} // namespace

QString commandName(BatchCommandKind kind)
{
    switch (kind) {
    case BatchCommandKind::Translate:
        return QStringLiteral("translate");
    case BatchCommandKind::Export:
        return QStringLiteral("export");
    case BatchCommandKind::Stats:
        return QStringLiteral("stats");
    case BatchCommandKind::Fit:
        return QStringLiteral("fit");
    case BatchCommandKind::Suggest:
        return QStringLiteral("suggest");
    case BatchCommandKind::Check:
        return QStringLiteral("check");
    case BatchCommandKind::None:
        break;
    }
    return QString();
}

BatchCommand parseBatchCommand(const QStringList& arguments, const QString& currentDir)
{
    BatchCommand command;
    if (arguments.isEmpty())
        return usageError(command, batch_texts::kNoCommand);
    if (isHelp(arguments.first())) {
        command.action = BatchCommand::Action::ProgramHelp;
        return command;
    }
    command.kind = kindNamed(arguments.first());
    if (command.kind == BatchCommandKind::None)
        return usageError(command, batch_texts::unknownCommand(arguments.first()));

    // Help wins over every other mistake on the line, so "--help" always answers.
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != QStringLiteral("--"); ++i) {
        if (isHelp(arguments[i])) {
            command.action = BatchCommand::Action::CommandHelp;
            return command;
        }
    }

    const QDir base(currentDir);
    const auto absolute = [&base](const QString& path) {
        return QDir::cleanPath(base.absoluteFilePath(path));
    };
    const QList<OptionRule> rules = optionsOf(command.kind);
    QStringList positional;
    QStringList seen;
    bool optionsEnded = false;

    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == QStringLiteral("-")) {
            positional << argument;
            continue;
        }
        if (argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const auto rule = std::find_if(rules.cbegin(), rules.cend(),
                                       [&name](const OptionRule& r) { return r.name == name; });
        if (rule == rules.cend())
            return usageError(command, batch_texts::unknownOption(name, commandName(command.kind)));

        QString value;
        if (rule->takesValue) {
            if (equals >= 0) {
                value = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return usageError(command, batch_texts::optionNeedsValue(name));
            }
            if (value.isEmpty())
                return usageError(command, batch_texts::optionNeedsValue(name));
        } else if (equals >= 0) {
            return usageError(command, batch_texts::optionTakesNoValue(name));
        }

        // Only --dictionary may name several things; a second --workdir is a slip.
        if (name != QStringLiteral("--dictionary") && seen.contains(name))
            return usageError(command, batch_texts::optionTwice(name));
        seen << name;

        if (name == QStringLiteral("--workdir"))
            command.workDir = absolute(value);
        else if (name == QStringLiteral("--dictionary"))
            command.dictionaries << absolute(value);
        else if (name == QStringLiteral("--output"))
            command.output = absolute(value);
        else if (name == QStringLiteral("--hide-translated"))
            command.hideTranslated = true;
        else if (name == QStringLiteral("--hide-russian"))
            command.autoHideRussianString = true;
        else if (name == QStringLiteral("--keep-accelerators"))
            command.keepAccelerators = true;
        else if (name == QStringLiteral("--control-texts"))
            command.translateControlTexts = true;
        else if (name == QStringLiteral("--dry-run"))
            command.dryRun = true;
        else if (name == QStringLiteral("--no-spelling"))
            command.noSpelling = true;
        else if (name == QStringLiteral("--min") || name == QStringLiteral("--limit")) {
            bool ok = false;
            const int n = value.toInt(&ok);
            const bool isMin = name == QStringLiteral("--min");
            if (!ok || n < (isMin ? 0 : 1) || (isMin && n > 100))
                return usageError(command, batch_texts::badNumber(name));
            (isMin ? command.minimum : command.limit) = n;
        }
    }

    if (command.kind == BatchCommandKind::Check) {
        if (positional.isEmpty())
            return usageError(command, batch_texts::kNoFiles);
        for (const QString& file : std::as_const(positional)) {
            if (file.isEmpty())
                return usageError(command, batch_texts::kNoFiles);
            command.files << file;
            command.filePaths << absolute(file);
        }
        // Where the personal word list Words.txt is read.
        if (command.workDir.isEmpty())
            command.workDir = QDir::cleanPath(base.absolutePath());
        command.action = BatchCommand::Action::Run;
        return command;
    }

    if (positional.isEmpty())
        return usageError(command, batch_texts::kNoResourceDir);
    if (positional.size() > 1)
        return usageError(command, batch_texts::extraArgument(positional[1]));
    if (positional.first().isEmpty())
        return usageError(command, batch_texts::kNoResourceDir);
    command.resourceDir = absolute(positional.first());
    // Export has no --workdir; the current one is where its output must not land
    // on the user dictionary or the settings. Check reads only the files it is given.
    if (command.kind != BatchCommandKind::Stats && command.kind != BatchCommandKind::Check &&
        command.workDir.isEmpty())
        command.workDir = QDir::cleanPath(base.absolutePath());
    command.action = BatchCommand::Action::Run;
    return command;
}

} // namespace kvarsel
