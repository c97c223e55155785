#include "model/SplitLine.h"

#include "model/ScriptString.h"
#include "text/CharClass.h"
#include "text/TextFile.h"

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

// What the statement a line belongs to lets that line offer. A statement may be
// wrapped over several lines; its text is its first string, and only where that
// stands and only if the statement shows it to a user.
struct LineRole {
    bool offersText = true;
    bool controlStatement = false; // a CONTROL: its text is its first string, whatever follows
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
        if (word.size() == k.size() && word.compare(k, Qt::CaseInsensitive) == 0)
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

void Meneger_MENU(LineWork& w, const LineRole& role)
{
    if (!w.text.isEmpty() && (!role.offersText || w.text.size() == 1))
        w.refuse();
}

void Meneger_STRING(LineWork& w, const LineRole& role)
{
    if (!w.text.isEmpty() && (!role.offersText || w.text.size() == 1))
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
    QStringView cls = fields[2];
    if (cls.startsWith(u'L'))
        cls = cls.sliced(1); // L"Static", a wide string
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

void Meneger_DIALOG(LineWork& w, const LineRole& role)
{
    if (!w.text.isEmpty() && (!role.offersText || w.text == u"MS Sans Serif" || w.text.size() == 1))
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

// Where a "//" comment starts outside the line's strings (the line's end when there
// is none). Inside a string a backslash escapes the character after it and "" is a
// quotation mark, as the resource compiler reads them.
qsizetype codeEnd(QStringView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'\\')
            ++i;
        else if (c == u'"')
            quoted = !quoted; // "" closes and opens again: one mark inside the string
        else if (!quoted && c == u'/' && i + 1 < line.size() && line[i + 1] == u'/')
            return i;
    }
    return line.size();
}

// The leading identifier of a line's code: a statement's keyword, or an id.
QStringView leadingWord(QStringView code)
{
    qsizetype at = 0;
    while (at < code.size() && isBlankOrTab(code[at]))
        ++at;
    qsizetype end = at;
    while (end < code.size() && (code[end].isLetterOrNumber() || code[end] == u'_'))
        ++end;
    return code.sliced(at, end - at);
}

// How many arguments a statement needs before it can end, by its keyword: a
// statement with fewer goes on on the next line. 0 for one that ends anywhere.
int argumentsNeeded(ResourceKind kind, QStringView keyword)
{
    if (kind != ResourceKind::Dialog)
        return 0;
    if (isAnyOf(keyword, {u"CONTROL"}))
        return 8;
    if (isAnyOf(keyword, {u"LTEXT", u"RTEXT", u"CTEXT", u"PUSHBUTTON", u"DEFPUSHBUTTON", u"PUSHBOX",
                          u"GROUPBOX", u"CHECKBOX", u"AUTOCHECKBOX", u"RADIOBUTTON", u"AUTORADIOBUTTON",
                          u"STATE3", u"AUTO3STATE", u"USERBUTTON"}))
        return 6;
    if (isAnyOf(keyword, {u"EDITTEXT", u"BEDIT", u"HEDIT", u"IEDIT", u"COMBOBOX", u"LISTBOX", u"SCROLLBAR"}))
        return 5;
    if (isAnyOf(keyword, {u"ICON"}))
        return 4;
    if (isAnyOf(keyword, {u"FONT"}))
        return 2;
    return 0;
}

// Keywords that always begin a statement of their own: a line starting with one
// never continues the statement before it.
bool beginsStatement(ResourceKind kind, QStringView code)
{
    const QStringView trimmed = code.trimmed();
    if (trimmed.startsWith(u'#') || trimmed.startsWith(u'{') || trimmed.startsWith(u'}'))
        return true;
    const QStringView word = leadingWord(code);
    if (isAnyOf(word, {u"BEGIN", u"END", u"LANGUAGE", u"CHARACTERISTICS", u"VERSION"}))
        return true;
    switch (kind) {
    case ResourceKind::Menu:
        return isAnyOf(word, {u"MENUITEM", u"POPUP"}) || isScriptStatementLine(code);
    case ResourceKind::Dialog:
        return argumentsNeeded(kind, word) > 0 ||
               isAnyOf(word, {u"CAPTION", u"CLASS", u"MENU", u"STYLE", u"EXSTYLE"}) ||
               isScriptStatementLine(code);
    case ResourceKind::String:
        return isAnyOf(word, {u"STRINGTABLE"});
    case ResourceKind::RcData:
        return true;
    }
    return true;
}

// One statement of a menu, dialog or string script, read line by line: enough of
// it to tell whether the next line goes on with it and which line holds its text.
class Statement {
public:
    Statement(ResourceKind kind, QStringView firstCode) : m_kind(kind), m_keyword(leadingWord(firstCode))
    {
        const QStringView trimmed = firstCode.trimmed();
        m_block =
            trimmed.startsWith(u'{') || trimmed.startsWith(u'}') || isAnyOf(m_keyword, {u"BEGIN", u"END"});
        m_preprocessor = trimmed.startsWith(u'#');
        m_header = isScriptStatementLine(firstCode);
        m_keywordEnd = m_keyword.isEmpty() ? 0 : (m_keyword.data() - firstCode.data()) + m_keyword.size();
        m_needed = argumentsNeeded(kind, m_keyword);
    }

