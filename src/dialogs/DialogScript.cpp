#include "dialogs/DialogScript.h"

#include "dialogs/WindowStyles.h"
#include "model/Accelerators.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace kvarsel {

DialogFont systemDialogFont() { return DialogFont(); }

bool DialogResource::isPage() const { return style & ws::kChild; }

bool DialogResource::hasTitleBar() const { return (style & ws::kCaption) == ws::kCaption; }

namespace {

// One statement of the script, which may run over several lines; each piece
// remembers its row so a position in the text leads back to its line.
struct Statement {
    QString text;
    std::vector<std::pair<qsizetype, qsizetype>> pieces; // (offset in text, row)
    qsizetype firstRow = -1;
    qsizetype lastRow = -1;

    qsizetype rowAt(qsizetype offset) const
    {
        qsizetype row = firstRow;
        for (const auto& [start, r] : pieces)
            if (start <= offset)
                row = r;
        return row;
    }
};

// The line without its // and /* */ comments; quoted texts are left alone.
QString stripComments(const QString& line, bool& inBlock)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
        if (inBlock) {
            if (c == u'*' && next == u'/') {
                inBlock = false;
                ++i;
            }
            continue;
        }
        if (c == u'"')
            quoted = !quoted; // a doubled quote flips twice: still inside
        if (!quoted && c == u'/' && next == u'/')
            break;
        if (!quoted && c == u'/' && next == u'*') {
            inBlock = true;
            ++i;
            out += u' ';
            continue;
        }
        out += c;
    }
    return out;
}

bool quotesOpen(const QString& s) { return s.count(u'"') % 2 != 0; }

// A statement goes on when its line ends in an operator or a comma, or the next
// line starts with one; an unclosed quote also carries on.
bool endsOpen(const QString& s)
{
    const QString t = s.trimmed();
    if (t.isEmpty())
        return false;
    const QChar last = t.back();
    return last == u',' || last == u'|' || last == u'+' || last == u'(' || quotesOpen(t) ||
           t.endsWith(QLatin1String(" NOT"), Qt::CaseInsensitive);
}

bool startsAsContinuation(const QString& t)
{
    return !t.isEmpty() && (t.front() == u',' || t.front() == u'|');
}

std::vector<Statement> statementsOf(const QStringList& lines, qsizetype firstRow)
{
    std::vector<Statement> out;
    bool inBlock = false;
    Statement current;
    const auto flush = [&] {
        if (!current.text.trimmed().isEmpty())
            out.push_back(std::move(current));
        current = Statement();
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype row = firstRow + i;
        const QString line = stripComments(lines[i], inBlock);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.front() == u'#') { // preprocessor lines are not statements
            flush();
            continue;
        }
        // A block word always stands alone, even after a line left open.
        const bool blockWord = trimmed.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0 ||
                               trimmed.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0 ||
                               trimmed == QLatin1String("{") || trimmed == QLatin1String("}");
        if (current.firstRow >= 0 && !blockWord &&
            (endsOpen(current.text) || startsAsContinuation(trimmed))) {
            current.text += u' ';
            current.pieces.emplace_back(current.text.size(), row);
            current.text += trimmed;
            current.lastRow = row;
            continue;
        }
        flush();
        current.firstRow = row;
        current.lastRow = row;
        current.pieces.emplace_back(0, row);
        current.text = trimmed;
    }
    flush();
    return out;
}

// The leading word: up to a blank, a comma or a quote.
qsizetype wordEnd(const QString& s, qsizetype from)
{
    qsizetype i = from;
    while (i < s.size() && !s[i].isSpace() && s[i] != u',' && s[i] != u'"')
        ++i;
    return i;
}

qsizetype skipBlanks(const QString& s, qsizetype from)
{
    while (from < s.size() && s[from].isSpace())
        ++from;
    return from;
}

struct Arg {
    QString text;         // trimmed
    qsizetype offset = 0; // of its first character in the statement
};

