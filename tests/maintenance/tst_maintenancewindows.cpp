#include "maintenance/InstallMaintenance.h"
#include "maintenance/UserDictionaryEditor.h"
#include "maintenance/UserDictionaryOptimizer.h"
#include "workbench/MainWindow.h"

#include "RecordingUiServices.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace kvarsel;

namespace {

struct Fixture {
    QTemporaryDir dir;
    test::RecordingUiServices services;
    std::unique_ptr<MainWindow> main;

    explicit Fixture(const QStringList& rowsFrom2)
    {
        main = std::make_unique<MainWindow>(dir.path(), services);
        main->project().dictionary().Assign(QStringList{QString(), QString()} + rowsFrom2);
        // As read from a Windows-1251 User.dic, the form of every User.dic until now.
        main->project().dictionary().setFileEncoding(TextEncoding::Windows1251);
        installMaintenance(*main);
        main->show();
    }
    QStringList rows() const { return main->project().dictionary().rows().mid(2); }

    UserDictionaryEditor* openEditor()
    {
        main->button(MainWindow::EditDictionary)->click();
        return main->findChild<UserDictionaryEditor*>();
    }
    UserDictionaryOptimizer* openOptimizer()
    {
        main->button(MainWindow::OptimizeDictionary)->click();
        return main->findChild<UserDictionaryOptimizer*>();
    }
};

template <class T> T* child(QWidget* w, const char* name)
{
    T* found = w->findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

QPushButton* button(QWidget* w, const char* name) { return child<QPushButton>(w, name); }

QStringList labelTexts(QWidget* w)
{
    QStringList texts;
    for (QLabel* label : w->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

QStringList listRows(QWidget* w)
{
    QStringList rows;
    QAbstractItemModel* model = child<QListView>(w, "list")->model();
    for (int i = 0; i < model->rowCount(); ++i)
        rows << model->index(i, 0).data().toString();
    return rows;
}

int selectedRow(QWidget* w)
{
    const QModelIndexList rows = child<QListView>(w, "list")->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void clickRow(QWidget* w, int row, bool twice = false)
{
    auto* list = child<QListView>(w, "list");
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Types over the whole box as a user would (QTest::keyClicks takes only ASCII).
// Pastes over the whole box through the clipboard, as a user brings in a copied line.
void pasteInto(QLineEdit* box, const QString& text)
{
    QApplication::clipboard()->setText(text);
    box->selectAll();
    box->paste();
}

void typeInto(QLineEdit* box, const QString& text)
{
    box->selectAll();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
}

const QStringList kFileGroup{"File", "Файл", "File", "Документ", "File", "Файл"};

} // namespace

class MaintenanceWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- Editor ----

    void editorTexts()
    {
        Fixture f({"Open", "Открыть"});
        UserDictionaryEditor* editor = f.openEditor();
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QString("Редактирование словаря пользователя"));
        const QStringList labels = labelTexts(editor);
        QVERIFY(labels.contains("Образец для поиска :"));
        QVERIFY(labels.contains("Фраза в словаре :"));
        QVERIFY(labels.contains("Измененная фраза :"));
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти"));
        QCOMPARE(button(editor, "okButton")->text(), QString("OK"));
        QCOMPARE(button(editor, "exitButton")->text(), QString("Выход"));
        QVERIFY(!button(editor, "okButton")->isEnabled());
    }

    // Each opening starts a new search: a row shown from an earlier opening may have
    // been taken back by undo meanwhile. A search that finds nothing says so.
    void editorOpensFreshOverTheDisabledMainWindow()
    {
        Fixture f({"File", "Файл", "Profile", "Профиль"});
        f.main->project().markUserDictionarySaved();
        UserDictionaryEditor* editor = f.openEditor();
        QVERIFY(editor->isVisible());
        QVERIFY(!f.main->isEnabled());
        QVERIFY(f.main->project().userDictionaryChanged());

        child<QLineEdit>(editor, "patternBox")->setText("file");
        button(editor, "searchButton")->click();
        QCOMPARE(child<QLineEdit>(editor, "foundBox")->text(), QString("File"));
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти далее"));

        button(editor, "exitButton")->click();
        QVERIFY(!editor->isVisible());
        QVERIFY(f.main->isEnabled());

        QCOMPARE(f.openEditor(), editor);
        QCOMPARE(f.main->findChildren<UserDictionaryEditor*>().size(), 1);
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти"));
        QCOMPARE(child<QLineEdit>(editor, "patternBox")->text(), QString("file"));
        QVERIFY(child<QLineEdit>(editor, "foundBox")->text().isEmpty());
        QVERIFY(child<QLineEdit>(editor, "changeBox")->text().isEmpty());
        QVERIFY(!button(editor, "okButton")->isEnabled());
        auto* note = child<QLabel>(editor, "searchNote");
        for (const char* found : {"File", "Profile"}) {
            button(editor, "searchButton")->click();
            QCOMPARE(child<QLineEdit>(editor, "foundBox")->text(), QString(found));
            QCOMPARE(note->text(), QString());
        }
        button(editor, "searchButton")->click();
        QCOMPARE(note->text(), QString("Больше совпадений нет. Следующий поиск начнется сначала."));
        child<QLineEdit>(editor, "patternBox")->setText(" zzz ");
        button(editor, "searchButton")->click();
        QCOMPARE(note->text(), QString("Образец «zzz» в словаре не найден."));
    }

    void editorHitFillsAndSelectsTheChangeBox()
    {
        Fixture f({"Open", "Открыть", "Save", "Сохранить"});
        UserDictionaryEditor* editor = f.openEditor();
        auto* change = child<QLineEdit>(editor, "changeBox");
        child<QLineEdit>(editor, "patternBox")->setText("OPEN ");
        button(editor, "searchButton")->click();
        QCOMPARE(child<QLineEdit>(editor, "foundBox")->text(), QString("Open"));
        QCOMPARE(change->text(), QString("Open"));
        QCOMPARE(change->selectedText(), QString("Open"));
        QVERIFY(button(editor, "okButton")->isEnabled());

        // Nothing further: caption back, boxes keep their texts, "OK" can no longer write.
        button(editor, "searchButton")->click();
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти"));
        QCOMPARE(child<QLineEdit>(editor, "foundBox")->text(), QString("Open"));
        QCOMPARE(change->text(), QString("Open"));
        QVERIFY(!button(editor, "okButton")->isEnabled());
        typeInto(change, "Раскрыть");
        QVERIFY(!button(editor, "okButton")->isEnabled());
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть", "Save", "Сохранить"}));
    }

    void editorOkReplacesAndSearchesOn()
    {
        Fixture f({"Open", "Открыть", "Open file", "Открыть файл"});
        UserDictionaryEditor* editor = f.openEditor();
        auto* change = child<QLineEdit>(editor, "changeBox");
        child<QLineEdit>(editor, "patternBox")->setText("открыть");
        button(editor, "searchButton")->click();
        typeInto(change, "Открыть файл");
        button(editor, "okButton")->click();
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть файл", "Open file", "Открыть файл"}));
        // The next hit shows at once.
        QCOMPARE(child<QLineEdit>(editor, "foundBox")->text(), QString("Открыть файл"));
        QCOMPARE(editor->search().foundRow(), 5);
        QVERIFY(button(editor, "okButton")->isEnabled());
        typeInto(change, "Открыть  файл");
        button(editor, "okButton")->click();
        QCOMPARE(f.main->project().dictionary().Row(5), QString("Открыть  файл"));
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти"));
        QVERIFY(!button(editor, "okButton")->isEnabled());
    }

    void editorOkWithBlanksDoesNothing()
    {
        Fixture f({"Open", "Открыть"});
        UserDictionaryEditor* editor = f.openEditor();
        child<QLineEdit>(editor, "patternBox")->setText("open");
        button(editor, "searchButton")->click();
        typeInto(child<QLineEdit>(editor, "changeBox"), "   ");
        button(editor, "okButton")->click();
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть"}));
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти далее"));
        QVERIFY(button(editor, "okButton")->isEnabled());
    }

    void editorEmptyPatternDoesNothing()
    {
        Fixture f({"Open", "Открыть"});
        UserDictionaryEditor* editor = f.openEditor();
        button(editor, "searchButton")->click();
        QCOMPARE(button(editor, "searchButton")->text(), QString("Найти"));
        QVERIFY(child<QLineEdit>(editor, "foundBox")->text().isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void editorForgetsAHitWhoseRowWasRemovedMeanwhile()
    {
        Fixture f({"Open", "Открыть", "", "Save", "Сохранить"});
        UserDictionaryEditor* editor = f.openEditor();
        child<QLineEdit>(editor, "patternBox")->setText("сохранить");
        button(editor, "searchButton")->click();
        QCOMPARE(editor->search().foundRow(), 6);
        button(editor, "exitButton")->click();
        // The optimiser's "Выход" removes the stray empty row 4.
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "exitButton")->click();
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть", "Save", "Сохранить"}));
        f.openEditor();
        QVERIFY(!button(editor, "okButton")->isEnabled());
        typeInto(child<QLineEdit>(editor, "changeBox"), "Записать");
        button(editor, "okButton")->click();
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть", "Save", "Сохранить"}));
    }

    // A pasted line break would split one row of User.dic in two and move every
    // later entry; a character the file cannot hold could not be written.
    void boxesRefuseWhatUserDicCannotHold_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("says");
        for (const char* box : {"editor", "newValue", "repair"}) {
            QTest::addRow("%s, LF", box) << box << "Store\nSecond"
                                         << "перевод строки";
            QTest::addRow("%s, CR LF", box) << box << "Store\r\nSecond"
                                            << "перевод строки";
            QTest::addRow("%s, CR", box) << box << "Store\rSecond"
                                         << "перевод строки";
            QTest::addRow("%s, outside the code page", box) << box << "Store \u2713"
                                                            << "U+2713";
        }
    }

    void boxesRefuseWhatUserDicCannotHold()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, says);
        Fixture f(box == "repair" ? QStringList{"Open", "Открыть", "Store", "Store"} : kFileGroup);
        QLineEdit* edit = nullptr;
        QPushButton* apply = nullptr;
        QWidget* window = nullptr;
        if (box == "editor") {
            window = f.openEditor();
            child<QLineEdit>(window, "patternBox")->setText("файл");
            button(window, "searchButton")->click();
            edit = child<QLineEdit>(window, "changeBox");
            apply = button(window, "okButton");
        } else {
            window = f.openOptimizer();
            button(window, box == "repair" ? "checkButton" : "continueButton")->click();
            edit = child<QLineEdit>(window, box == "repair" ? "repairBox" : "newValueBox");
            apply = button(window, box == "repair" ? "changeRowButton" : "useNewValueButton");
        }
        const QStringList before = f.rows();
        pasteInto(edit, text);
        QCOMPARE(edit->text(), text);
        apply->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages.first().icon, MessageIcon::Stop);
        QVERIFY2(f.services.messages.first().text.contains(says),
                 qPrintable(f.services.messages.first().text));
        QCOMPARE(f.rows(), before);
        QVERIFY(window->isVisible());
        if (box == "newValue")
            QVERIFY(child<QGroupBox>(window, "choiceFrame")->isVisible());
        if (box == "repair")
            QVERIFY(child<QGroupBox>(window, "repairFrame")->isVisible());
    }

