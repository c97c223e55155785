#pragma once
// Wires the dialog preview into the main window: "Предпросмотр диалога" in the
// context menu of the Dialog list, and F4 while the Dialog tab is shown.

#include <QtGlobal>

namespace kvarsel {

class DialogPreview;
class MainWindow;

void installDialogPreview(MainWindow& main);

// The preview window once it was opened; null before.
DialogPreview* dialogPreviewOf(MainWindow& main);

// Opens (or raises) the preview at a Dialog row; the window is made on first use.
DialogPreview* openDialogPreview(MainWindow& main, qsizetype row);

} // namespace kvarsel
