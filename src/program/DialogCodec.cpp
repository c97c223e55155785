#include "program/ResourceBytes.h"
#include "program/ResourceCodecs.h"
#include "text/Cp1251.h"

namespace kvarsel {
namespace {

constexpr quint32 kChildVisible =
    0x50000000; // WS_CHILD | WS_VISIBLE, what every control has unless taken away
constexpr quint32 kCaption = 0x00C00000, kSetFont = 0x40;
constexpr quint32 kDefaultDialogStyle = 0x80880000; // WS_POPUP | WS_BORDER | WS_SYSMENU
constexpr quint32 kGroup = 0x20000, kTabStop = 0x10000;
constexpr quint16 kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83, kScrollBar = 0x84,
                  kComboBox = 0x85;
// More controls than a dialog can show; a template that claims more is damaged.
constexpr int kMaxControls = 65535;

enum class TextShape { Text, None, Icon };

// The statements that stand for a control of a predefined class: the style bits
// the statement always gives (which only NOT takes away), and those it adds when
// no style is written. Measured on the resource compiler.
struct Statement {
    const char16_t* word;
    quint16 windowClass;
    quint32 typeMask, type; // the style's type bits the statement fixes
    quint32 base, extra;
    TextShape shape;
};
constexpr Statement kStatements[] = {
    {u"LTEXT", kStatic, 0x1F, 0x0, kChildVisible | 0x0, kGroup, TextShape::Text},
    {u"CTEXT", kStatic, 0x1F, 0x1, kChildVisible | 0x1, kGroup, TextShape::Text},
    {u"RTEXT", kStatic, 0x1F, 0x2, kChildVisible | 0x2, kGroup, TextShape::Text},
    {u"ICON", kStatic, 0x1F, 0x3, kChildVisible | 0x3, 0, TextShape::Icon},
    {u"PUSHBUTTON", kButton, 0xF, 0x0, kChildVisible | kTabStop | 0x0, 0, TextShape::Text},
    {u"DEFPUSHBUTTON", kButton, 0xF, 0x1, kChildVisible | kTabStop | 0x1, 0, TextShape::Text},
    {u"CHECKBOX", kButton, 0xF, 0x2, kChildVisible | kTabStop | 0x2, 0, TextShape::Text},
    {u"AUTOCHECKBOX", kButton, 0xF, 0x3, kChildVisible | kTabStop | 0x3, 0, TextShape::Text},
    {u"RADIOBUTTON", kButton, 0xF, 0x4, kChildVisible | 0x4, kTabStop, TextShape::Text},
    {u"STATE3", kButton, 0xF, 0x5, kChildVisible | 0x5, kTabStop, TextShape::Text},
    {u"AUTO3STATE", kButton, 0xF, 0x6, kChildVisible | 0x6, kTabStop, TextShape::Text},
    {u"GROUPBOX", kButton, 0xF, 0x7, kChildVisible | 0x7, 0, TextShape::Text},
    {u"AUTORADIOBUTTON", kButton, 0xF, 0x9, kChildVisible | 0x9, kTabStop, TextShape::Text},
    {u"EDITTEXT", kEdit, 0, 0, kChildVisible | 0x00800000 | kTabStop, 0, TextShape::None},
    {u"LISTBOX", kListBox, 0, 0, kChildVisible | 0x00800000 | 0x1, 0, TextShape::None},
    {u"COMBOBOX", kComboBox, 0, 0, kChildVisible, kTabStop | 0x1, TextShape::None},
    {u"SCROLLBAR", kScrollBar, 0, 0, kChildVisible, 0, TextShape::None},
};

QString damaged() { return QStringLiteral("диалог повреждён: данные обрываются"); }

std::optional<NameOrOrdinal> readNameOrOrdinal(ByteReader& in)
{
    const auto first = in.read<quint16>();
    if (!first)
        return std::nullopt;
    NameOrOrdinal v;
    if (*first == 0xFFFF) {
        const auto n = in.read<quint16>();
        if (!n)
            return std::nullopt;
        v.isOrdinal = true;
        v.ordinal = *n;
        return v;
    }
    if (*first == 0)
        return v;
    const auto rest = in.string();
    if (!rest)
        return std::nullopt;
    v.name = QChar(char16_t(*first)) + *rest;
    return v;
}

void writeNameOrOrdinal(ByteWriter& out, const NameOrOrdinal& v)
{
    if (v.isOrdinal) {
        out.put<quint16>(0xFFFF);
        out.put<quint16>(v.ordinal);
    } else {
        out.string(v.name);
    }
}

// A menu, class or text as a script names it: a number, or a string.
void appendScriptName(rc::ScriptText& out, const NameOrOrdinal& v)
{
    if (v.isOrdinal)
        rc::appendNumber(out, v.ordinal);
    else
        rc::appendQuoted(out, v.name);
}

NameOrOrdinal parseNameOrOrdinal(rc::ScriptReader& in)
{
    NameOrOrdinal v;
    if (in.startsString()) {
        v.name = in.textString();
    } else if (in.startsNumber()) {
        v.isOrdinal = true;
        v.ordinal = quint16(in.number());
    } else if (in.peek().kind == rc::Token::Word) {
        v.name = in.take().text.toUpper(); // a bare name, as the resource compiler files it
    } else {
        in.fail(QStringLiteral("ожидается имя или число"));
    }
    return v;
}

// The style as a statement with `base` writes it: the bits beyond the base or-ed
// in (a CONTROL's style whole, as decompilers write it), the base's bits the
// control lacks taken away with NOT.
void appendStyle(rc::ScriptText& out, quint32 style, quint32 base, bool whole)
{
    const quint32 off = base & ~style;
    const quint32 on = whole ? style : style & ~base;
    if (on || !off)
        rc::appendHex(out, on);
    if (off) {
        out += on ? u" | NOT " : u"NOT ";
        rc::appendHex(out, off);
    }
}

// `parenthesized`: a negative number in parentheses, for the DIALOG statement's line,
// where windres takes a minus right after DIALOG for something else.
void appendCoordinates(rc::ScriptText& out, qint16 x, qint16 y, qint16 cx, qint16 cy,
                       bool parenthesized = false)
{
    const qint16 place[] = {x, y, cx, cy};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            out += u", ";
        const bool wrap = parenthesized && place[i] < 0;
        if (wrap)
            out += u'(';
        rc::appendNumber(out, place[i]);
        if (wrap)
            out += u')';
    }
}

void appendControlId(rc::ScriptText& out, quint32 id, bool extended)
{
    if (id == (extended ? 0xFFFFFFFFu : 0xFFFFu))
        out += u"-1";
    else
        rc::appendNumber(out, id);
}

const Statement* statementFor(const DialogItemTemplate& c)
{
    if (!c.windowClass.isOrdinal)
        return nullptr;
    for (const Statement& s : kStatements) {
        if (s.windowClass != c.windowClass.ordinal || (c.style & s.typeMask) != s.type)
            continue;
        switch (s.shape) {
        case TextShape::Text:
            if (c.text.isOrdinal)
                continue;
            break;
        case TextShape::None:
            if (!c.text.isEmpty())
                continue;
            break;
        case TextShape::Icon:
            // The resource compiler files an ICON's name in capitals and gives it no
            // size of its own: only a number at size 0 comes back the same.
            if (!c.text.isOrdinal || c.cx != 0 || c.cy != 0)
                continue;
            break;
        }
        return &s;
    }
    return nullptr;
}

// The control's statement, and its creation data, appended to `out`; false, with
// `why`, when the script cannot hold the control.
bool appendControl(rc::ScriptText& out, const DialogItemTemplate& c, bool extended, QString& why)
{
    if (!c.text.isOrdinal && !scriptCanHold(c.text.name, false, why))
        return false;
    if (!c.windowClass.isOrdinal && !scriptCanHold(c.windowClass.name, false, why))
        return false;
    if (!extended && (c.helpId || !c.creationData.isEmpty())) {
        why = QStringLiteral("у элемента %1 данные, которые DIALOG не записывает").arg(c.id);
        return false;
    }
    if (c.creationData.size() % 2) {
        why = QStringLiteral("у элемента %1 нечётное число байтов данных создания").arg(c.id);
        return false;
    }
    // Style, extended style, help id: each is written once a later one is.
    if (const Statement* s = statementFor(c)) {
        out += u"    ";
        out += QStringView(s->word);
        out += u' ';
        if (s->shape != TextShape::None) {
            appendScriptName(out, c.text);
            out += u", ";
        }
        appendControlId(out, c.id, extended);
        out += u", ";
        appendCoordinates(out, c.x, c.y, c.cx, c.cy);
        if (c.exStyle || c.helpId || c.style != (s->base | s->extra)) {
            out += u", ";
            appendStyle(out, c.style, s->base, false);
        }
    } else {
        out += u"    CONTROL ";
        appendScriptName(out, c.text);
        out += u", ";
        appendControlId(out, c.id, extended);
        out += u", ";
        appendScriptName(out, c.windowClass);
        out += u", ";
        appendStyle(out, c.style, kChildVisible, true);
        out += u", ";
        appendCoordinates(out, c.x, c.y, c.cx, c.cy);
    }
    if (c.exStyle || c.helpId) {
        out += u", ";
        rc::appendHex(out, c.exStyle);
    }
    if (c.helpId) {
        out += u", ";
        rc::appendNumber(out, c.helpId);
    }
    out += u"\r\n";
    if (!c.creationData.isEmpty()) {
        out += u"    BEGIN\r\n        ";
        for (qsizetype i = 0; i < c.creationData.size(); i += 2) {
            if (i)
                out += u", ";
            rc::appendHex(out, qFromLittleEndian<quint16>(c.creationData.constData() + i));
        }
        out += u"\r\n    END\r\n";
    }
    return true;
}

// Creation data: numbers (a word each, or a double word after L) and strings.
QByteArray parseCreationData(rc::ScriptReader& in)
{
    in.expectBegin();
    ByteWriter out;
    while (!in.takeEnd()) {
        if (in.atEnd())
            in.fail(QStringLiteral("данные элемента не закрыты словом END"));
        if (in.startsString()) {
            // A narrow string gives its bytes in the code page, a wide one its UTF-16 units.
            const bool wide = in.peek().wide;
            const QString text = in.string();
            if (wide) {
                for (const QChar ch : text)
                    out.put<quint16>(ch.unicode());
            } else {
                for (const QChar ch : text)
                    out.put<quint8>(quint8(cp1251::charCode(ch)));
            }
        } else {
            const bool dword =
                in.peek().kind == rc::Token::Number && in.peek().text.endsWith(u'L', Qt::CaseInsensitive);
            const quint32 v = in.number();
            if (dword)
                out.put<quint32>(v);
            else
                out.put<quint16>(quint16(v));
        }
        in.takeComma();
    }
    return out.data();
}

DialogItemTemplate parseControl(rc::ScriptReader& in, bool extended)
{
    DialogItemTemplate c;
    const rc::Token word = in.take();
    const auto coords = [&](bool sizeOptional) {
        c.x = qint16(in.number());
        in.expectPunct(u',');
        c.y = qint16(in.number());
        if (sizeOptional && !in.takeComma())
            return;
        if (!sizeOptional)
            in.expectPunct(u',');
        c.cx = qint16(in.number());
        in.expectPunct(u',');
        c.cy = qint16(in.number());
    };
    const auto idField = [&] {
        c.id = in.number();
        if (!extended)
            c.id &= 0xFFFF;
        in.expectPunct(u',');
    };
    const auto trailing = [&](bool styleFirst, quint32 base, quint32 extra) {
        c.style = base | extra;
        if (styleFirst && in.takeComma())
            c.style = in.style(base);
        if (in.takeComma())
            c.exStyle = in.number();
        if (in.takeComma()) {
            if (!extended)
                in.fail(QStringLiteral("справочный номер элемента бывает только в DIALOGEX"));
            c.helpId = in.number();
        }
        if (in.isBegin()) {
            if (!extended)
                in.fail(QStringLiteral("данные элемента бывают только в DIALOGEX"));
            c.creationData = parseCreationData(in);
        }
    };
    if (word.kind == rc::Token::Word && word.text.compare(u"CONTROL", Qt::CaseInsensitive) == 0) {
        c.text = parseNameOrOrdinal(in);
        in.expectPunct(u',');
        idField();
        c.windowClass = parseNameOrOrdinal(in);
        in.expectPunct(u',');
        c.style = in.style(kChildVisible);
        in.expectPunct(u',');
        coords(false);
        trailing(false, c.style, 0);
        return c;
    }
    for (const Statement& s : kStatements) {
        // The length first: most statements are told apart by it, without folding case.
        if (word.kind != rc::Token::Word || word.text.size() != QStringView(s.word).size() ||
            word.text.compare(QStringView(s.word), Qt::CaseInsensitive) != 0)
            continue;
        c.windowClass.isOrdinal = true;
        c.windowClass.ordinal = s.windowClass;
        if (s.shape != TextShape::None) {
            c.text = parseNameOrOrdinal(in);
            if (s.shape == TextShape::Icon && !c.text.isOrdinal)
                c.text.name = c.text.name.toUpper(); // as the resource compiler files an icon's name
            in.expectPunct(u',');
        }
        idField();
        coords(s.shape == TextShape::Icon);
        if (s.shape == TextShape::Icon)
            c.cx = c.cy = 0; // the resource compiler takes an icon's size from the icon
        trailing(true, s.base, s.extra);
        return c;
    }
    throw rc::ScriptError{word.line, word.kind == rc::Token::End
                                         ? QStringLiteral("диалог не закрыт словом END")
                                         : QStringLiteral("неизвестный элемент диалога «%1»").arg(word.text)};
}

} // namespace

