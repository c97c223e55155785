// Saves on a disk that really fails. kvarsel-batch and the crash child run with a
// preloaded library that makes write, sync or rename calls under their directory
// fail with ENOSPC or EIO; and, where a tmpfs may be mounted, on a disk that is
// really full. Every file must then be byte for byte old or new, no temporary
// file may stay, and the failure must be reported with exit status 1.
#include "TestUtil.h"

#include "program/ResFile.h"
#include "program/ResourceScripts.h"
#include "text/FileError.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

using Snapshot = QMap<QString, QByteArray>; // relative path -> bytes

Snapshot snapshot(const QString& dir)
{
    Snapshot files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        files[QDir(dir).relativeFilePath(f)] = readBytes(f);
    }
    return files;
}

void restore(const QString& dir, const Snapshot& files)
{
    for (auto i = files.cbegin(); i != files.cend(); ++i)
        writeBytes(dir + "/" + i.key(), i.value());
}

QStringList stringTable(int file, int count)
{
    QStringList lines{"STRINGTABLE", "BEGIN"};
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("    IDS_%1_%2 \"Open\"").arg(file).arg(i);
    return lines << "END";
}

// The files an operation starts from, relative to its directory.
Snapshot fixture(const QString& op)
{
    if (op == "translate" || op == "scripts" || op == "export")
        return {{"d.dic", cp1251Lines({"Open", "Открыть файл"})},
                {"res/string/s1.rc", cp1251Lines(stringTable(1, 20))},
                {"res/string/s2.rc", cp1251Lines(stringTable(2, 20))},
                {"res/string/s3.rc", cp1251Lines(stringTable(3, 20))},
                {"res/DepTrans.txt", cp1251Lines({"Old phrase"})}};
    if (op == "userdic")
        return {{"User.dic", cp1251Lines({"Open", "Открыть"})},
                {"User.old", cp1251Lines({"Ancient", "Древнее"})}};
    if (op == "settings")
        return {{"velmora.ini", cp1251Lines({"User.dic", "a.dic"})},
                {"User.dic", cp1251Lines({"x", "y"})},
                {"a.dic", cp1251Lines({"x", "y"})}};
    if (op == "deptrans")
        return {{"DepTrans.txt", cp1251Lines({"Old phrase"})}, {"menu/a.rc", "x\r\n"}};
    if (op == "tmx") {
        // Big enough for dozens of reads of the file.
        QByteArray tmx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\"><header/><body>\n";
        for (int i = 0; i < 6000; ++i)
            tmx += QStringLiteral("<tu><tuv xml:lang=\"en\"><seg>Open file %1</seg></tuv>"
                                  "<tuv xml:lang=\"ru\"><seg>Открыть файл %1</seg></tuv></tu>\n")
                       .arg(i)
                       .toUtf8();
        return {{"in.tmx", tmx + "</body></tmx>\n"}};
    }
    if (op == "bilingual")
        return {{"bi.txt", cp1251Lines({"Open", "Открыть", "Save", "Сохранить"})},
                {"bi.old", cp1251Lines({"older", "старше"})}};
    return {};
}

struct Outcome {
    int status = -1;
    QString out, err;
};

Outcome runWithFaults(const QString& op, const QString& dir, const QProcessEnvironment& faults)
{
    QString program = QStringLiteral(KVARSEL_CRASH_CHILD);
    QStringList args{op, dir};
    if (op == "translate") {
        program = QStringLiteral(KVARSEL_BATCH);
        args = QStringList{"translate", dir + "/res", "--workdir", dir, "--dictionary", dir + "/d.dic"};
    } else if (op == "export") {
        program = QStringLiteral(KVARSEL_BATCH);
        args = QStringList{"export", dir + "/res"};
    } else if (op == "tmx") {
        program = QStringLiteral(KVARSEL_BATCH);
        args = QStringList{"tmx", "import", dir + "/in.tmx", "--output", dir + "/new.dic"};
    } else if (op == "scripts") {
        args = QStringList{op, dir + "/res"};
    } else if (op == "bilingual") {
        args = QStringList{op, dir + "/bi.txt"};
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : faults.keys())
        env.insert(key, faults.value(key));
    env.insert("LD_PRELOAD", QStringLiteral(KVARSEL_DISK_FAULT));
    env.insert("KVARSEL_FAULT_DIR", dir);
    // A sanitizer runtime wants to be first in the list of libraries; this one is harmless before it.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    QProcess child;
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(dir);
    child.start(program, args);
    Outcome outcome;
    // A reader that never gives up on a failing disk counts as a failure too.
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.status = child.exitCode();
    outcome.out = QString::fromUtf8(child.readAllStandardOutput());
    outcome.err = QString::fromUtf8(child.readAllStandardError());
    return outcome;
}

