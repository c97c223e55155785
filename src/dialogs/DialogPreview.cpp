#include "dialogs/DialogPreview.h"

#include "dialogs/DialogCanvas.h"
#include "dialogs/PreviewTexts.h"

#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace kvarsel {

namespace {

constexpr int kGap = 8;        // between the main window and the preview
constexpr int kMinWidth = 320; // narrower, the header and the dialogs no longer show

// Where a window of `want` (frame included) goes beside `main` within `room`.
QRect besideRect(const QRect& main, const QSize& want, const QRect& room)
{
    const int right = room.right() - main.right() - kGap;
    const int left = main.left() - room.left() - kGap;
    int width = qMin(want.width(), room.width());
    int x = 0;
    if (width <= right) {
        x = main.right() + 1 + kGap;
    } else if (width <= left) {
        x = main.left() - kGap - width;
    } else if (qMax(right, left) >= kMinWidth) {
        width = qMax(right, left);
        x = right >= left ? main.right() + 1 + kGap : room.left();
    } else {
        // No room beside it: against the screen's edge farther from the main window's middle.
        x = main.center().x() < room.center().x() ? room.right() + 1 - width : room.left();
    }
    const int height = qMin(want.height(), room.height());
    const int y = qBound(room.top(), main.top(), room.bottom() + 1 - height);
    return QRect(x, y, width, height);
}

} // namespace

DialogPreview::DialogPreview(const LineStore& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("DialogPreview"));
    setWindowTitle(preview_texts::kCaption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_header = new QLabel;
    m_header->setObjectName(QStringLiteral("header"));
    m_header->setTextFormat(Qt::PlainText);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextFormat(Qt::PlainText);
    // A long dialog or file name must not widen the window past the screen.
    m_header->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_canvas = new DialogCanvas;
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("scroll"));
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_status);

    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(0);
    connect(m_refresh, &QTimer::timeout, this, &DialogPreview::refresh);
    // A run of translations changes many rows at once; one redraw follows them all.
    connect(&m_dialogs, &QAbstractItemModel::dataChanged, this, [this] {
        forgetFile();
        m_dirty = true;
        scheduleRefresh();
    });
    connect(&m_dialogs, &QAbstractItemModel::modelReset, this, [this] {
        forgetFile();
        m_dirty = true;
        m_anchor = -1;
        m_row = -1;
        scheduleRefresh();
    });
    connect(m_canvas, &DialogCanvas::rowClicked, this, &DialogPreview::rowClicked);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    showPlaceholder();
    resize(640, 480);
}

QSize DialogPreview::wantedSize() const
{
    // The dialog at its size, with the header and the footer; never smaller than
    // the window's first size.
    const QMargins margins = layout()->contentsMargins();
    const int frame = 2 * m_scroll->frameWidth() + 2;
    const QSize canvas = m_canvas->sizeHint();
    const QSize want(canvas.width() + frame + margins.left() + margins.right(),
                     canvas.height() + frame + margins.top() + margins.bottom() +
                         m_header->sizeHint().height() + 2 * m_status->sizeHint().height() +
                         2 * layout()->spacing());
    return want.expandedTo(QSize(kMinWidth, 240));
}

void DialogPreview::placeBeside(const QWidget& main)
{
    const QScreen* screen = main.screen();
    if (!screen)
        return;
    // A window never shown has no frame yet; the main window's tells its size.
    const QSize decoration = main.frameGeometry().size() - main.geometry().size();
    const QRect target =
        besideRect(main.frameGeometry(), wantedSize() + decoration, screen->availableGeometry());
    resize(target.size() - decoration);
    move(target.topLeft());
}

void DialogPreview::growWithinScreen()
{
    const QScreen* screen = this->screen();
    if (!screen || !isVisible())
        return;
    const QRect room = screen->availableGeometry();
    const QSize decoration = frameGeometry().size() - geometry().size();
    // Grown for a larger dialog, never beyond the screen; the scroll bars show the rest.
    const QSize frameSize =
        (wantedSize() + decoration).expandedTo(frameGeometry().size()).boundedTo(room.size());
    const int x = qBound(room.left(), frameGeometry().left(), room.right() + 1 - frameSize.width());
    const int y = qBound(room.top(), frameGeometry().top(), room.bottom() + 1 - frameSize.height());
    if (frameSize != frameGeometry().size())
        resize(frameSize - decoration);
    if (QPoint(x, y) != frameGeometry().topLeft())
        move(x, y);
}

void DialogPreview::forgetFile()
{
    m_file.reset();
    m_fileDialogs.clear();
}

const std::vector<DialogResource>& DialogPreview::dialogsOfFile(const LineStore::Script& file)
{
    if (!m_file || m_file->markerRow != file.markerRow) {
        m_fileDialogs = readDialogs(m_dialogs, file);
        m_file = file;
    }
    return m_fileDialogs;
}

void DialogPreview::showRow(qsizetype row)
{
    m_row = row;
    if (m_file && row > m_file->markerRow && row < m_file->endRow) {
        // Still in the same file: no walk through the store for its bounds.
    } else {
        const auto file = m_dialogs.scriptOf(row);
        if (file)
            dialogsOfFile(*file);
        else
            forgetFile();
    }
    for (const DialogResource& d : m_fileDialogs)
        if (d.contains(row))
            m_anchor = row;
    refresh();
}

void DialogPreview::scheduleRefresh() { m_refresh->start(); }

void DialogPreview::showPlaceholder()
{
    m_canvas->clear();
    m_header->setText(preview_texts::kNoDialog);
    m_status->clear();
}

void DialogPreview::refresh()
{
    m_refresh->stop();
    if (m_anchor < 0 || m_anchor >= m_dialogs.RowCount()) {
        m_anchor = -1;
        showPlaceholder();
        return;
    }
    const auto file = m_file && m_anchor > m_file->markerRow && m_anchor < m_file->endRow
                          ? m_file
                          : m_dialogs.scriptOf(m_anchor);
    const DialogResource* dialog = nullptr;
    if (file)
        for (const DialogResource& d : dialogsOfFile(*file))
            if (d.contains(m_anchor))
                dialog = &d;
    if (!dialog) {
        m_anchor = -1;
        showPlaceholder();
        return;
    }
    // Only a change of the dialog shown needs a redraw; moving within it marks another control.
    if (m_canvas->hasDialog() && m_canvas->dialog().firstRow == dialog->firstRow && !m_dirty) {
        m_canvas->setSelectedRow(dialog->contains(m_row) ? m_row : -1);
        return;
    }
    m_dirty = false;
    m_canvas->setDialog(*dialog);
    m_canvas->setSelectedRow(dialog->contains(m_row) ? m_row : -1);
    growWithinScreen();
    m_header->setText(
        preview_texts::header(dialog->name, QFileInfo(file->path).fileName(), int(dialog->controls.size())));
    const int misfits = m_canvas->misfitCount();
    QString status = preview_texts::misfitCount(misfits);
    for (const QString& family : m_canvas->missingFamilies())
        status += QChar(10) + preview_texts::fontMissing(family, QtTextMeasure::packageOf(family));
    m_status->setText(status);
    m_status->setStyleSheet(misfits > 0 ? QStringLiteral("color: #c00000;") : QString());
}

} // namespace kvarsel
