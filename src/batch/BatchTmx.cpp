#include "batch/BatchTmx.h"

#include "batch/BatchCommand.h"
#include "batch/BatchExport.h"
#include "batch/BatchTexts.h"
#include "exchange/TmxImport.h"
#include "exchange/TmxTexts.h"
#include "model/ResourceKind.h"
#include "text/SafeWrite.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

namespace {

struct TmxCommand {
    bool import = false;
    QStringList inputs; // absolute
    QString output;     // absolute
    TmxLanguages languages;
    bool force = false;
};

bool isHelp(const QString& argument)
{
    return argument == QStringLiteral("--help") || argument == QStringLiteral("-h");
}

int usage(BatchConsole& console, const QString& error)
{
    console.err(batch_texts::kProgram + QStringLiteral(": ") + error + QChar(10) +
                QStringLiteral("Справка: kvarsel-batch tmx --help"));
    return kExitUsage;
}

// Parses what follows "tmx"; returns the exit status of a usage error or help, or
// -1 when `command` is ready to run.
int parse(const QStringList& arguments, const QString& currentDir, TmxCommand& command, BatchConsole& console)
{
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--"))
            break;
        if (isHelp(argument)) {
            console.out(tmxHelp());
            return kExitOk;
        }
    }
    if (arguments.isEmpty())
        return usage(console, QStringLiteral("не указано действие tmx (export или import)"));
    if (arguments.first() == QStringLiteral("import"))
        command.import = true;
    else if (arguments.first() != QStringLiteral("export"))
        return usage(console, QStringLiteral("неизвестное действие tmx «%1» (действия: export, import)")
                                  .arg(arguments.first()));
    const QString action = QStringLiteral("tmx ") + arguments.first();
    const QStringList valued =
        command.import
            ? QStringList{QStringLiteral("--output"), QStringLiteral("--source"), QStringLiteral("--target")}
            : QStringList{QStringLiteral("--output")};
    const QStringList flags = command.import ? QStringList{QStringLiteral("--force")} : QStringList{};
    const QDir base(currentDir);
    QStringList seen;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == QStringLiteral("-")) {
            if (argument.isEmpty())
                return usage(console, QStringLiteral("пустое имя файла"));
            command.inputs << QDir::cleanPath(base.absoluteFilePath(argument));
            continue;
        }
        if (argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!valued.contains(name) && !flags.contains(name))
            return usage(console, batch_texts::unknownOption(name, action));
        if (seen.contains(name))
            return usage(console, batch_texts::optionTwice(name));
        seen << name;
        if (flags.contains(name)) {
            if (equals >= 0)
                return usage(console, batch_texts::optionTakesNoValue(name));
            command.force = true;
            continue;
        }
        QString value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        if (value.isEmpty())
            return usage(console, batch_texts::optionNeedsValue(name));
        if (name == QStringLiteral("--output"))
            command.output = QDir::cleanPath(base.absoluteFilePath(value));
        else if (name == QStringLiteral("--source"))
            command.languages.source = value;
        else
            command.languages.target = value;
    }
    if (command.import) {
        if (command.inputs.isEmpty())
            return usage(console, QStringLiteral("не указан файл TMX"));
        if (command.inputs.size() > 1)
            return usage(console, batch_texts::extraArgument(command.inputs[1]));
        if (primarySubtag(command.languages.source).isEmpty() ||
            primarySubtag(command.languages.target).isEmpty())
            return usage(console, QStringLiteral("пустой код языка"));
        if (primarySubtag(command.languages.source) == primarySubtag(command.languages.target))
            return usage(console, QStringLiteral("исходный и целевой языки совпадают"));
    } else if (command.inputs.isEmpty()) {
        return usage(console, QStringLiteral("не указан ни один словарь"));
    }
    if (command.output.isEmpty())
        return usage(console, QStringLiteral("не указан ключ --output"));
    return -1;
}

// What the output would overwrite when it is one of the program's own files: an
// input of this command, the user dictionary, its backup or the settings of the
// current directory or of the directory the output lies in, a resource script (by
// its place in a kind's sub-directory), and for an export any dictionary at all.
// A TMX file is never any of these, so a slip of the shell or of the hand is caught.
QString tmxOutputRefusal(const TmxCommand& command, const QString& currentDir)
{
    const QString real = realFilePath(command.output);
    if (real.isEmpty())
        return QString();
    for (const QString& input : command.inputs)
        if (const QString in = realFilePath(input);
            !in.isEmpty() && in.compare(real, Qt::CaseInsensitive) == 0)
            return batch_texts::outputIsInput(command.output, QStringLiteral("входной файл команды"));
    const QFileInfo output(real);
    for (const QString& dir : {currentDir, output.absolutePath()}) {
        QString what = exportOverwritesInput(command.output, dir, {}, {});
        // Import exists to write a dictionary, and --force lets it replace one.
        if (what == QStringLiteral("словарь") && command.import)
            what.clear();
        if (!what.isEmpty())
            return batch_texts::outputIsInput(command.output, what);
    }
    for (const ResourceKind kind : kAllKinds) {
        const KindInfo& info = kindInfo(kind);
        if (output.dir().dirName().compare(info.subDir, Qt::CaseInsensitive) == 0 &&
            QDir::match(info.mask, output.fileName()))
            return batch_texts::outputIsInput(command.output, QStringLiteral("сценарий"));
    }
    return QString();
}

