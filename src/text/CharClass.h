#pragma once
// The character classes of the line grammar, by Windows-1251 code.

#include "text/Cp1251.h"

namespace kvarsel {

// Letters, every non-ASCII character and every sign from "@" upwards, plus ( ) < >.
inline bool isTextChar(QChar c)
{
    const int code = cp1251::charCode(c);
    return code > 63 || code == '(' || code == ')' || code == '<' || code == '>';
}

// TextChar plus "%", so format placeholders survive the trims.
inline bool isTextCharPct(QChar c) { return isTextChar(c) || cp1251::charCode(c) == '%'; }

// A code above 127 marks non-ASCII text, which covers all Cyrillic.
inline bool isNonAscii(QChar c) { return cp1251::charCode(c) > 127; }

// Whether a text counts as translated for the eye: it holds a Cyrillic letter
// anywhere, so "%d файлов" and "1 файл" are Russian although they start in ASCII.
inline bool holdsCyrillicLetter(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x052F && c.isLetter())
            return true;
    return false;
}

} // namespace kvarsel
