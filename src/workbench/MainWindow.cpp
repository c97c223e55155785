#include "workbench/MainWindow.h"
#include "workbench/ProgramCommands.h"

#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "settings/SettingsDialog.h"
#include "workbench/AutoTranslation.h"
#include "workbench/FindBar.h"
#include "workbench/ListNavigation.h"
#include "workbench/ManualTranslationDialog.h"
#include "workbench/ProductName.h"
#include "workbench/ProgramVersion.h"
#include "workbench/RowDelegate.h"
#include "workbench/RowHandlers.h"
#include "workspace/DirectoryLock.h"
#include "workspace/ResourcesDialog.h"
#include "workspace/SaveResourcesDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <variant>

namespace kvarsel {
namespace texts {
const QString kCaption = kProductName;
const QString kReadOnly =
    QStringLiteral("Это окно открыто только для просмотра: в нём можно открывать ресурсы, переводить "
                   "и смотреть диалоги, но словарь пользователя, Words.txt, сценарии и настройки оно "
                   "не сохраняет. Чтобы сохранить работу, завершите другую копию программы и "
                   "откройте рабочий каталог заново.");
const QString kReadOnlyReason = QStringLiteral("это окно открыто только для просмотра, так как %1");
const QString kReadOnlyTitle = QStringLiteral("%1 — только просмотр");
const QString kReadOnlyExit =
    QStringLiteral("Это окно открыто только для просмотра: ни словарь пользователя, ни сценарии им не "
                   "сохраняются, и переводы этого сеанса при выходе будут потеряны.\n\nВыйти?");
const QString kExitWithoutSaving = QStringLiteral("Выйти без сохранения");
const QString kRetryUnread =
    QStringLiteral("Исправьте файл (права доступа, диск) и нажмите «Повторить»: программа "
                   "прочитает его заново и добавит к нему переводы этого сеанса.\n");
const QString kLeaveUnsaved =
    QStringLiteral("Если выйти без сохранения словаря, переводы этого сеанса (пар в "
                   "словаре в памяти: %1) в него не попадут; переведённые сценарии "
                   "всё равно можно будет сохранить.");
const QString kChangedChoice =
    QStringLiteral("«Объединить»: прочитать файл заново и добавить к нему переводы этого "
                   "сеанса. «Перезаписать»: заменить файл словарём в памяти (прежний "
                   "останется в User.old).");
const QString kRetry = QStringLiteral("Повторить");
const QString kExitWithoutDictionary = QStringLiteral("Выйти без сохранения словаря");
const QString kMerge = QStringLiteral("Объединить");
const QString kOverwrite = QStringLiteral("Перезаписать");
const QString kCancel = QStringLiteral("Отмена");
const QString kNoConnected =
    QStringLiteral("В программе нет подключенных словарей, используемых\nдля работы переводчика.\n\n"
                   "Для подключения словарей нажмите на кнопку Настройки,\nперейдите ко вкладке Словари и "
                   "подключите нужные.");

struct ButtonText {
    const char* objectName; // what tests and assistive tools find it by
    QString caption;        // as the program names the button
    QString twoLines;       // as the picture shows it
    const char* theme;      // freedesktop icon name
    QStyle::StandardPixmap fallback;
};

const std::array<ButtonText, MainWindow::ButtonCount>& buttons()
{
    static const std::array<ButtonText, MainWindow::ButtonCount> table = {{
        {"openResourcesButton", QStringLiteral("Открыть ресурсы"), QStringLiteral("Открыть\nресурсы"),
         "document-open", QStyle::SP_DialogOpenButton},
        {"autoTranslateButton", QStringLiteral("Автоматический перевод"),
         QStringLiteral("Автоматический\nперевод"), "system-run", QStyle::SP_MediaPlay},
        {"deferredTranslationButton", QStringLiteral("Отложенный перевод"),
         QStringLiteral("Отложенный\nперевод"), "document-send", QStyle::SP_ArrowRight},
        {"optimizeDictionaryButton", QStringLiteral("Оптимизировать словарь"),
         QStringLiteral("Оптимизировать\nсловарь"), "edit-clear-all", QStyle::SP_BrowserReload},
        {"editDictionaryButton", QStringLiteral("Редактировать словарь"),
         QStringLiteral("Редактировать\nсловарь"), "accessories-text-editor",
         QStyle::SP_FileDialogContentsView},
        {"settingsButton", QStringLiteral("Настройки программы"), QStringLiteral("Настройки\nпрограммы"),
         "preferences-system", QStyle::SP_ComputerIcon},
        {"helpButton", QStringLiteral("Краткая Справка"), QStringLiteral("Краткая\nСправка"), "help-browser",
         QStyle::SP_DialogHelpButton},
        {"exitButton", QStringLiteral("Выход из программы"), QStringLiteral("Выход из\nпрограммы"),
         "application-exit", QStyle::SP_DialogCloseButton},
    }};
    return table;
}

const QString kAbout =
    QStringLiteral("%1 — перевод ресурсов программ Windows (меню, диалогов, таблиц строк и rcdata) "
                   "с английского языка на русский.\n\nВерсия %2.\n\nКраткая справка — клавиша F1, "
                   "руководство пользователя — кнопка «Документация программы» окна справки.");

// The menu bar: the eight buttons and the window's keys, grouped as desktop programs group them.
struct MenuItem {
    int menu; // index into menuTitles()
    std::variant<MainWindow::Button, MainWindow::Command> runs;
    QString text;
    QKeySequence keys;
    const char* objectName;
    bool separatorBefore = false;
};

const std::array<QString, 5>& menuTitles()
{
    static const std::array<QString, 5> titles = {QStringLiteral("&Файл"), QStringLiteral("&Перевод"),
                                                  QStringLiteral("&Словарь"), QStringLiteral("&Настройки"),
                                                  QStringLiteral("С&правка")};
    return titles;
}

const std::vector<MenuItem>& menuItems()
{
    using B = MainWindow::Button;
    using C = MainWindow::Command;
    static const std::vector<MenuItem> items = {
        {0, B::OpenResources, QStringLiteral("Открыть ресурсы"), QKeySequence(Qt::CTRL | Qt::Key_O),
         "openResourcesItem"},
        {0, C::OpenProgram, QStringLiteral("Открыть программу…"), {}, "openProgramItem"},
        {0, C::Save, QStringLiteral("Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S), "saveItem"},
        {0, C::WriteProgram, QStringLiteral("Записать программу…"), {}, "writeProgramItem"},
        {0, B::DeferredTranslate, QStringLiteral("Отложенный перевод"), {}, "deferredTranslationItem"},
        {0, B::Exit, QStringLiteral("Выход"), QKeySequence(Qt::CTRL | Qt::Key_Q), "exitItem", true},
        {1, B::AutoTranslate, QStringLiteral("Автоматический перевод"), QKeySequence(Qt::Key_F9),
         "autoTranslateItem"},
        {1, C::Find, QStringLiteral("Найти"), QKeySequence(Qt::CTRL | Qt::Key_F), "findItem", true},
        {1, C::NextUntranslated, QStringLiteral("Следующий непереведённый"),
         QKeySequence(Qt::CTRL | Qt::Key_Down), "nextUntranslatedItem"},
        {1, C::PreviousUntranslated, QStringLiteral("Предыдущий"), QKeySequence(Qt::CTRL | Qt::Key_Up),
         "previousUntranslatedItem"},
        {1, C::DialogPreview, QStringLiteral("Предпросмотр диалога"), QKeySequence(Qt::Key_F4),
         "dialogPreviewItem"},
        {1, C::Undo, QStringLiteral("Отменить перевод"), QKeySequence(Qt::CTRL | Qt::Key_Z), "undoItem",
         true},
        {1, C::Redo, QStringLiteral("Повторить"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "redoItem"},
        {2, B::EditDictionary, QStringLiteral("Редактировать словарь"), {}, "editDictionaryItem"},
        {2, B::OptimizeDictionary, QStringLiteral("Оптимизировать словарь"), {}, "optimizeDictionaryItem"},
        {2, C::ExportTmx, QStringLiteral("Экспорт в TMX…"), {}, "exportTmxItem", true},
        {2, C::ImportTmx, QStringLiteral("Импорт TMX…"), {}, "importTmxItem"},
        {3, B::Settings, QStringLiteral("Настройки программы"), {}, "settingsItem"},
        {4, B::Help, QStringLiteral("Краткая Справка"), QKeySequence(Qt::Key_F1), "helpItem"},
        {4, C::About, QStringLiteral("О программе"), {}, "aboutItem", true},
    };
    return items;
}
} // namespace texts

MainWindow::MainWindow(const QString& workDir, UiServices& services, QWidget* parent)
    : QMainWindow(parent), m_project(workDir), m_statusPanels(m_project), m_services(services)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(texts::kCaption);
    // The window takes its steps back; kvarsel-batch, which never does, keeps no copies.
    m_project.history().setEnabled(true);
    buildUi();
    buildMenus();
    connect(&m_statusPanels, &StatusPanels::changed, this, &MainWindow::refreshPanels);
    refreshPanels();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildUi()
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);

    m_tabs = new QTabBar;
    m_tabs->setObjectName(QStringLiteral("kindTabs"));
    m_tabs->setExpanding(false);
    for (const ResourceKind kind : kAllKinds)
        m_tabs->addTab(kindInfo(kind).tabTitle);
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &QTabBar::currentChanged, this, &MainWindow::onTabChanged);
    m_navigation = new ListNavigation(*this);