// Arguments separated by commas outside quotes and parentheses.
std::vector<Arg> splitArgs(const QString& s, qsizetype from)
{
    std::vector<Arg> args;
    bool quoted = false;
    int depth = 0;
    qsizetype start = from;
    const auto add = [&](qsizetype end) {
        qsizetype b = start;
        while (b < end && s[b].isSpace())
            ++b;
        qsizetype e = end;
        while (e > b && s[e - 1].isSpace())
            --e;
        args.push_back({s.mid(b, e - b), b});
    };
    for (qsizetype i = from; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'(')
            ++depth;
        else if (!quoted && c == u')')
            --depth;
        else if (!quoted && depth <= 0 && c == u',') {
            add(i);
            start = i + 1;
        }
    }
    if (start < s.size() || !args.empty())
        add(s.size());
    return args;
}

bool isQuoted(const QString& arg)
{
    const QString a = arg.startsWith(u'L') ? arg.mid(1) : arg;
    return a.size() >= 2 && a.front() == u'"' && a.back() == u'"';
}

// A quoted script text as the program shows it: "" is a quote, \n a line break,
// \t a tab, \\ a backslash.
QString unquote(const QString& arg)
{
    const QString a = arg.startsWith(u'L') ? arg.mid(1) : arg;
    const QString body = a.mid(1, a.size() - 2);
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        const QChar next = i + 1 < body.size() ? body[i + 1] : QChar();
        if (c == u'"' && next == u'"') {
            out += u'"';
            ++i;
        } else if (c == u'\\' && !next.isNull()) {
            ++i;
            switch (next.unicode()) {
            case u'n':
                out += u'\n';
                break;
            case u't':
                out += u'\t';
                break;
            case u'r':
                break;
            case u'a':
                out += u'\t';
                break;
            case u'\\':
                out += u'\\';
                break;
            case u'"':
                out += u'"';
                break;
            default:
                out += c;
                out += next;
                break;
            }
        } else {
            out += c;
        }
    }
    return out;
}

// Integer expressions as scripts write coordinates: decimal or hex numbers with
// + - | and parentheses. A name (a #define) makes it unreadable, and so does a
// value no dialog template can hold (its coordinates are 16-bit).
class Expr {
public:
    explicit Expr(const QString& s) : m_s(s) {}
    std::optional<int> eval()
    {
        const auto v = orExpr();
        skip();
        if (!v || m_i != m_s.size())
            return std::nullopt;
        return int(*v);
    }

private:
    using Value = std::optional<qint64>;
    static constexpr qint64 kLimit = 65535;

    static Value checked(qint64 v) { return v >= -kLimit && v <= kLimit ? Value(v) : std::nullopt; }
    void skip()
    {
        while (m_i < m_s.size() && m_s[m_i].isSpace())
            ++m_i;
    }
    bool at(char16_t c)
    {
        skip();
        return m_i < m_s.size() && m_s[m_i] == c;
    }
    Value orExpr()
    {
        Value v = sum();
        while (v && at(u'|')) {
            ++m_i;
            const Value r = sum();
            v = r ? checked(*v | *r) : std::nullopt;
        }
        return v;
    }
    Value sum()
    {
        Value v = unary();
        while (v && (at(u'+') || at(u'-'))) {
            const bool minus = m_s[m_i] == u'-';
            ++m_i;
            const Value r = unary();
            v = r ? checked(minus ? *v - *r : *v + *r) : std::nullopt;
        }
        return v;
    }
    Value unary()
    {
        if (++m_depth > 64) // nesting no script needs
            return std::nullopt;
        const Value v = primary();
        --m_depth;
        return v;
    }
    Value primary()
    {
        if (at(u'-')) {
            ++m_i;
            const Value v = unary();
            return v ? Value(-*v) : std::nullopt;
        }
        if (at(u'(')) {
            ++m_i;
            const Value v = orExpr();
            if (!v || !at(u')'))
                return std::nullopt;
            ++m_i;
            return v;
        }
        const qsizetype start = m_i;
        while (m_i < m_s.size() && m_s[m_i].isLetterOrNumber())
            ++m_i;
        QString number = m_s.mid(start, m_i - start);
        if (number.endsWith(u'L', Qt::CaseInsensitive) && number.size() > 1)
            number.chop(1);
        if (number.isEmpty() || !number.front().isDigit())
            return std::nullopt;
        bool ok = false;
        // Hexadecimal with 0x; otherwise decimal, leading zeros and all.
        const bool hex = number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        const qint64 v = hex ? number.mid(2).toLongLong(&ok, 16) : number.toLongLong(&ok, 10);
        return ok ? checked(v) : std::nullopt;
    }

