#include "program/DelphiForm.h"

#include "text/Cp1251.h"
#include "text/Encoding.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace kvarsel {
namespace {

// The value types of the streaming format, by their stored number. 21 is Delphi's
// double; 22 is Free Pascal's unsigned 64-bit integer.
constexpr quint8 vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
                 vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
                 vaCollection = 14, vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19,
                 vaUtf8String = 20, vaDouble = 21, vaQWord = 22;

// Object flags in the byte before a class name whose upper half is all ones.
constexpr quint8 kFlagInherited = 1, kFlagChildPos = 2, kFlagInline = 4;

// Far deeper than any designer nests, and shallow enough for the stack of every thread.
constexpr int kMaxDepth = 200;
// Delphi breaks strings and hex after this many characters or bytes a line.
constexpr qsizetype kStringPiece = 64, kBinaryPerLine = 32;

struct Property;
struct CollectionItem;

struct Value {
    enum class Kind { Token, String, Binary, Set, List, Collection };
    Kind kind = Kind::Token;
    quint8 type = vaNull; // as the binary form stored it; vaNull for a value read from text
    QString text;         // Token: as the text writes it; String: the characters
    QByteArray raw;       // as stored after the type byte (all but lists and collections)
    QByteArray binary;
    QStringList names;
    std::vector<Value> values;
    std::vector<CollectionItem> items;
    // Where each piece of a string begins in `text`, and on which line of the text it stands.
    QList<std::pair<qsizetype, int>> pieceLines;
    int line = 0;
};

struct Property {
    QString name;
    QByteArray rawName;
    Value value;
};

struct CollectionItem {
    std::vector<Value> index; // none or one
    std::vector<Property> properties;
};

struct FormObject {
    quint8 flags = 0;
    QString position; // the child position as the text writes it; empty when there is none
    QString className, name;
    QByteArray rawHeader;
    std::vector<Property> properties;
    std::vector<FormObject> children;
};

QString headerText(const FormObject& o)
{
    QString s = (o.flags & kFlagInline)      ? u"inline "_qs
                : (o.flags & kFlagInherited) ? u"inherited "_qs
                                             : u"object "_qs;
    if (!o.name.isEmpty())
        s += o.name + u": "_qs;
    s += o.className;
    if (!o.position.isEmpty())
        s += u" ["_qs + o.position + u']';
    return s;
}

bool isIdentifier(QStringView s)
{
    if (s.isEmpty() || s.front().isDigit() || s.front() == u'.')
        return false;
    for (const QChar c : s)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'.')
            return false;
    return true;
}

