#pragma once
// Whether a control's text fits its rectangle. Dialog units become pixels the way
// Windows does it, from the dialog's font: a horizontal unit is a quarter of the
// average character width, a vertical unit an eighth of the character height.
// Measuring text needs a font engine, which the core does not have: the caller
// passes a TextMeasure (QFontMetrics in the window program and in kvarsel-batch).

#include "dialogs/DialogScript.h"

namespace kvarsel {

// The dialog base units of a font, in pixels at 96 dots per inch.
struct FontBase {
    int averageWidth = 6; // width of "A..Za..z" / 52, rounded
    int height = 13;      // character cell height; also the height of a text line
};

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual FontBase base(const DialogFont& font) const = 0;
    // Width of one line of text in pixels, tabs and all.
    virtual int textWidth(const DialogFont& font, const QString& line) const = 0;
};

// The Debian font with the metrics of a Windows dialog font, and the pixel size to
// ask it for: Wine's MS Sans Serif and Tahoma (fonts-wine) for the faces Windows
// maps to them, MS Shell Dlg and MS Shell Dlg 2 included; Liberation Sans for the
// other sans-serif faces (and any face not known here), Liberation Serif and
// Liberation Mono for the serif and fixed ones.
struct FaceChoice {
    QString family;
    int pixelSize = 11;
};
FaceChoice metricCompatibleFace(const QString& face, int points);
QString metricCompatibleFamily(const QString& face);
// A point size as pixels at 96 dots per inch, the way Windows sizes dialog fonts.
int pointsToPixels(int points);

// The Windows conversions (MulDiv rounds to nearest).
int unitsToPixelsX(int units, const FontBase& base);
int unitsToPixelsY(int units, const FontBase& base);
// The fewest horizontal units that hold `pixels`.
int pixelsToUnitsX(int pixels, const FontBase& base);

// Room the control's own drawing takes from its width, in dialog units: the
// button frame, the box of a check box or radio button, the frame of a group box.
int textMarginUnits(ControlKind kind);

struct TextFit {
    bool checked = false; // the control shows a text that can be measured
    bool fits = true;
    int neededWidth = 0;    // dialog units: the width the control would need for its text
    int availableWidth = 0; // dialog units: its width in the script
    int linesNeeded = 1;    // wrapped texts: lines at the script's width
    int linesAvailable = 1; // lines its height holds
    bool widthHelps = true; // false: more forced line breaks than the height holds
    int missing() const { return qMax(0, neededWidth - availableWidth); }
};

// The greedy word wrap of a Windows static text: lines break at blanks (which the
// break swallows), \n always breaks, and a word wider than the line by itself is
// broken after its last character that fits. Each line as its span in `text`.
QList<TextSpan> wrapLines(const QString& text, int widthPixels, const DialogFont& font,
                          const TextMeasure& measure);
QStringList wrapText(const QString& text, int widthPixels, const DialogFont& font,
                     const TextMeasure& measure);

TextFit measureFit(const DialogControl& control, const DialogFont& font, const TextMeasure& measure);

// Whether the control kind's text is measured at all (edits, lists, icons... are not).
bool showsCheckedText(const DialogControl& control);

} // namespace kvarsel
