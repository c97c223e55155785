#include "workspace/ResourcesDialog.h"

#include "project/Project.h"
#include "project/ProjectResources.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Ресурсы");
const QString kDrive = QStringLiteral("Диск:");
const QString kDirectory = QStringLiteral("Каталог с подкаталогами ресурсов:");
const QString kHideRussianMode = QStringLiteral("Режим сокрытия русских строк при загрузке");
const QString kOk = QStringLiteral("ОК"); // Cyrillic letters, as the dialog has always shown them
const QString kCancel = QStringLiteral("Отмена");
const QString kNotReady = QStringLiteral("Устройство не готово");
const QString kNotReadyTitle = QStringLiteral("Выбор файлов ресурсов");
const QString kTitle = kProductName;
QString noSuchDirectory(const QString& path) { return QStringLiteral("Каталог «%1» не найден.").arg(path); }
const QString kSomeNotRead = QStringLiteral("Не все файлы ресурсов удалось прочитать; они не загружены:");

QString loadingCaption(ResourceKind kind)
{
    // One blank after the dash for Menu, two for the others.
    return kind == ResourceKind::Menu ? QStringLiteral("Ресурсы - Menu")
                                      : QStringLiteral("Ресурсы -  ") + kindInfo(kind).name;
}
} // namespace texts

ResourcesDialog::ResourcesDialog(QWidget* mainWindow, Project& project, UiServices& services)
    : SecondaryWindow(mainWindow), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("ResourcesDialog"));
    setWindowTitle(texts::kCaption);

    m_volumes = new QComboBox;
    m_volumes->setObjectName(QStringLiteral("volumes"));
    fillVolumes();

    m_fsModel = new QFileSystemModel(this);
    m_fsModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_fsModel->setRootPath(QDir::rootPath());
    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("directoryTree"));
    m_tree->setModel(m_fsModel);
    for (int c = 1; c < m_fsModel->columnCount(); ++c)
        m_tree->hideColumn(c);
    m_tree->header()->hide();
    m_tree->setRootIndex(m_fsModel->index(QDir::rootPath()));
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);

    // The chosen directory, and a box to type a path into: Enter goes there.
    m_chosenBox = new QLineEdit;
    m_chosenBox->setObjectName(QStringLiteral("chosenDirectory"));
    m_chosenBox->installEventFilter(this);
    connect(m_chosenBox, &QLineEdit::textEdited, this, &ResourcesDialog::followTypedPath);

    m_modeLabel = new QLabel(texts::kHideRussianMode);
    m_modeLabel->setObjectName(QStringLiteral("modeLabel"));
    m_modeLabel->setVisible(m_project.settings().autoHideRussianString);
    QFont bold = m_modeLabel->font();
    bold.setBold(true);
    m_modeLabel->setFont(bold);

    m_ok = new QPushButton(texts::kOk);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setEnabled(false);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(texts::kCancel);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    setEscapeButton(m_cancel);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setValue(0);

    auto* driveRow = new QHBoxLayout;
    auto* driveLabel = new QLabel(texts::kDrive);
    driveLabel->setBuddy(m_volumes);
    driveRow->addWidget(driveLabel);
    driveRow->addWidget(m_volumes, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(driveRow);
    auto* dirLabel = new QLabel(texts::kDirectory);
    dirLabel->setBuddy(m_tree);
    layout->addWidget(dirLabel);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_chosenBox);
    layout->addWidget(m_modeLabel);
    layout->addLayout(buttons);

    // The model reads directories in the background; once the chosen one's parent
    // is read, bring it into view.
    connect(m_fsModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (m_chosen.startsWith(loaded))
            revealChosen();
    });
    // The model fills and sorts a directory in the background, after it was shown:
    // rows arriving above the chosen directory would push it out of view. It is
    // kept in view until the user takes the tree in hand.
    const auto keepInView = [this] {
        if (m_keepChosenInView)
            QTimer::singleShot(0, this, [this] {
                if (m_keepChosenInView && m_tree->currentIndex().isValid())
                    m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::EnsureVisible);
            });
    };
    connect(m_fsModel, &QAbstractItemModel::layoutChanged, this, keepInView);
    connect(m_fsModel, &QAbstractItemModel::rowsInserted, this, keepInView);
    connect(m_tree->verticalScrollBar(), &QScrollBar::sliderPressed, this,
            [this] { m_keepChosenInView = false; });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ResourcesDialog::onTreeCurrentChanged);
    connect(m_volumes, &QComboBox::activated, this,
            [this](int i) { chooseVolume(m_volumes->itemData(i).toString()); });
    connect(m_ok, &QPushButton::clicked, this, &ResourcesDialog::load);
    connect(m_cancel, &QPushButton::clicked, this, &ResourcesDialog::cancel);

    resize(460, 520);
    setChosenDirectory(QDir::currentPath());
}

void ResourcesDialog::fillVolumes()
{
    m_volumes->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        const QString name =
            volume.displayName() == root ? root : root + QStringLiteral("  [") + volume.displayName() + u']';
        m_volumes->addItem(name, root);
    }
}