bool isKeyword(QStringView s)
{
    for (const QStringView k : {u"object", u"inherited", u"inline", u"end"})
        if (s.compare(k, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Stored numbers are little-endian; floats travel as the integers of their bits.
template <class T> T little(const char* p)
{
    using Bits =
        std::conditional_t<sizeof(T) == 8, quint64, std::conditional_t<sizeof(T) == 4, quint32, quint16>>;
    if constexpr (sizeof(T) == 1)
        return T(*p);
    else
        return std::bit_cast<T>(qFromLittleEndian<Bits>(p));
}

template <class T> void appendLittle(QByteArray& out, T v)
{
    using Bits =
        std::conditional_t<sizeof(T) == 8, quint64, std::conditional_t<sizeof(T) == 4, quint32, quint16>>;
    const Bits bits = qToLittleEndian(std::bit_cast<Bits>(v));
    out.append(reinterpret_cast<const char*>(&bits), sizeof bits);
}

// The x87 80-bit float: a 64-bit mantissa with its integer bit, then sign and a 15-bit exponent.
double extendedToDouble(const char* p)
{
    const quint64 mantissa = little<quint64>(p);
    const quint16 signExp = little<quint16>(p + 8);
    const bool negative = signExp & 0x8000;
    const int exponent = signExp & 0x7FFF;
    double d;
    if (exponent == 0x7FFF)
        d = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
    else
        d = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -d : d;
}

void appendExtended(QByteArray& out, double d)
{
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    const quint16 sign = (bits >> 63) ? 0x8000 : 0;
    const int exp = int((bits >> 52) & 0x7FF);
    const quint64 fraction = bits & ((quint64(1) << 52) - 1);
    constexpr quint64 kTop = quint64(1) << 63;
    quint64 mantissa = 0;
    int e = 0;
    if (exp == 0x7FF) {
        e = 0x7FFF;
        mantissa = kTop | (fraction << 11);
    } else if (exp == 0 && fraction != 0) {
        e = 1 - 1023 + 16383;
        mantissa = fraction << 11;
        while (!(mantissa & kTop)) {
            mantissa <<= 1;
            --e;
        }
    } else if (exp != 0) {
        e = exp - 1023 + 16383;
        mantissa = kTop | (fraction << 11);
    }
    appendLittle<quint64>(out, mantissa);
    appendLittle<quint16>(out, quint16(sign | e));
}

// The shortest digits that read back as the same number, always with a point, so
// the text never mistakes a float for an integer.
template <class F> QString floatText(F f)
{
    if (std::isnan(f))
        return u"NAN"_qs;
    if (std::isinf(f))
        return f < 0 ? u"-INF"_qs : u"INF"_qs;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
    QString s = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!s.contains(u'.')) {
        const qsizetype e = s.indexOf(u'e');
        s.insert(e < 0 ? s.size() : e, u".0");
    }
    return s;
}

QString currencyText(qint64 v)
{
    const bool negative = v < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(v) : quint64(v);
    QString fraction = QString::number(magnitude % 10000).rightJustified(4, u'0');
    while (fraction.size() > 1 && fraction.endsWith(u'0'))
        fraction.chop(1);
    return (negative ? u"-"_qs : QString()) + QString::number(magnitude / 10000) + u'.' + fraction + u'c';
}

// ---------------------------------------------------------------------------------
// The binary form read into a tree, each piece keeping its bytes.

class BinaryReader {
public:
    explicit BinaryReader(QByteArrayView data) : m_data(data) {}

    QString error;
    qsizetype pos = 0;

    bool object(FormObject& o, int depth)
    {
        if (depth > kMaxDepth)
            return fail(u"вложенность глубже %1 уровней на байте %2"_qs.arg(kMaxDepth).arg(pos));
        const qsizetype start = pos;
        quint8 b;
        if (!peek(b))
            return false;
        if ((b & 0xF0) == 0xF0) {
            ++pos;
            o.flags = b & 0x0F;
            if (o.flags & kFlagChildPos) {
                Value v;
                const qsizetype at = pos;
                if (!value(v, depth + 1))
                    return false;
                if (v.type != vaInt8 && v.type != vaInt16 && v.type != vaInt32)
                    return fail(u"позиция объекта на байте %1 — не целое число"_qs.arg(at));
                o.position = v.text;
            }
        }
        QByteArray cls, name;
        const qsizetype namesAt = pos;
        if (!shortString(cls) || !shortString(name))
            return false;
        o.className = identifier(cls, namesAt, false);
        o.name = name.isEmpty() ? QString() : identifier(name, namesAt, false);
        if (!error.isEmpty())
            return false;
        o.rawHeader = m_data.sliced(start, pos - start).toByteArray();
        if (!properties(o.properties, depth))
            return false;
        return untilZero([&](quint8) {
            o.children.emplace_back();
            return object(o.children.back(), depth + 1);
        });
    }

    QByteArray rest() const { return m_data.sliced(pos).toByteArray(); }

private:
    bool fail(const QString& message)
    {
        if (error.isEmpty())
            error = message;
        return false;
    }
    bool need(qsizetype n)
    {
        if (m_data.size() - pos < n)
            return fail(u"данные обрываются на байте %1"_qs.arg(m_data.size()));
        return true;
    }
    // Reads the items of a list up to its closing zero byte, `item` each (given the
    // byte it begins with); false when the bytes end first or an item fails.
    template <class Item> bool untilZero(Item item)
    {
        while (true) {
            quint8 b;
            if (!peek(b))
                return false;
            if (b == 0) {
                ++pos;
                return true;
            }
            if (!item(b))
                return false;
        }
    }
    bool peek(quint8& b)
    {
        if (!need(1))
            return false;
        b = quint8(m_data[pos]);
        return true;
    }
    bool take(qsizetype n, QByteArray* out = nullptr)
    {
        if (!need(n))
            return false;
        if (out)
            *out = m_data.sliced(pos, n).toByteArray();
        pos += n;
        return true;
    }
    bool shortString(QByteArray& out)
    {
        quint8 n;
        return peek(n) && take(1) && take(n, &out);
    }
    // A 32-bit length and what follows it, each `unit` bytes long; the bytes read are in `out`.
    bool counted(int unit, QByteArray& out, qint32& count)
    {
        const qsizetype at = pos;
        if (!need(4))
            return false;
        count = little<qint32>(m_data.data() + pos);
        if (count < 0 || qint64(count) * unit > m_data.size() - pos - 4)
            // The field is unsigned on disk: 0xFFFFFFFF reads as the huge length it claims.
            return fail(u"длина %1 на байте %2 выходит за конец данных"_qs.arg(quint32(count)).arg(at));
        return take(4 + qsizetype(count) * unit, &out);
    }
    // Names the text writes bare must read back as the same name.
    QString identifier(const QByteArray& bytes, qsizetype at, bool property)
    {
        const QString s = QString::fromUtf8(bytes);
        if (!isIdentifier(s) || s.toUtf8() != bytes || (property && isKeyword(s)))
            fail(u"имя «%1» на байте %2 — не идентификатор"_qs.arg(QString::fromLatin1(bytes)).arg(at));
        return s;
    }

    bool properties(std::vector<Property>& list, int depth)
    {
        return untilZero([&](quint8) {
            Property p;
            const qsizetype at = pos;
            if (!shortString(p.rawName))
                return false;
            p.name = identifier(p.rawName, at, true);
            if (!error.isEmpty() || !value(p.value, depth + 1))
                return false;
            list.push_back(std::move(p));
            return true;
        });
    }

    bool value(Value& v, int depth)
    {
        if (depth > kMaxDepth)
            return fail(u"вложенность глубже %1 уровней на байте %2"_qs.arg(kMaxDepth).arg(pos));
        const qsizetype at = pos;
        quint8 type;
        if (!peek(type) || !take(1))
            return false;
        v.type = type;
        const qsizetype payload = pos;
        const auto scalar = [&](qsizetype n) { return take(n, &v.raw); };
        qint32 count = 0;
        switch (type) {
        case vaList:
            v.kind = Value::Kind::List;
            return list(v, depth);
        case vaInt8:
            return scalar(1) && setText(v, QString::number(qint8(v.raw[0])));
        case vaInt16:
            return scalar(2) && setText(v, QString::number(little<qint16>(v.raw.data())));
        case vaInt32:
            return scalar(4) && setText(v, QString::number(little<qint32>(v.raw.data())));
        case vaInt64:
            return scalar(8) && setText(v, QString::number(little<qint64>(v.raw.data())));
        case vaQWord:
            return scalar(8) && setText(v, QString::number(little<quint64>(v.raw.data())));
        case vaExtended:
            return scalar(10) && setText(v, floatText(extendedToDouble(v.raw.data())));
        case vaDouble:
            return scalar(8) && setText(v, floatText(little<double>(v.raw.data())));
        case vaDate:
            return scalar(8) && setText(v, floatText(little<double>(v.raw.data())) + u'd');
        case vaSingle:
            return scalar(4) && setText(v, floatText(little<float>(v.raw.data())) + u's');
        case vaCurrency:
            return scalar(8) && setText(v, currencyText(little<qint64>(v.raw.data())));
        case vaFalse:
            v.text = u"False"_qs;
            return true;
        case vaTrue:
            v.text = u"True"_qs;
            return true;
        case vaNil:
            v.text = u"nil"_qs;
            return true;
        case vaIdent:
            if (!shortString(v.raw))
                return false;
            v.raw.prepend(char(v.raw.size()));
            v.text = identifier(v.raw.sliced(1), payload, false);
            return error.isEmpty();
        case vaString:
            v.kind = Value::Kind::String;
            if (!shortString(v.raw))
                return false;
            v.text = cp1251::decode(v.raw);
            v.raw.prepend(char(v.raw.size()));
            return true;
        case vaLString:
            v.kind = Value::Kind::String;
            if (!counted(1, v.raw, count))
                return false;
            v.text = cp1251::decode(QByteArrayView(v.raw).sliced(4));
            return true;
        case vaUtf8String:
            v.kind = Value::Kind::String;
            if (!counted(1, v.raw, count))
                return false;
            v.text = QString::fromUtf8(QByteArrayView(v.raw).sliced(4));
            return true;
        case vaWString:
            v.kind = Value::Kind::String;
            if (!counted(2, v.raw, count))
                return false;
            v.text.resize(count);
            for (qint32 i = 0; i < count; ++i)
                v.text[i] = QChar(little<quint16>(v.raw.data() + 4 + 2 * i));
            return true;
        case vaBinary:
            v.kind = Value::Kind::Binary;
            if (!counted(1, v.raw, count))
                return false;
            v.binary = v.raw.sliced(4);
            return true;
        case vaSet:
            v.kind = Value::Kind::Set;
            while (true) {
                QByteArray name;
                const qsizetype nameAt = pos;
                if (!shortString(name))
                    return false;
                if (name.isEmpty())
                    break;
                v.names << identifier(name, nameAt, false);
                if (!error.isEmpty())
                    return false;
            }
            v.raw = m_data.sliced(payload, pos - payload).toByteArray();
            return true;
        case vaCollection:
            v.kind = Value::Kind::Collection;
            return collection(v, depth);
        default:
            return fail(u"неизвестный тип значения %1 на байте %2"_qs.arg(type).arg(at));
        }
    }

    static bool setText(Value& v, const QString& text)
    {
        v.text = text;
        return true;
    }

    bool list(Value& v, int depth)
    {
        return untilZero([&](quint8) {
            v.values.emplace_back();
            return value(v.values.back(), depth + 1);
        });
    }

    bool collection(Value& v, int depth)
    {
        return untilZero([&](quint8 b) {
            CollectionItem item;
            if (b == vaInt8 || b == vaInt16 || b == vaInt32) {
                item.index.emplace_back();
                if (!value(item.index.back(), depth + 1))
                    return false;
            }
            const qsizetype at = pos;
            if (!peek(b) || !take(1))
                return false;
            if (b != vaList)
                return fail(u"элемент коллекции на байте %1 не начинается списком"_qs.arg(at));
            if (!properties(item.properties, depth + 1))
                return false;
            v.items.push_back(std::move(item));
            return true;
        });
    }

    QByteArrayView m_data;
};

// ---------------------------------------------------------------------------------
// The tree as text.

bool needsCode(QStringView s, qsizetype i)
{
    const QChar c = s[i];
    if (c.isHighSurrogate())
        return i + 1 >= s.size() || !s[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !s[i - 1].isHighSurrogate();
    const auto category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

QString quoted(QStringView piece)
{
    QString s;
    bool open = false;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (needsCode(piece, i)) {
            if (open)
                s += u'\'';
            open = false;
            s += u'#' + QString::number(piece[i].unicode());
            continue;
        }
        if (!open)
            s += u'\'';
        open = true;
        if (piece[i] == u'\'')
            s += u'\'';
        s += piece[i];
    }
    if (open)
        s += u'\'';
    return s.isEmpty() ? u"''"_qs : s;
}

// A string in the pieces the text puts on lines of their own: each line break ends
// one, and a long run is broken after a blank, so every line holds whole words.
QList<QStringView> stringPieces(QStringView s)
{
    QList<QStringView> pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        qsizetype end = -1;
        if (s[i] == u'\n' && i + 1 < s.size())
            end = i + 1;
        else if (i - start + 1 >= kStringPiece && i + 1 < s.size()) {
            end = i + 1;
            for (qsizetype k = i; k > start; --k)
                if (s[k] == u' ') {
                    end = k + 1;
                    break;
                }
            if (s[end - 1].isHighSurrogate())
                ++end;
        }
        if (end > start) {
            pieces << s.sliced(start, end - start);
            start = end;
            i = end - 1;
        }
    }
    if (start < s.size() || pieces.isEmpty())
        pieces << s.sliced(start);
    return pieces;
}

class TextWriter {
public:
    QString out;

    void object(const FormObject& o, int indent)
    {
        begin(indent);
        m_line += headerText(o);
        finish();
        properties(o.properties, indent + 1);
        for (const FormObject& child : o.children)
            object(child, indent + 1);
        begin(indent);
        m_line += u"end";
        finish();
    }

private:
    void begin(int indent) { m_line = QString(indent * 2, u' '); }
    void finish()
    {
        out += m_line;
        out += u"\r\n";
        m_line.clear();
    }

    void properties(const std::vector<Property>& list, int indent)
    {
        for (const Property& p : list) {
            begin(indent);
            m_line += p.name + u" = "_qs;
            value(p.value, indent);
            finish();
        }
    }

    void value(const Value& v, int indent)
    {
        switch (v.kind) {
        case Value::Kind::Token:
            m_line += v.text;
            return;
        case Value::Kind::String: {
            const QList<QStringView> pieces = stringPieces(v.text);
            int pieceIndent = indent;
            if (pieces.size() > 1 && m_line.endsWith(u" = ")) {
                m_line.chop(1);
                finish();
                begin(++pieceIndent);
            }
            for (qsizetype i = 0; i < pieces.size(); ++i) {
                m_line += quoted(pieces[i]);
                if (i + 1 < pieces.size()) {
                    m_line += u" +";
                    finish();
                    begin(pieceIndent);
                }
            }
            return;
        }
        case Value::Kind::Binary:
            m_line += u'{';
            for (qsizetype at = 0; at < v.binary.size(); at += kBinaryPerLine) {
                finish();
                begin(indent + 1);
                m_line += QString::fromLatin1(
                    v.binary.sliced(at, qMin(kBinaryPerLine, v.binary.size() - at)).toHex().toUpper());
            }
            m_line += u'}';
            return;
        case Value::Kind::Set:
            m_line += u'[' + v.names.join(u", ") + u']';
            return;
        case Value::Kind::List:
            m_line += u'(';
            for (const Value& element : v.values) {
                finish();
                begin(indent + 1);
                value(element, indent + 1);
            }
            m_line += u')';
            return;
        case Value::Kind::Collection:
            m_line += u'<';
            for (const CollectionItem& item : v.items) {
                finish();
                begin(indent + 1);
                m_line += u"item";
                if (!item.index.empty())
                    m_line += u" ["_qs + item.index.front().text + u']';
                finish();
                properties(item.properties, indent + 2);
                begin(indent + 1);
                m_line += u"end";
            }
            m_line += u'>';
            return;
        }
    }

    QString m_line;
};

// ---------------------------------------------------------------------------------
// The text read back into a tree.

struct Token {
    enum class Kind { End, Identifier, Number, String, Symbol };
    Kind kind = Kind::End;
    QString text; // an identifier or number as written, a string's characters, a symbol
    QList<std::pair<qsizetype, int>> pieceLines;
    int line = 1;
};

class TextReader {
public:
    explicit TextReader(QStringView text) : m_text(text) { advance(); }

    QString error;

    bool form(FormObject& root)
    {
        if (!object(root, 0))
            return false;
        if (m_token.kind != Token::Kind::End)
            return fail(u"после формы идёт ещё текст"_qs);
        return true;
    }

private:
    bool fail(const QString& message)
    {
        if (error.isEmpty())
            error = u"строка %1: %2"_qs.arg(m_token.line).arg(message);
        return false;
    }
    bool isSymbol(QChar c) const { return m_token.kind == Token::Kind::Symbol && m_token.text == c; }
    bool expectSymbol(QChar c)
    {
        if (!isSymbol(c))
            return fail(u"ожидался знак «%1»"_qs.arg(c));
        return advance();
    }
    bool isWord(QStringView w) const
    {
        return m_token.kind == Token::Kind::Identifier && m_token.text.compare(w, Qt::CaseInsensitive) == 0;
    }
    bool identifier(QString& out)
    {
        if (m_token.kind != Token::Kind::Identifier)
            return fail(u"ожидалось имя"_qs);
        out = m_token.text;
        return advance();
    }

    void skipBlanks()
    {
        while (m_at < m_text.size() && m_text[m_at].isSpace()) {
            if (m_text[m_at] == u'\n')
                ++m_line;
            ++m_at;
        }
    }

    bool advance()
    {
        if (!error.isEmpty())
            return false;
        skipBlanks();
        m_token = Token();
        m_token.line = m_line;
        if (m_at >= m_text.size())
            return true;
        const QChar c = m_text[m_at];
        if (c == u'\'' || c == u'#')
            return stringToken();
        // A sign before a letter too: infinity is written "-INF".
        if (c.isDigit() || c == u'$' ||
            ((c == u'-' || c == u'+') && m_at + 1 < m_text.size() && m_text[m_at + 1].isLetterOrNumber())) {
            const qsizetype start = m_at++;
            while (m_at < m_text.size()) {
                const QChar d = m_text[m_at];
                const bool sign =
                    (d == u'-' || d == u'+') && (m_text[m_at - 1] == u'e' || m_text[m_at - 1] == u'E');
                if (!d.isLetterOrNumber() && d != u'.' && !sign)
                    break;
                ++m_at;
            }
            m_token.kind = Token::Kind::Number;
            m_token.text = m_text.sliced(start, m_at - start).toString();
            return true;
        }
        if (c.isLetter() || c == u'_' || c.isSurrogate()) {
            const qsizetype start = m_at;
            while (m_at < m_text.size() && (m_text[m_at].isLetterOrNumber() || m_text[m_at] == u'_' ||
                                            m_text[m_at] == u'.' || m_text[m_at].isSurrogate()))
                ++m_at;
            m_token.kind = Token::Kind::Identifier;
            m_token.text = m_text.sliced(start, m_at - start).toString();
            return true;
        }
        m_token.kind = Token::Kind::Symbol;
        m_token.text = c;
        ++m_at;
        return true;
    }

    // Quoted runs and #nnn codes written together are one string.
    bool stringToken()
    {
        m_token.kind = Token::Kind::String;
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == u'\'') {
                ++m_at;
                while (true) {
                    if (m_at >= m_text.size() || m_text[m_at] == u'\n' || m_text[m_at] == u'\r')
                        return fail(u"строка не закрыта кавычкой"_qs);
                    if (m_text[m_at] == u'\'') {
                        if (m_at + 1 < m_text.size() && m_text[m_at + 1] == u'\'') {
                            m_token.text += u'\'';
                            m_at += 2;
                            continue;
                        }
                        ++m_at;
                        break;
                    }
                    m_token.text += m_text[m_at++];
                }
            } else if (c == u'#') {
                qsizetype end = ++m_at;
                const bool hex = end < m_text.size() && m_text[end] == u'$';
                if (hex)
                    ++end;
                while (end < m_text.size() && end - m_at < 12 &&
                       (hex ? m_text[end].unicode() < 128 && isxdigit(m_text[end].unicode())
                            : m_text[end].isDigit()))
                    ++end;
                bool ok = false;
                const uint code = m_text.sliced(m_at + (hex ? 1 : 0), end - m_at - (hex ? 1 : 0))
                                      .toUInt(&ok, hex ? 16 : 10);
                if (!ok || code > 0x10FFFF)
                    return fail(u"неверный код знака после «#»"_qs);
                if (code > 0xFFFF)
                    m_token.text += QChar::fromUcs4(code);
                else
                    m_token.text += QChar(char16_t(code));
                m_at = end;
            } else {
                break;
            }
        }
        return true;
    }

    // Each piece of a string joined by "+" remembers its line, for messages about its characters.
    bool stringValue(Value& v)
    {
        v.kind = Value::Kind::String;
        while (true) {
            v.pieceLines << std::pair(v.text.size(), m_token.line);
            v.text += m_token.text;
            if (!advance())
                return false;
            if (!isSymbol(u'+'))
                return true;
            if (!advance())
                return false;
            if (m_token.kind != Token::Kind::String)
                return fail(u"после «+» ожидалась строка"_qs);
        }
    }

    bool binaryValue(Value& v)
    {
        // The hex runs up to the closing brace, whatever blanks and lines divide it.
        v.kind = Value::Kind::Binary;
        QByteArray digits;
        while (true) {
            if (m_at >= m_text.size())
                return fail(u"нет «}», закрывающей двоичные данные"_qs);
            const QChar c = m_text[m_at++];
            if (c == u'}')
                break;
            if (c == u'\n')
                ++m_line;
            if (c.isSpace())
                continue;
            if (c.unicode() >= 128 || !isxdigit(c.unicode())) {
                m_token.line = m_line;
                return fail(u"в двоичных данных не шестнадцатеричная цифра «%1»"_qs.arg(c));
            }
            digits += char(c.unicode());
        }
        if (digits.size() % 2)
            return fail(u"в двоичных данных нечётное число цифр"_qs);
        v.binary = QByteArray::fromHex(digits);
        return advance();
    }

    bool value(Value& v, int depth)
    {
        if (depth > kMaxDepth)
            return fail(u"вложенность глубже %1 уровней"_qs.arg(kMaxDepth));
        v.line = m_token.line;
        switch (m_token.kind) {
        case Token::Kind::String:
            return stringValue(v);
        case Token::Kind::Identifier:
        case Token::Kind::Number:
            v.text = m_token.text;
            return advance();
        case Token::Kind::End:
            return fail(u"текст кончается, а значения нет"_qs);
        case Token::Kind::Symbol:
            break;
        }
        if (isSymbol(u'{'))
            return binaryValue(v);
        if (isSymbol(u'[')) {
            v.kind = Value::Kind::Set;
            if (!advance())
                return false;
            while (!isSymbol(u']')) {
                if (!v.names.isEmpty() && !expectSymbol(u','))
                    return false;
                QString name;
                if (!identifier(name))
                    return false;
                v.names << name;
            }
            return advance();
        }
        if (isSymbol(u'(')) {
            v.kind = Value::Kind::List;
            if (!advance())
                return false;
            while (!isSymbol(u')')) {
                v.values.emplace_back();
                if (!value(v.values.back(), depth + 1))
                    return false;
            }
            return advance();
        }
        if (isSymbol(u'<')) {
            v.kind = Value::Kind::Collection;
            if (!advance())
                return false;
            while (!isSymbol(u'>')) {
                if (!isWord(u"item"))
                    return fail(u"ожидалось «item»"_qs);
                CollectionItem item;
                if (!advance())
                    return false;
                if (isSymbol(u'[')) {
                    item.index.emplace_back();
                    if (!advance() || !value(item.index.back(), depth + 1) || !expectSymbol(u']'))
                        return false;
                }
                if (!properties(item.properties, depth + 1))
                    return false;
                if (!isWord(u"end"))
                    return fail(u"ожидалось «end»"_qs);
                if (!advance())
                    return false;
                v.items.push_back(std::move(item));
            }
            return advance();
        }
        return fail(u"ожидалось значение, а не «%1»"_qs.arg(m_token.text));
    }

    // Properties up to the first nested object or "end"; an item's "end" is taken here.
    bool properties(std::vector<Property>& list, int depth)
    {
        while (m_token.kind == Token::Kind::Identifier && !isKeyword(m_token.text)) {
            Property p;
            p.name = m_token.text;
            if (!advance() || !expectSymbol(u'=') || !value(p.value, depth + 1))
                return false;
            list.push_back(std::move(p));
        }
        return true;
    }

    bool object(FormObject& o, int depth)
    {
        if (depth > kMaxDepth)
            return fail(u"вложенность глубже %1 уровней"_qs.arg(kMaxDepth));
        if (isWord(u"inherited"))
            o.flags = kFlagInherited;
        else if (isWord(u"inline"))
            o.flags = kFlagInline;
        else if (!isWord(u"object"))
            return fail(u"ожидалось «object»"_qs);
        QString first;
        if (!advance() || !identifier(first))
            return false;
        if (isSymbol(u':')) {
            o.name = first;
            if (!advance() || !identifier(o.className))
                return false;
        } else {
            o.className = first;
        }
        if (isSymbol(u'[')) {
            if (!advance())
                return false;
            if (m_token.kind != Token::Kind::Number)
                return fail(u"ожидалось число"_qs);
            o.position = m_token.text;
            o.flags |= kFlagChildPos;
            if (!advance() || !expectSymbol(u']'))
                return false;
        }
        if (!properties(o.properties, depth))
            return false;
        while (!isWord(u"end")) {
            if (m_token.kind != Token::Kind::Identifier)
                return fail(u"ожидалось «end»"_qs);
            o.children.emplace_back();
            if (!object(o.children.back(), depth + 1))
                return false;
        }
        return advance();
    }

    QStringView m_text;
    qsizetype m_at = 0;
    int m_line = 1;
    Token m_token;
};

