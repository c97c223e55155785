#include "program/RcScript.h"

#include "text/Cp1251.h"
#include "text/Encoding.h"
#include "text/FileError.h"
#include "text/LineEnds.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <array>

namespace kvarsel {

using namespace Qt::Literals::StringLiterals;

namespace {

// Windows-1252's upper half differs from Latin-1 only in 0x80..0x9F; the five
// unassigned bytes keep their own code points, so every byte reads back unchanged.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString codePageName(quint32 codePage)
{
    switch (codePage) {
    case kRcUtf16:
        return QStringLiteral("UTF-16");
    case kRcUtf8:
        return QStringLiteral("UTF-8");
    default:
        return QStringLiteral("Windows-%1").arg(codePage);
    }
}

// The characters of bytes in a code page; empty when the page is one this program
// has no table for and the bytes are not plain ASCII.
std::optional<QString> decodeIn(QByteArrayView bytes, quint32 codePage)
{
    switch (codePage) {
    case kRcUtf16:
        return QString(reinterpret_cast<const QChar*>(bytes.data()), bytes.size() / 2);
    case kRcUtf8:
        return QString::fromUtf8(bytes);
    case 1251:
        return cp1251::decode(bytes);
    case 1252: {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = uchar(bytes[i]);
            text[i] = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
        }
        return text;
    }
    default:
        for (char c : bytes)
            if (uchar(c) >= 0x80)
                return std::nullopt;
        return QString::fromLatin1(bytes);
    }
}

// Appends the text in a code page; the index of the first character it cannot hold otherwise.
qsizetype encodeIn(QStringView text, quint32 codePage, QByteArray& out)
{
    switch (codePage) {
    case kRcUtf16:
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return -1;
    case kRcUtf8: {
        qsizetype bad = -1;
        if (!encodeText(text, TextEncoding::Utf8, out, &bad))
            return bad;
        return -1;
    }
    case 1251: {
        qsizetype bad = -1;
        return cp1251::encode(text, out, &bad) ? -1 : bad;
    }
    default: {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            int b = u < 0x80 ? int(u) : -1;
            if (codePage == 1252 && b < 0) {
                if (u >= 0xA0 && u <= 0xFF)
                    b = int(u);
                for (int k = 0; k < 32 && b < 0; ++k)
                    if (kCp1252High[k] == u)
                        b = 0x80 + k;
            }
            if (b < 0)
                return i;
            bytes.append(char(b));
        }
        out += bytes;
        return -1;
    }
    }
}

struct Token {
    enum Kind { Word, String, Punct } kind = Word;
    QString text;
};

// Splits one line into tokens, keeping the state of a /* */ comment across lines.
// Strings end at their closing quote (a doubled quote and a backslash escape stay
// inside) or at the end of the line, as the resource compiler reads them.
QList<Token> tokenize(QStringView line, bool& inComment)
{
    QList<Token> tokens;
    const qsizetype n = line.size();
    qsizetype i = 0;
    auto isWordChar = [](QChar c) {
        return !c.isSpace() && !QStringView(u",\"{}()|+-~&!*/%=<>;'").contains(c);
    };
    while (i < n) {
        if (inComment) {
            const qsizetype close = line.indexOf(u"*/", i);
            if (close < 0)
                return tokens;
            inComment = false;
            i = close + 2;
            continue;
        }
        const QChar c = line[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'/' && i + 1 < n && line[i + 1] == u'/') {
            break;
        } else if (c == u'/' && i + 1 < n && line[i + 1] == u'*') {
            inComment = true;
            i += 2;
        } else if (c == u'"' || ((c == u'L' || c == u'l') && i + 1 < n && line[i + 1] == u'"')) {
            const qsizetype start = i;
            i += c == u'"' ? 1 : 2;
            while (i < n) {
                if (line[i] == u'\\') {
                    i += 2;
                } else if (line[i] == u'"') {
                    ++i;
                    if (i < n && line[i] == u'"')
                        ++i;
                    else
                        break;
                } else {
                    ++i;
                }
            }
            tokens.append({Token::String, line.mid(start, std::min(i, n) - start).toString()});
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(line[i]))
                ++i;
            tokens.append({Token::Word, line.mid(start, i - start).toString()});
        } else {
            tokens.append({Token::Punct, QString(c)});
            ++i;
        }
    }
    return tokens;
}

bool isKeyword(const Token& t, QLatin1StringView word)
{
    return t.kind == Token::Word && t.text.compare(word, Qt::CaseInsensitive) == 0;
}
bool opens(const Token& t) { return isKeyword(t, "BEGIN"_L1) || (t.kind == Token::Punct && t.text == u"{"); }
bool closes(const Token& t) { return isKeyword(t, "END"_L1) || (t.kind == Token::Punct && t.text == u"}"); }