qsizetype scriptsReportedWritten(const QString& out)
{
    const auto match = QRegularExpression(QStringLiteral("Записано сценариев: (\\d+)")).match(out);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Every file old or new, nothing else there: what is wrong, or nothing. Counts the
// scripts that are new.
QString checkOldOrNew(const Snapshot& now, const Snapshot& before, const Snapshot& after,
                      qsizetype& scriptsNew)
{
    scriptsNew = 0;
    for (auto i = now.cbegin(); i != now.cend(); ++i) {
        const QString& name = i.key();
        if (!before.contains(name) && !after.contains(name))
            return "left behind: " + name;
        const bool old = before.contains(name) && i.value() == before[name];
        const bool whole = after.contains(name) && i.value() == after[name];
        if (!old && !whole)
            return "neither old nor new: " + name;
        scriptsNew += name.endsWith(".rc") && whole && !old;
    }
    for (const QString& name : before.keys())
        if (!now.contains(name))
            return "gone: " + name;
    return QString();
}

} // namespace

class DiskFaultTest : public QObject {
    Q_OBJECT
    QMap<QString, Snapshot> m_after; // each operation's files after a save that went well

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString op :
             {"translate", "scripts", "export", "userdic", "settings", "deptrans", "bilingual", "tmx"}) {
            QTemporaryDir tmp;
            const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
            restore(dir, fixture(op));
            const Outcome ok = runWithFaults(op, dir, {});
            QVERIFY2(ok.status == 0, qPrintable(op + ": " + ok.err));
            m_after[op] = snapshot(dir);
            QVERIFY2(m_after[op] != fixture(op), qPrintable(op));
        }
    }

    // Which call fails, after how many went through, with which error. `failing` is
    // the file whose save fails: named in the message, its old bytes kept; with
    // `untouched` no file at all may change.
    void failingCall_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("untouched");
        const QList<std::pair<QString, QString>> ops{
            {"translate", "res/string/s1.rc"}, {"scripts", "res/string/s1.rc"},
            {"export", "res/DepTrans.txt"},    {"userdic", "User.dic"},
            {"settings", "velmora.ini"},       {"deptrans", "DepTrans.txt"},
            {"bilingual", "bi.old"},           {"tmx", "new.dic"}};
        for (const auto& [op, first] : ops) {
            for (const QString call : {"write", "sync", "rename"})
                for (const QString error : {"ENOSPC", "EIO"})
                    QTest::addRow("%s %s %s", qPrintable(op), qPrintable(call), qPrintable(error))
                        << op << call << 0 << -1
                        << error
                        // User.dic's backup takes its name (the first rename) before User.dic does.
                        << (op == "userdic" && call == "rename" ? QString("User.old") : first) << true;
            // The file synced and renamed, then the directory cannot be synced: the
            // old file is put back, and User.dic's backup with it.
            QTest::addRow("%s directory sync", qPrintable(op))
                << op << "sync" << 1 << 1 << "EIO" << first << (op == "userdic");
        }
        // Later files of a run fail after earlier ones were written whole.
        QTest::newRow("translate second write") << "translate"
                                                << "write" << 1 << -1 << "ENOSPC"
                                                << "res/string/s2.rc" << false;
        QTest::newRow("translate third rename") << "translate"
                                                << "rename" << 2 << -1 << "EIO"
                                                << "res/string/s3.rc" << false;
        // The backup took its name, then User.dic cannot: both stay as they were.
        QTest::newRow("userdic after backup") << "userdic"
                                              << "rename" << 1 << -1 << "EIO"
                                              << "User.dic" << true;
        QTest::newRow("userdic after backup, once") << "userdic"
                                                    << "rename" << 1 << 1 << "ENOSPC"
                                                    << "User.dic" << true;
        QTest::newRow("bilingual after backup") << "bilingual"
                                                << "rename" << 1 << -1 << "EIO"
                                                << "bi.txt" << false;
        // A file that cannot be read whole is not imported in part, and a disk
        // that keeps failing does not keep the reader going.
        QTest::newRow("tmx one read fails") << "tmx"
                                            << "read" << 3 << 1 << "EIO"
                                            << "in.tmx" << true;
        QTest::newRow("tmx reads fail from the 10th") << "tmx"
                                                      << "read" << 9 << -1 << "EIO"
                                                      << "in.tmx" << true;
        // One read of User.dic fails at start: the dictionary in memory is not the
        // user's, and the save that follows writes neither User.dic nor User.old.
        QTest::newRow("userdic unreadable at start") << "userdic"
                                                     << "read" << 0 << 1 << "EIO"
                                                     << "User.dic" << true;
    }
    void failingCall()
    {
        QFETCH(QString, op);
        QFETCH(QString, call);
        QFETCH(int, after);
        QFETCH(int, count);
        QFETCH(QString, error);
        QFETCH(QString, failing);
        QFETCH(bool, untouched);
        QTemporaryDir tmp;
        const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
        const Snapshot before = fixture(op);
        restore(dir, before);
        QProcessEnvironment faults;
        faults.insert("KVARSEL_FAULT_CALL", call);
        faults.insert("KVARSEL_FAULT_AFTER", QString::number(after));
        faults.insert("KVARSEL_FAULT_COUNT", QString::number(count));
        faults.insert("KVARSEL_FAULT_ERRNO", error);

        const Outcome outcome = runWithFaults(op, dir, faults);
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(reasonForErrno(error == "EIO" ? EIO : ENOSPC)),
                 qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains(dir + "/" + failing), qPrintable(outcome.err));
        const Snapshot now = snapshot(dir);
        if (untouched)
            QCOMPARE(now, before);
        QVERIFY2(now.value(failing) == before.value(failing), qPrintable(failing));
        qsizetype scriptsNew = 0;
        const QString wrong = checkOldOrNew(now, before, m_after[op], scriptsNew);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        // Success is claimed only for what is whole on disk.
        if (op == "translate")
            QCOMPARE(scriptsReportedWritten(outcome.out), scriptsNew);
        else
            QVERIFY2(!outcome.out.contains("done") && !outcome.out.contains("Записано фраз") &&
                         !outcome.out.contains("Словарь записан") &&
                         !(call == "read" && outcome.out.contains("Прочитано")),
                     qPrintable(outcome.out));
    }

    // A file system without hard links: User.dic's backup is then written as a copy,
    // and the save leaves what it leaves elsewhere.
    void userDictionaryWithoutHardLinks()
    {
        QTemporaryDir tmp;
        const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
        restore(dir, fixture("userdic"));
        QProcessEnvironment faults;
        faults.insert("KVARSEL_FAULT_CALL", "link");
        faults.insert("KVARSEL_FAULT_ERRNO", "EPERM");
        const Outcome outcome = runWithFaults("userdic", dir, faults);
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QCOMPARE(snapshot(dir), m_after["userdic"]);
    }

    // What a write leaves when it is killed or cannot clean up after itself: named
    // when it is known, and the next run that writes there removes the writer's own
    // leftovers and nothing of the user's. `fileNew`: the failing file holds the new
    // content (its old one could not be put back), and no message may claim otherwise.
    void leftovers_data()
    {
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("fileNew");
        QTest::addColumn<QString>("says");
        QTest::newRow("killed before the sync") << "sync"
                                                << "KILL" << false << "";
        QTest::newRow("killed at the rename") << "rename"
                                              << "KILL" << false << "";
        QTest::newRow("temporary file not removed") << "write,unlink"
                                                    << "EIO" << false << "временный файл";
        QTest::newRow("old file not put back") << "sync:1:1,rename:1"
                                               << "EIO" << true << "прежнее содержимое вернуть не удалось";
    }
    void leftovers()
    {
        QFETCH(QString, calls);
        QFETCH(QString, error);
        QFETCH(bool, fileNew);
        QFETCH(QString, says);
        QTemporaryDir tmp;
        const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
        Snapshot before = fixture("translate");
        restore(dir, before);
        QProcessEnvironment faults;
        faults.insert("KVARSEL_FAULT_CALL", calls);
        faults.insert("KVARSEL_FAULT_ERRNO", error);
        const Outcome broken = runWithFaults("translate", dir, faults);
        const QString script = "res/string/s1.rc";
        Snapshot now = snapshot(dir);
        const QStringList strays =
            QSet<QString>(now.keyBegin(), now.keyEnd())
                .subtract(QSet<QString>(m_after["translate"].keyBegin(), m_after["translate"].keyEnd()))
                .values();
        // A kill or a failed removal leaves the writer's files; a file that holds its
        // new content whole needs none of them.
        QVERIFY2(strays.isEmpty() == fileNew, qPrintable(QStringList(now.keys()).join(' ')));
        QCOMPARE(now.value(script), (fileNew ? m_after["translate"] : before).value(script));
        if (error != "KILL") {
            QCOMPARE(broken.status, 1);
            QVERIFY2(broken.err.contains(dir + "/" + script) && broken.err.contains(says),
                     qPrintable(broken.err));
            if (fileNew)
                QVERIFY2(!broken.err.contains("прежнее содержимое сохранено"), qPrintable(broken.err));
            if (says.contains("временный"))
                QVERIFY2(broken.err.contains(dir + "/" + strays.first()), qPrintable(broken.err));
        }

        // The user's own files that merely look alike stay.
        const Snapshot users{{"res/string/s1.rc.backup", "mine\r\n"},
                             {"res/string/s1.rc.kvarsel-x", "mine\r\n"}};
        restore(dir, users);
        const Outcome next = runWithFaults("translate", dir, {});
        QVERIFY2(next.status == 0, qPrintable(next.err));
        Snapshot expected = m_after["translate"];
        expected.insert(users);
        QCOMPARE(QStringList(snapshot(dir).keys()), QStringList(expected.keys()));
        QCOMPARE(snapshot(dir), expected);
    }

    // A script the user marked read-only, or one of another user (as nobody, where
    // the test runs as root), is not replaced although the directory would let the
    // rename through: it is reported, the others are written.
    void unwritableScripts_data()
    {
        QTest::addColumn<bool>("asNobody");
        QTest::newRow("read-only") << false;
        QTest::newRow("another user's, as nobody") << true;
    }
    void unwritableScripts()
    {
        QFETCH(bool, asNobody);
        if (asNobody && ::geteuid() != 0)
            QSKIP("running as nobody needs root");
        QTemporaryDir tmp;
        const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
        const Snapshot before = fixture("translate");
        restore(dir, before);
        const QString script = dir + "/res/string/s2.rc";
        QVERIFY(QFile::setPermissions(
            script, asNobody ? QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther
                             : QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QProcess batch;
        // The build tree may lie where only root can enter (a fresh clone under a
        // private temporary directory): nobody runs a copy from a directory anyone may enter.
        QString program = QStringLiteral(KVARSEL_BATCH);
        QTemporaryDir bin;
        if (asNobody) {
            program = bin.filePath("kvarsel-batch");
            QVERIFY(QFile::copy(QStringLiteral(KVARSEL_BATCH), program));
            QVERIFY(::chmod(QFile::encodeName(bin.path()).constData(), 0755) == 0);
            QVERIFY(::chmod(QFile::encodeName(program).constData(), 0755) == 0);
        }
        if (asNobody) {
            QDirIterator it(dir, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            QVERIFY(::chmod(QFile::encodeName(dir).constData(), 0777) == 0);
            while (it.hasNext())
                QVERIFY(::chmod(QFile::encodeName(it.next()).constData(), 0777) == 0);
            for (const QString& name : before.keys())
                if (!name.endsWith("s2.rc"))
                    QVERIFY(::chmod(QFile::encodeName(dir + "/" + name).constData(), 0666) == 0);
            QVERIFY(::chmod(QFile::encodeName(QFileInfo(dir).path()).constData(), 01777) == 0 ||
                    QFileInfo(QFileInfo(dir).path()).permission(QFile::ExeOther));
            batch.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(99);
            });
        }
        batch.start(program, {"translate", dir + "/res", "--workdir", dir, "--dictionary", dir + "/d.dic"});
        QVERIFY2(batch.waitForStarted(), qPrintable(batch.errorString()));
        QVERIFY(batch.waitForFinished(60000));
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        QCOMPARE(batch.exitCode(), 1);
        QVERIFY2(err.contains(dir + "/res/string/s2.rc") && err.contains(reasonForErrno(EACCES)),
                 qPrintable(err));
        const Snapshot now = snapshot(dir);
        QCOMPARE(now.value("res/string/s2.rc"), before.value("res/string/s2.rc"));
        QCOMPARE(now.value("res/string/s1.rc"), m_after["translate"].value("res/string/s1.rc"));
        QCOMPARE(scriptsReportedWritten(QString::fromUtf8(batch.readAllStandardOutput())), 2);
    }

    // The same on a disk that is really full: a small tmpfs, mounted where the
    // test may (as root), with many scripts that grow as they are translated.
    void reallyFullDisk()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root; the full disk was only simulated above");
        QTemporaryDir tmp;
        const QString base = QFileInfo(tmp.path()).canonicalFilePath();
        const QString dir = base + "/disk";
        QVERIFY(QDir().mkpath(dir));
        const SmallDisk disk(dir, "1000k");
        if (!disk.error.isEmpty())
            QSKIP(qPrintable(disk.error + "; the full disk was only simulated above"));

        // 120 scripts of just under 4 KB, the size of a tmpfs page: translated, each
        // needs a second page, so the disk runs out midway through the save.
        Snapshot before;
        for (int f = 0; f < 120; ++f)
            before[QStringLiteral("res/string/s%1.rc").arg(f, 3, 10, QChar(u'0'))] =
                cp1251Lines(stringTable(f, 220)).left(4000);
        before["res/DepTrans.txt"] = cp1251Lines({"Old phrase"});
        restore(dir, before);
        const QString dictionary = base + "/d.dic";
        QVERIFY(writeBytes(dictionary, cp1251Lines({"Open", "Открыть файл"})));

        const auto translate = [&](const QString& where) {
            QProcess batch;
            batch.start(KVARSEL_BATCH,
                        {"translate", where + "/res", "--workdir", base, "--dictionary", dictionary});
            batch.waitForFinished(120000);
            return Outcome{batch.exitCode(), QString::fromUtf8(batch.readAllStandardOutput()),
                           QString::fromUtf8(batch.readAllStandardError())};
        };
        QTemporaryDir roomy;
        restore(roomy.path(), before);
        QCOMPARE(translate(roomy.path()).status, 0);
        const Snapshot after = snapshot(roomy.path());

        // Fill the disk, then leave room for about ten scripts' growth.
        QVERIFY(disk.fill("filler", 10 * 4096));
        const Snapshot filled = snapshot(dir);
        Snapshot expectedAfter = after;
        expectedAfter["filler"] = filled["filler"];
        before.insert("filler", filled["filler"]);

        const Outcome full = translate(dir);
        QCOMPARE(full.status, 1);
        QVERIFY2(full.err.contains(reasonForErrno(ENOSPC)), qPrintable(full.err));
        qsizetype written = 0;
        const QString wrong = checkOldOrNew(snapshot(dir), before, expectedAfter, written);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QVERIFY2(written > 0 && written < 120, qPrintable(QString::number(written)));
        qInfo("full tmpfs: %lld of 120 scripts written whole, the others kept", qlonglong(written));
        QCOMPARE(scriptsReportedWritten(full.out), written);

        // Export over an existing DepTrans.txt on the disk now full to the last page.
        QVERIFY(disk.fill("filler2"));
        QProcess batch;
        batch.start(KVARSEL_BATCH, {"export", dir + "/res"});
        batch.waitForFinished(120000);
        QCOMPARE(batch.exitCode(), 1);
        QVERIFY(!QString::fromUtf8(batch.readAllStandardOutput()).contains("Записано фраз"));
        QCOMPARE(readBytes(dir + "/res/DepTrans.txt"), before["res/DepTrans.txt"]);
        QCOMPARE(QDir(dir + "/res").entryList(QDir::Files | QDir::Hidden), QStringList{"DepTrans.txt"});
    }

    // A program unpacked onto a disk that runs full midway: the scripts it made
    // before are whole, the one it was writing is gone, and no record names them,
    // so the directory is never taken for a finished unpacking.
    // The string tables' script is written while it is made: a disk that fills
    // then takes its part written away again.
    void unpackOnFullDisk_data()
    {
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<int>("tables");
        QTest::newRow("dialogs") << 150 << 0;
        QTest::newRow("string tables") << 3 << 400;
    }

    void unpackOnFullDisk()
    {
        QFETCH(int, dialogs);
        QFETCH(int, tables);
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        QTemporaryDir tmp;
        const QString base = QFileInfo(tmp.path()).canonicalFilePath();
        QList<Resource> resources;
        QString strings = QStringLiteral("STRINGTABLE\r\nBEGIN\r\n");
        for (int id = 0; id < tables * 16; ++id)
            strings +=
                QStringLiteral("  %1, \"Строка \"\"%1\"\" && ещё %2\"\r\n").arg(id).arg(QString(20, u'x'));
        if (tables) {
            const CompiledScript made =
                compileScript(ResourceKind::String, strings + QStringLiteral("END\r\n"));
            QVERIFY2(made.error.isEmpty(), qPrintable(made.error));
            resources += made.resources;
        }
        for (int d = 0; d < dialogs; ++d) {
            QString script =
                QStringLiteral("\"DLG%1\" DIALOGEX 0, 0, 300, 200\r\nSTYLE 0x80C80000\r\n"
                               "CAPTION \"Settings %1\"\r\nFONT 9, \"Segoe UI\", 400, 0, 1\r\nBEGIN\r\n")
                    .arg(d);
            for (int c = 0; c < 20; ++c)
                script +=
                    QStringLiteral("    CONTROL \"Option \"\"%1\"\" && more\", %2, \"Button\", 0x50010003, "
                                   "10, %3, 200, 10\r\n")
                        .arg(c)
                        .arg(100 + c)
                        .arg(10 + 10 * c);
            script += QStringLiteral("END\r\n");
            const CompiledScript made = compileScript(ResourceKind::Dialog, script);
            QVERIFY2(made.error.isEmpty(), qPrintable(made.error));
            resources += made.resources;
        }
        for (Resource& r : resources)
            r.language = 0x0409;
        const QString program = base + "/app.res";
        QVERIFY(writeBytes(program, writeResFile(resources)));
        const auto unpack = [&](const QString& into) {
            QProcess batch;
            batch.start(KVARSEL_BATCH, {"unpack", program, into});
            batch.waitForFinished(120000);
            return Outcome{batch.exitCode(), QString::fromUtf8(batch.readAllStandardOutput()),
                           QString::fromUtf8(batch.readAllStandardError())};
        };
        QCOMPARE(unpack(base + "/roomy").status, 0);
        const Snapshot whole = snapshot(base + "/roomy");
        QCOMPARE(whole.size(), dialogs + (tables ? 1 : 0) + 1);

        const SmallDisk disk(base + "/disk", "160k");
        if (!disk.error.isEmpty())
            QSKIP(qPrintable(disk.error));
        const Outcome full = unpack(disk.path + "/res");
        QCOMPARE(full.status, 1);
        QVERIFY2(full.err.contains(reasonForErrno(ENOSPC)), qPrintable(full.err));
        const Snapshot left = snapshot(disk.path + "/res");
        QVERIFY2(!left.isEmpty() && left.size() < 100, qPrintable(QString::number(left.size())));
        QVERIFY(!left.contains("kvarsel-source.txt"));
        for (auto f = left.cbegin(); f != left.cend(); ++f)
            QVERIFY2(whole.value(f.key()) == f.value(), qPrintable(f.key()));
    }
};

QTEST_GUILESS_MAIN(DiskFaultTest)
#include "tst_diskfault.moc"