// ---------------------------------------------------------------------------------
// The tree from the text back into bytes, the original's tree alongside.

bool isIntegerType(quint8 t)
{
    return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64 || t == vaQWord;
}
bool isFloatType(quint8 t)
{
    return t == vaExtended || t == vaSingle || t == vaCurrency || t == vaDate || t == vaDouble;
}

class BinaryWriter {
public:
    QByteArray out;
    QString error;
    bool ansiIsUtf8 = false; // ANSI strings go out in UTF-8, as the original form's did

    bool object(const FormObject& o, const FormObject* original)
    {
        if (original && headerText(*original) == headerText(o)) {
            out += original->rawHeader;
        } else {
            if (o.flags)
                out += char(0xF0 | o.flags);
            if (!o.position.isEmpty()) {
                Value v;
                v.text = o.position;
                if (!integer(v, nullptr))
                    return false;
            }
            if (!shortString(o.className.toUtf8()) || !shortString(o.name.toUtf8()))
                return false;
        }
        if (!properties(o.properties, original ? &original->properties : nullptr))
            return false;
        for (size_t i = 0; i < o.children.size(); ++i) {
            const FormObject* match = nullptr;
            if (original && i < original->children.size() &&
                original->children[i].name == o.children[i].name &&
                original->children[i].className == o.children[i].className)
                match = &original->children[i];
            if (!object(o.children[i], match))
                return false;
        }
        out += char(vaNull);
        return true;
    }

private:
    bool fail(int line, const QString& message)
    {
        if (error.isEmpty())
            error = u"строка %1: %2"_qs.arg(line).arg(message);
        return false;
    }

