// Translated scripts must still build: every road that records a translation, in
// both display modes, on scripts shaped like those extracted from real programs,
// judged by the resource compiler itself.
#include "TestUtil.h"
#include "deferred/BilingualReview.h"
#include "project/Project.h"
#include "workbench/AutoTranslation.h"
#include "workbench/RowHandlers.h"
#include "workspace/ResourceSaver.h"

#include <QRegularExpression>
#include <QStandardPaths>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QString kWindres = QStringLiteral("x86_64-w64-mingw32-windres");

// The names the compiled resources are filed under, their font faces and classes,
// and the window class of every control:
// what the program asks Windows for, which no translation may touch.
struct Compiled {
    bool ok = false;
    QString errors;
    QStringList names;
};

Compiled compile(const QString& script, const QString& includeDir)
{
    QProcess p;
    p.start(kWindres, {QStringLiteral("--preprocessor=cpp"), QStringLiteral("-I"), includeDir, script,
                       QStringLiteral("-O"), QStringLiteral("rc")});
    p.waitForFinished(60000);
    Compiled c;
    c.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    c.errors = QString::fromLocal8Bit(p.readAllStandardError());
    static const QRegularExpression kept(
        QStringLiteral(
            R"(^\s*(Name: .*|FONT .*|CLASS .*)$|^\s*CONTROL .*, ("[^"]*"|\d+), \S+(, -?\d+){4}\s*$)"),
        QRegularExpression::MultilineOption);
    for (auto m = kept.globalMatch(QString::fromLatin1(p.readAllStandardOutput())); m.hasNext();) {
        const QRegularExpressionMatch match = m.next();
        c.names << (match.captured(1).isEmpty() ? QStringLiteral("class ") + match.captured(2)
                                                : match.captured(1));
    }
    return c;
}

// Menu, dialog and string-table blocks in the shapes real scripts have.
const QMap<QString, QStringList> kScripts = {
    {QStringLiteral("menu/view.rc"),
     {"#include \"resource.h\"", "// the main menu", "\"VIEW\" MENU", "{", "\tPOPUP \"&View\"", "\t{",
      "\t\tMENUITEM \"&Find Next\\tF3\", ID_FIND_NEXT", "\t\tMENUITEM \"Say \"\"Hello\"\"\", 101",
      "\t\tMENUITEM \"Date && Time\", 102", "\t\tMENUITEM \"&Print && Preview&&\\tCtrl+P\", 104", "\t}", "}",
      "IDR_MAIN MENU DISCARDABLE", "BEGIN", "    MENUITEM \"Print\", 103", "END"}},
    {QStringLiteral("dialog/print.rc"),
     {"#include \"resource.h\"", "\"PRINT\" DIALOG 36, 24, 264, 134",
      "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION", "CAPTION \"Print\"", "FONT 8, \"MS Shell Dlg\"",
      "CLASS \"MyWndClass\"", "BEGIN", "    LTEXT \"Folder:\",IDC_STATIC,7,7,40,8",
      "    CONTROL \"Print\",1001,\"Button\",BS_AUTOCHECKBOX | WS_TABSTOP,7,20,50,10",
      "    PUSHBUTTON \"Find Next\",1002,7,40,50,14",
      "    CONTROL \"IDB_LOGO\",-1,\"Static\",SS_BITMAP,7,60,20,20",
      // A long statement wrapped: the class on the next line, after the identifier.
      "    CONTROL \"Find Next\",", "\t\t1003, \"Button\",BS_AUTOCHECKBOX,7,80,50,10",
      // Wrapped as long lines are: the class, or the style that makes a picture, on
      // lines of their own; and a trailing comment holding a quoted word.
      "    CONTROL \"Use the same settings for all users\",1004,",
      "                    \"Button\",BS_AUTOCHECKBOX | WS_TABSTOP,7,95,200,10", "    CONTROL \"\",1005,",
      "\t\"Edit\",WS_BORDER,", "\t7,110,100,12", "    CONTROL \"Logo\",1006,\"Static\",",
      "            SS_BITMAP,7,125,20,20", "    LTEXT \"Folder\",IDC_STATIC,7,150,40,8 // \"Button\"", "END",
      "PAGE DIALOGEX 0, 0, 200, 100", "FONT 9, \"Tahoma\", 400, 0, 0x1", "MENU \"VIEW\"", "BEGIN",
      "    LTEXT \"Resource\",-1,7,7,80,8", "END"}},
    {QStringLiteral("string/strings.rc"),
     {"#include \"resource.h\"", "STRINGTABLE", "BEGIN", "    IDS_FOLDER \"Folder\"",
      "    IDS_SAY \"Say \"\"Hello\"\"\"", "    IDS_FIND L\"Find Next\\tF3\"", "END"}},
};

