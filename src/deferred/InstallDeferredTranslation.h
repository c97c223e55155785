#pragma once
// Wires the main window's "Отложенный перевод" to the export, the import and the
// review of a bilingual file.

namespace kvarsel {

class MainWindow;

// The DeferredTranslation is owned by the main window; its requests (busy cursor,
// repaint, exit, loading a directory) go to the main window.
void installDeferredTranslation(MainWindow& main);

} // namespace kvarsel
