#include "program/ResourceBytes.h"
#include "program/ResourceCodecs.h"

namespace kvarsel {
namespace {

constexpr quint16 kPopup = 0x10, kEnd = 0x80;     // MENU item flags
constexpr quint16 kExPopup = 0x01, kExEnd = 0x80; // MENUEX item flags
// Deeper pop-ups than any menu has; a template that claims more is damaged.
constexpr int kMaxDepth = 64;

struct FlagWord {
    const char16_t* word;
    quint16 bit;
};
// The MENU item options a script can write, in the order they are written.
constexpr FlagWord kFlagWords[] = {{u"CHECKED", 0x8},    {u"GRAYED", 0x1},      {u"INACTIVE", 0x2},
                                   {u"BITMAP", 0x4},     {u"OWNERDRAW", 0x100}, {u"MENUBARBREAK", 0x20},
                                   {u"MENUBREAK", 0x40}, {u"HELP", 0x4000}};
constexpr quint16 kFlagWordBits = [] {
    quint16 all = 0;
    for (const FlagWord& f : kFlagWords)
        all |= f.bit;
    return all;
}();

QString damaged() { return QStringLiteral("меню повреждено: данные обрываются"); }

bool readItems(ByteReader& in, bool extended, int depth, QList<MenuItem>& items, QString& why)
{
    if (depth > kMaxDepth) {
        why = QStringLiteral("меню вложено глубже %1 уровней").arg(kMaxDepth);
        return false;
    }
    for (;;) {
        MenuItem item;
        bool last = false;
        if (extended) {
            if (!in.align()) {
                why = QStringLiteral("меню: ненулевые байты выравнивания");
                return false;
            }
            const auto type = in.read<quint32>(), state = in.read<quint32>(), id = in.read<quint32>();
            const auto flags = in.read<quint16>();
            const auto text = in.string();
            if (!text) {
                why = damaged();
                return false;
            }
            if (*flags & ~(kExPopup | kExEnd)) {
                why = QStringLiteral("меню: неизвестные флаги пункта 0x%1").arg(*flags, 0, 16);
                return false;
            }
            item.type = *type, item.state = *state, item.id = *id, item.flags = *flags, item.text = *text;
            item.popup = *flags & kExPopup;
            last = *flags & kExEnd;
            if (item.popup) {
                const bool aligned = in.align();
                const auto helpId = in.read<quint32>();
                if (!aligned || !helpId) {
                    why = aligned ? damaged() : QStringLiteral("меню: ненулевые байты выравнивания");
                    return false;
                }
                item.helpId = *helpId;
            }
        } else {
            const auto flags = in.read<quint16>();
            if (!flags) {
                why = damaged();
                return false;
            }
            item.popup = *flags & kPopup;
            last = *flags & kEnd;
            item.flags = *flags & ~(kPopup | kEnd);
            if (!item.popup) {
                const auto id = in.read<quint16>();
                if (!id) {
                    why = damaged();
                    return false;
                }
                item.id = *id;
            }
            const auto text = in.string();
            if (!text) {
                why = damaged();
                return false;
            }
            item.text = *text;
        }
        if (item.popup && !readItems(in, extended, depth + 1, item.children, why))
            return false;
        items << item;
        if (last)
            return true;
    }
}

void writeItems(ByteWriter& out, bool extended, const QList<MenuItem>& items)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const bool last = i + 1 == items.size();
        if (extended) {
            out.align();
            out.put<quint32>(item.type);
            out.put<quint32>(item.state);
            out.put<quint32>(item.id);
            out.put<quint16>(quint16((item.popup ? kExPopup : 0) | (last ? kExEnd : 0)));
            out.string(item.text);
            if (item.popup) {
                out.align();
                out.put<quint32>(item.helpId);
            }
        } else {
            out.put<quint16>(quint16(item.flags | (item.popup ? kPopup : 0) | (last ? kEnd : 0)));
            if (!item.popup)
                out.put<quint16>(quint16(item.id));
            out.string(item.text);
        }
        if (item.popup)
            writeItems(out, extended, item.children);
    }
}

bool writeScriptItems(rc::ScriptText& out, bool extended, const QList<MenuItem>& items, int depth,
                      QString& why)
{
    const QString indent(4 * depth, u' ');
    for (const MenuItem& item : items) {
        if (!scriptCanHold(item.text, false, why))
            return false;
        // A pop-up with no item cannot be written: BEGIN END gives nothing to end it.
        if (item.popup && item.children.isEmpty()) {
            why = QStringLiteral("пустое подменю «%1»").arg(item.text);
            return false;
        }
        out += indent;
        if (extended) {
            if (!item.popup && item.type == 0 && item.state == 0 && item.id == 0 && item.text.isEmpty()) {
                out += u"MENUITEM SEPARATOR";
            } else {
                out += item.popup ? u"POPUP " : u"MENUITEM ";
                rc::appendQuoted(out, item.text);
                out += u", ";
                rc::appendNumber(out, item.id);
                out += u", ";
                rc::appendHex(out, item.type);
                out += u", ";
                rc::appendHex(out, item.state);
                if (item.popup) {
                    out += u", ";
                    rc::appendNumber(out, item.helpId);
                }
            }
        } else {
            if (item.flags & ~kFlagWordBits) {
                why = QStringLiteral("флаги пункта меню 0x%1 нельзя записать в сценарий")
                          .arg(item.flags & ~kFlagWordBits, 0, 16);
                return false;
            }
            if (!item.popup && item.flags == 0 && item.id == 0 && item.text.isEmpty()) {
                out += u"MENUITEM SEPARATOR";
            } else {
                out += item.popup ? u"POPUP " : u"MENUITEM ";
                rc::appendQuoted(out, item.text);
                if (!item.popup) {
                    out += u", ";
                    rc::appendNumber(out, item.id);
                }
                quint16 rest = item.flags;
                for (const FlagWord& f : kFlagWords) {
                    if (rest & f.bit) {
                        out += u", ";
                        out += QStringView(f.word);
                        rest &= ~f.bit;
                    }
                }
            }
        }
        out += u"\r\n";
        if (item.popup) {
            out += indent;
            out += u"BEGIN\r\n";
            if (!writeScriptItems(out, extended, item.children, depth + 1, why))
                return false;
            out += indent;
            out += u"END\r\n";
        }
    }
    return true;
}

