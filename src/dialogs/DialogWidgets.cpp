#include "dialogs/DialogWidgets.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace kvarsel {

DialogText::DialogText(const DialogControl& control, const QList<TextSpan>& lines, int lineHeight,
                       QWidget* parent)
    : QWidget(parent), m_text(control.text), m_mark(control.mark), m_links(control.links), m_lines(lines),
      m_lineHeight(lineHeight), m_align(control.align)
{
    // Tabs take a blank's room, as in the fit check.
    m_text.replace(u'\t', u' ');
}

void DialogText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFontMetrics metrics(font());
    const int block = m_lineHeight * int(m_lines.size());
    int top = m_vertical & Qt::AlignVCenter  ? (height() - block) / 2
              : m_vertical & Qt::AlignBottom ? height() - block
                                             : 0;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
    const QColor text = palette().color(group, QPalette::WindowText);
    const QColor link = palette().color(group, QPalette::Link);
    const auto inLink = [this](qsizetype at) {
        return std::any_of(m_links.begin(), m_links.end(),
                           [at](const TextSpan& l) { return at >= l.start && at < l.start + l.length; });
    };
    for (const TextSpan& line : std::as_const(m_lines)) {
        const qsizetype end = line.start + line.length;
        const int lineWidth = metrics.horizontalAdvance(m_text.mid(line.start, line.length));
        int x = m_align == TextAlign::Center  ? (width() - lineWidth) / 2
                : m_align == TextAlign::Right ? width() - lineWidth
                                              : 0;
        // Pieces that change look: the links' ends and the marked letter.
        QList<qsizetype> cuts{line.start, end, m_mark, m_mark + 1};
        for (const TextSpan& l : std::as_const(m_links))
            cuts << l.start << l.start + l.length;
        cuts.removeIf([&](qsizetype c) { return c < line.start || c > end; });
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (qsizetype i = 0; i + 1 < cuts.size(); ++i) {
            const QString piece = m_text.mid(cuts[i], cuts[i + 1] - cuts[i]);
            const bool isLink = inLink(cuts[i]);
            QFont f = font();
            f.setUnderline(isLink || cuts[i] == m_mark);
            p.setFont(f);
            p.setPen(isLink ? link : text);
            p.drawText(x, top + metrics.ascent(), piece);
            x += metrics.horizontalAdvance(piece);
        }
        top += m_lineHeight;
    }
}

DialogGroupBox::DialogGroupBox(const QString& caption, int captionLeft, QWidget* parent)
    : QWidget(parent), m_caption(caption), m_captionLeft(captionLeft)
{
}

void DialogGroupBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFontMetrics metrics(font());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    // Etched: a shadow line with a light one inside it.
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(frame.adjusted(1, 1, 0, 0));
    if (m_caption.isEmpty())
        return;
    const QRect caption(QPoint(m_captionLeft, 0), metrics.size(Qt::TextShowMnemonic, m_caption));
    // The frame line stops a little before and after the caption.
    p.fillRect(caption.adjusted(-2, 0, 2, 0), palette().color(QPalette::Window));
    p.setPen(palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::WindowText));
    p.drawText(caption, Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, m_caption);
}

DialogUpDown::DialogUpDown(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_orientation(orientation)
{
}

void DialogUpDown::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool vertical = m_orientation == Qt::Vertical;
    const QRect whole = rect();
    const QRect first = vertical ? QRect(0, 0, whole.width(), whole.height() / 2)
                                 : QRect(0, 0, whole.width() / 2, whole.height());
    const QRect second = vertical ? QRect(0, first.height(), whole.width(), whole.height() - first.height())
                                  : QRect(first.width(), 0, whole.width() - first.width(), whole.height());
    const auto button = [&](const QRect& r, QStyle::PrimitiveElement arrow) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = r;
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
        QStyleOption a;
        a.initFrom(this);
        a.rect = r.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(arrow, &a, &p, this);
    };
    button(first, vertical ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowLeft);
    button(second, vertical ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight);
}

} // namespace kvarsel
