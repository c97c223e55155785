#include "dialogs/InstallDialogPreview.h"

#include "dialogs/DialogPreview.h"
#include "dialogs/PreviewTexts.h"
#include "workbench/MainWindow.h"

#include <QEvent>
#include <QListView>
#include <QMenu>
#include <QTabBar>
#include <QWindow>

namespace kvarsel {

namespace {

// The preview is a window of its own, not a child of the main window: a window
// that disables the main window for its turn must not disable the preview too.
// This child of the main window owns it, and hides it with the main window.
class PreviewOwner : public QObject {
public:
    explicit PreviewOwner(MainWindow& main) : QObject(&main)
    {
        setObjectName(QStringLiteral("dialogPreviewOwner"));
        main.installEventFilter(this);
    }
    ~PreviewOwner() override { delete preview; }

    DialogPreview* preview = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == parent() && preview)
            preview->hide();
        return false;
    }
};

PreviewOwner* ownerOf(MainWindow& main)
{
    return main.findChild<PreviewOwner*>(QStringLiteral("dialogPreviewOwner"), Qt::FindDirectChildrenOnly);
}

QListView* dialogList(MainWindow& main) { return main.listView(ResourceKind::Dialog); }

qsizetype selectedDialogRow(MainWindow& main)
{
    const QModelIndexList selected = dialogList(main)->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

// A click in the preview selects the row as the user would in the list. While
// another window has the main window disabled, the preview does not reach into it.
void selectFromPreview(MainWindow& main, qsizetype row)
{
    if (!main.isEnabled())
        return;
    const int dialogTab = kindIndex(ResourceKind::Dialog);
    if (main.tabBar()->currentIndex() != dialogTab)
        main.tabBar()->setCurrentIndex(dialogTab);
    QListView* list = dialogList(main);
    const QModelIndex index = main.project().store(ResourceKind::Dialog).index(int(row));
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
}

bool rowInDialog(MainWindow& main, qsizetype row)
{
    return row >= 0 && dialogAtRow(main.project().store(ResourceKind::Dialog), row).has_value();
}

} // namespace

DialogPreview* dialogPreviewOf(MainWindow& main)
{
    PreviewOwner* owner = ownerOf(main);
    return owner ? owner->preview : nullptr;
}

DialogPreview* openDialogPreview(MainWindow& main, qsizetype row)
{
    PreviewOwner* owner = ownerOf(main);
    if (!owner)
        owner = new PreviewOwner(main);
    DialogPreview* preview = owner->preview;
    if (!preview) {
        preview = new DialogPreview(main.project().store(ResourceKind::Dialog), nullptr);
        owner->preview = preview;
        QObject::connect(dialogList(main)->selectionModel(), &QItemSelectionModel::selectionChanged, preview,
                         [preview](const QItemSelection& selected) {
                             if (!selected.indexes().isEmpty())
                                 preview->showRow(selected.indexes().constFirst().row());
                         });
        QObject::connect(preview, &DialogPreview::rowClicked, &main,
                         [&main](qsizetype r) { selectFromPreview(main, r); });
    }
    preview->showRow(row);
    if (!preview->isVisible())
        preview->placeBeside(main);
    preview->show();
    // Kept above the main window by the window manager, as a window of this program.
    if (preview->windowHandle() && main.windowHandle())
        preview->windowHandle()->setTransientParent(main.windowHandle());
    preview->raise();
    preview->activateWindow();
    return preview;
}

void installDialogPreview(MainWindow& main)
{
    QListView* list = dialogList(main);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, &main, [&main, list](const QPoint& pos) {
        const QModelIndex index = list->indexAt(pos);
        if (!index.isValid())
            return;
        const qsizetype row = index.row();
        QMenu menu(list);
        QAction* preview = menu.addAction(preview_texts::kMenuEntry);
        preview->setShortcut(QKeySequence(Qt::Key_F4));
        preview->setEnabled(rowInDialog(main, row));
        if (menu.exec(list->viewport()->mapToGlobal(pos)) == preview)
            openDialogPreview(main, row);
    });
    // F4 is the key of the menu's "Предпросмотр диалога".
    main.setCommandAction(MainWindow::DialogPreview, [&main] {
        if (main.tabBar()->currentIndex() == kindIndex(ResourceKind::Dialog))
            openDialogPreview(main, selectedDialogRow(main));
    });
}

} // namespace kvarsel
