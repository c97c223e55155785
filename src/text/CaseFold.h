#pragma once
// Letter-case-insensitive comparisons: both sides are taken to lower case one
// UTF-16 unit at a time, so a folded text keeps its length. Every "ignoring case"
// test of the program (prefix search, phrase equality, duplicate search) uses these,
// so the linear and the indexed lookups can never disagree about case.

#include <QString>
#include <QStringView>
#include <array>

namespace kvarsel {

// QChar::toLower of every UTF-16 unit, as one table: the hot loops that compare
// or hash without regard to case fold through it instead of the Unicode tables.
inline const std::array<char16_t, 65536>& lowerCaseTable()
{
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> t{};
        for (int u = 0; u < 65536; ++u)
            t[size_t(u)] = QChar(char16_t(u)).toLower().unicode();
        return t;
    }();
    return table;
}

inline QString foldCase(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < s.size(); ++i)
        d[i] = s[i].toLower();
    return out;
}

// `text` begins with `prefix`, letters compared without regard to case.
inline bool startsWithIgnoringCase(QStringView text, QStringView prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (text[i] != prefix[i] && text[i].toLower() != prefix[i].toLower())
            return false;
    return true;
}

// `text` holds `needle` somewhere, letters compared without regard to case.
inline bool containsIgnoringCase(QStringView text, QStringView needle)
{
    for (qsizetype at = 0; at + needle.size() <= text.size(); ++at)
        if (startsWithIgnoringCase(text.mid(at), needle))
            return true;
    return false;
}

inline bool equalsIgnoringCase(QStringView a, QStringView b)
{
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

// Index of the first row after `start` whose text begins with `search`, ignoring
// case; -1 when no later row does. `textAt(i)` gives row i's text.
template <class TextAt>
qsizetype findPrefixIn(qsizetype count, TextAt&& textAt, QStringView search, qsizetype start)
{
    for (qsizetype i = start < 0 ? 0 : start + 1; i < count; ++i)
        if (startsWithIgnoringCase(textAt(i), search))
            return i;
    return -1;
}

} // namespace kvarsel
