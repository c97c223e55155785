// A save killed at a random moment leaves every file whole: the old version or
// the new one, never a mixture, never empty.
#include "TestUtil.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <csignal>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

using Snapshot = QMap<QString, QByteArray>; // relative path -> bytes

Snapshot snapshot(const QString& dir)
{
    Snapshot files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        files[QDir(dir).relativeFilePath(f)] = readBytes(f);
    }
    return files;
}

void restore(const QString& dir, const Snapshot& files)
{
    QDir(dir).removeRecursively();
    for (auto i = files.cbegin(); i != files.cend(); ++i)
        writeBytes(dir + "/" + i.key(), i.value());
}

// Starts the child, waits until it is about to save; returns the milliseconds the
// save itself took when `kill` is negative, else kills it that many microseconds in.
qint64 runChild(const QString& mode, const QString& path, qint64 killAfterUs)
{
    QProcess child;
    child.start(QStringLiteral(KVARSEL_CRASH_CHILD), {mode, path});
    if (!child.waitForStarted())
        return -1;
    while (!child.canReadLine())
        if (!child.waitForReadyRead(30000))
            return -1;
    QElapsedTimer saving;
    saving.start();
    if (killAfterUs >= 0) {
        while (saving.nsecsElapsed() / 1000 < killAfterUs && child.state() == QProcess::Running)
            ;
        ::kill(pid_t(child.processId()), SIGKILL);
    }
    child.waitForFinished(60000);
    return saving.elapsed();
}

} // namespace

class KillSaveTest : public QObject {
    Q_OBJECT
private:
    // Runs `mode` `runs` times on a fresh copy of `before`, killing it somewhere in
    // its save, and hands each resulting directory to `check` along with the
    // versions before and after a complete save.
    void killRepeatedly(const QString& mode, const Snapshot& before, const QString& relTarget, int runs,
                        const std::function<void(const Snapshot& now, const Snapshot& after)>& check)
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath("w");
        restore(dir, before);
        const qint64 fullMs = runChild(mode, dir + relTarget, -1);
        QVERIFY(fullMs >= 0);
        const Snapshot after = snapshot(dir);
        QVERIFY(after != before);
        QRandomGenerator rng(quint32(qHash(mode)));
        int midway = 0;
        for (int run = 0; run < runs; ++run) {
            restore(dir, before);
            const qint64 at = qint64(rng.bounded(quint32(qMax<qint64>(fullMs, 1) * 1100)));
            runChild(mode, dir + relTarget, at);
            const Snapshot now = snapshot(dir);
            check(now, after);
            midway += now != before && now != after;
        }
        qInfo("%s: save takes %lld ms; %d of %d kills left a mix of old and new files", qPrintable(mode),
              fullMs, midway, runs);
    }

private Q_SLOTS:
    void scripts()
    {
        Snapshot before;
        for (int f = 0; f < 8; ++f) {
            QStringList lines;
            for (int i = 0; i < 3000; ++i)
                lines << QStringLiteral("    MENUITEM \"Item %1 of file %2\", ID_%1").arg(i).arg(f);
            before[QStringLiteral("menu/f%1.rc").arg(f, 2, 10, QChar(u'0'))] = cp1251Lines(lines);
            before[QStringLiteral("string/s%1.rc").arg(f, 2, 10, QChar(u'0'))] = cp1251Lines(lines);
        }
        killRepeatedly("scripts", before, QString(), 50, [&](const Snapshot& now, const Snapshot& after) {
            for (auto i = before.cbegin(); i != before.cend(); ++i) {
                QVERIFY2(now.contains(i.key()), qPrintable(i.key()));
                QVERIFY2(now[i.key()] == i.value() || now[i.key()] == after[i.key()], qPrintable(i.key()));
            }
            // A temporary file a kill leaves behind is never taken for a script.
            for (const QString& name : now.keys())
                QVERIFY2(before.contains(name) || !name.endsWith(".rc"), qPrintable(name));
        });
    }

    void userDictionary()
    {
        const Snapshot before{{"User.dic", cp1251Lines({"Open", "Открыть"})},
                              {"User.old", cp1251Lines({"Ancient", "Древнее"})}};
        killRepeatedly("userdic", before, QString(), 20, [&](const Snapshot& now, const Snapshot& after) {
            // User.dic is the previous or the new dictionary; once it is the new
            // one, User.old holds the previous one.
            QVERIFY(now["User.dic"] == before["User.dic"] || now["User.dic"] == after["User.dic"]);
            QVERIFY(now["User.old"] == before["User.old"] || now["User.old"] == before["User.dic"]);
            if (now["User.dic"] == after["User.dic"])
                QCOMPARE(now["User.old"], before["User.dic"]);
        });
    }

    void settingsFile()
    {
        const Snapshot before{{"velmora.ini", cp1251Lines({"User.dic", "a.dic"})},
                              {"User.dic", cp1251Lines({"x", "y"})},
                              {"a.dic", cp1251Lines({"x", "y"})},
                              {"b.dic", cp1251Lines({"x", "y"})}};
        killRepeatedly("settings", before, QString(), 20, [&](const Snapshot& now, const Snapshot& after) {
            QVERIFY(now["velmora.ini"] == before["velmora.ini"] ||
                    now["velmora.ini"] == after["velmora.ini"]);
        });
    }

    void deferredFile()
    {
        const Snapshot before{{"DepTrans.txt", cp1251Lines({"Old phrase"})}, {"menu/a.rc", "x\r\n"}};
        killRepeatedly("deptrans", before, QString(), 20, [&](const Snapshot& now, const Snapshot& after) {
            QVERIFY(now["DepTrans.txt"] == before["DepTrans.txt"] ||
                    now["DepTrans.txt"] == after["DepTrans.txt"]);
        });
    }

    void bilingualFile()
    {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << QStringLiteral("Phrase %1").arg(i) << QStringLiteral("Фраза %1").arg(i);
        const Snapshot before{{"bi.txt", cp1251Lines(lines)}, {"bi.old", cp1251Lines({"older", "старше"})}};
        killRepeatedly("bilingual", before, "/bi.txt", 20, [&](const Snapshot& now, const Snapshot& after) {
            QVERIFY(now["bi.txt"] == before["bi.txt"] || now["bi.txt"] == after["bi.txt"]);
            QVERIFY(now["bi.old"] == before["bi.old"] || now["bi.old"] == before["bi.txt"]);
            if (now["bi.txt"] == after["bi.txt"])
                QCOMPARE(now["bi.old"], before["bi.txt"]);
        });
    }
};

QTEST_GUILESS_MAIN(KillSaveTest)
#include "tst_killsave.moc"
