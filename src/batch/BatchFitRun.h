#pragma once
// kvarsel-batch fit itself: it measures texts with the font engine, so it needs
// QtGui, which no other command does. It lives apart from the other commands so
// that kvarsel-batch starts without QtGui and its libraries (15 of its 27 ms of
// start-up) and hands fit over to kvarsel-fit (fit_main.cpp), which links this.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"

namespace kvarsel {

// The warning when a metric-compatible font is missing and another one measured.
QString fontMissing(const QString& family);

// Needs a QGuiApplication: the widths come from the font engine.
int runFit(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