bool ResourcesDialog::okEnabled() const { return m_ok->isEnabled(); }

void ResourcesDialog::setChosenDirectory(const QString& dir)
{
    m_chosen = QDir::cleanPath(QDir(dir).absolutePath());
    m_ok->setEnabled(directoryHasResources(m_chosen));
    // Keep the volume chooser on the volume that holds the directory.
    const QString root = QStorageInfo(m_chosen).rootPath();
    const int at = m_volumes->findData(root);
    if (at >= 0)
        m_volumes->setCurrentIndex(at);
    if (m_typingFrom.isEmpty())
        m_chosenBox->setText(QDir::toNativeSeparators(m_chosen));
    revealChosen();
}

void ResourcesDialog::showChosenInBox()
{
    m_typingFrom.clear();
    m_chosenBox->setText(QDir::toNativeSeparators(m_chosen));
    m_ok->setEnabled(directoryHasResources(m_chosen));
}

QString ResourcesDialog::typedPath() const
{
    const QString typed = QDir::fromNativeSeparators(m_chosenBox->text().trimmed());
    if (typed.isEmpty())
        return QString();
    // A relative path is taken from the directory chosen before typing began.
    return QDir::cleanPath(QDir(m_typingFrom.isEmpty() ? m_chosen : m_typingFrom).absoluteFilePath(typed));
}

void ResourcesDialog::followTypedPath()
{
    if (m_typingFrom.isEmpty())
        m_typingFrom = m_chosen;
    const QString path = typedPath();
    if (!path.isEmpty() && QFileInfo(path).isDir())
        setChosenDirectory(path);
    else
        m_ok->setEnabled(false); // "ОК" must not load a directory the box does not show
}

void ResourcesDialog::enterTypedPath()
{
    const QString path = typedPath();
    if (path.isEmpty()) {
        showChosenInBox();
        return;
    }
    if (!QFileInfo(path).isDir()) {
        m_services.beep();
        m_services.message(this, texts::kTitle, texts::noSuchDirectory(QDir::toNativeSeparators(path)),
                           MessageIcon::Stop);
        m_chosenBox->setFocus();
        return;
    }
    m_typingFrom.clear();
    setChosenDirectory(path);
    if (m_ok->isEnabled())
        load();
    else
        m_services.beep(); // no menu, dialog, string or rcdata scripts here
}

bool ResourcesDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree || watched == m_tree->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::Wheel || type == QEvent::KeyPress)
            m_keepChosenInView = false;
    }
    if (watched == m_chosenBox) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                enterTypedPath();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Typing ends: an existing directory typed is the chosen one already; a
            // missing one gives way to the chosen one again. A message box or a menu
            // over the dialog only lends the focus out.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                showChosenInBox();
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void ResourcesDialog::revealChosen()
{
    const QModelIndex index = m_fsModel->index(m_chosen);
    if (!index.isValid())
        return;
    m_settingDirectory = true;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        m_tree->expand(up);
    if (m_tree->currentIndex() != index)
        m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_settingDirectory = false;
    m_keepChosenInView = true;
    // Expanding lays the tree out later; scroll once that is done.
    QTimer::singleShot(
        0, this, [this] { m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter); });
}

void ResourcesDialog::onTreeCurrentChanged()
{
    if (m_settingDirectory)
        return;
    const QString path = m_fsModel->filePath(m_tree->currentIndex());
    if (!path.isEmpty())
        setChosenDirectory(path);
}

void ResourcesDialog::chooseVolume(const QString& rootPath)
{
    const QFileInfo info(rootPath);
    const QStorageInfo volume(rootPath);
    if (!rootPath.isEmpty() && info.isDir() && info.isExecutable() && volume.isReady()) {
        setChosenDirectory(rootPath);
        return;
    }
    m_services.beep();
    m_services.message(this, texts::kNotReadyTitle, texts::kNotReady, MessageIcon::Stop);
    setChosenDirectory(QDir::homePath());
}

void ResourcesDialog::load()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LoadCallbacks callbacks;
    callbacks.kindStarted = [this](ResourceKind kind, qsizetype files) {
        setWindowTitle(texts::loadingCaption(kind));
        m_progress->setMaximum(int(qMax<qsizetype>(files, 1)));
        m_progress->setValue(0);
        repaint();
    };
    callbacks.fileLoaded = [this](ResourceKind, qsizetype i) { m_progress->setValue(int(i)); };
    callbacks.kindFinished = [this](ResourceKind) {
        setWindowTitle(texts::kCaption);
        Q_EMIT repaintRequested();
    };
    const LoadResult result = loadProjectResources(m_project, m_chosen, callbacks);
    m_progress->setValue(0);
    QApplication::restoreOverrideCursor();
    Q_EMIT loaded(result);
    if (!result.errors.isEmpty())
        m_services.message(this, texts::kTitle, describeFailures(texts::kSomeNotRead, result.errors),
                           MessageIcon::Stop);
    Q_EMIT repaintRequested();
    hide();
}

void ResourcesDialog::cancel()
{
    Q_EMIT repaintRequested();
    hide();
    deleteLater();
}

} // namespace kvarsel