    const QString& m_s;
    qsizetype m_i = 0;
    int m_depth = 0;
};

std::optional<int> number(const QString& arg) { return Expr(arg).eval(); }

QString unquotedName(const QString& arg) { return isQuoted(arg) ? unquote(arg) : arg; }

// What a keyword statement stands for: a control of a predefined class with the
// statement's own style bits (every control is also WS_CHILD | WS_VISIBLE).
struct Keyword {
    const char* name;
    const char* className;
    quint32 style;
    bool textFirst; // "TEXT", id, x, y, ... rather than id, x, y, ...
};

const Keyword* keyword(const QString& statement)
{
    static const Keyword table[] = {
        {"LTEXT", "Static", ss::kLeft | ws::kGroup, true},
        {"RTEXT", "Static", ss::kRight | ws::kGroup, true},
        {"CTEXT", "Static", ss::kCenter | ws::kGroup, true},
        {"ICON", "Static", ss::kIcon, true},
        {"PUSHBUTTON", "Button", bs::kPushButton | ws::kTabStop, true},
        {"DEFPUSHBUTTON", "Button", bs::kDefPushButton | ws::kTabStop, true},
        {"PUSHBOX", "Button", bs::kPushBox | ws::kTabStop, true},
        {"GROUPBOX", "Button", bs::kGroupBox, true},
        {"CHECKBOX", "Button", bs::kCheckBox | ws::kTabStop, true},
        {"AUTOCHECKBOX", "Button", bs::kAutoCheckBox | ws::kTabStop, true},
        {"STATE3", "Button", bs::k3State | ws::kTabStop, true},
        {"AUTO3STATE", "Button", bs::kAuto3State | ws::kTabStop, true},
        {"RADIOBUTTON", "Button", bs::kRadioButton, true},
        {"AUTORADIOBUTTON", "Button", bs::kAutoRadioButton, true},
        {"EDITTEXT", "Edit", ws::kBorder | ws::kTabStop, false},
        {"COMBOBOX", "ComboBox", ws::kTabStop, false},
        {"LISTBOX", "ListBox", ws::kBorder, false},
        {"SCROLLBAR", "ScrollBar", 0, false},
    };
    for (const Keyword& k : table)
        if (statement == QLatin1String(k.name))
            return &k;
    return nullptr;
}

TextAlign alignOf(quint32 horizontal, quint32 left, quint32 right, quint32 center, TextAlign otherwise)
{
    return horizontal == left     ? TextAlign::Left
           : horizontal == right  ? TextAlign::Right
           : horizontal == center ? TextAlign::Center
                                  : otherwise;
}

void classifyButton(DialogControl& c)
{
    const quint32 type = c.style & bs::kTypeMask;
    switch (type) {
    case bs::kGroupBox:
        c.kind = ControlKind::GroupBox;
        break;
    case bs::kCheckBox:
    case bs::kAutoCheckBox:
    case bs::k3State:
    case bs::kAuto3State:
        c.kind = ControlKind::CheckBox;
        break;
    case bs::kRadioButton:
    case bs::kAutoRadioButton:
        c.kind = ControlKind::RadioButton;
        break;
    case bs::kOwnerDraw: // its program draws it, text and all
        c.kind = ControlKind::Custom;
        return;
    default:
        c.kind = ControlKind::PushButton;
        c.isDefault =
            type == bs::kDefPushButton || type == bs::kDefSplitButton || type == bs::kDefCommandLink;
        break;
    }
    if ((c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton) && (c.style & bs::kPushLike))
        c.kind = ControlKind::PushButton;
    c.wraps = c.kind != ControlKind::GroupBox && (c.style & bs::kMultiline);
    c.align = alignOf(c.style & bs::kAlignMask, bs::kLeft, bs::kRight, bs::kCenter,
                      c.kind == ControlKind::PushButton ? TextAlign::Center : TextAlign::Left);
}

