#include "model/ScriptString.h"

namespace kvarsel {
namespace {

// Walks `text` and calls `run(quoteCount)` for each run of `quote` that stands on
// its own, and `other(i)` for every other unit. With `backslashEscapes`, a
// backslash and the unit after it are one escape (\" is a quote already escaped).
template <class Run, class Other>
void walkQuotes(QStringView text, QChar quote, bool backslashEscapes, Run run, Other other)
{
    for (qsizetype i = 0; i < text.size();) {
        if (backslashEscapes && text[i] == u'\\' && i + 1 < text.size()) {
            other(i);
            other(i + 1);
            i += 2;
        } else if (text[i] == quote) {
            qsizetype n = 0;
            while (i + n < text.size() && text[i + n] == quote)
                ++n;
            run(n);
            i += n;
        } else {
            other(i);
            ++i;
        }
    }
}

QString doubled(QStringView text, QChar quote, bool backslashEscapes)
{
    QString out;
    out.reserve(text.size() + 4);
    walkQuotes(
        text, quote, backslashEscapes, [&](qsizetype n) { out += QString(n + n % 2, quote); },
        [&](qsizetype i) { out += text[i]; });
    return out;
}

bool doublesAny(QStringView text, QChar quote, bool backslashEscapes)
{
    bool odd = false;
    walkQuotes(
        text, quote, backslashEscapes, [&](qsizetype n) { odd = odd || n % 2; }, [](qsizetype) {});
    return odd;
}

} // namespace

QString asScriptString(ResourceKind kind, const QString& translation)
{
    if (kind == ResourceKind::RcData) {
        if (!translation.contains(u'\''))
            return translation;
        return doubled(translation, u'\'', false);
    }
    const bool endsInBackslash = translation.endsWith(u'\\');
    if (!translation.contains(u'"') && !endsInBackslash)
        return translation;
    QString out = doubled(translation, u'"', true);
    // An odd run of backslashes at the end would escape the string's closing quote.
    qsizetype backslashes = 0;
    while (backslashes < out.size() && out[out.size() - 1 - backslashes] == u'\\')
        ++backslashes;
    if (backslashes % 2)
        out += u'\\';
    return out;
}

bool doublesQuote(QStringView translation) { return doublesAny(translation, u'"', true); }

bool doublesApostrophe(QStringView translation) { return doublesAny(translation, u'\'', false); }

QStringView firstQuotedString(QStringView line)
{
    const qsizetype open = line.indexOf(u'"');
    if (open < 0)
        return QStringView();
    for (qsizetype close = open + 1; close < line.size(); ++close) {
        if (line[close] != u'"')
            continue;
        if (close + 1 < line.size() && line[close + 1] == u'"') {
            ++close;
            continue;
        }
        return line.sliced(open + 1, close - open - 1);
    }
    return QStringView();
}

} // namespace kvarsel
