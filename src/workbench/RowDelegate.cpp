#include "workbench/RowDelegate.h"

#include "model/LineStore.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace kvarsel {

namespace {

constexpr int kMarkSize = 16;

QPixmap checkPixmap(const QColor& color)
{
    const qreal ratio = 2.0; // sharp on high-density screens too
    QPixmap pixmap(QSize(kMarkSize, kMarkSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(3.5, 8.5);
    tick.lineTo(6.5, 11.5);
    tick.lineTo(12.5, 4.5);
    p.drawPath(tick);
    return pixmap;
}

QColor blend(const QColor& a, const QColor& b, qreal share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

} // namespace

RowDelegate::RowDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
    m_check.addPixmap(checkPixmap(QColor(0x2e, 0x7d, 0x32)), QIcon::Normal);
    m_check.addPixmap(checkPixmap(QPalette().color(QPalette::HighlightedText)), QIcon::Selected);
}

void RowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Every row keeps room for the mark, so texts start in one column.
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(kMarkSize, kMarkSize);
    option->icon = QIcon();
    const QString marker = index.data(LineStore::MarkerLabelRole).toString();
    const QColor text = option->palette.color(QPalette::Text);
    const QColor base = option->palette.color(QPalette::Base);
    if (!marker.isEmpty()) {
        option->features |= QStyleOptionViewItem::HasDisplay;
        option->text = marker;
        option->font.setItalic(true);
        option->palette.setColor(QPalette::Text, blend(text, base, 0.5));
    } else if (index.data(LineStore::RussianRole).toBool()) {
        option->icon = m_check;
        option->palette.setColor(QPalette::Text, blend(text, base, 0.4));
    }
}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString original = index.data(LineStore::OriginalTextRole).toString();
    if (original.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The row as usual, its text kept to the left column; the loaded text in the right one.
    QStyleOptionViewItem row(option);
    initStyleOption(&row, index);
    const int split = originalColumnStart(option.rect.width());
    const int gap = row.fontMetrics.horizontalAdvance(QLatin1Char(' ')) * 2;
    const int textWidth = qMax(0, split - kMarkSize - gap * 2);
    row.text = row.fontMetrics.elidedText(row.text, Qt::ElideRight, textWidth);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);

    painter->save();
    QFont font = row.font;
    font.setItalic(true);
    painter->setFont(font);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor ink = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor paper = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    painter->setPen(blend(ink, paper, 0.45));
    const QRect column(option.rect.left() + split, option.rect.top(), option.rect.width() - split - gap,
                       option.rect.height());
    painter->drawText(column, Qt::AlignVCenter | Qt::AlignLeft,
                      QFontMetrics(font).elidedText(original, Qt::ElideRight, column.width()));
    painter->restore();
}

} // namespace kvarsel