    // ---- Optimizer ----

    void optimizerTexts()
    {
        Fixture f({"Open", "Открыть"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        QVERIFY(optimizer);
        QCOMPARE(optimizer->windowTitle(), QString("Оптимизация словаря пользователя"));
        QStringList frames;
        for (QGroupBox* box : optimizer->findChildren<QGroupBox*>())
            frames << box->title();
        QCOMPARE(frames,
                 (QStringList{"Фраза на английском : ", "Наиболее корректный перевод на русский язык : ",
                              "Варианты действий : ", "Варианты действий : "}));
        const QStringList labels = labelTexts(optimizer);
        QVERIFY(labels.contains("Вы можете использовать наиболее корректный вариант перевода из списка, "
                                "или ввести свой собственный вариант"));
        QVERIFY(
            labels.contains("Бывают случаи, когда оператор по ошибке использует буквы, написание которых в "
                            "русском и английском языках одинаково, например а, о или с. Проще всего тогда "
                            "отредактировать строку прямо отсюда : "));
        const QList<std::pair<const char*, QString>> buttons{
            {"useSelectedButton", "Использовать выделенную фразу"},
            {"useNewValueButton", "Использовать новое значение"},
            {"deleteRowButton", "Удалить строку"},
            {"changeRowButton", "Изменить строку"},
            {"skipRowButton", "Пропустить строку"},
            {"continueButton", "Продолжить оптимизацию"},
            {"checkButton", "Проверить на ошибки"},
            {"exitButton", "Выход"}};
        for (const auto& [name, text] : buttons)
            QCOMPARE(button(optimizer, name)->text(), text);
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(!child<QGroupBox>(optimizer, "repairFrame")->isVisible());
        QVERIFY(!f.main->isEnabled());
    }

    void optimizerIsNotOpenedOnAnEmptyDictionary()
    {
        Fixture f({});
        f.main->project().dictionary().Clear();
        f.main->project().markUserDictionarySaved();
        QVERIFY(!f.openOptimizer());
        QVERIFY(!f.main->project().userDictionaryChanged());
        QVERIFY(f.main->isEnabled());
    }

    void choiceWithTheSelectedCandidate()
    {
        Fixture f(kFileGroup);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        QVERIFY(child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(!child<QGroupBox>(optimizer, "repairFrame")->isVisible());
        QVERIFY(!button(optimizer, "continueButton")->isEnabled());
        QVERIFY(!button(optimizer, "checkButton")->isEnabled());
        QCOMPARE(child<QLineEdit>(optimizer, "phraseBox")->text(), QString("File"));
        QCOMPARE(listRows(optimizer), (QStringList{"Файл", "Документ"}));
        QCOMPARE(f.services.clipboard, QString("File"));
        QVERIFY(!QApplication::overrideCursor());

        clickRow(optimizer, 1);
        QCOMPARE(selectedRow(optimizer), 1);
        QCOMPARE(child<QLineEdit>(optimizer, "newValueBox")->text(), QString("Документ"));
        button(optimizer, "useSelectedButton")->click();
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(button(optimizer, "continueButton")->isEnabled());
        QVERIFY(listRows(optimizer).isEmpty());
        QVERIFY(child<QLineEdit>(optimizer, "phraseBox")->text().isEmpty());
        QCOMPARE(child<QProgressBar>(optimizer, "progressBar")->value(), 0);
        button(optimizer, "exitButton")->click();
        QCOMPARE(f.rows(), (QStringList{"File", "Документ"}));
        QVERIFY(!optimizer->isVisible());
        QVERIFY(f.main->isEnabled());
    }

    void choiceWithNothingSelected()
    {
        Fixture f(kFileGroup);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        QCOMPARE(selectedRow(optimizer), -1);
        button(optimizer, "useSelectedButton")->click();
        button(optimizer, "exitButton")->click();
        QVERIFY(f.rows().isEmpty());
    }

    void choiceWithANewValue()
    {
        Fixture f(kFileGroup);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        auto* newValue = child<QLineEdit>(optimizer, "newValueBox");
        typeInto(newValue, "Папка");
        button(optimizer, "useNewValueButton")->click();
        QVERIFY(newValue->text().isEmpty());
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        button(optimizer, "exitButton")->click();
        QCOMPARE(f.rows(), (QStringList{"File", "Папка"}));
    }

    void doubleClickUsesTheCandidate()
    {
        Fixture f(kFileGroup);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        clickRow(optimizer, 1, true);
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(child<QLineEdit>(optimizer, "newValueBox")->text().isEmpty());
        QCOMPARE(f.rows(), (QStringList{"", "", "File", "Документ", "", ""}));
    }

    void tooManyTranslationsShowTheFailureMessage()
    {
        QStringList rows;
        for (int i = 0; i < 102; ++i)
            rows << "Go" << QString("Иди %1 раз").arg(i);
        Fixture f(rows);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        QCOMPARE(f.services.messages.size(), 1);
        const test::RecordedMessage& m = f.services.messages.first();
        QCOMPARE(m.title, QString("Сообщение об ошибке"));
        QCOMPARE(m.icon, MessageIcon::Stop);
        QVERIFY(m.text.startsWith("В модуле оптимизации произошла ошибка №  1\n"));
        QVERIFY(m.text.endsWith("\nСейчас произойдет выход из процедуры оптимизации."));
        QVERIFY(listRows(optimizer).isEmpty());
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QCOMPARE(child<QProgressBar>(optimizer, "progressBar")->value(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void exitDropsAPendingChoiceAndStateLasts()
    {
        Fixture f(kFileGroup + QStringList{"Edit", "Правка", "Edit", "Изменить"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "continueButton")->click();
        button(optimizer, "exitButton")->click();
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(listRows(optimizer).isEmpty());
        QCOMPARE(f.rows(),
                 (QStringList{"File", "Файл", "File", "Документ", "Edit", "Правка", "Edit", "Изменить"}));

        QCOMPARE(f.openOptimizer(), optimizer);
        QCOMPARE(f.main->findChildren<UserDictionaryOptimizer*>().size(), 1);
        QVERIFY(button(optimizer, "continueButton")->isEnabled());
        QVERIFY(optimizer->session().prepared());
        QCOMPARE(optimizer->session().entryRow(), 2);
        // The pass goes on from row 4.
        button(optimizer, "continueButton")->click();
        QCOMPARE(child<QLineEdit>(optimizer, "phraseBox")->text(), QString("Edit"));
    }

    void closingTheWindowActsAsExit()
    {
        Fixture f({"A", "Б", "", "", "C", "Д"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        optimizer->close();
        QVERIFY(!optimizer->isVisible());
        QVERIFY(f.main->isEnabled());
        QCOMPARE(f.rows(), (QStringList{"A", "Б", "C", "Д"}));
    }

    void repairDeletesTheReportedEntry()
    {
        Fixture f(
            {"Open", "Открыть", "Файл", "File", "Save", "Сохранить", "Copy", "Копия", "Cut", "Вырезать"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "checkButton")->click();
        QCOMPARE(child<QGroupBox>(optimizer, "listFrame")->title(), QString("Ошибка в словаре : "));
        QVERIFY(child<QGroupBox>(optimizer, "repairFrame")->isVisible());
        QVERIFY(!child<QGroupBox>(optimizer, "choiceFrame")->isVisible());
        QVERIFY(!button(optimizer, "continueButton")->isEnabled());
        QVERIFY(!button(optimizer, "checkButton")->isEnabled());
        QCOMPARE(listRows(optimizer), f.main->project().dictionary().rows().mid(0, 10));
        QCOMPARE(selectedRow(optimizer), 4);
        QCOMPARE(child<QLineEdit>(optimizer, "repairBox")->text(), QString("Файл"));
        button(optimizer, "deleteRowButton")->click();
        QCOMPARE(f.rows().mid(0, 3), (QStringList{"Open", "Открыть", "Save"}));
        QVERIFY(!child<QGroupBox>(optimizer, "repairFrame")->isVisible());
    }

    void repairChangeAndSkip()
    {
        Fixture f({"Open", "Открыть", "Save", "Save", "Copy", "Копия"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "checkButton")->click();
        auto* repair = child<QLineEdit>(optimizer, "repairBox");
        typeInto(repair, " save");
        button(optimizer, "changeRowButton")->click();
        QVERIFY(child<QGroupBox>(optimizer, "repairFrame")->isVisible());
        QCOMPARE(f.main->project().dictionary().Row(5), QString("Save"));
        typeInto(repair, " Сохранить ");
        button(optimizer, "changeRowButton")->click();
        QCOMPARE(f.main->project().dictionary().Row(5), QString("Сохранить"));
        QVERIFY(!child<QGroupBox>(optimizer, "repairFrame")->isVisible());
        QCOMPARE(child<QGroupBox>(optimizer, "listFrame")->title(),
                 QString("Наиболее корректный перевод на русский язык : "));
        QVERIFY(listRows(optimizer).isEmpty());
    }

    // After each job the window says what it did, in its status line.
    void optimizerSaysWhatEachJobDid_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("said");
        QTest::newRow("repeats") << QStringList{"File", "Файл", "Edit", "Правка",
                                                "File", "Файл", "Edit", "Правка"}
                                 << QStringList{"continueButton"}
                                 << "Удалено повторов: 2\nВыбрано переводов: 0";
        QTest::newRow("a choice") << kFileGroup << QStringList{"continueButton", "useSelectedButton"}
                                  << "Удалено повторов: 1\nВыбрано переводов: 1";
        QTest::newRow("check") << QStringList{"Open", "Открыть", "Save", "Сохранить", "Copy", "Копия"}
                               << QStringList{"checkButton"} << "Проверено строк: 4, ошибок не найдено";
        QTest::newRow("check, a row skipped")
            << QStringList{"Open", "Открыть", "Save", "Save", "Copy", "Копия"}
            << QStringList{"checkButton", "skipRowButton"} << "Проверено строк: 4, найдено ошибок: 1";
    }

    void optimizerSaysWhatEachJobDid()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, clicks);
        QFETCH(QString, said);
        Fixture f(rows);
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        auto* line = child<QLabel>(optimizer, "outcomeLine");
        QVERIFY(line && line->isHidden());
        for (const QString& name : clicks) {
            button(optimizer, qPrintable(name))->click();
            QCOMPARE(line->isVisible(), name == clicks.last()); // nothing while a job waits for the user
        }
        QCOMPARE(line->text(), said);
        button(optimizer, "exitButton")->click();
        QVERIFY(line->isHidden());
    }

    void exitReportsShiftedPairing()
    {
        // An empty source row before a translation: it may be an entry without its
        // source, or a stray line; it goes alone and the user is told.
        Fixture f({"Open", "Открыть", "", "Копия", "Cut", "Вырезать"});
        UserDictionaryOptimizer* optimizer = f.openOptimizer();
        button(optimizer, "exitButton")->click();
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages.first().title, QString("Кварсел"));
        QCOMPARE(f.services.messages.first().icon, MessageIcon::Information);
        QVERIFY(f.services.messages.first().text.contains("«Проверить на ошибки»"));
        QCOMPARE(f.rows(), (QStringList{"Open", "Открыть", "Копия", "Cut", "Вырезать"}));
        f.openOptimizer();
        button(optimizer, "checkButton")->click();
        QCOMPARE(child<QLineEdit>(optimizer, "repairBox")->text(), QString("Копия"));
    }
};

QTEST_MAIN(MaintenanceWindowsTest)
#include "tst_maintenancewindows.moc"
