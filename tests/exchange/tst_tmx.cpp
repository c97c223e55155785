// TMX in and out: dictionaries through TMX and back, TMX files written by hand
// the way other tools write them, and files that are not well-formed XML.
#include "../batch/RecordingConsole.h"
#include "TestUtil.h"
#include "batch/BatchRun.h"
#include "exchange/DictionaryBytes.h"
#include "exchange/TmxImport.h"
#include "text/TextFile.h"

#include <QBuffer>
#include <QTest>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

QByteArray tmx(const QByteArray& body, const QByteArray& prolog = QByteArray())
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + prolog +
           "<tmx version=\"1.4\">\n<header srclang=\"en\" datatype=\"plaintext\"/>\n<body>\n" + body +
           "\n</body>\n</tmx>\n";
}

QByteArray tu(const QByteArray& lang1, const QByteArray& seg1, const QByteArray& lang2 = {},
              const QByteArray& seg2 = {})
{
    QByteArray out = "<tu><tuv xml:lang=\"" + lang1 + "\"><seg>" + seg1 + "</seg></tuv>";
    if (!lang2.isEmpty())
        out += "<tuv xml:lang=\"" + lang2 + "\"><seg>" + seg2 + "</seg></tuv>";
    return out + "</tu>\n";
}

// The lines of the dictionary the document gives.
TmxRead readBytes(const QByteArray& bytes, const TmxLanguages& languages, QStringList& lines)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    DictionaryBuilder dictionary;
    const TmxRead read = readTmx(buffer, QStringLiteral("test.tmx"), languages, dictionary);
    const QByteArray& out = dictionary.bytes();
    lines = splitLines(out.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(out.mid(3)) : cp1251::decode(out));
    return read;
}

} // namespace

class TestTmx : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void handWritten_data();
    void handWritten();
    void malformed_data();
    void malformed();
    void targets();
};

void TestTmx::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("dictionary");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("leftOutLine");

    const QStringList plain{"Open",
                            "Открыть",
                            "Save changes to %s?",
                            "Сохранить изменения в %s?",
                            "Tom & Jerry <\"1\"> 'x'",
                            "Том и Джерри <\"1\"> 'x'",
                            "Line\\nnext\\t%d",
                            "Строка\\nследующая\\t%d",
                            "  Ends with blanks  ",
                            "  Кончается пробелами  ",
                            "Tab\there",
                            "Табуляция\tздесь"};
    QTest::newRow("windows-1251") << "base.dic" << cp1251Lines(plain) << plain << QString();
    const QStringList wide{"Arrow →", "Стрелка →", "Chinese 中文", "Китайский 中文"};
    QByteArray utf8 = "\xEF\xBB\xBF";
    for (const QString& l : wide)
        utf8 += l.toUtf8() + "\r\n";
    QTest::newRow("utf-8 with BOM") << "wide.dic" << utf8 << wide << QString();
    QByteArray bare;
    for (const QString& l : wide)
        bare += l.toUtf8() + "\r\n";
    QTest::newRow("utf-8 without BOM") << "bare.dic" << bare << wide << "written back with its mark";
    QTest::newRow("user dictionary, empty rows left out")
        << "User.dic" << cp1251Lines({"Open", "Открыть", "", "", "Close", "", "Save", "Сохранить"})
        << QStringList{"Open", "Открыть", "Save", "Сохранить"}
        << "Пропущены пары с пустой строкой словаря пользователя: 2";
    QTest::newRow("control character, odd last line")
        << "odd.dic" << cp1251Lines({"Bell\x07", "Звонок", "Open", "Открыть", "Lonely"})
        << QStringList{"Open", "Открыть"}
        << "Пропущены пары с управляющими символами, недопустимыми в XML: 1";
}

void TestTmx::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, dictionary);
    QFETCH(QStringList, entries);
    QFETCH(QString, leftOutLine);
    QTemporaryDir tmp;
    QVERIFY(writeBytes(tmp.filePath(name), dictionary));

    RecordingConsole out;
    QCOMPARE(runBatch({"tmx", "export", name, "--output", "x.tmx"}, tmp.path(), out), 0);
    if (leftOutLine.startsWith(u'П'))
        QVERIFY2(out.outLines.contains(leftOutLine), qPrintable(out.outText()));
    const QByteArray document = readBytes(tmp.filePath("x.tmx"));
    QVERIFY(document.contains("srclang=\"en\""));
    QVERIFY(document.contains("creationtool=\"kvarsel\""));
    QVERIFY(document.contains("o-tmf=\"dic\""));

    RecordingConsole in;
    QCOMPARE(runBatch({"tmx", "import", "x.tmx", "--output", "back.dic"}, tmp.path(), in), 0);
    QVERIFY(in.outLines.contains(QStringLiteral("Взято в словарь: %1").arg(entries.size() / 2)));
    QStringList lines;
    QVERIFY(!readDictionaryLines(tmp.filePath("back.dic"), lines));
    QCOMPARE(lines, entries);
    const QByteArray back = readBytes(tmp.filePath("back.dic"));
    QCOMPARE(back.startsWith("\xEF\xBB\xBF"), name != "base.dic" && name != "User.dic" && name != "odd.dic");
    if (leftOutLine.isEmpty())
        QCOMPARE(back, dictionary); // byte for byte, CR LF and byte-order mark included
}