    bool shortString(const QByteArray& bytes, int line = 0)
    {
        if (bytes.size() > 255)
            return fail(line, u"имя длиннее 255 байт"_qs);
        out += char(bytes.size());
        out += bytes;
        return true;
    }

    bool properties(const std::vector<Property>& list, const std::vector<Property>* original)
    {
        for (size_t i = 0; i < list.size(); ++i) {
            const Property& p = list[i];
            const Property* match = nullptr;
            if (original && i < original->size() && (*original)[i].name == p.name)
                match = &(*original)[i];
            for (size_t k = 0; original && !match && k < original->size(); ++k)
                if ((*original)[k].name == p.name)
                    match = &(*original)[k];
            if (match)
                out += char(match->rawName.size()) + match->rawName;
            else if (!shortString(p.name.toUtf8(), p.value.line))
                return false;
            if (!value(p.value, match ? &match->value : nullptr))
                return false;
        }
        out += char(vaNull);
        return true;
    }

    static bool sameAsOriginal(const Value& v, const Value& o)
    {
        if (v.kind != o.kind)
            return false;
        switch (v.kind) {
        case Value::Kind::Token:
        case Value::Kind::String:
            return v.text == o.text;
        case Value::Kind::Binary:
            return v.binary == o.binary;
        case Value::Kind::Set:
            return v.names == o.names;
        default:
            return false;
        }
    }