std::optional<DialogTemplate> readDialog(const QByteArray& data, QString& why)
{
    ByteReader in(data);
    DialogTemplate d;
    quint16 count = 0;
    const auto first = in.read<quint32>();
    if (!first) {
        why = damaged();
        return std::nullopt;
    }
    d.extended = *first == 0xFFFF0001u;
    if (d.extended) {
        const auto help = in.read<quint32>(), ex = in.read<quint32>(), style = in.read<quint32>();
        const auto n = in.read<quint16>();
        if (!n) {
            why = damaged();
            return std::nullopt;
        }
        d.helpId = *help, d.exStyle = *ex, d.style = *style, count = *n;
    } else {
        const auto ex = in.read<quint32>();
        const auto n = in.read<quint16>();
        if (!n) {
            why = damaged();
            return std::nullopt;
        }
        d.style = *first, d.exStyle = *ex, count = *n;
    }
    const auto x = in.read<qint16>(), y = in.read<qint16>(), cx = in.read<qint16>(), cy = in.read<qint16>();
    const auto menu = readNameOrOrdinal(in);
    const auto cls = menu ? readNameOrOrdinal(in) : std::nullopt;
    const auto caption = cls ? in.string() : std::nullopt;
    if (!caption) {
        why = damaged();
        return std::nullopt;
    }
    d.x = *x, d.y = *y, d.cx = *cx, d.cy = *cy, d.menu = *menu, d.windowClass = *cls, d.caption = *caption;
    if (d.style & kSetFont) {
        const auto size = in.read<quint16>();
        if (!size) {
            why = damaged();
            return std::nullopt;
        }
        d.pointSize = *size;
        if (d.extended) {
            const auto weight = in.read<quint16>();
            const auto italic = in.read<quint8>(), charset = in.read<quint8>();
            if (!charset) {
                why = damaged();
                return std::nullopt;
            }
            d.weight = *weight, d.italic = *italic, d.charset = *charset;
        }
        const auto face = in.string();
        if (!face) {
            why = damaged();
            return std::nullopt;
        }
        d.face = *face;
    }
    if (count > kMaxControls || qsizetype(count) * 24 > in.left()) {
        why = QStringLiteral("диалог повреждён: %1 элементов не помещаются в данные").arg(count);
        return std::nullopt;
    }
    for (quint16 i = 0; i < count; ++i) {
        if (!in.align()) {
            why = QStringLiteral("диалог: ненулевые байты выравнивания");
            return std::nullopt;
        }
        DialogItemTemplate c;
        std::optional<quint32> id;
        if (d.extended) {
            const auto help = in.read<quint32>(), ex = in.read<quint32>(), style = in.read<quint32>();
            const auto cx0 = in.read<qint16>(), cy0 = in.read<qint16>(), w = in.read<qint16>(),
                       h = in.read<qint16>();
            id = in.read<quint32>();
            if (id)
                c.helpId = *help, c.exStyle = *ex, c.style = *style, c.x = *cx0, c.y = *cy0, c.cx = *w,
                c.cy = *h;
        } else {
            const auto style = in.read<quint32>(), ex = in.read<quint32>();
            const auto cx0 = in.read<qint16>(), cy0 = in.read<qint16>(), w = in.read<qint16>(),
                       h = in.read<qint16>();
            const auto id16 = in.read<quint16>();
            if (id16)
                id = *id16, c.exStyle = *ex, c.style = *style, c.x = *cx0, c.y = *cy0, c.cx = *w, c.cy = *h;
        }
        const auto ctlClass = id ? readNameOrOrdinal(in) : std::nullopt;
        const auto text = ctlClass ? readNameOrOrdinal(in) : std::nullopt;
        const auto extraSize = text ? in.read<quint16>() : std::nullopt;
        const auto extra = extraSize ? in.bytes(*extraSize) : std::nullopt;
        if (!extra) {
            why = damaged();
            return std::nullopt;
        }
        c.id = *id, c.windowClass = *ctlClass, c.text = *text, c.creationData = *extra;
        d.controls << c;
    }
    if (!in.atEnd()) {
        why = QStringLiteral("после диалога лишние байты (%1)").arg(in.left());
        return std::nullopt;
    }
    return d;
}

