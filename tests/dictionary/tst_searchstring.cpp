#include "dictionary/SearchString.h"

#include <QTest>

using namespace kvarsel;

class SearchStringTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data()
    {
        QTest::addColumn<QStringList>("rows"); // from row 2 on
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("result");
        const QStringList openRows{"Open file", "Открыть файл", "open", "открыть"};
        QTest::newRow("longer source passed over") << openRows << "Open" << true << "Открыть";
        QTest::newRow("equal apart from case") << openRows << "OPEN FILE" << true << "Открыть файл";
        QTest::newRow("lower-case phrase") << QStringList{"Open", "Открыть"} << "open" << true << "открыть";
        QTest::newRow("digit counts as not upper") << QStringList{"3D", "Трёхмерный"} << "3D" << true
                                                   << "трёхмерный";
        QTest::newRow("translation row ends the search")
            << QStringList{"Tool", "Toolbar", "Toolbar", "Панель"} << "Toolbar" << false << "Toolbar";
        QTest::newRow("cyrillic phrase not looked up") << QStringList{"Файл", "File"} << "Файл" << false
                                                       << "Файл";
        QTest::newRow("trailing blank matters") << QStringList{"Open", "Открыть"} << "Open " << false << "Open ";
        QTest::newRow("leading blank in source") << QStringList{" Open", "Открыть"} << "Open" << false << "Open";
        QTest::newRow("no entries") << QStringList{} << "Open" << false << "Open";
        QTest::newRow("empty translation found") << QStringList{"Open", ""} << "Open" << true << "";
        QTest::newRow("first equal entry wins")
            << QStringList{"Open", "Открыть", "Open", "Раскрыть"} << "Open" << true << "Открыть";
        QTest::newRow("upper phrase lifts translation") << QStringList{"save", "сохранить"} << "Save" << true
                                                        << "Сохранить";
        QTest::newRow("source on last row has no translation") << QStringList{"Open"} << "Open" << false
                                                               << "Open";
        QTest::newRow("ampersand source never matches") << QStringList{"&Open", "Открыть"} << "Open" << false
                                                        << "Open";
        QTest::newRow("sign first keeps lower") << QStringList{"(none)", "(Нет)"} << "(none)" << true
                                                << "(Нет)";
        QTest::newRow("prefix chain then match")
            << QStringList{"Find Next", "Найти далее", "Find all", "Найти все", "Find", "Найти"} << "Find"
            << true << "Найти";
    }
    void lookup()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, phrase);
        QFETCH(bool, found);
        QFETCH(QString, result);
        CurrentDictionary dictionary;
        dictionary.Assign(QStringList{QString(), QString()} + rows);
        const LookupResult r = SearchString(dictionary, phrase);
        QCOMPARE(r.found, found);
        QCOMPARE(r.found ? r.translation : phrase, result);
    }

    // The empty leading rows are never a match, not even for a phrase of blanks.
    void emptyLeadingRowsNeverMatch()
    {
        CurrentDictionary dictionary;
        dictionary.Assign({QString(), QString(), QStringLiteral(" "), QStringLiteral("пробел")});
        QCOMPARE(SearchString(dictionary, QStringLiteral(" ")).translation, QStringLiteral("пробел"));
        QVERIFY(!SearchString(CurrentDictionary(), QStringLiteral("x")).found);
    }
};

QTEST_GUILESS_MAIN(SearchStringTest)
#include "tst_searchstring.moc"