const QStringList kHeader = {"#define ID_FIND_NEXT 100",
                             "#define IDC_STATIC -1",
                             "#define DS_MODALFRAME 0x80L",
                             "#define WS_POPUP 0x80000000L",
                             "#define WS_CAPTION 0xC00000L",
                             "#define BS_AUTOCHECKBOX 3",
                             "#define WS_TABSTOP 0x10000L",
                             "#define SS_BITMAP 0xE",
                             "#define WS_BORDER 0x800000L",
                             "#define IDS_FOLDER 1",
                             "#define IDS_SAY 2",
                             "#define IDS_FIND 3"};

// Translations holding quotation marks, a doubled one, and trailing backslashes;
// and the names a careless dictionary would also translate.
const QStringList kPairs = {"Find Next",
                            "Найти \"далее\"",
                            "Say \"\"Hello\"\"",
                            "Скажи \"\"привет\"",
                            "Folder",
                            "Папка C:\\",
                            "Print",
                            "Печать \"\\",
                            "View",
                            "Вид",
                            "Resource",
                            "Ресурс",
                            "MS Shell Dlg",
                            "Оболочка MS",
                            "Tahoma",
                            "Тахома",
                            "MyWndClass",
                            "Мой класс",
                            "Date  Time",
                            "Дата и \"время\"",
                            "Date & Time",
                            "Дата & \"время\"",
                            "IDB_LOGO",
                            "Логотип",
                            "Button",
                            "Кнопка",
                            "Edit",
                            "Правка",
                            "Logo",
                            "Логотип",
                            "Use the same settings for all users",
                            "Одни \"настройки\" для всех",
                            "Print & Preview&",
                            "Печать && просмотр&&"};

enum class Road { Automatic, Manual, Review };

} // namespace

class ScriptBuildTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(kWindres).isEmpty())
            QFAIL("the resource compiler is missing: install binutils-mingw-w64-x86-64 (./test.sh does)");
    }

    void translatedScriptsStillBuild_data()
    {
        QTest::addColumn<Road>("road");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<bool>("kept"); // accelerators kept and CONTROL texts offered
        for (const bool hide : {false, true}) {
            const char* mode = hide ? " hidden" : " shown";
            QTest::newRow(QByteArray("automatic").append(mode)) << Road::Automatic << hide << false;
            QTest::newRow(QByteArray("manual").append(mode)) << Road::Manual << hide << false;
            QTest::newRow(QByteArray("review").append(mode)) << Road::Review << hide << false;
        }
        QTest::newRow("automatic shown, accelerators and CONTROL texts") << Road::Automatic << false << true;
        QTest::newRow("manual hidden, accelerators and CONTROL texts") << Road::Manual << true << true;
    }

    void translatedScriptsStillBuild()
    {
        QFETCH(Road, road);
        QFETCH(bool, hide);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString res = dir.filePath(QStringLiteral("res"));
        QMap<QString, Compiled> before;
        for (auto it = kScripts.begin(); it != kScripts.end(); ++it) {
            const QString path = res + u'/' + it.key();
            QVERIFY(writeLinesRaw(path, it.value()));
            QVERIFY(writeLinesRaw(QFileInfo(path).absolutePath() + QStringLiteral("/resource.h"), kHeader));
            before[it.key()] = compile(path, QFileInfo(path).absolutePath());
            QVERIFY2(before[it.key()].ok, qPrintable(it.key() + u' ' + before[it.key()].errors));
        }
        QVERIFY(writeLinesRaw(dir.filePath(QStringLiteral("a.dic")), kPairs));

        Project state(dir.path());
        state.setHideMode(hide ? HideMode::Hide : HideMode::Show);
        QVERIFY(loadResources(res, state.stores(), SplitOptions{false, kept, kept}).errors.isEmpty());
        // A name, header, font face or class that were offered would be translated below:
        // the compiler, or its list of names, then tells.
        switch (road) {
        case Road::Automatic:
            state.setConnectedDictionaries({dir.filePath(QStringLiteral("a.dic"))});
            QVERIFY(runAutomaticTranslation(state, false).errors.isEmpty());
            break;
        case Road::Manual:
            for (qsizetype i = 0; i < kPairs.size(); i += 2)
                confirmManualTranslation(state, kPairs[i], kPairs[i + 1]);
            break;
        case Road::Review: {
            BilingualReview review;
            review.Reset(kPairs);
            while (review.HasPair())
                QVERIFY(review.Accept(state, review.Translation()));
            break;
        }
        }
        QVERIFY(saveResources(std::as_const(state).stores()).errors.isEmpty());

        for (auto it = kScripts.begin(); it != kScripts.end(); ++it) {
            const QString path = res + u'/' + it.key();
            const QString text = cp1251::decode(readBytes(path));
            QVERIFY2(text.contains(QStringLiteral("Найти \"\"далее\"\"")) || !it.key().startsWith(u'm'),
                     qPrintable(text));
            if (kept && it.key().startsWith(u'm'))
                QVERIFY2(text.contains(QStringLiteral("\"&Вид\"")) &&
                             text.contains(QStringLiteral("Дата && ")) &&
                             text.contains(QStringLiteral("\"&Печать && просмотр&&\\tCtrl+P\"")),
                         qPrintable(text));
            if (kept && it.key().startsWith(u'd'))
                QVERIFY2(
                    text.contains(QStringLiteral("CONTROL \"Печать \"\"\\\\\"")) &&
                        text.contains(QStringLiteral("\"IDB_LOGO\"")) &&
                        text.contains(QStringLiteral("\"Button\"")) &&
                        text.contains(QStringLiteral("CONTROL \"Одни \"\"настройки\"\" для всех\",1004,")) &&
                        text.contains(QStringLiteral("CONTROL \"Logo\",1006,")),
                    qPrintable(text));
            // A comment is the developer's, never the user's.
            QVERIFY2(!it.key().startsWith(u'd') ||
                         text.contains(QStringLiteral(",7,150,40,8 // \"Button\"\r\n")),
                     qPrintable(text));
            const Compiled after = compile(path, QFileInfo(path).absolutePath());
            QVERIFY2(after.ok, qPrintable(it.key() + u'\n' + after.errors + u'\n' + text));
            QCOMPARE(after.names, before[it.key()].names);
        }
        // The dictionary keeps what was typed; only the scripts carry the doubled marks.
        if (road != Road::Automatic)
            QVERIFY(state.dictionary().rows().contains(QStringLiteral("Найти \"далее\"")));
    }

    // A form's string writes an apostrophe doubled; a value that does not is cut
    // short by the form reader.
    void rcdataApostrophes()
    {
        QTemporaryDir dir;
        const QString res = dir.filePath(QStringLiteral("res"));
        QVERIFY(writeLinesRaw(res + QStringLiteral("/rcdata/form.txt"),
                              {"object Form1: TForm1", "  Caption = 'Match case'", "  Font.Name = 'Tahoma'",
                               "  TitleFont.Name = 'Segoe UI'", "  Hint = 'Don''t ask'", "end"}));
        Project state(dir.path());
        state.setHideMode(HideMode::Show);
        loadResources(res, state.stores(), false);
        for (const auto& [source, translation] : {std::pair{"Match case", "Учитывать 'регистр'"},
                                                  {"Tahoma", "Тахома"},
                                                  {"Segoe UI", "Сеговия"},
                                                  {"Don", "Не 'спрашивать''"}})
            confirmManualTranslation(state, QString::fromUtf8(source), QString::fromUtf8(translation));
        QVERIFY(saveResources(std::as_const(state).stores()).errors.isEmpty());
        QCOMPARE(readBytes(res + QStringLiteral("/rcdata/form.txt")),
                 cp1251Lines({"object Form1: TForm1", "  Caption = 'Учитывать ''регистр'''",
                              "  Font.Name = 'Tahoma'", "  TitleFont.Name = 'Segoe UI'",
                              "  Hint = 'Не ''спрашивать''''t ask'", "end"}));
    }
};

QTEST_GUILESS_MAIN(ScriptBuildTest)
#include "tst_scriptbuild.moc"
