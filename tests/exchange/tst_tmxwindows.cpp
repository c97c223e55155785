// "Импорт TMX…" in the settings window and "Экспорт в TMX…" in the editor, with
// the file dialogs answered in advance and the files on a real disk.
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "maintenance/InstallMaintenance.h"
#include "maintenance/UserDictionaryEditor.h"
#include "settings/SettingsDialog.h"
#include "text/TextFile.h"
#include "workbench/MainWindow.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QByteArray kMemory =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\"><header/><body>\n"
    "<tu><tuv xml:lang=\"en-US\"><seg>Open</seg></tuv><tuv xml:lang=\"ru-RU\"><seg>Открыть</seg></tuv></tu>\n"
    "<tu><tuv xml:lang=\"en\"><seg>Arrow →</seg></tuv><tuv xml:lang=\"ru\"><seg>Стрелка →</seg></tuv></tu>\n"
    "<tu><tuv xml:lang=\"de\"><seg>Datei</seg></tuv></tu>\n"
    "</body></tmx>\n";

QStringList listed(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return out;
}

} // namespace

class TestTmxWindows : public QObject {
    Q_OBJECT
private slots:
    void importFromSettings()
    {
        QTemporaryDir tmp;
        const QString work = tmp.filePath("work");
        for (const char* f : {"User.dic", "a.dic", "z.dic"})
            QVERIFY(writeLinesRaw(work + "/" + f, {"x", "y"}));
        QVERIFY(writeLinesRaw(work + "/velmora.ini", {"z.dic"}));
        QVERIFY(writeBytes(tmp.filePath("memory.tmx"), kMemory));
        QVERIFY(writeBytes(tmp.filePath("broken.tmx"), kMemory.left(200)));
        QVERIFY(writeLinesRaw(work + "/memory.dic", {"Keep", "Оставить"}));

        RecordingUiServices ui;
        MainWindow w(work, ui);
        QVERIFY(w.start());
        SettingsDialog* s = w.settingsDialog();
        auto* list = s->findChild<QListWidget*>("AvailableDictionaries");
        auto* import = s->findChild<QAbstractButton*>("importTmx");
        QCOMPARE(import->text(), QStringLiteral("Импорт TMX…"));

        ui.openFileAnswers = {tmp.filePath("memory.tmx"), tmp.filePath("broken.tmx"), QString()};
        import->click();
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(ui.messages[0].text.split(u'\n').mid(0, 4),
                 (QStringList{"Прочитано единиц перевода: 3", "Взято в словарь: 2", "Пропущено: 1",
                              "  нет текста на языке en: 1"}));
        // A new name beside the existing memory.dic, which stays as it was.
        QCOMPARE(listed(list), (QStringList{"a.dic-", "memory (2).dic-", "memory.dic-", "z.dic+"}));
        QCOMPARE(readBytes(work + "/memory.dic"), cp1251Lines({"Keep", "Оставить"}));
        QCOMPARE(readBytes(work + "/memory (2).dic"),
                 QByteArray("\xEF\xBB\xBF") + "Open\r\nОткрыть\r\nArrow →\r\nСтрелка →\r\n");

        import->click(); // malformed: says where, writes nothing, lists nothing new
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].icon, MessageIcon::Stop);
        QVERIFY2(ui.messages[1].text.contains("в строке 4, столбце 20"), qPrintable(ui.messages[1].text));
        QCOMPARE(list->count(), 4);
        QVERIFY(!QFileInfo::exists(work + "/broken.dic"));
        import->click(); // cancelled
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.fileFilters, QStringList(3, "Память переводов TMX (*.tmx);;Все файлы (*)"));

        // Once marked, the imported dictionary is connected by "OK" like any other.
        list->item(1)->setCheckState(Qt::Checked);
        s->accept();
        QCOMPARE(readBytes(work + "/velmora.ini"), cp1251Lines({"memory (2).dic", "z.dic"}));
        QCOMPARE(w.project().connectedDictionaries(),
                 (QStringList{work + "/memory (2).dic", work + "/z.dic"}));
    }

    void exportFromEditor()
    {
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("User.dic"), {"x", "y"}));
        RecordingUiServices ui;
        MainWindow w(tmp.path(), ui);
        installMaintenance(w);
        w.project().dictionary().Assign(
            {"", "", "Open", "Открыть", "", "", "Save", "Сохранить (несохраненная правка)"});
        w.button(MainWindow::EditDictionary)->click();
        auto* editor = w.findChild<UserDictionaryEditor*>();
        auto* exportButton = editor->findChild<QAbstractButton*>("exportTmxButton");
        QCOMPARE(exportButton->text(), QStringLiteral("Экспорт в TMX…"));

        const QString target = tmp.filePath("out.tmx");
        ui.saveFileAnswers = {target, target};
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
        exportButton->click();
        setWriteFaultForTesting({});
        QCOMPARE(ui.saveFileSuggestions.value(0), tmp.filePath("User.tmx"));
        QCOMPARE(ui.fileFilters.value(0), QStringLiteral("Память переводов TMX (*.tmx);;Все файлы (*)"));
        QCOMPARE(ui.messages.last().icon, MessageIcon::Stop);
        QVERIFY(ui.messages.last().text.contains("нет места на диске"));
        QVERIFY(!QFileInfo::exists(target));

        exportButton->click();
        QCOMPARE(ui.messages.last().icon, MessageIcon::Information);
        QCOMPARE(ui.messages.last().text.split(u'\n'),
                 (QStringList{"Записано единиц перевода: 2 в файл " + QDir::toNativeSeparators(target),
                              "Пропущены пары с пустой строкой словаря пользователя: 1"}));
        const QByteArray written = readBytes(target);
        QVERIFY(written.contains("<seg>Сохранить (несохраненная правка)</seg>"));
        QCOMPARE(written.count("<tu>"), 2);
    }
};

QTEST_MAIN(TestTmxWindows)
#include "tst_tmxwindows.moc"