int runExportTmx(const TmxCommand& command, BatchConsole& console)
{
    TmxEntries entries;
    TmxExportCounts counts;
    for (const QString& path : command.inputs) {
        QStringList rows;
        if (const auto failed = readDictionaryRows(path, rows)) {
            console.err(tmx_texts::kNotWritten + QChar(10) + failed->message());
            return kExitFileError;
        }
        collectTmxEntries(rows, entries, counts);
    }
    if (counts.emptyRows > 0)
        console.out(tmx_texts::emptyRowsLeftOut(counts.emptyRows));
    if (counts.unpaired > 0)
        console.out(tmx_texts::unpairedLeftOut(counts.unpaired));
    if (counts.notXml > 0)
        console.out(tmx_texts::notXmlLeftOut(counts.notXml));
    if (entries.isEmpty()) {
        console.out(tmx_texts::kNothingToExport + QStringLiteral(" Файл не записан."));
        return kExitOk;
    }
    if (const auto failed = writeTmx(command.output, entries)) {
        console.err(tmx_texts::kNotWritten + QChar(10) + failed->message());
        return kExitFileError;
    }
    console.out(tmx_texts::exported(entries.size(), QDir::toNativeSeparators(command.output)));
    return kExitOk;
}

int runImportTmx(const TmxCommand& command, BatchConsole& console)
{
    const TmxImport result =
        importTmx(command.inputs.first(), command.output, command.languages, command.force);
    if (result.read)
        console.out(importReport(result.counts, command.languages).join(QChar(10)));
    if (result.error) {
        console.err(tmx_texts::kDictionaryNotWritten + QChar(10) + result.error->message());
        return kExitFileError;
    }
    console.out(tmx_texts::written(QDir::toNativeSeparators(command.output),
                                   result.encoding == DictionaryEncoding::Cp1251 ? tmx_texts::kCp1251
                                                                                 : tmx_texts::kUtf8));
    return kExitOk;
}

} // namespace

QString tmxHelp()
{
    return QStringLiteral("Использование: kvarsel-batch tmx export СЛОВАРЬ... --output ФАЙЛ.tmx\n"
                          "       kvarsel-batch tmx import ФАЙЛ.tmx --output НОВЫЙ.dic [--source ЯЗЫК]\n"
                          "       [--target ЯЗЫК] [--force]\n"
                          "\n"
                          "Обмен с другими программами перевода через файлы TMX 1.4b (память переводов).\n"
                          "\n"
                          "export записывает пары словарей (по порядку словарей и строк) в файл TMX\n"
                          "в кодировке UTF-8: исходная фраза с языком en, перевод с языком ru. Пустые\n"
                          "строки словаря пользователя пропускаются, и об этом сообщается.\n"
                          "\n"
                          "import читает из файла TMX тексты на исходном и целевом языках (коды языков\n"
                          "сравниваются по первой части: en, en-US и EN-GB - один язык) и записывает их\n"
                          "в новый словарь: в кодировке Windows-1251, если в нее помещаются все тексты,\n"
                          "иначе в UTF-8 с меткой порядка байтов. Разметка внутри текста (ph, bpt, ept,\n"
                          "it, hi) заменяется ее текстом. Пропускаются единицы без текста на одном\n"
                          "из языков, с переводом строки в тексте и повторы уже взятой пары. Выводит,\n"
                          "сколько единиц прочитано, взято и пропущено и почему. Если в файле ошибка\n"
                          "XML, выводит ее строку и столбец и ничего не записывает; если файл не\n"
                          "удалось прочитать (ошибка диска), называет причину и ничего не записывает.\n"
                          "\n"
                          "  --output ФАЙЛ   куда записать результат\n"
                          "  --source ЯЗЫК   язык исходных фраз (по умолчанию en)\n"
                          "  --target ЯЗЫК   язык переводов (по умолчанию ru)\n"
                          "  --force         заменить существующий файл (словарь пользователя User.dic\n"
                          "                  импорт не заменяет никогда)\n"
                          "  --help          эта справка\n");
}

int runTmx(const QStringList& arguments, const QString& currentDir, BatchConsole& console)
{
    TmxCommand command;
    const int status = parse(arguments, currentDir, command, console);
    if (status >= 0)
        return status;
    if (const QString refusal = tmxOutputRefusal(command, currentDir); !refusal.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + refusal);
        return kExitUsage;
    }
    return command.import ? runImportTmx(command, console) : runExportTmx(command, console);
}

} // namespace kvarsel
