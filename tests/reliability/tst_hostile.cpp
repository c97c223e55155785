// Resource directories that hold what no script should: every entry is loaded
// or named in a message, the rest loads, and nothing hangs.
#include "TestUtil.h"
#include "text/TextFile.h"
#include "workspace/ResourceSaver.h"

#include <sys/stat.h>

using namespace kvarsel;
using namespace kvarsel::test;

class HostileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strangeEntriesAreNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("directory") << "directory" << "это каталог, а не файл";
        QTest::newRow("fifo") << "fifo" << "это не обычный файл (канал или устройство)";
        QTest::newRow("dangling link") << "dangling" << "символическая ссылка никуда не ведёт";
        QTest::newRow("link loop") << "loop" << "символические ссылки образуют петлю";
        QTest::newRow("vanished") << "vanished" << "файл не найден";
    }
    void strangeEntriesAreNamed()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("menu/c.rc"), {"MENUITEM \"Save\""}));
        const QString odd = tmp.filePath("menu/b.rc");
        if (kind == "directory")
            QVERIFY(QDir().mkdir(odd));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(odd).constData(), 0600), 0);
        else if (kind == "dangling")
            QVERIFY(QFile::link(tmp.filePath("menu/none"), odd));
        else if (kind == "loop") {
            QVERIFY(QFile::link(tmp.filePath("menu/b2.rc"), odd));
            QVERIFY(QFile::link(odd, tmp.filePath("menu/b2.rc")));
        } else
            QVERIFY(writeLinesRaw(odd, {"MENUITEM \"Gone\""}));
        Stores s;
        LoadCallbacks callbacks;
        // The file disappears after the directory was listed, before it is read.
        if (kind == "vanished")
            callbacks.kindStarted = [&](ResourceKind, qsizetype) { QFile::remove(odd); };
        const LoadResult r = loadResources(tmp.path(), s.all(), false, callbacks);
        QVERIFY(!r.errors.isEmpty());
        QCOMPARE(r.errors[0].path, odd);
        QCOMPARE(r.errors[0].reason, reason);
        QVERIFY(r.errors[0].message().contains(odd));
        QCOMPARE(s.menu.Text(1), QStringLiteral("Open"));
        QCOMPARE(s.menu.Text(3), QStringLiteral("Save"));
        // Saving leaves the strange entry alone.
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        if (kind == "fifo") {
            struct stat st;
            QCOMPARE(::lstat(QFile::encodeName(odd).constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        }
    }

    // Every byte value, NUL included, survives a load and a save.
    void binaryFileRoundTrips()
    {
        QTemporaryDir tmp;
        QByteArray bytes;
        for (int round = 0; round < 3; ++round)
            for (int b = 0; b < 256; ++b)
                if (b != '\r' && b != '\n' && b != '&')
                    bytes.append(char(b));
        bytes = "  Caption = '" + bytes + "'\r\n" + bytes + "\r\n";
        QVERIFY(writeBytes(tmp.filePath("rcdata/bin.txt"), bytes));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(r.errors.isEmpty());
        QCOMPARE(s.rcdata.RowCount(), 3);
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath("rcdata/bin.txt")), bytes);
    }

    void hugeLineAndManyLines()
    {
        QTemporaryDir tmp;
        QByteArray line = "IDS_BIG \"";
        line.append(QByteArray(50 * 1024 * 1024, 'x'));
        line.append("\"\r\n");
        QVERIFY(writeBytes(tmp.filePath("string/big.rc"), line));
        QByteArray many;
        many.reserve(200000 * 24);
        for (int i = 0; i < 200000; ++i)
            many += "MENUITEM \"Item " + QByteArray::number(i) + " Text\"\r\n";
        QVERIFY(writeBytes(tmp.filePath("menu/many.rc"), many));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(r.errors.isEmpty());
        QCOMPARE(s.menu.RowCount(), 200001);
        QCOMPARE(s.menu.Text(200000), QStringLiteral("Item 199999 Text"));
        QCOMPARE(s.string.Text(1).size(), 50 * 1024 * 1024);
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath("string/big.rc")), line);
        QCOMPARE(readBytes(tmp.filePath("menu/many.rc")), many);
    }
};

QTEST_GUILESS_MAIN(HostileTest)
#include "tst_hostile.moc"
