#include "dialogs/DialogPreview.h"

#include "dialogs/DialogCanvas.h"
#include "dialogs/PreviewTexts.h"

#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace kvarsel {

DialogPreview::DialogPreview(const LineStore& dialogs, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_dialogs(dialogs)
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
    connect(&m_dialogs, &QAbstractItemModel::dataChanged, this, &DialogPreview::scheduleRefresh);
    connect(&m_dialogs, &QAbstractItemModel::modelReset, this, [this] {
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

void DialogPreview::showRow(qsizetype row)
{
    m_row = row;
    const auto file = fileOfRow(m_dialogs, row);
    bool inDialog = false;
    if (file) {
        for (const DialogResource& d : readDialogs(m_dialogs, *file))
            inDialog = inDialog || d.contains(row);
    }
    if (inDialog)
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
    const auto dialog = dialogAtRow(m_dialogs, m_anchor);
    if (!dialog) {
        m_anchor = -1;
        showPlaceholder();
        return;
    }
    const auto file = fileOfRow(m_dialogs, m_anchor);
    m_canvas->setDialog(*dialog);
    m_canvas->setSelectedRow(dialog->contains(m_row) ? m_row : -1);
    m_header->setText(preview_texts::header(dialog->name, QFileInfo(file->path).fileName(),
                                            int(dialog->controls.size())));
    const int misfits = m_canvas->misfitCount();
    m_status->setText(preview_texts::misfitCount(misfits));
    m_status->setStyleSheet(misfits > 0 ? QStringLiteral("color: #c00000;") : QString());
}

} // namespace kvarsel
