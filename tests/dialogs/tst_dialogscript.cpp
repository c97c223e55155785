// Dialog scripts read as dialogs, and the fit rule over a measure with known widths.
#include "TestUtil.h"
#include "dialogs/FitCheck.h"
#include "model/SplitLine.h"

using namespace kvarsel;

namespace {

// Every character 6 pixels wide, lines 13 high: a unit is 1.5 pixels wide.
class FixedMeasure : public TextMeasure {
public:
    FontBase base(const DialogFont&) const override { return {6, 13}; }
    int textWidth(const DialogFont&, const QString& line) const override { return int(line.size()) * 6; }
};

// The control, by id, of the only dialog of `lines`.
DialogControl control(const QStringList& lines, const QString& id)
{
    const auto dialogs = readDialogLines(lines, 1);
    for (const DialogResource& d : dialogs)
        for (const DialogControl& c : d.controls)
            if (c.id == id)
                return c;
    return DialogControl();
}

const QStringList kAbout = {
    "// Generated resource script.",
    "#include \"resource.h\"",
    "IDD_ABOUTBOX DIALOGEX DISCARDABLE  0, 0, 235, 55",
    "STYLE DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU",
    "CAPTION \"About Lantern\"",
    "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1",
    "BEGIN",
    "    ICON            IDR_MAINFRAME,IDC_ICON,14,14,21,20",
    "    LTEXT           \"Lantern, Version 1.0\",IDC_STATIC,42,14,114,8,SS_NOPREFIX",
    "    CTEXT           \"Say \"\"hello\"\"\\nto everyone\",IDC_HELLO,42,26,114,16",
    "    DEFPUSHBUTTON   \"OK\",IDOK,178,7,50,16,WS_GROUP",
    "    CONTROL         \"Show at start-up\",IDC_STARTUP,\"Button\",",
    "                    BS_AUTOCHECKBOX | WS_TABSTOP,42,40,",
    "                    100,10",
    "    CONTROL         \"\",IDC_LINE,\"Static\",SS_ETCHEDHORZ,7,50,221,1",
    "    CONTROL         \"Blue\",IDC_BLUE,\"Button\",BS_AUTORADIOBUTTON | NOT WS_VISIBLE | WS_DISABLED,",
    "                    7,30,30,10 /* hidden until chosen */",
    "    CONTROL         \"Tabs\",IDC_TABS,SysTabControl32,0x0,7,7,20,20",
    "    EDITTEXT        IDC_NAME,42,60,100,14,ES_AUTOHSCROLL",
    "    COMBOBOX        IDC_KIND,42,76,100,60,CBS_DROPDOWNLIST | WS_VSCROLL",
    "    LISTBOX         IDC_ITEMS,150,60,78,40,LBS_SORT",
    "    RTEXT           \"Width:\",IDC_STATIC,7,60,30 + 4,8",
    "    PUSHBUTTON      \"Later\",IDC_LATER,  178 , 26 , 50 , 16",
    "    LTEXT           \"Defined size\",IDC_STATIC,7,90,WIDTH,8",
    "    GROUPBOX        \"Colours\",IDC_STATIC,150,7,(70),40",
    "END",
    "",
    "IDD_ABOUTBOX DLGINIT",
    "BEGIN",
    "    IDC_KIND, 0x403, 4, 0",
    "0x6e4f, 0x0065, ",
    "END",
    "IDD_SMALL DIALOG 10, 20, 100, 40",
    "{",
    "    AUTORADIOBUTTON \"Left\",IDC_LEFT,5,5,40,10",
    "    LTEXT \"Odd\" , IDC_ODD , 5 , 20 , 40 , 8",
    "}",
};

} // namespace

class DialogScriptTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headersAndBlocks()
    {
        const auto dialogs = readDialogLines(kAbout, 1);
        QCOMPARE(dialogs.size(), size_t(2)); // DLGINIT is not a dialog
        const DialogResource& about = dialogs[0];
        QCOMPARE(about.name, QStringLiteral("IDD_ABOUTBOX"));
        QVERIFY(about.extended);
        QCOMPARE((QList<int>{about.x, about.y, about.cx, about.cy}), (QList<int>{0, 0, 235, 55}));
        QCOMPARE(about.caption, QStringLiteral("About Lantern"));
        QVERIFY(about.hasFont);
        QCOMPARE(about.font.pointSize, 8);
        // DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS) in a DIALOGEX: the shell's face.
        QCOMPARE(about.font.face, QStringLiteral("MS Shell Dlg 2"));
        QCOMPARE(about.font.weight, 400);
        QCOMPARE(about.firstRow, 3);
        QCOMPARE(about.lastRow, 26);
        // The unreadable LTEXT (a #define for its width) is passed over.
        QCOMPARE(about.controls.size(), size_t(14));

        const DialogResource& small = dialogs[1];
        QVERIFY(!small.extended);
        QVERIFY(!small.hasFont);
        QCOMPARE(small.font, systemDialogFont());
        QCOMPARE(small.controls.size(), size_t(2));
        QCOMPARE(small.lastRow, 37);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rect");
        QTest::addColumn<qsizetype>("textRow");
        QTest::addColumn<int>("align");
        QTest::addColumn<bool>("wraps");
        const auto row = [](const char* name, const char* id, ControlKind kind, const QString& text,
                            QList<int> rect, qsizetype textRow, TextAlign align, bool wraps) {
            QTest::newRow(name) << QString::fromLatin1(id) << int(kind) << text << rect << textRow
                                << int(align) << wraps;
        };
        row("icon", "IDC_ICON", ControlKind::Icon, "", {14, 14, 21, 20}, -1, TextAlign::Left, false);
        row("ltext", "IDC_STATIC", ControlKind::Static, "Lantern, Version 1.0", {42, 14, 114, 8}, 9,
            TextAlign::Left, true);
        row("ctext escapes", "IDC_HELLO", ControlKind::Static, "Say \"hello\"\nto everyone",
            {42, 26, 114, 16}, 10, TextAlign::Center, true);
        row("default button", "IDOK", ControlKind::PushButton, "OK", {178, 7, 50, 16}, 11, TextAlign::Center,
            false);
        row("control over three lines", "IDC_STARTUP", ControlKind::CheckBox, "Show at start-up",
            {42, 40, 100, 10}, 12, TextAlign::Left, false);
        row("etched line", "IDC_LINE", ControlKind::Frame, "", {7, 50, 221, 1}, 15, TextAlign::Left, false);
        row("radio with NOT", "IDC_BLUE", ControlKind::RadioButton, "Blue", {7, 30, 30, 10}, 16,
            TextAlign::Left, false);
        row("unquoted class", "IDC_TABS", ControlKind::Custom, "Tabs", {7, 7, 20, 20}, 18, TextAlign::Left,
            false);
        row("edit", "IDC_NAME", ControlKind::Edit, "", {42, 60, 100, 14}, -1, TextAlign::Left, false);
        row("combo", "IDC_KIND", ControlKind::ComboBox, "", {42, 76, 100, 60}, -1, TextAlign::Left, false);
        row("list", "IDC_ITEMS", ControlKind::ListBox, "", {150, 60, 78, 40}, -1, TextAlign::Left, false);
        row("sum in a coordinate", "IDC_LATER", ControlKind::PushButton, "Later", {178, 26, 50, 16}, 23,
            TextAlign::Center, false);
        row("parentheses", "IDC_STATIC", ControlKind::Static, "", {}, 0, TextAlign::Left, false);
        row("brace block", "IDC_LEFT", ControlKind::RadioButton, "Left", {5, 5, 40, 10}, 35, TextAlign::Left,
            false);
        row("odd spacing", "IDC_ODD", ControlKind::Static, "Odd", {5, 20, 40, 8}, 36, TextAlign::Left, true);
    }

    void controls()
    {
        QFETCH(QString, id);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QList<int>, rect);
        QFETCH(qsizetype, textRow);
        QFETCH(int, align);
        QFETCH(bool, wraps);
        if (rect.isEmpty()) { // IDC_STATIC is shared; look at the group box and RTEXT by text
            const auto dialogs = readDialogLines(kAbout, 1);
            const auto& cs = dialogs[0].controls;
            const auto find = [&cs](const QString& t) {
                return *std::find_if(cs.begin(), cs.end(),
                                     [&t](const DialogControl& c) { return c.text == t; });
            };
            QCOMPARE(find("Colours").kind, ControlKind::GroupBox);
            QCOMPARE(find("Colours").x, 150);
            QCOMPARE(find("Colours").cx, 70);
            QCOMPARE(find("Width:").align, TextAlign::Right);
            QCOMPARE(find("Width:").cx, 34);
            return;
        }
        const DialogControl c =
            id == "IDC_STATIC" ? readDialogLines(kAbout, 1)[0].controls[1] : control(kAbout, id);
        QCOMPARE(int(c.kind), kind);
        QCOMPARE(c.text, text);
        QCOMPARE((QList<int>{c.x, c.y, c.cx, c.cy}), rect);
        QCOMPARE(c.textRow, textRow);
        QCOMPARE(int(c.align), align);
        QCOMPARE(c.wraps, wraps);
    }

    void stylesAndStates()
    {
        const DialogControl blue = control(kAbout, "IDC_BLUE");
        QVERIFY(!blue.hasStyle("WS_VISIBLE"));
        QVERIFY(blue.disabled);
        QVERIFY(control(kAbout, "IDOK").isDefault);
        const DialogControl startup = control(kAbout, "IDC_STARTUP");
        QCOMPARE(startup.row, 12);
        QCOMPARE(startup.lastRow, 14);
        QCOMPARE(startup.className, QStringLiteral("Button"));
    }

    // The store's rows, split by the loader's own rule; the translation, in place or
    // moved into the head by the hide mode, is what the reader sees.
    void readsComposedLines_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("shown") << false;
        QTest::newRow("hidden") << true;
    }

    void readsComposedLines()
    {
        QFETCH(bool, hidden);
        LineStore store(ResourceKind::Dialog);
        store.AppendFileMarker("/res/dialog/a.rc");
        for (const QString& line :
             {QStringLiteral("IDD_A DIALOG 0, 0, 100, 50"), QStringLiteral("FONT 8, \"MS Sans Serif\""),
              QStringLiteral("BEGIN"), QStringLiteral("    LTEXT \"User name:\",IDC_STATIC,7,7,40,8"),
              QStringLiteral("END")})
            store.AppendRow(SplitLine(ResourceKind::Dialog, line, false));
        QCOMPARE(store.Text(4), QStringLiteral("User name"));
        if (hidden) {
            store.ReplaceText(4, QString());
            store.ReplaceHead(4, store.Head(4) + QStringLiteral("Имя пользователя"));
        } else {
            store.ReplaceText(4, QStringLiteral("Имя пользователя"));
        }
        const auto dialog = dialogAtRow(store, 4);
        QVERIFY(dialog);
        QCOMPARE(dialog->controls.size(), size_t(1));
        QCOMPARE(dialog->controls[0].text, QStringLiteral("Имя пользователя:"));
        QCOMPARE(dialog->controls[0].textRow, 4);
        QVERIFY(!dialogAtRow(store, 0));
        QCOMPARE(store.scriptOf(3)->endRow, 6);
    }

    void fitRule_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("needed");
        QTest::addColumn<int>("linesNeeded");
        // 6 pixels a character, 1.5 pixels a unit: n characters need 4n units.
        QTest::newRow("label fits") << "LTEXT \"Name\",IDC_A,0,0,16,8" << true << 16 << 1;
        QTest::newRow("label one unit short") << "LTEXT \"Names\",IDC_A,0,0,19,8" << false << 20 << 2;
        QTest::newRow("label wraps into its height")
            << "LTEXT \"aaa bbb ccc\",IDC_A,0,0,28,16" << true << 28 << 2;
        QTest::newRow("wrapped label too low") << "LTEXT \"aaa bbb ccc\",IDC_A,0,0,28,8" << false << 44 << 2;
        // Windows breaks a word wider than the line after its last character that fits.
        QTest::newRow("word wider than the label")
            << "LTEXT \"aaaaaaaa b\",IDC_A,0,0,20,16" << true << 20 << 2;
        QTest::newRow("no-wrap label")
            << "LTEXT \"aaa bbb\",IDC_A,0,0,20,40,SS_LEFTNOWORDWRAP" << false << 28 << 1;
        QTest::newRow("forced breaks beyond the height")
            << "LTEXT \"a\\nb\\nc\",IDC_A,0,0,40,16" << false << 4 << 3;
        QTest::newRow("button with its frame") << "PUSHBUTTON \"Cancel\",IDC_A,0,0,28,14" << true << 28 << 1;
        QTest::newRow("button short") << "PUSHBUTTON \"Cancel\",IDC_A,0,0,27,14" << false << 28 << 1;
        QTest::newRow("check box with its box")
            << "AUTOCHECKBOX \"Wrap\",IDC_A,0,0,27,10" << false << 28 << 1;
        QTest::newRow("radio fits") << "RADIOBUTTON \"Wrap\",IDC_A,0,0,28,10" << true << 28 << 1;
        QTest::newRow("group caption") << "GROUPBOX \"Colours\",IDC_A,0,0,33,40" << false << 34 << 1;
        // Classes and styles as decompilers write them: numbers.
        QTest::newRow("multi-line check box, numeric style")
            << "CONTROL \"aaa bbb ccc\",1,\"Button\",0x50012403,0,0,40,20" << true << 40 << 2;
        QTest::newRow("push-like check box, class 0x80")
            << "CONTROL \"Cancel\",1,0x80,0x50011003,0,0,28,14" << true << 28 << 1;
        QTest::newRow("static, class 130")
            << "CONTROL \"Name\",1,130,0x50020080,0,0,15,8" << false << 16 << 2;
        QTest::newRow("SysLink by its visible text")
            << "CONTROL \"<a href=\"\"x.html\"\">Name</a>\",1,\"SysLink\",WS_TABSTOP,0,0,16,8" << true << 16
            << 1;
    }

    void fitRule()
    {
        QFETCH(QString, line);
        QFETCH(bool, fits);
        QFETCH(int, needed);
        QFETCH(int, linesNeeded);
        const auto dialogs = readDialogLines({"IDD_T DIALOG 0,0,100,100", "BEGIN", line, "END"}, 1);
        QCOMPARE(dialogs.size(), size_t(1));
        QCOMPARE(dialogs[0].controls.size(), size_t(1));
        const TextFit fit = measureFit(dialogs[0].controls[0], dialogs[0].font, FixedMeasure());
        QVERIFY(fit.checked);
        QCOMPARE(fit.fits, fits);
        QCOMPARE(fit.neededWidth, needed);
        QCOMPARE(fit.linesNeeded, linesNeeded);
    }

    // Texts as their controls draw them: in scripts that keep their "&" marks the
    // marked letter comes out of the text, unless the control shows "&" as it is.
    void textsAsDrawn_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("marksKept");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("mark");
        QTest::addColumn<QList<TextSpan>>("links");
        QTest::newRow("marks kept") << "LTEXT \"Save &as && close\",1,0,0,9,9" << true << "Save as & close"
                                    << qsizetype(5) << QList<TextSpan>();
        QTest::newRow("marks removed on loading")
            << "LTEXT \"Save as\",1,0,0,9,9" << false << "Save as" << qsizetype(-1) << QList<TextSpan>();
        QTest::newRow("SS_NOPREFIX by name")
            << "LTEXT \"R&&D\",1,0,0,9,9,SS_NOPREFIX" << true << "R&&D" << qsizetype(-1) << QList<TextSpan>();
        QTest::newRow("SS_NOPREFIX by number") << "CONTROL \"R&D\",1,130,0x50020080,0,0,9,9" << true << "R&D"
                                               << qsizetype(-1) << QList<TextSpan>();
        QTest::newRow("SysLink")
            << "CONTROL \"Q&&A: <A HREF=\"\"a.htm?x=1&y=2\"\">&help</A>.\",1,SysLink,0,0,0,9,9" << true
            << "Q&A: help." << qsizetype(5) << QList<TextSpan>{{5, 4}};
        QTest::newRow("SysLink, LWS_NOPREFIX")
            << "CONTROL \"Q&&A <a>help</a>\",1,\"SysLink\",0x4,0,0,9,9" << true << "Q&&A help"
            << qsizetype(-1) << QList<TextSpan>{{5, 4}};
    }

    void textsAsDrawn()
    {
        QFETCH(QString, line);
        QFETCH(bool, marksKept);
        QFETCH(QString, text);
        QFETCH(qsizetype, mark);
        QFETCH(QList<TextSpan>, links);
        const auto dialogs =
            readDialogLines({"IDD_T DIALOG 0,0,100,100", "BEGIN", line, "END"}, 1, marksKept);
        QCOMPARE(dialogs.at(0).controls.size(), size_t(1));
        const DialogControl& c = dialogs[0].controls[0];
        QCOMPARE(c.text, text);
        QCOMPARE(c.mark, mark);
        QCOMPARE(c.links, links);
    }

    void phraseFitChecksEveryUse()
    {
        LineStore store(ResourceKind::Dialog);
        store.AppendFileMarker("/res/dialog/b.rc");
        for (const QString& line :
             {QStringLiteral("IDD_B DIALOG 0, 0, 100, 50"), QStringLiteral("BEGIN"),
              QStringLiteral("    PUSHBUTTON \"Apply\",IDC_APPLY,7,7,40,14"),
              QStringLiteral("    CONTROL \"Apply\",IDC_X,\"Button\",BS_AUTOCHECKBOX,7,30,80,10"),
              QStringLiteral("    LTEXT \"apply\",IDC_STATIC,7,20,90,8"), QStringLiteral("END")})
            store.AppendRow(SplitLine(ResourceKind::Dialog, line, false));
        PhraseFit phrase;
        phrase.setPhrase(store, QStringLiteral("Apply"));
        // The CONTROL text is never offered for translation, so it is not a use.
        QCOMPARE(phrase.useCount(), 2);
        QVERIFY(phrase.check(QStringLiteral("Применить"), FixedMeasure()).empty());
        const auto problems = phrase.check(QStringLiteral("Применить изменения"), FixedMeasure());
        QCOMPARE(problems.size(), size_t(1));
        QCOMPARE(problems[0].controlId, QStringLiteral("IDC_APPLY"));
        QCOMPARE(problems[0].line, 3);
        QCOMPARE(problems[0].fit.neededWidth, 80);
        QCOMPARE(describeControl(problems[0]), QStringLiteral("IDD_B: PUSHBUTTON IDC_APPLY, b.rc:3"));
    }
};

QTEST_GUILESS_MAIN(DialogScriptTest)
#include "tst_dialogscript.moc"
