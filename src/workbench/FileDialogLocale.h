#pragma once
// Qt's own file dialog writes the dates and sizes of its file list in the system's
// locale and a folder's type in English, the translation notwithstanding. The
// program speaks Russian whatever the system does, so its file dialogs show those
// columns in the program's locale (QLocale(), see setRussianLocale()).

class QFileDialog;

namespace kvarsel {

// Gives `dialog` a file list that formats sizes, types and dates in the program's
// locale. A desktop's native dialog, where one is used, is left as it is.
void showFileListInProgramLocale(QFileDialog& dialog);

} // namespace kvarsel
