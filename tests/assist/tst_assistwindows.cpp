// Similar translations and checks as the manual translation dialog and the
// review window show them, offscreen.
#include "assist/SpellingHighlighter.h"
#include "assist/SuggestionPanel.h"
#include "assist/TranslationCheckPanel.h"
#include "assist/TranslationChecks.h"
#include "deferred/AutoTranslationEditor.h"
#include "deferred/DeferredTranslation.h"
#include "deferred/InstallDeferredTranslation.h"
#include "dictionary/DictionaryFiles.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"

#include "RecordingUiServices.h"
#include "TestUtil.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

using namespace kvarsel;

namespace {

struct Fixture {
    QTemporaryDir dir;
    test::RecordingUiServices services;
    std::unique_ptr<MainWindow> main;

    Fixture()
    {
        const QString work = dir.filePath(QStringLiteral("work"));
        test::writeLinesRaw(work + QStringLiteral("/User.dic"), {"Save all", "Сохранить все"});
        test::writeLinesRaw(work + QStringLiteral("/menu.dic"), {"Save file", "Сохранить файл", "Save files",
                                                                 "Сохранить файлы", "Quit", "Выход"});
        main = std::make_unique<MainWindow>(work, services);
        installDeferredTranslation(*main);
        LoadUserDictionary(work, main->project().dictionary());
        main->project().setConnectedDictionaries(
            {work + QStringLiteral("/User.dic"), work + QStringLiteral("/menu.dic")});
        main->show();
    }
    static QStringList rows(QWidget* window)
    {
        QStringList out;
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("suggestions"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(item->text(0), item->text(1), item->text(2), item->text(3));
        }
        return out;
    }
    static QString checks(QWidget* window)
    {
        return window->findChild<QLabel*>(QStringLiteral("checks"))->text();
    }
    static QPlainTextEdit* translation(QWidget* window)
    {
        return window->findChild<QPlainTextEdit*>(QStringLiteral("translation"));
    }
};

} // namespace

class AssistWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manualDialogSuggestsAndWarns()
    {
        Fixture f;
        ManualTranslationDialog* dialog = f.main->manualTranslationDialog();
        dialog->open(QStringLiteral("Save filez"), QStringLiteral("Save filez"));
        // The dictionaries are read on the second thread: the dialog is there at once
        // and says so, and the list fills when they are read.
        QCOMPARE(Fixture::rows(dialog), QStringList{"|Подготовка похожих переводов…||"});
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        // Ties in file order; the user dictionary, connected first, comes after on merit.
        QTRY_COMPARE(Fixture::rows(dialog), (QStringList{"90|Save file|Сохранить файл|menu.dic",
                                                         "90|Save files|Сохранить файлы|menu.dic",
                                                         "60|Save all|Сохранить все|User.dic"}));
        // The proposal stays as it was given; nothing is put in by itself.
        QCOMPARE(dialog->translation(), QStringLiteral("Save filez"));
        QVERIFY(Fixture::checks(dialog).contains(check_texts::kEqual));
        // The differing letters of the source are marked.
        const auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("suggestions"));
        QVERIFY(
            list->topLevelItem(1)->data(1, Qt::UserRole + 1).toString().contains(QStringLiteral(">s</b>")));

        QTest::keyClick(dialog, Qt::Key_2, Qt::ControlModifier);
        QPlainTextEdit* box = Fixture::translation(dialog);
        QCOMPARE(box->toPlainText(), QStringLiteral("Сохранить файлы"));
        QCOMPARE(box->textCursor().selectedText(), QStringLiteral("Сохранить файлы"));
        QVERIFY(box->hasFocus());
        QCOMPARE(Fixture::checks(dialog), QStringLiteral("Замечаний нет"));

        // Typing keeps the warnings live; "OK" still records what the user chose.
        box->setPlainText(QStringLiteral("Сохранить %s"));
        QVERIFY(Fixture::checks(dialog).contains(check_texts::extraPlaceholders({"%s"})));
        dialog->confirm();
        QVERIFY(!dialog->isVisible());
        const QStringList& rows = f.main->project().dictionary().rows();
        QCOMPARE(rows.mid(rows.size() - 2), (QStringList{"Save filez", "Сохранить %s"}));

        // The next opening sees the entry just made, from the user dictionary.
        dialog->open(QStringLiteral("Save filez"), QString());
        QCOMPARE(Fixture::rows(dialog).first(), QStringLiteral("100|Save filez|Сохранить %s|User.dic"));

        // A connected dictionary another program changes is read again by itself, and
        // the open dialog's list follows.
        test::writeLinesRaw(f.main->project().workDir() + QStringLiteral("/menu.dic"),
                            {"Save filez!", "Сохранить файлы!"});
        QTRY_VERIFY(Fixture::rows(dialog).join(u' ').contains(
            QStringLiteral("|Save filez!|Сохранить файлы!|menu.dic")));
    }

    // A phrase longer than a resource string can be is searched on a second thread:
    // the dialog says so at once and fills its list when the search ends.
    void longPhraseSearchedAside()
    {
        Fixture f;
        QString text;
        for (int i = 0; text.size() < 6000; ++i)
            text += QStringLiteral("word%1 ").arg(i);
        f.main->project().dictionary().AppendEntry(text + QStringLiteral("tail"),
                                                   QStringLiteral("Длинный перевод"));
        ManualTranslationDialog* dialog = f.main->manualTranslationDialog();
        dialog->open(QStringLiteral("Quit"), QString());
        QTRY_VERIFY(!f.main->project().suggestionsPreparing());
        dialog->open(text, QString());
        QCOMPARE(Fixture::rows(dialog), QStringList{"|Подбор похожих переводов…||"});
        QTRY_COMPARE(Fixture::rows(dialog),
                     QStringList{"99|" + text + QStringLiteral("tail|Длинный перевод|User.dic")});
    }

    // A typo is underlined as typed and listed among the checks; "Добавить в словарь"
    // of its context menu writes Words.txt, keeping a word another program added
    // there meanwhile, and the word is then right everywhere.
    void spellingWhileTyping()
    {
        Fixture f;
        ManualTranslationDialog* dialog = f.main->manualTranslationDialog();
        dialog->open(QStringLiteral("Save to Kvarsel"), QString());
        QPlainTextEdit* box = Fixture::translation(dialog);
        box->setPlainText(QStringLiteral("Сохранть в Кварсел %s"));
        const auto underlined = [box] {
            QStringList words;
            const QTextBlock block = box->document()->firstBlock();
            for (const QTextLayout::FormatRange& r : block.layout()->formats())
                if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    words << block.text().mid(r.start, r.length);
            return words;
        };
        QCOMPARE(underlined(), (QStringList{"Сохранть", "Кварсел"}));
        QVERIFY(Fixture::checks(dialog).contains(QStringLiteral("орфография: «Сохранть», «Кварсел»")));

        auto* highlighter = box->findChild<SpellingHighlighter*>();
        QVERIFY(highlighter);
        QTextCursor at(box->document());
        at.setPosition(13); // inside "Кварсел"
        highlighter->showMenu(box->cursorRect(at).center());
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        const QString words = f.main->project().workDir() + "/Words.txt";
        QVERIFY(test::writeBytes(words, QStringLiteral("Велмора\r\n").toUtf8()));
        // At most seven suggestions, a separator, the word's own item, then the box's menu.
        const QList<QAction*> items = menu->actions();
        const qsizetype add = items.indexOf(menu->findChild<QAction*>(QStringLiteral("addToDictionary")));
        QVERIFY(add >= 2 && add <= 8);
        QVERIFY(items[add - 1]->isSeparator() && items[add + 1]->isSeparator());
        QVERIFY(std::none_of(items.begin(), items.begin() + add - 1,
                             [](QAction* a) { return a->isSeparator(); }));
        menu->findChild<QAction*>(QStringLiteral("addToDictionary"))->trigger();
        menu->close();
        QCOMPARE(underlined(), QStringList{"Сохранть"});
        QCOMPARE(test::readBytes(words), QStringLiteral("Велмора\r\nКварсел\r\n").toUtf8());
        QVERIFY(!Fixture::checks(dialog).contains(QStringLiteral("Кварсел")));
    }

    void reviewWindowSuggestsAndWarns()
    {
        Fixture f;
        auto* editor = f.main->findChild<DeferredTranslation*>()->reviewWindow();
        editor->startReview(f.dir.filePath(QStringLiteral("bi.txt")),
                            {"Save al", "Сохранить всё", "Quit!", "Quit!"});
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QTRY_COMPARE(Fixture::rows(editor).first(), QStringLiteral("87|Save all|Сохранить все|User.dic"));
        QCOMPARE(Fixture::checks(editor), QStringLiteral("Замечаний нет"));
        auto* list = editor->findChild<QTreeWidget*>(QStringLiteral("suggestions"));
        const QRect first = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(Fixture::translation(editor)->toPlainText(), QStringLiteral("Сохранить все"));
        QVERIFY(Fixture::translation(editor)->hasFocus());

        // Enter on a row takes its translation and does not accept the pair.
        Fixture::translation(editor)->setPlainText(QStringLiteral("x"));
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(Fixture::translation(editor)->toPlainText(), QStringLiteral("Сохранить файл"));
        QCOMPARE(editor->review().BilingualList().size(), 4);

        editor->nextPair();
        QCOMPARE(Fixture::rows(editor).first(), QStringLiteral("80|Quit|Выход|menu.dic"));
        QVERIFY(Fixture::checks(editor).contains(check_texts::kEqual));
    }

    // What would not fit a dialog control, or could not be written, is in the one panel
    // as it is typed, in both windows; "Замечаний нет" only when nothing is.
    void everyWarningInTheCheckPanel_data()
    {
        QTest::addColumn<bool>("review");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("finding");
        for (const bool review : {false, true}) {
            QTest::addRow("review %d: fits", review) << review << "Отмена"
                                                     << "Замечаний нет";
            QTest::addRow("review %d: too wide", review)
                << review << "Отменить все изменения"
                << "⚠ Не помещается в элемент диалога IDD_OPTIONS: PUSHBUTTON IDCANCEL, options.rc:15";
            QTest::addRow("review %d: not in Windows-1251", review)
                << review << "Отмена ☺"
                << "⚠ Перевод содержит символ «☺» (U+263A), который нельзя сохранить";
        }
    }

    void everyWarningInTheCheckPanel()
    {
        QFETCH(bool, review);
        QFETCH(QString, translation);
        QFETCH(QString, finding);
        QTemporaryDir dir;
        QVERIFY(test::copyTree(test::demoDir(), dir.path()));
        test::RecordingUiServices services;
        MainWindow main(dir.path(), services);
        QVERIFY(main.start());
        main.loadResourcesFrom(dir.filePath(QStringLiteral("resources")));
        AutoTranslationEditor editor(&main, main.project(), services);
        QWidget* window = review ? static_cast<QWidget*>(&editor) : main.manualTranslationDialog();
        if (review)
            editor.startReview(dir.filePath(QStringLiteral("bi.txt")),
                               {QStringLiteral("Cancel"), translation});
        else
            main.manualTranslationDialog()->open(QStringLiteral("Cancel"), translation);
        QVERIFY2(Fixture::checks(window).contains(finding), qPrintable(Fixture::checks(window)));
    }
};

QTEST_MAIN(AssistWindowsTest)
#include "tst_assistwindows.moc"