    bool value(const Value& v, const Value* original)
    {
        if (original && sameAsOriginal(v, *original)) {
            out += char(original->type);
            out += original->raw;
            return true;
        }
        const Value* sameKind = original && original->kind == v.kind ? original : nullptr;
        switch (v.kind) {
        case Value::Kind::Token:
            return token(v, original);
        case Value::Kind::String:
            return string(v, sameKind ? sameKind->type : quint8(vaNull));
        case Value::Kind::Binary:
            out += char(vaBinary);
            appendLittle<qint32>(out, qint32(v.binary.size()));
            out += v.binary;
            return true;
        case Value::Kind::Set:
            out += char(vaSet);
            for (const QString& name : v.names)
                if (!shortString(name.toUtf8(), v.line))
                    return false;
            out += char(0);
            return true;
        case Value::Kind::List:
            out += char(vaList);
            for (size_t i = 0; i < v.values.size(); ++i) {
                const Value* match = sameKind && i < sameKind->values.size() ? &sameKind->values[i] : nullptr;
                if (!value(v.values[i], match))
                    return false;
            }
            out += char(vaNull);
            return true;
        case Value::Kind::Collection:
            out += char(vaCollection);
            for (size_t i = 0; i < v.items.size(); ++i) {
                const CollectionItem* match =
                    sameKind && i < sameKind->items.size() ? &sameKind->items[i] : nullptr;
                const CollectionItem& item = v.items[i];
                if (!item.index.empty()) {
                    const Value* index = match && !match->index.empty() ? &match->index.front() : nullptr;
                    if (!value(item.index.front(), index))
                        return false;
                }
                out += char(vaList);
                if (!properties(item.properties, match ? &match->properties : nullptr))
                    return false;
            }
            out += char(vaNull);
            return true;
        }
        return false;
    }

