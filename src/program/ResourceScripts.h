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

namespace kvarsel {

struct UnpackedScript {
    ResourceKind kind = ResourceKind::Menu;
    QString baseName; // file name without ".rc", safe on every file system
    QString text;     // the script, lines ended by "\r\n"
    // type, name and language of each resource the script makes (data left empty)
    QList<Resource> covers;
};

struct ScriptsFromResources {
    QList<UnpackedScript> scripts;
    QStringList leftOut; // "<type> <name> (<language>): <reason>", in Russian
};

// Menus, dialogs and string tables of `resources` (all of one language, chosen by
// the caller) as scripts; a resource whose script would not compile back to exactly
// its bytes is left out and named. Other resource types are passed over in silence.
ScriptsFromResources scriptsFromResources(const QList<Resource>& resources);

struct CompiledScript {
    QList<Resource> resources;
    QString error; // Russian, with the line; empty on success
};

// The program's own resource compiler: a script's text (as the loader reads it,
// already decoded) -> the binary resources it makes (language left 0: the caller
// sets it). Menus (MENU, MENUEX), dialogs (DIALOG, DIALOGEX) and string tables.
CompiledScript compileScript(ResourceKind kind, const QString& text);

} // namespace kvarsel
