#include "batch/BatchProgram.h"

#include "batch/BatchCommand.h"
#include "batch/BatchTexts.h"
#include "program/ProgramFiles.h"
#include "program/ProgramRecord.h"
#include "program/RcFiles.h"

#include <QDir>

namespace kvarsel {

namespace {

int usage(BatchConsole& console, bool pack, const QString& error)
{
    console.err(batch_texts::kProgram + QStringLiteral(": ") + error + QChar(10) +
                QStringLiteral("Справка: kvarsel-batch %1 --help")
                    .arg(pack ? QStringLiteral("pack") : QStringLiteral("unpack")));
    return kExitUsage;
}

struct Line {
    QStringList positional;
    QString output, language;
};

// Returns -1 when `line` is ready, else the exit status of help or a usage error.
int parse(bool pack, const QStringList& arguments, Line& line, BatchConsole& console)
{
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--"))
            break;
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            console.out(pack ? packHelp() : unpackHelp());
            return kExitOk;
        }
    }
    const QString command = pack ? QStringLiteral("pack") : QStringLiteral("unpack");
    QStringList seen;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == QStringLiteral("-")) {
            if (argument.isEmpty())
                return usage(console, pack, QStringLiteral("пустое имя файла"));
            line.positional << argument;
            continue;
        }
        if (argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const bool known =
            name == QStringLiteral("--language") || (pack && name == QStringLiteral("--output"));
        if (!known)
            return usage(console, pack, batch_texts::unknownOption(name, command));
        if (seen.contains(name))
            return usage(console, pack, batch_texts::optionTwice(name));
        seen << name;
        QString value;
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        if (value.isEmpty())
            return usage(console, pack, batch_texts::optionNeedsValue(name));
        (name == QStringLiteral("--output") ? line.output : line.language) = value;
    }
    const int wanted = pack ? 1 : 2;
    if (line.positional.size() < wanted)
        return usage(console, pack,
                     pack ? QStringLiteral("не указан каталог ресурсов")
                          : (line.positional.isEmpty() ? QStringLiteral("не указана программа")
                                                       : QStringLiteral("не указан каталог ресурсов")));
    if (line.positional.size() > wanted)
        return usage(console, pack, batch_texts::extraArgument(line.positional[wanted]));
    if (pack && line.output.isEmpty())
        return usage(console, pack, QStringLiteral("не указан файл перевода (--output ФАЙЛ)"));
    if (!pack && !line.language.isEmpty())
        if (const QString unknown = unknownLanguage(line.language); !unknown.isEmpty())
            return usage(console, pack, QStringLiteral("--language: ") + unknown);
    if (pack && !line.language.isEmpty() && line.language.toLower() != QStringLiteral("ru") &&
        line.language.toLower() != QStringLiteral("0x0419") && line.language != QStringLiteral("1049"))
        return usage(console, pack, QStringLiteral("--language у pack принимает только ru (0x0419)"));
    return -1;
}

} // namespace

int runProgramCommand(bool pack, const QStringList& arguments, const QString& currentDir,
                      BatchConsole& console)
{
    Line line;
    if (const int status = parse(pack, arguments, line, console); status >= 0)
        return status;
    const QDir base(currentDir);
    const auto absolute = [&base](const QString& path) {
        return QDir::cleanPath(base.absoluteFilePath(path));
    };
    ProgressLine progressLine(console);
    const auto progress = [&](int percent) { progressLine.show(QStringLiteral("%1%").arg(percent)); };

    // What an unpacking did, the same for a program, a .res and a whole script.
    const auto unpacked = [&console](quint16 language, qsizetype written, qsizetype kept) {
        console.out(QStringLiteral("Язык: %1\nСценариев записано: %2\nСценариев оставлено как было: %3")
                        .arg(languageText(language))
                        .arg(written)
                        .arg(kept));
        return kExitOk;
    };
    if (!pack && line.positional[0].endsWith(QStringLiteral(".rc"), Qt::CaseInsensitive)) {
        const RcUnpackResult result =
            unpackRcFile(absolute(line.positional[0]), absolute(line.positional[1]), line.language);
        for (const QString& note : result.notes)
            console.err(batch_texts::kProgram + QStringLiteral(": ") + note);
        if (!result.ok()) {
            console.err(batch_texts::kProgram + QStringLiteral(": ") + result.error);
            return result.exitStatus;
        }
        return unpacked(result.language, result.written, result.kept);
    }
    if (pack && recordsRcSource(absolute(line.positional[0]))) {
        const QString output = absolute(line.output);
        const RcPackResult result =
            packRcFile(absolute(line.positional[0]), output, !line.language.isEmpty(), currentDir);
        if (!result.ok()) {
            console.err(batch_texts::kProgram + QStringLiteral(": ") + result.error);
            return result.exitStatus;
        }
        console.out(QStringLiteral("Записан файл: %1\nБлоков с переводом: %2")
                        .arg(QDir::toNativeSeparators(output))
                        .arg(result.changedBlocks));
        return kExitOk;
    }
    if (!pack) {
        UnpackOptions options;
        options.program = absolute(line.positional[0]);
        options.resourceDir = absolute(line.positional[1]);
        options.language = line.language;
        const UnpackResult result = unpackProgram(options, progress);
        progressLine.clear();
        for (const QString& note : result.notes)
            console.err(batch_texts::kProgram + QStringLiteral(": ") + note);
        if (!result.ok()) {
            console.err(batch_texts::kProgram + QStringLiteral(": ") + result.error);
            return result.exitStatus;
        }
        return unpacked(result.language, result.written, result.kept);
    }
    PackOptions options;
    options.resourceDir = absolute(line.positional[0]);
    options.output = absolute(line.output);
    options.workDir = currentDir;
    options.addRussian = !line.language.isEmpty();
    const PackResult result = packProgram(options, progress);
    progressLine.clear();
    if (!result.ok()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + result.error);
        return result.exitStatus;
    }
    for (const QString& note : result.notes)
        console.err(batch_texts::kProgram + QStringLiteral(": ") + note);
    console.out(QStringLiteral("Записан файл: %1\nРесурсов заменено: %2\nРесурсов добавлено: %3")
                    .arg(QDir::toNativeSeparators(options.output))
                    .arg(result.replaced)
                    .arg(result.added));
    return kExitOk;
}

