#include "deferred/DeferredExport.h"
#include "deferred/EscapeSpacing.h"
#include "text/TextFile.h"

#include "TestUtil.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace kvarsel;

namespace {

// Four stores; each kind gets a marker row and then one row per text.
struct Stores {
    std::array<std::unique_ptr<LineStore>, kKindCount> owned;
    Stores()
    {
        for (const ResourceKind kind : kAllKinds)
            owned[size_t(kindIndex(kind))] = std::make_unique<LineStore>(kind);
    }
    LineStore& operator[](ResourceKind kind) { return *owned[size_t(kindIndex(kind))]; }
    void fill(ResourceKind kind, const QStringList& texts)
    {
        LineStore& store = (*this)[kind];
        store.AppendFileMarker(QStringLiteral("/res/") + kindInfo(kind).subDir + QStringLiteral("/a.rc"));
        for (const QString& text : texts)
            store.AppendRow(QStringLiteral("  MENUITEM \""), text, QStringLiteral("\", 1"));
    }
    ConstLineStores view() const
    {
        ConstLineStores out;
        for (int i = 0; i < kKindCount; ++i)
            out[size_t(i)] = owned[size_t(i)].get();
        return out;
    }
};

} // namespace

class DeferredExportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setWriteFaultForTesting({}); }

    void isExportable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exported");
        QTest::newRow("four letters") << "Open" << true;
        QTest::newRow("two letters") << "OK" << false;
        QTest::newRow("three letters") << "Esc" << false;
        QTest::newRow("placeholder first") << "%d files" << true;
        QTest::newRow("bracket first") << "(none)" << true;
        QTest::newRow("dots only") << "..." << false;
        QTest::newRow("cyrillic after digits") << "12 Мб" << false;
        QTest::newRow("cyrillic before placeholder") << "Файл %s" << false;
        QTest::newRow("placeholder then english") << "%s file" << true;
        QTest::newRow("placeholder letter is not a word") << "%s %d" << false;
        QTest::newRow("placeholder glued to a word") << "%dOpen" << true;
        QTest::newRow("percent at the end") << "12 %" << false;
        QTest::newRow("at signs only") << "@@@@" << false;
        QTest::newRow("ascii sign above 64") << "[ ]" << false;
        QTest::newRow("underscores") << "____" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("cyrillic yo") << "Ёлка" << false;
        QTest::newRow("russian translation") << "Открыть" << false;
        QTest::newRow("english with escape") << "Line one\\nLine two" << true;
    }
    void isExportable()
    {
        QFETCH(QString, text);
        QFETCH(bool, exported);
        QCOMPARE(IsExportable(text), exported);
    }

    void spaceOutEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spaced");
        QTest::newRow("between words") << "Line one\\nLine two"
                                       << "Line one \\n Line two";
        QTest::newRow("leading escape kept") << "\\nStart here"
                                             << "\\nStart here";
        QTest::newRow("escape at 2nd character kept") << "a\\nb"
                                                      << "a\\nb";
        QTest::newRow("escape at 3rd character") << "ab\\nc"
                                                 << "ab \\n c";
        QTest::newRow("two in a row") << "ab\\n\\nc"
                                      << "ab \\n  \\n c";
        QTest::newRow("leading one then others") << "\\n\\n\\n"
                                                 << "\\n \\n  \\n ";
        QTest::newRow("at the end") << "Done\\n"
                                    << "Done \\n ";
        QTest::newRow("backslash without n") << "C:\\dir"
                                             << "C:\\dir";
        QTest::newRow("capital N is no escape") << "ab\\Nc"
                                                << "ab\\Nc";
        QTest::newRow("none") << "Open file"
                              << "Open file";
    }
    void spaceOutEscapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, spaced);
        QCOMPARE(kvarsel::spaceOutEscapes(text), spaced);
        // What the export spaces out, the import turns back.
        QCOMPARE(kvarsel::unspaceEscapes(spaced), text);
    }

    void unspaceEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("restored");
        QTest::newRow("twice in a row") << "a \\n  \\n b"
                                        << "a\\n\\nb";
        QTest::newRow("pair from the translator") << "Save \\n all"
                                                  << "Save\\nall";
        QTest::newRow("alone") << " \\n "
                               << "\\n";
        QTest::newRow("no trailing blank") << "x \\nb"
                                           << "x \\nb";
        QTest::newRow("no leading blank") << "x\\n b"
                                          << "x\\n b";
        QTest::newRow("cyrillic") << "Сохранить \\n все"
                                  << "Сохранить\\nвсе";
        QTest::newRow("plain") << "Открыть файл"
                               << "Открыть файл";
    }
    void unspaceEscapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, restored);
        QCOMPARE(kvarsel::unspaceEscapes(text), restored);
    }

    void exportListSortsIgnoringCaseAndKeepsTheFirstOfEqualOnes()
    {
        ExportList list;
        for (const char* s : {"beta", "SAVE", "Alpha", "save", "Gamma", "alpha", "Save", "apple"})
            list.Add(QString::fromLatin1(s));
        QCOMPARE(list.Items(),
                 QStringList({"Alpha", "alpha", "apple", "beta", "Gamma", "SAVE", "save", "Save"}));
        list.RemoveDuplicates();
        QCOMPARE(list.Items(), QStringList({"Alpha", "apple", "beta", "Gamma", "SAVE"}));
        // Phrases added after a look at the list still go to their sorted place.
        list.Add(QStringLiteral("ALPHA"));
        list.Add(QStringLiteral("Zeta"));
        list.Add(QStringLiteral("Delta"));
        QCOMPARE(list.Items(),
                 QStringList({"Alpha", "ALPHA", "apple", "beta", "Delta", "Gamma", "SAVE", "Zeta"}));
        list.Clear();
        QVERIFY(list.IsEmpty());
    }

    void rowCountRule_data()
    {
        QTest::addColumn<QList<int>>("textsPerKind"); // -1: no rows at all
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("maximum");
        QTest::newRow("nothing loaded") << QList<int>{-1, -1, -1, -1} << false << 4;
        QTest::newRow("marker and one line") << QList<int>{1, -1, 1, -1} << false << 4;
        QTest::newRow("markers only") << QList<int>{0, 0, 0, 0} << false << 4;
        QTest::newRow("three rows in one kind") << QList<int>{-1, -1, -1, 2} << true << 5;
        QTest::newRow("several kinds") << QList<int>{5, 1, 3, -1} << true << 1 + 5 + 1 + 3 + 1 - 1;
    }
    void rowCountRule()
    {
        QFETCH(QList<int>, textsPerKind);
        QFETCH(bool, loaded);
        QFETCH(int, maximum);
        Stores stores;
        for (const ResourceKind kind : kAllKinds) {
            const int n = textsPerKind[kindIndex(kind)];
            if (n >= 0)
                stores.fill(kind, QStringList(n, QStringLiteral("Text")));
        }
        QCOMPARE(resourcesCountAsLoaded(stores.view()), loaded);
        QCOMPARE(exportProgressMaximum(stores.view()), qsizetype(maximum));
    }

    void collectScansOnlyKindsWithThreeRows()
    {
        Stores stores;
        stores.fill(ResourceKind::Menu, {QStringLiteral("Only line")}); // 2 rows: not scanned
        stores.fill(ResourceKind::Dialog, {QStringLiteral("Save"), QString(), QStringLiteral("Открыть")});
        stores.fill(ResourceKind::String, {QStringLiteral("save"), QStringLiteral("OK")});
        stores.fill(ResourceKind::RcData, {QStringLiteral("SAVE"), QStringLiteral("Line one\\nLine two"),
                                           QStringLiteral("\\nStart here")});
        ExportList list;
        QList<ResourceKind> kinds;
        QList<qsizetype> progress;
        collectExportPhrases(stores.view(), list,
                             {[&](ResourceKind k) { kinds << k; }, [&](qsizetype v) { progress << v; }});
        QCOMPARE(kinds,
                 QList<ResourceKind>({ResourceKind::Dialog, ResourceKind::String, ResourceKind::RcData}));
        // n: Menu 1 (unscanned, still counted), Dialog 3, String 2, RcData 3.
        QCOMPARE(progress, QList<qsizetype>({1, 2, 3, 4, 4, 5, 6, 6, 7, 8, 9}));
        QCOMPARE(list.Count(), 5);
        prepareExportList(list);
        QCOMPARE(list.Items(), QStringList({"\\nStart here", "Line one \\n Line two", "Save"}));
    }

    void hiddenTranslationsAreNotExported()
    {
        Stores stores;
        stores.fill(ResourceKind::Menu, {QStringLiteral("Open"), QStringLiteral("Close")});
        // A row translated in hide mode keeps its translation in the head, its text empty.
        stores[ResourceKind::Menu].ReplaceHead(1, stores[ResourceKind::Menu].Head(1) +
                                                      QStringLiteral("Открыть"));
        stores[ResourceKind::Menu].ReplaceText(1, QString());
        ExportList list;
        collectExportPhrases(stores.view(), list);
        QCOMPARE(list.Items(), QStringList({"Close"}));
    }

    void depTransReplacesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("DepTrans.txt"));
        QVERIFY(test::writeLinesRaw(
            path, {QStringLiteral("Old one"), QStringLiteral("Old two"), QStringLiteral("Old three")}));
        ExportList list;
        list.Add(QStringLiteral("Zoom"));
        list.Add(QStringLiteral("Line one\\nLine two"));
        prepareExportList(list);
        QCOMPARE(writeDepTrans(dir.path(), list), std::nullopt);
        QCOMPARE(test::readBytes(path), QByteArray("Line one \\n Line two\r\nZoom\r\n"));
    }

    void depTransInAnotherLetterCaseIsReplaced()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("deptrans.TXT"));
        QVERIFY(test::writeLinesRaw(old, {QStringLiteral("Old")}));
        ExportList list;
        list.Add(QStringLiteral("Файлы Open"));
        QCOMPARE(writeDepTrans(dir.path(), list), std::nullopt);
        QCOMPARE(test::readBytes(old), test::cp1251Lines({QStringLiteral("Файлы Open")}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"deptrans.TXT"}));
    }

    void depTransFailureIsReturnedAndTheOldFileStays()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("DepTrans.txt"));
        QVERIFY(test::writeLinesRaw(path, {QStringLiteral("Old")}));
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
        ExportList list;
        list.Add(QStringLiteral("New phrase"));
        const auto error = writeDepTrans(dir.path(), list);
        QVERIFY(error);
        QCOMPARE(error->path, path);
        QCOMPARE(error->reason, QStringLiteral("нет места на диске"));
        QCOMPARE(test::readBytes(path), QByteArray("Old\r\n"));
    }

    void depTransIntoAMissingDirectoryFails()
    {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("gone"));
        ExportList list;
        list.Add(QStringLiteral("New phrase"));
        const auto error = writeDepTrans(gone, list);
        QVERIFY(error);
        QVERIFY(error->message().contains(gone));
        QVERIFY(!QFileInfo::exists(gone));
    }
};

QTEST_GUILESS_MAIN(DeferredExportTest)
#include "tst_deferredexport.moc"