void classifyStatic(DialogControl& c)
{
    const quint32 type = c.style & ss::kTypeMask;
    switch (type) {
    case ss::kIcon:
    case ss::kBitmap:
    case ss::kEnhMetaFile:
        c.kind = ControlKind::Icon;
        return;
    case ss::kBlackRect:
    case ss::kGrayRect:
    case ss::kWhiteRect:
    case ss::kBlackFrame:
    case ss::kGrayFrame:
    case ss::kWhiteFrame:
    case ss::kEtchedHorz:
    case ss::kEtchedVert:
    case ss::kEtchedFrame:
        c.kind = ControlKind::Frame;
        return;
    case ss::kUserItem:
    case ss::kOwnerDraw:
        c.kind = ControlKind::Custom;
        return;
    default:
        c.kind = ControlKind::Static;
        c.wraps = type != ss::kSimple && type != ss::kLeftNoWordWrap;
        c.align = alignOf(type, ss::kLeft, ss::kRight, ss::kCenter, TextAlign::Left);
        return;
    }
}

// A SysLink shows its text without the markup: <a ...>text</a> is a link.
void readLinks(DialogControl& c)
{
    QString shown;
    qsizetype linkStart = -1;
    const QString& markup = c.text;
    for (qsizetype i = 0; i < markup.size();) {
        const QStringView rest = QStringView(markup).sliced(i);
        const bool opens = rest.startsWith(u"<a", Qt::CaseInsensitive) && rest.size() > 2 &&
                           (rest[2] == u'>' || rest[2].isSpace());
        const bool closes = rest.startsWith(u"</a>", Qt::CaseInsensitive);
        const qsizetype tagEnd = opens ? markup.indexOf(u'>', i) : -1;
        if (opens && tagEnd > 0) {
            linkStart = shown.size();
            i = tagEnd + 1;
        } else if (closes) {
            if (linkStart >= 0 && shown.size() > linkStart)
                c.links << TextSpan{linkStart, shown.size() - linkStart};
            linkStart = -1;
            i += 4;
        } else {
            shown += markup[i++];
        }
    }
    c.text = shown;
}

// The "&" marks of a script that keeps them, as the control draws them: the marked
// letter underlined, taking no room, and "&&" one "&". Runs of a SysLink are read
// one by one, so the links stay where they were.
void readMarks(DialogControl& c)
{
    QList<qsizetype> cuts{0, c.text.size()};
    for (const TextSpan& link : std::as_const(c.links))
        cuts << link.start << link.start + link.length;
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    QString shown;
    QHash<qsizetype, qsizetype> moved; // a cut in the old text -> in the new
    for (qsizetype i = 0; i + 1 < cuts.size(); ++i) {
        moved.insert(cuts[i], shown.size());
        const AcceleratedText run =
            fromScriptForm(QStringView(c.text).sliced(cuts[i], cuts[i + 1] - cuts[i]));
        if (c.mark < 0 && run.mark >= 0)
            c.mark = shown.size() + run.mark;
        shown += run.text;
    }
    moved.insert(c.text.size(), shown.size());
    for (TextSpan& link : c.links) {
        const qsizetype start = moved.value(link.start);
        link.length = moved.value(link.start + link.length) - start;
        link.start = start;
    }
    c.text = shown;
}

