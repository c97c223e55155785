// The window's road through a program: "Открыть программу…", F9, "Записать
// программу…", on a program built by mingw, the copy checked by pefile.

#include "ProgramFixtures.h"
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "workbench/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kvarsel;
using namespace kvarsel::test;

class ProgramWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openTranslateWrite()
    {
        QTemporaryDir tmp;
        const QString work = tmp.filePath(QStringLiteral("work"));
        QVERIFY(copyTree(demoDir(), work));
        QDir(QDir(work).filePath(QStringLiteral("resources"))).removeRecursively();
        const QString program = buildTestProgram(QStringLiteral("x86_64"), QStringLiteral("exe"),
                                                 tmp.filePath(QStringLiteral("program")));
        QVERIFY2(!program.isEmpty(), "the toolchain did not build the test program");

        RecordingUiServices ui;
        MainWindow w(work, ui);
        QVERIFY(w.start());
        ui.openFileAnswers = {program};
        w.findChild<QAction*>(QStringLiteral("openProgramItem"))->trigger();
        const QString unpacked = QDir(work).filePath(QStringLiteral("app.exe"));
        QVERIFY2(ui.messages.value(0).text.contains(QStringLiteral("Программа распакована")),
                 qPrintable(ui.messages.value(0).text));
        QVERIFY(ui.messages.value(0).text.contains(QStringLiteral("Меню 301"))); // left in the program
        QCOMPARE(w.project().resourceDirectory(), unpacked);
        QVERIFY(w.project().store(ResourceKind::Menu).RowCount() > 0);

        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F9);
        QVERIFY(w.project().resourcesChanged());

        const QString output = tmp.filePath(QStringLiteral("app.ru.exe"));
        ui.saveFileAnswers = {output};
        w.findChild<QAction*>(QStringLiteral("writeProgramItem"))->trigger();
        QCOMPARE(ui.saveFileSuggestions.value(0),
                 QDir(QFileInfo(program).path()).filePath(QStringLiteral("app.ru.exe")));
        QVERIFY2(ui.messages.last().text.contains(QStringLiteral("Записана программа")),
                 qPrintable(ui.messages.last().text));
        QCOMPARE(ui.messages.last().icon, MessageIcon::Information);
        // The scripts were saved on the way: the exit has nothing more to ask.
        QVERIFY(!w.project().resourcesChanged());

        // pefile: the copy is a sound program whose menu now says "Файл" (the accelerator
        // goes wherever the translation puts it).
        const Run check =
            run(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(KVARSEL_PROGRAM_TESTS) + QStringLiteral("/pecheck.py"), program, output});
        const QJsonObject result = QJsonDocument::fromJson(check.out).object();
        QCOMPARE(result.value(QStringLiteral("same")).toString(), QStringLiteral("ok"));
        QVERIFY(result.value(QStringLiteral("checksum")).toBool());
        const QByteArray bytes = readBytes(output);
        const QString file = QStringLiteral("Файл");
        QVERIFY(bytes.contains(QByteArray(reinterpret_cast<const char*>(file.utf16()), file.size() * 2)));

        // Opened again, the same program's folder is loaded as it is, translation and all.
        ui.openFileAnswers = {program};
        const qsizetype messages = ui.messages.size();
        w.findChild<QAction*>(QStringLiteral("openProgramItem"))->trigger();
        QCOMPARE(w.project().resourceDirectory(), unpacked);
        QCOMPARE(QDir(work).entryList({QStringLiteral("app.exe*")}, QDir::Dirs).size(), 1);
        QVERIFY(ui.messages.size() == messages ||
                !ui.messages.last().text.contains(QStringLiteral("распакована")));
    }
};

QTEST_MAIN(ProgramWindowTest)
#include "tst_programwindow.moc"
