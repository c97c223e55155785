#include "help/HelpTexts.h"
#include "help/HelpWindow.h"
#include "help/InstallHelp.h"
#include "workbench/MainWindow.h"

#include "RecordingUiServices.h"
#include "TestUtil.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QToolButton>
#include <memory>

using namespace kvarsel;

namespace {

QStringList listRows(HelpWindow* help)
{
    QStringList rows;
    QAbstractItemModel* model = help->helpList()->model();
    for (int i = 0; i < model->rowCount(); ++i)
        rows << model->index(i, 0).data().toString();
    return rows;
}

// The help button opens the window in the process's current directory.
struct Fixture {
    QTemporaryDir dir;
    QString previousDir = QDir::currentPath();
    test::RecordingUiServices services;
    std::unique_ptr<MainWindow> main;

    Fixture()
    {
        QDir::setCurrent(dir.path());
        main = std::make_unique<MainWindow>(dir.path(), services);
        installHelp(*main);
        main->show();
    }
    ~Fixture()
    {
        main.reset();
        QDir::setCurrent(previousDir);
    }
    // Where the test program's documentation would be: nowhere beside a test.
    static QString documentation() { return documentationPath(QCoreApplication::applicationDirPath()); }
    HelpWindow* open()
    {
        main->button(MainWindow::Help)->click();
        return main->findChild<HelpWindow*>();
    }
};

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheReadmeAndItsTexts()
    {
        Fixture f;
        QVERIFY(test::writeLinesRaw(f.dir.filePath("Readme.txt"), {"Первая", "", "Третья"}));
        HelpWindow* help = f.open();
        QVERIFY(help && help->isVisible());
        QVERIFY(!f.main->isEnabled());
        QCOMPARE(help->windowTitle(), QString("Кварсел - Справка"));
        QVERIFY(f.services.messages.isEmpty());
        const QStringList rows = listRows(help);
        QCOMPARE(rows.mid(rows.size() - 3), (QStringList{"Первая", "", "Третья"}));
        QCOMPARE(rows, buildHelpList(f.dir.path(), f.documentation()).rows);

        QStringList labels;
        for (QLabel* label : help->findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains("Рабочий каталог программы :"));
        QVERIFY(labels.contains("Версия программы - 2.0"));
        QVERIFY(
            labels.contains("Более подробная справка - в документации, установленной вместе с программой: "));
        QCOMPARE(help->findChild<QLabel*>("directoryLabel")->text(),
                 QDir::toNativeSeparators(QDir::currentPath()));
        QCOMPARE(help->findChild<QPushButton*>("documentationButton")->text(),
                 QString("Документация программы"));

        auto* ok = help->findChild<QPushButton*>("okButton");
        QCOMPARE(ok->text(), QString("Ok"));
        ok->click();
        QVERIFY(!help->isVisible());
        QVERIFY(f.main->isEnabled());
    }

    void builtOnceAndShownAgainUnchanged()
    {
        Fixture f;
        QVERIFY(test::writeLinesRaw(f.dir.filePath("Readme.txt"), {"Старый текст"}));
        HelpWindow* help = f.open();
        const QStringList first = listRows(help);
        help->findChild<QPushButton*>("okButton")->click();
        QVERIFY(QFile::remove(f.dir.filePath("Readme.txt")));
        QCOMPARE(f.open(), help);
        QCOMPARE(f.main->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(listRows(help), first);
        QVERIFY(f.services.messages.isEmpty());
    }

    // The button opens the documentation installed with the program, from its file;
    // when there is none, or nothing opens it, the user is told which file it is.
    void documentationButton_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("said");
        QTest::newRow("opened") << true << true << QString();
        QTest::newRow("nothing opens HTML")
            << true << false
            << "Файл документации программы не открыт: нет программы, которая "
               "открывает файлы HTML.\n%1";
        QTest::newRow("not installed") << false << false << "Файл документации программы не найден:\n%1";
    }

    void documentationButton()
    {
        QFETCH(bool, installed);
        QFETCH(bool, opens);
        QFETCH(QString, said);
        Fixture f;
        const QString file = f.dir.filePath("share/doc/kvarsel/docs/guide.html");
        if (installed)
            QVERIFY(test::writeBytes(file, "<html></html>"));
        f.services.openUrlAnswer = opens;
        HelpWindow help(f.main.get(), f.services, f.dir.path(), file);
        f.services.messages.clear(); // that Readme.txt is missing
        help.findChild<QPushButton*>("documentationButton")->click();
        QCOMPARE(f.services.openedUrls, installed ? QList<QUrl>{QUrl::fromLocalFile(file)} : QList<QUrl>());
        QCOMPARE(f.services.messages.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty())
            QCOMPARE(f.services.messages.first().text, said.arg(QDir::toNativeSeparators(file)));
    }

    void missingReadmeIsAnnouncedOnce()
    {
        Fixture f;
        HelpWindow* help = f.open();
        QVERIFY(help->isVisible());
        QCOMPARE(f.services.messages.size(), 1);
        const test::RecordedMessage& m = f.services.messages.first();
        QCOMPARE(m.title, QString("Кварсел"));
        QCOMPARE(m.icon, MessageIcon::None);
        QCOMPARE(m.text, readmeMissingMessage(f.documentation()));
        QCOMPARE(listRows(help).last(), QDir::toNativeSeparators(f.documentation()));
        help->findChild<QPushButton*>("okButton")->click();
        f.open();
        QCOMPARE(f.services.messages.size(), 1);
    }
};

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
