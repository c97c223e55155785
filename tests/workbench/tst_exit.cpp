// Ending the program through the real event loop and the real desktop services:
// QApplication::exec() must return, with the scripts written or left alone.
// Message boxes are real too; a timer answers them as a user reading them would.
#include "TestUtil.h"
#include "deferred/InstallDeferredTranslation.h"
#include "text/TextFile.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"
#include "workbench/UiServices.h"
#include "workspace/SaveResourcesDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWindow>

using namespace kvarsel;

using namespace kvarsel::test;

namespace {

using Road = std::function<void(MainWindow&)>;

QAbstractButton* button(QWidget* window, const char* name)
{
    return window ? window->findChild<QAbstractButton*>(QString::fromLatin1(name)) : nullptr;
}

QWidget* shownWindow(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(objectName) && w->isVisible())
            return w;
    return nullptr;
}

// Counts how often the save dialog is shown: the fault made it come back after every answer.
struct ShowCounter : QObject {
    int saveDialogShown = 0;
    QStringList messages;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->objectName() == QLatin1String("SaveResourcesDialog"))
            ++saveDialogShown;
        return false;
    }
};

} // namespace

class ExitTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void endsThroughEventLoop_data()
    {
        QTest::addColumn<Road>("road");
        QTest::addColumn<bool>("scriptsWritten");
        QTest::addColumn<int>("saveDialogShown");
        // For the roads about User.dic: its bytes before the start (empty: as in the
        // demo), the buttons the user presses in the questions, and lines it must hold at the end.
        QTest::addColumn<QByteArray>("userDicAtStart");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("userDicHolds");

        const auto load = [](MainWindow& w) { w.loadResourcesFrom(w.project().workDir() + "/resources"); };
        const auto exitButton = [](MainWindow& w) { button(&w, "exitButton")->click(); };
        const auto answer = [](const char* which) {
            return [which] { button(shownWindow("SaveResourcesDialog"), which)->click(); };
        };
        const auto translated = [=](MainWindow& w) {
            load(w);
            button(&w, "autoTranslateButton")->click(); // "Автоматический перевод"
        };

        QTest::newRow("nothing changed") << Road([=](MainWindow& w) {
            load(w);
            exitButton(w);
        }) << false << 0 << QByteArray() << QStringList()
                                         << QStringList();
        QTest::newRow("auto, Да") << Road([=](MainWindow& w) {
            translated(w);
            exitButton(w);
            answer("yes")();
        }) << true << 1 << QByteArray()
                                  << QStringList() << QStringList();
        QTest::newRow("auto, Нет") << Road([=](MainWindow& w) {
            translated(w);
            exitButton(w);
            answer("no")();
        }) << false << 1 << QByteArray()
                                   << QStringList() << QStringList();
        QTest::newRow("auto, Отмена, then Да") << Road([=](MainWindow& w) {
            translated(w);
            exitButton(w);
            answer("cancel")();
            exitButton(w);
            answer("yes")();
        }) << true << 2 << QByteArray() << QStringList()
                                               << QStringList();
        const auto translateByHand = [=](MainWindow& w) {
            load(w);
            const LineStore& menu = w.project().store(ResourceKind::Menu);
            Q_EMIT w.listView(ResourceKind::Menu)->doubleClicked(menu.index(4));
            auto* dialog = w.findChild<ManualTranslationDialog*>();
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("translation"))
                ->setPlainText(QStringLiteral("Файл"));
            button(dialog, "ok")->click();
        };
        QTest::newRow("manual, close box, Да") << Road([=](MainWindow& w) {
            translateByHand(w);
            w.windowHandle()->close(); // what the window manager does for the close box
            answer("yes")();
        }) << true << 1 << QByteArray() << QStringList()
                                               << QStringList();
        QTest::newRow("close box, nothing changed")
            << Road([](MainWindow& w) { w.windowHandle()->close(); }) << false << 0 << QByteArray()
            << QStringList() << QStringList();
        QTest::newRow("deferred export, Да") << Road([=](MainWindow& w) {
            translated(w);
            button(&w, "deferredTranslationButton")->click(); // "Отложенный перевод"
            button(shownWindow("DeferredTranslationDialog"), "continue")->click();
            answer("yes")();
        }) << true << 1 << QByteArray() << QStringList()
                                             << QStringList();
        QTest::newRow("failed save keeps running, then Да") << Road([=](MainWindow& w) {
            translated(w);
            {
                // The kernel refuses to let any file grow past 100 bytes: every script's
                // write really fails (EFBIG), on both saving threads.
                const FileSizeLimit limit(100);
                exitButton(w);
                answer("yes")(); // the failure message is answered by the timer
            }
            QVERIFY(w.isVisible() && w.isEnabled());
            exitButton(w);
            answer("yes")();
        }) << true << 2 << QByteArray() << QStringList() << QStringList();

        // A User.dic that could not be read (bytes that break its encoding) is never
        // saved over: the user mends it and retries, or ends without saving it.
        QByteArray unreadable = QByteArray("\xFF\xFE", 2) + QByteArray("O\0p\0e\0n\0\r", 9);
        QTest::newRow("unreadable User.dic, mended, Повторить, Да")
            << Road([=](MainWindow& w) {
                   translateByHand(w);
                   exitButton(w); // the question comes; the user mends the file meanwhile
                   answer("yes")();
               })
            << true << 1 << unreadable << QStringList{"mend", "answer0"}
            << QStringList{"Mended", "Исправлено", "File", "Файл"};
        QTest::newRow("unreadable User.dic, end without it, Да") << Road([=](MainWindow& w) {
            translateByHand(w);
            exitButton(w);
            answer("yes")();
        }) << true << 1 << unreadable << QStringList{"answer1"} << QStringList{};
        QTest::newRow("User.dic changed by another program, Объединить, Да")
            << Road([=](MainWindow& w) {
                   translateByHand(w);
                   QVERIFY(writeBytes(w.project().workDir() + "/User.dic",
                                      readBytes(w.project().workDir() + "/User.dic") +
                                          cp1251Lines({"Theirs", "Чужое"})));
                   exitButton(w);
                   answer("yes")();
               })
            << true << 1 << QByteArray() << QStringList{"answer0"}
            << QStringList{"Restore", "Восстановить", "Theirs", "Чужое", "File", "Файл"};
    }

    void endsThroughEventLoop()
    {
        QFETCH(Road, road);
        QFETCH(bool, scriptsWritten);
        QFETCH(int, saveDialogShown);

        QFETCH(QByteArray, userDicAtStart);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, userDicHolds);

        QTemporaryDir tmp;
        QVERIFY(copyTree(demoDir(), tmp.path()));
        const QMap<QString, QByteArray> before = snapshotTree(tmp.path() + "/resources");
        const QString userDic = tmp.path() + "/User.dic";
        if (!userDicAtStart.isEmpty())
            QVERIFY(writeBytes(userDic, userDicAtStart));

        ShowCounter counter;
        qApp->installEventFilter(&counter);
        // A user reads each message box and presses its button, from the start on
        // (an unreadable User.dic is told before the window shows).
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                counter.messages << box->text();
                if (box->button(QMessageBox::Ok)) {
                    box->button(QMessageBox::Ok)->click();
                    return;
                }
                // A question: the road's next answer; "mend" first puts User.dic right.
                QString next = answers.isEmpty() ? QStringLiteral("answer0") : answers.takeFirst();
                if (next == QLatin1String("mend")) {
                    QVERIFY(writeLinesRaw(userDic, {"Mended", "Исправлено"}));
                    next = answers.takeFirst();
                }
                box->findChild<QAbstractButton*>(next)->click();
            }
        });
        answerer.start(20);
        DesktopUiServices services;
        MainWindow w(tmp.path(), services);
        installDeferredTranslation(w);
        QVERIFY(w.start());
        // A program that does not end is put down, and the test sees the other status.
        // The timer is this road's own: one left from an earlier road would end a later one.
        bool hung = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&hung] {
            hung = true;
            for (QWidget* window : QApplication::topLevelWidgets())
                window->hide();
            QCoreApplication::exit(99);
        });
        watchdog.start(15000);
        QTimer::singleShot(0, &w, [&] { road(w); });
        const int status = QApplication::exec();
        qApp->removeEventFilter(&counter);

        QVERIFY2(!hung, "the program did not end");
        QCOMPARE(status, 0);
        QCOMPARE(counter.saveDialogShown, saveDialogShown);
        const QMap<QString, QByteArray> after = snapshotTree(tmp.path() + "/resources");
        QVERIFY2(answers.isEmpty(), qPrintable(answers.join(u' ')));
        if (userDicAtStart.isEmpty() && userDicHolds.isEmpty())
            ; // the demo's own roads
        else if (userDicHolds.isEmpty())
            QCOMPARE(readBytes(userDic), userDicAtStart);
        else
            for (const QString& line : std::as_const(userDicHolds))
                QVERIFY2(readLines(userDic).lines.contains(line), qPrintable(line));
        if (scriptsWritten) {
            QVERIFY(after != before);
            QVERIFY(after.value("menu/main.rc").contains(cp1251Lines({"    POPUP \"&Файл\""})));
        } else {
            QCOMPARE(after, before);
        }
    }
};

QTEST_MAIN(ExitTest)
#include "tst_exit.moc"