void classify(DialogControl& c, bool marksKept)
{
    const QString cls = c.className.toLower();
    bool prefixes = true; // whether "&" marks a letter
    if (cls == QLatin1String("button")) {
        classifyButton(c);
    } else if (cls == QLatin1String("static")) {
        classifyStatic(c);
        prefixes = !(c.style & ss::kNoPrefix);
    } else if (cls == QLatin1String("syslink")) {
        c.kind = ControlKind::Static;
        c.wraps = true;
        c.align = c.style & lws::kRight ? TextAlign::Right : TextAlign::Left;
        prefixes = !(c.style & lws::kNoPrefix);
        readLinks(c);
    } else if (cls == QLatin1String("edit") || cls.startsWith(QLatin1String("richedit"))) {
        c.kind = ControlKind::Edit;
    } else if (cls == QLatin1String("combobox") || cls == QLatin1String("comboboxex32")) {
        c.kind = ControlKind::ComboBox;
    } else if (cls == QLatin1String("listbox") || cls == QLatin1String("syslistview32") ||
               cls == QLatin1String("systreeview32")) {
        c.kind = ControlKind::ListBox;
    } else {
        c.kind = ControlKind::Custom;
    }
    c.disabled = c.style & ws::kDisabled;
    if (marksKept && prefixes && c.hasText)
        readMarks(c);
}

bool readRect(const std::vector<Arg>& args, size_t first, DialogControl& c, bool sizeOptional)
{
    if (args.size() < first + (sizeOptional ? 2 : 4))
        return false;
    const auto x = number(args[first].text);
    const auto y = number(args[first + 1].text);
    if (!x || !y)
        return false;
    c.x = *x;
    c.y = *y;
    if (args.size() >= first + 4) {
        const auto cx = number(args[first + 2].text);
        const auto cy = number(args[first + 3].text);
        if (!cx || !cy)
            return false;
        c.cx = *cx;
        c.cy = *cy;
    } else if (!sizeOptional) {
        return false;
    }
    return true;
}

void setStyle(DialogControl& c, const QString& expression, quint32 defaults)
{
    const StyleWord word = readStyle(expression, defaults);
    c.style = word.bits;
    c.styles = word.names;
}

std::optional<DialogControl> readControl(const Statement& st, bool marksKept)
{
    const QString& s = st.text;
    const qsizetype kwEnd = wordEnd(s, 0);
    DialogControl c;
    c.statement = s.left(kwEnd).toUpper();
    c.row = st.firstRow;
    c.lastRow = st.lastRow;
    const std::vector<Arg> args = splitArgs(s, kwEnd);
    const auto takeText = [&](const Arg& arg) {
        if (isQuoted(arg.text)) {
            c.text = unquote(arg.text);
            c.hasText = true;
            c.textRow = st.rowAt(arg.offset);
        }
    };
    constexpr quint32 kEveryControl = ws::kChild | ws::kVisible;

    if (c.statement == QLatin1String("CONTROL")) {
        if (args.size() < 8)
            return std::nullopt;
        takeText(args[0]);
        c.id = args[1].text;
        c.className = windowClassName(args[2].text);
        setStyle(c, args[3].text, kEveryControl);
        if (!readRect(args, 4, c, false))
            return std::nullopt;
    } else if (const Keyword* k = keyword(c.statement); k && k->textFirst) {
        const bool icon = c.statement == QLatin1String("ICON");
        if (args.size() < (icon ? 4u : 6u))
            return std::nullopt;
        if (!icon)
            takeText(args[0]);
        c.id = args[1].text;
        if (!readRect(args, 2, c, icon))
            return std::nullopt;
        c.className = QLatin1String(k->className);
        setStyle(c, args.size() > 6 ? args[6].text : QString(), kEveryControl | k->style);
        if (icon && (c.cx <= 0 || c.cy <= 0)) { // the icon's own size, 32 pixels
            c.cx = 21;
            c.cy = 20;
        }
    } else if (k) {
        if (args.size() < 5)
            return std::nullopt;
        c.id = args[0].text;
        if (!readRect(args, 1, c, false))
            return std::nullopt;
        c.className = QLatin1String(k->className);
        setStyle(c, args.size() > 5 ? args[5].text : QString(), kEveryControl | k->style);
    } else {
        return std::nullopt;
    }
    classify(c, marksKept);
    return c;
}

