#pragma once
// Controls the preview draws itself, the way Windows draws them, where a Qt widget
// would lay its text out otherwise: static texts and SysLinks wrapped by the very
// lines the fit check counts, and group boxes with the caption on the frame line.

#include "dialogs/DialogScript.h"

#include <QWidget>

namespace kvarsel {

// Lines of text: the marked letter underlined (it takes no room), links underlined
// in the link colour, each line aligned on its own.
class DialogText : public QWidget {
    Q_OBJECT
public:
    // `lines` are spans of `control.text`, `lineHeight` in pixels.
    DialogText(const DialogControl& control, const QList<TextSpan>& lines, int lineHeight,
               QWidget* parent = nullptr);

    // Check boxes and radio buttons centre their lines in their height by default.
    void setVerticalAlignment(Qt::Alignment alignment) { m_vertical = alignment; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    qsizetype m_mark = -1;
    QList<TextSpan> m_links;
    QList<TextSpan> m_lines;
    int m_lineHeight = 0;
    TextAlign m_align = TextAlign::Left;
    Qt::Alignment m_vertical = Qt::AlignTop;
};

// A group box: an etched frame whose top line runs through the middle of the
// caption, the caption four dialog units in.
class DialogGroupBox : public QWidget {
    Q_OBJECT
public:
    // `caption` in Qt's mnemonic form ("&" before the marked letter).
    DialogGroupBox(const QString& caption, int captionLeft, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    int m_captionLeft = 0;
};

// An up-down control: two arrow buttons, one above the other (side by side when
// horizontal), sharing the control's rectangle.
class DialogUpDown : public QWidget {
    Q_OBJECT
public:
    explicit DialogUpDown(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
};

} // namespace kvarsel
