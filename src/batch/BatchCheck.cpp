#include "batch/BatchCheck.h"

#include "assist/CheckFiles.h"
#include "assist/Spelling.h"
#include "model/Accelerators.h"
#include "project/Project.h"
#include "workspace/ResourceLoader.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

namespace kvarsel {

QString checkHelp()
{
    return QStringLiteral("Использование: kvarsel-batch check ФАЙЛ_ИЛИ_КАТАЛОГ_РЕСУРСОВ...\n"
                          "\n"
                          "Проверяет каждую пару файлов словарей (*.dic, User.dic) и файлов билингвы,\n"
                          "как \"Проверка перевода\" окон ручного перевода и редактирования\n"
                          "автоматического перевода: заполнители вида %s, %1, {0}, последовательности\n"
                          "\\n \\t \\r \\\\ \\\", пробелы в начале и в конце, слова из латинских и русских\n"
                          "букв вперемешку, пустой перевод, перевод, совпадающий с исходным текстом\n"
                          "или без русских букв, перевод более чем вдвое длиннее исходного текста.\n"
                          "Пары читаются так же, как их читает программа: словарь без пустых строк,\n"
                          "User.dic с пустыми строками, файл билингвы без пустых строк и с \\n без\n"
                          "пробелов вокруг.\n"
                          "\n"
                          "Каждое замечание - одна строка:\n"
                          "  ФАЙЛ:СТРОКА: замечание: исходный текст → перевод\n"
                          "\n"
                          "Русские слова переводов проверяются по словарю Hunspell ru_RU (пакет\n"
                          "hunspell-ru), списку терминов программ Terms.txt (свой в рабочем каталоге\n"
                          "или встроенный) и личному словарю Words.txt рабочего каталога; слова из\n"
                          "одних прописных букв и слова с цифрами не проверяются:\n"
                          "  ФАЙЛ:СТРОКА: орфография: «слово» → предложения\n"
                          "\n"
                          "В каталоге ресурсов проверяются клавиши доступа (&) сценариев меню и\n"
                          "диалогов: два пункта одного меню или два элемента одного диалога с одной\n"
                          "и той же буквой:\n"
                          "  СЦЕНАРИЙ:СТРОКА: клавиша доступа «Ф» совпадает со строкой N: текст\n"
                          "\n"
                          "  --workdir КАТАЛОГ   рабочий каталог с Words.txt (по умолчанию текущий)\n"
                          "  --no-spelling       без проверки орфографии\n"
                          "  --help              эта справка\n"
                          "\n"
                          "Код завершения: 0 - замечаний нет; 3 - есть замечания; 1 - какой-то файл\n"
                          "не удалось прочитать (остальные все равно проверяются); 2 - ошибка\n"
                          "в командной строке.\n");
}

namespace {

// Clashing accelerators of a resource directory's menus and dialogs, one line each.
QStringList acceleratorClashLines(const QString& given, const QString& dir, const QString& workDir,
                                  FileErrors& unread)
{
    Project project{workDir};
    SplitOptions options;
    options.keepAccelerators = true;
    unread = loadResources(dir, project.stores(), options).errors;
    QStringList lines;
    for (const ResourceKind kind : {ResourceKind::Menu, ResourceKind::Dialog}) {
        const LineStore& store = project.store(kind);
        for (const AcceleratorClash& clash : acceleratorClashes(store)) {
            const std::optional<LineStore::Script> script = store.scriptOf(clash.row);
            const QString file = QDir(given).filePath(QDir(dir).relativeFilePath(script->path));
            lines << QStringLiteral("%1:%2: клавиша доступа «%3» совпадает со строкой %4: %5")
                         .arg(QDir::toNativeSeparators(file))
                         .arg(script->lineOf(clash.row))
                         .arg(clash.letter.toUpper())
                         .arg(script->lineOf(clash.other))
                         .arg(store.ComposedLine(clash.other).trimmed());
        }
    }
    return lines;
}

} // namespace

int runCheck(const BatchCommand& command, BatchConsole& console)
{
    bool found = false;
    bool unreadable = false;
    std::unique_ptr<SpellChecker> spelling;
    if (!command.noSpelling) {
        spelling = std::make_unique<SpellChecker>(command.workDir);
        // Said once, and no reason to fail: every other check still runs.
        if (!spelling->isAvailable())
            console.err(spelling->offReason());
        if (spelling->personalListError())
            console.err(spelling->personalListError()->message());
    }
    for (qsizetype f = 0; f < command.filePaths.size(); ++f) {
        if (QFileInfo(command.filePaths[f]).isDir()) {
            FileErrors unread;
            const QStringList lines =
                acceleratorClashLines(command.files[f], command.filePaths[f], command.workDir, unread);
            for (const FileError& error : unread)
                console.err(error.message());
            unreadable = unreadable || !unread.isEmpty();
            if (!lines.isEmpty()) {
                found = true;
                console.out(lines.join(QChar(10)));
            }
            continue;
        }
        const CheckedFile checked = checkFile(command.filePaths[f], spelling.get());
        if (checked.error) {
            console.err(checked.error->message());
            unreadable = true;
            continue;
        }
        QStringList lines;
        for (const CheckedPair& pair : checked.pairs) {
            for (const QString& finding : pair.findings)
                lines << findingLine(command.files[f], pair, finding);
            for (const Misspelling& m : pair.misspellings)
                lines << spellingLine(command.files[f], pair, m);
        }
        if (!lines.isEmpty()) {
            found = true;
            console.out(lines.join(QChar(10)));
        }
    }
    if (unreadable)
        return kExitFileError;
    return found ? kExitFound : kExitOk;
}

} // namespace kvarsel