    m_listStack = new QStackedWidget;
    m_listStack->setObjectName(QStringLiteral("textLists"));
    m_listStack->setFrameShape(QFrame::StyledPanel);
    connect(m_listStack, &QStackedWidget::currentChanged, m_navigation, &ListNavigation::refreshCount);
    for (const ResourceKind kind : kAllKinds) {
        auto* list = new QListView;
        list->setObjectName(QStringLiteral("TextList") + kindInfo(kind).name);
        list->setModel(&m_project.store(kind));
        list->setUniformItemSizes(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setFrameShape(QFrame::NoFrame);
        list->setItemDelegate(m_navigation->rowDelegate());
        m_lists[size_t(kindIndex(kind))] = list;
        // Mouse, keyboard and program selections all reach the same handler; the
        // handler itself tells a repeated click from a new row.
        // A selection, not a mere current row: a list that gets the focus makes its
        // first row current without selecting it, and that must not touch the clipboard.
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, kind](const QItemSelection& selected) {
                    if (!selected.indexes().isEmpty())
                        onRowSelected(kind, selected.indexes().constFirst().row());
                });
        connect(list, &QListView::clicked, this,
                [this, kind](const QModelIndex& index) { onRowSelected(kind, index.row()); });
        connect(list, &QListView::doubleClicked, this,
                [this, kind](const QModelIndex& index) { onRowDoubleClicked(kind, index.row()); });
        list->installEventFilter(this); // Enter on a row opens it as a double click does
        m_listStack->addWidget(list);
    }