    bool token(const Value& v, const Value* original)
    {
        const QString& t = v.text;
        if (!t.isEmpty() && (t[0].isDigit() || t[0] == u'-' || t[0] == u'+' || t[0] == u'$')) {
            const bool isFloat =
                !t.startsWith(u'$') && !t.startsWith(u"-$") &&
                (t.contains(u'.') || t.contains(u'e') || t.contains(u'E') || t.back().isLetter());
            const quint8 preferred = original ? original->type : vaNull;
            if (isFloat || isFloatType(preferred))
                return floating(v, preferred);
            return integer(v, original);
        }
        // Delphi reads these words in any letter case, yet a form may hold an identifier
        // spelled so ("TrUe"): the original's type tells them apart, and without one only
        // the spelling the text writes for them counts.
        const auto names = [&](QStringView word) {
            if (!original)
                return t == word;
            return original->type != vaIdent && t.compare(word, Qt::CaseInsensitive) == 0;
        };
        if (names(u"True"))
            out += char(vaTrue);
        else if (names(u"False"))
            out += char(vaFalse);
        else if (names(u"nil"))
            out += char(vaNil);
        else {
            out += char(vaIdent);
            return shortString(t.toUtf8(), v.line);
        }
        return true;
    }

    bool integer(const Value& v, const Value* original)
    {
        QStringView t = v.text;
        bool negative = false;
        if (t.startsWith(u'-') || t.startsWith(u'+')) {
            negative = t.front() == u'-';
            t = t.sliced(1);
        }
        bool ok = false;
        const quint64 magnitude =
            t.startsWith(u'$') ? t.sliced(1).toULongLong(&ok, 16) : t.toULongLong(&ok, 10);
        if (!ok || (negative && magnitude > quint64(1) << 63))
            return fail(v.line, u"«%1» — не число"_qs.arg(v.text));
        const qint64 n = negative ? qint64(quint64(0) - magnitude) : qint64(magnitude);
        const bool huge = !negative && magnitude > quint64(std::numeric_limits<qint64>::max());
        const auto fits = [&](quint8 type) {
            switch (type) {
            case vaInt8:
                return !huge && n >= -128 && n <= 127;
            case vaInt16:
                return !huge && n >= -32768 && n <= 32767;
            case vaInt32:
                return !huge && n >= std::numeric_limits<qint32>::min() &&
                       n <= std::numeric_limits<qint32>::max();
            case vaInt64:
                return !huge;
            case vaQWord:
                return !negative;
            default:
                return false;
            }
        };
        quint8 type =
            original && isIntegerType(original->type) && fits(original->type) ? original->type : vaNull;
        for (const quint8 t2 : {vaInt8, vaInt16, vaInt32, vaInt64, vaQWord})
            if (type == vaNull && fits(t2))
                type = t2;
        out += char(type);
        switch (type) {
        case vaInt8:
            out += char(qint8(n));
            break;
        case vaInt16:
            appendLittle<qint16>(out, qint16(n));
            break;
        case vaInt32:
            appendLittle<qint32>(out, qint32(n));
            break;
        default:
            appendLittle<quint64>(out, quint64(n));
            break;
        }
        return true;
    }