const QSet<QString>& memoryFlags()
{
    static const QSet<QString> set{
        QStringLiteral("DISCARDABLE"), QStringLiteral("MOVEABLE"), QStringLiteral("PURE"),
        QStringLiteral("IMPURE"),      QStringLiteral("PRELOAD"),  QStringLiteral("LOADONCALL"),
        QStringLiteral("FIXED"),       QStringLiteral("SHARED"),   QStringLiteral("NONSHARED")};
    return set;
}

// "NAME DIALOG[EX] [flags] x, y, cx, cy[, help]": the dialog, or nothing.
std::optional<DialogResource> readHeader(const Statement& st)
{
    const QString& s = st.text;
    qsizetype nameEnd = 0;
    if (s.startsWith(u'"')) {
        nameEnd = s.indexOf(u'"', 1);
        if (nameEnd < 0)
            return std::nullopt;
        ++nameEnd;
    } else {
        nameEnd = wordEnd(s, 0);
    }
    qsizetype i = skipBlanks(s, nameEnd);
    const qsizetype kwEnd = wordEnd(s, i);
    const QString keyword = s.mid(i, kwEnd - i).toUpper();
    if (keyword != QLatin1String("DIALOG") && keyword != QLatin1String("DIALOGEX"))
        return std::nullopt;
    DialogResource d;
    d.name = unquotedName(s.left(nameEnd));
    d.extended = keyword == QLatin1String("DIALOGEX");
    d.firstRow = st.firstRow;
    d.lastRow = st.lastRow;
    i = skipBlanks(s, kwEnd);
    for (;;) {
        const qsizetype e = wordEnd(s, i);
        if (e == i || !memoryFlags().contains(s.mid(i, e - i).toUpper()))
            break;
        i = skipBlanks(s, e);
    }
    const std::vector<Arg> args = splitArgs(s, i);
    if (args.size() >= 4) {
        const auto x = number(args[0].text), y = number(args[1].text);
        const auto cx = number(args[2].text), cy = number(args[3].text);
        if (x && y && cx && cy) {
            d.x = *x;
            d.y = *y;
            d.cx = *cx;
            d.cy = *cy;
        }
    }
    return d;
}

// The point size that asks for the message-box font instead of a face of its own.
constexpr int kMessageBoxFontSize = 0x7FFF;

void readFont(const Statement& st, qsizetype from, DialogResource& d)
{
    const std::vector<Arg> args = splitArgs(st.text, from);
    if (args.size() < 2)
        return;
    const auto size = number(args[0].text);
    if (!size || *size <= 0 || *size >= kMessageBoxFontSize)
        return;
    DialogFont font;
    font.pointSize = *size;
    font.face = unquotedName(args[1].text);
    if (args.size() > 2)
        if (const auto w = number(args[2].text); w && *w > 0)
            font.weight = *w;
    if (args.size() > 3)
        if (const auto it = number(args[3].text))
            font.italic = *it != 0;
    d.font = font;
    d.hasFont = true;
}

// The style the compiled template carries: a dialog without STYLE is a bordered
// popup with a system menu; CAPTION adds the title bar and FONT DS_SETFONT.
void settleStyle(DialogResource& d, bool styleRead, bool captionRead, bool fontRead)
{
    if (!styleRead)
        d.style = ws::kPopup | ws::kBorder | ws::kSysMenu;
    if (captionRead)
        d.style |= ws::kCaption;
    if (fontRead)
        d.style |= ds::kSetFont;
    // DS_SHELLFONT asks an extended template in MS Shell Dlg for the shell's face.
    if (d.hasFont && d.extended && (d.style & ds::kShellFont) == ds::kShellFont &&
        d.font.face.compare(QLatin1String("MS Shell Dlg"), Qt::CaseInsensitive) == 0)
        d.font.face = QStringLiteral("MS Shell Dlg 2");
}

bool isWord(const Statement& st, const char* word)
{
    return st.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QString firstWordUpper(const QString& s) { return s.left(wordEnd(s, 0)).toUpper(); }

} // namespace