void TestTmx::handWritten_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<qsizetype>>("counts"); // units, no source, no target, line break, repeats

    using Counts = QList<qsizetype>;
    QTest::newRow("regions and letter case")
        << tmx(tu("en-US", "File", "ru-RU", "Файл") + tu("EN-GB", "Colour", "RU", "Цвет") +
               "<tu><tuv lang=\"en_AU\"><seg>Edit</seg></tuv><tuv lang=\"ru\"><seg>Правка</seg></tuv></tu>")
        << "" << QStringList{"File", "Файл", "Colour", "Цвет", "Edit", "Правка"} << Counts{3, 0, 0, 0, 0};
    QTest::newRow("inline markup")
        << tmx(tu("en", "Save changes to <ph x=\"1\">%s</ph>?", "ru",
                  "Сохранить изменения в <ph x=\"1\">%s</ph>?") +
               tu("en", "<bpt i=\"1\">&lt;b&gt;</bpt>Bold<ept i=\"1\">&lt;/b&gt;</ept>", "ru",
                  "<bpt i=\"1\">&lt;b&gt;</bpt>Жирный<ept i=\"1\">&lt;/b&gt;</ept>") +
               tu("en", "<it pos=\"begin\">{</it><hi type=\"b\">Help</hi> Topics", "ru",
                  "<it pos=\"begin\">{</it><hi type=\"b\">Вызов</hi> справки"))
        << "" << QStringList{"Save changes to %s?", "Сохранить изменения в %s?",
                             "<b>Bold</b>",         "<b>Жирный</b>",
                             "{Help Topics",        "{Вызов справки"}
        << Counts{3, 0, 0, 0, 0};
    QTest::newRow("missing languages")
        << tmx(tu("en", "Only English") + tu("ru", "Только русский") + tu("de", "Datei", "ru", "Файл") +
               tu("en", "Empty", "ru", "") + tu("en", "Open", "ru", "Открыть"))
        << "" << QStringList{"Open", "Открыть"} << Counts{5, 2, 2, 0, 0};
    QTest::newRow("three languages, notes and properties")
        << tmx("<tu tuid=\"1\"><note>n</note><prop type=\"x\">p</prop>"
               "<tuv xml:lang=\"de\"><seg>Öffnen</seg></tuv>"
               "<tuv xml:lang=\"ru\"><prop type=\"y\">q</prop><seg>Открыть</seg></tuv>"
               "<tuv xml:lang=\"en\"><note>m</note><seg>Open</seg></tuv></tu>")
        << "" << QStringList{"Open", "Открыть"} << Counts{1, 0, 0, 0, 0};
    QTest::newRow("other languages chosen")
        << tmx("<tu><tuv xml:lang=\"de\"><seg>Öffnen</seg></tuv><tuv xml:lang=\"ru\"><seg>Открыть</seg></tuv>"
               "<tuv xml:lang=\"en\"><seg>Open</seg></tuv></tu>")
        << "de-AT ru" << QStringList{"Öffnen", "Открыть"} << Counts{1, 0, 0, 0, 0};
    QTest::newRow("entities") << tmx(tu("en", "Fish &amp; Chips &lt;&#65;&#x42;&gt; &quot;&apos; &prod;",
                                        "ru", "&#1056;&#x44B;&#x431;&#x430; &amp; &prod;"),
                                     "<!DOCTYPE tmx [ <!ENTITY prod \"Kvarsel\"> ]>\n")
                              << "" << QStringList{"Fish & Chips <AB> \"' Kvarsel", "Рыба & Kvarsel"}
                              << Counts{1, 0, 0, 0, 0};
    QTest::newRow("CDATA") << tmx(tu("en", "<![CDATA[<Open> & \"Close\"]]>", "ru",
                                     "<![CDATA[<Открыть> & ]]>\"Закрыть\""))
                           << "" << QStringList{"<Open> & \"Close\"", "<Открыть> & \"Закрыть\""}
                           << Counts{1, 0, 0, 0, 0};
    QTest::newRow("line breaks and repeats")
        << tmx(tu("en", "Two\nlines", "ru", "Две строки") + tu("en", "Cut", "ru", "Вырезать&#13;") +
               tu("en", "Cut", "ru", "Вырезать") + tu("en", "Cut", "ru", "Вырезать") +
               tu("en", "Cut", "ru", "Вырезка"))
        << "" << QStringList{"Cut", "Вырезать", "Cut", "Вырезка"} << Counts{5, 0, 0, 2, 1};
    QTest::newRow("UTF-8 from the middle on, repeats on both sides")
        << tmx(tu("en", "Open", "ru", "Открыть") + tu("en", "Arrow →", "ru", "Стрелка →") +
               tu("en", "Open", "ru", "Открыть") + tu("en", "Arrow →", "ru", "Стрелка →"))
        << "" << QStringList{"Open", "Открыть", "Arrow →", "Стрелка →"} << Counts{4, 0, 0, 0, 2};
}

