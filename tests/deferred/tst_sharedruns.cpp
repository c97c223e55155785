// The runs the window and kvarsel-batch both call with their project: what these
// write is what either front end leaves.
#include "deferred/DeferredExport.h"
#include "project/ProjectResources.h"
#include "text/TextFile.h"

#include "TestUtil.h"

#include <QProcess>

using namespace kvarsel;
using namespace kvarsel::test;

Q_DECLARE_METATYPE(ResourceDirectoryLock)

class SharedRunsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // `held`: who holds the resource directory while the runs write: this process
    // (as the batch does for its whole command, or the window its working directory,
    // where scripts often lie) or another copy of the program, a real process.
    void exportAndSave_data()
    {
        QTest::addColumn<ResourceDirectoryLock>("lock");
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("readOnlyReason");
        QTest::addColumn<bool>("exported");
        QTest::addColumn<bool>("saved");
        using L = ResourceDirectoryLock;
        QTest::newRow("free") << L::Take << "" << QString() << true << true;
        QTest::newRow("held by the caller") << L::HeldByCaller << "self" << QString() << true << true;
        QTest::newRow("held by this process, taken again") << L::Take << "self" << QString() << true << true;
        QTest::newRow("held by another copy") << L::Take << "other" << QString() << false << false;
        // DepTrans.txt is not one of the user's files: a read-only copy exports.
        QTest::newRow("read-only copy") << L::Take << ""
                                        << "занят" << true << false;
    }
    void exportAndSave()
    {
        QFETCH(ResourceDirectoryLock, lock);
        QFETCH(QString, held);
        QFETCH(QString, readOnlyReason);
        QFETCH(bool, exported);
        QFETCH(bool, saved);
        QTemporaryDir tmp;
        const QString res = tmp.filePath("res");
        QVERIFY(writeLinesRaw(res + "/menu/a.rc",
                              {"MENUITEM \"Open\"", "MENUITEM \"open\"", "MENUITEM \"Two\\nLines\""}));
        QVERIFY(writeLinesRaw(res + "/DepTrans.txt", {"old"}));
        Project project(tmp.path());
        QVERIFY(loadProjectResources(project, res).errors.isEmpty());
        project.store(ResourceKind::Menu).ReplaceText(1, QStringLiteral("Открыть"));
        project.setReadOnlyReason(readOnlyReason);
        std::optional<DirectoryLock> holder;
        QProcess other;
        if (held == "self")
            holder.emplace(res);
        if (held == "other") {
            other.start(QStringLiteral(KVARSEL_CRASH_CHILD), {QStringLiteral("hold"), res});
            QVERIFY(other.waitForReadyRead(30000));
            QCOMPARE(other.readAll().trimmed(), QByteArray("held"));
        }

        QStringList steps;
        ExportRunCallbacks callbacks;
        callbacks.stepStarted = [&](ExportStep step) { steps << QString::number(int(step)); };
        callbacks.stepFinished = [&](ExportStep step) { steps << u'/' + QString::number(int(step)); };
        const ExportOutcome outcome = runDeferredExport(project, {res, QString(), lock}, callbacks);
        // Every step started is finished, whatever becomes of the write.
        QCOMPARE(steps.join(u' '), QStringLiteral("0 /0 1 /1 2 /2"));
        QCOMPARE(outcome.path, res + "/DepTrans.txt");
        QCOMPARE(outcome.status == ExportOutcome::Status::Written, exported);
        QCOMPARE(readLines(res + "/DepTrans.txt").lines,
                 exported ? QStringList({"open", "Two \\n Lines"}) : QStringList({"old"}));

        const ProjectSave save = saveProjectResources(project, {}, lock);
        QCOMPARE(save.refusal.isEmpty() && save.result.errors.isEmpty(), saved);
        if (!readOnlyReason.isEmpty())
            QCOMPARE(save.refusal, readOnlyReason);
        QCOMPARE(readBytes(res + "/menu/a.rc"),
                 cp1251Lines({saved ? "MENUITEM \"Открыть\"" : "MENUITEM \"Open\"", "MENUITEM \"open\"",
                              "MENUITEM \"Two\\nLines\""}));
        other.kill();
        other.waitForFinished();
    }
};

QTEST_MAIN(SharedRunsTest)
#include "tst_sharedruns.moc"
