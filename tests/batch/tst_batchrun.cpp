// kvarsel-batch's commands run in the test's own process, on scratch directories:
// what they write, what they report, and which exit status they give.
#include "RecordingConsole.h"
#include "TestUtil.h"
#include "batch/BatchCommand.h"
#include "batch/BatchRun.h"
#include "batch/BatchTexts.h"
#include "text/TextFile.h"

#include <QTest>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

QStringList stringTable(const QStringList& texts)
{
    QStringList lines{"STRINGTABLE", "BEGIN"};
    int id = 0;
    for (const QString& t : texts)
        lines << QStringLiteral("    IDS_%1 \"%2\"").arg(++id).arg(t);
    lines << "END";
    return lines;
}

// A working directory "work" and a resource directory "res" side by side.
struct Scratch {
    QTemporaryDir tmp;
    QString work = tmp.filePath("work");
    QString res = tmp.filePath("res");
    RecordingConsole console;

    Scratch() { QDir().mkpath(work); }
    void file(const QString& path, const QStringList& lines) { QVERIFY(writeLinesRaw(path, lines)); }
    void dictionary(const QString& name, const QStringList& lines) { file(work + "/" + name, lines); }
    void strings(const QStringList& texts, const QString& name = "strings.rc")
    {
        file(res + "/string/" + name, stringTable(texts));
    }
    QStringList scriptLines(const QString& rel) const { return readLines(res + "/" + rel).lines; }
    int run(const QStringList& args) { return runBatch(args, work, console); }
};

// The demo's working directory with its resources, in a scratch copy.
struct DemoCopy {
    QTemporaryDir tmp;
    QString dir = tmp.path();
    QString res = tmp.filePath("resources");
    RecordingConsole console;
    DemoCopy() { copyTree(demoDir(), dir); }
    int run(const QStringList& args) { return runBatch(args, dir, console); }
    QByteArray bytes(const QString& rel) const { return readBytes(res + "/" + rel); }
};

