#include "maintenance/EditorSearch.h"

#include <QTest>

using namespace kvarsel;

namespace {

CurrentDictionary dictionaryOf(const QStringList& rowsFrom2)
{
    CurrentDictionary d;
    d.Assign(QStringList{QString(), QString()} + rowsFrom2);
    return d;
}

} // namespace

class EditorSearchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void patternIsTrimmedAndCaseFolded()
    {
        const CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Save", "Сохранить"});
        EditorSearch s;
        QCOMPARE(s.search(d, "OPEN "), EditorSearch::Outcome::Hit);
        QCOMPARE(s.pattern(), QString("open"));
        QCOMPARE(s.foundRow(), 2);
        QCOMPARE(s.foundText(), QString("Open"));
        QCOMPARE(s.nextStart(), 4);
        QVERIFY(s.continuing());
        QVERIFY(s.okEnabled());
        // Goes on at row 4 and finds nothing: back to a new search from the top.
        QCOMPARE(s.search(d, "OPEN "), EditorSearch::Outcome::NoHit);
        QVERIFY(!s.continuing());
        QVERIFY(!s.hitShown());
        QVERIFY(s.foundRow() >= d.RowCount());
        QCOMPARE(s.search(d, "OPEN "), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 2);
    }

    void nextStartPassesOverTheRowAfterAHit()
    {
        const CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Save", "Сохранить"});
        EditorSearch s;
        QCOMPARE(s.search(d, "крыть"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 3);
        QCOMPARE(s.nextStart(), 5);

        // Here the passed-over row would have matched.
        const CurrentDictionary twins = dictionaryOf({"File", "File", "File", "Файл"});
        EditorSearch t;
        QCOMPARE(t.search(twins, "file"), EditorSearch::Outcome::Hit);
        QCOMPARE(t.foundRow(), 2);
        QCOMPARE(t.search(twins, "file"), EditorSearch::Outcome::Hit);
        QCOMPARE(t.foundRow(), 4);
        QCOMPARE(t.search(twins, "file"), EditorSearch::Outcome::NoHit);
    }

    void substringAnywhereInTheRow()
    {
        const CurrentDictionary d = dictionaryOf({"File", "Файл", "Profile", "Профиль"});
        EditorSearch s;
        QCOMPARE(s.search(d, "file"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 2);
        QCOMPARE(s.search(d, "file"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 4);
        QCOMPARE(s.foundText(), QString("Profile"));
    }

    void emptyPatternBoxDoesNothingWhateverTheCaption()
    {
        const CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Open", "Раскрыть"});
        EditorSearch s;
        QCOMPARE(s.search(d, ""), EditorSearch::Outcome::Ignored);
        QVERIFY(!s.continuing());
        QCOMPARE(s.nextStart(), 0);
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.search(d, ""), EditorSearch::Outcome::Ignored);
        QVERIFY(s.continuing());
        QCOMPARE(s.nextStart(), 4);
        QCOMPARE(s.foundRow(), 2);
        QCOMPARE(s.pattern(), QString("open"));
    }

    void blankPatternMatchesTheFirstNonEmptyRow()
    {
        const CurrentDictionary d = dictionaryOf({"", "", "Save", "Сохранить"});
        EditorSearch s;
        QCOMPARE(s.search(d, "   "), EditorSearch::Outcome::Hit);
        QCOMPARE(s.pattern(), QString());
        QCOMPARE(s.foundRow(), 4);
    }

    void continuedSearchUsesTheNewPatternFromTheNextStart()
    {
        const CurrentDictionary d =
            dictionaryOf({"Save", "Сохранить", "Open", "Открыть", "Save as", "Сохранить как"});
        EditorSearch s;
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 4);
        // "Найти далее" with another pattern goes on from row 6, not from the top.
        QCOMPARE(s.search(d, "save"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 6);
    }

    void okWritesTheChangeBoxAsItStands()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Open file", "Открыть файл"});
        EditorSearch s;
        QCOMPARE(s.search(d, "открыть"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 3);
        s.changeEdited();
        QVERIFY(s.applyChange(d, " Раскрыть "));
        QCOMPARE(d.Row(3), QString(" Раскрыть "));
        QVERIFY(!s.okEnabled());
        // The window then searches on: row 5 is the next hit.
        QCOMPARE(s.search(d, "открыть"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 5);
    }

    void blankChangeBoxWritesNothing()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть"});
        EditorSearch s;
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::Hit);
        const quint64 before = d.revision();
        QVERIFY(!s.applyChange(d, "   "));
        QVERIFY(!s.applyChange(d, ""));
        QCOMPARE(d.revision(), before);
        QCOMPARE(d.Row(2), QString("Open"));
        QVERIFY(s.okEnabled());
    }

    void nothingIsWrittenWhileNoHitIsShown()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть"});
        EditorSearch s;
        QVERIFY(!s.okEnabled());
        QVERIFY(!s.applyChange(d, "Что-то"));
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::NoHit);
        s.changeEdited();
        QVERIFY(!s.okEnabled());
        const QStringList before = d.rows();
        QVERIFY(!s.applyChange(d, "Что-то"));
        QCOMPARE(d.rows(), before);
    }

    void okEnabledByEditsOnlyWhileAHitIsShown()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть"});
        EditorSearch s;
        s.changeEdited();
        QVERIFY(!s.okEnabled());
        QCOMPARE(s.search(d, "open"), EditorSearch::Outcome::Hit);
        QVERIFY(s.applyChange(d, "Open it"));
        QVERIFY(!s.okEnabled());
        s.changeEdited();
        QVERIFY(s.okEnabled());
        // The same row can be written again.
        QVERIFY(s.applyChange(d, "Open this"));
        QCOMPARE(d.Row(2), QString("Open this"));
    }

    void aHitWhoseRowMovedIsForgotten()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Save", "Сохранить"});
        EditorSearch s;
        QCOMPARE(s.search(d, "save"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 4);
        d.Remove(2); // rows removed while the editor was hidden
        s.revalidate(d);
        QVERIFY(!s.hitShown());
        QVERIFY(!s.okEnabled());
        s.changeEdited();
        const QStringList before = d.rows();
        QVERIFY(!s.applyChange(d, "Save all"));
        QCOMPARE(d.rows(), before);
        // The search position survives.
        QVERIFY(s.continuing());
        QCOMPARE(s.nextStart(), 6);
    }

    void aHitBeyondTheLastRowIsNeverWritten()
    {
        CurrentDictionary d = dictionaryOf({"Open", "Открыть", "Save", "Сохранить"});
        EditorSearch s;
        QCOMPARE(s.search(d, "сохранить"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 5);
        d.Remove(5);
        QVERIFY(!s.applyChange(d, "Записать"));
        QCOMPARE(d.RowCount(), 5);
    }

    void rowsBeyondSixteenBits()
    {
        QStringList rows;
        for (int i = 0; i < 40000; ++i)
            rows << QString("Phrase %1").arg(i);
        CurrentDictionary d = dictionaryOf(rows);
        EditorSearch s;
        QCOMPARE(s.search(d, "phrase 39999"), EditorSearch::Outcome::Hit);
        QCOMPARE(s.foundRow(), 40001);
        QVERIFY(s.applyChange(d, "Last phrase"));
        QCOMPARE(d.Row(40001), QString("Last phrase"));
    }

    void findContainingSkipsEmptyRows()
    {
        const CurrentDictionary d = dictionaryOf({"", "x"});
        QCOMPARE(findContaining(d, QString(), 0), 3);
        QCOMPARE(findContaining(d, "x", 4), -1);
    }
};

QTEST_GUILESS_MAIN(EditorSearchTest)
#include "tst_editorsearch.moc"
