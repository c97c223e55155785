#pragma once
// The binary menu, dialog and string table resources as templates, one codec a
// kind: read (every offset checked), written back byte for byte, written as script
// statements, and compiled from them. Each reader refuses what it cannot hold
// exactly with a Russian reason; the script writers say when a template has no
// script form.

#include "program/Resource.h"
#include "program/ScriptSyntax.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace kvarsel {

// A resource's name as its statement starts: a number, or a quoted string.
inline void appendResourceName(rc::ScriptText& out, const ResourceKey& name)
{
    if (name.isNumber())
        rc::appendNumber(out, name.id);
    else
        rc::appendQuoted(out, name.name);
}

// ---- menus (MENU and MENUEX)

struct MenuItem {
    // MENU: the item's MF_ flags without those for a pop-up and the last item.
    // MENUEX: the flags word as stored (pop-up and last item included).
    quint16 flags = 0;
    quint32 type = 0, state = 0, id = 0, helpId = 0; // id in both; the rest MENUEX only
    QString text;
    bool popup = false;
    QList<MenuItem> children;
};

struct MenuTemplate {
    bool extended = false;
    quint16 headerOffset = 0; // MENU: 0; MENUEX: 4
    quint32 helpId = 0;       // MENUEX
    QList<MenuItem> items;
};

std::optional<MenuTemplate> readMenu(const QByteArray& data, QString& why);
QByteArray menuBytes(const MenuTemplate& menu);
// The statement `name MENU ... END`; empty with `why` set when none gives the template back.
QString menuScript(const ResourceKey& name, const MenuTemplate& menu, QString& why);
// After `MENU` or `MENUEX` was read.
MenuTemplate parseMenu(rc::ScriptReader& reader, bool extended);

// ---- dialogs (DIALOG and DIALOGEX)

// A name or a number, as templates store menus, classes and control texts.
struct NameOrOrdinal {
    bool isOrdinal = false;
    quint16 ordinal = 0;
    QString name;
    bool isEmpty() const { return !isOrdinal && name.isEmpty(); }
    friend bool operator==(const NameOrOrdinal&, const NameOrOrdinal&) = default;
};

struct DialogItemTemplate {
    quint32 style = 0, exStyle = 0, helpId = 0, id = 0;
    qint16 x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal windowClass, text;
    QByteArray creationData;
};

struct DialogTemplate {
    bool extended = false;
    quint32 style = 0, exStyle = 0, helpId = 0;
    qint16 x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    QString caption;
    // only when the style has DS_SETFONT
    quint16 pointSize = 0, weight = 0;
    quint8 italic = 0, charset = 0;
    QString face;
    QList<DialogItemTemplate> controls;
};

std::optional<DialogTemplate> readDialog(const QByteArray& data, QString& why);
QByteArray dialogBytes(const DialogTemplate& dialog);
QString dialogScript(const ResourceKey& name, const DialogTemplate& dialog, QString& why);
// After `DIALOG` or `DIALOGEX` was read.
DialogTemplate parseDialog(rc::ScriptReader& reader, bool extended);

// ---- string tables: blocks of 16 strings, block n holding ids (n-1)*16 .. n*16-1

std::optional<QList<QString>> readStringBlock(const QByteArray& data, QString& why);
QByteArray stringBlockBytes(const QList<QString>& strings);
// One string of a block appended as the block keeps it: its length, then its UTF-16
// units, little-endian.
void appendBlockString(QByteArray& out, QStringView text);
// The `id, "text"` lines of block `block` (no STRINGTABLE around them), each
// ended by "\r\n"; empty with `why` set when the block has no script form.
QString stringBlockLines(quint16 block, const QList<QString>& strings, QString& why);

// What a script's text ought to hold: text a script string can carry, no lone
// surrogate (which no file encoding keeps), no NUL unless `nulAllowed`.
bool scriptCanHold(const QString& text, bool nulAllowed, QString& why);

} // namespace kvarsel
