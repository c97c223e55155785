// The similarity measure, and the suggestion index against a plain scan.
#include "TestUtil.h"
#include "assist/Similarity.h"
#include "assist/SuggestionIndex.h"
#include "dictionary/CurrentDictionary.h"
#include "text/TextFile.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace kvarsel;

class TestSuggestions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void measure_data();
    void measure();
    void boundedDistanceMatchesPlain();
    void indexMatchesScan_data();
    void indexMatchesScan();
    void followsAppendedAndEditedEntries();
    void rebuildsWhenConnectedListChanges();
};

void TestSuggestions::measure_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("equal but case") << "Open File"
                                    << "open file" << 100;
    QTest::newRow("one of ten") << "Save files"
                                << "Save filer" << 90;
    QTest::newRow("rounded down") << "abc"
                                  << "abd" << 66; // 66.67
    QTest::newRow("longer decides") << "Open"
                                    << "Open file" << 44; // d 5 of 9
    QTest::newRow("cyrillic fold") << "ОТКРЫТЬ"
                                   << "открыть" << 100;
    QTest::newRow("nothing alike") << "abc"
                                   << "xyz" << 0;
    QTest::newRow("empty side") << ""
                                << "abc" << 0;
}

void TestSuggestions::measure()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(similarity(a, b), expected);
    QCOMPARE(similarity(b, a), expected);
}

void TestSuggestions::boundedDistanceMatchesPlain()
{
    // Patterns on both sides of the 64-unit word, cut-offs below and above the truth.
    QRandomGenerator rng(11);
    const auto randomText = [&](int maxLength) {
        QString s;
        const int n = int(rng.bounded(maxLength + 1));
        for (int i = 0; i < n; ++i)
            s += QChar(u"abcdeа "[rng.bounded(7)]);
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString a = randomText(round % 2 ? 90 : 40), b = randomText(round % 2 ? 90 : 40);
        const int truth = levenshtein(a, b);
        const BoundedDistance distance(a);
        const qsizetype limit = rng.bounded(60);
        const qsizetype d = distance(b, limit);
        if (truth <= limit)
            QCOMPARE(d, qsizetype(truth));
        else
            QVERIFY2(d > limit, qPrintable(a + u'|' + b));
    }
    // Long patterns, in blocks of 64 rows: edited copies (a distance well under the
    // length, found in a narrow band or after widening it) and unrelated texts.
    for (int round = 0; round < 300; ++round) {
        const QString a = randomText(700);
        QString b = round % 3 ? a : randomText(700);
        for (int edits = int(rng.bounded(40)); edits > 0 && !b.isEmpty(); --edits) {
            const int at = int(rng.bounded(b.size()));
            switch (rng.bounded(3)) {
            case 0:
                b.remove(at, 1 + int(rng.bounded(5)));
                break;
            case 1:
                b.insert(at, randomText(8));
                break;
            default:
                b[at] = u'x';
                break;
            }
        }
        if (round == 0) {
            // A pattern of so many distinct units that its positions are kept block by block.
            QString wide, edited;
            for (int i = 0; i < 8200; ++i)
                wide += QChar(char16_t(0x4E00 + i));
            edited = wide;
            edited.remove(100, 7).insert(5000, "abc");
            edited[7000] = u'x';
            const BoundedDistance wideDistance(wide);
            QCOMPARE(wideDistance(edited, 400), qsizetype(levenshtein(wide, edited)));
            QVERIFY(wideDistance(edited, 10) > 10);
        }
        const int truth = levenshtein(a, b);
        const BoundedDistance distance(a);
        // A limit at the distance itself lets only alignments along the band's edges through.
        const qsizetype limit = round % 4 == 0   ? truth
                                : round % 4 == 1 ? qMax(truth - 1, 0)
                                                 : rng.bounded(qMax<qsizetype>(a.size(), b.size()) + 2);
        const qsizetype d = distance(b, limit);
        if (truth <= limit)
            QCOMPARE(d, qsizetype(truth));
        else
            QVERIFY2(d > limit, qPrintable(a + u'|' + b));
    }
}