// Whether a line holds a text after a BEGIN or before an END: statements that share
// the line with the block's braces.
bool crowded(const QList<Token>& tokens)
{
    bool text = false, opened = false;
    for (const Token& t : tokens) {
        if (t.kind == Token::String) {
            if (opened)
                return true;
            text = true;
        } else if (opens(t)) {
            opened = true;
        } else if (closes(t) && text) {
            return true;
        }
    }
    return false;
}

const QHash<QString, int>& languageSymbols()
{
    static const QHash<QString, int> symbols{{u"LANG_NEUTRAL"_s, 0x00},
                                             {u"LANG_INVARIANT"_s, 0x7f},
                                             {u"LANG_ARABIC"_s, 0x01},
                                             {u"LANG_BULGARIAN"_s, 0x02},
                                             {u"LANG_CATALAN"_s, 0x03},
                                             {u"LANG_CHINESE"_s, 0x04},
                                             {u"LANG_CZECH"_s, 0x05},
                                             {u"LANG_DANISH"_s, 0x06},
                                             {u"LANG_GERMAN"_s, 0x07},
                                             {u"LANG_GREEK"_s, 0x08},
                                             {u"LANG_ENGLISH"_s, 0x09},
                                             {u"LANG_SPANISH"_s, 0x0a},
                                             {u"LANG_FINNISH"_s, 0x0b},
                                             {u"LANG_FRENCH"_s, 0x0c},
                                             {u"LANG_HEBREW"_s, 0x0d},
                                             {u"LANG_HUNGARIAN"_s, 0x0e},
                                             {u"LANG_ICELANDIC"_s, 0x0f},
                                             {u"LANG_ITALIAN"_s, 0x10},
                                             {u"LANG_JAPANESE"_s, 0x11},
                                             {u"LANG_KOREAN"_s, 0x12},
                                             {u"LANG_DUTCH"_s, 0x13},
                                             {u"LANG_NORWEGIAN"_s, 0x14},
                                             {u"LANG_POLISH"_s, 0x15},
                                             {u"LANG_PORTUGUESE"_s, 0x16},
                                             {u"LANG_ROMANIAN"_s, 0x18},
                                             {u"LANG_RUSSIAN"_s, 0x19},
                                             {u"LANG_CROATIAN"_s, 0x1a},
                                             {u"LANG_SERBIAN"_s, 0x1a},
                                             {u"LANG_SLOVAK"_s, 0x1b},
                                             {u"LANG_ALBANIAN"_s, 0x1c},
                                             {u"LANG_SWEDISH"_s, 0x1d},
                                             {u"LANG_THAI"_s, 0x1e},
                                             {u"LANG_TURKISH"_s, 0x1f},
                                             {u"LANG_INDONESIAN"_s, 0x21},
                                             {u"LANG_UKRAINIAN"_s, 0x22},
                                             {u"LANG_BELARUSIAN"_s, 0x23},
                                             {u"LANG_SLOVENIAN"_s, 0x24},
                                             {u"LANG_ESTONIAN"_s, 0x25},
                                             {u"LANG_LATVIAN"_s, 0x26},
                                             {u"LANG_LITHUANIAN"_s, 0x27},
                                             {u"LANG_FARSI"_s, 0x29},
                                             {u"LANG_PERSIAN"_s, 0x29},
                                             {u"LANG_VIETNAMESE"_s, 0x2a},
                                             {u"LANG_ARMENIAN"_s, 0x2b},
                                             {u"LANG_AZERI"_s, 0x2c},
                                             {u"LANG_BASQUE"_s, 0x2d},
                                             {u"LANG_MACEDONIAN"_s, 0x2f},
                                             {u"LANG_AFRIKAANS"_s, 0x36},
                                             {u"LANG_GEORGIAN"_s, 0x37},
                                             {u"LANG_HINDI"_s, 0x39},
                                             {u"LANG_KAZAK"_s, 0x3f},
                                             {u"LANG_UZBEK"_s, 0x43},
                                             {u"LANG_TATAR"_s, 0x44},
                                             {u"SUBLANG_NEUTRAL"_s, 0},
                                             {u"SUBLANG_DEFAULT"_s, 1},
                                             {u"SUBLANG_SYS_DEFAULT"_s, 2},
                                             {u"SUBLANG_CUSTOM_DEFAULT"_s, 3},
                                             {u"SUBLANG_ENGLISH_US"_s, 1},
                                             {u"SUBLANG_ENGLISH_UK"_s, 2},
                                             {u"SUBLANG_ENGLISH_AUS"_s, 3},
                                             {u"SUBLANG_ENGLISH_CAN"_s, 4},
                                             {u"SUBLANG_ENGLISH_NZ"_s, 5},
                                             {u"SUBLANG_ENGLISH_EIRE"_s, 6},
                                             {u"SUBLANG_GERMAN"_s, 1},
                                             {u"SUBLANG_GERMAN_SWISS"_s, 2},
                                             {u"SUBLANG_GERMAN_AUSTRIAN"_s, 3},
                                             {u"SUBLANG_FRENCH"_s, 1},
                                             {u"SUBLANG_FRENCH_BELGIAN"_s, 2},
                                             {u"SUBLANG_FRENCH_CANADIAN"_s, 3},
                                             {u"SUBLANG_FRENCH_SWISS"_s, 4},
                                             {u"SUBLANG_SPANISH"_s, 1},
                                             {u"SUBLANG_SPANISH_MEXICAN"_s, 2},
                                             {u"SUBLANG_SPANISH_MODERN"_s, 3},
                                             {u"SUBLANG_ITALIAN"_s, 1},
                                             {u"SUBLANG_DUTCH"_s, 1},
                                             {u"SUBLANG_PORTUGUESE_BRAZILIAN"_s, 1},
                                             {u"SUBLANG_PORTUGUESE"_s, 2},
                                             {u"SUBLANG_CHINESE_TRADITIONAL"_s, 1},
                                             {u"SUBLANG_CHINESE_SIMPLIFIED"_s, 2},
                                             {u"SUBLANG_RUSSIAN_RUSSIA"_s, 1},
                                             {u"SUBLANG_UKRAINIAN_UKRAINE"_s, 1},
                                             {u"SUBLANG_POLISH_POLAND"_s, 1},
                                             {u"SUBLANG_CZECH_CZECH_REPUBLIC"_s, 1},
                                             {u"SUBLANG_JAPANESE_JAPAN"_s, 1},
                                             {u"SUBLANG_KOREAN"_s, 1}};
    return symbols;
}