QString unpackHelp()
{
    return QStringLiteral("Использование: kvarsel-batch unpack ПРОГРАММА КАТАЛОГ_РЕСУРСОВ [--language ЯЗЫК]\n"
                          "\n"
                          "Читает ресурсы программы Windows (.exe, .dll и т. п., 32- и 64-разрядной) или\n"
                          "файла ресурсов .res и записывает каждое меню, диалог и таблицу строк исходного\n"
                          "языка сценарием в подкаталоги menu, dialog и string каталога ресурсов. Тексты\n"
                          "записываются буквами (Windows-1251, а если символы в нее не помещаются - UTF-8\n"
                          "с BOM). В корне каталога появляется файл kvarsel-source.txt: путь программы,\n"
                          "ее SHA-256, язык и ресурсы каждого сценария; по нему pack собирает перевод.\n"
                          "Каталог, где уже лежат сценарии этой программы, не перезаписывается (переводы\n"
                          "в нем сохраняются); каталог другой или измененной программы - отказ.\n"
                          "Ресурс, который нельзя записать сценарием в точности, остается в программе как\n"
                          "есть, и сообщение называет его.\n"
                          "Целый сценарий ресурсов (.rc) режется так же: каждый блок MENU, MENUEX,\n"
                          "DIALOG, DIALOGEX и STRINGTABLE исходного языка - отдельным сценарием в\n"
                          "кодировке файла; запись хранит, где стоял каждый блок.\n"
                          "\n"
                          "  --language ЯЗЫК   исходный язык: номер (0x0409, 1033) или имя (en, de, fr...).\n"
                          "                    По умолчанию английский (сначала 0x0409), иначе\n"
                          "                    нейтральный, иначе единственный язык программы.\n");
}

QString packHelp()
{
    return QStringLiteral(
        "Использование: kvarsel-batch pack КАТАЛОГ_РЕСУРСОВ --output ФАЙЛ [--language ru]\n"
        "\n"
        "Собирает сценарии каталога, полученного командой unpack, собственным\n"
        "компилятором ресурсов и записывает копию программы, в которой меню, диалоги и\n"
        "таблицы строк заменены переводом; все остальное остается байт в байт. Для .res\n"
        "записывается .res. Новый раздел ресурсов ставится на место старого, если\n"
        "помещается, иначе добавляется в конец файла. Подписанная программа теряет\n"
        "подпись (сообщение говорит об этом). ФАЙЛ не может быть исходной программой\n"
        "(код завершения 2). Каталог, нарезанный из сценария .rc, собирается в копию\n"
        "этого .rc: блоки заменены переводом, остальное байт в байт; с --language ru\n"
        "перевод добавляется разделом LANGUAGE LANG_RUSSIAN после исходного.\n"
        "\n"
        "  --output ФАЙЛ     куда записать переведенную программу\n"
        "  --language ru     добавить перевод рядом с исходным языком как русский (0x0419),\n"
        "                    а не заменять исходные ресурсы\n");
}

} // namespace kvarsel
