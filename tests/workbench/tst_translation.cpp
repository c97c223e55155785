// Automatic translation, row handlers and manual translation, without a display.
#include "TestUtil.h"
#include "deferred/BilingualReview.h"
#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"
#include "workbench/Propagation.h"
#include "workbench/RowHandlers.h"
#include "workbench/StatusPanels.h"
#include "workbench/StorageCheck.h"
#include "workspace/ResourceSaver.h"

#include <QSignalSpy>
#include <QThread>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// Rows of the undo table beyond the three roads: a second translation of the same phrase.
constexpr int kManualCorrection = 10;
constexpr int kReviewCorrection = 11;

void fill(LineStore& store, const QStringList& texts)
{
    store.AppendFileMarker(QStringLiteral("/nowhere/x.rc"));
    for (const QString& t : texts)
        store.AppendRow(QStringLiteral("H\""), t, QStringLiteral("\"T"));
}

// Everything a step may change, to compare before and after.
QStringList snapshot(Project& state)
{
    QStringList all = state.dictionary().rows();
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& s = state.store(kind);
        for (qsizetype i = 0; i < s.RowCount(); ++i)
            all << s.ComposedLine(i) + QLatin1Char('|') + s.Text(i) + QLatin1Char('|') +
                       s.data(s.index(int(i)), LineStore::OriginalTextRole).toString();
    }
    return all;
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void earlierDictionaryWins()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"File", "Файл", "OK", "OK", "Exit", "Exit!"}));
        QVERIFY(writeLinesRaw(dir.filePath("b.dic"), {"File", "Документ", "OK", "Хорошо", "Exit", "Выход"}));
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Mine", "Моё"}));
        Project state(dir.path());
        fill(state.store(ResourceKind::Menu), {"File", "ok", "Exit", "Edit", ""});
        state.setConnectedDictionaries({dir.filePath("a.dic"), dir.filePath("b.dic")});
        StatusPanels panels(state);
        QStringList panel7;
        QObject::connect(&panels, &StatusPanels::changed, [&] {
            if (panel7.isEmpty() || panel7.last() != panels.dictionaryText())
                panel7 << panels.dictionaryText();
        });
        QSignalSpy notices(&state.store(ResourceKind::Menu), &LineStore::dataChanged);
        const AutoTranslationResult r = runAutomaticTranslation(state, false, panels.showing({}));
        QVERIFY(r.ran && r.errors.isEmpty());
        // The views hear of the new texts once, as the range of rows that changed.
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices[0][0].value<QModelIndex>().row(), 1);
        QCOMPARE(notices[0][1].value<QModelIndex>().row(), 3);
        QCOMPARE(r.untranslatedRows, 1); // "Edit"
        const LineStore& m = state.store(ResourceKind::Menu);
        QCOMPARE(m.Text(1), QStringLiteral("Файл")); // the second pass skips Cyrillic
        // "ok" became "oK" (Latin, first letter kept lower) and is looked up again.
        QCOMPARE(m.Text(2), QStringLiteral("хорошо"));
        // "Exit!" is looked up again too, but the later dictionary does not know it.
        QCOMPARE(m.Text(3), QStringLiteral("Exit!"));
        QCOMPARE(m.Text(4), QStringLiteral("Edit"));
        QCOMPARE(r.translatedByDictionary, (QList<qsizetype>{3, 1}));
        QVERIFY(state.resourcesChanged());
        QCOMPARE(panels.modeText(), QStringLiteral("Ручной перевод"));
        QCOMPARE(panels.dictionaryText(), QStringLiteral("Пользовательский словарь"));
        QCOMPARE(state.dictionary().rows(), (QStringList{"", "", "Mine", "Моё"}));
        QVERIFY(panel7.contains("Словарь № 2 из  2 используемых"));
    }

    void progressValues()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"x", "y"}));
        Project state(dir.path());
        const auto rows = [](LineStore& s, int n) {
            for (int i = 0; i < n; ++i)
                s.AppendRow(QString(), QStringLiteral("t%1").arg(i), QString());
        };
        rows(state.store(ResourceKind::Menu), 10);
        rows(state.store(ResourceKind::String), 5);
        rows(state.store(ResourceKind::RcData), 3);
        state.setConnectedDictionaries({dir.filePath("a.dic"), dir.filePath("a.dic")});
        qsizetype maximum = -1;
        QList<qsizetype> values;
        QStringList modes;
        StatusPanels panels(state);
        QObject::connect(&panels, &StatusPanels::changed, [&] {
            if (modes.isEmpty() || modes.last() != panels.modeText())
                modes << panels.modeText();
        });
        AutoTranslationCallbacks callbacks;
        callbacks.progressMaximum = [&](qsizetype m) { maximum = m; };
        callbacks.progressValue = [&](qsizetype v) { values << v; };
        runAutomaticTranslation(state, false, panels.showing(callbacks));
        QCOMPARE(maximum, 22);
        QList<qsizetype> pass;
        for (int v = 0; v <= 17; ++v)
            pass << v;
        QCOMPARE(values, pass + pass + QList<qsizetype>{0});
        QVERIFY(!modes.contains("Перевод Dialog"));
        QCOMPARE(modes.mid(0, 4),
                 (QStringList{"Автоматический перевод", "Перевод Menu", "Перевод String", "Перевод RcData"}));
    }

    // A repaint after each dictionary; between them one at every 36th row, counted
    // on across kinds and passes, once 30 ms have passed since the last one (the
    // rows here take a millisecond each).
    void repaints_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("dictionaries");
        QTest::addColumn<int>("repaints");
        QTest::newRow("fewer than 36 rows in all") << 10 << 3 << 3;
        QTest::newRow("the 36th row, not the 35th") << 71 << 1 << 2;
        QTest::newRow("the 36th row, not the 37th") << 36 << 2 << 4;
        QTest::newRow("rows counted on into the next pass") << 40 << 2 << 4;
    }
    void repaints()
    {
        QFETCH(int, rows);
        QFETCH(int, dictionaries);
        QFETCH(int, repaints);
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"x", "y"}));
        Project state(dir.path());
        for (int i = 0; i < rows; ++i)
            state.store(ResourceKind::Menu).AppendRow(QString(), QStringLiteral("t%1").arg(i), QString());
        state.setConnectedDictionaries(QStringList(dictionaries, dir.filePath("a.dic")));
        int painted = 0;
        AutoTranslationCallbacks callbacks;
        callbacks.repaint = [&] { ++painted; };
        callbacks.progressValue = [](qsizetype) { QThread::msleep(1); };
        runAutomaticTranslation(state, false, callbacks);
        QCOMPARE(painted, repaints);
    }

    // Hide mode: rows show empty, and the saved lines equal those of show mode.
    void hideModeWritesSameLines()
    {
        QByteArray written[2];
        for (int hide = 0; hide < 2; ++hide) {
            QTemporaryDir dir;
            QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"Open", "Открыть", "Save", "Сохранить"}));
            QVERIFY(
                writeLinesRaw(dir.filePath("res/menu/m.rc"),
                              {"MENUITEM \"&Open...\"", "MENUITEM \"Save\\tCtrl+S\"", "MENUITEM \"Quit\""}));
            Project state(dir.path());
            state.setHideMode(hide ? HideMode::Hide : HideMode::Show);
            loadResources(dir.filePath("res"), state.stores(), false);
            state.setConnectedDictionaries({dir.filePath("a.dic")});
            runAutomaticTranslation(state, false);
            const LineStore& m = state.store(ResourceKind::Menu);
            QCOMPARE(m.Text(1), hide ? QString() : QStringLiteral("Открыть"));
            if (hide)
                QVERIFY(m.Head(1).endsWith(QStringLiteral("Открыть")));
            QVERIFY(saveResources(std::as_const(state).stores()).errors.isEmpty());
            written[hide] = readBytes(dir.filePath("res/menu/m.rc"));
        }
        QCOMPARE(written[1], written[0]);
        QCOMPARE(written[0], cp1251Lines({"MENUITEM \"Открыть...\"", "MENUITEM \"Сохранить\\tCtrl+S\"",
                                          "MENUITEM \"Quit\""}));
    }

    void unsavedManualWorkIsSavedFirst()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Old", "Старое"}));
        Project state(dir.path());
        state.dictionary().Assign({"", "", "Old", "Старое", "New", "Новое"});
        state.markUserDictionaryChanged();
        fill(state.store(ResourceKind::Menu), {"New"});
        state.setConnectedDictionaries({dir.filePath("User.dic")});
        const AutoTranslationResult r = runAutomaticTranslation(state, true);
        QVERIFY(r.ran);
        QVERIFY(!state.userDictionaryChanged());
        QCOMPARE(readBytes(dir.filePath("User.old")), cp1251Lines({"Old", "Старое"}));
        QCOMPARE(state.store(ResourceKind::Menu).Text(1), QStringLiteral("Новое"));
    }

    void failedSaveStopsTheRun()
    {
        QTemporaryDir dir;
        Project state(dir.path());
        state.dictionary().AppendEntry("New", "Новое");
        state.markUserDictionaryChanged();
        fill(state.store(ResourceKind::Menu), {"New"});
        std::optional<AutoTranslationResult> run;
        {
            const FileSizeLimit limit(8); // User.dic cannot be written: the kernel says EFBIG
            run = runAutomaticTranslation(state, false);
        }
        const AutoTranslationResult& r = *run;
        QVERIFY(!r.ran);
        QCOMPARE(r.errors.size(), 1);
        // The manual entry is still in memory and still marked for saving.
        QVERIFY(state.userDictionaryChanged());
        QCOMPARE(state.dictionary().RowCount(), 4);
        QCOMPARE(state.store(ResourceKind::Menu).Text(1), QStringLiteral("New"));
    }

    // The user dictionary in memory after a run is what User.dic holds: kept when
    // it still equals the file, loaded again when the file changed meanwhile.
    void userDictionaryAfterTheRun_data()
    {
        QTest::addColumn<QStringList>("fileDuringRun"); // empty: the file is left alone
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("file unchanged") << QStringList() << QStringList{"", "", "Mine", "Моё"};
        QTest::newRow("file replaced") << QStringList{"Mine", "Моё", "Ours", "Наше"}
                                       << QStringList{"", "", "Mine", "Моё", "Ours", "Наше"};
    }
    void userDictionaryAfterTheRun()
    {
        QFETCH(QStringList, fileDuringRun);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"File", "Файл"}));
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Mine", "Моё"}));
        Project state(dir.path());
        QVERIFY(!LoadUserDictionary(dir.path(), state.dictionary()));
        if (!fileDuringRun.isEmpty())
            QVERIFY(writeLinesRaw(dir.filePath("User.dic"), fileDuringRun));
        const quint64 revision = state.dictionary().revision();
        fill(state.store(ResourceKind::Menu), {"File"});
        state.setConnectedDictionaries({dir.filePath("a.dic")});
        QVERIFY(runAutomaticTranslation(state, false).errors.isEmpty());
        QCOMPARE(state.dictionary().rows(), expected);
        QCOMPARE(state.dictionary().revision() == revision, fileDuringRun.isEmpty());
    }

    void unreadableDictionaryIsReportedOthersRun()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("b.dic"), {"Open", "Открыть"}));
        Project state(dir.path());
        fill(state.store(ResourceKind::Dialog), {"Open"});
        state.setConnectedDictionaries({dir.filePath("gone.dic"), dir.filePath("b.dic")});
        const AutoTranslationResult r = runAutomaticTranslation(state, false);
        QCOMPARE(r.errors.size(), 1);
        QVERIFY(r.errors[0].path.endsWith("gone.dic"));
        QCOMPARE(state.store(ResourceKind::Dialog).Text(1), QStringLiteral("Открыть"));
        // No user dictionary: the two empty rows.
        QCOMPARE(state.dictionary().rows(), (QStringList{"", ""}));
    }

    void selectionHandler()
    {
        Project state(QDir::tempPath());
        const StatusPanels panels(state);
        fill(state.store(ResourceKind::Menu), {"Open", "", "Save", "Exit"});
        SelectionEffect e = handleRowSelection(state, ResourceKind::Menu, 1);
        QVERIFY(e.handled);
        QCOMPARE(e.clipboardText, std::optional<QString>(QStringLiteral("Open")));
        QCOMPARE(panels.rowNumberText(), QStringLiteral(" 2"));
        // The same row again: nothing.
        QVERIFY(!handleRowSelection(state, ResourceKind::Menu, 1).handled);
        e = handleRowSelection(state, ResourceKind::Menu, 2);
        QVERIFY(e.handled && !e.clipboardText); // empty text clears the clipboard
        // After a tab switch wrote "5" for row 4, clicking row 4 changes nothing.
        state.setHandledRow(5, false);
        QVERIFY(!handleRowSelection(state, ResourceKind::Menu, 4).handled);
        state.setHandledRow(11, false);
        handleRowSelection(state, ResourceKind::Menu, 0);
        QCOMPARE(state.handledRow(), 1);
        // Outside manual mode nothing happens.
        state.setMode(TranslationMode::Deferred);
        QVERIFY(!handleRowSelection(state, ResourceKind::Menu, 3).handled);
        QVERIFY(!handleRowDoubleClick(state, ResourceKind::Menu, 3, QString()).open);
        QVERIFY(!state.resourcesChanged());
    }

    void tabSwitchPanels_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("rowPanel");
        QTest::addColumn<qsizetype>("remaining");
        QTest::newRow("empty list") << 0 << -1 << "0" << qsizetype(0);
        QTest::newRow("one row, none selected") << 1 << -1 << "0" << qsizetype(0);
        QTest::newRow("row 11 selected") << 20 << 11 << "12" << qsizetype(19);
    }
    void tabSwitchPanels()
    {
        QFETCH(int, rows);
        QFETCH(int, selected);
        QFETCH(QString, rowPanel);
        QFETCH(qsizetype, remaining);
        Project state(QDir::tempPath());
        for (int i = 0; i < rows; ++i)
            state.store(ResourceKind::RcData).AppendRow(QString(), QStringLiteral("t"), QString());
        StatusPanels panels(state);
        state.setHandledRow(5, true);
        panels.switchTab(ResourceKind::RcData, selected);
        QCOMPARE(state.currentKind(), ResourceKind::RcData);
        QCOMPARE(panels.rowNumberText(), rowPanel); // no leading blank after a tab switch
        QCOMPARE(panels.remainingRows(), remaining);
    }

    // A run that begins shows its mode, even the mode already set, never the last
    // run's last step (an import after an export in the same session).
    void modePanelStartsEachRunAfresh()
    {
        Project project(QDir::tempPath());
        StatusPanels panels(project);
        project.setMode(TranslationMode::Deferred);
        panels.setStep(QStringLiteral("Подготовка списка"));
        QCOMPARE(panels.modeText(), QStringLiteral("Подготовка списка"));
        project.setMode(TranslationMode::Deferred);
        QCOMPARE(panels.modeText(), QStringLiteral("Отложенный перевод"));
        QVERIFY(!project.isManualMode());
    }

    void doubleClickProposal_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("translation on the clipboard") << "Открыть"
                                                      << "Открыть";
        QTest::newRow("row text on the clipboard") << "Open"
                                                   << "Open";
        QTest::newRow("empty clipboard") << ""
                                         << "";
    }
    void doubleClickProposal()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, proposal);
        Project state(QDir::tempPath());
        fill(state.store(ResourceKind::Menu), {"Open"});
        const ManualTranslationRequest r = handleRowDoubleClick(state, ResourceKind::Menu, 1, clipboard);
        QVERIFY(r.open);
        QCOMPARE(r.phrase, QStringLiteral("Open"));
        QCOMPARE(r.proposal, proposal);
        QVERIFY(state.resourcesChanged() && state.userDictionaryChanged());
        QCOMPARE(StatusPanels(state).rowNumberText(), QStringLiteral(" 2"));
    }

    void propagation_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::newRow("show") << false;
        QTest::newRow("hide") << true;
    }
    void propagation()
    {
        QFETCH(bool, hide);
        Project state(QDir::tempPath());
        state.setHideMode(hide ? HideMode::Hide : HideMode::Show);
        fill(state.store(ResourceKind::Menu), {"Open", "OPEN", "Open...", "", "Opened"});
        fill(state.store(ResourceKind::Dialog), {"open"});
        state.setHandledRow(2, true);
        const ManualTranslationOutcome out = confirmManualTranslation(state, "Open", "Открыть");
        QVERIFY(out.recorded);
        QCOMPARE(out.rowsChanged, 3);
        QCOMPARE(state.dictionary().rows(), (QStringList{"", "", "Open", "Открыть"}));
        const LineStore& m = state.store(ResourceKind::Menu);
        const LineStore& d = state.store(ResourceKind::Dialog);
        const QString shown = hide ? QString() : QStringLiteral("Открыть");
        QCOMPARE(m.Text(1), shown);
        QCOMPARE(m.Text(2), shown);
        QCOMPARE(d.Text(1), shown);
        QCOMPARE(m.Text(3), QStringLiteral("Open..."));
        QCOMPARE(m.ComposedLine(1), QStringLiteral("H\"Открыть\"T"));
        QCOMPARE(m.ComposedLine(4), QStringLiteral("H\"\"T")); // empty rows are never touched
        QCOMPARE(m.ComposedLine(0), QStringLiteral("Файл = /nowhere/x.rc"));
        // Next row with text below row 1 (panel 3 reads 2): row 2 in show mode, row 3 when hidden.
        QCOMPARE(out.nextRow, hide ? 3 : 2);
    }

    // A manual translation, then a step of each road; undo takes them back one by
    // one, rows, heads, the loaded text shown beside them and the dictionary's
    // entries alike, and redo does them again.
    void undoAndRedo_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<bool>("hide");
        for (const bool hide : {false, true}) {
            const char* mode = hide ? ", hide mode" : "";
            QTest::addRow("manual%s", mode) << int(TranslationRoad::Manual) << hide;
            QTest::addRow("review%s", mode) << int(TranslationRoad::Review) << hide;
            QTest::addRow("automatic%s", mode) << int(TranslationRoad::Automatic) << hide;
            // The same phrase once more: the entry is corrected in place, and the
            // rows translated from it follow.
            QTest::addRow("manual correction%s", mode) << kManualCorrection << hide;
            QTest::addRow("review correction%s", mode) << kReviewCorrection << hide;
        }
    }
    void undoAndRedo()
    {
        QFETCH(int, road);
        QFETCH(bool, hide);
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {"Save", "Сохранить", "Exit", "Выход"}));
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Mine", "Моё"}));
        Project state(dir.path());
        QVERIFY(!LoadUserDictionary(dir.path(), state.dictionary()));
        state.history().setEnabled(true);
        state.setHideMode(hide ? HideMode::Hide : HideMode::Show);
        state.setConnectedDictionaries({dir.filePath("a.dic")});
        fill(state.store(ResourceKind::Menu), {"Open", "Save", "Exit"});
        fill(state.store(ResourceKind::Dialog), {"open", "Save"});
        const QStringList loaded = snapshot(state);

        state.switchTab(ResourceKind::Menu, 0); // the user works on row 1 ("Open")
        state.setHandledRow(2, true);
        QVERIFY(confirmManualTranslation(state, "Open", "Отрыть").recorded);
        state.markUserDictionaryChanged(); // as the double click did
        const QStringList afterManual = snapshot(state);
        QCOMPARE(state.store(ResourceKind::Dialog)
                     .data(state.store(ResourceKind::Dialog).index(1), Qt::ToolTipRole),
                 QVariant(QStringLiteral("Переведено вручную\nБыло: open")));
        // A hidden row shows nothing, its loaded English included.
        const LineStore& menu = state.store(ResourceKind::Menu);
        QCOMPARE(menu.data(menu.index(1), LineStore::OriginalTextRole).toString(),
                 hide ? QString() : QStringLiteral("Open"));
        std::optional<HistoryPlace> secondPlace;
        if (road == int(TranslationRoad::Manual)) {
            state.switchTab(ResourceKind::Dialog, 1);
            QVERIFY(confirmManualTranslation(state, "Save", "Сохранить").recorded);
            secondPlace = HistoryPlace{ResourceKind::Dialog, 1};
        } else if (road == int(TranslationRoad::Review)) {
            BilingualReview review;
            review.Reset({"Save", "Сохранить", "Exit", "Выход"});
            QVERIFY(review.Accept(state, "Сохранить"));
            secondPlace = HistoryPlace{ResourceKind::Menu, 2}; // the first row it changed
        } else if (road == int(TranslationRoad::Automatic)) {
            QVERIFY(runAutomaticTranslation(state, false, {}).ran);
            secondPlace = HistoryPlace{ResourceKind::Menu, 1}; // the row selected then
        } else {
            const qsizetype rowsBefore = state.dictionary().RowCount();
            if (road == kManualCorrection) {
                // Hidden in hide mode, the row is not offered again; shown, it offers its loaded text.
                const ManualTranslationRequest request =
                    handleRowDoubleClick(state, ResourceKind::Menu, 1, QStringLiteral("Отрыть"));
                QCOMPARE(request.phrase, hide ? QString() : QStringLiteral("Open"));
                QVERIFY(confirmManualTranslation(state, "Open", "Открыть").recorded);
            } else {
                BilingualReview review;
                review.Reset({"OPEN", "Открыть"});
                QVERIFY(review.Accept(state, "Открыть"));
            }
            // A review step is shown from the first row it changed; hidden rows change none.
            if (road == kManualCorrection || !hide)
                secondPlace = HistoryPlace{ResourceKind::Menu, 1};
            QCOMPARE(state.dictionary().RowCount(), rowsBefore);
            QCOMPARE(state.dictionary().rows().mid(2), (QStringList{"Mine", "Моё", "Open", "Открыть"}));
            if (!hide) // hidden rows keep the translation they carry
                QCOMPARE(state.store(ResourceKind::Dialog).Text(1), QStringLiteral("Открыть"));
        }
        const QStringList afterSecond = snapshot(state);
        QVERIFY(afterSecond != afterManual);

        QVERIFY(state.history().canUndo());
        const auto undone = state.history().undo();
        QCOMPARE(undone.has_value(), secondPlace.has_value());
        if (undone) {
            QCOMPARE(undone->kind, secondPlace->kind);
            QCOMPARE(undone->row, secondPlace->row);
        }
        // The automatic run saved User.dic first; the entries in memory are the same.
        QCOMPARE(snapshot(state), afterManual);
        const auto first = state.history().undo();
        QVERIFY(first && first->kind == ResourceKind::Menu && first->row == 1);
        QCOMPARE(snapshot(state), loaded);
        QVERIFY(!state.history().canUndo());

        QVERIFY(state.history().redo());
        QCOMPARE(snapshot(state), afterManual);
        QVERIFY(state.history().canRedo());
        QCOMPARE(state.history().redo().has_value(), secondPlace.has_value());
        QCOMPARE(snapshot(state), afterSecond);
        QVERIFY(!state.history().canRedo());

        // A new step after an undo forgets what was taken back; a new load forgets everything.
        state.history().undo();
        state.setHandledRow(3, true);
        QVERIFY(confirmManualTranslation(state, "Exit", "Выйти").recorded);
        QVERIFY(!state.history().canRedo());
        QVERIFY(state.history().canUndo());
    }

    void confirmationsThatRecordNothing_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("translation");
        QTest::newRow("unchanged") << "Open"
                                   << "Open";
        QTest::newRow("empty translation") << "Open"
                                           << "";
        QTest::newRow("empty phrase") << ""
                                      << "Открыть";
    }
    void confirmationsThatRecordNothing()
    {
        QFETCH(QString, phrase);
        QFETCH(QString, translation);
        Project state(QDir::tempPath());
        state.setHideMode(HideMode::Hide);
        fill(state.store(ResourceKind::Menu), {"Open", ""});
        const ManualTranslationOutcome out = confirmManualTranslation(state, phrase, translation);
        QVERIFY(!out.recorded);
        QCOMPARE(state.dictionary().RowCount(), 0);
        QCOMPARE(state.store(ResourceKind::Menu).ComposedLine(2), QStringLiteral("H\"\"T"));
        QCOMPARE(state.store(ResourceKind::Menu).Text(1), QStringLiteral("Open"));
    }

    void advanceSkipsEmptyRows()
    {
        Project state(QDir::tempPath());
        fill(state.store(ResourceKind::Menu), {"a1", "a2", "a3", "a4", "Word", "", "", "b8"});
        state.setHandledRow(6, true); // the dialog was opened on row 5
        QCOMPARE(confirmManualTranslation(state, "Word", "Слово").nextRow, 8);
        state.setHandledRow(9, true);
        QCOMPARE(confirmManualTranslation(state, "b8", "б8").nextRow, -1);
    }

    // A translation is refused only for a file it goes to that cannot hold it.
    void refusesOnlyWhatATargetCannotHold_data()
    {
        QTest::addColumn<bool>("userDicUtf8");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("refusedBy"); // file name, empty: accepted
        QTest::newRow("Windows-1251 User.dic") << false << "Open"
                                               << "User.dic";
        QTest::newRow("UTF-8 User.dic and script") << true << "open"
                                                   << "";
        QTest::newRow("Windows-1251 script") << true << "Save"
                                             << "b.rc";
        QTest::newRow("in no script, UTF-8 User.dic") << true << "Help"
                                                      << "";
        QTest::newRow("in no script, Windows-1251 User.dic") << false << "Help"
                                                             << "User.dic";
    }
    void refusesOnlyWhatATargetCannotHold()
    {
        QFETCH(bool, userDicUtf8);
        QFETCH(QString, phrase);
        QFETCH(QString, refusedBy);
        QTemporaryDir dir;
        QVERIFY(userDicUtf8
                    ? writeBytes(dir.filePath("User.dic"), QStringLiteral("Exit\r\nВыход\r\n").toUtf8())
                    : writeLinesRaw(dir.filePath("User.dic"), {"Exit", "Выход"}));
        QVERIFY(writeBytes(dir.filePath("res/menu/a.rc"),
                           QStringLiteral("MENUITEM \"Open\"\r\nMENUITEM \"Выход\"\r\n").toUtf8()));
        QVERIFY(writeLinesRaw(dir.filePath("res/menu/b.rc"), {"MENUITEM \"Save\""}));
        Project state(dir.path());
        QVERIFY(!LoadUserDictionary(dir.path(), state.dictionary()));
        QVERIFY(loadResources(dir.filePath("res"), state.stores(), false).errors.isEmpty());
        const QString translation = QStringLiteral("Перевод ☺");
        const auto refused = unstorableTranslation(state, phrase, translation);
        QCOMPARE(refused ? QFileInfo(refused->path).fileName() : QString(), refusedBy);
        if (refused) {
            QCOMPARE(refused->index, translation.size() - 1);
            QVERIFY(unstorableText(translation, *refused).contains(QStringLiteral("«☺» (U+263A)")));
        }
    }

    // A UTF-8 dictionary's translation that a Windows-1251 script cannot hold is not
    // recorded, so the script still saves; a later dictionary may translate the row.
    void translationAScriptCannotHoldIsLeftOut_data()
    {
        QTest::addColumn<QStringList>("dictionaries");
        QTest::addColumn<QString>("smile");
        QTest::addColumn<qsizetype>("unstorable");
        QTest::newRow("only the UTF-8 one") << QStringList{"a.dic"} << "Smile" << qsizetype(1);
        QTest::newRow("a later one fits") << QStringList{"a.dic", "b.dic"} << "Улыбка" << qsizetype(0);
    }
    void translationAScriptCannotHoldIsLeftOut()
    {
        QFETCH(QStringList, dictionaries);
        QFETCH(QString, smile);
        QFETCH(qsizetype, unstorable);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("a.dic"),
                           QStringLiteral("Smile\r\nУлыбка ☺\r\nOpen\r\nОткрыть\r\n").toUtf8()));
        QVERIFY(writeLinesRaw(dir.filePath("b.dic"), {"Smile", "Улыбка"}));
        const QString script = dir.filePath("res/menu/m.rc");
        QVERIFY(writeLinesRaw(script, {"MENUITEM \"Smile\"", "MENUITEM \"Open\""}));
        Project state(dir.path());
        QStringList connected;
        for (const QString& d : dictionaries)
            connected << dir.filePath(d);
        state.setConnectedDictionaries(connected);
        QVERIFY(loadResources(dir.filePath("res"), state.stores(), false).errors.isEmpty());
        const AutoTranslationResult r = runAutomaticTranslation(state, false);
        QCOMPARE(r.unstorableRows, unstorable);
        QCOMPARE(unstorableRowsText(r).contains(script), unstorable > 0);
        QVERIFY(saveResources(std::as_const(state).stores()).errors.isEmpty());
        QCOMPARE(readLines(script).lines,
                 QStringList({"MENUITEM \"" + smile + "\"", "MENUITEM \"Открыть\""}));
    }
};

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_translation.moc"
