// kvarsel-batch fit on a copy of the demo resources, with a translation planted
// in a script that is too long for its button.
#include "RecordingConsole.h"
#include "TestUtil.h"
#include "batch/BatchRun.h"
#include "text/TextFile.h"

#include <QProcess>
#include <QRegularExpression>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// Replaces one text in a demo script, keeping its Windows-1251 bytes and CR LF.
bool plant(const QString& path, const QByteArray& from, const QString& to)
{
    QByteArray bytes = readBytes(path);
    if (!bytes.contains(from))
        return false;
    QByteArray encoded;
    cp1251::encode(to, encoded);
    bytes.replace(from, encoded);
    return writeBytes(path, bytes);
}

} // namespace

class FitBatchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoFits()
    {
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        RecordingConsole console;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), console), 0);
        QCOMPARE(console.outText(), QString());
    }

    void plantedTranslationIsReported_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("available");
        QTest::newRow("button") << QByteArray("\"Cancel\"") << "\"Отменить все изменения\""
                                << "dialog/options.rc:15: " << 50;
        QTest::newRow("label one line high")
            << QByteArray("\"Copyright (C) 2026\"") << "\"Все права защищены правообладателем (C) 2026\""
            << "dialog/about.rc:9: " << 120;
    }

    void plantedTranslationIsReported()
    {
        QFETCH(QByteArray, from);
        QFETCH(QString, to);
        QFETCH(QString, where);
        QFETCH(int, available);
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        const QString script = dir.filePath(where.section(u':', 0, 0).prepend("resources/"));
        QVERIFY(plant(script, from, to));
        RecordingConsole console;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), console), 3);
        QCOMPARE(console.outLines.size(), 1);
        const QString line = console.outLines.first();
        QVERIFY2(line.startsWith(where), qPrintable(line));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral(": (\\d+) / (\\d+)$")).match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QVERIFY(m.captured(1).toInt() > available);
        QCOMPARE(m.captured(2).toInt(), available);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("firstErr");
        QTest::newRow("help") << QStringList{"fit", "--help"} << 0 << QString();
        QTest::newRow("an option it lacks") << QStringList{"fit", "res", "--hide-russian"} << 2
                                            << "kvarsel-batch: у команды fit нет ключа «--hide-russian»";
        QTest::newRow("no directory")
            << QStringList{"fit"} << 2 << "kvarsel-batch: не указан каталог ресурсов";
        QTest::newRow("missing directory") << QStringList{"fit", "/nonexistent/res"} << 2
                                           << "kvarsel-batch: каталог ресурсов «/nonexistent/res» не найден";
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, firstErr);
        RecordingConsole console;
        QCOMPARE(runBatch(args, QDir::tempPath(), console), status);
        if (firstErr.isEmpty())
            QVERIFY(console.outText().startsWith("Использование: kvarsel-batch fit"));
        else
            QCOMPARE(console.errLines.value(0), firstErr);
    }

    // The built program, started without a display or a platform chosen.
    void programRunsWithoutDisplay()
    {
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        QVERIFY(plant(dir.filePath("resources/dialog/options.rc"), "\"&Help\"", "\"Справочная система\""));
        QProcess batch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        batch.setProcessEnvironment(env);
        batch.setWorkingDirectory(dir.path());
        batch.start(QStringLiteral(KVARSEL_BATCH_EXE), {"fit", "resources"});
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 3);
        const QString out = QString::fromUtf8(batch.readAllStandardOutput());
        QVERIFY2(out.startsWith("dialog/options.rc:16: "), qPrintable(out));
        QVERIFY(out.trimmed().endsWith(" / 50"));
    }
};

QTEST_MAIN(FitBatchTest)
#include "tst_fitbatch.moc"
