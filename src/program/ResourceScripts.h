#pragma once
// Menus, dialogs and string tables between their binary form (as a resource tree
// keeps them) and the scripts a translator edits. The two directions are exact
// inverses: a script written here compiles back to the bytes it was written from,
// both with compileScript and with a resource compiler such as windres.

#include "model/ResourceKind.h"
#include "program/Resource.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace kvarsel {

struct UnpackedScript {
    ResourceKind kind = ResourceKind::Menu;
    QString baseName; // file name without ".rc", safe on every file system
    QString text;     // the script, lines ended by "\r\n"
    // type, name and language of each resource the script makes (data left empty)
    QList<Resource> covers;
    // forEachScriptFromResources: every script already as the bytes of its file
    // (`text` then empty), made where the script is; the string tables' one script
    // may be larger than the program's every other script together
    QByteArray bytes;
};

// A script's file, made piece by piece: Windows-1251 when every character fits and
// the loader will read the bytes back as Windows-1251, else UTF-8 with a byte-order
// mark. Built as it comes, a large script is never held as text (two bytes a character).
class ScriptFileBytes {
public:
    void reserve(qsizetype bytes) { m_bytes.reserve(bytes); }
    void append(QStringView piece);
    QByteArray take();

private:
    QByteArray m_bytes;
    bool m_windows1251 = true;
};

QByteArray scriptFileBytes(QStringView text);

struct ScriptsFromResources {
    QList<UnpackedScript> scripts;
    QStringList leftOut; // "<type> <name> (<language>): <reason>", in Russian
};

// Menus, dialogs and string tables of `resources` (all of one language, chosen by
// the caller) as scripts; a resource whose script would not compile back to exactly
// its bytes is left out and named. Other resource types are passed over in silence.
ScriptsFromResources scriptsFromResources(const QList<Resource>& resources);

// The same scripts one at a time, each handed to `take` as soon as it is made and in
// the same order, so a caller can write them out without holding them all (or the
// resources' bytes, which go as their scripts are taken); they are
// made and checked on worker threads a little ahead of `take`. The string tables'
// one script comes last, when every resource has been read. Resources left out
// are added to `leftOut` as they come. `take` returning false stops the work, and
// the result is false.
bool forEachScriptFromResources(QList<Resource> resources, QStringList& leftOut,
                                const std::function<bool(UnpackedScript&)>& take);

struct CompiledScript {
    QList<Resource> resources;
    QString error; // Russian, with the line; empty on success
};

// The program's own resource compiler: a script's text (as the loader reads it,
// already decoded) -> the binary resources it makes (language left 0: the caller
// sets it). Menus (MENU, MENUEX), dialogs (DIALOG, DIALOGEX) and string tables.
CompiledScript compileScript(ResourceKind kind, const QString& text);

} // namespace kvarsel