    // The code (the line without its comment) of the statement's next line.
    void add(QStringView code)
    {
        qsizetype last = -1; // the last character that is not blank
        for (qsizetype i = 0; i < code.size(); ++i) {
            const QChar c = code[i];
            if (!isBlankOrTab(c)) {
                last = i;
                if (m_lines > 0 || i >= m_keywordEnd)
                    m_bare = false;
            }
            if (c == u'"') {
                if (m_textLine < 0) {
                    m_textLine = m_lines;
                    m_commasBeforeText = m_commas;
                }
                i = closingQuote(code, i);
                last = qMin(i, code.size() - 1);
            } else if (c == u'(') {
                ++m_depth;
            } else if (c == u')') {
                m_depth = qMax(0, m_depth - 1);
            } else if (c == u',' && m_depth == 0) {
                ++m_commas;
            }
        }
        if (last >= 0)
            m_endsOnOperator = QStringView(u",|+(").contains(code[last]);
        ++m_lines;
    }

    // Whether the statement goes on on the line whose code is `code`.
    bool continuesWith(QStringView code) const
    {
        if (m_preprocessor || m_block)
            return false;
        const QStringView trimmed = code.trimmed();
        if (trimmed.startsWith(u',') || trimmed.startsWith(u'|'))
            return true;
        if (!isOpen())
            return false;
        // A blank or comment line inside a wrapped statement goes with it; a keyword
        // that begins statements never does.
        return trimmed.isEmpty() || !beginsStatement(m_kind, code);
    }

    // The line (counted from the statement's first) that holds its first string; -1 for none.
    qsizetype textLine() const { return m_textLine; }
    bool isControl() const { return m_keyword.compare(u"CONTROL", Qt::CaseInsensitive) == 0; }

    // Whether the first string is a text a user sees, as far as the statement tells:
    // not a resource's name, a preprocessor line, a font face, a window class, a
    // menu or icon name, nor a later argument (a CONTROL's window class).
    bool firstStringMayBeText() const
    {
        if (m_textLine < 0 || m_header || m_preprocessor)
            return false;
        // A string table entry is an id and its string, a comma between them or not.
        if (m_commasBeforeText > (m_kind == ResourceKind::String ? 1 : 0))
            return false;
        return m_kind != ResourceKind::Dialog || !isAnyOf(m_keyword, {u"FONT", u"CLASS", u"MENU", u"ICON"});
    }

private:
    // The quotation mark that closes the string opened at `open` ("" and an escaped
    // character stay inside); the end of the code when none does.
    static qsizetype closingQuote(QStringView code, qsizetype open)
    {
        for (qsizetype i = open + 1; i < code.size(); ++i) {
            if (code[i] == u'\\' || (code[i] == u'"' && i + 1 < code.size() && code[i + 1] == u'"'))
                ++i;
            else if (code[i] == u'"')
                return i;
        }
        return code.size();
    }

