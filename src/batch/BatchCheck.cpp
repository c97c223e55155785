#include "batch/BatchCheck.h"

#include "assist/CheckFiles.h"

namespace kvarsel {

QString checkHelp()
{
    return QStringLiteral("Использование: kvarsel-batch check ФАЙЛ...\n"
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
                          "  --help   эта справка\n"
                          "\n"
                          "Код завершения: 0 - замечаний нет; 3 - есть замечания; 1 - какой-то файл\n"
                          "не удалось прочитать (остальные все равно проверяются); 2 - ошибка\n"
                          "в командной строке.\n");
}

int runCheck(const BatchCommand& command, BatchConsole& console)
{
    bool found = false;
    bool unreadable = false;
    for (qsizetype f = 0; f < command.filePaths.size(); ++f) {
        const CheckedFile checked = checkFile(command.filePaths[f]);
        if (checked.error) {
            console.err(checked.error->message());
            unreadable = true;
            continue;
        }
        QStringList lines;
        for (const CheckedPair& pair : checked.pairs)
            for (const QString& finding : pair.findings)
                lines << findingLine(command.files[f], pair, finding);
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
