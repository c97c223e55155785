#include "ProgramWorkload.h"

#include <QStringList>

namespace kvarsel::bench {
namespace {

const char* const kWords[] = {"Open",   "Save",     "Print",  "Options", "File",   "Edit",     "View",
                              "Help",   "Cancel",   "Apply",  "Name",    "Folder", "Search",   "Replace",
                              "Next",   "Previous", "Font",   "Color",   "Size",   "Settings", "Window",
                              "Close",  "Export",   "Import", "Table",   "Column", "Row",      "Format",
                              "Insert", "Delete",   "Copy",   "Paste",   "Undo",   "Redo",     "Select",
                              "All",    "Page",     "Setup",  "Preview", "Tools",  "Account",  "Message"};

// A fixed sequence, so every run measures the same resources.
class Sequence {
public:
    quint32 next(quint32 below)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) % below;
    }
    QString words(int count)
    {
        QStringList w;
        for (int i = 0; i < count; ++i)
            w << QString::fromLatin1(kWords[next(std::size(kWords))]);
        QString s = w.join(u' ');
        return s.left(1) + s.mid(1).toLower();
    }

private:
    quint32 m_state = 41;
};

void dialog(QString& out, Sequence& seq, int n)
{
    const bool ex = n % 2;
    out += QStringLiteral("%1 %2 0, 0, 320, 200\r\n").arg(1000 + n).arg(ex ? "DIALOGEX" : "DIALOG");
    out += QStringLiteral("STYLE 0x80C800C8\r\nCAPTION \"%1\"\r\n").arg(seq.words(2));
    out += ex ? QStringLiteral("FONT 9, \"Segoe UI\", 400, 0, 1\r\n")
              : QStringLiteral("FONT 8, \"MS Shell Dlg\"\r\n");
    out += QStringLiteral("BEGIN\r\n");
    const int controls = 8 + int(seq.next(12));
    for (int c = 0; c < controls; ++c) {
        const int id = 100 + c;
        const int y = 7 + 14 * c;
        switch (seq.next(9)) {
        case 0:
            out += QStringLiteral("    LTEXT \"%1:\", -1, 7, %2, 60, 8\r\n").arg(seq.words(2)).arg(y);
            break;
        case 1:
            out += QStringLiteral("    EDITTEXT %1, 70, %2, 120, 12, 0x0080\r\n").arg(id).arg(y);
            break;
        case 2:
            out += QStringLiteral("    PUSHBUTTON \"&%1...\", %2, 200, %3, 50, 14\r\n")
                       .arg(seq.words(1))
                       .arg(id)
                       .arg(y);
            break;
        case 3:
            out += QStringLiteral("    AUTOCHECKBOX \"%1\", %2, 7, %3, 100, 10\r\n")
                       .arg(seq.words(3))
                       .arg(id)
                       .arg(y);
            break;
        case 4:
            out += QStringLiteral("    GROUPBOX \"%1\", -1, 5, %2, 200, 30\r\n").arg(seq.words(1)).arg(y);
            break;
        case 5:
            out += QStringLiteral("    COMBOBOX %1, 70, %2, 100, 60, 0x00210003\r\n").arg(id).arg(y);
            break;
        case 6:
            out += QStringLiteral(
                       "    CONTROL \"%1\", %2, \"SYSLISTVIEW32\", 0x50010001, 7, %3, 200, 40, 0x0200\r\n")
                       .arg(seq.words(1))
                       .arg(id)
                       .arg(y);
            break;
        case 7:
            out += QStringLiteral("    LTEXT \"%1\", %2, 7, %3, 100, 8, NOT 0x10000000\r\n")
                       .arg(seq.words(4))
                       .arg(id)
                       .arg(y);
            break;
        default:
            out += QStringLiteral("    AUTORADIOBUTTON \"%1\", %2, 7, %3, 80, 10\r\n")
                       .arg(seq.words(2))
                       .arg(id)
                       .arg(y);
            break;
        }
    }
    out += QStringLiteral("    DEFPUSHBUTTON \"OK\", 1, 200, 180, 50, 14\r\n    PUSHBUTTON \"Cancel\", 2, "
                          "260, 180, 50, 14\r\nEND\r\n\r\n");
}

void menu(QString& out, Sequence& seq, int n)
{
    const bool ex = n % 3 == 2;
    out += QStringLiteral("%1 %2\r\nBEGIN\r\n").arg(2000 + n).arg(ex ? "MENUEX" : "MENU");
    const int popups = 3 + int(seq.next(4));
    for (int p = 0; p < popups; ++p) {
        out += ex ? QStringLiteral("    POPUP \"&%1\", 0, 0, 0, %2\r\n    BEGIN\r\n").arg(seq.words(1)).arg(p)
                  : QStringLiteral("    POPUP \"&%1\"\r\n    BEGIN\r\n").arg(seq.words(1));
        const int items = 4 + int(seq.next(7));
        for (int i = 0; i < items; ++i) {
            const int id = 40000 + p * 100 + i;
            if (i % 4 == 3)
                out += QStringLiteral("        MENUITEM SEPARATOR\r\n");
            else if (ex)
                out += QStringLiteral("        MENUITEM \"%1\\tCtrl+%2\", %3, 0, %4\r\n")
                           .arg(seq.words(2))
                           .arg(QChar(u'A' + i))
                           .arg(id)
                           .arg(i % 5 ? "0" : "0x0003");
            else
                out += QStringLiteral("        MENUITEM \"&%1...\", %2%3\r\n")
                           .arg(seq.words(2))
                           .arg(id)
                           .arg(i % 5 ? "" : ", GRAYED");
        }
        out += QStringLiteral("    END\r\n");
    }
    out += QStringLiteral("END\r\n\r\n");
}

} // namespace

QString programResourceScript(int dialogs, int menus, int stringTables)
{
    Sequence seq;
    QString out;
    for (int n = 0; n < dialogs; ++n)
        dialog(out, seq, n);
    for (int n = 0; n < menus; ++n)
        menu(out, seq, n);
    out += QStringLiteral("STRINGTABLE\r\nBEGIN\r\n");
    for (int id = 0; id < stringTables * 16; ++id)
        out += QStringLiteral("    %1, \"%2 \"\"%3\"\" %4\"\r\n")
                   .arg(id)
                   .arg(seq.words(3))
                   .arg(seq.words(1))
                   .arg(id);
    out += QStringLiteral("END\r\n");
    return out;
}

} // namespace kvarsel::bench