    bool isOpen() const
    {
        if (m_endsOnOperator || m_depth > 0)
            return true;
        if (m_header)
            return false;
        if (m_commas + 1 < m_needed)
            return true;
        // A statement whose text comes first waits for it while its keyword (in a
        // string table, its id) stands alone.
        if (!m_bare)
            return false;
        switch (m_kind) {
        case ResourceKind::Menu:
            return isAnyOf(m_keyword, {u"POPUP", u"MENUITEM"});
        case ResourceKind::Dialog:
            return isAnyOf(m_keyword, {u"CAPTION"});
        case ResourceKind::String:
            return !m_keyword.isEmpty();
        case ResourceKind::RcData:
            return false;
        }
        return false;
    }

    ResourceKind m_kind;
    QStringView m_keyword;
    qsizetype m_keywordEnd = 0; // in the first line's code
    int m_needed = 0;           // arguments before the statement can end
    bool m_block = false;
    bool m_preprocessor = false;
    bool m_header = false;
    bool m_bare = true; // nothing but the keyword yet
    bool m_endsOnOperator = false;
    int m_depth = 0;
    qsizetype m_commas = 0;
    qsizetype m_lines = 0;
    qsizetype m_textLine = -1;
    qsizetype m_commasBeforeText = 0;
};

// What the statement lets the line holding its first string offer; `textCode` is
// that line's code, `whole` the statement's code on one line.
LineRole roleOf(ResourceKind kind, const Statement& statement, QStringView textCode, QStringView whole,
                const SplitOptions& options)
{
    LineRole role;
    if (kind == ResourceKind::RcData)
        return role;
    role.controlStatement = statement.isControl();
    role.offersText = statement.firstStringMayBeText();
    if (role.offersText && kind == ResourceKind::Dialog) {
        if (role.controlStatement)
            role.offersText = options.translateControlTexts && !isPictureControl(whole);
        else if (textCode.first(qMax<qsizetype>(textCode.indexOf(u'"'), 0)).contains(u"CONTROL"))
            role.offersText = false;
    }
    return role;
}

// The role of a line that is a whole statement by itself.
LineRole roleOfSingleLine(ResourceKind kind, QStringView code, const SplitOptions& options)
{
    if (kind == ResourceKind::RcData)
        return {};
    Statement statement(kind, code);
    statement.add(code);
    return roleOf(kind, statement, code, code, options);
}

// The split of one line: its "//" comment (menu, dialog and string scripts) goes
// to the tail untouched, the rest is split as the line's statement allows.
// `codeSize`, when known, is where the comment starts.
ResourceLine splitCode(ResourceKind kind, QStringView line, const SplitOptions& options, const LineRole& role,
                       qsizetype codeSize = -1)
{
    if (codeSize < 0)
        codeSize = kind == ResourceKind::RcData ? line.size() : codeEnd(line);
    const QStringView code = line.first(codeSize);
    const QStringView comment = line.sliced(code.size());
    LineWork w;
    w.line = code;

    // A line without its delimiter, or with a single one (no closing delimiter, so
    // no defined text), is kept whole in the head.
    const QChar delimiter = kindInfo(kind).delimiter;
    const qsizetype first = w.line.indexOf(delimiter);
    if (first < 0 || w.line.indexOf(delimiter, first + 1) < 0)
        return ResourceLine{line.toString(), QString(), QString()};

    w.text = w.line;
    switch (kind) {
    case ResourceKind::Menu:
        Striper_MENU(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_MENU(w, role);
        break;
    case ResourceKind::Dialog:
        if (options.translateControlTexts && role.controlStatement)
            Striper_CONTROL(w);
        else
            Striper_DIALOG(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_DIALOG(w, role);
        break;
    case ResourceKind::String:
        Striper_STRING(w);
        PostLine(w);
        Striper_TLine(w);
        Meneger_STRING(w, role);
        break;
    case ResourceKind::RcData:
        Striper_RCDATA(w);
        PostLine(w);
        Striper_TLineRcData(w);
        Meneger_RcData(w);
        break;
    }
    HideRussianString(w, options.autoHideRussianString);
    QString tail = w.tail.toString();
    if (!comment.isEmpty())
        tail += comment;
    return ResourceLine{w.head.toString(), w.text.toString(), tail};
}

ResourceLine splitKeepingAccelerators(ResourceKind kind, QStringView line, const SplitOptions& options,
                                      const LineRole& role, QString& scriptText)
{
    scriptText.clear();
    if (!line.contains(u'&'))
        return splitCode(kind, line, options, role);
    // The line as the user reads it, each of its characters remembering the units
    // it stands for in the line as read ("&&" is one "&", a mark none).
    QString shown;
    std::vector<qsizetype> from;
    std::vector<qsizetype> to;
    shown.reserve(line.size());
    from.reserve(size_t(line.size()));
    to.reserve(size_t(line.size()));
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'&') {
            if (i + 1 < line.size() && line[i + 1] == u'&') {
                shown += u'&';
                from.push_back(i);
                to.push_back(i + 2);
                ++i;
            }
            continue;
        }
        shown += line[i];
        from.push_back(i);
        to.push_back(i + 1);
    }
    const ResourceLine split = splitCode(kind, shown, options, role);
    if (split.text.isEmpty())
        return ResourceLine{line.toString(), QString(), QString()};
    // The text's span in the line as read runs from just after the character before
    // it (so a mark in front of the text is the text's) to the end of its last one,
    // a literal "&" whole.
    const qsizetype a = split.head.size();
    const qsizetype b = a + split.text.size();
    const qsizetype start = a == 0 ? 0 : to[size_t(a - 1)];
    const qsizetype end = to[size_t(b - 1)];
    const QStringView form = line.sliced(start, end - start);
    if (form != split.text)
        scriptText = form.toString();
    return ResourceLine{line.first(start).toString(), split.text, line.sliced(end).toString()};
}

} // namespace

ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString)
{
    return SplitLineWithoutAmpersands(kind, line, SplitOptions{autoHideRussianString});
}

ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, const SplitOptions& options)
{
    return splitCode(kind, line, options, roleOfSingleLine(kind, line.first(codeEnd(line)), options));
}