std::optional<int> languagePart(const QList<Token>& tokens)
{
    if (tokens.size() != 1 || tokens[0].kind != Token::Word)
        return std::nullopt;
    const QString& t = tokens[0].text;
    bool ok = false;
    const int number = t.startsWith(u"0x"_s, Qt::CaseInsensitive) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok);
    if (ok)
        return number;
    const auto it = languageSymbols().constFind(t.toUpper());
    if (it == languageSymbols().constEnd())
        return std::nullopt;
    return *it;
}

// The language a LANGUAGE statement's arguments name, and its text as it could be written again.
quint16 evaluateLanguage(const QList<Token>& args, QString* text, bool* symbolic)
{
    QList<Token> primary, sub;
    bool second = false;
    QStringList words;
    for (const Token& t : args) {
        if (t.kind == Token::Punct && t.text == u",") {
            second = true;
            continue;
        }
        if (t.text.startsWith(u"LANG_"_s, Qt::CaseInsensitive))
            *symbolic = true;
        (second ? sub : primary).append(t);
        words.append(t.text);
    }
    *text = u"LANGUAGE "_s + QStringList(words.mid(0, primary.size())).join(u' ') + u", "_s +
            QStringList(words.mid(primary.size())).join(u' ');
    const auto p = languagePart(primary);
    const auto s = languagePart(sub);
    if (!p || !s)
        return kUnknownRcLanguage;
    return quint16(((*s & 0x3f) << 10) | (*p & 0x3ff));
}

std::optional<ResourceKind> cutKind(const QString& type)
{
    const QString t = type.toUpper();
    if (t == u"MENU" || t == u"MENUEX")
        return ResourceKind::Menu;
    if (t == u"DIALOG" || t == u"DIALOGEX")
        return ResourceKind::Dialog;
    return std::nullopt;
}

bool isMemoryFlag(const Token& t)
{
    static const QSet<QString> flags{u"PRELOAD"_s,  u"LOADONCALL"_s,  u"FIXED"_s,
                                     u"MOVEABLE"_s, u"DISCARDABLE"_s, u"PURE"_s,
                                     u"IMPURE"_s,   u"SHARED"_s,      u"NONSHARED"_s};
    return t.kind == Token::Word && flags.contains(t.text.toUpper());
}

QString unquoted(const Token& t)
{
    if (t.kind != Token::String)
        return t.text;
    QString s = t.text.mid(t.text.startsWith(u'"') ? 1 : 2);
    if (s.endsWith(u'"'))
        s.chop(1);
    return s.replace(u"\"\""_s, u"\""_s);
}

} // namespace

class RcReader {
public:
    explicit RcReader(RcScript& s) : m_s(s) {}

