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

// What a template without a usable font of its own is laid out with: without
// DS_SETFONT (no FONT statement), or with the point size 32767 that message-box
// templates carry, Windows lays the dialog out in MS Shell Dlg at 8 points.
DialogFont systemDialogFont();

// What a control shows, from its window class and style bits (a keyword statement
// is the class and style it stands for: LTEXT is a Static with SS_LEFT).
enum class ControlKind {
    Static,      // a Static with a text style; a SysLink
    PushButton,  // a Button by default; also a check box or radio button with BS_PUSHLIKE
    CheckBox,    // BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE, BS_AUTO3STATE
    RadioButton, // BS_RADIOBUTTON, BS_AUTORADIOBUTTON
    GroupBox,
    Edit,
    ComboBox,
    ListBox,
    Icon,  // a Static with SS_ICON, SS_BITMAP or SS_ENHMETAFILE
    Frame, // a Static with a rectangle or etched-line style
    Custom // any other window class, or a control its program draws itself
};

// A run of a control's text: a link of a SysLink.
struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

enum class TextAlign { Left, Center, Right };

struct DialogControl {
    QString statement; // LTEXT, CONTROL, ... as written, upper case
    ControlKind kind = ControlKind::Static;
    // The text as the control shows it: escapes turned into characters, a SysLink's
    // markup left out; empty if none.
    QString text;
    bool hasText = false;
    qsizetype mark = -1;   // the accelerator's letter in `text`, in scripts that keep them
    QList<TextSpan> links; // a SysLink's links in `text`
    QString id;
    QString className;  // CONTROL only: the window class by name ("Static" for 130), without quotes
    QStringList styles; // style flags named in the statement, upper case (NOT ones left out)
    quint32 style = 0;  // the style word Windows gets, the statement's own bits included
    int x = 0, y = 0, cx = 0, cy = 0;
    TextAlign align = TextAlign::Left;
    bool wraps = false;     // a static text, a SysLink, or a button with BS_MULTILINE
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
    bool hasFont = false;      // its FONT statement is the font it is laid out with
    DialogFont font = systemDialogFont();
    QStringList styles;
    quint32 style = 0;       // with what CAPTION and FONT add to it, as the resource compiler does
    qsizetype firstRow = -1; // the header row
    qsizetype lastRow = -1;  // the END row (the last row read when END is missing)
    std::vector<DialogControl> controls;

    bool contains(qsizetype row) const { return row >= firstRow && row <= lastRow; }
    // A child template (a property page, a pane) sits inside another window: no frame.
    bool isPage() const;
    bool hasTitleBar() const;
};

// Reads the dialogs of consecutive script lines; line i is store row firstRow + i.
// With `marksKept` the texts are in the script's form, "&" marks and all: each is
// shown and measured as the control draws it.
std::vector<DialogResource> readDialogLines(const QStringList& lines, qsizetype firstRow,
                                            bool marksKept = false);

std::vector<DialogResource> readDialogs(const LineStore& store, const LineStore::Script& file);
// The dialog whose lines (header to END) hold `row`.
std::optional<DialogResource> dialogAtRow(const LineStore& store, qsizetype row);

// A control whose text is on `row`, or whose statement covers it.
const DialogControl* controlAtRow(const DialogResource& dialog, qsizetype row);

} // namespace kvarsel
