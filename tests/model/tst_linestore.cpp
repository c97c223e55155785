#include "model/LineStore.h"
#include "model/RowSearch.h"

#include <QSignalSpy>
#include <QTest>

using namespace kvarsel;

class LineStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void markerIsAPropertyOfTheRow()
    {
        LineStore store(ResourceKind::Menu);
        store.AppendFileMarker(QStringLiteral("/r/menu/a.rc"));
        // A script line that itself begins with the marker text is an ordinary row.
        store.AppendRow(QStringLiteral("Файл = /etc/passwd"), QString(), QString());
        QCOMPARE(store.RowCount(), 2);
        QVERIFY(store.IsFileMarker(0));
        QCOMPARE(store.Head(0), QStringLiteral("Файл = /r/menu/a.rc"));
        QCOMPARE(store.MarkerPath(0), QStringLiteral("/r/menu/a.rc"));
        QVERIFY(!store.IsFileMarker(1));
        QCOMPARE(store.MarkerPath(1), QString());
        QCOMPARE(store.Text(0), QString());
        QCOMPARE(store.Tail(0), QString());
    }

    void replaceKeepsEveryOtherRowInPlace()
    {
        LineStore store(ResourceKind::Dialog);
        store.AppendFileMarker(QStringLiteral("/d.rc"));
        for (int i = 0; i < 5; ++i)
            store.AppendRow(QStringLiteral("h%1 ").arg(i), QStringLiteral("t%1").arg(i),
                            QStringLiteral(" e%1").arg(i));
        QSignalSpy changed(&store, &QAbstractItemModel::dataChanged);
        QSignalSpy removed(&store, &QAbstractItemModel::rowsRemoved);
        store.ReplaceText(3, QStringLiteral("Перевод"));
        store.ReplaceHead(3, store.Head(3) + QStringLiteral("X"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 3);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(store.RowCount(), 6);
        for (int i = 1; i < 6; ++i) {
            if (i == 3)
                continue;
            QCOMPARE(store.Text(i), QStringLiteral("t%1").arg(i - 1));
            QCOMPARE(store.ComposedLine(i), QStringLiteral("h%1 t%1 e%1").arg(i - 1));
        }
        QCOMPARE(store.ComposedLine(3), QStringLiteral("h2 XПеревод e2"));
        QCOMPARE(store.data(store.index(3)).toString(), QStringLiteral("Перевод"));
    }

    void findPrefix_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("found");
        // rows: 0 "", 1 "Open file", 2 "open", 3 "Save", 4 "OPEN"
        QTest::newRow("after start, ignoring case") << "open" << 0 << 1;
        QTest::newRow("start excluded") << "open" << 1 << 2;
        QTest::newRow("later row") << "OPEN" << 2 << 4;
        QTest::newRow("none after") << "open" << 4 << -1;
        QTest::newRow("no match") << "Close" << 0 << -1;
        QTest::newRow("longer than row") << "Open files" << 0 << -1;
        QTest::newRow("negative start searches from row 0") << "" << -1 << 0;
    }
    void findPrefix()
    {
        QFETCH(QString, search);
        QFETCH(int, start);
        QFETCH(int, found);
        LineStore store(ResourceKind::String);
        for (const char* t : {"", "Open file", "open", "Save", "OPEN"})
            store.AppendRow(QString(), QString::fromUtf8(t), QString());
        QCOMPARE(store.FindPrefix(search, start), qsizetype(found));
    }

    void countsFollowEveryChange()
    {
        LineStore store(ResourceKind::Menu);
        const auto counts = [&store] { return std::pair{store.TextRowCount(), store.RussianRowCount()}; };
        store.AppendFileMarker(QStringLiteral("/r/menu/a.rc"));
        store.AppendRow(QString(), QString(), QString());
        store.AppendRow(QString(), QStringLiteral("Open"), QString());
        store.AppendRow(QString(), QStringLiteral("Файл"), QString());
        store.AppendRow(QString(), QStringLiteral("«Quoted»"), QString()); // non-ASCII, yet English
        QCOMPARE(counts(), std::pair(qsizetype(3), qsizetype(1)));
        store.ReplaceText(2, QStringLiteral("Открыть"));
        QCOMPARE(counts(), std::pair(qsizetype(3), qsizetype(2)));
        store.ReplaceText(3, QString()); // a translation hidden away
        QCOMPARE(counts(), std::pair(qsizetype(2), qsizetype(1)));
        store.ReplaceText(1, QStringLiteral("Save"));
        QCOMPARE(counts(), std::pair(qsizetype(3), qsizetype(1)));
        std::vector<LineStore::Row> rows(3);
        rows[1].line.text = QStringLiteral("Да");
        store.Assign(std::move(rows));
        QCOMPARE(counts(), std::pair(qsizetype(1), qsizetype(1)));
        store.Clear();
        QCOMPARE(counts(), std::pair(qsizetype(0), qsizetype(0)));
    }

    // A row counts as translated, for its mark, the count beside the tabs and the
    // jump to the next untranslated row alike, when it holds a Cyrillic letter.
    void translatedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("translated");
        QTest::newRow("Russian word") << "Файл" << true;
        QTest::newRow("placeholder first") << "%d файлов" << true;
        QTest::newRow("digit first") << "1 файл" << true;
        QTest::newRow("accelerator first") << "&Файл" << true;
        QTest::newRow("quotation mark first") << "«Отчёт»" << true;
        QTest::newRow("Ukrainian letter") << "Їжа" << true;
        QTest::newRow("English") << "Open" << false;
        QTest::newRow("English in guillemets") << "«Quoted»" << false;
        QTest::newRow("signs only") << "..." << false;
        QTest::newRow("Greek") << "Ωμέγα" << false;
        QTest::newRow("placeholder only") << "%s" << false;
    }
    void translatedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, translated);
        LineStore store(ResourceKind::String);
        store.AppendFileMarker(QStringLiteral("/r/string/a.rc"));
        store.AppendRow(QString(), QStringLiteral("Open"), QString());
        store.ReplaceText(1, text);
        QCOMPARE(store.TextRowCount(), qsizetype(1));
        QCOMPARE(store.RussianRowCount(), qsizetype(translated ? 1 : 0));
        QCOMPARE(store.data(store.index(1), LineStore::RussianRole).toBool(), translated);
        QCOMPARE(findUntranslated(store, 0, SearchDirection::Backward), qsizetype(translated ? -1 : 1));
        store.ReplaceText(1, QString());
        QCOMPARE(store.RussianRowCount(), qsizetype(0));
    }

    void findRows_data()
    {
        QTest::addColumn<bool>("untranslated");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("back");
        QTest::addColumn<int>("found");
        // rows: 0 "", 1 "Open file", 2 "Открыть", 3 "", 4 "Save AS", 5 "reOPEN", 6 "Сохранить"
        QTest::newRow("contains: inside, case ignored") << false << "OPEN" << 1 << false << 5;
        QTest::newRow("contains: wraps past the end") << false << "open" << 5 << false << 1;
        QTest::newRow("contains: backward wraps") << false << "open" << 1 << true << 5;
        QTest::newRow("contains: Cyrillic case") << false << "ОТКР" << 4 << false << 2;
        QTest::newRow("contains: only the current row") << false << "save" << 4 << false << 4;
        QTest::newRow("contains: empty needle") << false << "" << 0 << false << -1;
        QTest::newRow("untranslated: skips Russian and blank") << true << "" << 1 << false << 4;
        QTest::newRow("untranslated: wraps") << true << "" << 5 << false << 1;
        QTest::newRow("untranslated: backward") << true << "" << 4 << true << 1;
        QTest::newRow("untranslated: backward from no row") << true << "" << -1 << true << 5;
    }
    void findRows()
    {
        QFETCH(bool, untranslated);
        QFETCH(QString, needle);
        QFETCH(int, current);
        QFETCH(bool, back);
        QFETCH(int, found);
        LineStore store(ResourceKind::String);
        for (const char* t : {"", "Open file", "Открыть", "", "Save AS", "reOPEN", "Сохранить"})
            store.AppendRow(QString(), QString::fromUtf8(t), QString());
        const SearchDirection direction = back ? SearchDirection::Backward : SearchDirection::Forward;
        QCOMPARE(untranslated ? findUntranslated(store, current, direction)
                              : findContaining(store, needle, current, direction),
                 qsizetype(found));
    }

    void clearAndAssign()
    {
        LineStore store(ResourceKind::RcData);
        store.AppendRow(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        QSignalSpy reset(&store, &QAbstractItemModel::modelReset);
        store.Clear();
        QCOMPARE(store.RowCount(), 0);
        QCOMPARE(store.rowCount(), 0);
        std::vector<LineStore::Row> rows(40000);
        rows[0].fileMarker = true;
        rows[39999].line.text = QStringLiteral("last");
        store.Assign(std::move(rows));
        QCOMPARE(reset.count(), 2);
        // Well past the old 16-bit limit.
        QCOMPARE(store.RowCount(), 40000);
        QCOMPARE(store.Text(39999), QStringLiteral("last"));
        QVERIFY(store.IsFileMarker(0));
    }
};

QTEST_GUILESS_MAIN(LineStoreTest)
#include "tst_linestore.moc"