    void run()
    {
        const QByteArray& bytes = m_s.m_bytes;
        if (bytes.startsWith("\xFE\xFF")) {
            m_s.m_error = u"файл в кодировке UTF-16BE, а сценарии ресурсов бывают только в UTF-16LE"_s;
            return;
        }
        m_s.m_utf16 = bytes.startsWith("\xFF\xFE");
        m_s.m_utf8Mark = bytes.startsWith("\xEF\xBB\xBF");
        if (m_s.m_utf16 && bytes.size() % 2 != 0) {
            m_s.m_error = u"файл в UTF-16 с нечётным числом байтов обрезан"_s;
            return;
        }
        const DecodedText decoded = decodeText(bytes);
        if (!decoded.ok()) {
            m_s.m_error = decoded.error;
            return;
        }
        m_defaultCodePage = m_s.m_utf16                                     ? kRcUtf16
                            : decoded.encoding == TextEncoding::Windows1251 ? 1251
                                                                            : kRcUtf8;
        m_codePage = m_defaultCodePage;
        splitLines();
        bool inComment = false;
        int continuing = 0; // lines of a preprocessor directive still to come
        for (int li = 0; li < m_s.m_lines.size(); ++li) {
            const QString text = lineText(li);
            const QStringView trimmed = QStringView(text).trimmed();
            if (continuing > 0 || (!inComment && trimmed.startsWith(u'#'))) {
                if (continuing == 0)
                    m_directive.clear();
                m_directive += text;
                if (trimmed.endsWith(u'\\')) {
                    m_directive.chop(1);
                    continuing = 1;
                } else {
                    continuing = 0;
                    directive(m_directive, inComment);
                    m_state.depth = int(m_conditions.size());
                }
            } else {
                const QList<Token> tokens = tokenize(text, inComment);
                const qsizetype blocksBefore = m_s.m_blocks.size();
                for (qsizetype k = 0; k < tokens.size(); ++k)
                    k = token(tokens, k, li);
                RcBlock* block = m_s.m_blocks.size() > blocksBefore ? &m_s.m_blocks.last()
                                 : m_open && m_cut                  ? &m_pending
                                                                    : nullptr;
                if (block && !block->crowdedLine && crowded(tokens))
                    block->crowdedLine = li;
            }
            m_s.m_states.append(m_state);
            if (!m_s.m_error.isEmpty())
                return;
        }
        if (m_open) {
            m_s.m_error = u"блок «%1» со строки %2 не закрыт словом END"_s
                              .arg(m_pending.name.isEmpty() ? m_pending.type : m_pending.name)
                              .arg(m_pending.firstLine + 1);
            m_s.m_blocks.clear();
        }
    }

    QString lineText(int li) const
    {
        const RcLine& l = m_s.m_lines[li];
        const QByteArrayView raw = QByteArrayView(m_s.m_bytes).sliced(l.begin, l.textEnd - l.begin);
        if (m_s.m_utf16)
            return *decodeIn(raw, kRcUtf16);
        return m_codePage == kRcUtf8 ? QString::fromUtf8(raw) : cp1251::decode(raw);
    }

private:
    enum class State { Idle, AfterName, AfterType, Header, Body };

    void splitLines()
    {
        const QByteArray& bytes = m_s.m_bytes;
        const qsizetype unit = m_s.m_utf16 ? 2 : 1;
        const qsizetype start = m_s.m_utf16 ? 2 : m_s.m_utf8Mark ? 3 : 0;
        const qsizetype n = (bytes.size() - start) / unit;
        auto unitAt = [&](qsizetype i) {
            return m_s.m_utf16
                       ? char16_t(uchar(bytes[start + 2 * i]) | (uchar(bytes[start + 2 * i + 1]) << 8))
                       : char16_t(uchar(bytes[start + i]));
        };
        auto add = [&](qsizetype from, qsizetype textEnd, qsizetype to) {
            m_s.m_lines.append({start + from * unit, start + textEnd * unit, start + to * unit});
        };
        auto walk = [&](auto& ends) {
            qsizetype i = 0;
            while (i < n) {
                const qsizetype e = ends.next(i);
                if (e >= n) {
                    add(i, n, n);
                    break;
                }
                const qsizetype after =
                    unitAt(e) == u'\r' && e + 1 < n && unitAt(e + 1) == u'\n' ? e + 2 : e + 1;
                add(i, e, after);
                i = after;
            }
        };
        if (m_s.m_utf16) {
            // The file's own units, aligned or not, read through a copy in native order.
            QString units(n, Qt::Uninitialized);
            for (qsizetype i = 0; i < n; ++i)
                units[i] = QChar(unitAt(i));
            LineEnds<char16_t> ends(reinterpret_cast<const char16_t*>(units.utf16()), n);
            walk(ends);
        } else {
            LineEnds<uchar> ends(reinterpret_cast<const uchar*>(bytes.constData()) + start, n);
            walk(ends);
        }
    }

    // A directive as it can stand on a line of its own elsewhere: a comment on it may
    // go on over lines that are not copied with it.
    static QString withoutComment(const QString& text)
    {
        qsizetype cut = text.size();
        for (const QStringView opener : {u"//", u"/*"})
            if (const qsizetype at = text.indexOf(opener); at >= 0)
                cut = std::min(cut, at);
        return text.left(cut).trimmed();
    }

