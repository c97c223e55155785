// Each check of a translation, one row per case.
#include "assist/TranslationChecks.h"

#include <QtTest>

using namespace kvarsel;

class TestChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findings_data();
    void findings();
};

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
