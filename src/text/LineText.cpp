#include "text/LineText.h"

#include "text/Cp1251.h"

namespace kvarsel {

namespace {

QString hex4(QChar c) { return QStringLiteral("%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper(); }

} // namespace

QString lineTextProblem(QStringView text, LineTextRole role)
{
    const bool translation = role == LineTextRole::Translation;
    const qsizetype bad = cp1251::firstUnencodable(text);
    if (bad >= 0) {
        return (translation ? QStringLiteral("Перевод содержит символ «%1» (U+%2), который нельзя сохранить в "
                                             "кодировке Windows-1251.\nИсправьте перевод.")
                            : QStringLiteral("Строка словаря содержит символ «%1» (U+%2), который нельзя сохранить "
                                             "в кодировке Windows-1251.\nИсправьте строку."))
            .arg(text[bad])
            .arg(hex4(text[bad]));
    }
    if (text.contains(u'\n') || text.contains(u'\r')) {
        return translation ? QStringLiteral("Перевод не может содержать перевод строки: строка сценария "
                                            "ресурсов была бы разорвана.\nИсправьте перевод.")
                           : QStringLiteral("Строка словаря не может содержать перевод строки: она была бы "
                                            "разорвана на две строки файла словаря, и все следующие записи "
                                            "сдвинулись бы.\nИсправьте строку.");
    }
    return QString();
}

} // namespace kvarsel
