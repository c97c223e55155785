// Two copies of the program on one directory: the second one is told which process
// holds it and writes nothing, and a lock left by a killed process is taken over.
#include "TestUtil.h"
#include "workspace/DirectoryLock.h"

#include <QRegularExpression>
#include <csignal>
#include <cstdio>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

struct Run {
    int status = -1;
    QString err;
};

Run batch(const QStringList& args, const QString& cwd, const QString& through = QString())
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    if (through.isEmpty())
        p.start(QStringLiteral(KVARSEL_BATCH), args);
    else
        p.start(through, QStringList{args[0], args[1], QStringLiteral(KVARSEL_BATCH)});
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

// A second copy of the program that holds `dir` until it is killed.
struct Holder {
    QProcess process;
    explicit Holder(const QString& dir)
    {
        process.start(QStringLiteral(KVARSEL_CRASH_CHILD), {QStringLiteral("hold"), dir});
        process.waitForReadyRead(30000);
    }
    ~Holder()
    {
        process.kill();
        process.waitForFinished();
    }
};

} // namespace

class LockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondCopyWritesNothing_data()
    {
        QTest::addColumn<QString>("held"); // which directory the other copy holds
        QTest::addColumn<QString>("command");
        QTest::newRow("working directory, translate") << "work"
                                                      << "translate";
        QTest::newRow("resource directory, translate") << "work/res"
                                                       << "translate";
        QTest::newRow("resource directory, export") << "work/res"
                                                    << "export";
    }
    void secondCopyWritesNothing()
    {
        QFETCH(QString, held);
        QFETCH(QString, command);
        QTemporaryDir tmp;
        const QString work = tmp.filePath("work");
        QVERIFY(writeLinesRaw(work + "/d.dic", {"Open the file", "Открыть файл"}));
        QVERIFY(writeLinesRaw(work + "/res/menu/a.rc",
                              {"MENUITEM \"Open the file\", 1", "MENUITEM \"Save\", 2"}));
        const QMap<QString, QByteArray> before = snapshotTree(work);
        QStringList args{command, work + "/res"};
        if (command == "translate")
            args << "--dictionary" << work + "/d.dic";

        Run run;
        {
            Holder other(tmp.filePath(held));
            QCOMPARE(other.process.readAll().trimmed(), QByteArray("held"));
            run = batch(args, work);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(QStringLiteral("уже используется")) &&
                         run.err.contains(QString::number(other.process.processId())),
                     qPrintable(run.err));
            QMap<QString, QByteArray> now = snapshotTree(work);
            now.remove(held == "work" ? ".kvarsel.lock" : "res/.kvarsel.lock");
            QCOMPARE(now, before);
            // Killed, it leaves its lock file behind; the next run takes it over.
            ::kill(pid_t(other.process.processId()), SIGKILL);
            other.process.waitForFinished();
        }
        QVERIFY(QFileInfo::exists(tmp.filePath(held) + "/.kvarsel.lock"));
        run = batch(args, work);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(snapshotTree(work) != before);
        QVERIFY(!QFileInfo::exists(tmp.filePath(held) + "/.kvarsel.lock"));
    }

    // What a batch command refuses or reports instead of losing a file or a
    // dictionary in silence, and what no real lock stops. "W" stands for the
    // working directory, which is also the current one.
    void batchRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("lock"); // what lies at .kvarsel.lock first
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("notUtf8"); // W's name holds a byte that is not UTF-8
        const QStringList translate{"translate", "W/res", "--dictionary", "W/d.dic"};
        const auto tmx = [](const char* action, const char* in, const char* out) {
            return QStringList{"tmx", action, QString("W/") + in, "--output", QString("W/") + out};
        };
        QTest::newRow("tmx export over User.dic") << tmx("export", "d.dic", "User.dic") << "" << QStringList()
                                                  << 2 << "словарь пользователя" << false;
        QTest::newRow("tmx export over its own input")
            << tmx("export", "d.dic", "d.dic") << "" << QStringList() << 2 << "входной файл" << false;
        QTest::newRow("tmx export over velmora.ini")
            << tmx("export", "d.dic", "velmora.ini") << "" << QStringList() << 2 << "файл настроек" << false;
        QTest::newRow("tmx export over a script")
            << tmx("export", "d.dic", "res/menu/a.rc") << "" << QStringList() << 2 << "сценарий" << false;
        QTest::newRow("tmx import over User.old, forced")
            << tmx("import", "t.tmx", "User.old") + QStringList{"--force"} << "" << QStringList() << 2
            << "резервная копия" << false;
        QTest::newRow("empty lock of a killed run")
            << translate << "empty" << QStringList() << 0 << "" << false;
        QTest::newRow("garbled lock") << translate << "garbage" << QStringList() << 0 << "" << false;
        QTest::newRow("directory at the lock's name")
            << translate << "dir" << QStringList() << 0 << "" << false;
        QTest::newRow("dangling link at the lock's name")
            << translate << "link" << QStringList() << 0 << "" << false;
        QTest::newRow("garbled lock a live process holds")
            << translate << "flocked" << QStringList() << 1 << ".kvarsel.lock" << false;
        QTest::newRow("connected dictionary missing")
            << QStringList{"translate", "W/res"} << "" << QStringList{"d.dic", "gone.dic"} << 1 << "gone.dic"
            << false;
        QTest::newRow("working and resource directory not UTF-8")
            << translate << "" << QStringList() << 0 << "" << true;
    }

    void batchRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, lock);
        QFETCH(QStringList, ini);
        QFETCH(int, status);
        QFETCH(QString, says);
        QFETCH(bool, notUtf8);
        QTemporaryDir tmp;
        const QString work = QFileInfo(tmp.path()).canonicalFilePath() + "/work";
        QVERIFY(writeLinesRaw(work + "/d.dic", {"Open the file", "Открыть файл"}));
        QVERIFY(writeLinesRaw(work + "/User.dic", {"Save", "Сохранить"}));
        QVERIFY(writeLinesRaw(work + "/User.old", {"Save", "Записать"}));
        QVERIFY(writeLinesRaw(work + "/velmora.ini", ini.isEmpty() ? QStringList{"d.dic"} : ini));
        QVERIFY(writeLinesRaw(work + "/res/menu/a.rc", {"MENUITEM \"Open the file\", 1"}));
        QVERIFY(writeBytes(work + "/t.tmx", "<tmx version=\"1.4\"><header/><body/></tmx>\n"));
        const QString lockPath = work + "/.kvarsel.lock";
        QProcess flock;
        if (lock == "empty" || lock == "garbage") {
            QVERIFY(writeBytes(lockPath, lock == "empty" ? QByteArray() : QByteArray("\x01\x02 not a lock")));
            QFile file(lockPath);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
        } else if (lock == "dir") {
            QVERIFY(QDir().mkpath(lockPath));
        } else if (lock == "link") {
            QVERIFY(QFile::link(work + "/nowhere", lockPath));
        } else if (lock == "flocked") {
            QVERIFY(writeBytes(lockPath, "garbage"));
            flock.start("flock", {lockPath, "sleep", "60"});
            QVERIFY(flock.waitForStarted());
            QTest::qWait(300);
        }
        const QMap<QString, QByteArray> before = snapshotTree(work);
        Run run;
        if (notUtf8) {
            // Named with the byte 0xE9 (é in Windows-1252) for the run, through the shell,
            // as QProcess would not pass such a name.
            const QByteArray odd = QFile::encodeName(QFileInfo(work).path()) + "/caf\xE9";
            QCOMPARE(::rename(QFile::encodeName(work).constData(), odd.constData()), 0);
            QString script = QStringLiteral("D=\"$(printf '%1/caf\\351')\" && cd \"$D\" && exec \"$0\"")
                                 .arg(QFileInfo(work).path());
            for (const QString& arg : std::as_const(args))
                script += arg.startsWith("W/") ? " \"$D/" + arg.mid(2) + '"' : " '" + arg + "'";
            run = batch({"-c", script}, QFileInfo(work).path(), QStringLiteral("/bin/sh"));
            QCOMPARE(::rename(odd.constData(), QFile::encodeName(work).constData()), 0);
        } else {
            for (QString& arg : args)
                arg.replace(QRegularExpression("^W/"), work + "/");
            run = batch(args, work);
        }
        if (flock.state() != QProcess::NotRunning) {
            flock.kill();
            flock.waitForFinished();
        }
        QVERIFY2(run.status == status, qPrintable(run.err));
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        if (status == 0) {
            QVERIFY(!QFileInfo::exists(lockPath) && !QFileInfo(lockPath).isSymLink());
            QVERIFY(readBytes(work + "/res/menu/a.rc").contains(cp1251Lines({"Открыть файл"}).chopped(2)));
        }
        QMap<QString, QByteArray> now = snapshotTree(work);
        // A refusal or a lock it cannot judge changes nothing at all.
        if ((status != 0 && args.first() != "translate") || lock == "flocked") {
            now.remove(".kvarsel.lock");
            QMap<QString, QByteArray> was = before;
            was.remove(".kvarsel.lock");
            QCOMPARE(now, was);
        }
    }
};

QTEST_GUILESS_MAIN(LockTest)
#include "tst_lock.moc"
