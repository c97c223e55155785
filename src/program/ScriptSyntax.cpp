#include "program/ScriptSyntax.h"

#include "text/Cp1251.h"

#include <QSet>
#include <array>
#include <charconv>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace kvarsel::rc {
namespace {

// A macro that names itself, directly or not, stops being expanded at this depth.
constexpr int kMaxExpansion = 32;
// What one name may expand to; far beyond any real macro, and it keeps a chain of
// macros that each double the last from filling the memory.
constexpr qsizetype kMaxExpandedTokens = 65536;
// Nesting of parentheses and conditionals a script may have.
constexpr int kMaxDepth = 200;

bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The value of an integer's digits, its suffixes taken off: 0x before hexadecimal,
// 0 before octal, as in C. Nothing when a digit is not of the base or the value
// does not fit in 64 bits.
std::optional<qulonglong> literalValue(QStringView digits)
{
    qulonglong base = 10;
    if (digits.size() > 1 && digits[0] == u'0') {
        base = 8;
        if (digits[1] == u'x' || digits[1] == u'X') {
            base = 16;
            digits = digits.sliced(2);
        }
    }
    if (digits.isEmpty())
        return std::nullopt;
    qulonglong value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode(), lower = u | 0x20;
        const qulonglong digit = u >= u'0' && u <= u'9'           ? u - u'0'
                                 : lower >= u'a' && lower <= u'f' ? lower - u'a' + 10
                                                                  : base;
        if (digit >= base || value > (std::numeric_limits<qulonglong>::max() - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

constexpr QStringView kPunctuation = u",|&+-*/~(){}!=<>^%";

// A mark's text points into the table: a script's many commas and bars cost no
// allocation and no shared count that the threads compiling at once would contend for.
QString punctuationText(qsizetype mark) { return QString::fromRawData(kPunctuation.data() + mark, 1); }

// Where `c` stands in kPunctuation, or -1: a table for the lexer, which asks it of
// every mark.
qsizetype punctuationMark(QChar c)
{
    static constexpr auto kMarks = [] {
        std::array<qint8, 128> marks{};
        marks.fill(-1);
        for (qsizetype i = 0; i < kPunctuation.size(); ++i)
            marks[kPunctuation[i].unicode()] = qint8(i);
        return marks;
    }();
    return c.unicode() < 128 ? kMarks[c.unicode()] : -1;
}

} // namespace

// Splits a script into tokens, running the preprocessor's lines on the way:
// #define (object-like), #undef, #if/#ifdef/#ifndef/#elif/#else/#endif; other
// directives (#include, #pragma) say nothing about the resources' data.
class Lexer {
public:
    explicit Lexer(const QString& text) : m_text(text) {}

    // Whether `text` is a word, number or string that still points into the script
    // (see lex).
    bool borrows(const QString& text) const
    {
        return !text.isEmpty() && text.constData() >= m_text.constData() &&
               text.constData() < m_text.constData() + m_text.size();
    }

    // Adds the script's next tokens to `out` until it holds `want` of them; false
    // when the script ended first (and then its #if lines were all closed).
    bool lexUntil(QList<Token>& out, qsizetype want)
    {
        lex(QStringView(m_text), m_cursor, true, out, want);
        if (out.size() >= want)
            return true;
        if (!m_conditions.isEmpty())
            throw ScriptError{m_line, QStringLiteral("#if без #endif")};
        return false;
    }

private:
    // Where lexing stands in a text.
    struct Cursor {
        qsizetype i = 0;
        int line = 1;
        bool lineStart = true;
    };

    struct Condition {
        bool active;      // lines here are read
        bool taken;       // some branch of this #if was read already
        bool outerActive; // the lines around the #if are read
    };

    bool active() const { return m_conditions.isEmpty() || m_conditions.back().active; }

    void lex(QStringView s, Cursor& at, bool directives, QList<Token>& out,
             qsizetype want = std::numeric_limits<qsizetype>::max())
    {
        qsizetype& i = at.i;
        int& line = at.line;
        bool& lineStart = at.lineStart;
        const auto fail = [&](const QString& what) { throw ScriptError{line, what}; };
        // Words and numbers of the script itself point into its text, which the lexer
        // keeps: most tokens cost no allocation. A token handed out by take() gets its
        // own copy (ScriptReader::take). A #define's body is not the script's text.
        const bool borrow = s.data() == m_text.constData();
        const auto textOf = [&](qsizetype start) {
            const QStringView piece = s.sliced(start, i - start);
            return borrow ? QString::fromRawData(piece.data(), piece.size()) : piece.toString();
        };
        while (i < s.size() && out.size() < want) {
            const QChar c = s[i];
            if (c == u'\n') {
                ++line;
                lineStart = true;
                ++i;
                continue;
            }
            if (c.isSpace()) {
                ++i;
                continue;
            }
            if (directives && lineStart && c == u'#') {
                QString directive;
                const int at = line;
                ++i;
                while (i < s.size() && s[i] != u'\n') {
                    if (s[i] == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\n' || s[i + 1] == u'\r')) {
                        i = s.indexOf(u'\n', i);
                        if (i < 0)
                            i = s.size();
                        else
                            ++i, ++line;
                        directive += u' ';
                        continue;
                    }
                    directive += s[i++];
                }
                m_line = at;
                runDirective(directive, at);
                continue;
            }
            lineStart = false;
            if (directives && !active()) {
                while (i < s.size() && s[i] != u'\n')
                    ++i;
                continue;
            }
            if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'/') {
                while (i < s.size() && s[i] != u'\n')
                    ++i;
                continue;
            }
            if (c == u'/' && i + 1 < s.size() && s[i + 1] == u'*') {
                const qsizetype end = s.indexOf(u"*/", i + 2);
                if (end < 0)
                    fail(QStringLiteral("комментарий /* не закрыт"));
                line += int(s.sliced(i, end - i).count(u'\n'));
                i = end + 2;
                continue;
            }
            Token t;
            t.line = line;
            if (c == u'"' || ((c == u'L' || c == u'l') && i + 1 < s.size() && s[i + 1] == u'"')) {
                const bool wide = c != u'"';
                i += wide ? 2 : 1;
                t.kind = Token::String;
                t.wide = wide;
                t.text = stringBody(s, i, wide, line, borrow);
                out.push_back(std::move(t));
                continue;
            }
            if (c.isDigit()) {
                const qsizetype start = i;
                while (i < s.size() && isNameChar(s[i]))
                    ++i;
                QStringView digits = s.sliced(start, i - start);
                while (!digits.isEmpty() && (digits.back() == u'L' || digits.back() == u'l' ||
                                             digits.back() == u'U' || digits.back() == u'u'))
                    digits.chop(1);
                const std::optional<qulonglong> v = literalValue(digits);
                if (!v)
                    fail(QStringLiteral("неверное число «%1»").arg(s.sliced(start, i - start)));
                t.kind = Token::Number;
                t.value = quint32(*v);
                t.text = textOf(start);
                out.push_back(std::move(t));
                continue;
            }
            if (isNameStart(c)) {
                const qsizetype start = i;
                while (i < s.size() && isNameChar(s[i]))
                    ++i;
                t.kind = Token::Word;
                t.text = textOf(start);
                if (m_expandWords) {
                    m_budget = kMaxExpandedTokens;
                    m_topWord = t.text;
                    expand(t, out, 0);
                } else {
                    out.push_back(std::move(t));
                }
                continue;
            }
            if (const qsizetype mark = punctuationMark(c); mark >= 0) {
                t.kind = Token::Punct;
                t.text = punctuationText(mark);
                out.push_back(std::move(t));
                ++i;
                continue;
            }
            fail(QStringLiteral("неожиданный знак «%1»").arg(c));
        }
    }

    void expand(const Token& word, QList<Token>& out, int depth)
    {
        const auto found = m_defines.constFind(word.text);
        if (found == m_defines.constEnd() || depth >= kMaxExpansion || m_expanding.contains(word.text)) {
            if (--m_budget < 0)
                throw ScriptError{
                    word.line,
                    QStringLiteral("имя «%1» разворачивается в слишком длинный текст").arg(m_topWord)};
            out << word;
            return;
        }
        m_expanding.insert(word.text);
        for (Token t : *found) {
            t.line = word.line;
            if (t.kind == Token::Word) {
                expand(t, out, depth + 1);
            } else {
                if (--m_budget < 0)
                    throw ScriptError{
                        word.line,
                        QStringLiteral("имя «%1» разворачивается в слишком длинный текст").arg(m_topWord)};
                out << t;
            }
        }
        m_expanding.remove(word.text);
    }

    // The characters of a string whose opening quote lies before `i`; `i` ends
    // after the closing quote.
    static QString stringBody(QStringView s, qsizetype& i, bool wide, int line, bool borrow)
    {
        // Most strings hold no escape and no doubled quote: their text is what lies
        // between the quotes, borrowed from the script as a word's is (see lex).
        qsizetype end = i;
        while (end < s.size() && s[end] != u'"' && s[end] != u'\\' && s[end] != u'\n' && s[end] != u'\r')
            ++end;
        if (end < s.size() && s[end] == u'"' && (end + 1 == s.size() || s[end + 1] != u'"')) {
            const QStringView run = s.sliced(i, end - i);
            i = end + 1;
            if (run.isEmpty())
                return QString();
            return borrow ? QString::fromRawData(run.data(), run.size()) : run.toString();
        }
        ScriptText text;        // a piece at a time: doubled quotes and escapes come between runs
        QByteArray narrowBytes; // escapes of a narrow string give bytes of the code page
        const auto flushBytes = [&] {
            if (!narrowBytes.isEmpty()) {
                text += cp1251::decode(narrowBytes);
                narrowBytes.clear();
            }
        };
        while (true) {
            if (narrowBytes.isEmpty()) {
                // A run of characters that stand for themselves goes in at once.
                qsizetype end = i;
                while (end < s.size() && s[end] != u'"' && s[end] != u'\\' && s[end] != u'\n' &&
                       s[end] != u'\r')
                    ++end;
                text += s.sliced(i, end - i);
                i = end;
            }
            if (i >= s.size() || s[i] == u'\n' || s[i] == u'\r')
                throw ScriptError{line, QStringLiteral("строка в кавычках не закрыта")};
            const QChar c = s[i];
            if (c == u'"') {
                if (i + 1 < s.size() && s[i + 1] == u'"') {
                    flushBytes();
                    text += u'"';
                    i += 2;
                    continue;
                }
                ++i;
                flushBytes();
                return text.take();
            }
            if (c != u'\\' || i + 1 >= s.size()) {
                flushBytes();
                text += c;
                ++i;
                continue;
            }
            const QChar e = s[i + 1];
            if (e == u'\n' || e == u'\r')
                throw ScriptError{line, QStringLiteral("строка в кавычках не закрыта")};
            i += 2;
            uint unit = 0;
            bool numeric = false;
            switch (e.unicode()) {
            case 't':
                unit = 0x09;
                break;
            case 'n':
                unit = 0x0A;
                break;
            case 'r':
                unit = 0x0D;
                break;
            case 'b':
                unit = 0x08;
                break;
            case 'a':
                unit = 0x08;
                break; // as the resource compiler reads it, not C's bell
            case 'f':
                unit = 0x0C;
                break;
            case 'v':
                unit = 0x0B;
                break;
            case '\\':
                unit = u'\\';
                break;
            case '"':
                unit = u'"';
                break;
            case 'x':
            case 'X': {
                const int most = wide ? 4 : 2;
                int n = 0;
                while (n < most && i < s.size() && isxdigit(s[i].toLatin1()) && s[i].unicode() < 128) {
                    unit = unit * 16 + uint(QStringView(s.sliced(i, 1)).toUInt(nullptr, 16));
                    ++i, ++n;
                }
                if (n == 0) {
                    flushBytes();
                    text += u'\\';
                    text += e;
                    continue;
                }
                numeric = true;
                break;
            }
            default:
                if (e >= u'0' && e <= u'7') {
                    unit = e.unicode() - '0';
                    for (int n = 1; n < 3 && i < s.size() && s[i] >= u'0' && s[i] <= u'7'; ++n, ++i)
                        unit = unit * 8 + (s[i].unicode() - '0');
                    numeric = true;
                    break;
                }
                // An escape the compiler does not know stays as written.
                flushBytes();
                text += u'\\';
                text += e;
                continue;
            }
            if (numeric && !wide) {
                narrowBytes += char(unit & 0xFF);
                continue;
            }
            flushBytes();
            text += QChar(char16_t(unit & 0xFFFF));
        }
    }

    void runDirective(const QString& directive, int line)
    {
        QStringView rest = QStringView(directive).trimmed();
        qsizetype n = 0;
        while (n < rest.size() && isNameChar(rest[n]))
            ++n;
        const QStringView name = rest.first(n);
        rest = rest.sliced(n).trimmed();
        const auto fail = [&](const QString& what) { throw ScriptError{line, what}; };
        if (name == u"if" || name == u"ifdef" || name == u"ifndef") {
            if (m_conditions.size() >= kMaxDepth)
                fail(QStringLiteral("слишком глубоко вложенные #if"));
            const bool outer = active();
            bool value = false;
            if (outer)
                value = name == u"if"
                            ? evaluate(rest, line)
                            : (m_defines.contains(firstName(rest).toString()) == (name == u"ifdef"));
            m_conditions.append({outer && value, value, outer});
            return;
        }
        if (name == u"elif" || name == u"else") {
            if (m_conditions.isEmpty())
                fail(QStringLiteral("#%1 без #if").arg(name));
            Condition& c = m_conditions.back();
            const bool value = !c.taken && c.outerActive && (name == u"else" || evaluate(rest, line));
            c.active = value;
            c.taken = c.taken || value;
            return;
        }
        if (name == u"endif") {
            if (m_conditions.isEmpty())
                fail(QStringLiteral("#endif без #if"));
            m_conditions.removeLast();
            return;
        }
        if (!active())
            return;
        if (name == u"define") {
            const QString macro = firstName(rest).toString();
            if (macro.isEmpty())
                fail(QStringLiteral("#define без имени"));
            QStringView body = rest.sliced(macro.size());
            if (body.startsWith(u'('))
                return; // a function-like macro: no resource statement uses one
            // Names in the body are expanded where the macro is used, as in C.
            QList<Token> tokens;
            m_expandWords = false;
            Cursor from{0, line, true};
            lex(body, from, false, tokens);
            m_expandWords = true;
            m_defines.insert(macro, tokens);
        } else if (name == u"undef") {
            m_defines.remove(firstName(rest).toString());
        }
    }

    static QStringView firstName(QStringView s)
    {
        qsizetype n = 0;
        while (n < s.size() && isNameChar(s[n]))
            ++n;
        return s.first(n);
    }

    // A #if condition: numbers, defined(X), !, &&, ||, ==, != and parentheses; a
    // name that is not defined counts as 0, as in C.
    bool evaluate(QStringView condition, int line)
    {
        QList<Token> tokens;
        // defined(X) is decided before X is expanded.
        QString text;
        for (qsizetype i = 0; i < condition.size();) {
            if (condition.sliced(i).startsWith(u"defined") &&
                (i + 7 >= condition.size() || !isNameChar(condition[i + 7]))) {
                qsizetype j = i + 7;
                while (j < condition.size() && (condition[j].isSpace() || condition[j] == u'('))
                    ++j;
                const QStringView macro = firstName(condition.sliced(j));
                j += macro.size();
                while (j < condition.size() && (condition[j].isSpace() || condition[j] == u')'))
                    ++j;
                text += m_defines.contains(macro.toString()) ? u" 1 " : u" 0 ";
                i = j;
                continue;
            }
            text += condition[i++];
        }
        Cursor from{0, line, true};
        lex(text, from, false, tokens);
        qsizetype at = 0;
        const auto peekIs = [&](QStringView p) {
            return at < tokens.size() && tokens[at].kind == Token::Punct && tokens[at].text == p;
        };
        const auto pairIs = [&](QChar a, QChar b) {
            return at + 1 < tokens.size() && tokens[at].kind == Token::Punct && tokens[at].text == a &&
                   tokens[at + 1].kind == Token::Punct && tokens[at + 1].text == b;
        };
        std::function<qint64(int)> orExpr;
        const auto primary = [&](int depth, auto& self) -> qint64 {
            if (depth > kMaxDepth || at >= tokens.size())
                throw ScriptError{line, QStringLiteral("условие #if не читается")};
            const Token& t = tokens[at++];
            if (t.kind == Token::Number)
                return t.value;
            if (t.kind == Token::Word)
                return 0;
            if (t.text == u"!")
                return !self(depth + 1, self);
            if (t.text == u"-")
                return -self(depth + 1, self);
            if (t.text == u"(") {
                const qint64 v = orExpr(depth + 1);
                if (!peekIs(u")"))
                    throw ScriptError{line, QStringLiteral("условие #if не читается")};
                ++at;
                return v;
            }
            throw ScriptError{line, QStringLiteral("условие #if не читается")};
        };
        const auto compare = [&](int depth) {
            qint64 v = primary(depth, primary);
            while (pairIs(u'=', u'=') || pairIs(u'!', u'=')) {
                const bool equal = tokens[at].text == u"=";
                at += 2;
                const qint64 w = primary(depth, primary);
                v = equal ? v == w : v != w;
            }
            return v;
        };
        const auto andExpr = [&](int depth) {
            qint64 v = compare(depth);
            while (pairIs(u'&', u'&')) {
                at += 2;
                const qint64 w = compare(depth);
                v = v && w;
            }
            return v;
        };
        orExpr = [&](int depth) {
            qint64 v = andExpr(depth);
            while (pairIs(u'|', u'|')) {
                at += 2;
                const qint64 w = andExpr(depth);
                v = v || w;
            }
            return v;
        };
        const qint64 v = orExpr(0);
        if (at != tokens.size())
            throw ScriptError{line, QStringLiteral("условие #if не читается")};
        return v != 0;
    }

    const QString m_text;
    Cursor m_cursor;
    QHash<QString, QList<Token>> m_defines{{QStringLiteral("RC_INVOKED"), {Token{Token::Number, "1", 1}}}};
    QSet<QString> m_expanding;
    bool m_expandWords = true;
    qsizetype m_budget = 0;
    QString m_topWord; // the name in the script whose expansion is under way
    QList<Condition> m_conditions;
    int m_line = 1;
};

namespace {

struct Symbol {
    const char16_t* name;
    quint32 value;
};

// The Windows SDK's values for the symbols resource scripts name most.
constexpr Symbol kSymbols[] = {
    {u"WS_OVERLAPPED", 0x0},
    {u"WS_POPUP", 0x80000000},
    {u"WS_CHILD", 0x40000000},
    {u"WS_CHILDWINDOW", 0x40000000},
    {u"WS_MINIMIZE", 0x20000000},
    {u"WS_ICONIC", 0x20000000},
    {u"WS_VISIBLE", 0x10000000},
    {u"WS_DISABLED", 0x08000000},
    {u"WS_CLIPSIBLINGS", 0x04000000},
    {u"WS_CLIPCHILDREN", 0x02000000},
    {u"WS_MAXIMIZE", 0x01000000},
    {u"WS_CAPTION", 0x00C00000},
    {u"WS_BORDER", 0x00800000},
    {u"WS_DLGFRAME", 0x00400000},
    {u"WS_VSCROLL", 0x00200000},
    {u"WS_HSCROLL", 0x00100000},
    {u"WS_SYSMENU", 0x00080000},
    {u"WS_THICKFRAME", 0x00040000},
    {u"WS_SIZEBOX", 0x00040000},
    {u"WS_GROUP", 0x00020000},
    {u"WS_TABSTOP", 0x00010000},
    {u"WS_MINIMIZEBOX", 0x00020000},
    {u"WS_MAXIMIZEBOX", 0x00010000},
    {u"WS_OVERLAPPEDWINDOW", 0x00CF0000},
    {u"WS_POPUPWINDOW", 0x80880000},
    {u"WS_TILED", 0x0},
    {u"WS_TILEDWINDOW", 0x00CF0000},
    {u"WS_EX_DLGMODALFRAME", 0x1},
    {u"WS_EX_NOPARENTNOTIFY", 0x4},
    {u"WS_EX_TOPMOST", 0x8},
    {u"WS_EX_ACCEPTFILES", 0x10},
    {u"WS_EX_TRANSPARENT", 0x20},
    {u"WS_EX_MDICHILD", 0x40},
    {u"WS_EX_TOOLWINDOW", 0x80},
    {u"WS_EX_WINDOWEDGE", 0x100},
    {u"WS_EX_CLIENTEDGE", 0x200},
    {u"WS_EX_CONTEXTHELP", 0x400},
    {u"WS_EX_RIGHT", 0x1000},
    {u"WS_EX_LEFT", 0x0},
    {u"WS_EX_RTLREADING", 0x2000},
    {u"WS_EX_LTRREADING", 0x0},
    {u"WS_EX_LEFTSCROLLBAR", 0x4000},
    {u"WS_EX_RIGHTSCROLLBAR", 0x0},
    {u"WS_EX_CONTROLPARENT", 0x10000},
    {u"WS_EX_STATICEDGE", 0x20000},
    {u"WS_EX_APPWINDOW", 0x40000},
    {u"WS_EX_OVERLAPPEDWINDOW", 0x300},
    {u"WS_EX_PALETTEWINDOW", 0x188},
    {u"WS_EX_LAYERED", 0x80000},
    {u"WS_EX_NOINHERITLAYOUT", 0x100000},
    {u"WS_EX_LAYOUTRTL", 0x400000},
    {u"WS_EX_COMPOSITED", 0x2000000},
    {u"WS_EX_NOACTIVATE", 0x8000000},
    {u"DS_ABSALIGN", 0x1},
    {u"DS_SYSMODAL", 0x2},
    {u"DS_3DLOOK", 0x4},
    {u"DS_FIXEDSYS", 0x8},
    {u"DS_NOFAILCREATE", 0x10},
    {u"DS_LOCALEDIT", 0x20},
    {u"DS_SETFONT", 0x40},
    {u"DS_MODALFRAME", 0x80},
    {u"DS_NOIDLEMSG", 0x100},
    {u"DS_SETFOREGROUND", 0x200},
    {u"DS_CONTROL", 0x400},
    {u"DS_CENTER", 0x800},
    {u"DS_CENTERMOUSE", 0x1000},
    {u"DS_CONTEXTHELP", 0x2000},
    {u"DS_SHELLFONT", 0x48},
    {u"BS_PUSHBUTTON", 0x0},
    {u"BS_DEFPUSHBUTTON", 0x1},
    {u"BS_CHECKBOX", 0x2},
    {u"BS_AUTOCHECKBOX", 0x3},
    {u"BS_RADIOBUTTON", 0x4},
    {u"BS_3STATE", 0x5},
    {u"BS_AUTO3STATE", 0x6},
    {u"BS_GROUPBOX", 0x7},
    {u"BS_USERBUTTON", 0x8},
    {u"BS_AUTORADIOBUTTON", 0x9},
    {u"BS_PUSHBOX", 0xA},
    {u"BS_OWNERDRAW", 0xB},
    {u"BS_SPLITBUTTON", 0xC},
    {u"BS_DEFSPLITBUTTON", 0xD},
    {u"BS_COMMANDLINK", 0xE},
    {u"BS_DEFCOMMANDLINK", 0xF},
    {u"BS_TYPEMASK", 0xF},
    {u"BS_LEFTTEXT", 0x20},
    {u"BS_RIGHTBUTTON", 0x20},
    {u"BS_TEXT", 0x0},
    {u"BS_ICON", 0x40},
    {u"BS_BITMAP", 0x80},
    {u"BS_LEFT", 0x100},
    {u"BS_RIGHT", 0x200},
    {u"BS_CENTER", 0x300},
    {u"BS_TOP", 0x400},
    {u"BS_BOTTOM", 0x800},
    {u"BS_VCENTER", 0xC00},
    {u"BS_PUSHLIKE", 0x1000},
    {u"BS_MULTILINE", 0x2000},
    {u"BS_NOTIFY", 0x4000},
    {u"BS_FLAT", 0x8000},
    {u"SS_LEFT", 0x0},
    {u"SS_CENTER", 0x1},
    {u"SS_RIGHT", 0x2},
    {u"SS_ICON", 0x3},
    {u"SS_BLACKRECT", 0x4},
    {u"SS_GRAYRECT", 0x5},
    {u"SS_WHITERECT", 0x6},
    {u"SS_BLACKFRAME", 0x7},
    {u"SS_GRAYFRAME", 0x8},
    {u"SS_WHITEFRAME", 0x9},
    {u"SS_USERITEM", 0xA},
    {u"SS_SIMPLE", 0xB},
    {u"SS_LEFTNOWORDWRAP", 0xC},
    {u"SS_OWNERDRAW", 0xD},
    {u"SS_BITMAP", 0xE},
    {u"SS_ENHMETAFILE", 0xF},
    {u"SS_ETCHEDHORZ", 0x10},
    {u"SS_ETCHEDVERT", 0x11},
    {u"SS_ETCHEDFRAME", 0x12},
    {u"SS_TYPEMASK", 0x1F},
    {u"SS_REALSIZECONTROL", 0x40},
    {u"SS_NOPREFIX", 0x80},
    {u"SS_NOTIFY", 0x100},
    {u"SS_CENTERIMAGE", 0x200},
    {u"SS_RIGHTJUST", 0x400},
    {u"SS_REALSIZEIMAGE", 0x800},
    {u"SS_SUNKEN", 0x1000},
    {u"SS_EDITCONTROL", 0x2000},
    {u"SS_ENDELLIPSIS", 0x4000},
    {u"SS_PATHELLIPSIS", 0x8000},
    {u"SS_WORDELLIPSIS", 0xC000},
    {u"SS_ELLIPSISMASK", 0xC000},
    {u"ES_LEFT", 0x0},
    {u"ES_CENTER", 0x1},
    {u"ES_RIGHT", 0x2},
    {u"ES_MULTILINE", 0x4},
    {u"ES_UPPERCASE", 0x8},
    {u"ES_LOWERCASE", 0x10},
    {u"ES_PASSWORD", 0x20},
    {u"ES_AUTOVSCROLL", 0x40},
    {u"ES_AUTOHSCROLL", 0x80},
    {u"ES_NOHIDESEL", 0x100},
    {u"ES_OEMCONVERT", 0x400},
    {u"ES_READONLY", 0x800},
    {u"ES_WANTRETURN", 0x1000},
    {u"ES_NUMBER", 0x2000},
    {u"LBS_NOTIFY", 0x1},
    {u"LBS_SORT", 0x2},
    {u"LBS_NOREDRAW", 0x4},
    {u"LBS_MULTIPLESEL", 0x8},
    {u"LBS_OWNERDRAWFIXED", 0x10},
    {u"LBS_OWNERDRAWVARIABLE", 0x20},
    {u"LBS_HASSTRINGS", 0x40},
    {u"LBS_USETABSTOPS", 0x80},
    {u"LBS_NOINTEGRALHEIGHT", 0x100},
    {u"LBS_MULTICOLUMN", 0x200},
    {u"LBS_WANTKEYBOARDINPUT", 0x400},
    {u"LBS_EXTENDEDSEL", 0x800},
    {u"LBS_DISABLENOSCROLL", 0x1000},
    {u"LBS_NODATA", 0x2000},
    {u"LBS_NOSEL", 0x4000},
    {u"LBS_COMBOBOX", 0x8000},
    {u"LBS_STANDARD", 0xA00003},
    {u"CBS_SIMPLE", 0x1},
    {u"CBS_DROPDOWN", 0x2},
    {u"CBS_DROPDOWNLIST", 0x3},
    {u"CBS_OWNERDRAWFIXED", 0x10},
    {u"CBS_OWNERDRAWVARIABLE", 0x20},
    {u"CBS_AUTOHSCROLL", 0x40},
    {u"CBS_OEMCONVERT", 0x80},
    {u"CBS_SORT", 0x100},
    {u"CBS_HASSTRINGS", 0x200},
    {u"CBS_NOINTEGRALHEIGHT", 0x400},
    {u"CBS_DISABLENOSCROLL", 0x800},
    {u"CBS_UPPERCASE", 0x2000},
    {u"CBS_LOWERCASE", 0x4000},
    {u"SBS_HORZ", 0x0},
    {u"SBS_VERT", 0x1},
    {u"SBS_TOPALIGN", 0x2},
    {u"SBS_LEFTALIGN", 0x2},
    {u"SBS_BOTTOMALIGN", 0x4},
    {u"SBS_RIGHTALIGN", 0x4},
    {u"SBS_SIZEBOX", 0x8},
    {u"SBS_SIZEGRIP", 0x10},
    {u"IDOK", 1},
    {u"IDCANCEL", 2},
    {u"IDABORT", 3},
    {u"IDRETRY", 4},
    {u"IDIGNORE", 5},
    {u"IDYES", 6},
    {u"IDNO", 7},
    {u"IDCLOSE", 8},
    {u"IDHELP", 9},
    {u"IDTRYAGAIN", 10},
    {u"IDCONTINUE", 11},
    {u"IDC_STATIC", 0xFFFFFFFF},
    {u"MFT_STRING", 0x0},
    {u"MFT_BITMAP", 0x4},
    {u"MFT_MENUBARBREAK", 0x20},
    {u"MFT_MENUBREAK", 0x40},
    {u"MFT_OWNERDRAW", 0x100},
    {u"MFT_RADIOCHECK", 0x200},
    {u"MFT_SEPARATOR", 0x800},
    {u"MFT_RIGHTORDER", 0x2000},
    {u"MFT_RIGHTJUSTIFY", 0x4000},
    {u"MFS_GRAYED", 0x3},
    {u"MFS_DISABLED", 0x3},
    {u"MFS_CHECKED", 0x8},
    {u"MFS_HILITE", 0x80},
    {u"MFS_ENABLED", 0x0},
    {u"MFS_UNCHECKED", 0x0},
    {u"MFS_UNHILITE", 0x0},
    {u"MFS_DEFAULT", 0x1000},
    {u"LANG_NEUTRAL", 0x00},
    {u"LANG_ENGLISH", 0x09},
    {u"LANG_RUSSIAN", 0x19},
    {u"SUBLANG_NEUTRAL", 0x00},
    {u"SUBLANG_DEFAULT", 0x01},
    {u"SUBLANG_SYS_DEFAULT", 0x02},
    {u"SUBLANG_ENGLISH_US", 0x01},
    {u"SUBLANG_ENGLISH_UK", 0x02},
    {u"SUBLANG_RUSSIAN_RUSSIA", 0x01},
};

} // namespace

ScriptReader::ScriptReader(const QString& text) : m_lexer(std::make_unique<Lexer>(text))
{
    m_end.line = 1;
    // What the window of tokens holds at most unless a macro expands to more.
    m_tokens.reserve(kTokensKept + kTokensAhead + 1);
}

ScriptReader::~ScriptReader() = default;

const Token& ScriptReader::peekFurther(qsizetype index) const
{
    if (index >= m_tokens.size() && !m_ended) {
        m_ended = !m_lexer->lexUntil(m_tokens, std::max(index + 1, m_tokens.size() + kTokensAhead));
        if (!m_tokens.isEmpty())
            m_end.line = m_tokens.back().line;
    }
    return index < m_tokens.size() ? m_tokens[index] : m_end;
}

Token ScriptReader::take()
{
    peek();
    // The window lets the taken token go at once: it is moved out, not copied.
    Token t = m_at < m_tokens.size() ? std::move(m_tokens[m_at]) : m_end;
    if (m_lexer->borrows(t.text))
        t.text = QString(t.text.constData(), t.text.size());
    skip();
    return t;
}

void ScriptReader::skip()
{
    if (m_at < m_tokens.size() && ++m_at >= kTokensKept) {
        m_tokens.remove(0, m_at);
        m_at = 0;
    }
}

void ScriptReader::fail(const QString& message) const { throw ScriptError{line(), message}; }

bool ScriptReader::isWord(QStringView word, qsizetype ahead) const
{
    const Token& t = peek(ahead);
    if (t.kind != Token::Word || t.text.size() != word.size())
        return false;
    // Statement words are ASCII: compared here without Qt's case folding, which
    // is left the rare word with other letters (a few of them fold to ASCII ones).
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t a = t.text[i].unicode(), b = word[i].unicode();
        if (a >= 0x80 || b >= 0x80)
            return t.text.compare(word, Qt::CaseInsensitive) == 0;
        if (a != b && ((a | 0x20) != (b | 0x20) || (a | 0x20) < u'a' || (a | 0x20) > u'z'))
            return false;
    }
    return true;
}

bool ScriptReader::takeWord(QStringView word)
{
    if (!isWord(word))
        return false;
    skip();
    return true;
}

bool ScriptReader::takePunct(QChar c)
{
    if (!isPunct(c.unicode()))
        return false;
    skip();
    return true;
}

void ScriptReader::expectPunct(QChar c)
{
    if (!takePunct(c))
        fail(QStringLiteral("ожидается «%1»").arg(c));
}

bool ScriptReader::isBegin() const { return isWord(u"BEGIN") || isPunct(u'{'); }

bool ScriptReader::isEnd() const { return isWord(u"END") || isPunct(u'}'); }

void ScriptReader::expectBegin()
{
    if (!isBegin())
        fail(QStringLiteral("ожидается BEGIN"));
    skip();
}

bool ScriptReader::takeEnd()
{
    if (!isEnd())
        return false;
    skip();
    return true;
}

bool ScriptReader::startsNumber() const
{
    const Token& t = peek();
    if (t.kind == Token::Number)
        return true;
    if (t.kind == Token::Punct)
        return isPunct(u'-') || isPunct(u'~') || isPunct(u'(');
    return t.kind == Token::Word && sdkSymbol(t.text) >= 0;
}

QString ScriptReader::string()
{
    if (!startsString())
        fail(QStringLiteral("ожидается строка в кавычках"));
    QString text = take().text; // its own copy, never the script's
    while (startsString()) {
        text += peek().text;
        skip();
    }
    return text;
}

QString ScriptReader::textString()
{
    const int at = line();
    const QString text = string();
    if (text.contains(QChar(0)))
        throw ScriptError{at, QStringLiteral("в этой строке не может быть нулевого символа")};
    return text;
}

quint32 ScriptReader::number() { return orExpression(0); }

quint32 ScriptReader::orExpression(int depth)
{
    quint32 v = term(depth);
    while (isPunct(u'|') || isPunct(u'^')) {
        const bool isOr = isPunct(u'|');
        skip();
        const quint32 w = term(depth);
        v = isOr ? v | w : v ^ w;
    }
    return v;
}

// & binds weaker than + and -, which bind weaker than * / %, as in C.
quint32 ScriptReader::term(int depth)
{
    const auto product = [&] {
        quint32 v = unary(depth);
        while (isPunct(u'*') || isPunct(u'/') || isPunct(u'%')) {
            const char16_t op = peek().text.front().unicode();
            skip();
            const quint32 w = unary(depth);
            if (op != u'*' && w == 0)
                fail(QStringLiteral("деление на ноль"));
            v = op == u'*' ? v * w : op == u'/' ? v / w : v % w;
        }
        return v;
    };
    const auto sum = [&] {
        quint32 v = product();
        while (isPunct(u'+') || isPunct(u'-')) {
            const bool plus = isPunct(u'+');
            skip();
            const quint32 w = product();
            v = plus ? v + w : v - w;
        }
        return v;
    };
    quint32 v = sum();
    while (isPunct(u'&'))
        skip(), v &= sum();
    return v;
}

quint32 ScriptReader::unary(int depth)
{
    if (depth > kMaxDepth)
        fail(QStringLiteral("выражение вложено слишком глубоко"));
    const Token& t = peek();
    switch (t.kind) {
    case Token::Number: {
        const quint32 v = t.value;
        skip();
        return v;
    }
    case Token::Word: {
        const qint64 v = sdkSymbol(t.text);
        if (v < 0)
            throw ScriptError{t.line, QStringLiteral("неизвестное имя «%1»").arg(t.text)};
        skip();
        return quint32(v);
    }
    case Token::Punct:
        if (isPunct(u'-'))
            return skip(), 0u - unary(depth + 1);
        if (isPunct(u'~'))
            return skip(), ~unary(depth + 1);
        if (isPunct(u'(')) {
            skip();
            const quint32 v = orExpression(depth + 1);
            expectPunct(u')');
            return v;
        }
        break;
    default:
        break;
    }
    throw ScriptError{t.line, t.kind == Token::End
                                  ? QStringLiteral("сценарий обрывается, ожидается число")
                                  : QStringLiteral("ожидается число, а не «%1»").arg(t.text)};
}

quint32 ScriptReader::style(quint32 base)
{
    quint32 v = base;
    do {
        if (takeWord(u"NOT"))
            v &= ~unary(0);
        else
            v |= term(0);
    } while (takePunct(u'|'));
    return v;
}

void ScriptReader::skipResourceOptions()
{
    for (;;) {
        if (takeWord(u"DISCARDABLE") || takeWord(u"MOVEABLE") || takeWord(u"FIXED") || takeWord(u"PURE") ||
            takeWord(u"IMPURE") || takeWord(u"PRELOAD") || takeWord(u"LOADONCALL") || takeWord(u"SHARED") ||
            takeWord(u"NONSHARED"))
            continue;
        if (takeWord(u"LANGUAGE")) {
            number();
            expectPunct(u',');
            number();
            continue;
        }
        if (takeWord(u"VERSION") || takeWord(u"CHARACTERISTICS")) {
            number();
            continue;
        }
        return;
    }
}

void ScriptText::grow(qsizetype n)
{
    m_text.resize(std::max({m_size + n, 2 * m_text.size(), qsizetype(64)}));
    m_data = reinterpret_cast<char16_t*>(m_text.data());
}

QString quoted(QStringView text)
{
    ScriptText out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out.take();
}

void appendQuoted(ScriptText& out, QStringView text)
{
    out += u'"';
    const auto plain = [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() != 0x7F && c != u'"' && c != u'\\';
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A run of characters written as themselves goes in at once.
        qsizetype end = i;
        while (end < text.size() && plain(text[end]))
            ++end;
        if (end > i) {
            out += text.sliced(i, end - i);
            i = end - 1;
            continue;
        }
        const QChar c = text[i];
        switch (c.unicode()) {
        case '"':
            out += u"\"\"";
            break;
        case '\\':
            out += u"\\\\";
            break;
        case '\t':
            out += u"\\t";
            break;
        case '\n':
            out += u"\\n";
            break;
        case '\r':
            out += u"\\r";
            break;
        default: {
            // Other control characters in octal, three digits so no digit after joins them.
            const char16_t octal[] = {u'\\', char16_t(u'0' + ((c.unicode() >> 6) & 7)),
                                      char16_t(u'0' + ((c.unicode() >> 3) & 7)),
                                      char16_t(u'0' + (c.unicode() & 7))};
            out += QStringView(octal, 4);
        }
        }
    }
    out += u'"';
}

void appendNumber(ScriptText& out, qint64 value)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    Q_UNUSED(error);
    out += QLatin1StringView(digits, end - digits);
}

void appendHex(ScriptText& out, quint32 value)
{
    if (value == 0) {
        out += u'0';
        return;
    }
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const int width = value > 0xFFFF ? 8 : 4;
    out += u"0x";
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4)
        out += QChar(kDigits[(value >> shift) & 0xF]);
}

qint64 sdkSymbol(QStringView name)
{
    static const QHash<QStringView, quint32> table = [] {
        QHash<QStringView, quint32> t;
        for (const Symbol& s : kSymbols)
            t.insert(QStringView(s.name), s.value);
        return t;
    }();
    const auto found = table.constFind(name);
    return found == table.constEnd() ? -1 : qint64(*found);
}

QString hex(quint32 value)
{
    ScriptText out;
    appendHex(out, value);
    return out.take();
}

} // namespace kvarsel::rc
