#pragma once
// "Файл → Открыть программу…" and "Файл → Записать программу…": thin callers of
// the core's unpack and pack, with the window's progress bar, busy cursor and
// message boxes.

#include <QString>

namespace kvarsel {

class MainWindow;

// Chooses a program, unpacks it into a folder of the working directory named after
// it (or finds the folder of an earlier unpacking of the same program) and loads it.
void openProgram(MainWindow& main);
// The same without the file dialog: for a path already chosen.
void openProgramFile(MainWindow& main, const QString& program);

// Packs the loaded resource directory into a program file chosen in a save dialog.
void writeProgram(MainWindow& main);

} // namespace kvarsel
