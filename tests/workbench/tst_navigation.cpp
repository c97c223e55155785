// Finding one's way in the main window on the demo resources: what the rows show,
// the find bar, the jump to untranslated texts, the count beside the tabs, and
// where the windows open.
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "deferred/BilingualReview.h"
#include "settings/SettingsDialog.h"
#include "workbench/FindBar.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"
#include "workbench/RowDelegate.h"
#include "workbench/WindowPlacement.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QToolButton>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// The demo's working directory, started and with its resources loaded.
struct Loaded {
    QTemporaryDir tmp;
    RecordingUiServices ui;
    mutable MainWindow w{tmp.path(), ui};
    Loaded()
    {
        copyTree(demoDir(), tmp.path());
        w.start();
        w.loadResourcesFrom(tmp.path() + QStringLiteral("/resources"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    const LineStore& menu() const { return w.project().store(ResourceKind::Menu); }
    qsizetype row(const QString& text) const
    {
        // The last one: "Exit" is in both menus, and the tray's is the one near the Russian text.
        qsizetype i = menu().RowCount();
        while (--i >= 0 && menu().Text(i) != text) {
        }
        return i;
    }
    int selectedRow() const
    {
        const QModelIndexList sel = w.listView(ResourceKind::Menu)->selectionModel()->selectedIndexes();
        return sel.size() == 1 ? sel[0].row() : -1;
    }
    QString selectedText() const
    {
        return selectedRow() < 0 ? QStringLiteral("<none>") : menu().Text(selectedRow());
    }
    FindBar* bar() const { return w.findChild<FindBar*>(); }
    QString count() const { return w.findChild<QLabel*>(QStringLiteral("translatedCount"))->text(); }
};

// "key" steps name a key with optional modifiers ("Shift+F3"); others type text.
void runSteps(Loaded& l, const QStringList& steps)
{
    for (const QString& step : steps) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &l.w;
        if (step.startsWith(QLatin1String("key "))) {
            const QKeySequence keys(step.mid(4));
            QTest::keyClick(target, Qt::Key(keys[0].key()), keys[0].keyboardModifiers());
        } else {
            for (const QChar c : step) // QTest's own typing knows ASCII only
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void rowsShowFilesAndTranslatedTexts()
    {
        Loaded l;
        auto* delegate = qobject_cast<RowDelegate*>(l.w.listView(ResourceKind::Menu)->itemDelegate());
        QVERIFY(delegate);
        const auto look = [&](qsizetype row) {
            QStyleOptionViewItem option;
            option.initFrom(l.w.listView(ResourceKind::Menu));
            delegate->initStyleOption(&option, l.menu().index(int(row)));
            return option;
        };
        qsizetype tray = l.menu().RowCount();
        while (!l.menu().IsFileMarker(--tray)) {
        }
        for (const auto& [row, name] :
             {std::pair{qsizetype(0), "menu/main.rc"}, std::pair{tray, "menu/tray.rc"}}) {
            QVERIFY(l.menu().IsFileMarker(row));
            QCOMPARE(look(row).text, QDir::toNativeSeparators(QString::fromLatin1(name)));
            QVERIFY(look(row).font.italic());
            // Display only: the row's text, and what the model gives as text, stay empty.
            QCOMPARE(l.menu().Text(row), QString());
            QCOMPARE(l.menu().data(l.menu().index(int(row))).toString(), QString());
        }
        const QStyleOptionViewItem english = look(l.row(QStringLiteral("Restore")));
        const QStyleOptionViewItem russian = look(l.row(QStringLiteral("Открыть заметки")));
        QVERIFY(english.icon.isNull());
        QVERIFY(!russian.icon.isNull()); // the check mark, readable without colour
        QVERIFY(russian.palette.color(QPalette::Text) != english.palette.color(QPalette::Text));
        QCOMPARE(russian.text, QStringLiteral("Открыть заметки"));
        // Clicking a marker row still clears the clipboard, as a blank row does.
        l.ui.clipboard = QStringLiteral("x");
        const QRect r = l.w.listView(ResourceKind::Menu)->visualRect(l.menu().index(int(tray)));
        QTest::mouseClick(l.w.listView(ResourceKind::Menu)->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(l.ui.clipboard, QString());
    }

    void findBar_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("beeps");
        QTest::newRow("typing finds, case ignored") << QStringList{"key Ctrl+F", "SAV"} << "Save" << 0;
        QTest::newRow("more typing keeps a row that still holds it")
            << QStringList{"key Ctrl+F", "sav", "e a"} << "Save As" << 0;
        QTest::newRow("Enter goes to the next")
            << QStringList{"key Ctrl+F", "save", "key Return"} << "Save As" << 0;
        QTest::newRow("Shift+F3 goes back")
            << QStringList{"key Ctrl+F", "save", "key Shift+F3"} << "Save As" << 0;
        QTest::newRow("F3 past the last wraps")
            << QStringList{"key Ctrl+F", "save", "key F3", "key F3"} << "Save" << 0;
        QTest::newRow("inside a text, Cyrillic case ignored")
            << QStringList{"key Ctrl+F", "ЗАМЕТ"} << "Открыть заметки" << 0;
        QTest::newRow("nothing found leaves the row, Enter beeps")
            << QStringList{"key Ctrl+F", "exit", "zz", "key Return"} << "Exit" << 1;
        QTest::newRow("F3 after Esc searches on")
            << QStringList{"key Ctrl+F", "save", "key Escape", "key F3"} << "Save As" << 0;
    }
    void findBar()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, selected);
        QFETCH(int, beeps);
        Loaded l;
        l.w.listView(ResourceKind::Menu)->setFocus();
        runSteps(l, steps);
        QCOMPARE(l.selectedText(), selected);
        QCOMPARE(l.ui.beeps, beeps);
        // Selected as a click selects: the row handler put the text on the clipboard.
        QCOMPARE(l.ui.clipboard, selected);
        QCOMPARE(l.w.panel(3)->text(), QStringLiteral(" %1").arg(l.selectedRow() + 1));
        const bool closed = steps.contains(QStringLiteral("key Escape"));
        QCOMPARE(l.bar()->isVisible(), !closed);
        QCOMPARE(QApplication::focusWidget(),
                 closed ? static_cast<QWidget*>(l.w.listView(ResourceKind::Menu)) : l.bar()->field());
    }

    void nextUntranslated_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("selected");
        QTest::newRow("skips blank and marker rows") << "About Pebble Notes"
                                                     << "Ctrl+Down"
                                                     << "Tray";
        QTest::newRow("skips a Russian text") << "Restore"
                                              << "Ctrl+Down"
                                              << "Exit";
        QTest::newRow("back over it") << "Exit"
                                      << "Ctrl+Up"
                                      << "Restore";
        QTest::newRow("past the last wraps") << "Exit"
                                             << "Ctrl+Down"
                                             << "File";
    }
    void nextUntranslated()
    {
        QFETCH(QString, from);
        QFETCH(QString, key);
        QFETCH(QString, selected);
        Loaded l;
        if (!from.isEmpty())
            l.w.selectRow(ResourceKind::Menu, l.row(from));
        l.w.listView(ResourceKind::Menu)->setFocus();
        runSteps(l, {QStringLiteral("key ") + key});
        QCOMPARE(l.selectedText(), selected);
        QCOMPARE(l.ui.clipboard, selected);
    }

    void translatedCountFollowsTheWork()
    {
        Loaded l;
        QCOMPARE(l.count(), QStringLiteral("Переведено 1 из 28"));
        l.w.tabBar()->setCurrentIndex(1);
        QCOMPARE(l.count(), QStringLiteral("Переведено 0 из 15")); // the CONTROL text counts too
        l.w.tabBar()->setCurrentIndex(0);
        // Manual translation: "File" becomes Russian.
        emit l.w.listView(ResourceKind::Menu)
            ->doubleClicked(l.menu().index(int(l.row(QStringLiteral("File")))));
        ManualTranslationDialog* dialog = l.w.manualTranslationDialog();
        dialog->findChild<QPlainTextEdit*>(QStringLiteral("translation"))
            ->setPlainText(QStringLiteral("Файл"));
        dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        QTRY_COMPARE(l.count(), QStringLiteral("Переведено 2 из 28"));
        // Review: an accepted pair reaches every equal row.
        BilingualReview review;
        review.Reset({QStringLiteral("Edit"), QStringLiteral("Правка")});
        QVERIFY(review.Accept(l.w.project(), QStringLiteral("Правка")));
        QTRY_COMPARE(l.count(), QStringLiteral("Переведено 3 из 28"));
        // Automatic translation through the demo dictionaries.
        l.w.button(MainWindow::AutoTranslate)->click();
        QTRY_VERIFY(l.count() != QStringLiteral("Переведено 3 из 28"));
        QCOMPARE(l.count(), QStringLiteral("Переведено %1 из 28").arg(l.menu().RussianRowCount()));
    }

    void windowPlacementIsKept()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kvarsel"),
                  QStringLiteral("kvarsel"))
            .clear();
        QRect where;
        {
            Loaded l;
            new WindowPlacement(&l.w);
            l.w.setGeometry(0, 40, 200, 430); // as narrow as the buttons allow
            where = l.w.geometry();
            l.w.hide(); // as the exit does before the program ends
        }
        QTemporaryDir tmp;
        RecordingUiServices ui;
        MainWindow again(tmp.path(), ui);
        new WindowPlacement(&again);
        QCOMPARE(again.geometry(), where);
    }

    void secondaryWindowsOpenCentred()
    {
        Loaded l;
        SettingsDialog* settings = l.w.settingsDialog();
        // The same place twice (it used to creep down), then after the main window moved;
        // the offscreen screen is small, so every place leaves the window on it.
        for (const QPoint at : {QPoint(10, 20), QPoint(10, 20), QPoint(-60, 0)}) {
            l.w.move(at);
            l.w.button(MainWindow::Settings)->click();
            QVERIFY(settings->isVisible());
            QVERIFY((settings->frameGeometry().center() - l.w.frameGeometry().center()).manhattanLength() <=
                    2);
            settings->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        }
    }
};

QTEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
