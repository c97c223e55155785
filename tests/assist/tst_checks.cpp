// Each check of a translation, one row per case.
#include "assist/Spelling.h"
#include "assist/TranslationChecks.h"

#include "TestUtil.h"
#include "text/TextFile.h"

#include <QtTest>

using namespace kvarsel;

class TestChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findings_data();
    void findings();
    void spelling_data();
    void spelling();
    void personalWordList();
    void programTexts_data();
    void programTexts();
};

// Hunspell's ru_RU on the words a translator types: what it reports, and what it
// must leave alone (program text, Latin names, placeholders, marks).
void TestChecks::spelling_data()
{
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QStringList>("misspelled");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("correct words") << "Сохранить все открытые файлы?" << QStringList() << QList<int>();
    QTest::newRow("typos") << "Сохранть фаил" << QStringList{"Сохранть", "фаил"} << QList<int>{0, 9};
    QTest::newRow("capitals and ё") << "ПАРАМЕТРЫ, ещё, еще" << QStringList() << QList<int>();
    QTest::newRow("Latin names and mixed words")
        << "Настройки Wi-Fi, Bluetooth и USB-порта" << QStringList() << QList<int>();
    QTest::newRow("printf, numbered and named placeholders")
        << "Файл %s: %-10.2lf%% из %1, {0} или {count}" << QStringList() << QList<int>();
    QTest::newRow("escapes glued to words") << "Строка\\nвторая\\tтретья" << QStringList() << QList<int>();
    QTest::newRow("escape before a typo") << "\\nВтарая" << QStringList{"Втарая"} << QList<int>{2};
    QTest::newRow("words with digits") << "Шаг 2из3, 10мм" << QStringList() << QList<int>();
    QTest::newRow("accelerator marks inside words") << "&Файл и Пр&авка" << QStringList() << QList<int>();
    QTest::newRow("a mark inside a typo") << "Пр&авкка" << QStringList{"Правкка"} << QList<int>{0};
    QTest::newRow("a name only the personal list knows")
        << "О программе Кварсел" << QStringList{"Кварсел"} << QList<int>{12};
    QTest::newRow("abbreviations in capitals") << "ОК, 5 МБ из 2 ГБ, ЦП" << QStringList() << QList<int>();
    QTest::newRow("software terms in their forms")
        << "Автозамены, юникода, прокси, несохраненные, Неподдерживаемого, скриншоты" << QStringList()
        << QList<int>();
    QTest::newRow("abbreviations the terms list knows")
        << "Вкл., выкл., Стр 2, стлб" << QStringList() << QList<int>();
    QTest::newRow("a typo beside a term")
        << "Автозамена и Автозаменна" << QStringList{"Автозаменна"} << QList<int>{13};
    QTest::newRow("a typo after a term and a hyphen")
        << "прокси-сервре" << QStringList{"сервре"} << QList<int>{7};
}

void TestChecks::spelling()
{
    QFETCH(QString, translation);
    QFETCH(QStringList, misspelled);
    QFETCH(QList<int>, starts);
    QTemporaryDir dir;
    SpellChecker checker(dir.path());
    QVERIFY2(checker.isAvailable(), qPrintable(checker.offReason()));
    QStringList words;
    QList<int> at;
    for (const TextWord& w : checker.misspelled(translation)) {
        words << w.word;
        at << int(w.start);
    }
    QCOMPARE(words, misspelled);
    QCOMPARE(at, starts);
}

void TestChecks::personalWordList()
{
    QTemporaryDir dir;
    {
        SpellChecker checker(dir.path());
        QVERIFY(!checker.isCorrect("Кварсел"));
        QVERIFY(!checker.addPersonalWord("Кварсел"));
        QVERIFY(checker.isCorrect("Кварсел"));
        QCOMPARE(spellingFindings(checker, "Кварсел и Квасрел"), QStringList{"орфография: «Квасрел»"});
    }
    // UTF-8, a word a line, read by the next start; its forms follow the word.
    QCOMPARE(test::readBytes(dir.filePath("Words.txt")), QByteArray("Кварсел\r\n"));
    SpellChecker again(dir.path());
    QVERIFY(again.isCorrect("КВАРСЕЛ"));
    // A list that cannot be read is never written over with only the new word.
    QTemporaryDir broken;
    QVERIFY(QDir(broken.path()).mkdir("Words.txt"));
    SpellChecker checker(broken.path());
    QVERIFY(checker.personalListError());
    QVERIFY(checker.addPersonalWord("Кварсел"));
    QVERIFY(QFileInfo(broken.filePath("Words.txt")).isDir());
    // A working directory's own Terms.txt stands in for the list built in.
    QTemporaryDir own;
    QVERIFY(test::writeBytes(own.filePath("Terms.txt"), "# ours\nкварсел\nавтозаменка замена\n"));
    SpellChecker withOwn(own.path());
    QVERIFY(withOwn.isCorrect("Кварсел"));
    QVERIFY(withOwn.isCorrect("автозаменки"));
    QVERIFY(!withOwn.isCorrect("прокси"));
    QCOMPARE(withOwn.terms(), (QStringList{"кварсел", "автозаменка"}));
    // Without the system's dictionary nothing is reported, and the reason is told.
    SpellChecker off(dir.path(), SpellingDictionary{{}, "выключена"});
    QVERIFY(!off.isAvailable());
    QVERIFY(off.misspelled(u"Сохранть").isEmpty());
}

