#include "assist/TranslationChecks.h"

#include "model/ScriptString.h"

#include <QHash>
#include <QMap>

namespace kvarsel {

constexpr qsizetype kTooLongFromLength = 10;

namespace check_texts {
QString missingPlaceholders(const QStringList& p)
{
    return (p.size() == 1 ? QStringLiteral("В переводе потерян заполнитель %1")
                          : QStringLiteral("В переводе потеряны заполнители %1"))
        .arg(p.join(QStringLiteral(" ")));
}
QString extraPlaceholders(const QStringList& p)
{
    return (p.size() == 1 ? QStringLiteral("В переводе лишний заполнитель %1")
                          : QStringLiteral("В переводе лишние заполнители %1"))
        .arg(p.join(QStringLiteral(" ")));
}
QString escapeCount(const QString& escape, qsizetype inSource, qsizetype inTranslation)
{
    return QStringLiteral("Последовательностей %1 в исходном тексте %2, в переводе %3")
        .arg(escape)
        .arg(inSource)
        .arg(inTranslation);
}
QString mixedWord(const QString& word)
{
    return QStringLiteral("В слове «%1» смешаны латинские и русские буквы").arg(word);
}
} // namespace check_texts

namespace {

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isLatin(QChar c) { return c.isLetter() && c.script() == QChar::Script_Latin; }
bool isCyrillic(QChar c) { return c.isLetter() && c.script() == QChar::Script_Cyrillic; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Length of a printf conversion starting at the "%" at `at`, or 0. The blank flag
// is left out: "50% done" is prose, not "% d".
qsizetype printfConversion(QStringView t, qsizetype at)
{
    qsizetype i = at + 1;
    const auto more = [&] { return i < t.size(); };
    while (more() && QStringView(u"-+#0").contains(t[i]))
        ++i;
    while (more() && (isAsciiDigit(t[i]) || t[i] == u'*'))
        ++i;
    if (more() && t[i] == u'.') {
        ++i;
        while (more() && (isAsciiDigit(t[i]) || t[i] == u'*'))
            ++i;
    }
    for (int n = 0; n < 2 && more() && (t[i] == u'l' || t[i] == u'h'); ++n)
        ++i;
    if (more() && QStringView(u"sdiuxXcf").contains(t[i]))
        return i + 1 - at;
    return 0;
}

// Each escape and how often it stands in the text; a backslash escapes the next
// character only, so "\\n" is one "\\" followed by an "n".
QMap<QString, qsizetype> escapes(QStringView t)
{
    QMap<QString, qsizetype> out;
    for (qsizetype i = 0; i + 1 < t.size(); ++i) {
        if (t[i] != u'\\')
            continue;
        if (QStringView(u"ntr\\\"").contains(t[i + 1]))
            ++out[t.mid(i, 2).toString()];
        ++i;
    }
    return out;
}

} // namespace

QStringList formatPlaceholders(QStringView t)
{
    QStringList out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == u'%' && i + 1 < t.size()) {
            if (t[i + 1] == u'%') {
                out << QStringLiteral("%%");
                ++i;
            } else if (const qsizetype n = printfConversion(t, i)) {
                out << t.mid(i, n).toString();
                i += n - 1;
            } else if (t[i + 1] >= u'1' && t[i + 1] <= u'9') {
                out << t.mid(i, 2).toString();
                ++i;
            }
        } else if (t[i] == u'{' && i + 2 < t.size() && isAsciiDigit(t[i + 1]) && t[i + 2] == u'}') {
            out << t.mid(i, 3).toString();
            i += 2;
        }
    }
    return out;
}

QStringList checkTranslation(const QString& source, const QString& translation)
{
    QStringList findings;
    if (translation.isEmpty()) {
        findings << check_texts::kEmpty;
        return findings;
    }

    // Placeholders as multisets: the order may change, the number of each may not.
    QHash<QString, int> balance;
    const QStringList inSource = formatPlaceholders(source);
    const QStringList inTranslation = formatPlaceholders(translation);
    for (const QString& p : inSource)
        ++balance[p];
    for (const QString& p : inTranslation)
        --balance[p];
    QStringList missing, extra;
    for (const QString& p : inSource)
        if (balance.value(p) > 0) {
            missing << p;
            --balance[p];
        }
    for (const QString& p : inTranslation)
        if (balance.value(p) < 0) {
            extra << p;
            ++balance[p];
        }
    if (!missing.isEmpty())
        findings << check_texts::missingPlaceholders(missing);
    if (!extra.isEmpty())
        findings << check_texts::extraPlaceholders(extra);

    const QMap<QString, qsizetype> es = escapes(source), et = escapes(translation);
    for (const QString& e : {QStringLiteral("\\n"), QStringLiteral("\\t"), QStringLiteral("\\r"),
                             QStringLiteral("\\\\"), QStringLiteral("\\\"")})
        if (es.value(e) != et.value(e))
            findings << check_texts::escapeCount(e, es.value(e), et.value(e));
    // Written into a script, a lone quote is doubled so the string holds; a user who
    // meant typographic quotes should learn it before the build does.
    if (doublesQuote(translation))
        findings << check_texts::kQuoteDoubled;
    if (doublesApostrophe(translation))
        findings << check_texts::kApostropheDoubled;

    const bool sourceLeads = !source.isEmpty() && isBlank(source.front());
    const bool translationLeads = isBlank(translation.front());
    if (sourceLeads != translationLeads)
        findings << (sourceLeads ? check_texts::kLeadingOnlySource : check_texts::kLeadingOnlyTranslation);
    const bool sourceTrails = !source.isEmpty() && isBlank(source.back());
    const bool translationTrails = isBlank(translation.back());
    if (sourceTrails != translationTrails)
        findings << (sourceTrails ? check_texts::kTrailingOnlySource : check_texts::kTrailingOnlyTranslation);

    // Words: runs of letters; one holding letters of both alphabets is a typing slip.
    // The letter of an escape is no part of a word: "\nДалее" is the word "Далее".
    for (qsizetype i = 0; i < translation.size();) {
        if (translation[i] == u'\\') {
            i += 2;
            continue;
        }
        if (!translation[i].isLetter()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        bool latin = false, cyrillic = false;
        while (end < translation.size() && translation[end].isLetter()) {
            latin = latin || isLatin(translation[end]);
            cyrillic = cyrillic || isCyrillic(translation[end]);
            ++end;
        }
        if (latin && cyrillic)
            findings << check_texts::mixedWord(translation.mid(i, end - i));
        i = end;
    }

    if (translation.compare(source, Qt::CaseInsensitive) == 0) {
        findings << check_texts::kEqual;
    } else if (std::any_of(source.begin(), source.end(), isLatin) &&
               std::none_of(translation.begin(), translation.end(), isCyrillic)) {
        findings << check_texts::kNoCyrillic;
    }
    // The established Russian terms of short words are routinely more than twice as
    // long (Save, Сохранить; Toolbar, Панель инструментов) and have their room in
    // every menu; the length only tells something from a phrase on.
    if (source.size() >= kTooLongFromLength && translation.size() > 2 * source.size())
        findings << check_texts::kTooLong;
    return findings;
}

} // namespace kvarsel