void TestTmx::handWritten()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, languages);
    QFETCH(QStringList, entries);
    QFETCH(QList<qsizetype>, counts);
    TmxLanguages langs;
    if (!languages.isEmpty()) {
        langs.source = languages.section(u' ', 0, 0);
        langs.target = languages.section(u' ', 1, 1);
    }
    QStringList lines;
    const TmxRead read = readBytes(document, langs, lines);
    QVERIFY2(!read.error, qPrintable(read.error ? read.error->message() : QString()));
    QCOMPARE(lines, entries);
    const QList<qsizetype> got{read.counts.units, read.counts.noSource, read.counts.noTarget,
                               read.counts.lineBreak, read.counts.repeats};
    QCOMPARE(got, counts);
    QCOMPARE(read.counts.taken + read.counts.leftOut(), read.counts.units);
}

void TestTmx::malformed_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("where");

    QTest::newRow("tags crossed") << tmx(tu("en", "Open", "ru", "Открыть") +
                                         "<tu><tuv xml:lang=\"en\"><seg>A</tuv></tu>")
                                  << "в строке 6, столбце 35";
    QTest::newRow("cut short") << tmx(tu("en", "Open", "ru", "Открыть")).left(150) << "в строке 5, столбце";
    QTest::newRow("unknown entity") << tmx(tu("en", "A &nbsp; B", "ru", "Б")) << "в строке 5, столбце 36";
    QTest::newRow("not TMX") << QByteArray("<?xml version=\"1.0\"?>\n<html><body/></html>")
                             << "в строке 2, столбце";
    QTest::newRow("empty file") << QByteArray() << "в строке 1";
    QTest::newRow("not XML at all") << QByteArray("Open\r\nОткрыть\r\n") << "в строке 1, столбце 1";
}

void TestTmx::malformed()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, where);
    QTemporaryDir tmp;
    QVERIFY(writeBytes(tmp.filePath("in.tmx"), document));
    RecordingConsole console;
    QCOMPARE(runBatch({"tmx", "import", "in.tmx", "--output", "new.dic"}, tmp.path(), console), 1);
    QVERIFY2(console.errText().contains(where), qPrintable(console.errText()));
    QVERIFY(console.outLines.isEmpty()); // no counts of a file that was not read whole
    QVERIFY(!QFileInfo::exists(tmp.filePath("new.dic")));
}

void TestTmx::targets()
{
    QTemporaryDir tmp;
    const QString work = tmp.path();
    QVERIFY(writeBytes(tmp.filePath("in.tmx"), tmx(tu("en", "Open", "ru", "Открыть"))));
    QVERIFY(writeLinesRaw(tmp.filePath("user.dic"), {"Keep", "Оставить"}));
    QVERIFY(writeLinesRaw(tmp.filePath("old.dic"), {"Keep", "Оставить"}));

    // The user dictionary is never written, not even with --force (a usage error, as for every
    // output over the program's own files); an existing file only with it.
    RecordingConsole console;
    QCOMPARE(runBatch({"tmx", "import", "in.tmx", "--output", "USER.DIC", "--force"}, work, console), 2);
    QCOMPARE(runBatch({"tmx", "import", "in.tmx", "--output", "old.dic"}, work, console), 1);
    QCOMPARE(readBytes(tmp.filePath("old.dic")), cp1251Lines({"Keep", "Оставить"}));
    QCOMPARE(runBatch({"tmx", "import", "in.tmx", "--output", "old.dic", "--force"}, work, console), 0);
    QCOMPARE(readBytes(tmp.filePath("old.dic")), cp1251Lines({"Open", "Открыть"}));
    QCOMPARE(readBytes(tmp.filePath("user.dic")), cp1251Lines({"Keep", "Оставить"}));

    QCOMPARE(importTargetFor(work, tmp.filePath("in.tmx")), tmp.filePath("in.dic"));
    QCOMPARE(importTargetFor(work, tmp.filePath("OLD.tmx")), tmp.filePath("OLD (2).dic"));
    QCOMPARE(importTargetFor(work, "/elsewhere/User.tmx"), tmp.filePath("User (2).dic"));

    // A failing disk leaves nothing behind and says so.
    setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
    const TmxImport failed = importTmx(tmp.filePath("in.tmx"), tmp.filePath("new.dic"), {}, false);
    setWriteFaultForTesting({});
    QVERIFY(failed.error && failed.error->reason == QStringLiteral("нет места на диске"));
    QVERIFY(!QFileInfo::exists(tmp.filePath("new.dic")));
}

QTEST_GUILESS_MAIN(TestTmx)
#include "tst_tmx.moc"
