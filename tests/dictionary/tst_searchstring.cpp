#include "dictionary/PhraseSet.h"
#include "dictionary/SearchString.h"
#include "text/Cp1251.h"

#include <QRandomGenerator>
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
        QTest::newRow("digit counts as not upper")
            << QStringList{"3D", "Трёхмерный"} << "3D" << true << "трёхмерный";
        QTest::newRow("translation row ends the search")
            << QStringList{"Tool", "Toolbar", "Toolbar", "Панель"} << "Toolbar" << false << "Toolbar";
        QTest::newRow("cyrillic phrase not looked up")
            << QStringList{"Файл", "File"} << "Файл" << false << "Файл";
        QTest::newRow("trailing blank matters")
            << QStringList{"Open", "Открыть"} << "Open " << false << "Open ";
        QTest::newRow("leading blank in source")
            << QStringList{" Open", "Открыть"} << "Open" << false << "Open";
        QTest::newRow("no entries") << QStringList{} << "Open" << false << "Open";
        QTest::newRow("empty translation found") << QStringList{"Open", ""} << "Open" << true << "";
        QTest::newRow("first equal entry wins")
            << QStringList{"Open", "Открыть", "Open", "Раскрыть"} << "Open" << true << "Открыть";
        QTest::newRow("upper phrase lifts translation")
            << QStringList{"save", "сохранить"} << "Save" << true << "Сохранить";
        QTest::newRow("source on last row has no translation")
            << QStringList{"Open"} << "Open" << false << "Open";
        QTest::newRow("ampersand source never matches")
            << QStringList{"&Open", "Открыть"} << "Open" << false << "Open";
        QTest::newRow("sign first keeps lower")
            << QStringList{"(none)", "(Нет)"} << "(none)" << true << "(Нет)";
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
        for (const auto search : {SearchString, SearchStringLinear}) {
            const LookupResult r = search(dictionary, phrase);
            QCOMPARE(r.found, found);
            QCOMPARE(r.found ? r.translation : phrase, result);
        }
    }

    // The index follows every change of the dictionary.
    void indexFollowsEdits()
    {
        CurrentDictionary d;
        d.AppendEntry("Open", "Открыть");
        QVERIFY(SearchString(d, "Open").found);
        d.Insert(2, "Openness"); // now "Openness" is a source and "Open" a translation row
        QVERIFY(!SearchString(d, "Open").found);
        d.Remove(2);
        d.Replace(3, "Раскрыть");
        QCOMPARE(SearchString(d, "open").translation, QStringLiteral("раскрыть"));
        d.Clear();
        QVERIFY(!SearchString(d, "Open").found);
    }

    // Many lookups against dictionaries built to hit every rule of the walk: shared
    // prefixes, case variants, translation rows that begin with sources, blanks,
    // Cyrillic, broken pairing. The index must agree with the walk every time.
    void indexAgreesWithWalk()
    {
        QRandomGenerator rng(8);
        const QStringList stems{"Open",    "open", "OPEN",    "Op",       "Open file", "Open files", "Save",
                                "save as", "Tool", "Toolbar", "tool bar", "3D",        "  ",         " Open",
                                "Open ",   "Файл", "файл",    "Ёлка",     "%d",        "%D files",   "(none)",
                                "x",       "X",    "Ǆ",       "ǆ",        "中文"};
        qsizetype agreed = 0;
        qsizetype found = 0;
        for (int dict = 0; dict < 50; ++dict) {
            QStringList rows{QString(), QString()};
            const int entries = rng.bounded(1, 120);
            for (int e = 0; e < entries * 2; ++e) {
                QString row = stems[rng.bounded(stems.size())];
                if (rng.bounded(3) == 0)
                    row += stems[rng.bounded(stems.size())];
                if (rng.bounded(10) == 0)
                    row = row.toUpper();
                rows << row;
            }
            if (rng.bounded(4) == 0) // broken pairing: an extra row shifts everything after it
                rows.insert(rng.bounded(2, int(rows.size())), stems[rng.bounded(stems.size())]);
            CurrentDictionary d;
            d.Assign(rows);
            for (int q = 0; q < 2000; ++q) {
                QString phrase =
                    rng.bounded(2) ? rows[rng.bounded(rows.size())] : stems[rng.bounded(stems.size())];
                if (rng.bounded(5) == 0)
                    phrase = phrase.toLower();
                if (rng.bounded(7) == 0 && phrase.size() > 1)
                    phrase.chop(1);
                const LookupResult fast = SearchString(d, phrase);
                const LookupResult slow = SearchStringLinear(d, phrase);
                QCOMPARE(fast.found, slow.found);
                QCOMPARE(fast.translation, slow.translation);
                ++agreed;
                found += fast.found;
            }
        }
        QCOMPARE(agreed, 100000);
        // Both outcomes are well represented, so the comparison means something.
        QVERIFY2(found > 20000 && found < 80000, qPrintable(QString::number(found)));
    }

    // Automatic translation streams a dictionary file's text past all the phrases
    // at once, a Windows-1251 file as its undecoded bytes. Against the same kind of
    // dictionaries, written with every line end and empty lines between, both must
    // give the walk's answer for every phrase.
    void phraseSetAgreesWithWalk()
    {
        QRandomGenerator rng(17);
        const QStringList allStems{"Open", "open",     "OPEN",   "Op",      "Open file", "Open files",
                                   "Save", "save as",  "Tool",   "Toolbar", "tool bar",  "3D",
                                   "  ",   " Open",    "Open ",  "Файл",    "файл",      "Ёлка",
                                   "%d",   "%D files", "(none)", "x",       "X",         "Ђ",
                                   "ђ",    "Ўx",       "ўX",     "Ї",       "ї",         QString(QChar(0x98)),
                                   "Ǆ",    "ǆ",        "中文"};
        const QStringList singleByteStems = allStems.mid(0, allStems.size() - 3);
        const QStringList ends{"\r\n", "\n", "\r", "\r\n\r\n", "\n\n"};
        qsizetype found = 0;
        qsizetype streamedAsBytes = 0;
        PhraseSet set; // one set for all: each answer drops the previous dictionary's
        for (int dict = 0; dict < 200; ++dict) {
            const QStringList& stems = dict % 2 ? allStems : singleByteStems;
            QStringList lines;
            const int count = rng.bounded(0, 240) + (dict % 2); // odd counts leave a source last
            for (int e = 0; e < count; ++e) {
                QString line = stems[rng.bounded(stems.size())];
                if (rng.bounded(3) == 0)
                    line += stems[rng.bounded(stems.size())];
                if (rng.bounded(10) == 0)
                    line = line.toUpper();
                lines << line;
            }
            QString file;
            for (const QString& line : lines)
                file += line + ends[rng.bounded(ends.size())];
            if (rng.bounded(2) && !file.isEmpty())
                file.chop(1); // a last line without its end, or a CR LF cut to CR
            CurrentDictionary walked;
            walked.Assign(QStringList{QString(), QString()} + lines);
            QStringList phrases;
            for (int q = 0; q < 300; ++q) {
                QString phrase = rng.bounded(2) && !lines.isEmpty() ? lines[rng.bounded(lines.size())]
                                                                    : stems[rng.bounded(stems.size())];
                if (rng.bounded(5) == 0)
                    phrase = phrase.toLower();
                if (rng.bounded(7) == 0 && phrase.size() > 1)
                    phrase.chop(1);
                if (!phrase.isEmpty() && phrase.front().unicode() < 128)
                    phrases << phrase;
            }
            std::vector<qint32> ids;
            if (dict % 3 == 0) {
                for (const QString& phrase : std::as_const(phrases))
                    ids.push_back(set.add(phrase));
            } else {
                ids = set.add(std::vector<QStringView>(phrases.begin(), phrases.end()));
            }
            QByteArray bytes;
            const bool singleByte = cp1251::encode(file, bytes);
            for (const bool asBytes : {false, true}) {
                if (asBytes && !singleByte)
                    continue;
                if (asBytes)
                    set.answerWindows1251(bytes);
                else
                    set.answer(file);
                streamedAsBytes += asBytes;
                for (qsizetype q = 0; q < phrases.size(); ++q) {
                    const LookupResult slow = SearchStringLinear(walked, phrases[q]);
                    const std::optional<QString> row = set.translation(ids[size_t(q)]);
                    QCOMPARE(row.has_value(), slow.found);
                    if (row)
                        QCOMPARE(carryFirstLetterCase(phrases[q], *row), slow.translation);
                    found += slow.found;
                }
            }
        }
        QVERIFY2(found > 10000, qPrintable(QString::number(found)));
        QVERIFY2(streamedAsBytes >= 100, qPrintable(QString::number(streamedAsBytes)));
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
