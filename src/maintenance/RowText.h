#pragma once
// How the editor and the optimiser compare dictionary rows: blanks (spaces only;
// a tab is part of the phrase) trimmed at both ends, letters folded to lower case.

#include "text/CaseFold.h"

namespace kvarsel {

inline QString trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == u' ')
        ++begin;
    while (end > begin && s[end - 1] == u' ')
        --end;
    return s.sliced(begin, end - begin).toString();
}

inline QString foldTrimmed(QStringView s) { return foldCase(trimBlanks(s)); }

} // namespace kvarsel