QByteArray dialogBytes(const DialogTemplate& d)
{
    ByteWriter out;
    if (d.extended) {
        out.put<quint32>(0xFFFF0001u);
        out.put<quint32>(d.helpId);
        out.put<quint32>(d.exStyle);
        out.put<quint32>(d.style);
    } else {
        out.put<quint32>(d.style);
        out.put<quint32>(d.exStyle);
    }
    out.put<quint16>(quint16(d.controls.size()));
    for (const qint16 v : {d.x, d.y, d.cx, d.cy})
        out.put<qint16>(v);
    writeNameOrOrdinal(out, d.menu);
    writeNameOrOrdinal(out, d.windowClass);
    out.string(d.caption);
    if (d.style & kSetFont) {
        out.put<quint16>(d.pointSize);
        if (d.extended) {
            out.put<quint16>(d.weight);
            out.put<quint8>(d.italic);
            out.put<quint8>(d.charset);
        }
        out.string(d.face);
    }
    for (const DialogItemTemplate& c : d.controls) {
        out.align();
        if (d.extended) {
            out.put<quint32>(c.helpId);
            out.put<quint32>(c.exStyle);
            out.put<quint32>(c.style);
        } else {
            out.put<quint32>(c.style);
            out.put<quint32>(c.exStyle);
        }
        for (const qint16 v : {c.x, c.y, c.cx, c.cy})
            out.put<qint16>(v);
        if (d.extended)
            out.put<quint32>(c.id);
        else
            out.put<quint16>(quint16(c.id));
        writeNameOrOrdinal(out, c.windowClass);
        writeNameOrOrdinal(out, c.text);
        out.put<quint16>(quint16(c.creationData.size()));
        out.bytes(c.creationData);
    }
    return out.data();
}