// Real programs' Russian texts (tests/data/spelling, English and Russian lines in
// turn; player.txt was written after the terms list and left as it came): at most
// one text in twenty gets a spelling finding, and each typo planted is found.
void TestChecks::programTexts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("typo");
    QTest::newRow("a media player, none planted") << "player.txt" << QString() << QString() << QString();
    QTest::newRow("a backup program, none planted") << "program.txt" << QString() << QString() << QString();
    QTest::newRow("a letter doubled") << "program.txt"
                                      << "Не удается открыть файл %s."
                                      << "удается"
                                      << "удаеться";
    QTest::newRow("a letter left out") << "program.txt"
                                       << "Есть несохраненные изменения. Сохранить их перед закрытием?"
                                       << "изменения"
                                       << "изменени";
    QTest::newRow("letters swapped") << "program.txt"
                                     << "Неподдерживаемый формат файла."
                                     << "формат"
                                     << "фромат";
    QTest::newRow("next to a term") << "program.txt"
                                    << "Очистить кэш"
                                    << "Очистить"
                                    << "Очистеть";
    QTest::newRow("beside an abbreviation") << "program.txt"
                                            << "Свободно: %s МБ"
                                            << "Свободно"
                                            << "Свабодно";
    QTest::newRow("after a mark") << "program.txt"
                                  << "&Панель инструментов"
                                  << "инструментов"
                                  << "инструметов";
}

void TestChecks::programTexts()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(QString, typo);
    const LinesRead read = readLines(QStringLiteral(KVARSEL_TEST_DATA "/spelling/") + file);
    QVERIFY(read.ok());
    QStringList russian;
    for (qsizetype i = 1; i < read.lines.size(); i += 2)
        russian << read.lines[i];
    QTemporaryDir dir;
    SpellChecker checker(dir.path());
    if (!typo.isEmpty()) {
        const qsizetype at = russian.indexOf(text);
        QVERIFY(at >= 0);
        russian[at].replace(word, typo);
        const QList<TextWord> found = checker.misspelled(russian[at]);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().word, typo);
    }
    qsizetype withFindings = 0;
    for (const QString& t : std::as_const(russian))
        withFindings += !checker.misspelled(t).isEmpty();
    QVERIFY2(withFindings * 20 <= russian.size(),
             qPrintable(QStringLiteral("%1 of %2").arg(withFindings).arg(russian.size())));
}

void TestChecks::findings_data()
{
    namespace t = check_texts;
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("clean") << "Open %s file"
                           << "Открыть файл %s" << QStringList();
    QTest::newRow("placeholders reordered") << "%1 of %2"
                                            << "%2 из %1" << QStringList();
    QTest::newRow("printf flags width precision")
        << "Size %-08.2lf, %5d"
        << "Размер %5d" << QStringList{t::missingPlaceholders({"%-08.2lf"})};
    QTest::newRow("added placeholder") << "Done now"
                                       << "Готово {0}" << QStringList{t::extraPlaceholders({"{0}"})};
    QTest::newRow("multiset counts") << "%s and %s"
                                     << "%s и" << QStringList{t::missingPlaceholders({"%s"})};
    QTest::newRow("percent in prose") << "50% done"
                                      << "готово на 50%" << QStringList();
    QTest::newRow("percent sign") << "100%% done"
                                  << "готово на 100" << QStringList{t::missingPlaceholders({"%%"})};
    QTest::newRow("escape lost") << "Line\\nNext"
                                 << "Строка Следующая" << QStringList{t::escapeCount("\\n", 1, 0)};
    QTest::newRow("escaped backslash is one") << "C:\\\\dir"
                                              << "C:\\\\каталог" << QStringList();
    QTest::newRow("quote escape added") << "Your name"
                                        << "Имя \\\"x\\\"" << QStringList{t::escapeCount("\\\"", 0, 2)};
    QTest::newRow("leading blank only in source") << " Open"
                                                  << "Открыть" << QStringList{t::kLeadingOnlySource};
    QTest::newRow("trailing blank only in translation")
        << "Open"
        << "Открыть " << QStringList{t::kTrailingOnlyTranslation};
    QTest::newRow("latin o in russian word")
        << "Open"
        << "Oткрыть" << QStringList{t::mixedWord(QStringLiteral("Oткрыть"))};
    QTest::newRow("escape letter is no part of a word") << "Line\\nnext"
                                                        << "Строка\\nдалее" << QStringList();
    QTest::newRow("equal to source") << "OK"
                                     << "ok" << QStringList{t::kEqual};
    QTest::newRow("empty") << "Open"
                           << "" << QStringList{t::kEmpty};
    QTest::newRow("no cyrillic") << "Open"
                                 << "Otkryt" << QStringList{t::kNoCyrillic};
    QTest::newRow("digits only source") << "1:2"
                                        << "1 : 2" << QStringList();
    QTest::newRow("more than twice as long")
        << "Close file"
        << "Закрыть этот файл и все его окна" << QStringList{t::kTooLong};
    QTest::newRow("lone quote will be doubled") << "Find Next"
                                                << "Найти \"далее\"" << QStringList{t::kQuoteDoubled};
    QTest::newRow("doubled quote already written") << "Say \"\"Hi\"\""
                                                   << "Скажи \"\"привет\"\"" << QStringList{};
    QTest::newRow("apostrophe will be doubled")
        << "Match case"
        << "Учитывать 'регистр'" << QStringList{t::kApostropheDoubled};
    QTest::newRow("typographic quotes") << "Find Next"
                                        << "Найти «далее»" << QStringList{};
    QTest::newRow("short word, established longer term") << "Toolbar"
                                                         << "Панель инструментов" << QStringList{};
}

void TestChecks::findings()
{
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QFETCH(QStringList, expected);
    QCOMPARE(checkTranslation(source, translation), expected);
}

QTEST_GUILESS_MAIN(TestChecks)
#include "tst_checks.moc"
