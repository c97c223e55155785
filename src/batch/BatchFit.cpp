#include "batch/BatchFit.h"

#include <QDir>

namespace kvarsel {

QStringList formatFitProblems(const std::vector<FitProblem>& problems, const QString& resourceDir)
{
    const QDir base(resourceDir);
    QStringList lines;
    for (const FitProblem& p : problems) {
        QString line = QStringLiteral("%1:%2: %3 / %4")
                           .arg(QDir::fromNativeSeparators(base.relativeFilePath(p.path)))
                           .arg(p.line)
                           .arg(p.fit.neededWidth)
                           .arg(p.fit.availableWidth);
        // A text with more forced line breaks than its height holds fits no width.
        if (!p.fit.widthHelps)
            line += QStringLiteral(" (строк %1 / %2)").arg(p.fit.linesNeeded).arg(p.fit.linesAvailable);
        lines << line;
    }
    return lines;
}

QString fitHelp()
{
    return QStringLiteral("Использование: kvarsel-batch fit КАТАЛОГ_РЕСУРСОВ\n"
                          "\n"
                          "Загружает сценарии каталога ресурсов и проверяет, помещаются ли тексты\n"
                          "элементов диалогов (подкаталог dialog) в их прямоугольники, как окно\n"
                          "\"Предпросмотр диалога\". Для каждого элемента, текст которого не помещается,\n"
                          "выводит строку\n"
                          "  ФАЙЛ:СТРОКА: нужная ширина / имеющаяся ширина\n"
                          "в единицах диалога; ФАЙЛ - путь сценария внутри каталога ресурсов. Если\n"
                          "текст не помещается ни при какой ширине (переводов строки больше, чем\n"
                          "строк в высоте элемента), добавляется \"(строк нужно / есть)\".\n"
                          "\n"
                          "Ширина текста измеряется шрифтом диалога (FONT); шаблон без своего шрифта\n"
                          "(без FONT или с размером 32767) - шрифтом MS Shell Dlg 8 пунктов, как в\n"
                          "Windows. Вместо шрифтов Windows берутся совместимые по размерам шрифты:\n"
                          "MS Sans Serif и Tahoma из Wine (пакет fonts-wine) для MS Shell Dlg и MS Sans\n"
                          "Serif до 9 пунктов, MS Shell Dlg 2 и Tahoma (MS Shell Dlg заменяется на\n"
                          "MS Sans Serif, MS Shell Dlg 2 - на Tahoma, как в Windows), для остальных -\n"
                          "Liberation.\n"
                          "Ничего не записывает.\n"
                          "\n"
                          "  --help   эта справка\n"
                          "\n"
                          "Код завершения: 0 - все тексты помещаются; 3 - какой-то текст не помещается;\n"
                          "1 - какой-то сценарий не удалось прочитать; 2 - ошибка в командной строке.\n");
}

} // namespace kvarsel
