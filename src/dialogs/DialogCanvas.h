#pragma once
// One dialog drawn to scale: a window frame with its title bar (a page, a child
// template, without a frame) and, inside, a widget of each control's kind at the
// control's rectangle. Controls whose text
// does not fit are outlined in red; the control of the selected row is marked.
// The widgets only show: clicks and tooltips are the canvas's own.

#include "dialogs/QtTextMeasure.h"

#include <QWidget>
#include <vector>

namespace kvarsel {

class DialogCanvas : public QWidget {
    Q_OBJECT
public:
    explicit DialogCanvas(QWidget* parent = nullptr);

    void setDialog(const DialogResource& dialog);
    void clear();
    bool hasDialog() const { return m_hasDialog; }
    const DialogResource& dialog() const { return m_dialog; }

    // Marks the control whose text (or statement) is on `row`; -1 for none.
    void setSelectedRow(qsizetype row);
    qsizetype selectedRow() const { return m_selectedRow; }

    // Per control, in the dialog's order.
    const TextFit& fitOf(int control) const { return m_items[size_t(control)].fit; }
    QRect controlRect(int control) const { return m_items[size_t(control)].rect; }
    QWidget* controlWidget(int control) const { return m_items[size_t(control)].widget; }
    int controlCount() const { return int(m_items.size()); }
    int misfitCount() const;
    // The control under a canvas point (the innermost one); -1 for none.
    int controlAt(const QPoint& pos) const;
    QString toolTipFor(int control) const;
    QStringList missingFamilies() const { return m_measure.missingFamilies(); }
    // The title bar of a window, or the tab of a page with a caption.
    QRect captionRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user clicked a control; `row` is the row of its text, or of its statement.
    void rowClicked(qsizetype row);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Item {
        QRect rect; // in canvas pixels
        QWidget* widget = nullptr;
        TextFit fit;
    };
    class Overlay;

    void rebuild();
    void placeBesideBuddy(const DialogControl& c, QRect& local, Item& buddy, const QPoint& origin);
    QWidget* makeWidget(const DialogControl& control, const QSize& size);
    QWidget* makeCheckable(const DialogControl& control, const QSize& size, const QString& withMark);
    QRect clientRect() const;
    QFont captionFont() const;

    QtTextMeasure m_measure;
    DialogResource m_dialog;
    bool m_hasDialog = false;
    FontBase m_base;
    std::vector<Item> m_items;
    QWidget* m_client = nullptr;
    Overlay* m_overlay = nullptr;
    qsizetype m_selectedRow = -1;
    int m_captionHeight = 0;
};

} // namespace kvarsel
