// kvarsel-batch suggest and check on real files.
#include "batch/BatchRun.h"

#include "RecordingConsole.h"
#include "TestUtil.h"

#include <QScopeGuard>
#include <QtTest>

using namespace kvarsel;

class TestBatchAssist : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void suggestListsTextsWithoutExactTranslation();
    void checkStatuses_data();
    void checkStatuses();
    void checkWithoutTheRussianDictionary();
    void usageErrors_data();
    void usageErrors();
};

void TestBatchAssist::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("similarity above 100") << QStringList{"suggest", "res", "--min", "101"};
    QTest::newRow("no suggestions asked") << QStringList{"suggest", "res", "--limit=0"};
    QTest::newRow("not a number") << QStringList{"suggest", "res", "--limit", "3x"};
    QTest::newRow("check without files") << QStringList{"check"};
    QTest::newRow("check takes no options") << QStringList{"check", "--min", "5", "a.dic"};
}

void TestBatchAssist::usageErrors()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    test::RecordingConsole console;
    QCOMPARE(runBatch(arguments, dir.path(), console), 2);
    QVERIFY(console.outLines.isEmpty());
}

void TestBatchAssist::suggestListsTextsWithoutExactTranslation()
{
    QTemporaryDir dir;
    const QString work = dir.filePath("work"), res = dir.filePath("res");
    QVERIFY(test::writeLinesRaw(work + "/User.dic", {"Print all", "Печатать все"}));
    QVERIFY(test::writeLinesRaw(work + "/a.dic", {"Print", "Печать", "Print page", "Печать страницы"}));
    QVERIFY(test::writeLinesRaw(work + "/velmora.ini", {"a.dic"}));
    QVERIFY(
        test::writeLinesRaw(res + "/string/s.rc", {"STRINGTABLE", "BEGIN", "    IDS_1 \"Print\"",
                                                   "    IDS_2 \"Print pages\"", "    IDS_3 \"Print pages\"",
                                                   "    IDS_4 \"Печать\"", "    IDS_5 \"Zzz\"", "END"}));
    test::RecordingConsole console;
    // "Print" has its exact translation, the Russian text and "Zzz" get nothing;
    // the user dictionary is searched though not connected.
    QCOMPARE(runBatch({"suggest", res, "--workdir", work}, dir.path(), console), 0);
    QCOMPARE(console.outLines, (QStringList{"Print pages\t90\tPrint page\tПечать страницы\ta.dic",
                                            "Print pages\t63\tPrint all\tПечатать все\tUser.dic"}));
    test::RecordingConsole one;
    QCOMPARE(runBatch({"suggest", res, "--workdir", work, "--limit", "1", "--min=80"}, dir.path(), one), 0);
    QCOMPARE(one.outLines, QStringList{"Print pages\t90\tPrint page\tПечать страницы\ta.dic"});
}

void TestBatchAssist::checkStatuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("options"); // and, after "|", the lines of Words.txt
    QTest::newRow("clean dictionary") << "a.dic" << QStringList{"Open", "Открыть", "", "Close", "Закрыть"}
                                      << 0 << QStringList() << QStringList();
    QTest::newRow("dictionary skips empty lines")
        << "a.dic" << QStringList{"Open %s", "", "Открыть", "Close", "Закрыть"} << 3
        << QStringList{"a.dic:1: В переводе потерян заполнитель %s: Open %s → Открыть"} << QStringList();
    QTest::newRow("user dictionary keeps them")
        << "User.dic" << QStringList{"Open", "", "Close", "Закрыть"} << 3
        << QStringList{"User.dic:1: Перевод пуст: Open → "} << QStringList();
    QTest::newRow("bilingual escapes turned back")
        << "bi.txt" << QStringList{"Line \\n next", "Строка \\n далее", "Quit", "Quit"} << 3
        << QStringList{"bi.txt:3: Перевод совпадает с исходным текстом: Quit → Quit"} << QStringList();
    QTest::newRow("unreadable") << "" << QStringList() << 1 << QStringList() << QStringList();
    // A resource directory: its menus' and dialogs' marks.
    QTest::newRow("resource directory, one popup, one letter twice")
        << "res/menu/m.rc"
        << QStringList{"M MENU", "BEGIN", "  MENUITEM \"&Open\", 1", "  MENUITEM \"&Over && out\", 2", "END"}
        << 3
        << QStringList{"res/menu/m.rc:4: клавиша доступа «O» совпадает со строкой 3: MENUITEM \"&Open\", 1"}
        << QStringList();
    // Spelling: Hunspell's words, the working directory's own, or none at all.
    const QStringList typo{"Save", "Сохранть", "About Kvarsel", "О программе Кварсел"};
    QTest::newRow("misspelled words with suggestions")
        << "a.dic" << typo << 3
        << QStringList{"a.dic:1: орфография: «Сохранть» → Сохранить, Сохранять, Сохранность, Охранять, "
                       "Охранить",
                       "a.dic:3: орфография: «Кварсел» → Акварель"}
        << QStringList();
    QTest::newRow("the personal word list of --workdir")
        << "a.dic" << typo << 3
        << QStringList{"a.dic:1: орфография: «Сохранть» → Сохранить, Сохранять, Сохранность, Охранять, "
                       "Охранить"}
        << QStringList{"--workdir", "w", "|", "Кварсел"};
    QTest::newRow("--no-spelling") << "a.dic" << typo << 0 << QStringList() << QStringList{"--no-spelling"};
}

void TestBatchAssist::checkStatuses()
{
    QFETCH(QString, name);
    QFETCH(QStringList, lines);
    QFETCH(int, status);
    QFETCH(QStringList, out);
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    if (!name.isEmpty())
        QVERIFY(test::writeLinesRaw(dir.filePath(name), lines));
    const qsizetype bar = options.indexOf("|");
    if (bar >= 0) {
        QVERIFY(QDir(dir.path()).mkdir(options[bar - 1]));
        QVERIFY(test::writeLinesRaw(dir.filePath(options[bar - 1] + "/Words.txt"), options.mid(bar + 1)));
        options = options.mid(0, bar);
    }
    test::RecordingConsole console;
    const QString given = name.isEmpty() ? QStringLiteral("missing.dic") : name.section(u'/', 0, 0);
    QCOMPARE(runBatch(QStringList{"check"} + options + QStringList{given}, dir.path(), console), status);
    QCOMPARE(console.outLines, out);
    QCOMPARE(console.errLines.isEmpty(), status != 1);
}

// A system without hunspell-ru: everything else is checked, and the output says once why spelling is not.
void TestBatchAssist::checkWithoutTheRussianDictionary()
{
    QTemporaryDir dir;
    QVERIFY(test::writeLinesRaw(dir.filePath("a.dic"), {"Save", "Сохранть", "Quit", "Quit"}));
    qputenv("DICPATH", dir.filePath("none").toLocal8Bit());
    const auto restore = qScopeGuard([] { qunsetenv("DICPATH"); });
    test::RecordingConsole console;
    QCOMPARE(runBatch({"check", "a.dic"}, dir.path(), console), 3);
    QCOMPARE(console.outLines, QStringList{"a.dic:3: Перевод совпадает с исходным текстом: Quit → Quit"});
    QCOMPARE(console.errLines.size(), 1);
    QVERIFY(console.errLines[0].startsWith(
        "Проверка орфографии выключена: не найден русский словарь Hunspell ru_RU"));
}

QTEST_GUILESS_MAIN(TestBatchAssist)
#include "tst_batchassist.moc"