QString dialogScript(const ResourceKey& name, const DialogTemplate& d, QString& why)
{
    if (!d.caption.isEmpty() && (d.style & kCaption) != kCaption) {
        why = QStringLiteral("заголовок без стиля WS_CAPTION нельзя записать в сценарий");
        return {};
    }
    if (!scriptCanHold(d.caption, false, why) || !scriptCanHold(d.face, false, why) ||
        (!d.menu.isOrdinal && !scriptCanHold(d.menu.name, false, why)) ||
        (!d.windowClass.isOrdinal && !scriptCanHold(d.windowClass.name, false, why)))
        return {};
    // About what a control's line takes: one allocation for most dialogs.
    rc::ScriptText out;
    out.reserve(256 + 80 * d.controls.size());
    appendResourceName(out, name);
    out += d.extended ? u" DIALOGEX " : u" DIALOG ";
    appendCoordinates(out, d.x, d.y, d.cx, d.cy, true);
    if (d.helpId) {
        out += u", ";
        rc::appendNumber(out, d.helpId);
    }
    out += u"\r\nSTYLE ";
    rc::appendHex(out, d.style);
    out += u"\r\n";
    if (d.exStyle) {
        out += u"EXSTYLE ";
        rc::appendHex(out, d.exStyle);
        out += u"\r\n";
    }
    if (!d.caption.isEmpty()) {
        out += u"CAPTION ";
        rc::appendQuoted(out, d.caption);
        out += u"\r\n";
    }
    if (!d.windowClass.isEmpty()) {
        out += u"CLASS ";
        appendScriptName(out, d.windowClass);
        out += u"\r\n";
    }
    if (!d.menu.isEmpty()) {
        out += u"MENU ";
        appendScriptName(out, d.menu);
        out += u"\r\n";
    }
    if (d.style & kSetFont) {
        out += u"FONT ";
        rc::appendNumber(out, d.pointSize);
        out += u", ";
        rc::appendQuoted(out, d.face);
        if (d.extended) {
            for (const int n : {int(d.weight), int(d.italic), int(d.charset)}) {
                out += u", ";
                rc::appendNumber(out, n);
            }
        }
        out += u"\r\n";
    }
    out += u"BEGIN\r\n";
    for (const DialogItemTemplate& c : d.controls)
        if (!appendControl(out, c, d.extended, why))
            return {};
    out += u"END\r\n";
    return out.take();
}

