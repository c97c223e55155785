// The same workspace run through the window program and through kvarsel-batch
// must leave the same bytes on disk: the scripts after automatic translation and
// "Да", and DepTrans.txt after the export window's "Продолжить".
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "deferred/DeferredTranslationDialog.h"
#include "deferred/InstallDeferredTranslation.h"
#include "workbench/MainWindow.h"
#include "workspace/SaveResourcesDialog.h"

#include <QDirIterator>
#include <QProcess>
#include <QPushButton>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QString kBatch = QStringLiteral(KVARSEL_BATCH_EXE);

// A copy of the demo working directory whose settings file holds `settings`.
struct Copy {
    QTemporaryDir tmp;
    QString dir = tmp.path();
    QString res = tmp.filePath("resources");
    explicit Copy(const QStringList& settings)
    {
        copyTree(demoDir(), dir);
        writeLinesRaw(dir + "/velmora.ini", settings);
        // Texts that mix English and Russian: hiding Russian lines at load keeps
        // them from translation and export alike.
        writeLinesRaw(res + "/string/mixed.rc", {"STRINGTABLE", "BEGIN", "    IDS_A \"Open файл\"",
                                                 "    IDS_B \"Print отчет\"", "END"});
        QFile dic(dir + "/common.dic");
        if (dic.open(QIODevice::Append))
            dic.write(cp1251Lines({"Open файл", "Открыть файл"}));
    }
};

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

Ran runBatch(const QStringList& args, const QString& cwd)
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(kBatch, args);
    Ran r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every file under `dir`, relative path to bytes.
QMap<QString, QByteArray> tree(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), readBytes(path));
    }
    return files;
}

void compareTrees(const QString& window, const QString& batch)
{
    const QMap<QString, QByteArray> a = tree(window), b = tree(batch);
    QCOMPARE(b.keys(), a.keys());
    for (auto it = a.cbegin(); it != a.cend(); ++it)
        QVERIFY2(b.value(it.key()) == it.value(), qPrintable(it.key()));
}

void click(QWidget* parent, const char* name)
{
    auto* b = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(b && b->isEnabled(), name);
    b->click();
}

const QStringList kDemoSettings{"User.dic", "common.dic", "office.dic"};

} // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translateWritesWhatTheWindowWrites_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("demo settings") << kDemoSettings << QStringList{};
        QTest::newRow("hide translated")
            << (QStringList{"AutoHideTranslateString"} + kDemoSettings) << QStringList{"--hide-translated"};
        QTest::newRow("hide russian")
            << (kDemoSettings + QStringList{"AutoHideRussianString"}) << QStringList{"--hide-russian"};
        QTest::newRow("settings order")
            << QStringList{"office.dic", "common.dic", "User.dic"} << QStringList{};
        QTest::newRow("dictionaries named")
            << QStringList{"office.dic", "User.dic"}
            << QStringList{"--dictionary", "office.dic", "--dictionary", "User.dic"};
    }
    void translateWritesWhatTheWindowWrites()
    {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, options);
        Copy window(settings);
        {
            RecordingUiServices ui;
            MainWindow w(window.dir, ui);
            QVERIFY(w.start());
            w.loadResourcesFrom(window.res);
            click(&w, "autoTranslateButton"); // "Автоматический перевод"
            click(&w, "exitButton");          // "Выход из программы"
            click(w.findChild<SaveResourcesDialog*>(), "yes");
            QCOMPARE(ui.quits, 1);
            QVERIFY(ui.messages.isEmpty());
        }

        // The batch run keeps the demo's settings: --dictionary stands in for them.
        Copy batch(options.contains("--dictionary") ? kDemoSettings : settings);
        const Ran ran = runBatch(QStringList{"translate", "resources"} + options, batch.dir);
        QVERIFY2(ran.status == 0, qPrintable(ran.err));
        QVERIFY2(ran.err.isEmpty(), qPrintable(ran.err)); // not a terminal: no progress either
        QVERIFY(ran.out.contains(QStringLiteral("Записано сценариев: 8")));
        QVERIFY(tree(batch.res) != tree(demoDir() + "/resources"));
        QFile::remove(batch.dir + "/velmora.ini");
        QFile::remove(window.dir + "/velmora.ini");
        compareTrees(window.dir, batch.dir);
    }

    void exportWritesWhatTheWindowWrites_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("demo settings") << kDemoSettings << QStringList{};
        QTest::newRow("hide russian")
            << (kDemoSettings + QStringList{"AutoHideRussianString"}) << QStringList{"--hide-russian"};
    }
    void exportWritesWhatTheWindowWrites()
    {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, options);
        Copy window(settings);
        {
            RecordingUiServices ui;
            MainWindow w(window.dir, ui);
            installDeferredTranslation(w);
            QVERIFY(w.start());
            w.loadResourcesFrom(window.res);
            click(&w, "deferredTranslationButton"); // "Отложенный перевод"
            click(w.findChild<DeferredTranslationDialog*>(), "continue");
            QCOMPARE(ui.quits, 1);
        }
        Copy batch(settings);
        // Run from another directory: the file goes to the resource directory all the same.
        const QString elsewhere = batch.tmp.filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        const Ran ran = runBatch(QStringList{"export", batch.res} + options, elsewhere);
        QVERIFY2(ran.status == 0, qPrintable(ran.err));
        const QByteArray written = readBytes(window.res + "/DepTrans.txt");
        QVERIFY(!written.isEmpty());
        QCOMPARE(readBytes(batch.res + "/DepTrans.txt"), written);
        QCOMPARE(ran.out.trimmed(), QStringLiteral("Записано фраз: %1 в файл %2/DepTrans.txt")
                                        .arg(written.count("\r\n"))
                                        .arg(batch.res));
        QVERIFY(QDir(elsewhere).rmdir(elsewhere));
        compareTrees(window.dir, batch.dir);
    }

    // The executable itself: where its words go and what status it ends with.
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Использование: kvarsel-batch КОМАНДА"
                              << "";
        QTest::newRow("command help")
            << QStringList{"stats", "--help"} << 0 << "Использование: kvarsel-batch stats"
            << "";
        QTest::newRow("stats") << QStringList{"stats", "resources"} << 0 << "Всего          8"
                               << "";
        QTest::newRow("usage")
            << QStringList{"stats"} << 2 << ""
            << "kvarsel-batch: не указан каталог ресурсов\nСправка: kvarsel-batch stats --help";
        QTest::newRow("unknown source language")
            << QStringList{"unpack", "app.exe", "out", "--language", "english"} << 2 << ""
            << "kvarsel-batch: --language: неизвестный язык «english»";
        QTest::newRow("language number past 16 bits")
            << QStringList{"unpack", "app.exe", "out", "--language", "0x1ffff"} << 2 << ""
            << "kvarsel-batch: --language: номер языка «0x1ffff» больше 0xFFFF";
        QTest::newRow("unreadable script")
            << QStringList{"translate", "resources", "--dry-run"} << 1 << "Пробный запуск"
            << "Не удалось прочитать сценарии (они пропущены):";
    }
    void exitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        Copy copy(kDemoSettings);
        if (status == 1)
            QDir().mkpath(copy.res + "/menu/broken.rc");
        const Ran ran = runBatch(args, copy.dir);
        QCOMPARE(ran.status, status);
        QVERIFY2(ran.out.contains(out), qPrintable(ran.out));
        if (err.isEmpty())
            QCOMPARE(ran.err, QString());
        else
            QVERIFY2(ran.err.startsWith(err), qPrintable(ran.err));
    }
};

QTEST_MAIN(BatchWindowTest)
#include "tst_batchwindow.moc"
