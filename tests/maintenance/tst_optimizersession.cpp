#include "maintenance/OptimizerSession.h"

#include <QTest>

using namespace kvarsel;

namespace {

using Pending = OptimizerSession::Pending;
using Caption = OptimizerSession::ListCaption;

CurrentDictionary dictionaryOf(const QStringList& rowsFrom2)
{
    CurrentDictionary d;
    d.Assign(QStringList{QString(), QString()} + rowsFrom2);
    return d;
}

QStringList rowsFrom2(const CurrentDictionary& d) { return d.rows().mid(2); }

// Records what a pass shows while it runs.
class RecordingFeedback : public OptimizerFeedback {
public:
    int busyDepth = 0;
    qsizetype maximum = -1;
    qsizetype progress = -1;
    int repaints = 0;
    int windowRepaints = 0;
    QStringList clipboard;

    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void setProgressMaximum(qsizetype m) override { maximum = m; }
    void setProgress(qsizetype v) override { progress = v; }
    void repaintNow(bool withMain) override { ++(withMain ? repaints : windowRepaints); }
    void setClipboardText(const QString& text) override { clipboard << text; }
};

struct Fixture {
    CurrentDictionary d;
    RecordingFeedback feedback;
    OptimizerSession session{d};
    explicit Fixture(const QStringList& rows) : d(dictionaryOf(rows)) { session.setFeedback(&feedback); }
};

const QStringList kFileGroup{"File", "Файл", "File", "Документ", "File", "Файл"};

} // namespace

class OptimizerSessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- PrepareDictionary ----

    void cutToText_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("cut");
        QTest::newRow("menu accelerator and dots") << "&Open..."
                                                   << "Open";
        QTest::newRow("trailing number") << "Level 2"
                                         << "Level";
        QTest::newRow("leading number") << "1. Файл"
                                        << "Файл";
        QTest::newRow("only signs stays") << "123"
                                          << "123";
        QTest::newRow("leading percent kept") << "%d files"
                                              << "%d files";
        QTest::newRow("trailing percent cut") << "Done 100%"
                                              << "Done";
        QTest::newRow("closing bracket kept") << "(default):"
                                              << "(default)";
        QTest::newRow("quotes and marks") << "\"Hello!\""
                                          << "Hello";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cutToText()
    {
        QFETCH(QString, row);
        QFETCH(QString, cut);
        QCOMPARE(kvarsel::cutToText(row), cut);
    }

    void prepareTrimsAndCutsEveryRow()
    {
        Fixture f({"  &Open...", "Открыть: ", "Level 2", "1. Уровень", "123", "  "});
        f.session.PrepareDictionary();
        QVERIFY(f.session.prepared());
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть", "Level", "Уровень", "123", ""}));
        QCOMPARE(f.feedback.busyDepth, 0);
        QCOMPARE(f.feedback.progress, 0);
    }

    void preparationRunsOnlyOnce()
    {
        Fixture f({"Open", "Открыть"});
        QVERIFY(!f.session.continueOptimization());
        f.d.Append("Save...");
        f.d.Append("Сохранить...");
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.d.Row(4), QString("Save..."));
    }

    void repaintsEvery36Rows()
    {
        QStringList rows;
        for (int i = 0; i < 70; ++i)
            rows << "x";
        Fixture f(rows); // 72 rows, two loops of 72 steps
        f.session.PrepareDictionary();
        QCOMPARE(f.feedback.repaints, 4);
    }

    // ---- FindDuplicates ----

    void exactRepeatIsBlankedWithoutAChoice()
    {
        Fixture f({"Open", "Открыть", "open ", "открыть", "Save", "Сохранить"});
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть", "", "", "Save", "Сохранить"}));
        QVERIFY(f.session.listRows().isEmpty());
        QVERIFY(f.session.phrase().isEmpty());
        f.session.exit();
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть", "Save", "Сохранить"}));
    }

    void differingTranslationsOfferAChoice()
    {
        Fixture f(kFileGroup);
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.phrase(), QString("File"));
        QCOMPARE(f.session.listRows(), (QStringList{"Файл", "Документ"}));
        QCOMPARE(f.session.groupRows(), (QList<qsizetype>{2, 4}));
        QCOMPARE(f.session.selected(), -1);
        QCOMPARE(f.session.entryRow(), 2);
        // The third entry repeats the first exactly and is already gone.
        QCOMPARE(rowsFrom2(f.d), (QStringList{"File", "Файл", "File", "Документ", "", ""}));
        QCOMPARE(f.feedback.clipboard.last(), QString("File"));
        QCOMPARE(f.feedback.busyDepth, 0);
    }

    void useSelectedKeepsTheSelectedEntry()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        f.session.setSelected(1);
        QVERIFY(!f.session.useSelected());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(rowsFrom2(f.d), (QStringList{"", "", "File", "Документ", "", ""}));
        QVERIFY(f.session.listRows().isEmpty());
        QVERIFY(f.session.phrase().isEmpty());
        f.session.exit();
        QCOMPARE(rowsFrom2(f.d), (QStringList{"File", "Документ"}));
    }

    void useSelectedWithNothingSelectedBlanksTheWholeGroup()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        QVERIFY(!f.session.useSelected());
        QCOMPARE(rowsFrom2(f.d), (QStringList{"", "", "", "", "", ""}));
        f.session.exit();
        QCOMPARE(f.d.rows(), (QStringList{"", ""}));
    }

    void newValueReplacesTheCurrentTranslation()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        f.session.setSelected(1); // the selection does not matter here
        f.session.setNewValue("  Папка ");
        QVERIFY(!f.session.useNewValue());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(rowsFrom2(f.d), (QStringList{"File", "Папка", "", "", "", ""}));
        QVERIFY(f.session.newValue().isEmpty());
    }

    void blankNewValueDoesNothing()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        f.session.setNewValue("   ");
        QVERIFY(!f.session.useNewValue());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.listRows(), (QStringList{"Файл", "Документ"}));
        QCOMPARE(f.session.newValue(), QString("   "));
    }

    void clickCopiesAndDoubleClickUsesTheCandidate()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        f.session.candidateClicked(1);
        QCOMPARE(f.session.newValue(), QString("Документ"));
        QCOMPARE(f.session.selected(), 1);
        QVERIFY(!f.session.candidateDoubleClicked(1));
        QCOMPARE(rowsFrom2(f.d), (QStringList{"", "", "File", "Документ", "", ""}));
        QVERIFY(f.session.newValue().isEmpty());
        // Without a pending choice neither does anything.
        f.session.candidateClicked(0);
        QVERIFY(!f.session.candidateDoubleClicked(0));
        QVERIFY(f.session.newValue().isEmpty());
        QCOMPARE(rowsFrom2(f.d), (QStringList{"", "", "File", "Документ", "", ""}));
    }

    void theChoiceGoesOnToTheNextGroup()
    {
        Fixture f(kFileGroup + QStringList{"Edit", "Правка", "Edit", "Изменить"});
        f.session.continueOptimization();
        f.session.setSelected(0);
        QVERIFY(!f.session.useSelected());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.phrase(), QString("Edit"));
        QCOMPARE(f.session.listRows(), (QStringList{"Правка", "Изменить"}));
        QCOMPARE(f.session.groupRows(), (QList<qsizetype>{8, 10}));
        QCOMPARE(f.session.selected(), -1);
    }

    void longerPhraseGivesTheEntryUp()
    {
        const QStringList rows{"Open", "Открыть", "Open file", "Открыть файл", "Open", "Раскрыть"};
        Fixture f(rows);
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(rowsFrom2(f.d), rows);
        QCOMPARE(f.session.entryRow(), 8);
    }

    void prefixOnATranslationRowGivesTheEntryUp()
    {
        const QStringList rows{"Stop", "Стоп", "Ok", "Stop", "Stop", "Остановить"};
        Fixture f(rows);
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(rowsFrom2(f.d), rows);
    }

    void emptyTranslationIsNeverAnExactRepeat()
    {
        Fixture f({"File", "   ", "File", "Файл", "File", ""});
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.listRows(), (QStringList{"", "Файл", ""}));
        QCOMPARE(f.session.groupRows(), (QList<qsizetype>{2, 4, 6}));
    }

    void secondPassStartsTwoRowsAfterTheLastPosition()
    {
        Fixture f({"A1", "А1", "A2", "А2", "A3", "А3", "A4", "А4"});
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.entryRow(), 10);
        for (const char* row :
             {"Copy", "Копия", "Copy", "Копировать", "Paste", "Вставить", "Paste", "Вклеить"})
            f.d.Append(row);
        QVERIFY(!f.session.continueOptimization());
        // Row 10 was passed over: "Copy" at 12 has no later namesake, "Paste" does.
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.phrase(), QString("Paste"));
        QCOMPARE(f.session.groupRows(), (QList<qsizetype>{14, 16}));
    }

    void aPassWithNothingToExamineStillMovesOn()
    {
        Fixture f({"A1", "А1"});
        f.session.continueOptimization();
        QCOMPARE(f.session.entryRow(), 4);
        f.session.continueOptimization();
        QCOMPARE(f.session.entryRow(), 6);
    }

    void sourceOnTheLastRowEndsThePassQuietly()
    {
        Fixture f({"Open", "Открыть", "Save"});
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(f.session.entryRow(), 4);
        QVERIFY(f.session.listRows().isEmpty());
        QCOMPARE(f.feedback.progress, 0);
        QCOMPARE(f.feedback.busyDepth, 0);

        Fixture g({"Open", "Открыть", "Open"});
        QVERIFY(!g.session.continueOptimization());
        QCOMPARE(g.session.entryRow(), 2);
        QVERIFY(g.session.listRows().isEmpty());
        QVERIFY(g.session.groupRows().isEmpty());
    }

    void hundredCandidatesStillOfferAChoice()
    {
        QStringList rows;
        for (int i = 0; i <= OptimizerSession::kMaxCandidates; ++i)
            rows << "Go" << QString("Иди %1 раз").arg(i);
        Fixture f(rows);
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.listRows().size(), 101);
    }

    void moreThanHundredCandidatesFail()
    {
        QStringList rows{"Open", "Открыть"};
        for (int i = 0; i <= OptimizerSession::kMaxCandidates + 1; ++i)
            rows << "Go" << QString("Иди %1 раз").arg(i);
        Fixture f(rows);
        const auto failure = f.session.continueOptimization();
        QVERIFY(failure.has_value());
        QCOMPARE(failure->number, OptimizerSession::kTooManyTranslations);
        QCOMPARE(f.session.entryRow(), 4);
        QCOMPARE(f.session.pending(), Pending::None);
        // The group is dropped, so the next pass starts with an empty list.
        QVERIFY(f.session.listRows().isEmpty());
        QVERIFY(f.session.groupRows().isEmpty());
        QVERIFY(f.session.phrase().isEmpty());
        QCOMPARE(f.feedback.progress, 0);
        QCOMPARE(f.feedback.busyDepth, 0);
        const QStringList lines = optimizerFailureText(*failure).split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString("В модуле оптимизации произошла ошибка №  1"));
        QVERIFY(lines[1].contains("Go"));
        QCOMPARE(lines[2], QString("Сейчас произойдет выход из процедуры оптимизации."));
    }

    void groupRowsBeyondSixteenBits()
    {
        QStringList rows{"Zed", "Зед"};
        while (rows.size() < 40000)
            rows << QString();
        rows << "Zed"
             << "Зет";
        Fixture f(rows);
        QVERIFY(!f.session.continueOptimization());
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.groupRows(), (QList<qsizetype>{2, 40002}));
        f.session.setSelected(1);
        QVERIFY(!f.session.useSelected());
        QCOMPARE(f.d.Row(40003), QString("Зет"));
        QCOMPARE(f.d.Row(3), QString());
    }

    void buttonsDoNothingWhileAChoiceIsPending()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        const QStringList before = f.d.rows();
        QVERIFY(!f.session.continueOptimization());
        f.session.checkForErrors();
        QCOMPARE(f.session.pending(), Pending::Choice);
        QCOMPARE(f.session.listRows(), (QStringList{"Файл", "Документ"}));
        QCOMPARE(f.session.listCaption(), Caption::Candidates);
        QCOMPARE(f.d.rows(), before);
    }

    void exitDropsAPendingChoice()
    {
        Fixture f(kFileGroup);
        f.session.continueOptimization();
        f.session.exit();
        QCOMPARE(f.session.pending(), Pending::None);
        QVERIFY(f.session.listRows().isEmpty());
        QVERIFY(f.session.groupRows().isEmpty());
        QCOMPARE(rowsFrom2(f.d), (QStringList{"File", "Файл", "File", "Документ"}));
        // A late answer cannot touch the moved rows.
        f.session.setSelected(0);
        QVERIFY(!f.session.useSelected());
        QCOMPARE(rowsFrom2(f.d), (QStringList{"File", "Файл", "File", "Документ"}));
    }

    // ---- CheckAlphabet ----

    void alphabet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("passes");
        QTest::newRow("source with a Cyrillic О") << "Оpen" << 4 << true;
        QTest::newRow("Cyrillic source") << "Файл" << 4 << false;
        QTest::newRow("Latin translation") << "Open" << 5 << false;
        QTest::newRow("number sign translation") << "№ 5" << 5 << true;
        QTest::newRow("empty") << "" << 4 << true;
        QTest::newRow("blanks") << "   " << 5 << true;
        QTest::newRow("digits source") << "123" << 4 << false;
        QTest::newRow("underscore source") << "_" << 4 << true;
        QTest::newRow("Russian translation") << "Открыть" << 5 << true;
    }
    void alphabet()
    {
        QFETCH(QString, text);
        QFETCH(int, row);
        QFETCH(bool, passes);
        QCOMPARE(passesAlphabetCheck(text, row), passes);
    }

    void firstCheckSkipsTheFirstEntry()
    {
        Fixture f({"Файл", "File", "Open", "Открыть"});
        f.session.checkForErrors();
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(f.session.checkRow(), 6);
        QCOMPARE(f.session.listCaption(), Caption::Candidates);
        QCOMPARE(f.feedback.windowRepaints, 1);
    }

    void reportShowsTenRowsAroundRowFourAndDeletesItsEntry()
    {
        Fixture f(
            {"Open", "Открыть", "Файл", "File", "Save", "Сохранить", "Copy", "Копия", "Cut", "Вырезать"});
        f.session.checkForErrors();
        QCOMPARE(f.session.pending(), Pending::Repair);
        QCOMPARE(f.session.checkRow(), 4);
        QCOMPARE(f.session.listCaption(), Caption::Errors);
        QCOMPARE(f.session.listRows(), f.d.rows().mid(0, 10));
        QCOMPARE(f.session.selected(), 4); // the reported row itself
        QCOMPARE(f.session.repairText(), QString("Файл"));
        QCOMPARE(f.session.reportedText(), QString("файл"));
        QCOMPARE(f.feedback.busyDepth, 0);

        // Source and translation go together; every later entry stays paired and passes.
        f.session.deleteRow();
        QCOMPARE(rowsFrom2(f.d),
                 (QStringList{"Open", "Открыть", "Save", "Сохранить", "Copy", "Копия", "Cut", "Вырезать"}));
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(f.session.checkRow(), 10);
    }

    // Rows as the user had them: a duplicate blanked by the pass, then a translation
    // row left in English deleted from the report.
    void deletingAReportedTranslationKeepsTheDictionaryPaired()
    {
        Fixture f({"Open", "Открыть", "Open", "Открыть", "Copy", "Copy", "Cut", "Вырезать"});
        f.session.continueOptimization();
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 7);
        QCOMPARE(f.session.repairText(), QString("Copy"));
        f.session.deleteRow();
        QCOMPARE(f.session.pending(), Pending::None);
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(removed.unpaired, 0);
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть", "Cut", "Вырезать"}));
    }

    void reportNearTheEndShowsOnlyExistingRows()
    {
        Fixture f({"Open", "Открыть", "Save", "Сохранить", "Copy", "Copy"});
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 7);
        QCOMPARE(f.session.listRows(), f.d.rows().mid(2, 6));
        QCOMPARE(f.session.selected(), 5);
    }

    void changeRowWithTheSameTextDoesNothing()
    {
        Fixture f({"Open", "Открыть", "Save", "Save"});
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 5);
        f.session.setRepairText("  SAVE ");
        f.session.changeRow();
        QCOMPARE(f.session.pending(), Pending::Repair);
        QCOMPARE(f.d.Row(5), QString("Save"));
        QCOMPARE(f.session.listRows().size(), 6);
    }

    void changeRowWritesTrimmedTextAndChecksItAgain()
    {
        Fixture f({"Open", "Открыть", "Save", "Save", "Copy", "Copy"});
        f.session.checkForErrors();
        f.session.setRepairText("  Сохранить ");
        f.session.changeRow();
        QCOMPARE(f.d.Row(5), QString("Сохранить"));
        // Row 5 passes now; the next report is row 7.
        QCOMPARE(f.session.checkRow(), 7);
        QCOMPARE(f.session.repairText(), QString("Copy"));
        // Still wrong after the change: reported again at the same row.
        f.session.setRepairText("Kopiya");
        f.session.changeRow();
        QCOMPARE(f.d.Row(7), QString("Kopiya"));
        QCOMPARE(f.session.checkRow(), 7);
        QCOMPARE(f.session.pending(), Pending::Repair);
    }

    void skipRowGoesOnAfterIt()
    {
        Fixture f({"Open", "Открыть", "Save", "Save", "Copy", "Копия"});
        f.session.checkForErrors();
        f.session.skipRow();
        QCOMPARE(f.session.pending(), Pending::None);
        QCOMPARE(f.session.checkRow(), 8);
        QVERIFY(f.session.listRows().isEmpty());
        QCOMPARE(f.session.listCaption(), Caption::Candidates);
    }

    void secondCheckExaminesOnlyRowsAddedSince()
    {
        Fixture f({"Open", "Открыть", "Save", "Сохранить"});
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 6);
        f.d.Replace(4, "Сохранить"); // changed behind the check's position: not examined again
        f.d.Append("Copy");
        f.d.Append("Copy");
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 7);
        QCOMPARE(f.session.repairText(), QString("Copy"));
        f.session.skipRow();
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 8);
        QVERIFY(f.session.listRows().isEmpty());
        QCOMPARE(f.session.listCaption(), Caption::Candidates);
    }

    void exitDropsAPendingReport()
    {
        Fixture f({"Open", "Открыть", "Save", "Save"});
        f.session.checkForErrors();
        f.session.exit();
        QCOMPARE(f.session.pending(), Pending::None);
        QVERIFY(f.session.listRows().isEmpty());
        f.session.deleteRow();
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть", "Save", "Save"}));
        // The next check reports the same row again.
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 5);
    }

    // ---- RemoveEmptyRows ----

    void emptyPairsGoAndEntriesMoveUp()
    {
        Fixture f({"A", "Б", "", "", "C", "Д"});
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(rowsFrom2(f.d), (QStringList{"A", "Б", "C", "Д"}));
        QCOMPARE(removed.removed, 2);
        QCOMPARE(removed.unpaired, 0);
    }

    void removeEmptyRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("source with an empty translation goes whole")
            << QStringList{"Open", "", "Save", "Сохранить", "Copy", "Копия"}
            << QStringList{"Save", "Сохранить", "Copy", "Копия"};
        QTest::newRow("source with an empty translation on the last row")
            << QStringList{"Open", "Открыть", "Save", ""} << QStringList{"Open", "Открыть"};
        QTest::newRow("stray line between a source and its translation")
            << QStringList{"Open", "", "Открыть", "Save", "Сохранить"}
            << QStringList{"Open", "Открыть", "Save", "Сохранить"};
        QTest::newRow("stray line before a source puts the entries back in step")
            << QStringList{"Open", "Открыть", "", "Save", "Сохранить", "Copy", "Копия"}
            << QStringList{"Open", "Открыть", "Save", "Сохранить", "Copy", "Копия"};
    }

    void removeEmptyRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, kept);
        Fixture f(rows);
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(rowsFrom2(f.d), kept);
        QCOMPARE(removed.removed, rows.size() - kept.size());
        QCOMPARE(removed.unpaired, 0);
    }

    void loneEmptySourceAfterACompleteCheck()
    {
        Fixture f({"Open", "Открыть", "Save", "Сохранить", "", "Копия", "Cut", "Вырезать"});
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 10);
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(removed.unpaired, 1);
        QCOMPARE(removed.firstAffectedRow, 6);
        QCOMPARE(removed.firstAffectedText, QString("Копия"));
        QCOMPARE(f.session.checkRow(), 6);
        f.session.checkForErrors();
        QCOMPARE(f.session.checkRow(), 6);
        QCOMPARE(f.session.repairText(), QString("Копия"));
    }

    void trailingEmptyRowWithoutPartnerIsNotUnpaired()
    {
        Fixture f({"Open", "Открыть", ""});
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(removed.removed, 1);
        QCOMPARE(removed.unpaired, 0);
        QCOMPARE(rowsFrom2(f.d), (QStringList{"Open", "Открыть"}));
    }

    void rowsZeroAndOneStay()
    {
        Fixture f({});
        const EmptyRowsRemoved removed = f.session.exit();
        QCOMPARE(removed.removed, 0);
        QCOMPARE(f.d.rows(), (QStringList{"", ""}));
    }
};

QTEST_GUILESS_MAIN(OptimizerSessionTest)
#include "tst_optimizersession.moc"