    auto* tabRow = new QHBoxLayout;
    tabRow->addWidget(m_tabs);
    tabRow->addStretch(1);
    tabRow->addWidget(m_navigation->translatedLabel());
    layout->addLayout(tabRow);
    layout->addWidget(m_navigation->findBar());
    layout->addWidget(m_listStack, 1);

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(12);
    m_progress->setValue(0);
    layout->addWidget(m_progress);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    for (int b = 0; b < ButtonCount; ++b) {
        const texts::ButtonText& t = texts::buttons()[size_t(b)];
        auto* button = new QToolButton;
        button->setObjectName(QLatin1String(t.objectName));
        button->setText(t.twoLines);
        button->setToolTip(t.caption);
        button->setAccessibleName(t.caption);
        button->setIcon(QIcon::fromTheme(QLatin1String(t.theme), style()->standardIcon(t.fallback)));
        button->setIconSize(QSize(24, 24)); // the size every theme icon here comes in
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, b] { onButton(Button(b)); });
        m_buttons[size_t(b)] = button;
        buttonRow->addWidget(button);
    }
    m_buttons[AutoTranslate]->setEnabled(false);
    // Every button runs its action; the other windows install theirs (setButtonAction).
    setButtonAction(OpenResources, [this] { openResourcesDialog(); });
    setButtonAction(AutoTranslate, [this] { onAutoTranslate(); });
    setButtonAction(Settings, [this] {
        m_settings->setPathLabel(QDir::toNativeSeparators(m_project.workDir()));
        m_settings->showOverMain();
    });
    setButtonAction(Exit, [this] { runExitSequence(); });
    layout->addLayout(buttonRow);
    setCentralWidget(central);

    // Eight panels; the labels 2, 4 and 6 never change.
    for (int p = 0; p < 8; ++p) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("panel%1").arg(p + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        m_panels[size_t(p)] = label;
    }
    panel(Panel::RowLabel)->setText(panel_texts::kRowLabel);
    panel(Panel::OfLabel)->setText(panel_texts::kOfLabel);
    panel(Panel::RemainingLabel)->setText(panel_texts::kRemainingLabel);
    // No panel is ever cut: each is as wide as the longest text it can show (up to two
    // digit dictionary numbers, six digit row numbers) in the panel's own font, and the
    // window is never narrower than the status bar they make.
    const QString widestRow = QStringLiteral(" 999999");
    const std::pair<Panel, QStringList> longest[] = {
        {Panel::HideMode, panel_texts::hideModeTexts()},
        {Panel::RowLabel, {panel_texts::kRowLabel}},
        {Panel::RowNumber, {widestRow}},
        {Panel::OfLabel, {panel_texts::kOfLabel}},
        {Panel::RemainingRows, {widestRow.trimmed()}},
        {Panel::RemainingLabel, {panel_texts::kRemainingLabel}},
        {Panel::Dictionary, {dictionaryStatusText(98, 99, false), dictionary_texts::kUserDictionary}},
        {Panel::Mode, panel_texts::modeTexts()}};
    for (const auto& [which, texts] : longest) {
        QLabel* label = panel(which);
        const QString shown = label->text();
        for (const QString& text : texts) {
            label->setText(text);
            label->setMinimumWidth(qMax(label->minimumWidth(), label->sizeHint().width()));
        }
        label->setText(shown);
    }
    const int stretch[8] = {3, 0, 1, 0, 1, 0, 3, 2};
    for (int p = 0; p < 8; ++p)
        statusBar()->addWidget(m_panels[size_t(p)], stretch[p]);
    statusBar()->setSizeGripEnabled(true);
    // The main window's layout keeps the window at least as wide as its status bar's
    // minimum width, not its minimum size hint.
    statusBar()->setMinimumWidth(statusBar()->minimumSizeHint().width());

    resize(980, 640);
}

