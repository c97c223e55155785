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
        QCOMPARE(rows, buildHelpList(f.dir.path()).rows);

        QStringList labels;
        for (QLabel* label : help->findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains("Рабочий каталог программы :"));
        QVERIFY(labels.contains("Версия программы - 2.0"));
        QVERIFY(labels.contains("Более подробная справка, словари и новые версии программы  на сайте "));
        QCOMPARE(help->findChild<QLabel*>("directoryLabel")->text(),
                 QDir::toNativeSeparators(QDir::currentPath()));

        auto* site = help->findChild<QPushButton*>("siteButton");
        QCOMPARE(site->text(), help_texts::kProjectAddress);
        site->click();
        QCOMPARE(f.services.openedUrls, (QList<QUrl>{QUrl(help_texts::kProjectAddress)}));
        QVERIFY(help->isVisible());

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

    void missingReadmeIsAnnouncedOnce()
    {
        Fixture f;
        HelpWindow* help = f.open();
        QVERIFY(help->isVisible());
        QCOMPARE(f.services.messages.size(), 1);
        const test::RecordedMessage& m = f.services.messages.first();
        QCOMPARE(m.title, QString("Кварсел"));
        QCOMPARE(m.icon, MessageIcon::None);
        QCOMPARE(m.text, readmeMissingMessage());
        QCOMPARE(listRows(help).last(), help_texts::kSiteLine);
        help->findChild<QPushButton*>("okButton")->click();
        f.open();
        QCOMPARE(f.services.messages.size(), 1);
    }
};

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