    void directive(const QString& text, bool& inComment)
    {
        tokenize(text, inComment); // a comment opened on the directive's line goes on below it
        static const QRegularExpression word(u"^\\s*#\\s*(\\w+)"_s);
        static const QRegularExpression codePage(u"code_page\\s*\\(\\s*(\\w+)\\s*\\)"_s,
                                                 QRegularExpression::CaseInsensitiveOption);
        const auto m = word.match(text);
        const QString name = m.hasMatch() ? m.captured(1) : QString();
        if (name == u"if" || name == u"ifdef" || name == u"ifndef") {
            m_conditions.append({withoutComment(text)});
        } else if (name == u"elif" || name == u"else") {
            if (!m_conditions.isEmpty())
                m_conditions.last().append(withoutComment(text));
        } else if (name == u"endif") {
            if (!m_conditions.isEmpty())
                m_conditions.removeLast();
        } else if (name == u"pragma") {
            const auto cp = codePage.match(text);
            if (!cp.hasMatch())
                return;
            m_state.codePage = cp.captured(1);
            bool ok = false;
            const uint number = cp.captured(1).toUInt(&ok);
            // A file with a byte-order mark is read in its mark's encoding whatever it says.
            if (!m_s.m_utf16 && !m_s.m_utf8Mark)
                m_codePage = ok && number != 0 ? number : m_defaultCodePage;
        }
    }

    void open(ResourceKind kind, const QString& type, const QString& name, int line, bool cut)
    {
        m_pending = RcBlock{};
        m_pending.kind = kind;
        m_pending.type = type.toUpper();
        m_pending.name = name;
        m_pending.language = m_language;
        m_pending.codePage = m_codePage;
        m_pending.firstLine = line;
        m_pending.conditions = m_conditions;
        m_cut = cut;
        m_open = true;
    }

    // Feeds one token; returns the index of the last token it took.
    qsizetype token(const QList<Token>& tokens, qsizetype k, int li)
    {
        const Token& t = tokens[k];
        switch (m_phase) {
        case State::Idle:
            if (isKeyword(t, "LANGUAGE"_L1)) {
                m_language = evaluateLanguage(tokens.mid(k + 1), &m_state.language, &m_s.m_symbolicLanguages);
                return tokens.size() - 1;
            }
            if (isKeyword(t, "STRINGTABLE"_L1)) {
                open(ResourceKind::String, t.text, QString(), li, true);
                m_phase = State::Header;
            } else if (isKeyword(t, "CHARACTERISTICS"_L1) || isKeyword(t, "VERSION"_L1)) {
                return tokens.size() - 1;
            } else if (t.kind != Token::Punct) {
                m_name = unquoted(t);
                m_nameLine = li;
                m_phase = State::AfterName;
            }
            return k;
        case State::AfterName:
            if (const auto kind = cutKind(t.text); kind && t.kind == Token::Word) {
                open(*kind, t.text, m_name, m_nameLine, true);
                m_phase = State::Header;
            } else {
                open(ResourceKind::RcData, t.text, m_name, m_nameLine, false);
                m_phase = State::AfterType;
            }
            return k;
        case State::AfterType:
            // A resource kept in a file of its own ends with the file's name; one with a
            // body has optional statements (or nothing) before BEGIN.
            if (isMemoryFlag(t))
                return k;
            if (t.kind == Token::String ||
                (t.kind == Token::Word &&
                 (t.text.contains(u'.') || t.text.contains(u'\\') || t.text.contains(u'/')))) {
                m_open = false;
                m_phase = State::Idle;
                return k;
            }
            m_phase = State::Header;
            [[fallthrough]];
        case State::Header:
            if (opens(t)) {
                m_depth = 1;
                m_phase = State::Body;
            } else if (m_cut && isKeyword(t, "LANGUAGE"_L1)) {
                QString ignored;
                m_pending.language = evaluateLanguage(tokens.mid(k + 1), &ignored, &m_s.m_symbolicLanguages);
                m_pending.ownLanguageLine = li - m_pending.firstLine;
                return tokens.size() - 1;
            }
            return k;
        case State::Body:
            if (opens(t)) {
                ++m_depth;
            } else if (closes(t) && --m_depth == 0) {
                if (m_cut) {
                    m_pending.lastLine = li;
                    m_pending.begin = m_s.m_lines[m_pending.firstLine].begin;
                    m_pending.end = m_s.m_lines[li].end;
                    m_s.m_blocks.append(m_pending);
                }
                m_open = false;
                m_phase = State::Idle;
            }
            return k;
        }
        return k;
    }

    RcScript& m_s;
    State m_phase = State::Idle;
    RcScript::LineState m_state;
    quint16 m_language = 0x0409; // what the resource compiler takes when nothing is said
    quint32 m_defaultCodePage = 1251, m_codePage = 1251;
    QString m_directive, m_name;
    QList<QStringList> m_conditions; // the open #if sections' lines so far
    int m_nameLine = 0, m_depth = 0;
    RcBlock m_pending;
    bool m_open = false, m_cut = false;
};

RcScript RcScript::read(const QByteArray& bytes)
{
    RcScript script;
    script.m_bytes = bytes;
    RcReader reader(script);
    reader.run();
    if (!script.m_error.isEmpty()) {
        script.m_blocks.clear();
        return script;
    }
    return script;
}