std::vector<DialogResource> readDialogLines(const QStringList& lines, qsizetype firstRow, bool marksKept)
{
    enum class State { Outside, Header, Body };
    std::vector<DialogResource> dialogs;
    State state = State::Outside;
    int skipDepth = 0; // BEGIN/END nesting of other resources, and stray blocks in a body
    std::optional<DialogResource> current;
    bool styleRead = false, captionRead = false, fontRead = false;
    const auto finish = [&](qsizetype lastRow) {
        if (current) {
            settleStyle(*current, styleRead, captionRead, fontRead);
            current->lastRow = qMax(current->lastRow, lastRow);
            dialogs.push_back(std::move(*current));
        }
        current.reset();
        state = State::Outside;
        skipDepth = 0;
    };

    for (const Statement& st : statementsOf(lines, firstRow)) {
        const bool opens = isWord(st, "BEGIN") || isWord(st, "{");
        const bool closes = isWord(st, "END") || isWord(st, "}");
        // A dialog header always starts a dialog, even after a block left unclosed.
        if (!opens && !closes) {
            if (auto header = readHeader(st)) {
                if (current)
                    finish(st.firstRow - 1);
                current = std::move(header);
                styleRead = captionRead = fontRead = false;
                state = State::Header;
                skipDepth = 0;
                continue;
            }
        }
        switch (state) {
        case State::Outside:
            if (opens)
                ++skipDepth;
            else if (closes && skipDepth > 0)
                --skipDepth;
            break;
        case State::Header: {
            current->lastRow = st.lastRow;
            if (opens) {
                state = State::Body;
                break;
            }
            const QString word = firstWordUpper(st.text);
            const qsizetype rest = wordEnd(st.text, 0);
            if (word == QLatin1String("CAPTION")) {
                captionRead = true;
                const std::vector<Arg> args = splitArgs(st.text, rest);
                if (!args.empty() && isQuoted(args[0].text)) {
                    current->caption = unquote(args[0].text);
                    current->captionRow = st.rowAt(args[0].offset);
                }
            } else if (word == QLatin1String("FONT")) {
                fontRead = true;
                readFont(st, rest, *current);
            } else if (word == QLatin1String("STYLE")) {
                styleRead = true;
                const StyleWord style = readStyle(QStringView(st.text).sliced(rest));
                current->style = style.bits;
                current->styles = style.names;
            }
            break;
        }
        case State::Body:
            current->lastRow = st.lastRow;
            if (opens) {
                ++skipDepth;
            } else if (closes) {
                if (skipDepth > 0)
                    --skipDepth;
                else
                    finish(st.lastRow);
            } else if (skipDepth == 0) {
                if (auto control = readControl(st, marksKept))
                    current->controls.push_back(std::move(*control));
            }
            break;
        }
    }
    if (current)
        finish(current->lastRow);
    return dialogs;
}

std::vector<DialogResource> readDialogs(const LineStore& store, const LineStore::Script& file)
{
    QStringList lines;
    lines.reserve(file.endRow - file.markerRow - 1);
    for (qsizetype i = file.markerRow + 1; i < file.endRow; ++i)
        lines << store.ComposedLine(i);
    return readDialogLines(lines, file.markerRow + 1, store.acceleratorsKept());
}

std::optional<DialogResource> dialogAtRow(const LineStore& store, qsizetype row)
{
    const auto file = store.scriptOf(row);
    if (!file)
        return std::nullopt;
    for (DialogResource& d : readDialogs(store, *file))
        if (d.contains(row))
            return std::move(d);
    return std::nullopt;
}

const DialogControl* controlAtRow(const DialogResource& dialog, qsizetype row)
{
    for (const DialogControl& c : dialog.controls)
        if (c.textRow == row)
            return &c;
    // A statement over several lines: any of its rows leads to it.
    for (const DialogControl& c : dialog.controls)
        if (c.row <= row && row <= c.lastRow)
            return &c;
    return nullptr;
}

} // namespace kvarsel
