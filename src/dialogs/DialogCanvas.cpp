#include "dialogs/DialogCanvas.h"

#include "dialogs/DialogWidgets.h"
#include "dialogs/PreviewTexts.h"
#include "dialogs/WindowStyles.h"
#include "model/Accelerators.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

namespace kvarsel {

namespace {
constexpr int kBorder = 4;
constexpr int kMaxSide = 4096;
// The room a caption of a page gets beside its text, as a tab above the page.
constexpr int kTabPadding = 8;
// The system icon size at 96 dots per inch.
constexpr int kIconSide = 32;

bool isUpDown(const DialogControl& c)
{
    return c.className.compare(QLatin1String("msctls_updown32"), Qt::CaseInsensitive) == 0;
}

// The lines a control draws: wrapped at `widthPixels` if it wraps, else broken at
// its line breaks only.
QList<TextSpan> linesOf(const DialogControl& c, int widthPixels, const DialogFont& font,
                        const TextMeasure& measure)
{
    return wrapLines(c.text, c.wraps ? widthPixels : std::numeric_limits<int>::max(), font, measure);
}
} // namespace

// Drawn above every control: the red outlines and the selection mark.
class DialogCanvas::Overlay : public QWidget {
public:
    explicit Overlay(DialogCanvas* canvas) : QWidget(canvas), m_canvas(canvas)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const qsizetype selected = m_canvas->m_selectedRow;
        for (const Item& item : m_canvas->m_items) {
            if (item.fit.checked && !item.fit.fits) {
                p.setPen(QPen(QColor(220, 0, 0), 2));
                p.setBrush(Qt::NoBrush);
                p.drawRect(item.rect.adjusted(0, 0, -1, -1));
            }
        }
        if (selected >= 0 && m_canvas->m_hasDialog && selected == m_canvas->m_dialog.captionRow) {
            p.setPen(QPen(palette().color(QPalette::Highlight).darker(150), 2, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(m_canvas->captionRect().adjusted(1, 1, -2, -2));
        } else if (selected >= 0 && m_canvas->m_hasDialog) {
            if (const DialogControl* c = controlAtRow(m_canvas->m_dialog, selected)) {
                const auto index = size_t(c - m_canvas->m_dialog.controls.data());
                QPen pen(palette().color(QPalette::Highlight), 2, Qt::DashLine);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(m_canvas->m_items[index].rect.adjusted(-2, -2, 1, 1));
            }
        }
    }

private:
    DialogCanvas* m_canvas;
};

DialogCanvas::DialogCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dialogCanvas"));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("dialogClient"));
    // The window's own colours, whatever the backdrop the canvas sits on.
    m_client->setBackgroundRole(QPalette::Window);
    m_client->setForegroundRole(QPalette::WindowText);
    m_client->setAutoFillBackground(true);
    // The controls only show; the canvas answers clicks and tooltips itself.
    m_client->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_overlay = new Overlay(this);
    m_client->hide();
}

void DialogCanvas::clear()
{
    m_hasDialog = false;
    m_dialog = DialogResource();
    rebuild();
}

void DialogCanvas::setDialog(const DialogResource& dialog)
{
    m_dialog = dialog;
    m_hasDialog = true;
    rebuild();
}

void DialogCanvas::setSelectedRow(qsizetype row)
{
    m_selectedRow = row;
    m_overlay->update();
}

int DialogCanvas::misfitCount() const
{
    int n = 0;
    for (const Item& item : m_items)
        n += item.fit.checked && !item.fit.fits;
    return n;
}

QRect DialogCanvas::clientRect() const
{
    if (!m_hasDialog)
        return QRect();
    // A script may claim any size; the drawing stops at a sane one.
    const int border = m_dialog.isPage() ? 0 : kBorder;
    return QRect(border, border + m_captionHeight, qBound(1, unitsToPixelsX(m_dialog.cx, m_base), kMaxSide),
                 qBound(1, unitsToPixelsY(m_dialog.cy, m_base), kMaxSide));
}

QRect DialogCanvas::captionRect() const
{
    const QRect client = clientRect();
    if (m_dialog.isPage()) {
        // A page shows its caption on its tab.
        const int text = QFontMetrics(captionFont()).horizontalAdvance(fromScriptForm(m_dialog.caption).text);
        return QRect(0, 0, qMin(client.width(), text + 2 * kTabPadding), m_captionHeight);
    }
    return QRect(client.left(), kBorder, client.width(), m_captionHeight);
}

QFont DialogCanvas::captionFont() const
{
    if (m_dialog.isPage())
        return m_measure.qtFont(m_dialog.font);
    QFont bold = font();
    bold.setBold(true);
    return bold;
}

QSize DialogCanvas::sizeHint() const
{
    if (!m_hasDialog)
        return QSize(200, 100);
    const QRect client = clientRect();
    const int border = m_dialog.isPage() ? 0 : kBorder;
    return QSize(client.right() + 1 + border, client.bottom() + 1 + border);
}

void DialogCanvas::rebuild()
{
    qDeleteAll(m_client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    m_items.clear();
    if (!m_hasDialog) {
        m_client->hide();
        m_overlay->hide();
        updateGeometry();
        update();
        return;
    }
    m_base = m_measure.base(m_dialog.font);
    const QFont font = m_measure.qtFont(m_dialog.font);
    // A page has no title bar; a caption it has is its tab's.
    const bool titled = m_dialog.isPage() ? !m_dialog.caption.isEmpty() : m_dialog.hasTitleBar();
    m_captionHeight = titled ? QFontMetrics(captionFont()).height() + (m_dialog.isPage() ? 6 : 8) : 0;

    const QRect client = clientRect();
    m_client->setGeometry(client);
    m_client->setFont(font);
    // Check and radio boxes as Windows draws them: a 13-pixel box, then the text
    // where the fit rule expects it.
    const int gap = qMax(1, unitsToPixelsX(textMarginUnits(ControlKind::CheckBox), m_base) - 13);
    m_client->setStyleSheet(QStringLiteral("QCheckBox, QRadioButton { spacing: %1px; }"
                                           "QCheckBox::indicator, QRadioButton::indicator "
                                           "{ width: 13px; height: 13px; }")
                                .arg(gap));
    for (const DialogControl& c : m_dialog.controls) {
        Item item;
        QRect local(unitsToPixelsX(c.x, m_base), unitsToPixelsY(c.y, m_base),
                    qMax(1, unitsToPixelsX(c.cx, m_base)), qMax(1, unitsToPixelsY(c.cy, m_base)));
        const bool realSizeIcon = c.kind == ControlKind::Icon && (c.style & ss::kTypeMask) == ss::kIcon &&
                                  !(c.style & (ss::kRealSizeControl | ss::kCenterImage));
        if (realSizeIcon) {
            // An icon static takes the icon's own size, the system's 32 by 32 pixels,
            // whatever the script gave it.
            local.setSize(QSize(kIconSide, kIconSide));
        } else if (isUpDown(c) && (c.style & uds::kAutoBuddy) && !m_items.empty()) {
            placeBesideBuddy(c, local, m_items.back(), client.topLeft());
        }
        item.rect = local.translated(client.topLeft());
        item.fit = measureFit(c, m_dialog.font, m_measure);
        item.widget = makeWidget(c, local.size());
        if (item.widget) {
            item.widget->setGeometry(QRect(local.topLeft(), item.widget->size()));
            item.widget->show();
        }
        m_items.push_back(item);
    }
    m_client->show();
    const QSize size = sizeHint();
    resize(size);
    setMinimumSize(size);
    m_overlay->setGeometry(rect());
    m_overlay->show();
    m_overlay->raise();
    updateGeometry();
    update();
}

// An up-down control that takes the control before it as its buddy is as tall as
// the buddy and stands at the buddy's top; aligned to a side, it sits inside the
// buddy's rectangle at that side, and the buddy gives up that width.
void DialogCanvas::placeBesideBuddy(const DialogControl& c, QRect& local, Item& buddy, const QPoint& origin)
{
    QRect buddyLocal = buddy.rect.translated(-origin);
    local.moveTop(buddyLocal.top());
    local.setHeight(buddyLocal.height());
    const int width = local.width();
    if (c.style & uds::kAlignRight) {
        local.moveLeft(buddyLocal.right() + 1 - width);
        buddyLocal.setRight(buddyLocal.right() - width);
    } else if (c.style & uds::kAlignLeft) {
        local.moveLeft(buddyLocal.left());
        buddyLocal.setLeft(buddyLocal.left() + width);
    } else {
        return;
    }
    if (buddyLocal.width() < 1)
        return;
    buddy.rect = buddyLocal.translated(origin);
    if (buddy.widget)
        buddy.widget->setGeometry(buddyLocal.left(), buddyLocal.top(), buddyLocal.width(),
                                  buddy.widget->height());
}

QWidget* DialogCanvas::makeWidget(const DialogControl& c, const QSize& size)
{
    const QFont font = m_measure.qtFont(m_dialog.font);
    QWidget* w = nullptr;
    QSize shown = size;
    // Buttons read "&" as Windows does, so the marked letter is underlined there and
    // a literal "&" goes doubled.
    const QString withMark = toScriptForm(c.text, c.mark);
    switch (c.kind) {
    case ControlKind::Static:
        w = new DialogText(c, linesOf(c, size.width(), m_dialog.font, m_measure), m_base.height, m_client);
        break;
    case ControlKind::PushButton: {
        QString caption = withMark;
        if (c.wraps) {
            // The lines the fit check counts, one under the other.
            const int inner = unitsToPixelsX(c.cx - textMarginUnits(c.kind), m_base);
            QStringList lines;
            for (const TextSpan& line : linesOf(c, inner, m_dialog.font, m_measure)) {
                const bool marked = c.mark >= line.start && c.mark < line.start + line.length;
                lines << toScriptForm(QStringView(c.text).sliced(line.start, line.length),
                                      marked ? c.mark - line.start : -1);
            }
            caption = lines.join(u'\n');
        }
        auto* button = new QPushButton(caption, m_client);
        button->setDefault(c.isDefault);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        w = makeCheckable(c, size, withMark);
        break;
    case ControlKind::GroupBox:
        w = new DialogGroupBox(withMark, unitsToPixelsX(4, m_base), m_client);
        break;
    case ControlKind::Edit:
        if (c.style & es::kMultiline) {
            auto* edit = new QPlainTextEdit(m_client);
            edit->setPlainText(c.text);
            w = edit;
        } else {
            auto* edit = new QLineEdit(c.text, m_client);
            w = edit;
        }
        break;
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(m_client);
        if (c.hasText)
            combo->addItem(c.text);
        // The script's height includes the dropped-down list.
        shown.setHeight(qMin(size.height(), QFontMetrics(font).height() + 8));
        w = combo;
        break;
    }
    case ControlKind::ListBox:
        w = new QListWidget(m_client);
        break;
    case ControlKind::Icon: {
        auto* label = new QLabel(m_client);
        if ((c.style & ss::kTypeMask) == ss::kIcon) {
            const int side = qMax(8, qMin(size.width(), size.height()));
            label->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side, side));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else {
            // A picture the program supplies: its place, in the colour of a picture's background.
            label->setAutoFillBackground(true);
            label->setBackgroundRole(QPalette::Midlight);
        }
        if (c.style & ss::kSunken)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w = label;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QFrame(m_client);
        const quint32 type = c.style & ss::kTypeMask;
        if (type == ss::kEtchedHorz)
            frame->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        else if (type == ss::kEtchedVert)
            frame->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        else if (type == ss::kBlackRect || type == ss::kGrayRect || type == ss::kWhiteRect) {
            frame->setAutoFillBackground(true);
            QPalette pal = frame->palette();
            pal.setColor(QPalette::Window, type == ss::kBlackRect  ? Qt::black
                                           : type == ss::kGrayRect ? Qt::gray
                                                                   : Qt::white);
            frame->setPalette(pal);
        } else {
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        }
        if ((c.style & ss::kSunken) && type != ss::kEtchedHorz && type != ss::kEtchedVert)
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w = frame;
        break;
    }
    case ControlKind::Custom: {
        const QString cls = c.className.toLower();
        if (cls == QLatin1String("scrollbar")) {
            w = new QScrollBar(size.width() >= size.height() ? Qt::Horizontal : Qt::Vertical, m_client);
        } else if (cls == QLatin1String("msctls_progress32")) {
            auto* bar = new QProgressBar(m_client);
            bar->setValue(40);
            bar->setTextVisible(false);
            w = bar;
        } else if (cls == QLatin1String("msctls_trackbar32")) {
            w = new QSlider(Qt::Horizontal, m_client);
        } else if (isUpDown(c)) {
            w = new DialogUpDown(c.style & uds::kHorz ? Qt::Horizontal : Qt::Vertical, m_client);
        } else {
            auto* box = new QLabel(c.hasText && !c.text.isEmpty() ? c.text : c.className, m_client);
            box->setTextFormat(Qt::PlainText);
            box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            box->setAlignment(Qt::AlignCenter);
            box->setWordWrap(true);
            box->setEnabled(!c.hasText);
            w = box;
        }
        break;
    }
    }
    w->setFont(font);
    w->setFocusPolicy(Qt::NoFocus);
    w->setEnabled(w->isEnabled() && !c.disabled);
    w->setObjectName(QStringLiteral("control_%1").arg(c.id));
    w->resize(shown);
    return w;
}

int DialogCanvas::controlAt(const QPoint& pos) const
{
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < int(m_items.size()); ++i) {
        const QRect& r = m_items[size_t(i)].rect;
        if (!r.contains(pos))
            continue;
        const qint64 area = qint64(r.width()) * r.height();
        if (best < 0 || area < bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QString DialogCanvas::toolTipFor(int index) const
{
    const DialogControl& c = m_dialog.controls[size_t(index)];
    QString tip = preview_texts::controlName(c.statement, c.id, c.className);
    const TextFit& fit = m_items[size_t(index)].fit;
    if (fit.checked && !fit.fits)
        tip += QChar(10) + preview_texts::misfit(fit);
    return tip;
}

bool DialogCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int i = controlAt(help->pos());
        if (i >= 0)
            QToolTip::showText(help->globalPos(), toolTipFor(i), this, m_items[size_t(i)].rect);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void DialogCanvas::mousePressEvent(QMouseEvent* event)
{
    const int i = controlAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && i < 0 && m_hasDialog && m_dialog.captionRow >= 0 &&
        captionRect().contains(event->position().toPoint())) {
        Q_EMIT rowClicked(m_dialog.captionRow);
        return;
    }
    if (i < 0 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const DialogControl& c = m_dialog.controls[size_t(i)];
    Q_EMIT rowClicked(c.textRow >= 0 ? c.textRow : c.row);
}

void DialogCanvas::paintEvent(QPaintEvent*)
{
    if (!m_hasDialog)
        return;
    QPainter p(this);
    if (!m_dialog.isPage())
        p.fillRect(QRect(QPoint(0, 0), sizeHint()), palette().color(QPalette::Mid));
    if (m_captionHeight == 0)
        return;
    const QRect caption = captionRect();
    p.setFont(captionFont());
    if (m_dialog.isPage()) {
        p.fillRect(caption, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(caption.adjusted(0, 0, -1, 0));
        p.setPen(palette().color(QPalette::WindowText));
        // A tab reads "&" as a button does: "&&" is one "&", a single one underlines.
        p.drawText(caption.adjusted(kTabPadding, 0, 0, 0),
                   Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextShowMnemonic,
                   m_dialog.caption);
        return;
    }
    p.fillRect(caption, palette().color(QPalette::Highlight));
    p.setPen(palette().color(QPalette::HighlightedText));
    p.drawText(caption.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               m_dialog.caption);
}

QWidget* DialogCanvas::makeCheckable(const DialogControl& c, const QSize& size, const QString& withMark)
{
    const bool leftText = c.style & bs::kLeftText;
    QAbstractButton* box = c.kind == ControlKind::CheckBox ? static_cast<QAbstractButton*>(new QCheckBox)
                                                           : static_cast<QAbstractButton*>(new QRadioButton);
    if (auto* radio = qobject_cast<QRadioButton*>(box))
        radio->setAutoExclusive(false);
    if (!c.wraps) {
        box->setText(withMark);
        box->setParent(m_client);
        if (leftText)
            box->setLayoutDirection(Qt::RightToLeft);
        return box;
    }
    // Several lines: the box, and beside it the lines the fit check counts.
    auto* holder = new QWidget(m_client);
    box->setParent(holder);
    const int margin = unitsToPixelsX(textMarginUnits(c.kind), m_base);
    const int textWidth = qMax(1, size.width() - margin);
    auto* text = new DialogText(c, linesOf(c, textWidth, m_dialog.font, m_measure), m_base.height, holder);
    text->setGeometry(leftText ? 0 : margin, 0, textWidth, size.height());
    // The box stands by the first line of text at the top or by the last at the
    // bottom; by default both are centred in the height.
    const QSize boxSize = box->sizeHint();
    const quint32 vertical = c.style & bs::kVerticalMask;
    int boxTop = (size.height() - boxSize.height()) / 2;
    if (vertical == bs::kTop) {
        text->setVerticalAlignment(Qt::AlignTop);
        boxTop = qMax(0, (m_base.height - boxSize.height()) / 2);
    } else if (vertical == bs::kBottom) {
        text->setVerticalAlignment(Qt::AlignBottom);
        boxTop = size.height() - qMax(boxSize.height(), m_base.height);
    } else {
        text->setVerticalAlignment(Qt::AlignVCenter);
    }
    box->setGeometry(leftText ? size.width() - boxSize.width() : 0, boxTop, boxSize.width(),
                     boxSize.height());
    return holder;
}

} // namespace kvarsel
