// The main window with its settings, resources, save and manual translation
// windows, driven offscreen through the desktop seam.
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "settings/SettingsDialog.h"
#include "text/Encoding.h"
#include "text/TextFile.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"
#include "workbench/StatusPanels.h"
#include "workspace/DirectoryLock.h"

#include "workspace/ResourcesDialog.h"
#include "workspace/SaveResourcesDialog.h"
#include <QProcess>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QString kNoConnected =
    QStringLiteral("В программе нет подключенных словарей, используемых\nдля работы переводчика.\n\n"
                   "Для подключения словарей нажмите на кнопку Настройки,\nперейдите ко вкладке Словари и "
                   "подключите нужные.");

// A scratch working directory: a copy of the demo, or an empty one with the given files.
struct Workspace {
    QTemporaryDir tmp;
    QString dir;
    Workspace(bool demo = true) : dir(tmp.path())
    {
        if (demo)
            copyTree(demoDir(), dir);
    }
    QString path(const QString& rel) const { return dir + "/" + rel; }
};

template <class T> T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

void click(QWidget* parent, const char* name)
{
    auto* b = child<QAbstractButton>(parent, name);
    QVERIFY2(b, name);
    QVERIFY2(b->isEnabled(), name);
    b->click();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsWithDemo()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("Кварсел"));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(w.project().connectedDictionaries().size(), 3);
        QVERIFY(w.project().connectedDictionaries()[0].endsWith("User.dic"));
        QCOMPARE(w.project().dictionary().Row(2), QStringLiteral("Restore"));
        const QStringList panels{
            "Не скрывать переведенные строки", "Строка:",       "0", "из", "0", "оставшихся",
            "Пользовательский словарь",        "Ручной перевод"};
        for (int p = 1; p <= 8; ++p)
            QCOMPARE(w.panel(p)->text(), panels[p - 1]);
        QStringList tabs;
        for (int t = 0; t < w.tabBar()->count(); ++t)
            tabs << w.tabBar()->tabText(t);
        QCOMPARE(tabs, (QStringList{"Menu", "Dialog", "String", "RCData"}));
        QVERIFY(!w.button(MainWindow::AutoTranslate)->isEnabled());
        QCOMPARE(w.button(MainWindow::Exit)->toolTip(), QStringLiteral("Выход из программы"));
    }

    void startWithoutSettingsFile()
    {
        Workspace ws;
        QVERIFY(QFile::remove(ws.path("velmora.ini")));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QCOMPARE(w.panel(1)->text(), QString());
        QVERIFY(w.project().connectedDictionaries().isEmpty());
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Кварсел"));
        QCOMPARE(ui.messages[0].text, kNoConnected);
        QCOMPARE(ui.messages[0].icon, MessageIcon::Stop);
        // The user dictionary is loaded all the same.
        QVERIFY(w.project().dictionary().RowCount() > 2);
    }

    void startWithoutAnyDictionaryEnds()
    {
        Workspace ws(false);
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(!w.start());
        QVERIFY(!w.isVisible());
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral(
                     "В рабочем каталоге программы нет словарей,\nиспользуемых для работы переводчика."));
    }

    void settingsOkWritesTheFile()
    {
        Workspace ws(false);
        for (const char* f : {"User.dic", "a.dic", "b.dic"})
            QVERIFY(writeLinesRaw(ws.path(f), {"x", "y"}));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        SettingsDialog* s = w.settingsDialog();
        click(&w, "settingsButton");
        QVERIFY(s->isVisible());
        QVERIFY(!w.isEnabled());
        QCOMPARE(child<QLabel>(s, "pathLabel")->text(), QDir::toNativeSeparators(ws.dir));
        child<QCheckBox>(s, "autoHideTranslateString")->setChecked(true);
        child<QCheckBox>(s, "userFirst")->setChecked(true);
        click(s, "connectAll");
        click(s, "ok");
        QVERIFY(!s->isVisible());
        QVERIFY(w.isEnabled());
        QCOMPARE(readBytes(ws.path("velmora.ini")),
                 cp1251Lines({"AutoHideTranslateString", "User.dic", "a.dic", "b.dic"}));
        QCOMPARE(w.panel(1)->text(), QStringLiteral("Скрывать переведенные строки"));
        QCOMPARE(w.project().connectedDictionaries(),
                 (QStringList{ws.path("User.dic"), ws.path("a.dic"), ws.path("b.dic")}));
    }

    void handEditedOrderThenOk()
    {
        Workspace ws(false);
        for (const char* f : {"User.dic", "a.dic", "b.dic"})
            QVERIFY(writeLinesRaw(ws.path(f), {"x", "y"}));
        QVERIFY(
            writeLinesRaw(ws.path("velmora.ini"), {"B.DIC", "user.dic", "autohidetranslatestring", "b.dic"}));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QCOMPARE(w.project().connectedDictionaries(),
                 (QStringList{ws.path("b.dic"), ws.path("User.dic"), ws.path("b.dic")}));
        QCOMPARE(w.panel(1)->text(), QStringLiteral("Не скрывать переведенные строки"));
        click(&w, "settingsButton");
        click(w.settingsDialog(), "ok");
        QCOMPARE(w.project().connectedDictionaries(), (QStringList{ws.path("User.dic"), ws.path("b.dic")}));
        QCOMPARE(readBytes(ws.path("velmora.ini")), cp1251Lines({"User.dic", "b.dic"}));
    }

    void okWithNothingConnectedKeepsWindowOpen()
    {
        Workspace ws(false);
        QVERIFY(writeLinesRaw(ws.path("a.dic"), {"x", "y"}));
        QVERIFY(writeLinesRaw(ws.path("velmora.ini"), {"User.dic"})); // no user.dic here
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        auto* userFirst = child<QCheckBox>(w.settingsDialog(), "userFirst");
        QVERIFY(userFirst->isChecked() && !userFirst->isEnabled());
        QVERIFY(w.project().connectedDictionaries().isEmpty());
        click(&w, "settingsButton");
        ui.messages.clear();
        click(w.settingsDialog(), "ok");
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text,
                 QStringLiteral("Не подключен ни один словарь для перевода.\nРабота программы невозможна."));
        QVERIFY(w.settingsDialog()->isVisible());
        QVERIFY(!w.isEnabled());
        QCOMPARE(readBytes(ws.path("velmora.ini")), cp1251Lines({"User.dic"}));
    }

    // The refusal writes nothing: "Отмена" after it leaves the next start as it was.
    void refusedOkThenCancelKeepsTheSettingsFile()
    {
        Workspace ws(false);
        for (const char* f : {"User.dic", "a.dic"})
            QVERIFY(writeLinesRaw(ws.path(f), {"x", "y"}));
        QVERIFY(writeLinesRaw(ws.path("velmora.ini"), {"User.dic", "a.dic"}));
        const QByteArray before = readBytes(ws.path("velmora.ini"));
        {
            RecordingUiServices ui;
            MainWindow w(ws.dir, ui);
            QVERIFY(w.start());
            SettingsDialog* s = w.settingsDialog();
            click(&w, "settingsButton");
            click(s, "disconnectAll");
            child<QCheckBox>(s, "userFirst")->setChecked(false);
            ui.messages.clear();
            click(s, "ok");
            QCOMPARE(ui.messages.size(), 1);
            QVERIFY(s->isVisible());
            QCOMPARE(readBytes(ws.path("velmora.ini")), before);
            click(s, "cancel");
        }
        RecordingUiServices ui;
        MainWindow again(ws.dir, ui);
        QVERIFY(again.start());
        QCOMPARE(again.project().connectedDictionaries(),
                 (QStringList{ws.path("User.dic"), ws.path("a.dic")}));
    }

    void cancelKeepsControlsButNotPanel()
    {
        Workspace ws;
        QVERIFY(writeLinesRaw(ws.path("velmora.ini"), {"AutoHideRussianString", "common.dic"}));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        SettingsDialog* s = w.settingsDialog();
        QVERIFY(w.project().settings().autoHideRussianString);
        click(&w, "settingsButton");
        child<QCheckBox>(s, "autoHideRussianString")->setChecked(false);
        child<QCheckBox>(s, "autoHideTranslateString")->setChecked(true);
        click(s, "cancel");
        QVERIFY(w.isEnabled());
        QVERIFY(!w.project().settings().autoHideRussianString);
        QCOMPARE(w.panel(1)->text(), QStringLiteral("Не скрывать переведенные строки"));
        QCOMPARE(readBytes(ws.path("velmora.ini")), cp1251Lines({"AutoHideRussianString", "common.dic"}));
    }

    void loadsResourcesAndSwitchesTabs()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        click(&w, "openResourcesButton");
        auto* dialog = w.findChild<ResourcesDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ресурсы"));
        QVERIFY(!dialog->okEnabled()); // the working directory has no resource sub-directory
        dialog->setChosenDirectory(ws.path("resources"));
        QVERIFY(dialog->okEnabled());
        QStringList captions;
        ui.onMessage = nullptr;
        connect(dialog, &QWidget::windowTitleChanged, this, [&](const QString& t) { captions << t; });
        click(dialog, "ok");
        QVERIFY(!dialog->isVisible());
        QVERIFY(w.isEnabled());
        QCOMPARE(captions, (QStringList{"Ресурсы - Menu", "Ресурсы", "Ресурсы -  Dialog", "Ресурсы",
                                        "Ресурсы -  String", "Ресурсы", "Ресурсы -  RcData", "Ресурсы"}));
        QVERIFY(w.button(MainWindow::AutoTranslate)->isEnabled());
        QCOMPARE(w.visibleList(), w.listView(ResourceKind::Menu));
        QCOMPARE(w.visibleList()->model()->index(4, 0).data().toString(), QStringLiteral("File"));
        // Loading selects the tab of the list shown and sets the panels as a tab
        // switch does, without the blank.
        QCOMPARE(w.tabBar()->currentIndex(), 0);
        QCOMPARE(w.panel(3)->text(), QStringLiteral("0"));
        QCOMPARE(w.panel(5)->text(), QString::number(w.project().store(ResourceKind::Menu).RowCount() - 1));
        w.tabBar()->setCurrentIndex(1);
        QCOMPARE(w.visibleList(), w.listView(ResourceKind::Dialog));
        QCOMPARE(w.panel(3)->text(), QStringLiteral("0"));
        QCOMPARE(w.panel(5)->text(), QString::number(w.project().store(ResourceKind::Dialog).RowCount() - 1));
        w.tabBar()->setCurrentIndex(3);
        QCOMPARE(w.project().currentKind(), ResourceKind::RcData);
        // Exit right after loading and switching tabs: nothing is written.
        const QByteArray user = readBytes(ws.path("User.dic"));
        click(&w, "exitButton");
        QCOMPARE(ui.quits, 1);
        QCOMPARE(readBytes(ws.path("User.dic")), user);
        QVERIFY(!QFileInfo::exists(ws.path("User.old")));
    }

    // Without a menu sub-directory the Dialog rows show, under the "Dialog" tab, and
    // the advance after a manual translation goes through the Dialog rows.
    void loadSelectsTheTabOfTheListShown()
    {
        Workspace ws;
        QVERIFY(QDir(ws.path("resources/menu")).removeRecursively());
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        QCOMPARE(w.visibleList(), w.listView(ResourceKind::Dialog));
        QCOMPARE(w.tabBar()->currentIndex(), 1);
        QCOMPARE(w.project().currentKind(), ResourceKind::Dialog);
        QCOMPARE(w.panel(3)->text(), QStringLiteral("0"));
        QCOMPARE(w.panel(5)->text(), QString::number(w.project().store(ResourceKind::Dialog).RowCount() - 1));
        // A later load brings the tab back to the list it shows.
        w.tabBar()->setCurrentIndex(2);
        w.loadResourcesFrom(ws.path("resources"));
        QCOMPARE(w.tabBar()->currentIndex(), 1);
        QCOMPARE(w.project().currentKind(), ResourceKind::Dialog);
    }

    void cancelDestroysResourcesDialog()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        click(&w, "openResourcesButton");
        QPointer<ResourcesDialog> dialog = w.findChild<ResourcesDialog*>();
        dialog->setChosenDirectory(ws.path("resources"));
        click(dialog, "cancel");
        QVERIFY(w.isEnabled());
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(w.resourcesDirectory(), ws.dir);
        QCOMPARE(w.project().totalRows(), 0);
    }

    // The tree opens on the chosen directory, expanded and in view, even among
    // hundreds of siblings; a path typed into the box under the tree goes there.
    void resourcesTreeShowsTheChosenDirectory()
    {
        Workspace ws;
        for (int i = 0; i < 300; ++i)
            QVERIFY(QDir(ws.dir).mkpath(QStringLiteral("d%1/sub").arg(i, 3, 10, QChar(u'0'))));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        // The dialog opens on the program's current directory.
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(ws.path("d250")));
        click(&w, "openResourcesButton");
        QVERIFY(QDir::setCurrent(cwd));
        auto* dialog = w.findChild<ResourcesDialog*>();
        auto* tree = child<QTreeView>(dialog, "directoryTree");
        QVERIFY(tree);
        const auto fsModel = [tree] { return qobject_cast<QFileSystemModel*>(tree->model()); };
        const auto shown = [&](const QString& dir) {
            const QModelIndex current = tree->currentIndex();
            return fsModel()->filePath(current) == dir && tree->isExpanded(current) &&
                   tree->viewport()->rect().contains(tree->visualRect(current).center());
        };
        QTRY_VERIFY(shown(ws.path("d250")));
        // Directories read later in the background must not move it away again.
        QTest::qWait(1500);
        QVERIFY(shown(ws.path("d250")));

        auto* box = child<QLineEdit>(dialog, "chosenDirectory");
        QVERIFY(box);
        QCOMPARE(box->text(), QDir::toNativeSeparators(ws.path("d250")));
        const auto type = [box](const QString& text) {
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, QDir::toNativeSeparators(text));
        };
        // A directory typed is chosen as it is typed; the tree follows it.
        type(ws.path("d100"));
        QCOMPARE(dialog->chosenDirectory(), ws.path("d100"));
        QTRY_VERIFY(shown(ws.path("d100")));
        QCOMPARE(box->text(), QDir::toNativeSeparators(ws.path("d100")));
        QVERIFY(!dialog->okEnabled()); // no scripts there

        type(ws.path("no-such-directory"));
        QVERIFY(!dialog->okEnabled());
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(ui.beeps, 1);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Каталог «%1» не найден.")
                                          .arg(QDir::toNativeSeparators(ws.path("no-such-directory"))));
        QVERIFY(dialog->isVisible());
        QCOMPARE(box->text(), QDir::toNativeSeparators(ws.path("no-such-directory")));

        // Enter on a directory with scripts loads it, as "ОК" does.
        type(ws.path("resources"));
        QVERIFY(dialog->okEnabled());
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(w.project().store(ResourceKind::Menu).resourceDirectory(), ws.path("resources"));
        QVERIFY(w.project().totalRows() > 0);
    }

    // At the window's default size every text panel 7 can show is whole, with the
    // desktop's font and with a larger one.
    void dictionaryPanelFitsItsTexts_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("pointSize");
        for (const int size : {0, 13}) {
            QTest::addRow("user dictionary, %d pt", size)
                << QStringLiteral("Пользовательский словарь") << size;
            QTest::addRow("one digit, %d pt", size)
                << QStringLiteral("Словарь № 2 из  4 используемых") << size;
            QTest::addRow("two digits, %d pt", size)
                << QStringLiteral("Словарь № 12 из  14 используемых") << size;
        }
    }

    void dictionaryPanelFitsItsTexts()
    {
        QFETCH(QString, status);
        QFETCH(int, pointSize);
        const QFont desktopFont = QApplication::font();
        auto restoreFont = qScopeGuard([&] { QApplication::setFont(desktopFont); });
        if (pointSize > 0) {
            QFont larger = desktopFont;
            larger.setPointSize(pointSize);
            QApplication::setFont(larger);
        }
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.statusPanels().setDictionaryText(status);
        QCoreApplication::processEvents();
        QLabel* panel = w.panel(7);
        QCOMPARE(panel->text(), status);
        QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(status),
                 qPrintable(QStringLiteral("%1 < %2")
                                .arg(panel->contentsRect().width())
                                .arg(panel->fontMetrics().horizontalAdvance(status))));
    }

    // A system without hunspell-ru: the settings window says that spelling is off and why.
    void spellingOffIsToldInTheSettings()
    {
        Workspace ws;
        qputenv("DICPATH", ws.path("none").toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("DICPATH"); });
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        const QString note = child<QLabel>(w.settingsDialog(), "spellingNote")->text();
        QVERIFY2(note.startsWith("Проверка орфографии выключена: не найден русский словарь Hunspell ru_RU"),
                 qPrintable(note));
        QVERIFY(ui.messages.isEmpty());
    }

    // Narrowed as far as it goes, the window still shows every text of every panel whole.
    void panelsWholeAtMinimumWidth_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        const std::pair<int, QString> texts[] = {{1, panel_texts::kHideTranslated},
                                                 {1, panel_texts::kShowTranslated},
                                                 {3, QStringLiteral(" 99999")},
                                                 {7, QStringLiteral("Словарь № 12 из  14 используемых")},
                                                 {8, panel_texts::scanningKindText(ResourceKind::RcData)}};
        for (const auto& [number, text] : texts)
            QTest::addRow("%d: %s", number, qPrintable(text)) << number << text;
    }

    void panelsWholeAtMinimumWidth()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QLabel* panel = w.panel(number);
        panel->setText(text);
        w.resize(1, w.height());
        QCoreApplication::processEvents();
        QVERIFY2(panel->contentsRect().width() >= panel->fontMetrics().horizontalAdvance(text),
                 qPrintable(QStringLiteral("%1 < %2 at a window width of %3")
                                .arg(panel->contentsRect().width())
                                .arg(panel->fontMetrics().horizontalAdvance(text))
                                .arg(w.width())));
    }

    void volumeThatCannotBeEntered()
    {
        Workspace ws;
        QVERIFY(writeLinesRaw(ws.path("velmora.ini"), {"common.dic", "AutoHideRussianString"}));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        click(&w, "openResourcesButton");
        auto* dialog = w.findChild<ResourcesDialog*>();
        QVERIFY(child<QLabel>(dialog, "modeLabel")->isVisibleTo(dialog));
        QCOMPARE(child<QLabel>(dialog, "modeLabel")->text(),
                 QStringLiteral("Режим сокрытия русских строк при загрузке"));
        dialog->chooseVolume(ws.path("no-such-volume"));
        QCOMPARE(ui.beeps, 1);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Выбор файлов ресурсов"));
        QCOMPARE(ui.messages[0].text, QStringLiteral("Устройство не готово"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Stop);
        QCOMPARE(dialog->chosenDirectory(), QDir::homePath());
        // Without the setting the label stays hidden in a dialog made afterwards.
        click(dialog, "cancel");
        QTRY_VERIFY(!w.findChild<ResourcesDialog*>());
        child<QCheckBox>(w.settingsDialog(), "autoHideRussianString")->setChecked(false);
        click(&w, "openResourcesButton");
        QVERIFY(!child<QLabel>(w.findChild<ResourcesDialog*>(), "modeLabel")
                     ->isVisibleTo(w.findChild<ResourcesDialog*>()));
    }

    void manualTranslationThroughTheWindow()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        QListView* list = w.listView(ResourceKind::Menu);
        const LineStore& menu = w.project().store(ResourceKind::Menu);
        const qsizetype fileRow = menu.FindPrefix(QStringLiteral("File"), 0);
        QCOMPARE(menu.Text(fileRow), QStringLiteral("File"));
        // A row made current without being selected (the list got the focus) is no click.
        ui.clipboard = QStringLiteral("kept");
        list->selectionModel()->setCurrentIndex(menu.index(0), QItemSelectionModel::NoUpdate);
        QCOMPARE(ui.clipboard, QStringLiteral("kept"));
        QCOMPARE(w.panel(3)->text(), QStringLiteral("0"));
        // A click puts the text on the clipboard; panel 3 gets the blank.
        const QRect r = list->visualRect(menu.index(int(fileRow)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(ui.clipboard, QStringLiteral("File"));
        QCOMPARE(w.panel(3)->text(), QStringLiteral(" %1").arg(fileRow + 1));
        // The user copies a translation elsewhere, then double-clicks the same row.
        ui.clipboard = QStringLiteral("Файл");
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        auto* dialog = w.findChild<ManualTranslationDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!w.isEnabled());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Перевод фразы (ручной перевод)"));
        QCOMPARE(dialog->phrase(), QStringLiteral("File"));
        QCOMPARE(dialog->translation(), QStringLiteral("Файл"));
        QVERIFY(child<QPlainTextEdit>(dialog, "translation")->textCursor().hasSelection());
        // Enter on the focused "Отмена" confirms.
        auto* cancel = child<QPushButton>(dialog, "cancel");
        cancel->setFocus();
        QTest::keyClick(dialog, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QVERIFY(w.isEnabled());
        QCOMPARE(menu.Text(fileRow), QStringLiteral("Файл"));
        QCOMPARE(ui.clipboardClears, 1);
        const CurrentDictionary& d = w.project().dictionary();
        QCOMPARE(d.Row(d.RowCount() - 2), QStringLiteral("File"));
        QCOMPARE(d.Row(d.RowCount() - 1), QStringLiteral("Файл"));
        // The selection moved on to the next row with text, and that counts as a selection.
        QCOMPARE(list->currentIndex().row(), int(fileRow + 2));
        QCOMPARE(w.panel(3)->text(), QStringLiteral(" %1").arg(fileRow + 3));

        // The row shows, muted at its right, what it was loaded with; only the painter knows.
        const QModelIndex file = menu.index(int(fileRow));
        QCOMPARE(file.data().toString(), QStringLiteral("Файл"));
        QCOMPARE(file.data(Qt::ToolTipRole).toString(), QStringLiteral("Переведено вручную\nБыло: File"));
        const auto rightHalfInk = [&](int row) {
            const QRect r = list->visualRect(menu.index(row));
            const QImage shot = list->viewport()->grab(r).toImage();
            int ink = 0;
            for (int x = shot.width() / 2 + 4; x < shot.width(); ++x)
                for (int y = 0; y < shot.height(); ++y)
                    ink += shot.pixelColor(x, y) != shot.pixelColor(shot.width() - 1, 0);
            return ink;
        };
        QVERIFY(rightHalfInk(int(fileRow)) > 0);
        QCOMPARE(rightHalfInk(int(fileRow + 2)), 0);

        // Ctrl+Z takes it back: the rows, the dictionary's pair, the selection on its row.
        const qsizetype entries = d.RowCount();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(w.menuAction(MainWindow::Undo)->isEnabled());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(menu.Text(fileRow), QStringLiteral("File"));
        QVERIFY(!file.data(LineStore::OriginalTextRole).isValid());
        QCOMPARE(d.RowCount(), entries - 2);
        QCOMPARE(list->currentIndex().row(), int(fileRow));
        QVERIFY(!w.menuAction(MainWindow::Undo)->isEnabled());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(menu.Text(fileRow), QStringLiteral("Файл"));
        QCOMPARE(d.RowCount(), entries);
    }

    // A translation automatic translation got wrong is corrected from the keyboard:
    // the dictionary pair is the loaded English with the new Russian, in the place of
    // the old pair, so the next run translates with it.
    void correctionOfAnAutomaticTranslationSticks()
    {
        Workspace ws;
        const auto restoreRow = [](MainWindow& w) {
            const LineStore& menu = w.project().store(ResourceKind::Menu);
            for (qsizetype i = 0; i < menu.RowCount(); ++i)
                if (const LineStore::RowOrigin* o = menu.origin(i); o && o->loadedText == "Restore")
                    return i;
            return qsizetype(-1);
        };
        {
            RecordingUiServices ui;
            MainWindow w(ws.dir, ui);
            QVERIFY(w.start());
            w.loadResourcesFrom(ws.path("resources"));
            click(&w, "autoTranslateButton");
            const qsizetype row = restoreRow(w);
            QVERIFY(row > 0);
            QCOMPARE(w.project().store(ResourceKind::Menu).Text(row), QStringLiteral("Восстановить"));
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QListView* list = w.listView(ResourceKind::Menu);
            list->setFocus();
            list->setCurrentIndex(w.project().store(ResourceKind::Menu).index(int(row)));
            QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
            auto* dialog = w.findChild<ManualTranslationDialog*>();
            QVERIFY(dialog && dialog->isVisible());
            QCOMPARE(dialog->phrase(), QStringLiteral("Restore"));
            QCOMPARE(dialog->translation(), QStringLiteral("Восстановить"));
            child<QPlainTextEdit>(dialog, "translation")->setPlainText(QStringLiteral("Развернуть"));
            QTest::keyClick(child<QPlainTextEdit>(dialog, "translation"), Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
            QCOMPARE(w.project().store(ResourceKind::Menu).Text(row), QStringLiteral("Развернуть"));
            click(&w, "exitButton");
            click(w.findChild<SaveResourcesDialog*>(), "yes");
            QCOMPARE(ui.quits, 1);
        }
        // The old pair's place, not a second pair behind it that lookup never reaches.
        const QByteArray user = readBytes(ws.path("User.dic"));
        QVERIFY(user.startsWith(cp1251Lines({"Restore", "Развернуть", "Pebble Notes"})));
        QCOMPARE(user.count("Restore"), 1);
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        // The saved scripts hold the correction; the English ones get it from User.dic.
        QVERIFY(copyTree(demoDir() + "/resources", ws.path("english")));
        w.loadResourcesFrom(ws.path("english"));
        click(&w, "autoTranslateButton");
        QCOMPARE(w.project().store(ResourceKind::Menu).Text(restoreRow(w)), QStringLiteral("Развернуть"));
    }

    // Enter on a row opens it, as a double click does; any other key, or Enter with
    // Ctrl, leaves the dialog closed.
    void enterOpensTheRow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << false;
    }
    void enterOpensTheRow()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        const LineStore& menu = w.project().store(ResourceKind::Menu);
        const qsizetype fileRow = menu.FindPrefix(QStringLiteral("File"), 0);
        QListView* list = w.listView(ResourceKind::Menu);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        list->setFocus();
        // Made current by the keyboard, not selected yet: Enter selects it as a click would.
        list->selectionModel()->setCurrentIndex(menu.index(int(fileRow)), QItemSelectionModel::NoUpdate);
        QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        auto* dialog = w.findChild<ManualTranslationDialog*>();
        QCOMPARE(dialog && dialog->isVisible(), opens);
        QCOMPARE(w.isEnabled(), !opens);
        if (opens) {
            QCOMPARE(dialog->phrase(), QStringLiteral("File"));
            QCOMPARE(ui.clipboard, QStringLiteral("File"));
            QCOMPARE(w.panel(3)->text(), QStringLiteral(" %1").arg(fileRow + 1));
        }
    }

    // Each item of the menu bar runs exactly what its button or key runs, answers to
    // its keys, and is disabled while its button is.
    void menuItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("button"); // -1: an item of its own
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("keys");
        const auto add = [](const char* item, int button, int command, const char* keys) {
            QTest::newRow(item) << QString::fromLatin1(item) << button << command
                                << QString::fromLatin1(keys);
        };
        add("openResourcesItem", MainWindow::OpenResources, -1, "Ctrl+O");
        add("openProgramItem", -1, MainWindow::OpenProgram, "");
        add("saveItem", -1, MainWindow::Save, "Ctrl+S");
        add("writeProgramItem", -1, MainWindow::WriteProgram, "");
        add("deferredTranslationItem", MainWindow::DeferredTranslate, -1, "");
        add("exitItem", MainWindow::Exit, -1, "Ctrl+Q");
        add("autoTranslateItem", MainWindow::AutoTranslate, -1, "F9");
        add("findItem", -1, MainWindow::Find, "Ctrl+F");
        add("nextUntranslatedItem", -1, MainWindow::NextUntranslated, "Ctrl+Down");
        add("previousUntranslatedItem", -1, MainWindow::PreviousUntranslated, "Ctrl+Up");
        add("dialogPreviewItem", -1, MainWindow::DialogPreview, "F4");
        add("undoItem", -1, MainWindow::Undo, "Ctrl+Z");
        add("redoItem", -1, MainWindow::Redo, "Ctrl+Shift+Z");
        add("editDictionaryItem", MainWindow::EditDictionary, -1, "");
        add("optimizeDictionaryItem", MainWindow::OptimizeDictionary, -1, "");
        add("exportTmxItem", -1, MainWindow::ExportTmx, "");
        add("importTmxItem", -1, MainWindow::ImportTmx, "");
        add("settingsItem", MainWindow::Settings, -1, "");
        add("helpItem", MainWindow::Help, -1, "F1");
        add("aboutItem", -1, MainWindow::About, "");
    }
    void menuItems()
    {
        QFETCH(QString, item);
        QFETCH(int, button);
        QFETCH(int, command);
        QFETCH(QString, keys);
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        auto* action = w.findChild<QAction*>(item);
        QVERIFY(action);
        QCOMPARE(action->shortcut(), QKeySequence(keys));
        QCOMPARE(button >= 0 ? w.menuAction(MainWindow::Button(button))
                             : w.menuAction(MainWindow::Command(command)),
                 action);
        int ran = 0;
        if (button >= 0) {
            w.setButtonAction(MainWindow::Button(button), [&] { ++ran; });
            w.button(MainWindow::Button(button))->setEnabled(false);
            QVERIFY(!action->isEnabled());
            w.button(MainWindow::Button(button))->setEnabled(true);
            QVERIFY(action->isEnabled());
            w.button(MainWindow::Button(button))->click();
            QCOMPARE(ran, 1);
        } else {
            w.setCommandAction(MainWindow::Command(command), [&] { ++ran; });
            action->setEnabled(true); // undo and redo wait for a step
        }
        action->trigger();
        QCOMPARE(ran, button >= 0 ? 2 : 1);
        if (!keys.isEmpty()) {
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTest::keySequence(&w, QKeySequence(keys));
            QCOMPARE(ran, button >= 0 ? 3 : 2);
        }
    }

    // A new load shows every list from its first row, not where the last one was left.
    void newLoadShowsListsFromTheTop()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.resize(700, 300);
        w.loadResourcesFrom(ws.path("resources"));
        QListView* list = w.listView(ResourceKind::Menu);
        list->scrollToBottom();
        QVERIFY(list->verticalScrollBar()->value() > 0);
        w.loadResourcesFrom(ws.path("resources"));
        QCOMPARE(list->verticalScrollBar()->value(), 0);
    }

    void unstorableTranslationKeepsDialogOpen()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        w.listView(ResourceKind::Menu)->setCurrentIndex(w.project().store(ResourceKind::Menu).index(4));
        ui.clipboard = QStringLiteral("Файл 中");
        emit w.listView(ResourceKind::Menu)->doubleClicked(w.project().store(ResourceKind::Menu).index(4));
        auto* dialog = w.findChild<ManualTranslationDialog*>();
        QCOMPARE(dialog->translation(), QStringLiteral("Файл 中"));
        click(dialog, "ok");
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("中")));
        // The message names the file that cannot hold it, and that file's encoding.
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("Windows-1251 файла\n«") +
                                             QDir::toNativeSeparators(ws.path("User.dic"))));
        QVERIFY(dialog->isVisible());
        QCOMPARE(w.project().store(ResourceKind::Menu).Text(4), QStringLiteral("File"));
        // "Отмена" leaves everything, the clipboard included; the flags stay set.
        click(dialog, "cancel");
        QVERIFY(w.isEnabled());
        QCOMPARE(ui.clipboardClears, 0);
        QVERIFY(w.project().resourcesChanged() && w.project().userDictionaryChanged());
    }

    void cancelledDialogStillSavesDictionaryAtExit()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        emit w.listView(ResourceKind::Menu)->doubleClicked(w.project().store(ResourceKind::Menu).index(4));
        click(w.findChild<ManualTranslationDialog*>(), "cancel");
        const QByteArray user = readBytes(ws.path("User.dic"));
        click(&w, "exitButton");
        QCOMPARE(readBytes(ws.path("User.old")), user);
        auto* save = w.findChild<SaveResourcesDialog*>();
        QVERIFY(save && save->isVisible());
        QCOMPARE(save->windowTitle(), QStringLiteral("Сохранение ресурсов"));
        QCOMPARE(child<QLabel>(save, "question")->text(),
                 QStringLiteral("Перезаписать ресурсы перед выходом из программы?"));
        click(save, "cancel");
        QVERIFY(w.isEnabled());
        QCOMPARE(ui.quits, 0);
        click(&w, "exitButton");
        click(save, "no");
        QCOMPARE(ui.quits, 1);
    }

    // A second window on a working directory another copy (a real process) holds is
    // told so at start and in its title, translates, saves nothing, and its exit says
    // so once instead of offering a save that can only fail.
    void secondWindowSavesNothing()
    {
        Workspace ws;
        QProcess holder;
        holder.start(QStringLiteral(KVARSEL_CRASH_CHILD), {QStringLiteral("hold"), ws.dir});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));
        const QMap<QString, QByteArray> before = snapshotTree(ws.dir);
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QVERIFY(ui.messages.value(0).text.contains(QStringLiteral("уже используется")));
        QVERIFY(ui.messages.value(0).text.contains(QString::number(holder.processId())));
        QVERIFY(ui.messages.value(0).text.contains(QStringLiteral("только для просмотра")));
        QCOMPARE(w.windowTitle(), QStringLiteral("Кварсел — только просмотр"));
        w.loadResourcesFrom(ws.path("resources"));
        click(&w, "autoTranslateButton");
        click(&w, "settingsButton");
        click(w.settingsDialog(), "ok");
        QCOMPARE(ui.messages.size(), 2); // the settings file was not written, and why
        w.menuAction(MainWindow::Save)->trigger();
        QCOMPARE(ui.messages.size(), 3);
        QVERIFY(ui.messages.last().text.contains(QStringLiteral("не сохраняет")));
        click(&w, "exitButton");
        QCOMPARE(ui.questions.size(), 1);
        QVERIFY(ui.questions[0].text.contains(QStringLiteral("будут потеряны")));
        QVERIFY(!ui.questions[0].text.contains(QStringLiteral("можно будет сохранить")));
        QCOMPARE(ui.quits, 0); // "Отмена"
        ui.askAnswers = {0};
        click(&w, "exitButton");
        QCOMPARE(ui.quits, 1);
        QCOMPARE(snapshotTree(ws.dir), before);
        holder.kill();
        holder.waitForFinished();
    }

    // The window saves where people keep their scripts: in the working directory
    // itself, which the window holds for its whole run. Ctrl+S writes now and the
    // work goes on; a script that a real kvarsel-batch run translated meanwhile is
    // asked about by name and, skipped, keeps the batch's lines; the exit then has
    // nothing left to ask.
    void savesNowAndKeepsWhatAnotherRunWrote()
    {
        Workspace ws;
        QVERIFY(copyTree(ws.path("resources"), ws.dir));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.dir);
        click(&w, "autoTranslateButton");
        const qsizetype messages = ui.messages.size();
        w.menuAction(MainWindow::Save)->trigger();
        QCOMPARE(ui.messages.size(), messages);
        QVERIFY(!w.project().resourcesChanged());
        QVERIFY(snapshotTree(ws.path("menu")) != snapshotTree(ws.path("resources/menu")));

        // The scripts kept apart, a batch run in another working directory in between.
        w.loadResourcesFrom(ws.path("resources"));
        emit w.listView(ResourceKind::Menu)->doubleClicked(w.project().store(ResourceKind::Menu).index(4));
        w.findChild<ManualTranslationDialog*>()->confirm();
        QTemporaryDir other;
        QVERIFY(QFile::copy(ws.path("common.dic"), other.filePath("common.dic")));
        const QMap<QString, QByteArray> beforeBatch = snapshotTree(ws.path("resources"));
        QProcess batch;
        batch.setWorkingDirectory(other.path());
        batch.start(QStringLiteral(KVARSEL_BATCH),
                    {"translate", ws.path("resources"), "--dictionary", other.filePath("common.dic")});
        QVERIFY(batch.waitForFinished(60000));
        QVERIFY2(batch.exitCode() == 0, batch.readAllStandardError().constData());
        const QMap<QString, QByteArray> byBatch = snapshotTree(ws.path("resources"));

        ui.askAnswers = {1}; // "Пропустить"
        w.menuAction(MainWindow::Save)->trigger();
        QCOMPARE(ui.questions.size(), 1);
        QVERIFY2(ui.questions[0].text.contains(QStringLiteral("[Перезаписать|Пропустить|Вернуться]")),
                 qPrintable(ui.questions[0].text));
        const QMap<QString, QByteArray> now = snapshotTree(ws.path("resources"));
        qsizetype byOther = 0;
        for (auto it = byBatch.cbegin(); it != byBatch.cend(); ++it) {
            if (it.value() == beforeBatch.value(it.key()) || !it.key().endsWith(".rc"))
                continue;
            ++byOther;
            QVERIFY2(
                ui.questions[0].text.contains(QDir::toNativeSeparators(ws.path("resources/" + it.key()))),
                qPrintable(it.key()));
            QCOMPARE(now.value(it.key()), it.value());
        }
        QVERIFY(byOther > 0);
        QCOMPARE(ui.messages.size(), messages);
        click(&w, "exitButton");
        QCOMPARE(ui.questions.size(), 1);
        QCOMPARE(ui.quits, 1);
    }

    // Settings that could not be read (here a pipe at the file's name, read as
    // nothing) are replaced by "OK" only when the user agrees.
    void unreadSettingsReplacedOnlyWhenConfirmed()
    {
        Workspace ws(false);
        for (const char* f : {"User.dic", "a.dic"})
            QVERIFY(writeLinesRaw(ws.path(f), {"x", "y"}));
        QCOMPARE(::mkfifo(QFile::encodeName(ws.path("velmora.ini")).constData(), 0600), 0);
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        click(&w, "settingsButton");
        click(w.settingsDialog(), "connectAll");
        const qsizetype messages = ui.messages.size();
        click(w.settingsDialog(), "ok"); // no answer: the last button, "Отмена"
        QCOMPARE(ui.questions.size(), 1);
        QVERIFY(ui.questions[0].text.contains(ws.path("velmora.ini")));
        QVERIFY(w.settingsDialog()->isVisible());
        QCOMPARE(ui.messages.size(), messages); // nothing was tried
        ui.askAnswers = {0};
        click(w.settingsDialog(), "ok");
        QCOMPARE(ui.questions.size(), 2);
        QVERIFY(ui.messages.last().text.contains(QStringLiteral("не обычный файл")));
    }

    void failedScriptKeepsProgramRunning()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        click(&w, "autoTranslateButton");
        const QByteArray about = readBytes(ws.path("resources/dialog/about.rc"));
        setWriteFaultForTesting([](const QString& p) {
            return p.endsWith("about.rc") ? QStringLiteral("нет прав доступа") : QString();
        });
        click(&w, "exitButton");
        click(w.findChild<SaveResourcesDialog*>(), "yes");
        setWriteFaultForTesting({});
        QCOMPARE(ui.quits, 0);
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.contains(ws.path("resources/dialog/about.rc")));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("нет прав доступа")));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Stop);
        QVERIFY(w.isEnabled());
        QCOMPARE(readBytes(ws.path("resources/dialog/about.rc")), about);
        // The other scripts were written.
        QVERIFY(readBytes(ws.path("resources/menu/main.rc")).contains(cp1251Lines({"    POPUP \"&Файл\""})));
    }

    // The working directory on a disk that is really full: "Выход из программы"
    // after a manual translation says the dictionary was not saved, keeps both
    // User.dic and User.old as they were, and the program runs on; with room
    // again, the same button saves.
    void exitOnAFullDiskKeepsTheDictionary()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        QTemporaryDir tmp;
        const SmallDisk disk(tmp.filePath("disk"), "2m");
        if (!disk.error.isEmpty())
            QSKIP(qPrintable(disk.error));
        QVERIFY(copyTree(demoDir(), disk.path));
        QVERIFY(writeBytes(disk.path + "/User.old", cp1251Lines({"Ancient", "Древнее"})));
        RecordingUiServices ui;
        MainWindow w(disk.path, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(disk.path + "/resources");
        ui.clipboard = QStringLiteral("Файл");
        emit w.listView(ResourceKind::Menu)->doubleClicked(w.project().store(ResourceKind::Menu).index(4));
        click(w.findChild<ManualTranslationDialog*>(), "ok");
        QVERIFY(w.project().userDictionaryChanged());
        const QByteArray user = readBytes(disk.path + "/User.dic");
        const QByteArray old = readBytes(disk.path + "/User.old");
        const QStringList names = QDir(disk.path).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(disk.fill("filler"));

        ui.messages.clear();
        click(&w, "exitButton");
        QCOMPARE(ui.quits, 0);
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY2(ui.messages[0].text.contains(disk.path + "/User."), qPrintable(ui.messages[0].text));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("нет места на диске")));
        QVERIFY(w.isEnabled());
        QCOMPARE(readBytes(disk.path + "/User.dic"), user);
        QCOMPARE(readBytes(disk.path + "/User.old"), old);
        QStringList now = QDir(disk.path).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(now.removeAll("filler"), 1);
        QCOMPARE(now, names); // no temporary file left

        QVERIFY(QFile::remove(disk.path + "/filler"));
        click(&w, "exitButton");
        QCOMPARE(readBytes(disk.path + "/User.old"), user);
        QVERIFY(!w.project().userDictionaryChanged());
        click(w.findChild<SaveResourcesDialog*>(), "no");
        QCOMPARE(ui.quits, 1);
    }

    // A UTF-16LE workspace without a User.dic: a translation Windows-1251 cannot hold
    // is taken, and at exit the script stays UTF-16LE, the new User.dic is UTF-8.
    void translationInAUtf16Script()
    {
        Workspace ws(false);
        QVERIFY(copyTree(QStringLiteral(KVARSEL_TEST_DATA "/encodings/utf16le/res"), ws.path("resources")));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        w.start();
        w.loadResourcesFrom(ws.path("resources"));
        const LineStore& menu = w.project().store(ResourceKind::Menu);
        QCOMPARE(menu.Text(5), QStringLiteral("Open"));
        ui.clipboard = QStringLiteral("Открыть ☺");
        emit w.listView(ResourceKind::Menu)->doubleClicked(menu.index(5));
        const qsizetype before = ui.messages.size();
        click(w.findChild<ManualTranslationDialog*>(), "ok");
        QCOMPARE(ui.messages.size(), before);
        click(&w, "exitButton");
        click(w.findChild<SaveResourcesDialog*>(), "yes");
        QCOMPARE(ui.quits, 1);
        const DecodedText script = decodeText(readBytes(ws.path("resources/menu/main.rc")));
        QCOMPARE(script.encoding, TextEncoding::Utf16Le);
        QVERIFY(script.text.contains(QStringLiteral("MENUITEM \"Открыть ☺\", 101\r\n")));
        QCOMPARE(readBytes(ws.path("User.dic")),
                 QByteArray("\xEF\xBB\xBF") + QStringLiteral("Open\r\nОткрыть ☺\r\n").toUtf8());
    }

    void closeBoxActsAsExit()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        QVERIFY(!w.close());
        QCOMPARE(ui.quits, 1);
    }

    // Load the demo, translate automatically, translate one phrase by hand, exit
    // with "Да": the scripts equal the expected files.
    // Each loading setting through the window: switched on in the settings, the
    // scripts loaded again, a text translated by hand and saved at exit.
    void loadingSettingsRoad_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("kind"); // the kind whose script gets the translation
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("hint"); // the accelerator the window announces; empty: none
        QTest::addColumn<QString>("written");
        QTest::newRow("accelerators") << "keepAccelerators"
                                      << "menu/main.rc"
                                      << "File"
                                      << "Файл"
                                      << "Клавиша доступа: «Ф» (в сценарии: &Файл)"
                                      << "    POPUP \"&Файл\"";
        QTest::newRow("CONTROL texts") << "translateControlTexts"
                                       << "dialog/options.rc"
                                       << "Word wrap"
                                       << "Перенос строк"
                                       << ""
                                       << "    CONTROL         \"Перенос строк\",IDC_WORDWRAP,";
    }
    void loadingSettingsRoad()
    {
        QFETCH(QString, box);
        QFETCH(QString, kind);
        QFETCH(QString, phrase);
        QFETCH(QString, translation);
        QFETCH(QString, hint);
        QFETCH(QString, written);
        Workspace ws;
        // A working directory from before both settings: its settings file has no flag lines.
        QVERIFY(writeLinesRaw(ws.path("velmora.ini"), {"User.dic", "common.dic", "office.dic"}));
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        const ResourceKind k = kind.startsWith("menu") ? ResourceKind::Menu : ResourceKind::Dialog;
        QCOMPARE(w.project().store(k).FindPrefix(phrase, 0) < 0, box == "translateControlTexts");
        click(&w, "settingsButton");
        child<QCheckBox>(w.settingsDialog(), box.toLatin1())->setChecked(true);
        ui.askAnswers = {0}; // "Загрузить заново"
        click(w.settingsDialog(), "ok");
        QVERIFY(readBytes(ws.path("velmora.ini"))
                    .contains(box == "keepAccelerators" ? "\r\nKeepAccelerators\r\n"
                                                        : "\r\nTranslateControlTexts\r\n"));
        const LineStore& store = w.project().store(k);
        const qsizetype row = store.FindPrefix(phrase, 0);
        QVERIFY(row > 0);
        QCOMPARE(store.Text(row), phrase);
        w.tabBar()->setCurrentIndex(kindIndex(k));
        w.listView(k)->setCurrentIndex(store.index(int(row)));
        ui.clipboard = translation;
        emit w.listView(k)->doubleClicked(store.index(int(row)));
        auto* dialog = w.findChild<ManualTranslationDialog*>();
        auto* label = child<QLabel>(dialog, "acceleratorHint");
        QCOMPARE(label->isVisibleTo(dialog) ? label->text() : QString(), hint);
        if (!hint.isEmpty()) {
            // A typed mark on a letter another top item has is a finding.
            child<QPlainTextEdit>(dialog, "translation")->setPlainText("&View файл");
            QVERIFY(
                child<QLabel>(dialog, "checks")->text().contains("Клавиша доступа «V» уже есть у «View»"));
            child<QPlainTextEdit>(dialog, "translation")->setPlainText(translation);
        }
        click(dialog, "ok");
        click(&w, "exitButton");
        click(w.findChild<SaveResourcesDialog*>(), "yes");
        const QString script = cp1251::decode(readBytes(ws.path("resources/" + kind)));
        QVERIFY2(script.contains(written), qPrintable(script));
    }

    void endToEnd()
    {
        Workspace ws;
        RecordingUiServices ui;
        MainWindow w(ws.dir, ui);
        QVERIFY(w.start());
        w.loadResourcesFrom(ws.path("resources"));
        click(&w, "autoTranslateButton");
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(w.panel(8)->text(), QStringLiteral("Ручной перевод"));
        QCOMPARE(w.panel(7)->text(), QStringLiteral("Пользовательский словарь"));
        w.tabBar()->setCurrentIndex(2); // String
        const LineStore& strings = w.project().store(ResourceKind::String);
        qsizetype row = -1;
        for (qsizetype i = 0; i < strings.RowCount(); ++i)
            if (strings.Text(i) == QStringLiteral("Line %d, column %d"))
                row = i;
        QVERIFY(row > 0);
        w.listView(ResourceKind::String)->setCurrentIndex(strings.index(int(row)));
        QCOMPARE(ui.clipboard, QStringLiteral("Line %d, column %d"));
        ui.clipboard = QStringLiteral("Строка %d, столбец %d");
        emit w.listView(ResourceKind::String)->doubleClicked(strings.index(int(row)));
        click(w.findChild<ManualTranslationDialog*>(), "ok");
        click(&w, "exitButton");
        click(w.findChild<SaveResourcesDialog*>(), "yes");
        QCOMPARE(ui.quits, 1);
        const QString expected = QStringLiteral(KVARSEL_TEST_DATA) + "/expected";
        // KVARSEL_UPDATE_GOLDEN=1 writes the expected files afresh (review them before committing).
        if (qEnvironmentVariableIsSet("KVARSEL_UPDATE_GOLDEN")) {
            QDir(expected).removeRecursively();
            QDirIterator scripts(ws.path("resources"), QDir::Files, QDirIterator::Subdirectories);
            while (scripts.hasNext()) {
                const QString file = scripts.next();
                QVERIFY(writeBytes(expected + "/" + QDir(ws.dir).relativeFilePath(file), readBytes(file)));
            }
            QVERIFY(writeBytes(expected + "/User.dic", readBytes(ws.path("User.dic"))));
        }
        QDirIterator it(expected, QDir::Files, QDirIterator::Subdirectories);
        int compared = 0;
        while (it.hasNext()) {
            const QString file = it.next();
            const QString rel = QDir(expected).relativeFilePath(file);
            QCOMPARE(readBytes(ws.path(rel)), readBytes(file));
            ++compared;
        }
        QCOMPARE(compared, 9);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
