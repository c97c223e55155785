// Two copies of the program on one directory: the second one is told which process
// holds it and writes nothing, and a lock left by a killed process is taken over.
#include "TestUtil.h"
#include "workspace/DirectoryLock.h"

#include <csignal>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

struct Run {
    int status = -1;
    QString err;
};

Run batch(const QStringList& args, const QString& cwd)
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(QStringLiteral(KVARSEL_BATCH), args);
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
};

QTEST_GUILESS_MAIN(LockTest)
#include "tst_lock.moc"
