#include "TestUtil.h"
#include "model/SplitLine.h"
#include "text/TextFile.h"
#include "workspace/ResourceSaver.h"

#include <QDirIterator>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// What a script looks like after a load and a save without translation: every
// "&" gone and every line ended by CR LF.
QByteArray normalised(const QByteArray& original)
{
    QStringList lines = splitLines(cp1251::decode(original));
    for (QString& l : lines)
        l.remove(u'&');
    return cp1251Lines(lines);
}

} // namespace

class ResourceIoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void okRule_data()
    {
        QTest::addColumn<QStringList>("dirs");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("menu") << QStringList{"menu"} << QStringList{} << true;
        QTest::newRow("any letter case") << QStringList{"RcData"} << QStringList{} << true;
        QTest::newRow("name only begins with it") << QStringList{"dialogs"} << QStringList{} << true;
        QTest::newRow("unrelated") << QStringList{"icons", "bitmaps"} << QStringList{} << false;
        QTest::newRow("a file named menu") << QStringList{} << QStringList{"menu"} << false;
        QTest::newRow("empty") << QStringList{} << QStringList{} << false;
    }
    void okRule()
    {
        QFETCH(QStringList, dirs);
        QFETCH(QStringList, files);
        QFETCH(bool, enabled);
        QTemporaryDir tmp;
        const QString root = tmp.filePath("res");
        QVERIFY(QDir().mkpath(root));
        for (const QString& d : dirs)
            QVERIFY(QDir(root).mkdir(d));
        for (const QString& f : files)
            QVERIFY(writeBytes(root + "/" + f, "x"));
        QCOMPARE(directoryHasResources(root), enabled);
    }

    void loadsDemoResources()
    {
        Stores s;
        QList<ResourceKind> started;
        LoadCallbacks callbacks;
        callbacks.kindStarted = [&](ResourceKind k, qsizetype) { started << k; };
        const LoadResult r = loadResources(demoDir() + "/resources", s.all(), false, callbacks);
        QVERIFY(r.errors.isEmpty());
        QCOMPARE(started, (QList<ResourceKind>{ResourceKind::Menu, ResourceKind::Dialog, ResourceKind::String,
                                               ResourceKind::RcData}));
        QCOMPARE(r.visibleKind, std::optional(ResourceKind::Menu));
        QVERIFY(r.anyRows);
        // main.rc before tray.rc; readme.txt in menu/ is not a script.
        QVERIFY(s.menu.IsFileMarker(0));
        QVERIFY(s.menu.MarkerPath(0).endsWith("/menu/main.rc"));
        qsizetype markers = 0;
        for (qsizetype i = 0; i < s.menu.RowCount(); ++i) {
            markers += s.menu.IsFileMarker(i);
            QVERIFY(!s.menu.ComposedLine(i).contains(u'&'));
        }
        QCOMPARE(markers, 2);
        QVERIFY(QDir::isAbsolutePath(s.menu.MarkerPath(0)));
        // A second load gives the same rows.
        const qsizetype rows = s.menu.RowCount();
        const QString text = s.menu.Text(5);
        loadResources(demoDir() + "/resources", s.all(), false);
        QCOMPARE(s.menu.RowCount(), rows);
        QCOMPARE(s.menu.Text(5), text);
    }

    void onlyRcdata()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("RCDATA/b.TXT"), {"Caption = 'Second'"}));
        QVERIFY(writeLinesRaw(tmp.filePath("RCDATA/a.txt"), {"Caption = 'First'", "end"}));
        QVERIFY(writeLinesRaw(tmp.filePath("RCDATA/c.rc"), {"Caption = 'Not a form'"}));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QCOMPARE(r.visibleKind, std::optional(ResourceKind::RcData));
        QCOMPARE(s.rcdata.RowCount(), 5);
        QVERIFY(s.rcdata.MarkerPath(0).endsWith("/RCDATA/a.txt"));
        QCOMPARE(s.rcdata.Text(1), QStringLiteral("First"));
        QVERIFY(s.rcdata.MarkerPath(3).endsWith("/RCDATA/b.TXT"));
        QCOMPARE(s.menu.RowCount() + s.dialog.RowCount() + s.string.RowCount(), 0);
        QVERIFY(!r.present[0] && r.present[3]);
    }

    void kindsWithoutScripts()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir().mkpath(tmp.filePath("menu"))); // present, nothing matches
        QVERIFY(writeBytes(tmp.filePath("menu/notes.txt"), "x"));
        QVERIFY(writeBytes(tmp.filePath("dialog"), "a file"));    // not a directory: as if missing
        QVERIFY(writeBytes(tmp.filePath("string/empty.rc"), "")); // an empty script: its marker only
        Stores s;
        s.dialog.AppendRow("left", "over", "");
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(r.present[0] && r.noScripts[0]);
        QVERIFY(!r.present[1] && !r.noScripts[1]);
        QCOMPARE(s.dialog.RowCount(), 0); // every list is emptied first
        QCOMPARE(s.string.RowCount(), 1);
        QCOMPARE(r.visibleKind, std::optional(ResourceKind::String));
        // Saving recreates the empty script empty.
        const SaveResult saved = saveResources(s.constAll());
        QCOMPARE(saved.filesWritten, 1);
        QCOMPARE(readBytes(tmp.filePath("string/empty.rc")), QByteArray());
    }

    void nothingToLoad()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir().mkpath(tmp.filePath("menu")));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(!r.visibleKind);
        QVERIFY(!r.anyRows);
    }

    void unreadableScriptsAreReportedAndSkipped()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(QDir().mkpath(tmp.filePath("menu/b.rc")));                             // a directory
        QVERIFY(QFile::link(tmp.filePath("menu/nowhere"), tmp.filePath("menu/c.rc"))); // dangling
        QVERIFY(writeLinesRaw(tmp.filePath("menu/d.rc"), {"MENUITEM \"Save\""}));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QCOMPARE(r.errors.size(), 2);
        QVERIFY(r.errors[0].path.endsWith("b.rc"));
        QVERIFY(r.errors[1].path.endsWith("c.rc"));
        QCOMPARE(s.menu.RowCount(), 4); // two markers, two lines: nothing for the unreadable ones
        QCOMPARE(s.menu.Text(3), QStringLiteral("Save"));
        QCOMPARE(saveResources(s.constAll()).errors.size(), 0);
        QVERIFY(QFileInfo(tmp.filePath("menu/b.rc")).isDir());
    }

    void hideRussianOnLoad()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"MENUITEM \"Открыть\"", "MENUITEM \"Open\""}));
        Stores s;
        loadResources(tmp.path(), s.all(), true);
        QCOMPARE(s.menu.Text(1), QString());
        QCOMPARE(s.menu.Text(2), QStringLiteral("Open"));
        saveResources(s.constAll());
        QCOMPARE(readBytes(tmp.filePath("menu/a.rc")),
                 cp1251Lines({"MENUITEM \"Открыть\"", "MENUITEM \"Open\""}));
    }

    // Load then save without changes: every script comes back byte for byte but
    // for the removed "&" and line ends made CR LF.
    void roundTripOfDemo()
    {
        QTemporaryDir tmp;
        QVERIFY(copyTree(demoDir() + "/resources", tmp.path()));
        // A script with LF and lone CR ends and no final end, too.
        QVERIFY(
            writeBytes(tmp.filePath("string/mixed.rc"), "IDS_A \"&One\"\nIDS_B \"Two\"\rIDS_C \"Three\""));
        QMap<QString, QByteArray> before;
        QDirIterator it(tmp.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            before[f] = readBytes(f);
        }
        Stores s;
        loadResources(tmp.path(), s.all(), false);
        const SaveResult saved = saveResources(s.constAll());
        QVERIFY(saved.errors.isEmpty());
        QCOMPARE(saved.filesWritten, 8);
        for (auto i = before.cbegin(); i != before.cend(); ++i) {
            const bool script = i.key().endsWith(".rc") || i.key().contains("/rcdata/");
            QCOMPARE(readBytes(i.key()), script ? normalised(i.value()) : i.value());
        }
    }

    void savedLinesCarryTranslations()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"POPUP \"&File\"", "MENUITEM \"E&xit\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("menu/b.rc"), {"MENUITEM \"Open\""}));
        Stores s;
        loadResources(tmp.path(), s.all(), false);
        s.menu.ReplaceText(1, QStringLiteral("Файл = C:\\boot.ini")); // a text that looks like a marker
        s.menu.ReplaceText(2, QString());
        s.menu.ReplaceHead(2, s.menu.Head(2) + QStringLiteral("Выход"));
        const SaveResult saved = saveResources(s.constAll());
        QVERIFY(saved.errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath("menu/a.rc")),
                 cp1251Lines({"POPUP \"Файл = C:\\boot.ini\"", "MENUITEM \"Выход\""}));
        QCOMPARE(readBytes(tmp.filePath("menu/b.rc")), cp1251Lines({"MENUITEM \"Open\""}));
    }

    void failedFilesKeepOldContentAndOthersAreWritten()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("menu/b.rc"), {"MENUITEM \"Save\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("dialog/c.rc"), {"LTEXT \"Name\""}));
        Stores s;
        loadResources(tmp.path(), s.all(), false);
        s.menu.ReplaceText(1, QStringLiteral("Открыть 中")); // cannot be stored in Windows-1251
        s.menu.ReplaceText(3, QStringLiteral("Сохранить"));
        s.dialog.ReplaceText(1, QStringLiteral("Имя"));
        const QByteArray oldA = readBytes(tmp.filePath("menu/a.rc"));
        const QByteArray oldC = readBytes(tmp.filePath("dialog/c.rc"));
        setWriteFaultForTesting([](const QString& p) {
            return p.endsWith("c.rc") ? QStringLiteral("нет прав доступа") : QString();
        });
        const SaveResult saved = saveResources(s.constAll());
        setWriteFaultForTesting({});
        QCOMPARE(saved.errors.size(), 2);
        QCOMPARE(saved.filesWritten, 1);
        QVERIFY(saved.errors[0].path.endsWith("a.rc"));
        QCOMPARE(saved.errors[0].line, 1);
        QVERIFY(saved.errors[1].path.endsWith("c.rc"));
        QCOMPARE(readBytes(tmp.filePath("menu/a.rc")), oldA);
        QCOMPARE(readBytes(tmp.filePath("dialog/c.rc")), oldC);
        QCOMPARE(readBytes(tmp.filePath("menu/b.rc")), cp1251Lines({"MENUITEM \"Сохранить\""}));
    }

    void emptyKindWritesNothing()
    {
        Stores s;
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"x"}));
        int started = 0;
        SaveCallbacks callbacks;
        callbacks.kindStarted = [&](ResourceKind, qsizetype) { ++started; };
        QCOMPARE(saveResources(s.constAll(), callbacks).filesWritten, 0);
        QCOMPARE(started, 0);
    }
};

QTEST_GUILESS_MAIN(ResourceIoTest)
#include "tst_resourceio.moc"