namespace {
// Phrases from a small vocabulary, so many are alike and ties are common.
QString randomPhrase(QRandomGenerator& rng)
{
    static const QStringList words{"open", "Open",   "file", "files", "save", "as",  "All",    "close",
                                   "wind", "window", "a",    "ok",    "%s",   "\\n", "Печать", "dog"};
    QStringList out;
    const int n = 1 + int(rng.bounded(4));
    for (int i = 0; i < n; ++i)
        out << words[rng.bounded(words.size())];
    return out.join(rng.bounded(5) == 0 ? QStringLiteral("  ") : QStringLiteral(" "));
}

// Long texts: one of a few long bases with some of its words changed, so that many
// are alike but hardly any two the same.
QString longPhrase(QRandomGenerator& rng, int length)
{
    static QStringList bases;
    if (bases.isEmpty()) {
        QRandomGenerator fixed(3);
        for (int b = 0; b < 4; ++b) {
            QStringList words;
            for (int w = 0; w < 80; ++w)
                words << randomPhrase(fixed);
            bases << words.join(u' ');
        }
    }
    QStringList words = bases[rng.bounded(bases.size())].left(length).split(u' ');
    for (int edits = int(rng.bounded(int(words.size()))); edits > 0; --edits)
        words[rng.bounded(words.size())] = randomPhrase(rng);
    return words.join(u' ');
}

QString phraseOf(QRandomGenerator& rng, int length)
{
    return length == 0 ? randomPhrase(rng) : longPhrase(rng, 64 + int(rng.bounded(length)));
}

QStringList randomRows(QRandomGenerator& rng, int entries, int length = 0)
{
    QStringList rows{QString(), QString()};
    for (int e = 0; e < entries; ++e)
        rows << phraseOf(rng, length) << QStringLiteral("перевод %1").arg(rng.bounded(entries / 2 + 1));
    return rows;
}

QString compareText(const QList<Suggestion>& list)
{
    QStringList out;
    for (const Suggestion& s : list)
        out << QStringLiteral("%1 %2:%3 %4 = %5")
                   .arg(s.similarity)
                   .arg(s.rank)
                   .arg(s.row)
                   .arg(s.source, s.translation);
    return out.join(u'\n');
}
} // namespace

void TestSuggestions::indexMatchesScan_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("length"); // texts longer than 64 by up to this many; 0: short phrases
    // Some texts hold a character outside Windows-1251: their dictionaries are kept in UTF-16.
    QTest::addColumn<bool>("wide");
    QTest::newRow("window: five from 60") << 5 << 60 << 0 << false;
    QTest::newRow("batch default: three") << 3 << 60 << 0 << false;
    QTest::newRow("one best") << 1 << 60 << 0 << false;
    QTest::newRow("many, low threshold") << 40 << 20 << 0 << false;
    QTest::newRow("only close ones") << 10 << 90 << 0 << false;
    QTest::newRow("outside the code page") << 5 << 60 << 0 << true;
    QTest::newRow("long texts, five from 60") << 5 << 60 << 250 << false;
    QTest::newRow("long texts, many, low threshold") << 20 << 30 << 250 << false;
}

void TestSuggestions::indexMatchesScan()
{
    QFETCH(int, limit);
    QFETCH(int, minimum);
    QFETCH(int, length);
    QFETCH(bool, wide);
    QTemporaryDir dir;
    QRandomGenerator rng(uint(limit * 100 + minimum + wide));
    const int entries = length ? 20 : 300;
    const auto rows = [&] {
        QStringList r = randomRows(rng, entries, length);
        for (qsizetype i = 2; wide && i < r.size(); i += 14)
            r[i] += QStringLiteral(" ǆ✓");
        return r;
    };
    QStringList connected;
    for (int d = 0; d < 3; ++d) {
        const QString path = dir.filePath(QStringLiteral("d%1.dic").arg(d));
        QVERIFY(!writeLines(path, rows().mid(2), wide ? TextEncoding::Utf8Bom : TextEncoding::Windows1251));
        connected << path;
    }
    CurrentDictionary user;
    user.Assign(rows());
    SuggestionIndex index;
    QVERIFY(index.refresh(dir.path(), connected, user).isEmpty());
    const SuggestionIndex::Search aside = index.search();
    for (int q = 0; q < (length ? 10 : 120); ++q) {
        const QString phrase =
            phraseOf(rng, length) + (wide && q % 3 == 0 ? QStringLiteral(" ǆ✓") : QString());
        const QString fast = compareText(index.suggest(phrase, limit, minimum));
        const QString plain = compareText(index.suggestByScan(phrase, limit, minimum));
        QVERIFY2(fast == plain, qPrintable(phrase + "\nindex:\n" + fast + "\nscan:\n" + plain));
        // The copy a second thread searches answers the same.
        QCOMPARE(compareText(aside.suggest(phrase, limit, minimum)), fast);
    }
}