QByteArray RcScript::mark() const
{
    return m_utf16 ? QByteArray("\xFF\xFE") : m_utf8Mark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

QList<quint16> RcScript::languages() const
{
    QList<quint16> list;
    for (const RcBlock& b : m_blocks)
        if (!list.contains(b.language))
            list.append(b.language);
    std::sort(list.begin(), list.end());
    return list;
}

std::optional<quint16> RcScript::sourceLanguage(const QString& requested, QString* error) const
{
    const QList<quint16> present = languages();
    auto name = [](quint16 l) {
        return l == kUnknownRcLanguage ? u"неизвестный"_s : u"0x%1"_s.arg(l, 4, 16, QLatin1Char('0'));
    };
    QStringList names;
    for (quint16 l : present)
        names.append(name(l));
    if (present.isEmpty()) {
        *error = u"в сценарии нет ни меню, ни диалогов, ни таблиц строк"_s;
        return std::nullopt;
    }
    if (!requested.isEmpty()) {
        static const QHash<QString, int> codes{
            {u"en"_s, 0x09}, {u"ru"_s, 0x19}, {u"de"_s, 0x07}, {u"fr"_s, 0x0c}, {u"es"_s, 0x0a},
            {u"it"_s, 0x10}, {u"uk"_s, 0x22}, {u"pl"_s, 0x15}, {u"cs"_s, 0x05}, {u"nl"_s, 0x13},
            {u"pt"_s, 0x16}, {u"ja"_s, 0x11}, {u"zh"_s, 0x04}};
        bool ok = false;
        const int number = requested.startsWith(u"0x"_s, Qt::CaseInsensitive)
                               ? requested.mid(2).toInt(&ok, 16)
                               : requested.toInt(&ok);
        if (ok && present.contains(quint16(number)))
            return quint16(number);
        if (!ok && codes.contains(requested.toLower())) {
            const int primary = codes.value(requested.toLower());
            // The language's main country first, then the others in order.
            if (present.contains(quint16(0x0400 | primary)))
                return quint16(0x0400 | primary);
            for (quint16 l : present)
                if (l != kUnknownRcLanguage && (l & 0x3ff) == primary)
                    return l;
        }
        *error = u"в сценарии нет языка «%1»; в нём есть: %2"_s.arg(requested, names.join(u", "_s));
        return std::nullopt;
    }
    if (present.contains(0x0409))
        return quint16(0x0409);
    for (quint16 l : present)
        if (l != kUnknownRcLanguage && (l & 0x3ff) == 0x09)
            return l;
    if (present.contains(0))
        return quint16(0);
    if (present.size() == 1)
        return present.first();
    *error = u"в сценарии нет английского языка, а языков несколько (%1): укажите исходный язык"_s.arg(
        names.join(u", "_s));
    return std::nullopt;
}

QByteArray RcScript::cutScript(int index) const
{
    const RcBlock& b = m_blocks[index];
    QByteArray out = mark();
    if (b.codePage == kRcUtf8 && out.isEmpty())
        out = "\xEF\xBB\xBF";
    out += QByteArrayView(m_bytes).sliced(b.begin, b.end - b.begin);
    return out;
}

bool RcScript::saysCodePageAt(int line) const
{
    if (m_utf16 || m_utf8Mark)
        return true;
    const QString& said = m_states[line].codePage;
    return !said.isEmpty() && said.compare(u"DEFAULT"_s, Qt::CaseInsensitive) != 0;
}

QByteArray RcScript::lineEnd() const
{
    const bool crlf = m_lines.isEmpty() || m_lines.first().end - m_lines.first().textEnd != (m_utf16 ? 2 : 1);
    if (m_utf16)
        return crlf ? QByteArray("\r\0\n\0", 4) : QByteArray("\n\0", 2);
    return crlf ? QByteArray("\r\n") : QByteArray("\n");
}

QString RcScript::lineText(int line) const
{
    const RcLine& l = m_lines[line];
    const QByteArrayView raw = QByteArrayView(m_bytes).sliced(l.begin, l.textEnd - l.begin);
    if (m_utf16)
        return *decodeIn(raw, kRcUtf16);
    return m_utf8Mark ? QString::fromUtf8(raw) : cp1251::decode(raw);
}

QList<RcCutScript> cutRcScript(const RcScript& script, quint16 language)
{
    QList<RcCutScript> cut;
    QSet<QString> taken[kKindCount];
    int tables = 0;
    for (int i = 0; i < script.blocks().size(); ++i) {
        const RcBlock& b = script.blocks()[i];
        if (b.language != language)
            continue;
        QString base;
        if (b.kind == ResourceKind::String) {
            base = u"StringTable%1"_s.arg(++tables);
        } else {
            for (QChar c : b.name)
                base += c.isLetterOrNumber() || c == u'_' || c == u'-' ? c : QChar(u'_');
            if (base.isEmpty())
                base = u"_"_s;
        }
        QString unique = base;
        for (int n = 2; taken[kindIndex(b.kind)].contains(unique.toLower()); ++n)
            unique = base + u"_%1"_s.arg(n);
        taken[kindIndex(b.kind)].insert(unique.toLower());
        cut.append({i, b.kind, unique, script.cutScript(i)});
    }
    return cut;
}

namespace {

QStringList splitTextLines(const QString& text)
{
    QStringList lines;
    LineEnds<char16_t> ends(reinterpret_cast<const char16_t*>(text.utf16()), text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype e = ends.next(i);
        lines.append(text.mid(i, e - i));
        if (e >= n)
            break;
        i = text[e] == u'\r' && e + 1 < n && text[e + 1] == u'\n' ? e + 2 : e + 1;
    }
    return lines;
}

} // namespace

RcSpliced spliceRcScript(const RcScript& script, const QList<RcReplacement>& replacements, RcSpliceMode mode,
                         const QString& fileName)
{
    RcSpliced result;
    const QByteArray& bytes = script.bytes();
    const bool copy = mode == RcSpliceMode::RussianCopy;
    const QString russian = script.namesLanguagesSymbolically() ? u"LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT"_s
                                                                : u"LANGUAGE 0x19, 0x01"_s;
    auto fail = [&](int line, const QString& reason) {
        result.error = FileError{fileName, reason, line}.message();
        result.bytes.clear();
        return result;
    };

    struct Piece {
        const RcBlock* block;
        QByteArray bytes;
        quint32 codePage;
        bool changed;
    };
    const auto stands = [&script](const RcReplacement& r) {
        return r.block >= 0 && r.block < script.blocks().size();
    };
    // A Russian copy of one string table takes every one along (see the header).
    const bool copyAllStrings =
        copy && std::any_of(replacements.cbegin(), replacements.cend(), [&](const RcReplacement& r) {
            return stands(r) && script.blocks()[r.block].kind == ResourceKind::String &&
                   r.scriptBytes != script.cutScript(r.block);
        });
    QList<Piece> pieces;
    for (const RcReplacement& r : replacements) {
        if (!stands(r))
            continue;
        const RcBlock& b = script.blocks()[r.block];
        const QByteArray cut = script.cutScript(r.block);
        const bool changed = r.scriptBytes != cut;
        // Unchanged, a block keeps its bytes in place, and a Russian copy of it would say nothing new.
        if (!changed && !(copyAllStrings && b.kind == ResourceKind::String))
            continue;
        if (copy)
            for (const RcBlock& other : script.blocks())
                if ((other.language & 0x3ff) == 0x19 && other.kind == b.kind &&
                    (b.kind == ResourceKind::String || other.name.compare(b.name, Qt::CaseInsensitive) == 0))
                    return fail(other.firstLine + 1,
                                u"в файле уже есть %1 на русском: перевод, добавленный рядом с исходным, "
                                u"определил бы его второй раз; запишите перевод на месте исходного"_s.arg(
                                    b.kind == ResourceKind::Menu     ? u"меню «%1»"_s.arg(other.name)
                                    : b.kind == ResourceKind::Dialog ? u"диалог «%1»"_s.arg(other.name)
                                                                     : u"таблица строк"_s));
        const DecodedText now = decodeText(r.scriptBytes);
        if (!now.ok())
            return fail(b.firstLine + 1, now.error);
        const QStringList newLines = splitTextLines(now.text);
        const QStringList wasLines = splitTextLines(decodeText(cut).text);
        // A copy of a single-byte block goes into Windows-1251, or UTF-8 where a letter of
        // the original (a "é" of Windows-1252) has no place in it.
        quint32 target = !copy || b.codePage == kRcUtf16 || b.codePage == kRcUtf8 ? b.codePage : 1251;
        if (target == 1251 && b.codePage != 1251) {
            for (int k = 0; k < newLines.size() && target == 1251; ++k) {
                const int fileLine = b.firstLine + std::min(k, b.lastLine - b.firstLine);
                const RcLine& source = script.lines()[fileLine];
                const bool same = k < wasLines.size() && newLines[k] == wasLines[k];
                const auto original = decodeIn(
                    QByteArrayView(bytes).sliced(source.begin, source.textEnd - source.begin), b.codePage);
                if (cp1251::firstUnencodable(same && original ? *original : newLines[k]) >= 0)
                    target = kRcUtf8;
            }
        }
        QByteArray out;
        const int blockLines = b.lastLine - b.firstLine + 1;
        for (int k = 0; k < newLines.size(); ++k) {
            const int fileLine = b.firstLine + std::min(k, blockLines - 1);
            const RcLine& source = script.lines()[fileLine];
            const bool same = k < wasLines.size() && k < blockLines && newLines[k] == wasLines[k];
            const bool ownLanguage = copy && b.ownLanguageLine && *b.ownLanguageLine == k;
            if (same && target == b.codePage && !ownLanguage) {
                out += QByteArrayView(bytes).sliced(source.begin, source.textEnd - source.begin);
            } else {
                QString text = newLines[k];
                if (same) {
                    const auto original =
                        decodeIn(QByteArrayView(bytes).sliced(source.begin, source.textEnd - source.begin),
                                 b.codePage);
                    if (!original)
                        return fail(fileLine + 1,
                                    u"строку в кодовой странице %1 нельзя перенести в %2"_s.arg(b.codePage)
                                        .arg(codePageName(target)));
                    text = *original;
                }
                if (ownLanguage) {
                    qsizetype indent = 0;
                    while (indent < text.size() && text[indent].isSpace())
                        ++indent;
                    text = text.left(indent) + russian;
                }
                const qsizetype bad = encodeIn(text, target, out);
                if (bad >= 0)
                    return fail(fileLine + 1,
                                u"символ %1 («%2») не помещается в кодировку %3 этого файла"_s.arg(
                                    characterCode(text[bad]), text.mid(bad, 1), codePageName(target)));
            }
            if (k < blockLines && (k + 1 < newLines.size() || source.end > source.textEnd))
                out += QByteArrayView(bytes).sliced(source.textEnd, source.end - source.textEnd);
            else if (k + 1 < newLines.size())
                out += script.lineEnd();
        }
        pieces.append({&b, out, target, changed});
    }
    result.changedBlocks =
        int(std::count_if(pieces.cbegin(), pieces.cend(), [](const Piece& p) { return p.changed; }));
    if (!copy) {
        std::sort(pieces.begin(), pieces.end(),
                  [](const Piece& a, const Piece& b) { return a.block->begin < b.block->begin; });
        qsizetype at = 0;
        const QByteArray end = script.lineEnd();
        for (const Piece& p : pieces) {
            result.bytes += QByteArrayView(bytes).sliced(at, p.block->begin - at);
            // Where the file leaves the code page to the compiler, letters that are not
            // ASCII would be read in whatever it takes: this block says its own.
            const bool says =
                script.isUtf16() || script.saysCodePageAt(p.block->firstLine) || isAscii(p.bytes);
            if (!says)
                result.bytes += "#pragma code_page(" + QByteArray::number(p.codePage) + ")" + end;
            result.bytes += p.bytes;
            if (!says) {
                if (!p.bytes.endsWith(end))
                    result.bytes += end;
                result.bytes += "#pragma code_page(DEFAULT)" + end;
            }
            at = p.block->end;
        }
        result.bytes += QByteArrayView(bytes).sliced(at);
        return result;
    }
    if (pieces.isEmpty()) {
        result.bytes = bytes;
        return result;
    }
    // After the last block of the source language, out of any #if section it stands in;
    // each block of the copy is put under the conditions of its original again.
    int after = 0;
    for (const RcReplacement& r : replacements)
        if (stands(r))
            after = std::max(after, script.blocks()[r.block].lastLine);
    while (after + 1 < script.lines().size() && script.lineStates()[after].depth > 0)
        ++after;
    const RcScript::LineState& state = script.lineStates()[after];
    const RcLine& at = script.lines()[after];
    const QByteArray end = script.lineEnd();
    auto ascii = [&](const QString& text) {
        QByteArray out;
        encodeIn(text, script.isUtf16() ? kRcUtf16 : 1251, out);
        return out;
    };
    QByteArray section;
    if (at.end == at.textEnd)
        section += end;
    section +=
        end + ascii(u"/////////////////////////////////////////////////////////////////////////////"_s) + end;
    section += ascii(u"// Russian translation"_s) + end + end + ascii(russian) + end;
    for (const Piece& p : pieces) {
        section += end;
        if (!script.isUtf16())
            section += ascii(u"#pragma code_page(%1)"_s.arg(p.codePage)) + end;
        QByteArray conditions;
        for (const QStringList& lines : p.block->conditions)
            for (const QString& line : lines) {
                if (encodeIn(line, p.codePage, conditions) >= 0)
                    return fail(p.block->firstLine + 1, u"условие «%1» не помещается в кодировку %2"_s.arg(
                                                            line, codePageName(p.codePage)));
                conditions += end;
            }
        section += conditions + p.bytes;
        if (!p.bytes.endsWith(end))
            section += end;
        for (qsizetype n = p.block->conditions.size(); n > 0; --n)
            section += ascii(u"#endif"_s) + end;
    }
    section += end + ascii(state.language.isEmpty() ? u"LANGUAGE 0x09, 0x01"_s : state.language) + end;
    if (!script.isUtf16())
        section +=
            ascii(u"#pragma code_page(%1)"_s.arg(state.codePage.isEmpty() ? u"DEFAULT"_s : state.codePage)) +
            end;
    result.bytes = bytes.left(at.end) + section + bytes.mid(at.end);
    return result;
}

} // namespace kvarsel
