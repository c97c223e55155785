#include "batch/BatchTexts.h"

#include "batch/BatchCheck.h"
#include "batch/BatchFit.h"
#include "batch/BatchSuggest.h"

#include <QDir>

namespace kvarsel::batch_texts {

QString programHelp()
{
    return QStringLiteral("Использование: kvarsel-batch КОМАНДА КАТАЛОГ_РЕСУРСОВ [КЛЮЧИ]\n"
                          "\n"
                          "Перевод сценариев ресурсов Windows без окна программы Кварсел. Каталог ресурсов\n"
                          "содержит подкаталоги menu, dialog и string со сценариями *.rc и rcdata\n"
                          "со сценариями *.txt.\n"
                          "\n"
                          "Команды:\n"
                          "  translate  перевести тексты подключенными словарями и перезаписать сценарии\n"
                          "  export     записать английские фразы в файл отложенного перевода DepTrans.txt\n"
                          "  stats      показать, сколько в ресурсах файлов, строк и текстов\n"
                          "  suggest    показать похожие переводы для текстов без точного перевода\n"
                          "  check      проверить переводы словарей и файлов билингвы\n"
                          "  fit        найти элементы диалогов, в которые не помещается текст\n"
                          "  tmx        обмен словарями с другими программами перевода через TMX\n"
                          "             (kvarsel-batch tmx export|import ...)\n"
                          "  unpack     записать меню, диалоги и строки программы Windows сценариями\n"
                          "             (kvarsel-batch unpack ПРОГРАММА КАТАЛОГ_РЕСУРСОВ)\n"
                          "  pack       записать перевод обратно в копию программы\n"
                          "             (kvarsel-batch pack КАТАЛОГ_РЕСУРСОВ --output ФАЙЛ)\n"
                          "\n"
                          "Справка по команде: kvarsel-batch КОМАНДА --help\n"
                          "Версия программы: kvarsel-batch --version\n"
                          "\n"
                          "Код завершения: 0 - успешно; 1 - какой-то файл не удалось прочитать или\n"
                          "записать; 2 - ошибка в командной строке; 3 - check нашел замечания или (fit)\n"
                          "какой-то текст не помещается в элемент диалога.\n");
}

QString commandHelp(BatchCommandKind kind)
{
    switch (kind) {
    case BatchCommandKind::Translate:
        return QStringLiteral(
            "Использование: kvarsel-batch translate КАТАЛОГ_РЕСУРСОВ [--workdir КАТАЛОГ]\n"
            "       [--dictionary ФАЙЛ]... [--hide-translated] [--hide-russian]\n"
            "       [--keep-accelerators] [--control-texts] [--dry-run]\n"
            "\n"
            "Загружает сценарии каталога ресурсов, как кнопка \"ОК\" окна \"Ресурсы\",\n"
            "переводит их тексты подключенными словарями, как кнопка \"Автоматический\n"
            "перевод\", и перезаписывает сценарии, как ответ \"Да\" при выходе из программы.\n"
            "Затем выводит итог: файлы и строки каждого вида ресурсов, сколько сценариев\n"
            "в каждой кодировке, число текстов, сколько текстов перевел каждый словарь\n"
            "и сколько осталось без перевода. Каждый сценарий записывается в кодировке,\n"
            "в которой был прочитан; перевод с символами, которых в ней нет, в сценарий\n"
            "не вносится, и итог называет число таких строк.\n"
            "\n"
            "  --workdir КАТАЛОГ   рабочий каталог со словарями *.dic, словарем\n"
            "                      пользователя User.dic и файлом настроек velmora.ini\n"
            "                      (по умолчанию текущий каталог). Подключаются словари,\n"
            "                      перечисленные в velmora.ini, в порядке его строк.\n"
            "  --dictionary ФАЙЛ   подключить этот словарь вместо списка из velmora.ini.\n"
            "                      Ключ можно повторять: словари применяются в порядке\n"
            "                      ключей, и перевод более раннего словаря остается.\n"
            "                      Если первым указан User.dic рабочего каталога, он\n"
            "                      называется в итоге пользовательским словарем.\n"
            "  --hide-translated   режим \"Скрывать переведенные строки\": переведенная\n"
            "                      строка записывается так же, но больше не предлагается\n"
            "  --hide-russian      при загрузке не трогать строки, текст которых уже\n"
            "                      содержит русские буквы (\"Скрывать уже переведенные\n"
            "                      строки при повторной загрузке\")\n"
            "  --keep-accelerators \"Сохранять клавиши доступа (&)\": метки & остаются в\n"
            "                      сценариях, переведенный текст получает свою букву\n"
            "  --control-texts     \"Переводить тексты элементов CONTROL\": первая строка\n"
            "                      в кавычках оператора CONTROL тоже переводится\n"
            "  --dry-run           перевести и вывести итог, но сценарии не записывать\n"
            "  --help              эта справка\n"
            "\n"
            "Режимы сокрытия задаются только этими ключами: флаги velmora.ini на них не\n"
            "влияют. Клавиши доступа и тексты CONTROL включают и ключи, и строки\n"
            "KeepAccelerators и TranslateControlTexts файла velmora.ini. Словарь\n"
            "пользователя не изменяется; подключенный, он читается из файла, как\n"
            "остальные словари. Без текстов для перевода сценарии не перезаписываются.\n"
            "\n"
            "Без перевода остались тексты, которые не изменил ни один словарь и которые\n"
            "не начинаются с русской буквы.\n"
            "\n"
            "Код завершения 1: не прочитан сценарий, словарь или файл настроек, или не\n"
            "записан сценарий. Остальные сценарии все равно переводятся и записываются;\n"
            "каждый файл заменяется целиком, поэтому недописанных файлов не бывает.\n");
    case BatchCommandKind::Export:
        return QStringLiteral(
            "Использование: kvarsel-batch export КАТАЛОГ_РЕСУРСОВ [--output ФАЙЛ]\n"
            "       [--hide-russian] [--keep-accelerators] [--control-texts]\n"
            "\n"
            "Записывает непереведенные английские фразы ресурсов в файл отложенного\n"
            "перевода, как окно \"Создание отложенного перевода\": по одной фразе в\n"
            "строке, по алфавиту без учета регистра, без повторов, с пробелами вокруг\n"
            "каждого \\n. Выводит, сколько фраз записано. Файл записывается в Windows-1251,\n"
            "а если в фразах есть символы, которых в ней нет, - в UTF-8 с меткой BOM.\n"
            "\n"
            "  --output ФАЙЛ    куда записать фразы (по умолчанию DepTrans.txt\n"
            "                   в каталоге ресурсов); сценарий, словарь, User.dic,\n"
            "                   User.old и velmora.ini не перезаписываются\n"
            "  --hide-russian   при загрузке не трогать строки, текст которых уже\n"
            "                   содержит русские буквы\n"
            "  --keep-accelerators  фразы без меток клавиш доступа (&), как в окне с\n"
            "                   \"Сохранять клавиши доступа (&)\"\n"
            "  --control-texts  и тексты операторов CONTROL (\"Переводить тексты\n"
            "                   элементов CONTROL\"); оба включаются и строками\n"
            "                   velmora.ini текущего каталога\n"
            "  --help           эта справка\n"
            "\n"
            "Если английских фраз нет, файл не создается и прежний не изменяется\n"
            "(код завершения 0).\n");
    case BatchCommandKind::Stats:
        return QStringLiteral("Использование: kvarsel-batch stats КАТАЛОГ_РЕСУРСОВ\n"
                              "\n"
                              "Загружает сценарии каталога ресурсов и выводит для каждого вида ресурсов\n"
                              "число файлов, строк, текстов для перевода, текстов, уже начинающихся\n"
                              "с русской буквы (автоматический перевод их не трогает), и текстов, которые\n"
                              "попадут в файл отложенного перевода, затем сколько сценариев каждого вида\n"
                              "в каждой кодировке (Windows-1251, UTF-8, UTF-8 с BOM, UTF-16LE, UTF-16BE).\n"
                              "Последняя строка - сколько фраз будет в этом файле после удаления повторов.\n"
                              "Ничего не записывает.\n"
                              "\n"
                              "  --help   эта справка\n");
    case BatchCommandKind::Fit:
        return fitHelp();
    case BatchCommandKind::Suggest:
        return suggestHelp();
    case BatchCommandKind::Check:
        return checkHelp();
    case BatchCommandKind::None:
        break;
    }
    return programHelp();
}

QString helpHint(BatchCommandKind kind)
{
    const QString name = commandName(kind);
    return QStringLiteral("Справка: kvarsel-batch %1--help").arg(name.isEmpty() ? QString() : name + u' ');
}

QString unknownCommand(const QString& name)
{
    return QStringLiteral("неизвестная команда «%1» (команды: translate, export, stats, fit, suggest, check, "
                          "tmx, unpack, pack)")
        .arg(name);
}

QString unknownOption(const QString& name, const QString& command)
{
    return QStringLiteral("у команды %1 нет ключа «%2»").arg(command, name);
}

QString optionNeedsValue(const QString& name)
{
    return QStringLiteral("после ключа %1 нужно значение").arg(name);
}

QString optionTakesNoValue(const QString& name)
{
    return QStringLiteral("ключ %1 не принимает значения").arg(name);
}

QString optionTwice(const QString& name) { return QStringLiteral("ключ %1 указан дважды").arg(name); }

QString extraArgument(const QString& argument)
{
    return QStringLiteral("лишний аргумент «%1»").arg(argument);
}

QString resourceDirMissing(const QString& dir)
{
    return QStringLiteral("каталог ресурсов «%1» не найден").arg(dir);
}

QString resourceDirWithoutKinds(const QString& dir)
{
    return QStringLiteral("в каталоге «%1» нет подкаталогов ресурсов menu, dialog, string или rcdata")
        .arg(dir);
}

QString workDirMissing(const QString& dir)
{
    return QStringLiteral("рабочий каталог «%1» не найден").arg(dir);
}

QString outputIsInput(const QString& output, const QString& what)
{
    return QStringLiteral("файл вывода «%1» — это %2, он не будет перезаписан; "
                          "укажите в --output другой файл")
        .arg(QDir::toNativeSeparators(output), what);
}

QString badNumber(const QString& option)
{
    return option == QStringLiteral("--min")
               ? QStringLiteral("после ключа --min нужно целое число от 0 до 100")
               : QStringLiteral("после ключа %1 нужно целое число больше нуля").arg(option);
}

QString loadingProgress(const QString& kindName, qsizetype file, qsizetype files)
{
    return QStringLiteral("Загрузка %1: файл %2 из %3").arg(kindName).arg(file).arg(files);
}

QString translatingProgress(qsizetype dictionary, qsizetype dictionaries, int percent)
{
    return QStringLiteral("Перевод: словарь %1 из %2, %3%").arg(dictionary).arg(dictionaries).arg(percent);
}

QString savingProgress(const QString& kindName, int percent)
{
    return QStringLiteral("Запись %1: %2%").arg(kindName).arg(percent);
}

} // namespace kvarsel::batch_texts
