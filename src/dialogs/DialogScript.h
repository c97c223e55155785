#pragma once
// The loaded Dialog lines read back as dialogs: header, caption, font and the
// controls between BEGIN and END, each with its rectangle in dialog units and the
// row its text came from. The texts are read from the rows' composed lines, so a
// translation, shown or moved into the head by the hide mode, is what is read.
// The reader is forgiving: a line it does not understand is passed over.

#include "model/LineStore.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kvarsel {

struct DialogFont {
    int pointSize = 8;
    QString face = QStringLiteral("MS Shell Dlg");
    int weight = 400; // 400 normal, 700 bold, as the script writes it
    bool italic = false;

    friend bool operator==(const DialogFont&, const DialogFont&) = default;
};

// What a dialog without a FONT statement gets: the system font.
DialogFont systemDialogFont();

enum class ControlKind {
    Static,      // LTEXT, RTEXT, CTEXT, CONTROL "Static" with a text style
    PushButton,  // PUSHBUTTON, DEFPUSHBUTTON, CONTROL "Button" by default
    CheckBox,    // CHECKBOX, AUTOCHECKBOX, STATE3, AUTO3STATE
    RadioButton, // RADIOBUTTON, AUTORADIOBUTTON
    GroupBox,
    Edit,
    ComboBox,
    ListBox,
    Icon,  // ICON, CONTROL "Static" SS_ICON or SS_BITMAP
    Frame, // CONTROL "Static" with a rectangle or etched-line style
    Custom // any other window class: drawn as a box with its class name
};

enum class TextAlign { Left, Center, Right };

struct DialogControl {
    QString statement; // LTEXT, CONTROL, ... as written, upper case
    ControlKind kind = ControlKind::Static;
    QString text; // the quoted text, escapes turned into characters; empty if none
    bool hasText = false;
    qsizetype mark = -1; // the accelerator's letter in `text`, in scripts that keep them
    QString id;
    QString className;  // CONTROL only, without quotes
    QStringList styles; // style flags named in the statement, upper case (NOT ones left out)
    int x = 0, y = 0, cx = 0, cy = 0;
    TextAlign align = TextAlign::Left;
    bool wraps = false;     // a static text, or a button with BS_MULTILINE
    bool isDefault = false; // DEFPUSHBUTTON or BS_DEFPUSHBUTTON
    bool disabled = false;  // WS_DISABLED
    qsizetype row = -1;     // store row where the statement starts
    qsizetype lastRow = -1; // and where it ends
    qsizetype textRow = -1; // store row holding the quoted text; -1 without one

    bool hasStyle(const QString& name) const { return styles.contains(name); }
};

struct DialogResource {
    QString name;
    bool extended = false; // DIALOGEX
    int x = 0, y = 0, cx = 0, cy = 0;
    QString caption;
    qsizetype captionRow = -1; // the CAPTION statement's row
    bool hasFont = false;
    DialogFont font = systemDialogFont();
    QStringList styles;
    qsizetype firstRow = -1; // the header row
    qsizetype lastRow = -1;  // the END row (the last row read when END is missing)
    std::vector<DialogControl> controls;

    bool contains(qsizetype row) const { return row >= firstRow && row <= lastRow; }
};

// Reads the dialogs of consecutive script lines; line i is store row firstRow + i.
std::vector<DialogResource> readDialogLines(const QStringList& lines, qsizetype firstRow);

std::vector<DialogResource> readDialogs(const LineStore& store, const LineStore::Script& file);
// The dialog whose lines (header to END) hold `row`.
std::optional<DialogResource> dialogAtRow(const LineStore& store, qsizetype row);

// A control whose text is on `row`, or whose statement covers it.
const DialogControl* controlAtRow(const DialogResource& dialog, qsizetype row);

} // namespace kvarsel
