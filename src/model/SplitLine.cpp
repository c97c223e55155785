#include "model/SplitLine.h"

#include "model/ScriptString.h"
#include "text/CharClass.h"

#include <QList>
#include <optional>

namespace kvarsel {
namespace {

// The working record of one line while the procedures below narrow its text. All
// of it is views into the line, so narrowing copies nothing: head & text & tail is
// always a split of the line in three.
struct LineWork {
    QStringView line; // the line with its "&" marks removed; never changes
    QStringView text; // narrowed to the translatable text, or emptied
    QStringView head;
    QStringView tail;

    // Moves the text onto the end of the head: the line stays whole, nothing is offered.
    void refuse()
    {
        head = line.first(head.size() + text.size());
        text = QStringView();
    }
};

constexpr QStringView kTabEscape = u"\\t"; // backslash + t, the script's escape, not a tab

// The characters strictly between the first and the last double quote.
QStringView betweenOuterQuotes(QStringView text)
{
    const qsizetype q1 = text.indexOf(u'"');
    const qsizetype q2 = text.lastIndexOf(u'"');
    return text.mid(q1 + 1, q2 - q1 - 1);
}

// Cuts `text` after the last character of its first `rangeEnd` characters that
// passes `keep`; empties it when none does.
template <class Keep> void trimTrailing(QStringView& text, qsizetype rangeEnd, Keep keep)
{
    for (qsizetype i = rangeEnd - 1; i >= 0; --i) {
        if (keep(text[i])) {
            text.truncate(i + 1);
            return;
        }
    }
    text = QStringView();
}

// The steps, each narrowing or refusing the text of one line; positions in the
// comments are 0-based.
void Striper_MENU(LineWork& w)
{
    w.text = betweenOuterQuotes(w.text);
    // Cut at the first ".", "\t" or ":", wherever it stands: «Save As...» ends as
    // «Save As», and «Version 2.0» as «Version 2».
    qsizetype cut = -1;
    for (const qsizetype at : {w.text.indexOf(u'.'), w.text.indexOf(kTabEscape), w.text.indexOf(u':')})
        if (at >= 0 && (cut < 0 || at < cut))
            cut = at;
    if (cut >= 0)
        w.text.truncate(cut);
}

void Striper_DIALOG(LineWork& w)
{
    w.text = betweenOuterQuotes(w.text);
    trimTrailing(w.text, w.text.size(), isTextChar);
}

// The first double-quoted string of a CONTROL statement: the window class and any
// later string are names the system looks up.
void Striper_CONTROL(LineWork& w)
{
    w.text = firstQuotedString(w.text);
    trimTrailing(w.text, w.text.size(), isTextChar);
}

void Striper_STRING(LineWork& w)
{
    w.text = betweenOuterQuotes(w.text);
    const qsizetype tab = w.text.indexOf(kTabEscape);
    trimTrailing(w.text, tab >= 0 ? tab : w.text.size(), isTextChar);
}

void Striper_RCDATA(LineWork& w)
{
    const qsizetype a1 = w.text.indexOf(u'\'');
    const qsizetype a2 = w.text.indexOf(u'\'', a1 + 1);
    // A doubled apostrophe inside a value ends the text early.
    w.text = w.text.mid(a1 + 1, a2 - a1 - 1);
    trimTrailing(w.text, w.text.size(), isTextCharPct);
}

void PostLine(LineWork& w)
{
    for (qsizetype p = 0; p < w.text.size(); ++p) {
        if (isTextCharPct(w.text[p])) {
            w.text = w.text.sliced(p);
            return;
        }
    }
    // No qualifying character: the text stays as it is (only a Menu text can get here).
}

// Head and tail around the first occurrence of the text at or after `from`; a line
// without it keeps everything in the head and offers nothing.
void splitAtText(LineWork& w, qsizetype from)
{
    const qsizetype k = w.line.indexOf(w.text, from);
    if (k < 0) {
        w.head = w.line;
        w.text = QStringView();
        w.tail = QStringView();
        return;
    }
    w.head = w.line.first(k);
    w.text = w.line.sliced(k, w.text.size());
    w.tail = w.line.sliced(k + w.text.size());
}

void Striper_TLine(LineWork& w)
{
    // A text is searched from the first double quote, where the quoted part begins:
    // the same letters in an identifier or keyword before it («IDS_OK "OK"») must not
    // attract the split. An empty text stays at the start of the line.
    qsizetype s = 0;
    if (!w.text.isEmpty()) {
        s = w.line.indexOf(u'"');
        if (s < 0)
            s = 0;
    }
    splitAtText(w, s);
}

void Striper_TLineRcData(LineWork& w)
{
    // Searching from the first "=" keeps a name left of it from attracting the split.
    qsizetype s = w.line.indexOf(u'=');
    if (s < 0)
        s = 0;
    // A value that stands only before the "=" gives no usable split: the line is offered as nothing.
    splitAtText(w, s);
}

// Words of a line as the resource compiler sees its statements: runs of characters
// between blanks and tabs.
bool isBlankOrTab(QChar c) { return c == u' ' || c == u'\t'; }

QStringView wordAt(QStringView line, qsizetype& at)
{
    while (at < line.size() && isBlankOrTab(line[at]))
        ++at;
    const qsizetype start = at;
    while (at < line.size() && !isBlankOrTab(line[at]))
        ++at;
    return line.sliced(start, at - start);
}

bool isAnyOf(QStringView word, std::initializer_list<QStringView> keywords)
{
    for (const QStringView k : keywords)
        if (word.compare(k, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Lines no user ever sees, though they hold quotes: preprocessor lines
// (#include "resource.h") and the line that declares a resource, whose quoted name
// ("PRINT" DIALOG ...) is what the program asks Windows for.
bool isScriptStatementLine(QStringView line)
{
    qsizetype at = 0;
    const QStringView first = wordAt(line, at);
    if (first.startsWith(u'#'))
        return true;
    return isAnyOf(wordAt(line, at), {u"MENU", u"MENUEX", u"DIALOG", u"DIALOGEX"});
}

// Refuses a text that only the build or the program reads, never a user.
void refuseStatementText(LineWork& w)
{
    if (!w.text.isEmpty() && isScriptStatementLine(w.line))
        w.refuse();
}

void Meneger_MENU(LineWork& w)
{
    refuseStatementText(w);
    if (w.text.size() == 1)
        w.refuse();
}

void Meneger_STRING(LineWork& w)
{
    refuseStatementText(w);
    if (w.text.size() == 1)
        w.refuse();
}

// The value of a number as the resource compiler reads it: decimal, or hex after 0x.
std::optional<quint32> numberOf(QStringView token)
{
    bool ok = false;
    const quint32 value = token.startsWith(u"0x", Qt::CaseInsensitive) ? token.sliced(2).toUInt(&ok, 16)
                                                                       : token.toUInt(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

// A CONTROL that shows a picture (an icon or a bitmap) names a resource in its
// string, never a text: by the style's symbol, or, for a Static written as a
// decompiler writes it (class 130 or 0x82, style a number), by the style's type bits.
bool isPictureControl(QStringView line)
{
    QList<QStringView> fields;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == u'"')
            quoted = !quoted;
        if (i == line.size() || (!quoted && line[i] == u',')) {
            fields << line.sliced(start, i - start).trimmed();
            start = i + 1;
        }
    }
    if (fields.size() < 4)
        return false;
    const QStringView cls = fields[2];
    const bool isStatic = cls.compare(u"\"Static\"", Qt::CaseInsensitive) == 0 || numberOf(cls) == 130u;
    quint32 style = 0;
    for (QStringView token : fields[3].split(u'|')) {
        token = token.trimmed();
        if (token.compare(u"SS_ICON", Qt::CaseInsensitive) == 0 ||
            token.compare(u"SS_BITMAP", Qt::CaseInsensitive) == 0)
            return true;
        if (const auto n = numberOf(token))
            style |= *n;
    }
    constexpr quint32 kTypeMask = 0x1F, kIcon = 0x3, kBitmap = 0xE;
    return isStatic && ((style & kTypeMask) == kIcon || (style & kTypeMask) == kBitmap);
}

bool isControlStatement(QStringView line)
{
    qsizetype at = 0;
    return wordAt(line, at).compare(u"CONTROL", Qt::CaseInsensitive) == 0;
}

void Meneger_DIALOG(LineWork& w, bool translateControlTexts)
{
    refuseStatementText(w);
    if (w.text.isEmpty())
        return;
    // A dialog's FONT face, window CLASS and MENU name are names the system looks
    // up, whatever their spelling.
    qsizetype at = 0;
    const bool controlText = translateControlTexts && isControlStatement(w.line);
    // A statement wrapped onto more lines: a string after a comma on a line of its own
    // is a later argument (a CONTROL's window class), never the text, which comes first.
    QStringView before = w.head;
    if (before.endsWith(u'"'))
        before.chop(1);
    if (before.endsWith(u'L') && (before.size() == 1 || !before[before.size() - 2].isLetterOrNumber()))
        before.chop(1); // L"…", a wide string
    const bool laterArgument = before.trimmed().endsWith(u',');
    if (laterArgument || isAnyOf(wordAt(w.line, at), {u"FONT", u"CLASS", u"MENU"}) ||
        (!controlText && w.head.contains(u"CONTROL")) || (controlText && isPictureControl(w.line)) ||
        w.text == u"MS Sans Serif" || w.text.size() == 1)
        w.refuse();
}

void Meneger_RcData(LineWork& w)
{
    if (w.text == u"MS Sans Serif" || w.text == u"Arial") {
        w.refuse();
        return;
    }
    // Any font face property (Font.Name, TitleFont.Name, ...) names a font, not a text.
    const qsizetype equals = w.line.indexOf(u'=');
    if (w.text.isEmpty() || equals < 0)
        return;
    // The property name is compared without its blanks, from its end.
    constexpr QStringView kFontName = u"font.name";
    qsizetype k = kFontName.size();
    for (qsizetype i = equals - 1; i >= 0 && k > 0; --i) {
        if (isBlankOrTab(w.line[i]))
            continue;
        if (w.line[i].toLower() != kFontName[k - 1])
            return;
        --k;
    }
    if (k == 0)
        w.refuse();
}

void HideRussianString(LineWork& w, bool autoHideRussianString)
{
    if (!autoHideRussianString)
        return;
    for (const QChar c : w.text) {
        if (isNonAscii(c)) {
            w.refuse();
            return;
        }
    }
}

} // namespace

ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString)
{
    return SplitLineWithoutAmpersands(kind, line, SplitOptions{autoHideRussianString});
}

ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, const SplitOptions& options)
{
    LineWork w;
    w.line = line;

    // A line without its delimiter, or with a single one (no closing delimiter, so
    // no defined text), is kept whole in the head.
    const QChar delimiter = kindInfo(kind).delimiter;
    const qsizetype first = w.line.indexOf(delimiter);
    if (first < 0 || w.line.indexOf(delimiter, first + 1) < 0)
        return ResourceLine{w.line.toString(), QString(), QString()};

    w.text = w.line;
    switch (kind) {
    case ResourceKind::Menu:
        Striper_MENU(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_MENU(w);
        break;
    case ResourceKind::Dialog:
        if (options.translateControlTexts && isControlStatement(w.line))
            Striper_CONTROL(w);
        else
            Striper_DIALOG(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_DIALOG(w, options.translateControlTexts);
        break;
    case ResourceKind::String:
        Striper_STRING(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_STRING(w);
        break;
    case ResourceKind::RcData:
        Striper_RCDATA(w);
        PostLine(w);
        Striper_TLineRcData(w);
        Meneger_RcData(w);
        break;
    }
    HideRussianString(w, options.autoHideRussianString);
    return ResourceLine{w.head.toString(), w.text.toString(), w.tail.toString()};
}

ResourceLine SplitLineKeepingAccelerators(ResourceKind kind, QStringView line, const SplitOptions& options,
                                          QString& scriptText)
{
    scriptText.clear();
    if (!line.contains(u'&'))
        return SplitLineWithoutAmpersands(kind, line, options);
    // The line as the user reads it, each of its characters remembering where it
    // stands in the line as read.
    QString shown;
    std::vector<qsizetype> from;
    shown.reserve(line.size());
    from.reserve(size_t(line.size()));
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'&') {
            if (i + 1 < line.size() && line[i + 1] == u'&') {
                shown += u'&';
                from.push_back(i);
                ++i;
            }
            continue;
        }
        shown += line[i];
        from.push_back(i);
    }
    const ResourceLine split = SplitLineWithoutAmpersands(kind, shown, options);
    if (split.text.isEmpty())
        return ResourceLine{line.toString(), QString(), QString()};
    // The text's span in the line as read runs from just after the character before
    // it (so a mark in front of the text is the text's) to just after its last one.
    const qsizetype a = split.head.size();
    const qsizetype b = a + split.text.size();
    const qsizetype start = a == 0 ? 0 : from[size_t(a - 1)] + 1;
    const qsizetype end = from[size_t(b - 1)] + 1;
    const QStringView form = line.sliced(start, end - start);
    if (form != split.text)
        scriptText = form.toString();
    return ResourceLine{line.first(start).toString(), split.text, line.sliced(end).toString()};
}

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString)
{
    QString line = lineAsRead;
    line.remove(u'&');
    return SplitLineWithoutAmpersands(kind, line, autoHideRussianString);
}

} // namespace kvarsel
