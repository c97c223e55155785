#include "text/LineText.h"

namespace kvarsel {

QString lineTextProblem(QStringView text, LineTextRole role)
{
    const bool translation = role == LineTextRole::Translation;
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
