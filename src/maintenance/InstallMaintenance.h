#pragma once
// Wires the main window's "Оптимизировать словарь" and "Редактировать словарь" to
// the optimiser and the editor of the dictionary in memory.

namespace kvarsel {

class MainWindow;

// Each window is created on its first use and afterwards only shown again, so its
// state lasts the run. The main window checks for rows and sets the
// user-dictionary-changed flag before it calls the action.
void installMaintenance(MainWindow& mainWindow);

} // namespace kvarsel