    bool floating(const Value& v, quint8 preferred)
    {
        QString t = v.text;
        QChar suffix;
        if (t.size() > 1 && QStringView(u"sScCdD").contains(t.back())) {
            suffix = t.back().toLower();
            t.chop(1);
        }
        quint8 type = isFloatType(preferred) ? preferred
                      : suffix == u's'       ? vaSingle
                      : suffix == u'c'       ? vaCurrency
                      : suffix == u'd'       ? vaDate
                                             : vaExtended;
        const QByteArray digits = t.toLatin1();
        const char* first = digits.constData();
        const char* last = first + digits.size();
        if (*first == '+')
            ++first;
        const auto bad = [&] { return fail(v.line, u"«%1» — не число"_qs.arg(v.text)); };
        out += char(type);
        if (type == vaCurrency) {
            // Read exactly: a double cannot hold every amount of four decimals.
            static const QRegularExpression exact(u"^([+-]?)(\\d{1,15})(?:\\.(\\d{1,4}))?$"_qs);
            const auto m = exact.match(t);
            if (m.hasMatch()) {
                const bool negative = m.captured(1) == u"-";
                const quint64 units =
                    m.captured(2).toULongLong() * 10000 + m.captured(3).leftJustified(4, u'0').toULongLong();
                if (units > quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0))
                    return bad();
                appendLittle<qint64>(out, negative ? qint64(quint64(0) - units) : qint64(units));
                return true;
            }
        }
        if (type == vaSingle) {
            float f;
            const auto r = std::from_chars(first, last, f);
            if (r.ec != std::errc() || r.ptr != last)
                return bad();
            appendLittle<float>(out, f);
            return true;
        }
        double d;
        const auto r = std::from_chars(first, last, d);
        if (r.ec != std::errc() || r.ptr != last)
            return bad();
        if (type == vaExtended)
            appendExtended(out, d);
        else if (type == vaCurrency)
            appendLittle<qint64>(out, qint64(std::llround(d * 10000)));
        else
            appendLittle<double>(out, d);
        return true;
    }

    bool string(const Value& v, quint8 preferred)
    {
        QByteArray bytes;
        qsizetype bad = -1;
        const bool ansi = preferred == vaString || preferred == vaLString || preferred == vaNull;
        if (ansi && ansiIsUtf8) {
            bytes = v.text.toUtf8();
        } else if (ansi && !cp1251::encode(v.text, bytes, &bad)) {
            if (preferred == vaNull)
                return string(v, vaWString);
            int line = v.line;
            for (const auto& [offset, pieceLine] : v.pieceLines)
                if (offset <= bad)
                    line = pieceLine;
            return fail(line, u"знака «%1» нет в кодировке Windows-1251"_qs.arg(v.text.mid(bad, 1)));
        } else if (ansi && preferred == vaNull && !readsAsWindows1251(bytes)) {
            // Windows-1251 bytes that read as UTF-8 would make the form pass for a Lazarus one.
            return string(v, vaWString);
        }
        if (ansi) {
            if (preferred != vaLString && bytes.size() <= 255) {
                out += char(vaString);
                out += char(bytes.size());
            } else {
                out += char(vaLString);
                appendLittle<qint32>(out, qint32(bytes.size()));
            }
            out += bytes;
        } else if (preferred == vaUtf8String) {
            bytes = v.text.toUtf8();
            out += char(vaUtf8String);
            appendLittle<qint32>(out, qint32(bytes.size()));
            out += bytes;
        } else {
            out += char(vaWString);
            appendLittle<qint32>(out, qint32(v.text.size()));
            for (const QChar c : v.text)
                appendLittle<quint16>(out, c.unicode());
        }
        return true;
    }
};

