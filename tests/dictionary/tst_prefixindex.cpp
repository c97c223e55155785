#include "dictionary/CurrentDictionary.h"
#include "dictionary/PrefixIndex.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kvarsel;

class PrefixIndexTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Random rows full of shared prefixes and case variants, rows emptied as the
    // duplicate search empties them: the index answers as the row walk every time.
    void agreesWithTheWalk()
    {
        QRandomGenerator rng(1207);
        const QStringList stems{"Open",  "open",    "OPEN FILE", "Open file", "Op",   "o",
                                "Save",  "save as", "",          "Файл",      "файл", "ФАЙЛЫ",
                                " Open", "Open ",   "x",         "X",         "Ǆ",    "ǆ"};
        qsizetype answers = 0, found = 0;
        for (int round = 0; round < 40; ++round) {
            QStringList rows;
            const int n = rng.bounded(1, 300);
            for (int i = 0; i < n; ++i) {
                QString row = stems[rng.bounded(stems.size())];
                if (rng.bounded(3) == 0)
                    row += stems[rng.bounded(stems.size())];
                rows << row;
            }
            CurrentDictionary walk;
            walk.Assign(rows);
            PrefixIndex index(rows);
            for (int q = 0; q < 2500; ++q) {
                if (rng.bounded(20) == 0) {
                    const qsizetype r = rng.bounded(n);
                    walk.Replace(r, QString());
                    index.markEmpty(r);
                }
                QString search = rng.bounded(2) ? walk.Row(rng.bounded(n)) : stems[rng.bounded(stems.size())];
                if (rng.bounded(4) == 0)
                    search = search.toUpper();
                const qsizetype start = rng.bounded(-1, n + 1);
                const qsizetype expected = walk.FindPrefix(search, start);
                QCOMPARE(index.findPrefix(search, start), expected);
                ++answers;
                found += expected >= 0;
            }
        }
        QCOMPARE(answers, 100000);
        QVERIFY2(found > 20000 && found < 80000, qPrintable(QString::number(found)));
    }
};

QTEST_GUILESS_MAIN(PrefixIndexTest)
#include "tst_prefixindex.moc"