void TestSuggestions::followsAppendedAndEditedEntries()
{
    QTemporaryDir dir;
    QVERIFY(test::writeLinesRaw(dir.filePath("User.dic"), {"Open file", "Открыть файл"}));
    QVERIFY(test::writeLinesRaw(dir.filePath("base.dic"),
                                {"Open files", "Открыть файлы", "Open file", "Открыть файл"}));
    CurrentDictionary user;
    user.Assign({QString(), QString(), "Open file", "Открыть файл"});
    SuggestionIndex index;
    // Connected after base.dic: the user dictionary keeps its place in the list.
    index.refresh(dir.path(), {dir.filePath("base.dic"), dir.filePath("User.dic")}, user);
    QList<Suggestion> s = index.suggest(QStringLiteral("Open file"));
    QCOMPARE(s.size(), 2); // the user's repeat of base.dic's entry is shown once
    QCOMPARE(s[0].dictionary, QStringLiteral("base.dic"));
    QCOMPARE(s[0].similarity, 100);
    QCOMPARE(s[1].translation, QStringLiteral("Открыть файлы"));

    user.AppendEntry(QStringLiteral("Open filez"), QStringLiteral("Новый"));
    index.refresh(dir.path(), {dir.filePath("base.dic"), dir.filePath("User.dic")}, user);
    s = index.suggest(QStringLiteral("Open filez"));
    QCOMPARE(s.first().translation, QStringLiteral("Новый"));
    QCOMPARE(s.first().dictionary, QStringLiteral("User.dic"));
    QCOMPARE(compareText(s), compareText(index.suggestByScan(QStringLiteral("Open filez"))));

    // An edit in place (the dictionary editor) is seen too.
    user.Replace(5, QStringLiteral("Исправлено"));
    index.refresh(dir.path(), {dir.filePath("base.dic"), dir.filePath("User.dic")}, user);
    QCOMPARE(index.suggest(QStringLiteral("Open filez")).first().translation, QStringLiteral("Исправлено"));
}

void TestSuggestions::rebuildsWhenConnectedListChanges()
{
    QTemporaryDir dir;
    QVERIFY(test::writeLinesRaw(dir.filePath("a.dic"), {"Print", "Печать"}));
    QVERIFY(test::writeLinesRaw(dir.filePath("b.dic"), {"Prints", "Печатает"}));
    CurrentDictionary user;
    SuggestionIndex index;
    index.refresh(dir.path(), {dir.filePath("a.dic")}, user);
    QCOMPARE(index.suggest(QStringLiteral("Prints")).size(), 1);
    index.refresh(dir.path(), {dir.filePath("b.dic"), dir.filePath("a.dic")}, user);
    const QList<Suggestion> s = index.suggest(QStringLiteral("Prints"));
    QCOMPARE(s.size(), 2);
    QCOMPARE(s[0].dictionary, QStringLiteral("b.dic"));
    // A file that cannot be read is reported and left out.
    const FileErrors errors = index.refresh(dir.path(), {dir.filePath("missing.dic")}, user);
    QCOMPARE(errors.size(), 1);
    QVERIFY(index.suggest(QStringLiteral("Prints")).isEmpty());
}

QTEST_GUILESS_MAIN(TestSuggestions)
#include "tst_suggestions.moc"