QList<MenuItem> parseItems(rc::ScriptReader& in, bool extended, int depth)
{
    if (depth > kMaxDepth)
        in.fail(QStringLiteral("меню вложено глубже %1 уровней").arg(kMaxDepth));
    in.expectBegin();
    QList<MenuItem> items;
    while (!in.takeEnd()) {
        if (in.atEnd())
            in.fail(QStringLiteral("меню не закрыто словом END"));
        MenuItem item;
        if (in.takeWord(u"MENUITEM")) {
            if (in.takeWord(u"SEPARATOR")) {
                items << item; // all zero in both forms
                continue;
            }
        } else if (in.takeWord(u"POPUP")) {
            item.popup = true;
        } else {
            in.fail(QStringLiteral("ожидается MENUITEM, POPUP или END, а не «%1»").arg(in.peek().text));
        }
        item.text = in.textString();
        if (extended) {
            // id, type, state and (a pop-up's) help id, each optional from the right
            quint32* fields[] = {&item.id, &item.type, &item.state, &item.helpId};
            const int count = item.popup ? 4 : 3;
            for (int f = 0; f < count && in.takeComma(); ++f)
                *fields[f] = in.number();
        } else {
            if (!item.popup) {
                in.takeComma();
                item.id = quint16(in.number());
            }
            for (;;) {
                const bool comma = in.takeComma();
                bool found = false;
                for (const FlagWord& f : kFlagWords) {
                    if (in.takeWord(QStringView(f.word))) {
                        item.flags |= f.bit;
                        found = true;
                        break;
                    }
                }
                if (!found) {
                    if (comma)
                        in.fail(QStringLiteral("неизвестный признак пункта меню «%1»").arg(in.peek().text));
                    break;
                }
            }
        }
        if (item.popup) {
            item.children = parseItems(in, extended, depth + 1);
            if (item.children.isEmpty())
                in.fail(QStringLiteral("подменю «%1» без пунктов").arg(item.text));
        }
        items << item;
    }
    return items;
}

} // namespace

std::optional<MenuTemplate> readMenu(const QByteArray& data, QString& why)
{
    ByteReader in(data);
    const auto version = in.read<quint16>(), offset = in.read<quint16>();
    if (!offset) {
        why = damaged();
        return std::nullopt;
    }
    MenuTemplate menu;
    menu.extended = *version == 1;
    menu.headerOffset = *offset;
    if (*version > 1 || (*version == 0 && *offset != 0) || (*version == 1 && *offset != 4)) {
        why =
            QStringLiteral("неизвестный заголовок меню (версия %1, смещение %2)").arg(*version).arg(*offset);
        return std::nullopt;
    }
    if (menu.extended) {
        const auto helpId = in.read<quint32>();
        if (!helpId) {
            why = damaged();
            return std::nullopt;
        }
        menu.helpId = *helpId;
    }
    if (in.atEnd()) {
        why = QStringLiteral("меню без пунктов");
        return std::nullopt;
    }
    if (!readItems(in, menu.extended, 0, menu.items, why))
        return std::nullopt;
    if (!in.atEnd()) {
        why = QStringLiteral("после меню лишние байты (%1)").arg(in.left());
        return std::nullopt;
    }
    return menu;
}

QByteArray menuBytes(const MenuTemplate& menu)
{
    ByteWriter out;
    out.put<quint16>(menu.extended ? 1 : 0);
    out.put<quint16>(menu.extended ? 4 : 0);
    if (menu.extended)
        out.put<quint32>(menu.helpId);
    writeItems(out, menu.extended, menu.items);
    return out.data();
}

QString menuScript(const ResourceKey& name, const MenuTemplate& menu, QString& why)
{
    if (menu.extended && menu.helpId != 0) {
        why = QStringLiteral("справочный номер всего меню (%1) нельзя записать в сценарий").arg(menu.helpId);
        return {};
    }
    if (menu.items.isEmpty()) {
        why = QStringLiteral("меню без пунктов");
        return {};
    }
    rc::ScriptText out;
    out.reserve(1024);
    appendResourceName(out, name);
    out += menu.extended ? u" MENUEX\r\nBEGIN\r\n" : u" MENU\r\nBEGIN\r\n";
    if (!writeScriptItems(out, menu.extended, menu.items, 1, why))
        return {};
    out += u"END\r\n";
    return out.take();
}

MenuTemplate parseMenu(rc::ScriptReader& reader, bool extended)
{
    MenuTemplate menu;
    menu.extended = extended;
    menu.headerOffset = extended ? 4 : 0;
    reader.skipResourceOptions();
    menu.items = parseItems(reader, extended, 0);
    if (menu.items.isEmpty())
        reader.fail(QStringLiteral("меню без пунктов"));
    return menu;
}

} // namespace kvarsel
