#include "model/LineStore.h"

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
            store.AppendRow(QStringLiteral("h%1 ").arg(i), QStringLiteral("t%1").arg(i), QStringLiteral(" e%1").arg(i));
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
