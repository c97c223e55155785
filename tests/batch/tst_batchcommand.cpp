// The command line of kvarsel-batch: what is accepted, what is refused and why.
#include "batch/BatchCommand.h"
#include "batch/BatchTexts.h"

#include <QTest>

using namespace kvarsel;

Q_DECLARE_METATYPE(BatchCommand::Action)
Q_DECLARE_METATYPE(BatchCommandKind)

namespace {
const QString kCwd = QStringLiteral("/home/u/work");
}

class BatchCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void actions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<BatchCommand::Action>("action");
        QTest::addColumn<BatchCommandKind>("kind");
        QTest::addColumn<QString>("error");
        using A = BatchCommand::Action;
        using K = BatchCommandKind;
        QTest::newRow("nothing") << QStringList{} << A::UsageError << K::None << batch_texts::kNoCommand;
        QTest::newRow("program help") << QStringList{"--help"} << A::ProgramHelp << K::None << QString();
        QTest::newRow("program -h") << QStringList{"-h", "junk"} << A::ProgramHelp << K::None << QString();
        QTest::newRow("unknown command") << QStringList{"translat", "res"} << A::UsageError << K::None
                                         << batch_texts::unknownCommand("translat");
        QTest::newRow("command help")
            << QStringList{"export", "--help"} << A::CommandHelp << K::Export << QString();
        QTest::newRow("help beats a bad option")
            << QStringList{"translate", "--bogus", "-h"} << A::CommandHelp << K::Translate << QString();
        QTest::newRow("help after -- is a directory")
            << QStringList{"stats", "--", "--help"} << A::Run << K::Stats << QString();
        QTest::newRow("no directory")
            << QStringList{"stats"} << A::UsageError << K::Stats << batch_texts::kNoResourceDir;
        QTest::newRow("empty directory")
            << QStringList{"stats", ""} << A::UsageError << K::Stats << batch_texts::kNoResourceDir;
        QTest::newRow("two directories")
            << QStringList{"stats", "a", "b"} << A::UsageError << K::Stats << batch_texts::extraArgument("b");
        QTest::newRow("option of another command")
            << QStringList{"stats", "res", "--dry-run"} << A::UsageError << K::Stats
            << batch_texts::unknownOption("--dry-run", "stats");
        QTest::newRow("export has no --workdir")
            << QStringList{"export", "res", "--workdir=w"} << A::UsageError << K::Export
            << batch_texts::unknownOption("--workdir", "export");
        QTest::newRow("value missing at the end")
            << QStringList{"translate", "res", "--workdir"} << A::UsageError << K::Translate
            << batch_texts::optionNeedsValue("--workdir");
        QTest::newRow("empty value") << QStringList{"translate", "res", "--dictionary="} << A::UsageError
                                     << K::Translate << batch_texts::optionNeedsValue("--dictionary");
        QTest::newRow("flag with a value")
            << QStringList{"translate", "res", "--dry-run=yes"} << A::UsageError << K::Translate
            << batch_texts::optionTakesNoValue("--dry-run");
        QTest::newRow("workdir twice")
            << QStringList{"translate", "res", "--workdir", "a", "--workdir", "b"} << A::UsageError
            << K::Translate << batch_texts::optionTwice("--workdir");
        QTest::newRow("output twice") << QStringList{"export", "res", "--output=a", "--output=b"}
                                      << A::UsageError << K::Export << batch_texts::optionTwice("--output");
        QTest::newRow("flags in any order") << QStringList{"translate", "--dry-run", "res", "--hide-russian"}
                                            << A::Run << K::Translate << QString();
    }
    void actions()
    {
        QFETCH(QStringList, args);
        QFETCH(BatchCommand::Action, action);
        QFETCH(BatchCommandKind, kind);
        QFETCH(QString, error);
        const BatchCommand c = parseBatchCommand(args, kCwd);
        QCOMPARE(c.action, action);
        QCOMPARE(c.kind, kind);
        QCOMPARE(c.error, error);
    }

    void translateOptions()
    {
        const BatchCommand c = parseBatchCommand({"translate", "../res/", "--dictionary", "b.dic",
                                                  "--hide-translated", "--dictionary=/d/a.dic",
                                                  "--dictionary", "./b.dic", "--dry-run", "--hide-russian"},
                                                 kCwd);
        QCOMPARE(c.action, BatchCommand::Action::Run);
        QCOMPARE(c.resourceDir, QStringLiteral("/home/u/res"));
        QCOMPARE(c.workDir, kCwd); // the current directory by default
        // Repeats are kept: the user named them, in this order.
        QCOMPARE(c.dictionaries, (QStringList{"/home/u/work/b.dic", "/d/a.dic", "/home/u/work/b.dic"}));
        QVERIFY(c.hideTranslated);
        QVERIFY(c.autoHideRussianString);
        QVERIFY(c.dryRun);
        QVERIFY(c.output.isEmpty());
    }

    void plainRunHasNoFlags()
    {
        const BatchCommand c = parseBatchCommand({"translate", "/r", "--workdir=../w"}, kCwd);
        QCOMPARE(c.workDir, QStringLiteral("/home/u/w"));
        QVERIFY(c.dictionaries.isEmpty());
        QVERIFY(!c.hideTranslated && !c.autoHideRussianString && !c.dryRun);
    }

    void exportOptions()
    {
        const BatchCommand c = parseBatchCommand({"export", "res", "--output", "out/phrases.txt"}, kCwd);
        QCOMPARE(c.output, QStringLiteral("/home/u/work/out/phrases.txt"));
        QCOMPARE(c.workDir, kCwd);
        // A directory whose name starts with a dash is reachable after "--".
        const BatchCommand dashed = parseBatchCommand({"stats", "--", "-res"}, kCwd);
        QCOMPARE(dashed.resourceDir, QStringLiteral("/home/u/work/-res"));
    }
};

QTEST_GUILESS_MAIN(BatchCommandTest)
#include "tst_batchcommand.moc"
