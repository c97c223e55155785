// Esc in every window opened from the main window presses that window's
// cancelling button, so it runs exactly what the button runs.
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "deferred/AutoTranslationEditor.h"
#include "deferred/InstallDeferredTranslation.h"
#include "help/InstallHelp.h"
#include "maintenance/InstallMaintenance.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"

#include <QAbstractButton>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kvarsel;
using namespace kvarsel::test;

class EscapeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void escapePressesTheCancellingButton_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("manual translation") << "ManualTranslationDialog"
                                            << "cancel"
                                            << "Отмена";
        QTest::newRow("settings") << "SettingsDialog"
                                  << "cancel"
                                  << "Отмена";
        QTest::newRow("resources") << "ResourcesDialog"
                                   << "cancel"
                                   << "Отмена";
        QTest::newRow("save") << "SaveResourcesDialog"
                              << "cancel"
                              << "Отмена";
        QTest::newRow("export") << "DeferredTranslationDialog"
                                << "cancel"
                                << "Отмена";
        QTest::newRow("editor") << "UserDictionaryEditor"
                                << "exitButton"
                                << "Выход";
        QTest::newRow("optimizer") << "UserDictionaryOptimizer"
                                   << "exitButton"
                                   << "Выход";
        QTest::newRow("review") << "AutoTranslationEditor"
                                << "exit"
                                << "Выход";
        QTest::newRow("help") << "HelpWindow"
                              << "okButton"
                              << "Ok";
    }

    void escapePressesTheCancellingButton()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(QString, text);
        QTemporaryDir tmp;
        QVERIFY(copyTree(demoDir(), tmp.path()));
        RecordingUiServices ui;
        MainWindow w(tmp.path(), ui);
        installDeferredTranslation(w);
        installMaintenance(w);
        installHelp(w);
        QVERIFY(w.start());
        w.loadResourcesFrom(tmp.path() + QStringLiteral("/resources"));

        if (window == "ManualTranslationDialog") {
            w.manualTranslationDialog()->open(QStringLiteral("Open"), QStringLiteral("Открыть"));
        } else if (window == "SettingsDialog") {
            w.button(MainWindow::Settings)->click();
        } else if (window == "ResourcesDialog") {
            w.button(MainWindow::OpenResources)->click();
        } else if (window == "SaveResourcesDialog") {
            w.project().markResourcesChanged();
            w.button(MainWindow::Exit)->click();
        } else if (window == "DeferredTranslationDialog") {
            w.button(MainWindow::DeferredTranslate)->click();
        } else if (window == "UserDictionaryEditor") {
            w.button(MainWindow::EditDictionary)->click();
        } else if (window == "UserDictionaryOptimizer") {
            w.button(MainWindow::OptimizeDictionary)->click();
        } else if (window == "AutoTranslationEditor") {
            (new AutoTranslationEditor(&w, w.project(), w.services()))
                ->startReview(tmp.path() + QStringLiteral("/bi.txt"), {"Save", "Сохранить"});
        } else if (window == "HelpWindow") {
            w.button(MainWindow::Help)->click();
        }
        QWidget* shown = nullptr;
        for (QWidget* child : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child->isWindow() && child->isVisible() && child->inherits(qPrintable("kvarsel::" + window)))
                shown = child;
        QVERIFY2(shown, qPrintable(window));
        QPointer<QWidget> guard(shown);
        auto* cancelling = shown->findChild<QAbstractButton*>(button);
        QVERIFY(cancelling);
        QCOMPARE(cancelling->text(), text);
        QVERIFY(!w.isEnabled());
        QSignalSpy clicked(cancelling, &QAbstractButton::clicked);
        // Pressed where the focus is, as the user presses it.
        QWidget* focus = shown->focusWidget() ? shown->focusWidget() : shown;
        QTest::keyClick(focus, Qt::Key_Escape);
        QCOMPARE(clicked.count(), 1);
        QVERIFY(guard.isNull() || !guard->isVisible());
        QVERIFY(w.isEnabled());
    }
};

QTEST_MAIN(EscapeTest)
#include "tst_escape.moc"
