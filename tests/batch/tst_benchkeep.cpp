// The benchmark's kept workload can be run again: untranslated scripts and a
// settings file that connects the dictionaries the measured run used.
#include "settings/SettingsFile.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kvarsel;

class BenchKeepTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keptWorkloadRunsAgain()
    {
        QTemporaryDir tmp;
        const QString keep = tmp.filePath(QStringLiteral("kept"));
        QProcess bench;
        bench.start(QStringLiteral(KVARSEL_BENCH_EXE),
                    {QStringLiteral("--keep"), keep, QStringLiteral("--generate-only")});
        QVERIFY(bench.waitForFinished(240000));
        QCOMPARE(bench.exitCode(), 0);

        const QString work = keep + QStringLiteral("/work");
        QCOMPARE(loadSettings(work).connectedDictionaries,
                 (QStringList{work + QStringLiteral("/d0.dic"), work + QStringLiteral("/d1.dic"),
                              work + QStringLiteral("/d2.dic")}));

        QProcess batch;
        batch.start(QStringLiteral(KVARSEL_BATCH_EXE),
                    {QStringLiteral("translate"), keep + QStringLiteral("/res"), QStringLiteral("--workdir"),
                     work, QStringLiteral("--dry-run")});
        QVERIFY(batch.waitForFinished(240000));
        const QString out = QString::fromUtf8(batch.readAllStandardOutput());
        QCOMPARE(batch.exitCode(), 0);
        // Nothing of the scripts is Russian yet, and each dictionary translates its share.
        QVERIFY2(out.contains(QStringLiteral("из них уже на русском: 0")), qPrintable(out));
        const QRegularExpression perDictionary(QStringLiteral("d[012]\\.dic\\): (\\d+)"));
        int dictionaries = 0;
        for (auto it = perDictionary.globalMatch(out); it.hasNext();) {
            QVERIFY(it.next().captured(1).toInt() > 10000);
            ++dictionaries;
        }
        QCOMPARE(dictionaries, 3);
    }
};

QTEST_GUILESS_MAIN(BenchKeepTest)
#include "tst_benchkeep.moc"
