#include "dialogs/DialogCanvas.h"

#include "dialogs/PreviewTexts.h"
#include "model/Accelerators.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
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
#include <QSlider>
#include <QStyle>
#include <QToolTip>

namespace kvarsel {

namespace {
constexpr int kBorder = 4;
constexpr int kMaxSide = 4096;
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
    return QRect(kBorder, kBorder + m_captionHeight, qBound(1, unitsToPixelsX(m_dialog.cx, m_base), kMaxSide),
                 qBound(1, unitsToPixelsY(m_dialog.cy, m_base), kMaxSide));
}

QRect DialogCanvas::captionRect() const
{
    return QRect(kBorder, kBorder, clientRect().width(), m_captionHeight);
}

QSize DialogCanvas::sizeHint() const
{
    if (!m_hasDialog)
        return QSize(200, 100);
    const QRect client = clientRect();
    return QSize(client.right() + 1 + kBorder, client.bottom() + 1 + kBorder);
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
    QFont captionFont = this->font();
    captionFont.setBold(true);
    m_captionHeight = QFontMetrics(captionFont).height() + 8;

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
        const QRect local(unitsToPixelsX(c.x, m_base), unitsToPixelsY(c.y, m_base),
                          qMax(1, unitsToPixelsX(c.cx, m_base)), qMax(1, unitsToPixelsY(c.cy, m_base)));
        item.rect = local.translated(client.topLeft());
        item.fit = measureFit(c, m_dialog.font, m_measure);
        item.widget = makeWidget(c, font, local.size());
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

QWidget* DialogCanvas::makeWidget(const DialogControl& c, const QFont& font, const QSize& size)
{
    QWidget* w = nullptr;
    const Qt::Alignment horizontal = c.align == TextAlign::Center  ? Qt::AlignHCenter
                                     : c.align == TextAlign::Right ? Qt::AlignRight
                                                                   : Qt::AlignLeft;
    QSize shown = size;
    // Buttons read "&" as Windows does, so the marked letter is underlined there; a
    // label underlines it by markup.
    const QString withMark = c.mark >= 0 ? toScriptForm(c.text, c.mark) : c.text;
    switch (c.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(m_client);
        if (c.mark >= 0 && c.mark < c.text.size()) {
            label->setTextFormat(Qt::RichText);
            QString html = c.text.left(c.mark).toHtmlEscaped() + QStringLiteral("<u>") +
                           QString(c.text[c.mark]).toHtmlEscaped() + QStringLiteral("</u>") +
                           c.text.mid(c.mark + 1).toHtmlEscaped();
            label->setText(html.replace(u'\n', QStringLiteral("<br>")));
        } else {
            label->setTextFormat(Qt::PlainText);
            label->setText(c.text);
        }
        label->setWordWrap(c.wraps);
        label->setAlignment(horizontal | Qt::AlignTop);
        label->setContentsMargins(0, 0, 0, 0);
        w = label;
        break;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(withMark, m_client);
        button->setDefault(c.isDefault);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(withMark, m_client);
        if (c.hasStyle(QStringLiteral("BS_LEFTTEXT")) || c.hasStyle(QStringLiteral("BS_RIGHTBUTTON")))
            box->setLayoutDirection(Qt::RightToLeft);
        w = box;
        break;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(withMark, m_client);
        radio->setAutoExclusive(false);
        if (c.hasStyle(QStringLiteral("BS_LEFTTEXT")) || c.hasStyle(QStringLiteral("BS_RIGHTBUTTON")))
            radio->setLayoutDirection(Qt::RightToLeft);
        w = radio;
        break;
    }
    case ControlKind::GroupBox:
        w = new QGroupBox(withMark, m_client);
        break;
    case ControlKind::Edit:
        if (c.hasStyle(QStringLiteral("ES_MULTILINE"))) {
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
        const int side = qMax(8, qMin(size.width(), size.height()));
        label->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side, side));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QFrame(m_client);
        if (c.hasStyle(QStringLiteral("SS_ETCHEDHORZ")))
            frame->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        else if (c.hasStyle(QStringLiteral("SS_ETCHEDVERT")))
            frame->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        else if (c.hasStyle(QStringLiteral("SS_BLACKRECT")) || c.hasStyle(QStringLiteral("SS_GRAYRECT")) ||
                 c.hasStyle(QStringLiteral("SS_WHITERECT"))) {
            frame->setAutoFillBackground(true);
            QPalette pal = frame->palette();
            pal.setColor(QPalette::Window, c.hasStyle(QStringLiteral("SS_BLACKRECT"))  ? Qt::black
                                           : c.hasStyle(QStringLiteral("SS_GRAYRECT")) ? Qt::gray
                                                                                       : Qt::white);
            frame->setPalette(pal);
        } else {
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        }
        w = frame;
        break;
    }
    case ControlKind::Custom: {
        const QString cls = c.className.toLower();
        if (cls == QLatin1String("msctls_progress32")) {
            auto* bar = new QProgressBar(m_client);
            bar->setValue(40);
            bar->setTextVisible(false);
            w = bar;
        } else if (cls == QLatin1String("msctls_trackbar32")) {
            w = new QSlider(Qt::Horizontal, m_client);
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
    const QRect outer(0, 0, sizeHint().width(), sizeHint().height());
    p.fillRect(outer, palette().color(QPalette::Mid));
    const QRect caption = captionRect();
    p.fillRect(caption, palette().color(QPalette::Highlight));
    QFont captionFont = font();
    captionFont.setBold(true);
    p.setFont(captionFont);
    p.setPen(palette().color(QPalette::HighlightedText));
    p.drawText(caption.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               m_dialog.caption);
}

} // namespace kvarsel
