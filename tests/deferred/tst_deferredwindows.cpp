#include "deferred/AutoTranslationEditor.h"
#include "deferred/DeferredTranslationDialog.h"
#include "deferred/InstallDeferredTranslation.h"
#include "text/TextFile.h"
#include "workbench/MainWindow.h"
#include "workspace/ResourcesDialog.h"

#include "RecordingUiServices.h"
#include "TestUtil.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <memory>

using namespace kvarsel;

namespace {

const QString kTen = QStringLiteral("          ");

struct Fixture {
    QTemporaryDir dir;
    test::RecordingUiServices services;
    std::unique_ptr<MainWindow> main;

    Fixture()
    {
        QDir(dir.path()).mkpath(QStringLiteral("work"));
        main = std::make_unique<MainWindow>(path(QStringLiteral("work")), services);
        installDeferredTranslation(*main);
        main->show();
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    // A resource directory "res" whose string table holds one entry per text.
    QString makeResources(const QStringList& texts, const QString& name = QStringLiteral("res"))
    {
        QStringList lines{QStringLiteral("STRINGTABLE"), QStringLiteral("BEGIN")};
        int id = 0;
        for (const QString& t : texts)
            lines << QStringLiteral("    IDS_%1 \"%2\"").arg(++id).arg(t);
        lines << QStringLiteral("END");
        const QString res = path(name);
        test::writeLinesRaw(res + QStringLiteral("/string/strings.rc"), lines);
        return res;
    }
    QStringList texts(ResourceKind kind) const
    {
        QStringList out;
        const LineStore& store = main->project().store(kind);
        for (qsizetype i = 0; i < store.RowCount(); ++i)
            if (!store.Text(i).isEmpty())
                out << store.Text(i);
        return out;
    }
    void pressDeferred() { main->button(MainWindow::DeferredTranslate)->click(); }
    DeferredTranslationDialog* exportWindow() const { return main->findChild<DeferredTranslationDialog*>(); }
    AutoTranslationEditor* editor() const { return main->findChild<AutoTranslationEditor*>(); }
    template <class T> T* in(QWidget* w, const char* name) const
    {
        return w->findChild<T*>(QLatin1String(name));
    }
    QPushButton* button(QWidget* w, const char* name) const { return in<QPushButton>(w, name); }
    QString sourceBox() const { return in<QPlainTextEdit>(editor(), "source")->toPlainText(); }
    QPlainTextEdit* translationBox() const { return in<QPlainTextEdit>(editor(), "translation"); }
};

} // namespace

class DeferredWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setWriteFaultForTesting({}); }

    void buttonImportsUntilSomeKindHasThreeRows_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("exports");
        QTest::newRow("nothing loaded") << QStringList() << false;
        // Marker row plus STRINGTABLE, BEGIN, END and the entries.
        QTest::newRow("a small script") << QStringList{"Open file"} << true;
    }
    void buttonImportsUntilSomeKindHasThreeRows()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, exports);
        Fixture f;
        if (!texts.isEmpty())
            f.main->loadResourcesFrom(f.makeResources(texts));
        f.pressDeferred();
        QCOMPARE(f.services.openFileTitles.size(), exports ? 0 : 1);
        QCOMPARE(bool(f.exportWindow() && f.exportWindow()->isVisible()), exports);
        QCOMPARE(f.main->isEnabled(), !exports);
        // Cancelling the file dialog changes nothing.
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QVERIFY(!f.editor());
    }

    void exportWindowShowsItsTexts()
    {
        Fixture f;
        f.main->loadResourcesFrom(f.makeResources({"Open file"}));
        f.pressDeferred();
        DeferredTranslationDialog* w = f.exportWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Создание отложенного перевода"));
        QCOMPARE(f.in<QGroupBox>(w, "frame")->title(),
                 QStringLiteral("Последовательность создания отложенного перевода "));
        QVERIFY(f.in<QLabel>(w, "step1")->text().startsWith(kTen + QStringLiteral("Файл отложенного")));
        QCOMPARE(f.in<QLabel>(w, "step2")->text(),
                 kTen + QStringLiteral(
                            "Переведите файл в режиме ТОЛЬКО ТЕКСТ, и сохраните полученное как билингву."));
        QVERIFY(f.in<QLabel>(w, "step3")->text().endsWith(QStringLiteral("словаря пользователя. ")));
        QVERIFY(f.in<QLabel>(w, "step4")->text().startsWith(kTen + QStringLiteral("По завершению")));
        QCOMPARE(f.button(w, "continue")->text(), QStringLiteral("Продолжить"));
        QCOMPARE(f.button(w, "cancel")->text(), QStringLiteral("Отмена"));
        f.button(w, "cancel")->click();
        QVERIFY(!w->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
    }

    void exportWritesDepTransAndEndsTheProgram()
    {
        Fixture f;
        const QString res =
            f.makeResources({"Save", "Open file", "save", "OK", "Line one\\nLine two", "Готово"});
        f.main->loadResourcesFrom(res);
        QVERIFY(
            test::writeLinesRaw(res + QStringLiteral("/DepTrans.txt"), {"stale", "lines", "from before"}));
        f.pressDeferred();
        f.button(f.exportWindow(), "continue")->click();

        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.txt")).lines,
                 QStringList({"Line one \\n Line two", "Open file", "Save"}));
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].title, QStringLiteral("Отложенный перевод"));
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Information);
        QCOMPARE(f.services.messages[0].text,
                 QStringLiteral("Файл отложенного перевода DepTrans.txt\nсоздан в каталоге с подкаталогами "
                                "ресурсов\n\n") +
                     QDir::toNativeSeparators(res));
        QCOMPARE(f.main->statusPanels().dictionaryText(), QString());
        QCOMPARE(f.main->statusPanels().modeText(), QStringLiteral("Подготовка списка"));
        QCOMPARE(f.exportWindow()->windowTitle(), QStringLiteral("Создание файла отложенного перевода"));
        QVERIFY(!f.exportWindow()->isVisible());
        QCOMPARE(f.services.quits, 1);

        // A second run (the program kept running) starts afresh: escapes are
        // spaced out once, not twice.
        f.pressDeferred();
        QCOMPARE(f.exportWindow()->windowTitle(), QStringLiteral("Создание отложенного перевода"));
        f.button(f.exportWindow(), "continue")->click();
        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.txt")).lines,
                 QStringList({"Line one \\n Line two", "Open file", "Save"}));
        QCOMPARE(f.exportWindow()->exportList().Count(), 3);
    }

    // "Отмена" in a resources dialog opened after the load destroys it; the export
    // still goes where the scripts in memory came from, and says so.
    void exportAfterCancelledResourcesDialogWritesWhereTheScriptsCameFrom()
    {
        Fixture f;
        const QString res = f.makeResources({"Save"});
        const QString other = f.makeResources({"Open"}, QStringLiteral("other"));
        f.main->loadResourcesFrom(res);
        f.main->findChild<QAbstractButton*>(QStringLiteral("openResourcesButton"))->click();
        QPointer<ResourcesDialog> dialog = f.main->findChild<ResourcesDialog*>();
        QVERIFY(dialog);
        dialog->setChosenDirectory(other);
        f.button(dialog, "cancel")->click();
        QTRY_VERIFY(dialog.isNull());
        f.pressDeferred();
        f.button(f.exportWindow(), "continue")->click();
        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.txt")).lines, QStringList({"Save"}));
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("work/DepTrans.txt"))));
        QVERIFY(!QFileInfo::exists(other + QStringLiteral("/DepTrans.txt")));
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.endsWith(QDir::toNativeSeparators(res)));
    }

    void exportOfWhatWindows1251LacksSaysItIsUtf8()
    {
        Fixture f;
        const QString res = f.path(QStringLiteral("res"));
        QVERIFY(test::writeBytes(
            res + QStringLiteral("/string/s.rc"),
            QStringLiteral("STRINGTABLE\r\nBEGIN\r\n    IDS_1 \"Limit ≤ 10 items\"\r\nEND\r\n").toUtf8()));
        f.main->loadResourcesFrom(res);
        f.pressDeferred();
        f.button(f.exportWindow(), "continue")->click();
        QCOMPARE(test::readBytes(res + QStringLiteral("/DepTrans.txt")),
                 QByteArray("\xEF\xBB\xBF") + QStringLiteral("Limit ≤ 10 items\r\n").toUtf8());
        QCOMPARE(f.services.messages.size(), 1);
        QVERIFY(f.services.messages[0].text.endsWith(
            QDir::toNativeSeparators(res) +
            QStringLiteral("\n\nФайл записан в кодировке UTF-8 с BOM: в нём есть символы, которых нет в "
                           "кодировке Windows-1251.")));
    }

    void exportWithoutEnglishReturnsToManualMode()
    {
        Fixture f;
        const QString res = f.makeResources({"Открыть", "OK", "...", "Файл %s"});
        f.main->loadResourcesFrom(res);
        f.pressDeferred();
        f.button(f.exportWindow(), "continue")->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].title, QStringLiteral("Кварсел"));
        QCOMPARE(f.services.messages[0].text, QStringLiteral("Строки на английском языке не найдены"));
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Stop);
        QVERIFY(!QFileInfo::exists(res + QStringLiteral("/DepTrans.txt")));
        QVERIFY(!f.exportWindow()->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QCOMPARE(f.services.quits, 0);
    }

    void exportThatCannotWriteKeepsTheProgramRunning()
    {
        Fixture f;
        const QString res = f.makeResources({"Open file"});
        f.main->loadResourcesFrom(res);
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет прав доступа"); });
        f.pressDeferred();
        f.button(f.exportWindow(), "continue")->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Stop);
        QVERIFY(f.services.messages[0].text.contains(res + QStringLiteral("/DepTrans.txt")));
        QVERIFY(f.services.messages[0].text.contains(QStringLiteral("нет прав доступа")));
        QCOMPARE(f.services.quits, 0);
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
    }

    void importLoadsTheFilesDirectoryAndOpensTheReview()
    {
        Fixture f;
        const QString res = f.makeResources({"Open file", "Save", "Exit"});
        const QString bi = res + QStringLiteral("/bi.txt");
        QVERIFY(test::writeLinesRaw(
            bi, {"Open file", "", "Открыть файл", "Cancel", "cancel", "Save", "Сохранить"}));
        f.services.openFileAnswers << bi;
        f.pressDeferred();

        QCOMPARE(f.services.openFileTitles, QStringList({"Загрузка билингвы"}));
        QCOMPARE(f.services.fileFilters, QStringList({"Текстовые файлы (*.txt)"}));
        QCOMPARE(f.main->resourcesDirectory(), res);
        QCOMPARE(f.texts(ResourceKind::String), QStringList({"Open file", "Save", "Exit"}));
        QVERIFY(f.main->project().resourcesChanged());
        QVERIFY(f.main->project().userDictionaryChanged());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kDeferredMode);
        AutoTranslationEditor* e = f.editor();
        QVERIFY(e->isVisible());
        QVERIFY(!f.main->isEnabled());
        QCOMPARE(e->windowTitle(), QStringLiteral("Редактирование автоматического перевода"));
        QCOMPARE(f.in<QLabel>(e, "file")->text(), QDir::toNativeSeparators(bi));
        QCOMPARE(f.sourceBox(), QStringLiteral("Open file"));
        QCOMPARE(f.translationBox()->toPlainText(), QStringLiteral("Открыть файл"));
        QCOMPARE(f.translationBox()->textCursor().selectedText(), QStringLiteral("Открыть файл"));
        QVERIFY(!f.button(e, "back")->isEnabled());
        QVERIFY(f.button(e, "forward")->isEnabled());
        QStringList captions;
        for (const char* name : {"ok", "back", "restore", "forward", "exit"})
            captions << f.button(e, name)->text();
        QCOMPARE(captions, QStringList({"OK", "<--", "Отмена", "-->", "Выход"}));
    }

    void importOfAnUnreadableFileChangesNothing()
    {
        Fixture f;
        f.services.openFileAnswers << f.path(QStringLiteral("res/missing.txt"));
        f.makeResources({"Open file"});
        f.pressDeferred();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Stop);
        QVERIFY(f.services.messages[0].text.contains(f.path(QStringLiteral("res/missing.txt"))));
        QCOMPARE(f.main->project().totalRows(), 0);
        QVERIFY(!f.main->project().resourcesChanged());
        QVERIFY(!f.main->project().userDictionaryChanged());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QVERIFY(f.main->isEnabled());
        QVERIFY(!f.editor());
    }

    void reviewStepsAcceptsAndRestores()
    {
        Fixture f;
        const QString res = f.makeResources({"Open file", "OPEN FILE", "Save"});
        const QString bi = res + QStringLiteral("/bi.txt");
        QVERIFY(test::writeLinesRaw(bi, {"Open file", "Открыть файл", "Save", "Сохранить"}));
        f.services.openFileAnswers << bi;
        f.pressDeferred();
        AutoTranslationEditor* e = f.editor();

        f.button(e, "forward")->click();
        QCOMPARE(f.sourceBox(), QStringLiteral("Save"));
        QVERIFY(f.button(e, "back")->isEnabled());
        QVERIFY(!f.button(e, "forward")->isEnabled());
        f.button(e, "back")->click();
        QCOMPARE(f.sourceBox(), QStringLiteral("Open file"));
        QVERIFY(!f.button(e, "back")->isEnabled());

        f.translationBox()->setPlainText(QStringLiteral("Что-то другое"));
        f.button(e, "restore")->click();
        QCOMPARE(f.translationBox()->toPlainText(), QStringLiteral("Открыть файл"));
        QCOMPARE(f.sourceBox(), QStringLiteral("Open file"));

        f.translationBox()->setPlainText(QStringLiteral("Открыть"));
        // Shift+Enter is the box's own; Enter, of either kind, accepts as "OK" does.
        QTest::keyClick(f.translationBox(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(f.sourceBox(), QStringLiteral("Open file"));
        QCOMPARE(f.translationBox()->document()->toRawText(), QStringLiteral("\u2028Открыть"));
        f.translationBox()->setPlainText(QStringLiteral("Открыть"));
        QTest::keyClick(f.translationBox(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f.texts(ResourceKind::String), QStringList({"Открыть", "Открыть", "Save"}));
        QCOMPARE(f.main->project().dictionary().rows(), QStringList({"", "", "Open file", "Открыть"}));
        QCOMPARE(f.sourceBox(), QStringLiteral("Save"));
        QCOMPARE(f.translationBox()->toPlainText(), QStringLiteral("Сохранить"));
        QVERIFY(!f.button(e, "back")->isEnabled());
        QVERIFY(!f.button(e, "forward")->isEnabled());
        QVERIFY(e->isVisible());

        f.button(e, "exit")->click();
        QVERIFY(!e->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QCOMPARE(readLines(bi).lines, QStringList({"Save", "Сохранить"}));
        QCOMPARE(readLines(res + QStringLiteral("/bi.old")).lines,
                 QStringList({"Open file", "Открыть файл", "Save", "Сохранить"}));
    }

    // What the review's "OK" must not record: the pair stays, nothing is applied.
    void reviewRefusesAnEmptyOrUnstorableTranslation_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty") << ""
                               << "пустым";
        QTest::newRow("blanks only") << "   "
                                     << "пустым";
        QTest::newRow("pasted line break") << "Сохранить\nВторая"
                                           << "перевод строки";
        QTest::newRow("outside the code page") << "Сохранить \u2713"
                                               << "U+2713";
    }

    void reviewRefusesAnEmptyOrUnstorableTranslation()
    {
        QFETCH(QString, translation);
        QFETCH(QString, says);
        Fixture f;
        const QString res = f.makeResources({"Save", "Exit"});
        const QString bi = res + QStringLiteral("/bi.txt");
        QVERIFY(test::writeLinesRaw(bi, {"Save", "Сохранить", "Exit", "Выход"}));
        f.services.openFileAnswers << bi;
        f.pressDeferred();
        AutoTranslationEditor* e = f.editor();
        const QStringList before = f.main->project().dictionary().rows();
        f.translationBox()->setPlainText(translation);
        f.button(e, "ok")->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages.first().icon, MessageIcon::Stop);
        QVERIFY2(f.services.messages.first().text.contains(says),
                 qPrintable(f.services.messages.first().text));
        QVERIFY(e->isVisible());
        QCOMPARE(f.sourceBox(), QStringLiteral("Save"));
        QCOMPARE(f.translationBox()->toPlainText(), translation);
        QCOMPARE(f.main->project().dictionary().rows(), before);
        QCOMPARE(f.texts(ResourceKind::String), QStringList({"Save", "Exit"}));
        // The source kept as its own translation is an answer the review takes.
        f.translationBox()->setPlainText(QStringLiteral("Save"));
        f.button(e, "ok")->click();
        QCOMPARE(f.sourceBox(), QStringLiteral("Exit"));
        QCOMPARE(f.main->project().dictionary().rows().last(2), QStringList({"Save", "Save"}));
    }

    void acceptingTheLastPairLeavesOnlyTheBackup()
    {
        Fixture f;
        const QString res = f.makeResources({"Exit"});
        const QString bi = res + QStringLiteral("/bi.txt");
        QVERIFY(test::writeLinesRaw(bi, {"Exit", "Выход"}));
        QVERIFY(test::writeLinesRaw(res + QStringLiteral("/bi.old"), {"an older review"}));
        f.services.openFileAnswers << bi;
        f.pressDeferred();
        // Enter on the focused "OK" accepts, like a click.
        QTest::keyClick(f.button(f.editor(), "ok"), Qt::Key_Return);
        QVERIFY(!f.editor()->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QVERIFY(!QFileInfo::exists(bi));
        QCOMPARE(readLines(res + QStringLiteral("/bi.old")).lines, QStringList({"Exit", "Выход"}));
        QCOMPARE(f.texts(ResourceKind::String), QStringList({"Выход"}));
    }

    void emptyReviewAppliesNothingAndASecondImportStartsAfresh()
    {
        Fixture f;
        const QString res = f.makeResources({"Help"});
        const QString first = res + QStringLiteral("/first.txt");
        QVERIFY(test::writeLinesRaw(first, {"Help", "HELP"}));
        f.services.openFileAnswers << first;
        f.pressDeferred();
        AutoTranslationEditor* e = f.editor();
        QCOMPARE(f.sourceBox(), QString());
        QVERIFY(!f.button(e, "back")->isEnabled());
        QVERIFY(!f.button(e, "forward")->isEnabled());
        f.translationBox()->setPlainText(QStringLiteral("Справка"));
        f.button(e, "ok")->click();
        QVERIFY(e->isVisible());
        QCOMPARE(f.main->project().dictionary().RowCount(), 0);
        QCOMPARE(f.texts(ResourceKind::String), QStringList({"Help"}));
        f.button(e, "exit")->click();
        QCOMPARE(QDir(res).entryList(QDir::Files), QStringList({"first.old"}));

        // A second import needs every store below 3 rows: load a directory
        // without scripts first.
        const QString second = f.path(QStringLiteral("empty/second.txt"));
        QVERIFY(test::writeLinesRaw(second, {"A", "1", "B", "2", "C", "3"}));
        f.main->loadResourcesFrom(f.path(QStringLiteral("empty")));
        f.services.openFileAnswers << second;
        f.pressDeferred();
        QCOMPARE(f.editor()->review().BilingualList(), QStringList({"A", "1", "B", "2", "C", "3"}));
        QCOMPARE(f.editor()->review().PairIndex(), 0);
        QCOMPARE(f.editor()->bilingualPath(), second);
    }

    void closingTheReviewLeavesLikeExit()
    {
        Fixture f;
        const QString res = f.makeResources({"Open file"});
        const QString bi = res + QStringLiteral("/bi.txt");
        QVERIFY(test::writeLinesRaw(bi, {"Open file", "Открыть файл"}));
        f.services.openFileAnswers << bi;
        f.pressDeferred();
        f.editor()->close();
        QVERIFY(!f.editor()->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
        QVERIFY(QFileInfo::exists(res + QStringLiteral("/bi.old")));
        QCOMPARE(readLines(bi).lines, QStringList({"Open file", "Открыть файл"}));
    }

    void reviewSaveFailureIsReportedAndTheFileStays()
    {
        Fixture f;
        const QString res = f.makeResources({"Open file", "Save"});
        const QString bi = res + QStringLiteral("/bi.txt");
        const QByteArray original = test::cp1251Lines({"Open file", "Открыть файл", "Save", "Сохранить"});
        QVERIFY(test::writeBytes(bi, original));
        f.services.openFileAnswers << bi;
        f.pressDeferred();
        f.button(f.editor(), "ok")->click();
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
        f.button(f.editor(), "exit")->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Stop);
        QVERIFY(f.services.messages[0].text.contains(QStringLiteral("нет места на диске")));
        QCOMPARE(test::readBytes(bi), original);
        QVERIFY(!QFileInfo::exists(res + QStringLiteral("/bi.old")));
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.main->statusPanels().modeText(), panel_texts::kManualMode);
    }

    void roundTripThroughTheOutsideTranslator()
    {
        QString res;
        {
            Fixture f;
            res = f.makeResources({"Open file", "Save all", "Line one\\nLine two", "Готово"}, "shared");
            f.main->loadResourcesFrom(res);
            f.pressDeferred();
            f.button(f.exportWindow(), "continue")->click();
            QCOMPARE(f.services.quits, 1);
            // Keep the resources past the fixture's temporary directory.
            QVERIFY(test::copyTree(res, QDir::temp().filePath(QStringLiteral("kvarsel-roundtrip-res"))));
        }
        res = QDir::temp().filePath(QStringLiteral("kvarsel-roundtrip-res"));
        const auto cleanupDir = qScopeGuard([&] { QDir(res).removeRecursively(); });

        const QStringList exported = readLines(res + QStringLiteral("/DepTrans.txt")).lines;
        QCOMPARE(exported, QStringList({"Line one \\n Line two", "Open file", "Save all"}));
        const QStringList translated{"Строка один \\n Строка два", "Открыть файл", "save ALL"};
        QStringList bilingual;
        for (int i = 0; i < exported.size(); ++i)
            bilingual << exported[i] << translated[i] << QString();
        QVERIFY(test::writeLinesRaw(res + QStringLiteral("/DepTrans.bi.txt"), bilingual));

        Fixture g;
        g.services.openFileAnswers << res + QStringLiteral("/DepTrans.bi.txt");
        g.pressDeferred();
        QCOMPARE(
            g.editor()->review().BilingualList(),
            QStringList({"Line one\\nLine two", "Строка один\\nСтрока два", "Open file", "Открыть файл"}));
        g.button(g.editor(), "ok")->click();
        QCOMPARE(g.texts(ResourceKind::String),
                 QStringList({"Open file", "Save all", "Строка один\\nСтрока два", "Готово"}));
        g.button(g.editor(), "exit")->click();
        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.bi.txt")).lines,
                 QStringList({"Open file", "Открыть файл"}));
        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.old")).lines, bilingual);
        QCOMPARE(readLines(res + QStringLiteral("/DepTrans.txt")).lines, exported);
        QCOMPARE(g.main->project().dictionary().rows(),
                 QStringList({"", "", "Line one\\nLine two", "Строка один\\nСтрока два"}));
    }
};

QTEST_MAIN(DeferredWindowsTest)
#include "tst_deferredwindows.moc"
