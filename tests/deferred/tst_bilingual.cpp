#include "deferred/BilingualFile.h"
#include "deferred/BilingualReview.h"
#include "deferred/DeferredExport.h"
#include "project/Project.h"
#include "text/TextFile.h"

#include "TestUtil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kvarsel;

namespace {

QStringList dirEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void addRows(LineStore& store, const QStringList& texts)
{
    store.AppendFileMarker(QStringLiteral("/res/a.rc"));
    for (const QString& text : texts)
        store.AppendRow(QStringLiteral("  MENUITEM \""), text, QStringLiteral("\", 1"));
}

} // namespace

class BilingualTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setWriteFaultForTesting({}); }

    void readingKeepsTranslatedPairsOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        QVERIFY(test::writeLinesRaw(path, {"Open file", "", "Открыть файл", "", "Cancel", "cancel",
                                           "Save \\n all", "Сохранить \\n все"}));
        const BilingualRead read = readBilingualFile(path);
        QVERIFY(read.ok());
        QCOMPARE(read.entries, QStringList({"Open file", "Открыть файл", "Save\\nall", "Сохранить\\nвсе"}));
    }

    void readingAcceptsEveryLineEnd()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        QByteArray bytes = "Open\rOpen it\n\nExit\r\n";
        QVERIFY(test::writeBytes(path, bytes + test::cp1251Lines({QStringLiteral("Выход")}).chopped(2)));
        QCOMPARE(readBilingualFile(path).entries, QStringList({"Open", "Open it", "Exit", "Выход"}));
    }

    void unreadableFileIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "gone.txt";
        QTest::newRow("a directory") << "folder.txt";
    }
    void unreadableFileIsReported()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
        const QString path = dir.filePath(name);
        const BilingualRead read = readBilingualFile(path);
        QVERIFY(!read.ok());
        QCOMPARE(read.error->path, path);
        QVERIFY(read.entries.isEmpty());
    }

    void dropUntranslatedPairs_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("letter case ignored")
            << QStringList{"Cancel", "CANCEL", "Open", "Открыть"} << QStringList{"Open", "Открыть"};
        QTest::newRow("two dropped in a row")
            << QStringList{"a", "A", "b", "b", "Save", "Сохранить"} << QStringList{"Save", "Сохранить"};
        QTest::newRow("cyrillic case")
            << QStringList{"Файл", "файл", "Edit", "Правка"} << QStringList{"Edit", "Правка"};
        QTest::newRow("pairs follow even positions")
            << QStringList{"Open", "Save", "Save", "Open"} << QStringList{"Open", "Save", "Save", "Open"};
        QTest::newRow("lone last line kept") << QStringList{"x", "X", "Exit"} << QStringList{"Exit"};
        QTest::newRow("all dropped") << QStringList{"Help", "help"} << QStringList{};
    }
    void dropUntranslatedPairs()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, kept);
        kvarsel::dropUntranslatedPairs(entries);
        QCOMPARE(entries, kept);
    }

    void backupPath_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("backup");
        QTest::newRow("plain") << "res/bi.txt"
                               << "res/bi.old";
        QTest::newRow("two dots") << "res/bi.v2.txt"
                                  << "res/bi.old";
        QTest::newRow("no dot") << "res/bi"
                                << "res/bi.old";
        QTest::newRow("dotted directory") << "res.d/bi.txt"
                                          << "res.d/bi.old";
        QTest::newRow("dotted directory, no dot in name") << "res.d/bi"
                                                          << "res.d/bi.old";
        QTest::newRow("its own backup name") << "res/bi.old"
                                             << "res/bi.old.old";
        QTest::newRow("its own backup name in capitals") << "res/BI.OLD"
                                                         << "res/BI.OLD.old";
        QTest::newRow("leading dot") << "res/.txt"
                                     << "res/.old";
    }
    void backupPath()
    {
        QFETCH(QString, file);
        QFETCH(QString, backup);
        QTemporaryDir dir;
        QCOMPARE(bilingualBackupPath(dir.filePath(file)), dir.filePath(backup));
    }

    void backupInAnotherLetterCaseIsReused()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeLinesRaw(dir.filePath(QStringLiteral("BI.OLD")), {QStringLiteral("older")}));
        QCOMPARE(bilingualBackupPath(dir.filePath(QStringLiteral("bi.txt"))),
                 dir.filePath(QStringLiteral("BI.OLD")));
    }

    void saveKeepsTheOldFileAsBackup()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        const QByteArray original = test::cp1251Lines(
            {"Open", "", "Открыть", "Cancel", "cancel", "Save \\n all", "Сохранить \\n все"});
        QVERIFY(test::writeBytes(path, original));
        QVERIFY(test::writeLinesRaw(dir.filePath(QStringLiteral("bi.old")),
                                    {QStringLiteral("from an earlier review")}));
        const BilingualRead read = readBilingualFile(path);
        QCOMPARE(saveBilingualFile(path, read.entries), std::nullopt);
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("bi.old"))), original);
        QCOMPARE(test::readBytes(path),
                 test::cp1251Lines({"Open", "Открыть", "Save\\nall", "Сохранить\\nвсе"}));
        // The rewritten file reads back to the same pairs.
        QCOMPARE(readBilingualFile(path).entries, read.entries);
        QCOMPARE(dirEntries(dir.path()), QStringList({"bi.old", "bi.txt"}));
    }

    void saveWithNothingLeftKeepsOnlyTheBackup()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        QVERIFY(test::writeLinesRaw(path, {QStringLiteral("Open"), QStringLiteral("Открыть")}));
        QCOMPARE(saveBilingualFile(path, {}), std::nullopt);
        QCOMPARE(dirEntries(dir.path()), QStringList({"bi.old"}));
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("bi.old"))),
                 test::cp1251Lines({"Open", "Открыть"}));
    }

    void saveInADottedDirectoryTouchesNothingOutsideIt()
    {
        QTemporaryDir dir;
        // "res.old" beside "res.d" is what cutting the whole path at its first "."
        // would have named; it must survive, and nothing may appear next to it.
        QVERIFY(test::writeLinesRaw(dir.filePath(QStringLiteral("res.old")), {QStringLiteral("precious")}));
        const QString path = dir.filePath(QStringLiteral("res.d/bi"));
        QVERIFY(test::writeLinesRaw(path, {QStringLiteral("Open"), QStringLiteral("Открыть"),
                                           QStringLiteral("Exit"), QStringLiteral("Выход")}));
        QCOMPARE(saveBilingualFile(path, {QStringLiteral("Exit"), QStringLiteral("Выход")}), std::nullopt);
        QCOMPARE(dirEntries(dir.path()), QStringList({"res.d", "res.old"}));
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("res.old"))), QByteArray("precious\r\n"));
        QCOMPARE(dirEntries(dir.filePath(QStringLiteral("res.d"))), QStringList({"bi", "bi.old"}));
        QCOMPARE(test::readBytes(path), test::cp1251Lines({"Exit", "Выход"}));
    }

    void failedSaveLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("failing"); // the file whose write fails
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("backup, pairs left") << "bi.old" << QStringList{"Exit", "Выход"};
        QTest::newRow("backup, nothing left") << "bi.old" << QStringList{};
        QTest::newRow("new file") << "bi.txt" << QStringList{"Exit", "Выход"};
        QTest::newRow("unencodable translation") << "" << QStringList{"Exit", "Выход ☺"};
    }
    void failedSaveLeavesTheFileAsItWas()
    {
        QFETCH(QString, failing);
        QFETCH(QStringList, remaining);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        const QByteArray original = test::cp1251Lines({"Open", "Открыть", "Exit", "Выход"});
        QVERIFY(test::writeBytes(path, original));
        QVERIFY(test::writeLinesRaw(dir.filePath(QStringLiteral("bi.old")), {QStringLiteral("older")}));
        setWriteFaultForTesting([&](const QString& target) {
            return QFileInfo(target).fileName() == failing ? QStringLiteral("нет места на диске") : QString();
        });
        const auto error = saveBilingualFile(path, remaining);
        QVERIFY(error);
        QVERIFY(!error->message().isEmpty());
        QCOMPARE(test::readBytes(path), original);
        if (failing == QLatin1String("bi.txt"))
            QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("bi.old"))), original);
        else
            QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("bi.old"))), QByteArray("older\r\n"));
    }

    void reviewButtonStatesOverTwoPairs()
    {
        BilingualReview review;
        review.Reset({"A", "А-перевод", "B", "Б-перевод"});
        QVERIFY(!review.CanGoBack());
        QVERIFY(review.CanGoForward());
        review.Next();
        QCOMPARE(review.Source(), QStringLiteral("B"));
        QCOMPARE(review.Translation(), QStringLiteral("Б-перевод"));
        QVERIFY(review.CanGoBack());
        QVERIFY(!review.CanGoForward());
        review.Previous();
        QCOMPARE(review.Source(), QStringLiteral("A"));
        QVERIFY(!review.CanGoBack());
        QVERIFY(review.CanGoForward());
    }

    void acceptRecordsAppliesAndMovesOn()
    {
        Project state(QStringLiteral("/work"));
        addRows(state.store(ResourceKind::Menu), {"Open file", "OPEN FILE", "Open file..."});
        addRows(state.store(ResourceKind::RcData), {"open file"});
        BilingualReview review;
        review.Reset({"Open file", "Открыть файл", "Exit", "Выход"});
        QVERIFY(review.Accept(state, QStringLiteral("Открыть файл")));
        QCOMPARE(state.dictionary().rows(), QStringList({"", "", "Open file", "Открыть файл"}));
        QCOMPARE(state.store(ResourceKind::Menu).Text(1), QStringLiteral("Открыть файл"));
        QCOMPARE(state.store(ResourceKind::Menu).Text(2), QStringLiteral("Открыть файл"));
        QCOMPARE(state.store(ResourceKind::Menu).Text(3), QStringLiteral("Open file..."));
        QCOMPARE(state.store(ResourceKind::RcData).Text(1), QStringLiteral("Открыть файл"));
        QCOMPARE(review.BilingualList(), QStringList({"Exit", "Выход"}));
        QCOMPARE(review.PairIndex(), 0);
        QVERIFY(!review.CanGoBack());
        QVERIFY(!review.CanGoForward());
    }

    void acceptTakesTheEditedTranslationAsOneLine()
    {
        Project state(QStringLiteral("/work"));
        state.setHideMode(HideMode::Hide);
        addRows(state.store(ResourceKind::Dialog), {"Exit"});
        BilingualReview review;
        review.Reset({"Exit", "Выход"});
        QVERIFY(review.Accept(state, QStringLiteral("Выйти\nиз программы")));
        QCOMPARE(state.dictionary().rows(), QStringList({"", "", "Exit", "Выйти из программы"}));
        // Hide mode: the row no longer offers a text, its line carries the translation.
        QCOMPARE(state.store(ResourceKind::Dialog).Text(1), QString());
        QCOMPARE(state.store(ResourceKind::Dialog).ComposedLine(1),
                 QStringLiteral("  MENUITEM \"Выйти из программы\", 1"));
        QVERIFY(review.BilingualList().isEmpty());
        QVERIFY(!review.HasPair());
    }

    void acceptOnTheLastPairShowsTheNewLastPair()
    {
        Project state(QStringLiteral("/work"));
        BilingualReview review;
        review.Reset({"A", "1", "B", "2", "C", "3"});
        review.Next();
        review.Next();
        QVERIFY(review.Accept(state, QStringLiteral("3")));
        QCOMPARE(review.PairIndex(), 2);
        QCOMPARE(review.Source(), QStringLiteral("B"));
        QVERIFY(review.CanGoBack());
        QVERIFY(!review.CanGoForward());
    }

    void acceptWithoutAPairChangesNothing()
    {
        Project state(QStringLiteral("/work"));
        addRows(state.store(ResourceKind::Menu), {"", "Open"});
        BilingualReview review;
        review.Reset({});
        QVERIFY(!review.Accept(state, QStringLiteral("Перевод")));
        QCOMPARE(state.dictionary().RowCount(), 0);
        QCOMPARE(state.store(ResourceKind::Menu).ComposedLine(1), QStringLiteral("  MENUITEM \"\", 1"));
        QCOMPARE(review.Source(), QString());
        QCOMPARE(review.Translation(), QString());
    }

    void loneLastLineIsAcceptedWithoutATranslationLine()
    {
        Project state(QStringLiteral("/work"));
        BilingualReview review;
        review.Reset({"Open", "Открыть", "Exit"});
        review.Next();
        QCOMPARE(review.Source(), QStringLiteral("Exit"));
        QCOMPARE(review.Translation(), QString());
        QVERIFY(review.Accept(state, QStringLiteral("Выход")));
        QCOMPARE(review.BilingualList(), QStringList({"Open", "Открыть"}));
        QCOMPARE(review.PairIndex(), 0);
    }

    void roundTripExportImportReviewSave()
    {
        QTemporaryDir dir;
        Project state(dir.path());
        addRows(state.store(ResourceKind::Menu), {"Open file", "Save", "OK"});
        addRows(state.store(ResourceKind::String), {"save", "Line one\\nLine two", "Готово"});
        ExportList list;
        collectExportPhrases(std::as_const(state).stores(), list);
        prepareExportList(list);
        QCOMPARE(writeDepTrans(dir.path(), list), std::nullopt);
        const LinesRead exported = readLines(dir.filePath(QStringLiteral("DepTrans.txt")));
        QCOMPARE(exported.lines, QStringList({"Line one \\n Line two", "Open file", "Save"}));

        // The outside translator's output: each line followed by its translation,
        // one phrase left untranslated, blank lines between pairs.
        const QString bi = dir.filePath(QStringLiteral("DepTrans.bi.txt"));
        QVERIFY(test::writeLinesRaw(bi, {"Line one \\n Line two", "Строка один \\n Строка два", "",
                                         "Open file", "open file", "", "Save", "Сохранить"}));
        const BilingualRead read = readBilingualFile(bi);
        QVERIFY(read.ok());
        BilingualReview review;
        review.Reset(read.entries);
        QCOMPARE(review.Source(), QStringLiteral("Line one\\nLine two"));
        QVERIFY(review.Accept(state, review.Translation()));
        QCOMPARE(state.store(ResourceKind::String).Text(2), QStringLiteral("Строка один\\nСтрока два"));
        QCOMPARE(saveBilingualFile(bi, review.BilingualList()), std::nullopt);

        QCOMPARE(readLines(bi).lines, QStringList({"Save", "Сохранить"}));
        QCOMPARE(readLines(dir.filePath(QStringLiteral("DepTrans.old"))).lines.size(), 8);
        // DepTrans.txt shares the backup's stem but is no part of the review.
        QCOMPARE(readLines(dir.filePath(QStringLiteral("DepTrans.txt"))).lines, exported.lines);

        // The next run carries on with what is left.
        review.Reset(readBilingualFile(bi).entries);
        QVERIFY(review.Accept(state, review.Translation()));
        QCOMPARE(state.store(ResourceKind::Menu).Text(2), QStringLiteral("Сохранить"));
        QCOMPARE(state.store(ResourceKind::String).Text(1), QStringLiteral("Сохранить"));
        QCOMPARE(saveBilingualFile(bi, review.BilingualList()), std::nullopt);
        QVERIFY(!QFileInfo::exists(bi));
        QCOMPARE(readLines(dir.filePath(QStringLiteral("DepTrans.old"))).lines,
                 QStringList({"Save", "Сохранить"}));
    }

    void utf8BilingualKeepsItsEncoding()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bi.txt"));
        const QByteArray bytes =
            QStringLiteral("Open file\r\n\r\nОткрыть файл\r\nSave\r\nСохранить ☺\r\n").toUtf8();
        QVERIFY(test::writeBytes(path, bytes));
        const BilingualRead read = readBilingualFile(path);
        QVERIFY(read.ok());
        QCOMPARE(read.encoding, TextEncoding::Utf8);
        QCOMPARE(read.entries, QStringList({"Open file", "Открыть файл", "Save", "Сохранить ☺"}));
        QCOMPARE(saveBilingualFile(path, read.entries.mid(2), read.encoding), std::nullopt);
        QCOMPARE(test::readBytes(path), QStringLiteral("Save\r\nСохранить ☺\r\n").toUtf8());
        QCOMPARE(test::readBytes(dir.filePath(QStringLiteral("bi.old"))), bytes);
    }

    void depTransNeedsUtf8OnlyForWhatWindows1251Lacks_data()
    {
        QTest::addColumn<QStringList>("phrases");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("Windows-1251") << QStringList{"Open file", "Size «5»"} << TextEncoding::Windows1251;
        QTest::newRow("UTF-8 with mark") << QStringList{"Limit ≤ 10", "Open file"} << TextEncoding::Utf8Bom;
    }
    void depTransNeedsUtf8OnlyForWhatWindows1251Lacks()
    {
        QFETCH(QStringList, phrases);
        QFETCH(TextEncoding, encoding);
        QTemporaryDir dir;
        ExportList list;
        for (const QString& p : phrases)
            list.Add(p);
        QCOMPARE(writeDepTrans(dir.path(), list), std::nullopt);
        const DecodedText written = decodeText(test::readBytes(dir.filePath(QStringLiteral("DepTrans.txt"))));
        QCOMPARE(written.encoding, encoding);
        QCOMPARE(splitLines(written.text), phrases);
        QCOMPARE(depTransEncodingNote(depTransEncoding(list)).contains(QStringLiteral("UTF-8 с BOM")),
                 encoding == TextEncoding::Utf8Bom);
    }
};

QTEST_GUILESS_MAIN(BilingualTest)
#include "tst_bilingual.moc"