void MainWindow::buildMenus()
{
    std::array<QMenu*, 5> menus{};
    for (size_t m = 0; m < menus.size(); ++m)
        menus[m] = menuBar()->addMenu(texts::menuTitles()[m]);
    for (const texts::MenuItem& item : texts::menuItems()) {
        QMenu* menu = menus[size_t(item.menu)];
        if (item.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(item.text);
        action->setObjectName(QLatin1String(item.objectName));
        action->setShortcut(item.keys);
        if (const auto* b = std::get_if<Button>(&item.runs)) {
            const Button which = *b;
            action->setIcon(m_buttons[size_t(which)]->icon());
            action->setEnabled(m_buttons[size_t(which)]->isEnabledTo(this));
            connect(action, &QAction::triggered, this, [this, which] { onButton(which); });
            m_buttonItems[size_t(which)] = action;
        } else {
            const Command which = std::get<Command>(item.runs);
            connect(action, &QAction::triggered, this, [this, which] {
                if (m_commands[size_t(which)])
                    m_commands[size_t(which)]();
            });
            m_commandItems[size_t(which)] = action;
        }
    }
    // A button's item follows the button: whoever enables or disables the button.
    for (QToolButton* button : m_buttons)
        button->installEventFilter(this);

    setCommandAction(Find, [this] { m_navigation->openFind(); });
    setCommandAction(NextUntranslated, [this] { m_navigation->nextUntranslated(SearchDirection::Forward); });
    setCommandAction(PreviousUntranslated,
                     [this] { m_navigation->nextUntranslated(SearchDirection::Backward); });
    setCommandAction(Undo, [this] { undoTranslation(); });
    setCommandAction(Save, [this] { saveNow(); });
    setCommandAction(OpenProgram, [this] { openProgram(*this); });
    setCommandAction(WriteProgram, [this] { writeProgram(*this); });
    setCommandAction(Redo, [this] { redoTranslation(); });
    setCommandAction(ImportTmx, [this] {
        // Where the imported dictionary is listed, to be connected at once.
        onButton(Settings);
        m_settings->importTmxFile();
    });
    setCommandAction(About, [this] { showAbout(); });

    // Every change of rows, of the dictionary's steps or of the mode may change what can be taken back.
    connect(&m_project, &Project::stateChanged, this, &MainWindow::refreshUndo);
    for (const ResourceKind kind : kAllKinds) {
        connect(&m_project.store(kind), &QAbstractItemModel::dataChanged, this, &MainWindow::refreshUndo);
        connect(&m_project.store(kind), &QAbstractItemModel::modelReset, this, &MainWindow::refreshUndo);
    }
    refreshUndo();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        for (const ResourceKind kind : kAllKinds)
            if (watched == listView(kind) && openRowByKey(kind, *static_cast<QKeyEvent*>(event)))
                return true;
    if (event->type() == QEvent::EnabledChange)
        for (int b = 0; b < ButtonCount; ++b)
            if (watched == m_buttons[size_t(b)] && m_buttonItems[size_t(b)])
                m_buttonItems[size_t(b)]->setEnabled(m_buttons[size_t(b)]->isEnabledTo(this));
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::setCommandAction(Command which, std::function<void()> action)
{
    m_commands[size_t(which)] = std::move(action);
}

void MainWindow::refreshUndo()
{
    if (!m_commandItems[Undo])
        return;
    const bool manual = m_project.isManualMode();
    m_commandItems[Undo]->setEnabled(manual && m_project.history().canUndo());
    m_commandItems[Redo]->setEnabled(manual && m_project.history().canRedo());
}

void MainWindow::undoTranslation()
{
    if (!m_project.isManualMode() || !m_project.history().canUndo())
        return;
    showHistoryPlace(m_project.history().undo());
}

void MainWindow::redoTranslation()
{
    if (!m_project.isManualMode() || !m_project.history().canRedo())
        return;
    showHistoryPlace(m_project.history().redo());
}

void MainWindow::showHistoryPlace(const std::optional<HistoryPlace>& place)
{
    // Scripts and dictionary differ again from what a save would leave.
    m_project.markResourcesChanged();
    m_project.markUserDictionaryChanged();
    refreshUndo();
    if (!place || place->row < 0 || place->row >= m_project.store(place->kind).RowCount())
        return;
    const int tab = kindIndex(place->kind);
    if (m_tabs->currentIndex() != tab)
        m_tabs->setCurrentIndex(tab);
    selectRow(place->kind, place->row);
}

void MainWindow::showAbout()
{
    m_services.message(this, texts::kCaption, texts::kAbout.arg(kProductName, programVersion()),
                       MessageIcon::Information);
}

void MainWindow::refreshPanels()
{
    panel(Panel::HideMode)->setText(m_statusPanels.hideModeText());
    panel(Panel::RowNumber)->setText(m_statusPanels.rowNumberText());
    panel(Panel::RemainingRows)->setText(QString::number(m_statusPanels.remainingRows()));
    panel(Panel::Dictionary)->setText(m_statusPanels.dictionaryText());
    panel(Panel::Mode)->setText(m_statusPanels.modeText());
}

bool MainWindow::start()
{
    // Two copies on one working directory would each save User.dic over the other's
    // entries. The second one is told, and works without saving the user's files.
    m_workLock = std::make_unique<DirectoryLock>(m_project.workDir());
    if (m_workLock->isTaken()) {
        QString reason = m_workLock->takenMessage();
        reason[0] = reason[0].toUpper();
        m_project.setReadOnlyReason(texts::kReadOnlyReason.arg(m_workLock->takenMessage()));
        setWindowTitle(texts::kReadOnlyTitle.arg(texts::kCaption));
        m_services.message(this, texts::kCaption, reason + QStringLiteral(".\n\n") + texts::kReadOnly,
                           MessageIcon::Stop);
    }
    m_settings = new SettingsDialog(this, m_project, m_services);
    connect(m_settings, &SettingsDialog::reloadRequested, this, &MainWindow::loadResourcesFrom);
    m_settings->setPathLabel(QDir::toNativeSeparators(m_project.workDir()));
    if (!m_settings->applyLoad(loadSettings(m_project.workDir()))) {
        delete m_settings;
        m_settings = nullptr;
        return false;
    }
    if (m_project.connectedDictionaries().isEmpty())
        m_services.message(this, texts::kCaption, texts::kNoConnected, MessageIcon::Stop);
    show();
    // Hunspell's dictionary takes a tenth of a second to read; by the first
    // translation window it is there.
    m_project.startSpelling();
    // So are the similar translations of the connected dictionaries, by the first
    // translation window in most runs; the window never waits for them.
    m_project.prepareSuggestions();
    return true;
}

void MainWindow::endProcess(int status)
{
    // Every file the run wrote went through the safe writer, synced and closed, and
    // the windows are gone. Freeing the lines, dictionaries and indexes one by one
    // would keep the process alive for a good part of a second after that, so only
    // the working directory's lock is given back.
    m_workLock.reset();
    std::fflush(nullptr);
    std::_Exit(status);
}

QString MainWindow::resourcesDirectory() const
{
    // After "Отмена" destroyed the dialog, the scripts in memory still came from
    // the directory they were loaded from.
    if (m_resources)
        return m_resources->chosenDirectory();
    return m_project.resourceDirectory().isEmpty() ? m_project.workDir() : m_project.resourceDirectory();
}

void MainWindow::setResourcesDirectory(const QString& dir)
{
    if (!m_resources)
        openResourcesDialogHidden();
    m_resources->setChosenDirectory(dir);
}

void MainWindow::openResourcesDialogHidden()
{
    if (m_resources)
        return;
    m_resources = new ResourcesDialog(this, m_project, m_services);
    connect(m_resources, &ResourcesDialog::loaded, this, &MainWindow::applyLoadResult);
    connect(m_resources, &ResourcesDialog::repaintRequested, this, &MainWindow::repaintNow);
}

void MainWindow::openResourcesDialog()
{
    openResourcesDialogHidden();
    m_resources->showOverMain();
}

void MainWindow::loadResourcesFrom(const QString& dir)
{
    openResourcesDialogHidden();
    m_resources->setChosenDirectory(dir);
    m_resources->showOverMain();
    m_resources->repaint();
    repaintNow();
    m_resources->load();
}

void MainWindow::applyLoadResult(const LoadResult& result)
{
    for (const ResourceKind kind : kAllKinds) {
        if (result.noScripts[size_t(kindIndex(kind))])
            listView(kind)->setEnabled(false); // stays disabled for the rest of the run
        // New scripts are read from their first line, not where the last ones were left.
        listView(kind)->scrollToTop();
    }
    if (result.visibleKind) {
        // The tab follows the list shown, so the selection and the panels speak of
        // the rows the user sees; panels 3 and 5 are set as a tab switch sets them.
        const int index = kindIndex(*result.visibleKind);
        if (m_tabs->currentIndex() != index)
            m_tabs->setCurrentIndex(index);
        else
            onTabChanged(index);
    }
    m_buttons[AutoTranslate]->setEnabled(result.anyRows);
    Q_EMIT resourcesLoaded();
}

QListView* MainWindow::visibleList() const { return qobject_cast<QListView*>(m_listStack->currentWidget()); }

ResourceKind MainWindow::visibleKind() const { return kAllKinds[size_t(m_listStack->currentIndex())]; }

void MainWindow::showKindList(ResourceKind kind) { m_listStack->setCurrentIndex(kindIndex(kind)); }

void MainWindow::onTabChanged(int index)
{
    if (index < 0 || index >= kKindCount)
        return;
    const ResourceKind kind = kAllKinds[size_t(index)];
    showKindList(kind);
    const QListView* list = listView(kind);
    const QModelIndex current = list->selectionModel()->currentIndex();
    const bool selected = current.isValid() && list->selectionModel()->isSelected(current);
    m_statusPanels.switchTab(kind, selected ? current.row() : -1);
}

void MainWindow::repaintNow() { repaint(); }

void MainWindow::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::setButtonAction(Button which, std::function<void()> action)
{
    m_actions[size_t(which)] = std::move(action);
}

void MainWindow::onButton(Button which)
{
    // Both dictionary windows may change the user dictionary, which is then saved at
    // exit; the optimiser has nothing to do without one.
    if (which == OptimizeDictionary && m_project.dictionary().RowCount() < 1)
        return;
    if (which == OptimizeDictionary || which == EditDictionary)
        m_project.markUserDictionaryChanged();
    if (m_actions[size_t(which)])
        m_actions[size_t(which)]();
}

void MainWindow::onRowSelected(ResourceKind kind, qsizetype row)
{
    const SelectionEffect effect = handleRowSelection(m_project, kind, row);
    if (!effect.handled)
        return;
    if (effect.clipboardText)
        m_services.setClipboardText(*effect.clipboardText);
    else
        m_services.clearClipboard();
}

bool MainWindow::openRowByKey(ResourceKind kind, const QKeyEvent& key)
{
    if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) ||
        (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QListView* list = listView(kind);
    const QModelIndex current = list->currentIndex();
    if (!current.isValid())
        return false;
    // A row made current by the focus alone is selected first, as the first press of
    // a double click would select it.
    if (!list->selectionModel()->isSelected(current))
        selectRow(kind, current.row());
    onRowDoubleClicked(kind, current.row());
    return true;
}

void MainWindow::onRowDoubleClicked(ResourceKind kind, qsizetype row)
{
    const ManualTranslationRequest request =
        handleRowDoubleClick(m_project, kind, row, m_services.clipboardText());
    if (request.open)
        manualTranslationDialog()->open(request.phrase, request.proposal);
}

ManualTranslationDialog* MainWindow::manualTranslationDialog()
{
    if (!m_manual) {
        m_manual = new ManualTranslationDialog(this, m_project, m_services);
        connect(m_manual, &ManualTranslationDialog::advanceTo, this,
                [this](qsizetype row) { selectRow(m_project.currentKind(), row); });
    }
    return m_manual;
}

void MainWindow::selectRow(ResourceKind kind, qsizetype row)
{
    QListView* list = listView(kind);
    const QModelIndex index = m_project.store(kind).index(int(row));
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
}

void MainWindow::onAutoTranslate()
{
    setBusy(true);
    AutoTranslationCallbacks callbacks;
    callbacks.progressMaximum = [this](qsizetype max) {
        m_progress->setMaximum(int(qMin<qsizetype>(max, INT_MAX)));
    };
    // The bar repaints itself whenever it grows by a pixel; over a large run that
    // alone would cost more than the translation, so it moves at most every 30 ms.
    // Reading the clock for every row would cost more than the row; it is read
    // every 64th.
    QElapsedTimer sinceProgress;
    unsigned calls = 0;
    callbacks.progressValue = [this, &sinceProgress, &calls](qsizetype value) {
        if (value != 0 && sinceProgress.isValid() && ((++calls & 63) != 0 || sinceProgress.elapsed() < 30))
            return;
        sinceProgress.start();
        m_progress->setValue(int(qMin<qsizetype>(value, INT_MAX)));
    };
    callbacks.repaint = [this] { repaintNow(); };
    const AutoTranslationResult result = runAutomaticTranslation(
        m_project, m_project.settings().userDictionaryFirst, m_statusPanels.showing(callbacks));
    setBusy(false);
    repaintNow();
    if (!result.ran) {
        m_services.message(
            this, texts::kCaption,
            QStringLiteral("Словарь пользователя не сохранен, автоматический перевод не выполнен:\n") +
                result.errors.constFirst().message(),
            MessageIcon::Stop);
    } else if (!result.errors.isEmpty()) {
        m_services.message(
            this, texts::kCaption,
            describeFailures(QStringLiteral("Не удалось прочитать словари (они пропущены):"), result.errors),
            MessageIcon::Stop);
    }
    if (const QString unstorable = unstorableRowsText(result); !unstorable.isEmpty())
        m_services.message(this, texts::kCaption, unstorable, MessageIcon::Information);
}

bool MainWindow::saveUserDictionary()
{
    const QString notSaved = QStringLiteral("Словарь пользователя не сохранен:\n");
    const qsizetype entries = qMax<qsizetype>(0, (m_project.dictionary().RowCount() - 2) / 2);
    if (!m_project.readOnlyReason().isEmpty()) {
        const int answer = m_services.ask(this, texts::kCaption,
                                          notSaved + m_project.readOnlyReason() + QStringLiteral(".\n\n") +
                                              texts::kLeaveUnsaved.arg(entries),
                                          {texts::kExitWithoutDictionary, texts::kCancel});
        return answer == 0;
    }
    UserDicReplace replace = UserDicReplace::WhenUnchanged;
    for (;;) {
        // User.dic that could not be read, or that another program changed since, is
        // never written over in silence: the user mends it or chooses.
        const UserDicCheck check = checkUserDictionaryFile(m_project.workDir(), m_project.dictionary());
        if (replace == UserDicReplace::WhenUnchanged && check.conflict == UserDicConflict::NotReadWhole) {
            const int answer = m_services.ask(this, texts::kCaption,
                                              notSaved + check.error.message() + QStringLiteral("\n\n") +
                                                  texts::kRetryUnread + texts::kLeaveUnsaved.arg(entries),
                                              {texts::kRetry, texts::kExitWithoutDictionary, texts::kCancel});
            if (answer == 1)
                return true;
            if (answer != 0)
                return false;
            if (const UserDicMerge merge =
                    mergeUserDictionaryFile(m_project.workDir(), m_project.dictionary());
                merge.error) {
                m_project.dictionary().setUserFileUnread(merge.error);
                continue;
            }
        } else if (replace == UserDicReplace::WhenUnchanged &&
                   check.conflict == UserDicConflict::ChangedOnDisk) {
            const int answer = m_services.ask(this, texts::kCaption,
                                              notSaved + check.error.message() + QStringLiteral("\n\n") +
                                                  texts::kChangedChoice,
                                              {texts::kMerge, texts::kOverwrite, texts::kCancel});
            if (answer == 2)
                return false;
            if (answer == 1)
                replace = UserDicReplace::EvenIfChanged;
            else if (const UserDicMerge merge =
                         mergeUserDictionaryFile(m_project.workDir(), m_project.dictionary());
                     merge.error) {
                m_project.dictionary().setUserFileUnread(merge.error);
                continue;
            }
        }
        setBusy(true);
        // The save holds the window's thread: what it is doing is painted before it starts.
        m_statusPanels.setStep(panel_texts::kSavingDictionary);
        panel(Panel::Mode)->repaint();
        const auto error = SaveUserDic(m_project.workDir(), m_project.dictionary(), replace);
        m_statusPanels.setStep(QString());
        setBusy(false);
        if (error) {
            // A conflict that arose in the meantime is asked about again.
            if (checkUserDictionaryFile(m_project.workDir(), m_project.dictionary()).conflict !=
                    UserDicConflict::None &&
                replace == UserDicReplace::WhenUnchanged)
                continue;
            m_services.message(this, texts::kCaption, notSaved + error->message(), MessageIcon::Stop);
            return false;
        }
        m_project.markUserDictionarySaved();
        return true;
    }
}

SaveResourcesDialog* MainWindow::saveDialog()
{
    if (!m_saveDialog) {
        m_saveDialog = new SaveResourcesDialog(this, m_project, m_services);
        connect(m_saveDialog, &SaveResourcesDialog::endProgramRequested, this, &MainWindow::endProgram);
    }
    return m_saveDialog;
}

void MainWindow::saveNow()
{
    if (!isEnabled())
        return;
    if (!m_project.readOnlyReason().isEmpty()) {
        m_services.message(this, texts::kCaption, texts::kReadOnly, MessageIcon::Stop);
        return;
    }
    if (m_project.userDictionaryChanged() && !saveUserDictionary())
        return;
    if (m_project.resourcesChanged())
        saveDialog()->saveScripts(this);
}

void MainWindow::runExitSequence()
{
    // A read-only window saves nothing: one honest question instead of a save
    // that could only fail.
    if (!m_project.readOnlyReason().isEmpty()) {
        if (m_project.userDictionaryChanged() || m_project.resourcesChanged()) {
            const int answer = m_services.ask(this, texts::kCaption, texts::kReadOnlyExit,
                                              {texts::kExitWithoutSaving, texts::kCancel});
            if (answer != 0)
                return;
        }
        endProgram();
        return;
    }
    // The program never ends while the user dictionary failed to save.
    if (m_project.userDictionaryChanged() && !saveUserDictionary())
        return;
    if (m_project.resourcesChanged()) {
        saveDialog()->showOverMain();
        return;
    }
    endProgram();
}

void MainWindow::endProgram()
{
    // Qt's quit first asks every visible window to close and gives up when one
    // refuses. The main window refuses a close that the user asked for (it starts
    // the exit sequence instead), so once the end is decided the windows are put
    // away and the main window lets itself be closed.
    m_ending = true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window != this && window->isVisible())
            window->hide();
    hide();
    m_services.quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    // The frame's close box acts as "Выход из программы".
    event->ignore();
    if (isEnabled())
        runExitSequence();
}

} // namespace kvarsel
