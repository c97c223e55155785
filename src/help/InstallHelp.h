#pragma once
// Wires the main window's "Краткая Справка" to the help window.

namespace kvarsel {

class MainWindow;

// The help window is created (and Readme.txt read) on first use, then only shown again.
void installHelp(MainWindow& mainWindow);

} // namespace kvarsel
