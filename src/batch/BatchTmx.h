#pragma once
// kvarsel-batch tmx: dictionaries out as TMX, TMX in as a new dictionary, with
// the same core functions as the settings and editor windows.
//
//   kvarsel-batch tmx export DICTIONARY... --output FILE.tmx
//   kvarsel-batch tmx import FILE.tmx --output NEW.dic [--source LANG] [--target LANG] [--force]

#include "batch/BatchConsole.h"

#include <QStringList>

namespace kvarsel {

int runTmx(const QStringList& arguments, const QString& currentDir, BatchConsole& console);

QString tmxHelp();

} // namespace kvarsel