ResourceLine SplitLineKeepingAccelerators(ResourceKind kind, QStringView line, const SplitOptions& options,
                                          QString& scriptText)
{
    return splitKeepingAccelerators(kind, line, options,
                                    roleOfSingleLine(kind, line.first(codeEnd(line)), options), scriptText);
}

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString)
{
    QString line = lineAsRead;
    line.remove(u'&');
    return SplitLineWithoutAmpersands(kind, line, autoHideRussianString);
}

void SplitScript(ResourceKind kind, QStringView text, const SplitOptions& options, const ScriptRowFn& row)
{
    std::vector<QStringView> lines;
    forEachLine(text, [&lines](QStringView line) { lines.push_back(line); });
    QString scriptText;
    const auto give = [&](QStringView line, qsizetype codeSize, const LineRole& role) {
        if (options.keepAccelerators)
            row(splitKeepingAccelerators(kind, line, options, role, scriptText), scriptText);
        else
            row(splitCode(kind, line, options, role, codeSize), scriptText);
    };
    if (kind == ResourceKind::RcData) {
        for (const QStringView line : lines)
            give(line, line.size(), LineRole{});
        return;
    }
    std::vector<QStringView> codes; // of the statement at hand, line by line
    QString joined;                 // a wrapped CONTROL statement on one line
    for (size_t i = 0; i < lines.size();) {
        codes.assign(1, lines[i].first(codeEnd(lines[i])));
        Statement statement(kind, codes.front());
        statement.add(codes.front());
        while (i + codes.size() < lines.size()) {
            const QStringView next = lines[i + codes.size()];
            const QStringView code = next.first(codeEnd(next));
            if (!statement.continuesWith(code))
                break;
            statement.add(code);
            codes.push_back(code);
        }
        QStringView whole = codes.front();
        if (codes.size() > 1 && statement.isControl()) {
            // The style that makes a CONTROL a picture may stand lines below its string.
            joined.clear();
            for (const QStringView code : codes)
                joined.append(code).append(u' ');
            whole = joined;
        }
        const qsizetype textLine = statement.textLine();
        const LineRole text =
            roleOf(kind, statement, textLine >= 0 ? codes[size_t(textLine)] : QStringView(), whole, options);
        LineRole other = text;
        other.offersText = false;
        for (size_t k = 0; k < codes.size(); ++k)
            give(lines[i + k], codes[k].size(), qsizetype(k) == textLine ? text : other);
        i += codes.size();
    }
}

} // namespace kvarsel
