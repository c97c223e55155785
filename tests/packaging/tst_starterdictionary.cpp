// The starter dictionary that a new working directory gets: in the format the
// program reads, every source a text the loader can give, nothing for the optimiser
// to find, and the common texts of the demo resources translated.
#include "TestUtil.h"
#include "assist/CheckFiles.h"
#include "assist/Spelling.h"
#include "dictionary/DictionaryFiles.h"
#include "maintenance/OptimizerSession.h"
#include "model/SplitLine.h"
#include "project/Project.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"
#include "workspace/ResourceLoader.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QString kStarter = QStringLiteral(KVARSEL_TEMPLATE_DIR "/Windows.dic");

QStringList placeholders(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("%%|%[-+ 0#]*\\d*(?:\\.\\d+)?(?:l|ll|h)?[sducxXfgi]|%\\d|\\\\[nrt\"\\\\]|\\{\\d+\\}"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

} // namespace

class TestStarterDictionary : public QObject {
    Q_OBJECT
private slots:
    void format()
    {
        const QByteArray bytes = readBytes(kStarter);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n")); // CR LF only
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QByteArray again;
        QVERIFY(cp1251::encode(cp1251::decode(bytes), again) && again == bytes);

        CurrentDictionary dictionary;
        QVERIFY(!LoadDictionary(kStarter, dictionary));
        // No empty lines: loaded as a user dictionary, no entry would move.
        QCOMPARE(readLines(kStarter).lines.size(), dictionary.RowCount() - 2);
        QVERIFY(dictionary.RowCount() % 2 == 0);
        QVERIFY2(dictionary.RowCount() >= 2 + 2 * 1500, qPrintable(QString::number(dictionary.RowCount())));
    }

    void entries()
    {
        CurrentDictionary dictionary;
        QVERIFY(!LoadDictionary(kStarter, dictionary));
        QSet<QString> sources;
        for (qsizetype r = 2; r + 1 < dictionary.RowCount(); r += 2) {
            const QString& source = dictionary.Row(r);
            const QString& translation = dictionary.Row(r + 1);
            const QByteArray where = QStringLiteral("%1 / %2").arg(source, translation).toUtf8();
            // Lookup ignores letter case, so a second spelling would never be reached.
            QVERIFY2(!sources.contains(source.toLower()), where.constData());
            sources.insert(source.toLower());
            // Exactly the text a string table line gives for it: nothing the loader trims.
            const ResourceLine line =
                SplitLine(ResourceKind::String, QStringLiteral("    IDS_X \"%1\"").arg(source), false);
            QVERIFY2(line.text == source, where.constData());
            QVERIFY2(!source.contains(u'&'), where.constData());
            QCOMPARE(placeholders(translation), placeholders(source));
            QVERIFY2(translation == translation.trimmed() && !translation.isEmpty(), where.constData());
            QVERIFY2(cp1251::charCode(translation[0]) > 127 || translation[0] == u'%', where.constData());
        }
    }

    void passesTheOptimiser()
    {
        CurrentDictionary dictionary;
        QVERIFY(!LoadUserDictionary(QStringLiteral(KVARSEL_TEMPLATE_DIR), dictionary)); // the empty one
        LinesRead starter = readLines(kStarter);
        dictionary.Assign(QStringList{QString(), QString()} + starter.lines);
        const QStringList before = dictionary.rows();
        OptimizerSession session(dictionary);
        QVERIFY(!session.continueOptimization()); // prepares, then walks every entry
        QCOMPARE(session.pending(), OptimizerSession::Pending::None);
        QCOMPARE(dictionary.rows(), before); // nothing trimmed, nothing blanked
        session.checkForErrors();
        QCOMPARE(session.pending(), OptimizerSession::Pending::None);
        QCOMPARE(session.checkRow(), dictionary.RowCount());
        QCOMPARE(session.exit().removed, 0);
    }

    // What `kvarsel-batch check` reports on it in a new working directory: nothing,
    // spelling included, its software terms being the template's Terms.txt.
    void passesTheChecks()
    {
        SpellChecker spelling(QStringLiteral(KVARSEL_TEMPLATE_DIR));
        QVERIFY2(spelling.isAvailable(), qPrintable(spelling.offReason()));
        QVERIFY(!spelling.personalListError());
        const CheckedFile checked = checkFile(kStarter, &spelling);
        QVERIFY(!checked.error);
        for (const CheckedPair& pair : checked.pairs) {
            for (const QString& finding : pair.findings)
                qWarning("%s", qPrintable(findingLine(kStarter, pair, finding)));
            for (const Misspelling& m : pair.misspellings)
                qWarning("%s", qPrintable(spellingLine(kStarter, pair, m)));
        }
        QVERIFY(checked.pairs.isEmpty());
        // Every term of the list is needed (Hunspell alone lacks it), and the word
        // whose endings it takes is one Hunspell knows.
        QTemporaryDir bare;
        QVERIFY(writeBytes(bare.filePath("Terms.txt"), QByteArray()));
        SpellChecker plain(bare.path());
        const LinesRead terms = readLines(QStringLiteral(KVARSEL_TEMPLATE_DIR "/Terms.txt"));
        QVERIFY(terms.ok());
        QCOMPARE(spelling.terms().size(), terms.lines.filter(QRegularExpression("^[^#]")).size());
        for (const QString& line : terms.lines) {
            const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
            if (words.isEmpty() || line.startsWith(u'#'))
                continue;
            QVERIFY2(!plain.isCorrect(words[0]), qPrintable(line));
            QVERIFY2(words.size() == 1 || plain.isCorrect(words[1]), qPrintable(line));
        }
    }

    void translatesTheDemo()
    {
        QTemporaryDir work;
        Project state(work.path());
        QVERIFY(loadResources(demoDir() + "/resources", state.stores(), false).errors.isEmpty());
        QStringList before;
        for (ResourceKind kind : kAllKinds) {
            const LineStore& store = state.store(kind);
            for (qsizetype i = 0; i < store.RowCount(); ++i)
                before << store.Text(i);
        }
        state.setConnectedDictionaries({kStarter});
        QVERIFY(runAutomaticTranslation(state, false).ran);
        QHash<QString, QString> result;
        qsizetype row = 0;
        for (ResourceKind kind : kAllKinds) {
            const LineStore& store = state.store(kind);
            for (qsizetype i = 0; i < store.RowCount(); ++i, ++row)
                if (!before[row].isEmpty())
                    result.insert(before[row], store.Text(i));
        }
        const QList<QPair<QString, QString>> expected{{"File", "Файл"},
                                                      {"Edit", "Правка"},
                                                      {"View", "Вид"},
                                                      {"Open", "Открыть"},
                                                      {"Save", "Сохранить"},
                                                      {"Save As", "Сохранить как"},
                                                      {"Print", "Печать"},
                                                      {"Page Setup", "Параметры страницы"},
                                                      {"Exit", "Выход"},
                                                      {"Undo", "Отменить"},
                                                      {"Copy", "Копировать"},
                                                      {"Paste", "Вставить"},
                                                      {"Select All", "Выделить все"},
                                                      {"Find", "Найти"},
                                                      {"Find Next", "Найти далее"},
                                                      {"Replace", "Заменить"},
                                                      {"Toolbar", "Панель инструментов"},
                                                      {"Status Bar", "Строка состояния"},
                                                      {"Help Topics", "Вызов справки"},
                                                      {"Cancel", "Отмена"},
                                                      {"Options", "Параметры"},
                                                      {"Match case", "С учетом регистра"},
                                                      {"Line %d, column %d", "Строка %d, столбец %d"},
                                                      {"Cannot open file", "Не удается открыть файл"},
                                                      {"Ready", "Готово"},
                                                      {"Untitled", "Безымянный"}};
        for (const auto& [source, translation] : expected) {
            QVERIFY2(result.contains(source), qPrintable(source));
            QCOMPARE(result.value(source), translation);
        }
        // What stays English is the demo program's own: its name and its notes.
        QStringList left;
        for (auto it = result.cbegin(); it != result.cend(); ++it)
            if (cp1251::charCode(it.value()[0]) <= 127 && it.value()[0] != u'%')
                left << it.key();
        left.sort();
        for (const QString& text : left)
            QVERIFY2(text.contains("Pebble") || text.contains("note"), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestStarterDictionary)
#include "tst_starterdictionary.moc"