struct ReadForm {
    FormObject root;
    QByteArray trailer; // bytes after the form, kept as they were
    QString error;
    bool ansiIsUtf8 = false; // its ANSI strings hold UTF-8 (a Lazarus form), not Windows-1251
};

// Every property of an object and of what it holds (children, collection items),
// and every value (list elements too), each handed to `visit`.
template <typename Visit> void forEachProperty(FormObject& o, const Visit& visit)
{
    const auto values = [&](auto& self, Value& v) -> void {
        for (Value& element : v.values)
            self(self, element);
        for (CollectionItem& item : v.items)
            for (Property& p : item.properties) {
                visit(p.name, p.value);
                self(self, p.value);
            }
    };
    for (Property& p : o.properties) {
        visit(p.name, p.value);
        values(values, p.value);
    }
    for (FormObject& child : o.children)
        forEachProperty(child, visit);
}

// Whether a form names the LCL version it was made with, as every Lazarus form does.
bool namesLclVersion(FormObject& root)
{
    bool lcl = false;
    forEachProperty(root, [&lcl](const QString& name, const Value&) {
        lcl = lcl || name.compare(u"LCLVersion"_qs, Qt::CaseInsensitive) == 0;
    });
    return lcl;
}

// The characters of an ANSI string value (vaString, vaLString) as stored.
QByteArrayView ansiBytes(const Value& v) { return QByteArrayView(v.raw).sliced(v.type == vaString ? 1 : 4); }

// Lazarus stores a form's ANSI strings in UTF-8 and Delphi in the code page of the
// system (Windows-1251 here): a form is taken for Lazarus when it names its LCL
// version, or when every ANSI string beyond ASCII in it is well-formed UTF-8, which
// Cyrillic in Windows-1251 practically never is. Its strings are then read as UTF-8.
void readAnsiAsLazarusDoes(ReadForm& form)
{
    bool beyondAscii = false, allUtf8 = true;
    forEachProperty(form.root, [&](const QString&, const Value& v) {
        if (v.type != vaString && v.type != vaLString)
            return;
        const QByteArrayView bytes = ansiBytes(v);
        if (isAscii(bytes))
            return;
        beyondAscii = true;
        allUtf8 = allUtf8 && !readsAsWindows1251(bytes);
    });
    form.ansiIsUtf8 = namesLclVersion(form.root) || (beyondAscii && allUtf8);
    if (form.ansiIsUtf8)
        forEachProperty(form.root, [](const QString&, Value& v) {
            if (v.type == vaString || v.type == vaLString)
                v.text = QString::fromUtf8(ansiBytes(v));
        });
}

ReadForm readForm(QByteArrayView data)
{
    ReadForm form;
    if (!isBinaryForm(data)) {
        form.error = u"данные не начинаются с «TPF0»"_qs;
        return form;
    }
    // Positions are told from the start of the resource, signature included.
    BinaryReader reader(data);
    reader.pos = 4;
    if (!reader.object(form.root, 0)) {
        form.error = reader.error;
        return form;
    }
    form.trailer = reader.rest();
    readAnsiAsLazarusDoes(form);
    return form;
}

} // namespace

bool isBinaryForm(QByteArrayView data) { return data.startsWith("TPF0"); }

FormText formToText(const QByteArray& tpf0)
{
    const ReadForm form = readForm(tpf0);
    if (!form.error.isEmpty())
        return {QString(), form.error};
    TextWriter writer;
    writer.object(form.root, 0);
    return {writer.out, QString()};
}

FormBinary formFromText(const QString& text, const QByteArray& original)
{
    ReadForm templ;
    if (!original.isEmpty()) {
        templ = readForm(original);
        if (!templ.error.isEmpty())
            return {QByteArray(), u"исходная форма не читается: "_qs + templ.error};
    }
    FormObject root;
    TextReader reader(text);
    if (!reader.form(root))
        return {QByteArray(), reader.error};
    BinaryWriter writer;
    // Without the original, a form naming its LCL version is a Lazarus one, as a reader takes it.
    writer.ansiIsUtf8 = original.isEmpty() ? namesLclVersion(root) : templ.ansiIsUtf8;
    writer.out = "TPF0";
    const bool sameRoot =
        !original.isEmpty() && templ.root.name == root.name && templ.root.className == root.className;
    if (!writer.object(root, sameRoot ? &templ.root : nullptr))
        return {QByteArray(), writer.error};
    if (sameRoot)
        writer.out += templ.trailer;
    return {writer.out, QString()};
}

} // namespace kvarsel
