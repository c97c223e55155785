// The runs the window and kvarsel-batch both call with their project: what these
// write is what either front end leaves.
#include "deferred/DeferredExport.h"
#include "project/ProjectResources.h"
#include "text/TextFile.h"

#include "TestUtil.h"

using namespace kvarsel;
using namespace kvarsel::test;

Q_DECLARE_METATYPE(ResourceDirectoryLock)

class SharedRunsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // `held`: the test holds the resource directory while the runs write, as the
    // batch does for its whole command, or as another copy of the program would.
    void exportAndSave_data()
    {
        QTest::addColumn<ResourceDirectoryLock>("lock");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("readOnlyReason");
        QTest::addColumn<bool>("exported");
        QTest::addColumn<bool>("saved");
        using L = ResourceDirectoryLock;
        QTest::newRow("free") << L::Take << false << QString() << true << true;
        QTest::newRow("held by the caller") << L::HeldByCaller << true << QString() << true << true;
        QTest::newRow("held by another copy") << L::Take << true << QString() << false << false;
        // DepTrans.txt is not one of the user's files: a read-only copy exports.
        QTest::newRow("read-only copy") << L::Take << false << "занят" << true << false;
    }
    void exportAndSave()
    {
        QFETCH(ResourceDirectoryLock, lock);
        QFETCH(bool, held);
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
        if (held)
            holder.emplace(res);

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
    }
};

QTEST_MAIN(SharedRunsTest)
#include "tst_sharedruns.moc"
