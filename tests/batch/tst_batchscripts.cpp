// Scripts in the shapes real programs have, through kvarsel-batch: what `export`
// offers and what `translate` writes with a dictionary that would translate
// anything it is shown, window classes, bitmap names and comments included.
#include "RecordingConsole.h"
#include "TestUtil.h"
#include "batch/BatchRun.h"
#include "text/TextFile.h"

#include <QTest>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// Source and translation, one after the other.
const QStringList kDictionary =
    QStringLiteral("Use the same settings for all users|Одни настройки для всех|Button|Кнопка|Edit|Правка|"
                   "Static|Статика|Logo|Логотип|Replace|Заменить|Name|Имя|Find &|Найти &|Find|Найти|"
                   "Print & Preview&|Печать и просмотр|Open|Открыть|Hello|Привет")
        .split(u'|');

} // namespace

class BatchScriptsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statementShapes_data()
    {
        QTest::addColumn<QString>("script"); // under the resource directory
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("offered"); // what export writes, in its order
        QTest::addColumn<QStringList>("written"); // the script after translate; empty: unchanged

        const QStringList wrapped = {"IDD_OPTIONS DIALOGEX 0, 0, 220, 90",
                                     "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1",
                                     "BEGIN",
                                     "    CONTROL \"Use the same settings for all users\",IDC_SAME,",
                                     "                    \"Button\",BS_AUTOCHECKBOX | WS_TABSTOP,7,7,200,10",
                                     "    CONTROL \"\",IDC_NAME,",
                                     "\t\"Edit\",ES_AUTOHSCROLL | WS_BORDER,",
                                     "\t7,20,100,12",
                                     "    LTEXT \"Name\",-1,7,40,50,8",
                                     "END"};
        QStringList translated = wrapped;
        translated[8] = "    LTEXT \"Имя\",-1,7,40,50,8";
        QTest::newRow("wrapped CONTROL, default: only the LTEXT")
            << "dialog/options.rc" << QStringList() << wrapped << QStringList{"Name"} << translated;
        translated[3] = "    CONTROL \"Одни настройки для всех\",IDC_SAME,";
        QTest::newRow("wrapped CONTROL, CONTROL texts: its text, never its class")
            << "dialog/options.rc" << QStringList{"--control-texts"} << wrapped
            << QStringList{"Name", "Use the same settings for all users"} << translated;

        const QStringList picture = {"IDD_ABOUT DIALOG 0, 0, 100, 60",
                                     "BEGIN",
                                     "    CONTROL \"Logo\", 205, \"Static\",",
                                     "            SS_BITMAP, 7, 7, 20, 20",
                                     "    CONTROL \"Logo\", 206, \"Static\", SS_LEFT,",
                                     "            7, 30, 40, 8",
                                     "    CONTROL L\"Logo\", 207, 130,",
                                     "            0x5000000E, 7, 40, 20, 20",
                                     "END"};
        QStringList shown = picture;
        shown[4] = "    CONTROL \"Логотип\", 206, \"Static\", SS_LEFT,";
        QTest::newRow("picture style on the next line")
            << "dialog/about.rc" << QStringList{"--control-texts"} << picture << QStringList{"Logo"} << shown;

        const QStringList comments = {"IDD_FIND DIALOG 0, 0, 200, 160",
                                      "BEGIN",
                                      "    LTEXT \"Replace\", 213, 1, 144, 50, 10 // \"Button\"",
                                      "    LTEXT \"Open\", 214, 1, 150, 50, 10 // the \"Open\" label",
                                      "    // LTEXT \"Hello\", 215, 1, 1, 1, 1",
                                      "    LTEXT \"http://example.com\", 216, 1, 160, 90, 10",
                                      "END"};
        QStringList uncommented = comments;
        uncommented[2] = "    LTEXT \"Заменить\", 213, 1, 144, 50, 10 // \"Button\"";
        uncommented[3] = "    LTEXT \"Открыть\", 214, 1, 150, 50, 10 // the \"Open\" label";
        QTest::newRow("trailing comments with quoted words")
            << "dialog/find.rc" << QStringList() << comments
            << QStringList{"http://example.com", "Open", "Replace"} << uncommented;
        QTest::newRow("a comment in a string table")
            << "string/s.rc" << QStringList()
            << QStringList{"STRINGTABLE",      "BEGIN", "    IDS_A \"Hello\" // \"Button\"", "    IDS_B,",
                           "        \"Name\"", "END"}
            << QStringList{"Hello", "Name"}
            << QStringList{"STRINGTABLE", "BEGIN",           "    IDS_A \"Привет\" // \"Button\"",
                           "    IDS_B,",  "        \"Имя\"", "END"};

        const QStringList literal = {"IDR_MAIN MENU",
                                     "BEGIN",
                                     "    POPUP \"&File\"",
                                     "    BEGIN",
                                     "        MENUITEM \"Find &&\", 1",
                                     "        MENUITEM \"&Print && Preview&&\\tCtrl+P\", 2",
                                     "    END",
                                     "END"};
        QTest::newRow("literal && at the end of a text, accelerators kept")
            << "menu/main.rc" << QStringList{"--keep-accelerators"} << literal
            << QStringList{"File", "Find &", "Print & Preview&"}
            << QStringList{"IDR_MAIN MENU",
                           "BEGIN",
                           "    POPUP \"&File\"",
                           "    BEGIN",
                           "        MENUITEM \"Найти &&\", 1",
                           "        MENUITEM \"&Печать и просмотр\\tCtrl+P\", 2",
                           "    END",
                           "END"};
    }

    void statementShapes()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, offered);
        QFETCH(QStringList, written);
        QTemporaryDir tmp;
        const QString res = tmp.filePath("res");
        const QString path = res + u'/' + script;
        QVERIFY(writeLinesRaw(path, lines));
        QVERIFY(writeLinesRaw(tmp.filePath("a.dic"), kDictionary));

        RecordingConsole exported;
        QCOMPARE(runBatch(QStringList{"export", res, "--output", tmp.filePath("phrases.txt")} + options,
                          tmp.path(), exported),
                 0);
        QCOMPARE(readLines(tmp.filePath("phrases.txt")).lines, offered);

        RecordingConsole translated;
        QCOMPARE(runBatch(QStringList{"translate", res, "--dictionary", tmp.filePath("a.dic"), "--workdir",
                                      tmp.path()} +
                              options,
                          tmp.path(), translated),
                 0);
        QCOMPARE(cp1251::decode(readBytes(path)).split("\r\n"), written + QStringList{""});
    }
};

QTEST_GUILESS_MAIN(BatchScriptsTest)
#include "tst_batchscripts.moc"
