// The built kvarsel program, started as its users start it, driven through its
// windows by a preloaded driver, must end by itself with status 0.
#include "TestUtil.h"

#include <QDirIterator>
#include <QProcess>

using namespace kvarsel::test;

class ProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void endsByItself_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("scriptsWritten");

        const QString open =
            QStringLiteral("click:MainWindow/openResourcesButton;dir:%RES%;click:ResourcesDialog/ok;");
        const QString translate = open + QStringLiteral("click:MainWindow/autoTranslateButton;");
        QTest::newRow("load, auto, exit, Да")
            << true << translate + "click:MainWindow/exitButton;click:SaveResourcesDialog/yes" << true;
        QTest::newRow("load, auto, exit, Нет")
            << true << translate + "click:MainWindow/exitButton;click:SaveResourcesDialog/no" << false;
        QTest::newRow("load, auto, close box, Да")
            << true << translate + "closebox:MainWindow;click:SaveResourcesDialog/yes" << true;
        QTest::newRow("load, deferred export, Да")
            << true
            << translate + "click:MainWindow/deferredTranslationButton;click:DeferredTranslationDialog/"
                           "continue;message;"
                           "click:SaveResourcesDialog/yes"
            << true;
        QTest::newRow("load, exit") << true << open + "click:MainWindow/exitButton" << false;
        QTest::newRow("no dictionary at start") << false << QStringLiteral("message") << false;
    }

    void endsByItself()
    {
        QFETCH(bool, demo);
        QFETCH(QString, steps);
        QFETCH(bool, scriptsWritten);

        QTemporaryDir tmp;
        if (demo)
            QVERIFY(copyTree(demoDir(), tmp.path()));
        const QString resources = tmp.path() + "/resources";
        const QMap<QString, QByteArray> before = snapshotTree(resources);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LD_PRELOAD", KVARSEL_USER_DRIVER);
        env.insert("KVARSEL_DRIVE", QString(steps).replace("%RES%", resources));
        // Under AddressSanitizer the driver is loaded ahead of the sanitizer's runtime.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(tmp.path());
        program.start(KVARSEL_PROGRAM, {});
        QVERIFY(program.waitForStarted());
        const bool ended = program.waitForFinished(60000);
        const QByteArray log = program.readAllStandardError();
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        QVERIFY2(ended, log.constData());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 0, log.constData());
        // Every step was taken: the program ended on the last one, not on its own.
        QCOMPARE(log.count("driver: done"), steps.count(';') + 1);

        const QMap<QString, QByteArray> after = snapshotTree(resources);
        if (scriptsWritten)
            QVERIFY(after.value("menu/main.rc").contains(cp1251Lines({"    POPUP \"&Файл\""})));
        else
            QCOMPARE(after, before);
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