const QStringList kDemoScripts{"menu/main.rc",       "menu/tray.rc",      "dialog/about.rc",
                               "dialog/options.rc",  "string/strings.rc", "rcdata/findform.txt",
                               "rcdata/mainform.txt"};

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setWriteFaultForTesting({}); }

    void usageErrorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message"); // "%1" stands for the working directory
        QTest::addColumn<QString>("hint");
        QTest::newRow("no command") << QStringList{} << batch_texts::kNoCommand
                                    << "Справка: kvarsel-batch --help";
        QTest::newRow("bad option") << QStringList{"stats", "res", "-x"}
                                    << batch_texts::unknownOption("-x", "stats")
                                    << "Справка: kvarsel-batch stats --help";
        QTest::newRow("missing resource directory")
            << QStringList{"stats", "nowhere"} << batch_texts::resourceDirMissing("%1/nowhere") << QString();
        QTest::newRow("directory without kinds")
            << QStringList{"export", "."} << batch_texts::resourceDirWithoutKinds("%1") << QString();
        QTest::newRow("missing working directory") << QStringList{"translate", "../res", "--workdir", "none"}
                                                   << batch_texts::workDirMissing("%1/none") << QString();
    }
    void usageErrorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(QString, hint);
        Scratch s;
        s.strings({"Open"});
        QCOMPARE(s.run(args), kExitUsage);
        QVERIFY(s.console.outLines.isEmpty());
        QCOMPARE(s.console.errLines.value(0), "kvarsel-batch: " + QString(message).replace("%1", s.work));
        QCOMPARE(s.console.errLines.value(1), hint);
    }

    void statsCountsEachKind()
    {
        Scratch s;
        // "X" is refused (one character); "OK" is a text but too short to export;
        // "Save" and "save" are one exported phrase; "Готово" is already Russian.
        s.strings({"Open file", "Готово", "OK", "Save", "X"});
        s.file(s.res + "/string/more.rc", stringTable({"save", "Line one\\nLine two"}));
        s.file(s.res + "/menu/main.rc", {"MENU", "BEGIN", "  POPUP \"&File\"", "END"});
        s.file(s.res + "/menu/empty.rc", {});
        QDir().mkpath(s.res + "/dialog"); // present, without scripts
        QCOMPARE(s.run({"stats", "../res"}), kExitOk);
        QCOMPARE(s.console.outLines,
                 (QStringList{"Вид       Файлов    Строк  Текстов  На русском  Для экспорта",
                              "Menu           2        4        1           0             1",
                              "Dialog         0        0        0           0             0",
                              "String         2       13        6           1             4",
                              "RcData         0        0        0           0             0",
                              "Всего          4       17        7           1             5",
                              "Кодировки сценариев:",
                              "Вид       Windows-1251   UTF-8  UTF-8 с BOM  UTF-16LE  UTF-16BE",
                              "Menu                 2       0            0         0         0",
                              "Dialog               0       0            0         0         0",
                              "String               2       0            0         0         0",
                              "RcData               0       0            0         0         0",
                              "Всего                4       0            0         0         0",
                              "Фраз для файла отложенного перевода (без повторов): 4"}));
    }

    void statsReportsUnreadableScripts()
    {
        Scratch s;
        s.strings({"Open"});
        QDir().mkpath(s.res + "/string/broken.rc"); // a directory where a script should be
        QCOMPARE(s.run({"stats", s.res}), kExitFileError);
        QCOMPARE(s.console.errLines.value(0), batch_texts::kScriptsNotRead);
        QVERIFY(s.console.errLines.value(1).contains(s.res + "/string/broken.rc"));
        QVERIFY(s.console.outText().contains("String         1        4        1"));
    }

    // Earlier dictionaries win, so the order of --dictionary decides.
    void dictionaryOrderDecides_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("file");
        QTest::newRow("a first") << QStringList{"a.dic", "b.dic"} << "Файл";
        QTest::newRow("b first") << QStringList{"b.dic", "a.dic"} << "Документ";
    }
    void dictionaryOrderDecides()
    {
        QFETCH(QStringList, order);
        QFETCH(QString, file);
        Scratch s;
        s.dictionary("a.dic", {"File", "Файл", "Open", "Открыть"});
        s.dictionary("b.dic", {"File", "Документ", "Save", "Сохранить"});
        s.strings({"File", "Open", "Save", "Exit"});
        QStringList args{"translate", s.res};
        for (const QString& d : order)
            args << "--dictionary" << d;
        QCOMPARE(s.run(args), kExitOk);
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({file, "Открыть", "Сохранить", "Exit"}));
        QVERIFY(s.console.errLines.isEmpty());
    }

    void summaryNamesEveryDictionary()
    {
        Scratch s;
        s.dictionary("User.dic", {"Exit", "Выход"});
        s.dictionary("a.dic", {"File", "Файл", "Open", "Открыть"});
        s.dictionary("b.dic", {"File", "Документ", "Save", "Сохранить", "OK", "OK"});
        s.file(s.work + "/velmora.ini", {"User.dic", "a.dic", "b.dic"});
        s.strings({"File", "Open", "Save", "Exit", "OK", "Help", "Готово"});
        s.file(s.res + "/menu/main.rc", {"MENU", "  MENUITEM \"&Open\", 1"});
        QCOMPARE(s.run({"translate", s.res, "--dry-run"}), kExitOk);
        const QString work = QDir::cleanPath(s.work);
        QCOMPARE(s.console.outLines,
                 (QStringList{
                     "Каталог ресурсов: " + s.res, "Вид       Файлов    Строк", "Menu           1        2",
                     "Dialog         0        0", "String         1       10", "RcData         0        0",
                     "Всего          2       12", "Кодировки сценариев:",
                     "Вид       Windows-1251   UTF-8  UTF-8 с BOM  UTF-16LE  UTF-16BE",
                     "Menu                 1       0            0         0         0",
                     "Dialog               0       0            0         0         0",
                     "String               1       0            0         0         0",
                     "RcData               0       0            0         0         0",
                     "Всего                2       0            0         0         0",
                     "Текстов: 8, из них уже на русском: 1",
                     "Переведено словарями:", "  Пользовательский словарь (" + work + "/User.dic): 1",
                     "  Словарь № 2 из  3 используемых (" + work + "/a.dic): 3",
                     "  Словарь № 3 из  3 используемых (" + work + "/b.dic): 2",
                     // "OK" became "OK" and "Help" is unknown: neither changed.
                     "Осталось без перевода: 2", "Пробный запуск: сценарии не записаны."}));
        QCOMPARE(s.scriptLines("string/strings.rc"),
                 stringTable({"File", "Open", "Save", "Exit", "OK", "Help", "Готово"}));
        // The same run named through --dictionary: the work dir's User.dic first keeps its name.
        s.console = RecordingConsole();
        QCOMPARE(
            s.run({"translate", s.res, "--dry-run", "--dictionary", "./User.dic", "--dictionary", "b.dic"}),
            kExitOk);
        QVERIFY2(s.console.outLines.contains("  Пользовательский словарь (" + work + "/User.dic): 1"),
                 qPrintable(s.console.outText()));
        s.console = RecordingConsole();
        QCOMPARE(
            s.run({"translate", s.res, "--dry-run", "--dictionary", "b.dic", "--dictionary", "User.dic"}),
            kExitOk);
        QVERIFY(s.console.outLines.contains("  Словарь № 1 из  2 используемых (" + work + "/b.dic): 3"));
        QVERIFY(s.console.outLines.contains("  Словарь № 2 из  2 используемых (" + work + "/User.dic): 1"));
    }

    // Hide mode hides the translated rows from later work; the lines written are the same.
    void hideTranslatedWritesTheSameScripts()
    {
        DemoCopy shown, hidden;
        QCOMPARE(shown.run({"translate", shown.res}), kExitOk);
        QCOMPARE(hidden.run({"translate", hidden.res, "--hide-translated"}), kExitOk);
        for (const QString& script : kDemoScripts)
            QCOMPARE(hidden.bytes(script), shown.bytes(script));
        QVERIFY(shown.bytes("menu/main.rc") != readBytes(demoDir() + "/resources/menu/main.rc"));
        QCOMPARE(shown.console.outLines.last(), QStringLiteral("Записано сценариев: 7"));
        // The menu's readme.txt is not a script and stays as it was.
        QCOMPARE(shown.bytes("menu/readme.txt"), readBytes(demoDir() + "/resources/menu/readme.txt"));
    }

    void hideRussianKeepsMixedLines()
    {
        Scratch s;
        s.dictionary("a.dic", {"Open файл", "Открыть файл", "Open", "Открыть"});
        s.strings({"Open файл", "Open"});
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "a.dic", "--hide-russian"}), kExitOk);
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Open файл", "Открыть"}));
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "a.dic"}), kExitOk);
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Открыть файл", "Открыть"}));
    }

    void dryRunLeavesScriptsAlone()
    {
        DemoCopy d;
        QCOMPARE(d.run({"translate", d.res, "--dry-run"}), kExitOk);
        for (const QString& script : kDemoScripts)
            QCOMPARE(d.bytes(script), readBytes(demoDir() + "/resources/" + script));
        // The user dictionary is only read.
        QCOMPARE(readBytes(d.dir + "/User.dic"), readBytes(demoDir() + "/User.dic"));
        QVERIFY(!QFile::exists(d.dir + "/User.old"));
    }

    void unreadableScriptIsNamedAndTheRestWritten()
    {
        Scratch s;
        s.dictionary("a.dic", {"Open", "Открыть"});
        s.strings({"Open"});
        QDir().mkpath(s.res + "/string/broken.rc");
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "a.dic"}), kExitFileError);
        QCOMPARE(s.console.errLines.value(0), batch_texts::kScriptsNotRead);
        QVERIFY(s.console.errLines.value(1).startsWith("Файл «" + s.res + "/string/broken.rc»: "));
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Открыть"}));
        QVERIFY(QFileInfo(s.res + "/string/broken.rc").isDir());
        QVERIFY(s.console.outText().contains("Записано сценариев: 1"));
    }

    void failedWriteKeepsTheOldFile()
    {
        DemoCopy d;
        setWriteFaultForTesting([](const QString& p) {
            return p.endsWith("about.rc") ? QStringLiteral("нет прав доступа") : QString();
        });
        QCOMPARE(d.run({"translate", d.res}), kExitFileError);
        setWriteFaultForTesting({});
        QCOMPARE(d.console.errLines, (QStringList{batch_texts::kScriptsNotWritten,
                                                  "Файл «" + d.res + "/dialog/about.rc»: нет прав доступа"}));
        QCOMPARE(d.bytes("dialog/about.rc"), readBytes(demoDir() + "/resources/dialog/about.rc"));
        QVERIFY(d.bytes("menu/main.rc") != readBytes(demoDir() + "/resources/menu/main.rc"));
        QCOMPARE(d.console.outLines.last(), QStringLiteral("Записано сценариев: 6"));
    }

    void missingDictionaryIsReportedAfterTheRun()
    {
        Scratch s;
        s.dictionary("a.dic", {"Open", "Открыть"});
        s.strings({"Open", "Save"});
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "gone.dic", "--dictionary", "a.dic"}),
                 kExitFileError);
        QCOMPARE(s.console.errLines.value(0), batch_texts::kDictionariesNotRead);
        QVERIFY(s.console.errLines.value(1).startsWith("Файл «" + QDir::cleanPath(s.work) + "/gone.dic»"));
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Открыть", "Save"}));
    }

    void unreadableSettingsStopBeforeWriting()
    {
        DemoCopy d;
        QVERIFY(QFile::remove(d.dir + "/velmora.ini"));
        QVERIFY(QDir().mkpath(d.dir + "/velmora.ini"));
        QCOMPARE(d.run({"translate", d.res}), kExitFileError);
        QCOMPARE(d.console.errLines.value(0), batch_texts::kSettingsNotRead);
        QVERIFY(d.console.outLines.isEmpty());
        for (const QString& script : kDemoScripts)
            QCOMPARE(d.bytes(script), readBytes(demoDir() + "/resources/" + script));
    }

    void workDirWithoutDictionaries()
    {
        Scratch s;
        s.strings({"Open"});
        QCOMPARE(s.run({"translate", s.res}), kExitUsage);
        QVERIFY(s.console.errText().contains(batch_texts::kNoDictionaryFiles));
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Open"}));
        // Naming a dictionary elsewhere needs none in the working directory.
        s.file(s.tmp.filePath("elsewhere/a.dic"), {"Open", "Открыть"});
        s.console = RecordingConsole();
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "../elsewhere/a.dic"}), kExitOk);
        QCOMPARE(s.scriptLines("string/strings.rc"), stringTable({"Открыть"}));
    }

    void nothingConnectedWarns()
    {
        Scratch s;
        s.dictionary("a.dic", {"Open", "Открыть"});
        s.strings({"Open"});
        QCOMPARE(s.run({"translate", s.res}), kExitOk);
        QCOMPARE(s.console.errText(), batch_texts::kNothingConnected);
        QVERIFY(s.console.outLines.contains("Словари не подключены."));
        QVERIFY(s.console.outLines.contains("Осталось без перевода: 1"));
    }

    void progressOnlyOnATerminal_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("terminal") << true;
        QTest::newRow("pipe") << false;
    }
    void progressOnlyOnATerminal()
    {
        QFETCH(bool, terminal);
        DemoCopy d;
        d.console.terminal = terminal;
        QCOMPARE(d.run({"translate", d.res}), kExitOk);
        if (!terminal) {
            QVERIFY(d.console.progressTexts.isEmpty());
            return;
        }
        QVERIFY(d.console.progressTexts.contains("Загрузка Menu: файл 2 из 2"));
        QVERIFY(d.console.progressTexts.contains("Перевод: словарь 3 из 3, 0%"));
        QVERIFY(d.console.progressTexts.contains("Запись RcData: 0%"));
        QCOMPARE(d.console.progressTexts.last(), QString()); // cleared before the summary
    }

    void exportWritesDepTrans_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("target");
        QTest::newRow("default") << QStringList{} << "res/DepTrans.txt";
        QTest::newRow("--output") << QStringList{"--output", "../phrases.txt"} << "phrases.txt";
    }
    void exportWritesDepTrans()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, target);
        Scratch s;
        s.strings({"Save", "Open file", "save", "OK", "Line one\\nLine two", "Готово"});
        s.file(s.res + "/DepTrans.txt", {"stale", "lines", "from before", "more"});
        QCOMPARE(s.run(QStringList{"export", s.res} + options), kExitOk);
        const QString path = s.tmp.filePath(target);
        QCOMPARE(readLines(path).lines, (QStringList{"Line one \\n Line two", "Open file", "Save"}));
        QCOMPARE(s.console.outLines, QStringList{"Записано фраз: 3 в файл " + path});
        if (!options.isEmpty())
            QCOMPARE(readLines(s.res + "/DepTrans.txt").lines.size(), 4);
    }

    void exportWithoutEnglishWritesNothing()
    {
        Scratch s;
        s.strings({"OK", "Готово", "..."});
        s.file(s.res + "/DepTrans.txt", {"kept"});
        QCOMPARE(s.run({"export", s.res}), kExitOk);
        QCOMPARE(readLines(s.res + "/DepTrans.txt").lines, QStringList{"kept"});
        QCOMPARE(s.console.outLines, QStringList{"Строки на английском языке не найдены: файл не записан."});
    }

    void exportFailureKeepsTheOldFile()
    {
        Scratch s;
        s.strings({"Open file"});
        s.file(s.res + "/DepTrans.txt", {"kept"});
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
        QCOMPARE(s.run({"export", s.res}), kExitFileError);
        setWriteFaultForTesting({});
        QCOMPARE(s.console.errLines, (QStringList{batch_texts::kDepTransNotWritten,
                                                  "Файл «" + s.res + "/DepTrans.txt»: нет места на диске"}));
        QCOMPARE(readLines(s.res + "/DepTrans.txt").lines, QStringList{"kept"});
        QVERIFY(s.console.outLines.isEmpty());
    }

    // --output naming one of the program's inputs would overwrite it with phrases.
    void exportRefusesAnInputAsOutput_data()
    {
        QTest::addColumn<QString>("output"); // relative to the scratch directory
        QTest::addColumn<QString>("what");
        QTest::newRow("script") << "res/string/strings.rc"
                                << "сценарий";
        QTest::newRow("script, other case") << "res/string/STRINGS.rc"
                                            << "сценарий";
        QTest::newRow("link to a script") << "link.txt"
                                          << "сценарий";
        QTest::newRow("user dictionary") << "work/user.DIC"
                                         << "словарь пользователя";
        QTest::newRow("its backup") << "work/USER.old"
                                    << "резервная копия словаря пользователя";
        QTest::newRow("settings") << "work/velmora.ini"
                                  << "файл настроек";
        QTest::newRow("dictionary") << "work/a.dic"
                                    << "словарь";
    }
    void exportRefusesAnInputAsOutput()
    {
        QFETCH(QString, output);
        QFETCH(QString, what);
        Scratch s;
        s.strings({"Open file"});
        s.dictionary("User.dic", {"Exit", "Выход"});
        s.dictionary("User.old", {"Exit", "Выйти"});
        s.dictionary("a.dic", {"File", "Файл"});
        s.file(s.work + "/velmora.ini", {"User.dic", "a.dic"});
        QVERIFY(QFile::link(s.res + "/string/strings.rc", s.tmp.filePath("link.txt")));
        const QString target = s.tmp.filePath(output);
        const QString real = QFileInfo(target).exists() ? target : QString();
        const QByteArray before = readBytes(QFileInfo(target).canonicalFilePath());
        QCOMPARE(s.run({"export", s.res, "--output", target}), kExitUsage);
        QCOMPARE(s.console.errLines.value(0),
                 batch_texts::kProgram + ": " + batch_texts::outputIsInput(target, what));
        QVERIFY(s.console.outLines.isEmpty());
        if (!real.isEmpty())
            QCOMPARE(readBytes(real), before);
        QCOMPARE(QDir(s.work).entryList(QDir::Files).size(), 4);
    }

    // The script a current resource editor saves (UTF-16LE with a mark) next to
    // UTF-8 and Windows-1251 ones: each translated and written back in its own encoding.
    void scriptsInEveryEncodingTranslateAndCount()
    {
        Scratch s;
        const QString golden = QStringLiteral(KVARSEL_TEST_DATA "/encodings/");
        QVERIFY(copyTree(golden + "utf16le/res/menu", s.res + "/menu"));
        QVERIFY(copyTree(golden + "utf8/res/string", s.res + "/string"));
        QVERIFY(copyTree(golden + "cp1251/res/dialog", s.res + "/dialog"));
        QVERIFY(QFile::copy(golden + "work/a.dic", s.work + "/a.dic"));
        QCOMPARE(s.run({"stats", s.res}), kExitOk);
        const QStringList counts{"Menu                 0       0            0         1         0",
                                 "Dialog               1       0            0         0         0",
                                 "String               0       2            0         0         0",
                                 "Всего                1       2            0         1         0"};
        for (const QString& line : counts)
            QVERIFY2(s.console.outLines.contains(line), qPrintable(s.console.outText()));
        s.console = RecordingConsole();
        QCOMPARE(s.run({"translate", s.res, "--dictionary", "a.dic"}), kExitOk);
        for (const QString& line : counts)
            QVERIFY2(s.console.outLines.contains(line), qPrintable(s.console.outText()));
        QCOMPARE(s.console.outLines.last(), QStringLiteral("Записано сценариев: 4"));
        QCOMPARE(readBytes(s.res + "/menu/main.rc"), readBytes(golden + "utf16le/expected/menu/main.rc"));
        QCOMPARE(readBytes(s.res + "/string/wide.rc"), readBytes(golden + "utf8/expected/string/wide.rc"));
        QCOMPARE(readBytes(s.res + "/dialog/empty.rc"), QByteArray());
    }
};

QTEST_GUILESS_MAIN(BatchRunTest)
#include "tst_batchrun.moc"
