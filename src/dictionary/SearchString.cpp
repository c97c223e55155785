#include "dictionary/SearchString.h"

#include "dictionary/LookupIndex.h"
#include "text/CharClass.h"

namespace kvarsel {

QString carryFirstLetterCase(const QString& phrase, const QString& translation)
{
    if (translation.isEmpty() || phrase.isEmpty())
        return translation;
    const QChar c = phrase.front();
    // A lower-case letter, a digit, a blank or a sign counts as not upper case.
    const QChar first = c.toLower() == c ? translation.front().toLower() : translation.front().toUpper();
    if (first == translation.front())
        return translation; // shared, not copied
    QString out = translation;
    out[0] = first;
    return out;
}

LookupResult SearchString(const CurrentDictionary& dictionary, const QString& phrase)
{
    if (phrase.isEmpty() || isNonAscii(phrase.front()))
        return {};
    const qsizetype r = dictionary.lookupIndex().find(phrase);
    if (r < 0 || r + 1 >= dictionary.RowCount())
        return {};
    return {true, carryFirstLetterCase(phrase, dictionary.Row(r + 1))};
}

LookupResult SearchStringLinear(const CurrentDictionary& dictionary, const QString& phrase)
{
    if (phrase.isEmpty() || isNonAscii(phrase.front()))
        return {};
    qsizetype start = 0;
    for (;;) {
        const qsizetype r = dictionary.FindPrefix(phrase, start);
        if (r <= 0 || r <= start || r % 2 == 1)
            return {};
        if (dictionary.Row(r).size() == phrase.size()) {
            // A source on the last row has no translation row (a file with an odd
            // number of lines): nothing to give, so nothing is found.
            if (r + 1 >= dictionary.RowCount())
                return {};
            return {true, carryFirstLetterCase(phrase, dictionary.Row(r + 1))};
        }
        start = r;
    }
}

} // namespace kvarsel
