#pragma once
// A program's worth of resources for the unpack and pack benchmark: a resource
// script in the shapes real programs have (DIALOG and DIALOGEX with every kind of
// control, hidden ones and custom classes among them; MENU and MENUEX with pop-ups,
// separators and shortcuts; full string tables), numbers only, so that windres
// compiles it with no headers. The same counts always give the same script.

#include <QString>

namespace kvarsel::bench {

QString programResourceScript(int dialogs, int menus, int stringTables);

} // namespace kvarsel::bench
