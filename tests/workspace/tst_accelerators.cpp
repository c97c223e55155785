// The two loading settings for real scripts: keyboard accelerators kept and
// assigned, CONTROL texts offered. Each row loads a script, translates it through a
// dictionary and saves it; the file on disk is the judge.
#include "TestUtil.h"
#include "model/Accelerators.h"
#include "project/ProjectResources.h"
#include "workbench/AutoTranslation.h"
#include "workspace/ResourceSaver.h"

using namespace kvarsel;
using namespace kvarsel::test;

Q_DECLARE_METATYPE(kvarsel::SplitOptions)

namespace {
const SplitOptions kOff{};
const SplitOptions kKeep{false, true, false};
const SplitOptions kControls{false, false, true};
} // namespace

class AcceleratorsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesInAndOut_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<SplitOptions>("options");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("pairs");
        QTest::addColumn<QStringList>("written");

        const QStringList menu = {"IDR_MAIN MENU",
                                  "BEGIN",
                                  "    POPUP \"&File\"",
                                  "    BEGIN",
                                  "        MENUITEM \"&Open...\\tCtrl+O\", 1",
                                  "        MENUITEM \"O&ther\", 2",
                                  "        MENUITEM \"Date && Time\", 3",
                                  "        MENUITEM \"Print\", 4",
                                  "        MENUITEM \"&Close\", 5",
                                  "    END",
                                  "    POPUP \"&Options\"",
                                  "END"};
        const QStringList pairs = {"File",           "Файл",        "Open",         "Открыть", "Other",
                                   "Открыть другое", "Date & Time", "Дата & время", "Print",   "Печать",
                                   "Options",        "Параметры",   "Close",        "За&крыть"};
        QTest::newRow("off: every & gone, as always")
            << "menu" << kOff << menu << pairs
            << QStringList{"IDR_MAIN MENU",
                           "BEGIN",
                           "    POPUP \"Файл\"",
                           "    BEGIN",
                           "        MENUITEM \"Открыть...\\tCtrl+O\", 1",
                           "        MENUITEM \"Открыть другое\", 2",
                           "        MENUITEM \"Date  Time\", 3",
                           "        MENUITEM \"Печать\", 4",
                           "        MENUITEM \"За&крыть\", 5",
                           "    END",
                           "    POPUP \"Параметры\"",
                           "END"};
        // "Открыть" takes О; "Открыть другое" a word still free; "За&крыть" keeps its
        // typed mark; the top items Файл and Параметры share a level, not a letter.
        QTest::newRow("kept: marks placed without clashes")
            << "menu" << kKeep << menu << pairs
            << QStringList{"IDR_MAIN MENU",
                           "BEGIN",
                           "    POPUP \"&Файл\"",
                           "    BEGIN",
                           "        MENUITEM \"&Открыть...\\tCtrl+O\", 1",
                           "        MENUITEM \"Открыть &другое\", 2",
                           "        MENUITEM \"Дата && время\", 3",
                           "        MENUITEM \"Печать\", 4",
                           "        MENUITEM \"За&крыть\", 5",
                           "    END",
                           "    POPUP \"&Параметры\"",
                           "END"};
        // Loading follows the project's settings: a text holding Russian letters stays out.
        const QStringList mixed = {"M MENU", "BEGIN", "    MENUITEM \"Open файл\", 1", "END"};
        QTest::newRow("hide Russian") << "menu" << SplitOptions{true, false, false} << mixed
                                      << QStringList{"Open файл", "Открыть файл"} << mixed;
        QTest::newRow("kept: untranslated lines byte for byte")
            << "menu" << kKeep << menu << QStringList{"Nothing", "Ничего"} << menu;

        const QStringList dialog = {
            "IDD_LOGIN DIALOGEX 0, 0, 200, 90",
            "FONT 9, \"Segoe UI\", 400, 0, 0x1",
            "BEGIN",
            "    CONTROL \"Remember me\",IDC_REMEMBER,\"Button\",BS_AUTOCHECKBOX | WS_TABSTOP,7,30,80,10",
            "    CONTROL \"Status:\",1095,130,0x50020080,16,36,47,10",
            "    CONTROL \"IDB_LOGO\",-1,\"Static\",SS_BITMAP,7,60,20,20",
            "    CONTROL \"Logo\",-1,0x82,0x5000000E,7,60,20,20",
            "    CONTROL \"\",-1,\"Static\",SS_ETCHEDHORZ,7,80,180,1",
            "    CONTROL \"&Help\",IDC_HELP,\"SysLink\",WS_TABSTOP,7,84,50,8",
            "END"};
        const QStringList controlPairs = {"Remember me", "Запомнить меня", "Status",  "Состояние", "IDB_LOGO",
                                          "Логотип",     "Logo",           "Логотип", "Help",      "Справка",
                                          "Button",      "Кнопка",         "Static",  "Статика"};
        // The dialog with lines 3, 4 and 8 as given (empty: as read).
        const auto written = [&dialog](const char* remember, const char* status, const char* help) {
            QStringList out = dialog;
            const QString tail3 = ",IDC_REMEMBER,\"Button\",BS_AUTOCHECKBOX | WS_TABSTOP,7,30,80,10";
            if (*remember)
                out[3] = QStringLiteral("    CONTROL \"%1\"").arg(QString::fromUtf8(remember)) + tail3;
            if (*status)
                out[4] = QStringLiteral("    CONTROL \"%1\",1095,130,0x50020080,16,36,47,10")
                             .arg(QString::fromUtf8(status));
            out[8] = QStringLiteral("    CONTROL \"%1\",IDC_HELP,\"SysLink\",WS_TABSTOP,7,84,50,8")
                         .arg(QString::fromUtf8(help));
            return out;
        };
        QTest::newRow("controls off: nothing offered")
            << "dialog" << kOff << dialog << controlPairs << written("", "", "Help");
        QTest::newRow("controls on: first strings, no pictures, no classes")
            << "dialog" << kControls << dialog << controlPairs
            << written("Запомнить меня", "Состояние:", "Справка");
        QTest::newRow("both on") << "dialog" << SplitOptions{false, true, true} << dialog << controlPairs
                                 << written("Запомнить меня", "Состояние:", "&Справка");
    }

    void linesInAndOut()
    {
        QFETCH(QString, kind);
        QFETCH(SplitOptions, options);
        QFETCH(QStringList, script);
        QFETCH(QStringList, pairs);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("res/" + kind + "/a.rc");
        QVERIFY(writeLinesRaw(path, script));
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), pairs));
        Project project(dir.path());
        project.setHideMode(HideMode::Show);
        Settings settings;
        settings.autoHideRussianString = options.autoHideRussianString;
        settings.keepAccelerators = options.keepAccelerators;
        settings.translateControlTexts = options.translateControlTexts;
        project.setSettings(settings);
        QVERIFY(loadProjectResources(project, dir.filePath("res")).errors.isEmpty());
        project.setConnectedDictionaries({dir.filePath("a.dic")});
        QVERIFY(runAutomaticTranslation(project, false).errors.isEmpty());
        QVERIFY(saveResources(std::as_const(project).stores()).errors.isEmpty());
        QCOMPARE(cp1251::decode(readBytes(path)).split("\r\n"), written + QStringList{""});
    }

    // Two items of one popup or one dialog on one letter; the same letter in
    // another popup, or at the menu bar's level, is no clash.
    void clashes()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("res/menu/m.rc"),
                              {"M MENU", "BEGIN", "  POPUP \"&File\"", "  BEGIN", "    MENUITEM \"&Open\", 1",
                               "    MENUITEM \"&Fold && unfold\", 2", "    MENUITEM \"Save &as\", 3",
                               "    MENUITEM \"&Open again\", 4", "  END", "  POPUP \"F&ormat\"", "  BEGIN",
                               "    MENUITEM \"&Open\", 5", "  END", "END"}));
        QVERIFY(writeLinesRaw(dir.filePath("res/dialog/d.rc"),
                              {"D DIALOG 0, 0, 10, 10", "BEGIN", "  PUSHBUTTON \"&OK\", 1, 0, 0, 1, 1",
                               "  CONTROL \"&Options\",2,\"Button\",0,0,0,1,1", "END"}));
        // "Exit" in two popups: a typed mark is checked in each, not only the first.
        QVERIFY(writeLinesRaw(dir.filePath("res/menu/tray.rc"),
                              {"T MENU", "BEGIN", "  POPUP \"&File\"", "  BEGIN", "    MENUITEM \"E&xit\", 1",
                               "  END", "  POPUP \"Tray\"", "  BEGIN", "    MENUITEM \"&Восстановить\", 2",
                               "    MENUITEM \"E&xit\", 3", "  END", "END"}));
        Project project(dir.path());
        QVERIFY(loadResources(dir.filePath("res"), project.stores(), kKeep).errors.isEmpty());
        const auto typed = [&](const char* translation) {
            return acceleratorPreview(project.store(ResourceKind::Menu), project.store(ResourceKind::Dialog),
                                      "Exit", QString::fromUtf8(translation))
                ->clashingItem;
        };
        QCOMPARE(typed("&Выход"), QStringLiteral("Восстановить"));
        QCOMPARE(typed("В&ыход"), QString());
        const QList<AcceleratorClash> menu = acceleratorClashes(project.store(ResourceKind::Menu));
        QCOMPARE(menu.size(), 1);
        QCOMPARE(project.store(ResourceKind::Menu).scriptOf(menu[0].row)->lineOf(menu[0].row), 8);
        QCOMPARE(project.store(ResourceKind::Menu).scriptOf(menu[0].other)->lineOf(menu[0].other), 5);
        QCOMPARE(menu[0].letter, QChar(u'o'));
        QCOMPARE(acceleratorClashes(project.store(ResourceKind::Dialog)).size(), 1);
        // A typed mark that clashes is kept: the user chose it, the check says so.
        const LineStore& m = project.store(ResourceKind::Menu);
        const qsizetype saveAs = m.scriptOf(1)->markerRow + 7;
        QCOMPARE(scriptFormOfTranslation(m, saveAs, "Сохранить &открыть"),
                 QStringLiteral("Сохранить &открыть"));
    }
};

QTEST_GUILESS_MAIN(AcceleratorsTest)
#include "tst_accelerators.moc"