DialogTemplate parseDialog(rc::ScriptReader& in, bool extended)
{
    DialogTemplate d;
    d.extended = extended;
    in.skipResourceOptions();
    d.x = qint16(in.number());
    in.expectPunct(u',');
    d.y = qint16(in.number());
    in.expectPunct(u',');
    d.cx = qint16(in.number());
    in.expectPunct(u',');
    d.cy = qint16(in.number());
    if (in.takeComma()) {
        if (!extended)
            in.fail(QStringLiteral("справочный номер диалога бывает только в DIALOGEX"));
        d.helpId = in.number();
    }
    bool styled = false, font = false, captioned = false;
    while (!in.isBegin()) {
        if (in.takeWord(u"STYLE")) {
            d.style = in.style(0);
            styled = true;
        } else if (in.takeWord(u"EXSTYLE")) {
            d.exStyle = in.number();
        } else if (in.takeWord(u"CAPTION")) {
            d.caption = in.textString();
            captioned = true;
        } else if (in.takeWord(u"CLASS")) {
            d.windowClass = parseNameOrOrdinal(in);
        } else if (in.takeWord(u"MENU")) {
            d.menu = parseNameOrOrdinal(in);
        } else if (in.takeWord(u"FONT")) {
            font = true;
            d.pointSize = quint16(in.number());
            in.expectPunct(u',');
            d.face = in.textString();
            // Weight, italic and character set: a DIALOG has no room for them and drops
            // them; a DIALOGEX without a character set gets DEFAULT_CHARSET.
            quint32 extra[3] = {0, 0, 1};
            for (int n = 0; n < 3 && in.takeComma(); ++n)
                extra[n] = in.number();
            if (extended) {
                d.weight = quint16(extra[0]);
                d.italic = quint8(extra[1]);
                d.charset = quint8(extra[2]);
            }
        } else if (in.isWord(u"LANGUAGE") || in.isWord(u"VERSION") || in.isWord(u"CHARACTERISTICS")) {
            in.skipResourceOptions();
        } else {
            in.fail(in.atEnd()
                        ? QStringLiteral("сценарий обрывается, ожидается BEGIN")
                        : QStringLiteral("неизвестное слово заголовка диалога «%1»").arg(in.peek().text));
        }
    }
    if (!styled)
        d.style = kDefaultDialogStyle;
    // A caption brings its title bar, a font the bit that says a font follows,
    // wherever STYLE stands.
    if (captioned)
        d.style |= kCaption;
    if (font)
        d.style |= kSetFont;
    in.expectBegin();
    while (!in.takeEnd()) {
        if (d.controls.size() >= kMaxControls)
            in.fail(QStringLiteral("в диалоге больше %1 элементов").arg(kMaxControls));
        d.controls << parseControl(in, extended);
    }
    return d;
}

} // namespace kvarsel
