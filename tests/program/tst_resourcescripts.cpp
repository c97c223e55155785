// Menus, dialogs and string tables between binary and script, judged by the
// resource compiler itself: windres compiles each script to the bytes the
// program's own compiler gives, the scripts written back from those bytes compile
// (with both) to the same bytes again, and the loader offers their texts.
#include "TestUtil.h"
#include "model/LineStore.h"
#include "program/ProgramRecord.h"
#include "program/ResourceCodecs.h"
#include "program/ResourceScripts.h"
#include "text/Encoding.h"
#include "workspace/ResourceLoader.h"

#include <QProcess>
#include <QtEndian>

Q_DECLARE_METATYPE(kvarsel::Resource)

using namespace kvarsel;
using namespace kvarsel::test;
using namespace Qt::StringLiterals;

namespace {

// The SDK's values for the symbols the scripts below use, as windows.h gives them.
const char kSdkHeader[] = R"(#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_CLIENTEDGE 0x200L
#define WS_EX_TOOLWINDOW 0x80L
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_SHELLFONT 0x48L
#define BS_AUTOCHECKBOX 3
#define BS_OWNERDRAW 0xBL
#define SS_ICON 3
#define SS_NOPREFIX 0x80
#define ES_AUTOHSCROLL 0x80
#define ES_MULTILINE 4
#define CBS_DROPDOWNLIST 3
#define LBS_NOTIFY 1
#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)
#define MFT_STRING 0
#define MFT_SEPARATOR 0x800
#define MFT_RADIOCHECK 0x200
#define MFT_RIGHTJUSTIFY 0x4000
#define MFS_ENABLED 0
#define MFS_GRAYED 3
#define MFS_CHECKED 8
#define MFS_DEFAULT 0x1000
)";

struct Compiled {
    QString error;
    QList<Resource> resources;
};

// windres's .res output: a run of records, each header and data aligned to four bytes.
QList<Resource> readRes(const QByteArray& d)
{
    QList<Resource> out;
    qsizetype p = 0;
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(d.constData() + at); };
    const auto key = [&](qsizetype& at) {
        if (u16(at) == 0xFFFF) {
            at += 4;
            return ResourceKey::number(u16(at - 2));
        }
        QString s;
        for (; u16(at); at += 2)
            s += QChar(char16_t(u16(at)));
        at += 2;
        return ResourceKey::text(s);
    };
    while (p + 8 <= d.size()) {
        const quint32 size = qFromLittleEndian<quint32>(d.constData() + p);
        const quint32 header = qFromLittleEndian<quint32>(d.constData() + p + 4);
        qsizetype at = p + 8;
        Resource r;
        r.type = key(at);
        r.name = key(at);
        r.data = d.mid(p + header, size);
        if (size)
            out << r;
        p = (p + header + size + 3) & ~qsizetype(3);
    }
    return out;
}

// windres on `script` (written as UTF-8 with a mark, read as code page 65001).
Compiled windres(const QString& script)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("sdk.h"), kSdkHeader);
    writeBytes(dir.filePath("a.rc"), "\xEF\xBB\xBF" + script.toUtf8());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start("x86_64-w64-mingw32-windres",
            {"--preprocessor=cpp", "-c", "65001", "a.rc", "-O", "res", "-o", "a.res"});
    p.waitForFinished(60000);
    Compiled c;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        c.error = QString::fromLocal8Bit(p.readAllStandardError());
    else
        c.resources = readRes(readBytes(dir.filePath("a.res")));
    return c;
}

QString data(const QList<Resource>& resources)
{
    QStringList out;
    for (const Resource& r : resources)
        out << r.type.toString() + u'/' + r.name.toString().toUpper() + u' ' +
                   QString::fromLatin1(r.data.toHex(' '));
    std::sort(out.begin(), out.end());
    return out.join(u'\n');
}

QString lines(const QStringList& l) { return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"); }

QStringList offeredTexts(const QString& resourceDir, ResourceKind kind)
{
    LineStore menu(ResourceKind::Menu), dialog(ResourceKind::Dialog), string(ResourceKind::String),
        rcdata(ResourceKind::RcData);
    const LoadResult loaded = loadResources(resourceDir, {&menu, &dialog, &string, &rcdata}, false);
    if (!loaded.errors.isEmpty())
        return {QStringLiteral("load failed")};
    const LineStore& store = kind == ResourceKind::Menu     ? menu
                             : kind == ResourceKind::Dialog ? dialog
                                                            : string;
    QStringList texts;
    for (qsizetype i = 0; i < store.RowCount(); ++i)
        if (!store.IsFileMarker(i) && !store.Text(i).isEmpty())
            texts << store.Text(i);
    return texts;
}

} // namespace

class ResourceScriptsTest : public QObject {
    Q_OBJECT
private slots:
    void judgedByWindres_data();
    void judgedByWindres();
    void leftOut_data();
    void leftOut();
    void compileErrors_data();
    void compileErrors();
    void longTable();
    void scriptFileBytes_data();
    void scriptFileBytes();
    void recordLines_data();
    void recordLines();
};

void ResourceScriptsTest::judgedByWindres_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("offered"); // what the loader offers from the unpacked scripts

    QTest::newRow("menus") << int(ResourceKind::Menu)
                           << lines({"#include \"sdk.h\"",
                                     "#define ID_OPEN 100",
                                     "// the main menu",
                                     "\"MAINMENU\" MENU DISCARDABLE",
                                     "{",
                                     "\tPOPUP \"&File\"",
                                     "\t{",
                                     "\t\tMENUITEM \"&Open...\\tCtrl+O\",\tID_OPEN",
                                     "\t\tMENUITEM \"Say \"\"Hello\"\"\", 101, CHECKED",
                                     "\t\tMENUITEM SEPARATOR",
                                     "\t\tMENUITEM \"Date && Time\", 102, GRAYED",
                                     "\t\tPOPUP \"Recent files\", INACTIVE",
                                     "\t\tBEGIN",
                                     "\t\t\tMENUITEM \"(empty)\", 103, GRAYED, MENUBARBREAK",
                                     "\t\tEND",
                                     "\t}",
                                     "\tMENUITEM \"&Help\", 104, HELP",
                                     "}",
                                     "/* a second one */",
                                     "101 MENU",
                                     "BEGIN",
                                     "    MENUITEM \"E&xit\", 65535",
                                     "END"})
                           // scripts load in name order; the loader drops "&"s, "&&" too
                           << QStringList{"Exit",       "File",         "Open",    "Say \"\"Hello\"\"",
                                          "Date  Time", "Recent files", "(empty)", "Help"};
    QTest::newRow("menuex")
        << int(ResourceKind::Menu)
        << lines({"#include \"sdk.h\"", "\"EDITMENU\" MENUEX", "BEGIN",
                  "    POPUP \"&Edit\", 200, MFT_STRING, MFS_ENABLED, 5001", "    BEGIN",
                  "        MENUITEM \"&Undo\\tCtrl+Z\", 201, MFT_STRING, MFS_GRAYED",
                  "        MENUITEM \"\", 0, MFT_SEPARATOR",
                  "        MENUITEM \"Radio choice\", 202, MFT_RADIOCHECK, MFS_CHECKED | "
                  "MFS_DEFAULT",
                  "        MENUITEM SEPARATOR", "        MENUITEM L\"Wide one\", 0xFFFFFFFF",
                  "        POPUP \"More\", 210", "        BEGIN", "            MENUITEM \"Deep\", 211",
                  "        END", "    END", "    MENUITEM \"Right\", 203, MFT_RIGHTJUSTIFY", "END"})
        << QStringList{"Edit", "Undo", "Radio choice", "Wide one", "More", "Deep", "Right"};
    QTest::newRow("dialog")
        << int(ResourceKind::Dialog)
        << lines({"#include \"sdk.h\"",
                  "#define IDC_NAME 1001",
                  "\"PRINT\" DIALOG DISCARDABLE 36, 24, 264, 134",
                  "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU",
                  "EXSTYLE WS_EX_TOOLWINDOW",
                  "CAPTION \"Print \"\"quickly\"\"\"",
                  "FONT 8, \"MS Shell Dlg\"",
                  "CLASS \"PRINTDLGCLASS\"",
                  "MENU 101",
                  "BEGIN",
                  "\tLTEXT\t\"&Name:\", IDC_STATIC, 7, 7, 40, 8",
                  "\tEDITTEXT IDC_NAME, 50, 5, 120, 12, ES_AUTOHSCROLL",
                  "\tRTEXT \"Copies && pages\", -1, 7, 22, 40, 8, SS_NOPREFIX | NOT WS_GROUP",
                  "\tCTEXT \"Hidden hint\", 1002, 7, 32, 40, 8, NOT WS_VISIBLE",
                  "\tAUTOCHECKBOX \"Collate\", 1003, 7, 44, 60, 10",
                  "\tCHECKBOX \"Reverse\", 1013, 7, 54, 60, 10, WS_DISABLED",
                  "\tAUTORADIOBUTTON \"All\", 1004, 7, 60, 40, 10, WS_GROUP | WS_TABSTOP",
                  "\tRADIOBUTTON \"Some\", 1005, 50, 60, 40, 10",
                  "\tAUTO3STATE \"Maybe\", 1014, 90, 60, 40, 10",
                  "\tGROUPBOX \"Range\", -1, 5, 52, 100, 30",
                  "\tCOMBOBOX 1006, 7, 90, 80, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP",
                  "\tLISTBOX 1007, 100, 90, 80, 30, LBS_NOTIFY | WS_BORDER",
                  "\tSCROLLBAR 1010, 190, 90, 10, 30",
                  "\tICON 200, -1, 230, 5, 21, 20",
                  "\tCONTROL \"Tab\\there\", 1008, \"PRINTGRID\", WS_TABSTOP | NOT WS_VISIBLE,",
                  "\t\t7, 110, 100, 12",
                  "\tCONTROL \"\", 1009, 130, 0x50000003, 200, 100, 20, 20",
                  "\tCONTROL \"OK\", 1, 128, 0x50010001, 150, 110, 50, 14",
                  "\tDEFPUSHBUTTON \"OK\", IDOK, 207, 7, 50, 14",
                  "\tPUSHBUTTON \"\", IDCANCEL, 207, 24, 50, 14, NOT WS_TABSTOP",
                  "END"})
        // the decompiled CONTROL comes back as the DEFPUSHBUTTON it is, its text offered
        << QStringList{"Print \"\"quickly",
                       "Name",
                       "Copies  pages",
                       "Hidden hint",
                       "Collate",
                       "Reverse",
                       "All",
                       "Some",
                       "Maybe",
                       "Range",
                       "OK",
                       "OK"};
    QTest::newRow("dialogex")
        << int(ResourceKind::Dialog)
        << lines({"#include \"sdk.h\"", "200 DIALOGEX 0, 0, 300, 200, 77",
                  "STYLE DS_SHELLFONT | WS_CHILD | WS_CAPTION", "CAPTION L\"Options\"",
                  "MENU \"OPTIONSMENU\"", "FONT 9, \"Segoe UI\", 700, 1, 204", "BEGIN",
                  "    LTEXT \"Text with help\", 10, 7, 7, 80, 8, 0, WS_EX_CLIENTEDGE, 300",
                  "    CONTROL 201, 11, \"STATIC\", SS_ICON, 7, 20, 16, 16",
                  "    CONTROL \"Owner\", 12, 0x0080, BS_OWNERDRAW | WS_TABSTOP, 7, 40, 50, "
                  "14, 0, 301",
                  "    PUSHBUTTON \"Data\", 13, 7, 60, 50, 14, 0, 0, 0", "    BEGIN",
                  "        0x0201, 0x0403", "    END",
                  "    EDITTEXT 14, 7, 80, 100, 40, ES_MULTILINE | NOT WS_BORDER, "
                  "WS_EX_CLIENTEDGE",
                  "    CONTROL \"Grid\", 0xFFFF, \"SYSLISTVIEW32\", 0x50010000, 120, 7, 100, "
                  "50",
                  "END"})
        << QStringList{"Options", "Text with help", "Data"};
    // Bare names, filed in capitals: the dialog's and its menu's.
    QTest::newRow("bare names") << int(ResourceKind::Dialog)
                                << lines({"PRINT_SETUP DIALOGEX 0, 0, 100, 50", "MENU OptionsMenu", "BEGIN",
                                          "  CONTROL \"Grid\", 1, \"MYGRID\", 0x50010000, 0, 0, 90, 40",
                                          "END"})
                                << QStringList{}; // a custom class's text is not offered
    // What the compiler fills in: DEFAULT_CHARSET, a DIALOG's dropped font weight, the
    // title bar an empty CAPTION still brings, the default style, an icon's name and size;
    // and a dialog left of its owner, whose x windres reads only in parentheses.
    QTest::newRow("defaults") << int(ResourceKind::Dialog)
                              << lines({"10 DIALOGEX 0, 0, 100, 50", "FONT 8, \"MS Shell Dlg\"", "BEGIN",
                                        "  LTEXT \"Plain font\", 1, 0, 0, 50, 8", "END",
                                        "11 DIALOG 0, 0, 100, 50", "FONT 8, \"MS Shell Dlg\", 700, 1, 204",
                                        "BEGIN", "  LTEXT \"Bold asked\", 1, 0, 0, 50, 8", "END",
                                        "12 DIALOG (-5), -3, 100, 50", "CAPTION \"\"", "BEGIN",
                                        "  ICON \"AppIcon\", -1, 5, 5, 32, 32", "END"})
                              << QStringList{"Plain font", "Bold asked"};
    // The preprocessor's lines and the expressions, as windres reads them.
    QTest::newRow("preprocessor") << int(ResourceKind::String)
                                  << lines({"#define BASE 100",
                                            "#define NEXT (BASE + 1)",
                                            "/* a block",
                                            "   comment */",
                                            "#ifdef APSTUDIO_INVOKED",
                                            "STRINGTABLE BEGIN 1, \"never\" END",
                                            "#else",
                                            "STRINGTABLE",
                                            "{",
                                            "    BASE, \"Base\"  // a comment",
                                            "    NEXT, \"Next\"",
                                            "    BASE * 2 | 1, \"Two hundred and one\"",
                                            "    0x10 + 010 - ~0, \"Octal\"",
                                            "    0X1F + 07L, \"Upper hex\"",
                                            "#if defined(BASE) && !defined(NOTHING)",
                                            "    300, \"Kept\"",
                                            "#elif 1",
                                            "    301, \"Not\"",
                                            "#endif",
                                            "    302, \"Escapes \\a\\b\\f\\v \\x41\\101 \\e\\q end\"",
                                            "}",
                                            "#endif"})
                                  // control characters come back as octal escapes, unknown escapes as written
                                  << QStringList{"Octal",
                                                 "Upper hex",
                                                 "Base",
                                                 "Next",
                                                 "Two hundred and one",
                                                 "Kept",
                                                 "Escapes \\010\\010\\014\\013 AA \\\\e\\\\q end"};
    QTest::newRow("strings")
        << int(ResourceKind::String)
        << lines({"#include \"sdk.h\"", "#define IDS_TITLE 1", "STRINGTABLE DISCARDABLE", "BEGIN",
                  "    IDS_TITLE, \"Print \"\"now\"\"\"", "    2 \"Tab\\tthen\"", "    15, L\"Wide\\nline\"",
                  "    16, \"Concat\" \"enated\"", "    17, \"C:\\\\Temp\\\\\"", "    14, \"Before fifteen\"",
                  "    18, \"Печать — готово ✓\"", "    19, \"Smile 😀 end\"", "    5, \"Back in the first\"",
                  "END", "STRINGTABLE", "{", "    4095, \"Last of a block\"", "    40000, \"\"", "}"})
        << QStringList{"Print \"\"now",     "Tab",
                       "Back in the first", "Before fifteen",
                       "Wide\\nline",       "Concatenated",
                       "C:\\\\Temp\\\\",    "Печать — готово",
                       "Smile 😀 end",       "Last of a block"};
}

void ResourceScriptsTest::judgedByWindres()
{
    QFETCH(int, kind);
    QFETCH(QString, script);
    QFETCH(QStringList, offered);
    const ResourceKind k = ResourceKind(kind);

    // From a copy gone before the result is read: nothing compiled may point into the text.
    const CompiledScript ours = compileScript(k, QString(script.constData(), script.size()));
    QVERIFY2(ours.error.isEmpty(), qPrintable(ours.error));
    const Compiled judge = windres(script);
    QVERIFY2(judge.error.isEmpty(), qPrintable(judge.error));
    if (data(ours.resources) != data(judge.resources))
        qWarning().noquote() << data(ours.resources) << "\n" << data(judge.resources);
    QCOMPARE(data(ours.resources), data(judge.resources));

    // Written back as scripts, the same bytes: through both compilers.
    QList<Resource> resources = ours.resources;
    for (Resource& r : resources)
        r.language = 0x0409;
    const ScriptsFromResources unpacked = scriptsFromResources(resources);
    QVERIFY2(unpacked.leftOut.isEmpty(), qPrintable(unpacked.leftOut.join(u'\n')));
    QTemporaryDir dir;
    QList<Resource> again, judgedAgain;
    qsizetype covered = 0;
    for (const UnpackedScript& s : unpacked.scripts) {
        QCOMPARE(int(s.kind), kind);
        covered += s.covers.size();
        for (const Resource& c : s.covers)
            QCOMPARE(c.language, quint16(0x0409));
        const CompiledScript back = compileScript(k, s.text);
        QVERIFY2(back.error.isEmpty(), qPrintable(back.error + u'\n' + s.text));
        again += back.resources;
        const Compiled judged = windres(s.text);
        QVERIFY2(judged.error.isEmpty(), qPrintable(judged.error + u'\n' + s.text));
        judgedAgain += judged.resources;
        QVERIFY(writeBytes(dir.filePath(kindInfo(k).subDir + u'/' + s.baseName + QStringLiteral(".rc")),
                           "\xEF\xBB\xBF" + s.text.toUtf8()));
    }
    QCOMPARE(covered, resources.size());
    QCOMPARE(data(again), data(ours.resources));
    QCOMPARE(data(judgedAgain), data(ours.resources));
    QCOMPARE(offeredTexts(dir.path(), k), offered);
}

void ResourceScriptsTest::leftOut_data()
{
    QTest::addColumn<Resource>("resource");
    QTest::addColumn<QString>("expected"); // in the left-out line, or (starting with "+") in the script

    const auto make = [](quint16 type, ResourceKey name, QByteArray data) {
        Resource r;
        r.type = ResourceKey::number(type);
        r.name = name;
        r.language = 0x0409;
        r.data = data;
        return r;
    };
    DialogTemplate d;
    d.style = 0x80000000;
    d.caption = QStringLiteral("Untitled bar");
    QTest::newRow("caption without a title bar")
        << make(5, ResourceKey::number(1), dialogBytes(d))
        << QStringLiteral("Диалог 1 (0x0409): заголовок без стиля WS_CAPTION нельзя записать в сценарий");

    DialogTemplate withData;
    withData.style = 0x80C00000;
    DialogItemTemplate c;
    c.windowClass = {true, 0x80, {}};
    c.text.name = QStringLiteral("x");
    c.creationData = QByteArray("\1\0\2\0", 4);
    withData.controls << c;
    QTest::newRow("creation data in DIALOG")
        << make(5, ResourceKey::text("SETUP"), dialogBytes(withData))
        << QStringLiteral("Диалог «SETUP» (0x0409): у элемента 0 данные, которые DIALOG не записывает");
    QTest::newRow("trailing bytes") << make(5, ResourceKey::number(2), dialogBytes(d) + QByteArray(2, '\1'))
                                    << QStringLiteral("после диалога лишние байты (2)");
    QTest::newRow("truncated dialog") << make(5, ResourceKey::number(3), dialogBytes(withData).left(50))
                                      << QStringLiteral("диалог повреждён: данные обрываются");
    QTest::newRow("dialog claims controls it lacks")
        << make(5, ResourceKey::number(4),
                QByteArray::fromHex("000000800000000000ff0000000000000000000000000000"))
        << QStringLiteral("элементов не помещаются в данные");

    // Lower-case custom classes, as Microsoft's compiler keeps them, stay as they are.
    DialogTemplate custom = withData;
    custom.extended = true;
    custom.controls[0].windowClass = {false, 0, QStringLiteral("SysListView32")};
    QTest::newRow("custom class kept")
        << make(5, ResourceKey::number(5), dialogBytes(custom))
        << QStringLiteral("+\"x\", 0, \"SysListView32\", NOT 0x50000000, 0, 0, 0, 0");

    MenuTemplate m;
    MenuItem separator;
    separator.flags = 0x800;
    MenuItem open;
    open.text = QStringLiteral("Open");
    m.items << open << separator;
    QTest::newRow("menu flag with no script word")
        << make(4, ResourceKey::number(7), menuBytes(m))
        << QStringLiteral("Меню 7 (0x0409): флаги пункта меню 0x800 нельзя записать в сценарий");
    QTest::newRow("menu without its last item") << make(4, ResourceKey::number(8), menuBytes(m).chopped(4))
                                                << QStringLiteral("меню повреждено: данные обрываются");
    QTest::newRow("menu named with a blank")
        << make(4, ResourceKey::text("MY MENU"), menuBytes({})) << QStringLiteral("имя ресурса с пробелом");
    QTest::newRow("lone surrogate") << make(6, ResourceKey::number(1),
                                            stringBlockBytes({QStringLiteral("a") + QChar(0xD800)}))
                                    << QStringLiteral("одиночную половину суррогатной пары");
    QTest::newRow("string table named") << make(6, ResourceKey::text("TEXTS"), stringBlockBytes({"a"}))
                                        << QStringLiteral("у таблицы строк имя вместо номера");
    QTest::newRow("string table cut short")
        << make(6, ResourceKey::number(2), stringBlockBytes({"abc"}).left(5))
        << QStringLiteral("таблица строк повреждена");
    QTest::newRow("NUL inside a string kept")
        << make(6, ResourceKey::number(3), stringBlockBytes({QStringLiteral("a") + QChar(0) + u'b'}))
        << QStringLiteral("+32, \"a\\000b\"");
}

void ResourceScriptsTest::leftOut()
{
    QFETCH(Resource, resource);
    QFETCH(QString, expected);
    const ScriptsFromResources unpacked = scriptsFromResources({resource});
    if (expected.startsWith(u'+')) {
        QVERIFY2(unpacked.leftOut.isEmpty(), qPrintable(unpacked.leftOut.join(u'\n')));
        QCOMPARE(unpacked.scripts.size(), 1);
        QVERIFY2(unpacked.scripts[0].text.contains(expected.mid(1)), qPrintable(unpacked.scripts[0].text));
        const CompiledScript back = compileScript(unpacked.scripts[0].kind, unpacked.scripts[0].text);
        QCOMPARE(back.resources.value(0).data, resource.data);
        return;
    }
    QVERIFY(unpacked.scripts.isEmpty());
    QCOMPARE(unpacked.leftOut.size(), 1);
    QVERIFY2(unpacked.leftOut[0].contains(expected), qPrintable(unpacked.leftOut[0]));
}

void ResourceScriptsTest::compileErrors_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("error");

    QTest::newRow("menu not closed") << int(ResourceKind::Menu)
                                     << lines({"1 MENU", "BEGIN", "MENUITEM \"x\", 1"})
                                     << QStringLiteral("строка 3: меню не закрыто словом END");
    QTest::newRow("unknown id") << int(ResourceKind::Dialog)
                                << lines({"1 DIALOG 0, 0, 10, 10", "BEGIN",
                                          "  LTEXT \"a\", IDC_NAME, 0, 0, 1, 1", "END"})
                                << QStringLiteral("строка 3: неизвестное имя «IDC_NAME»");
    QTest::newRow("string not closed")
        << int(ResourceKind::String) << lines({"STRINGTABLE", "BEGIN", "  1, \"open", "END"})
        << QStringLiteral("строка 3: строка в кавычках не закрыта");
    QTest::newRow("help id in DIALOG")
        << int(ResourceKind::Dialog)
        << lines({"1 DIALOG 0, 0, 10, 10", "BEGIN", "  LTEXT \"a\", 1, 0, 0, 1, 1, 0, 0, 5", "END"})
        << QStringLiteral("строка 3: справочный номер элемента бывает только в DIALOGEX");
    QTest::newRow("string twice") << int(ResourceKind::String)
                                  << lines({"STRINGTABLE", "BEGIN", "  1, \"a\"", "  1, \"b\"", "END"})
                                  << QStringLiteral("строка 4: строка 1 встречается дважды");
    QTest::newRow("if without endif")
        << int(ResourceKind::String) << lines({"#ifdef APSTUDIO_INVOKED", "STRINGTABLE", "BEGIN", "END"})
        << QStringLiteral("#if без #endif");
    QStringList doubling = {"#define M0 1"};
    for (int i = 1; i <= 17; ++i)
        doubling << QStringLiteral("#define M%1 M%2 + M%2").arg(i).arg(i - 1);
    QTest::newRow("macros that double")
        << int(ResourceKind::String)
        << lines(doubling + QStringList{"STRINGTABLE", "BEGIN", "  M17, \"x\"", "END"})
        << QStringLiteral("строка 21: имя «M17» разворачивается в слишком длинный текст");
    QTest::newRow("NUL in a class name")
        << int(ResourceKind::Dialog)
        << lines(
               {"1 DIALOGEX 0, 0, 10, 10", "BEGIN", "  CONTROL \"a\", 1, \"Gr\\0id\", 0, 0, 0, 1, 1", "END"})
        << QStringLiteral("строка 3: в этой строке не может быть нулевого символа");
    // Far into a long script, where the reader has let thousands of tokens go.
    QStringList longTable = {"STRINGTABLE", "BEGIN"};
    for (int i = 0; i < 3000; ++i)
        longTable << QStringLiteral("  %1, \"Line %1\"").arg(i);
    QTest::newRow("string not closed on line 3003")
        << int(ResourceKind::String) << lines(longTable + QStringList{"  3000, \"open", "END"})
        << QStringLiteral("строка 3003: строка в кавычках не закрыта");
    QTest::newRow("if without endif after a long table")
        << int(ResourceKind::String) << lines(QStringList{"#if 1"} + longTable + QStringList{"END"})
        << QStringLiteral("#if без #endif");
    QTest::newRow("not an octal digit")
        << int(ResourceKind::String) << lines({"STRINGTABLE", "BEGIN", "  08, \"x\"", "END"})
        << QStringLiteral("строка 3: неверное число «08»");
    QTest::newRow("past 64 bits") << int(ResourceKind::String)
                                  << lines({"STRINGTABLE", "BEGIN", "  0x10000000000000000, \"x\"", "END"})
                                  << QStringLiteral("строка 3: неверное число «0x10000000000000000»");
    QTest::newRow("dialog in a menu script")
        << int(ResourceKind::Menu) << lines({"1 DIALOG 0, 0, 1, 1", "BEGIN", "END"})
        << QStringLiteral("строка 1: ожидается MENU или MENUEX");
}

void ResourceScriptsTest::compileErrors()
{
    QFETCH(int, kind);
    QFETCH(QString, script);
    QFETCH(QString, error);
    const CompiledScript compiled = compileScript(ResourceKind(kind), script);
    QVERIFY(compiled.resources.isEmpty());
    QVERIFY2(compiled.error.contains(error), qPrintable(compiled.error));
}

// A table of thousands of strings, more tokens than the reader keeps at once,
// compiles to blocks that read back to every string.
void ResourceScriptsTest::longTable()
{
    QString script = QStringLiteral("STRINGTABLE\r\nBEGIN\r\n");
    for (int i = 4799; i >= 0; --i) // backwards: each block is gathered across the whole script
        script += QStringLiteral("  %1, L\"Строка \"\"%1\"\"\"\r\n").arg(i);
    script += QStringLiteral("END\r\n");
    const CompiledScript compiled = compileScript(ResourceKind::String, script);
    QVERIFY2(compiled.error.isEmpty(), qPrintable(compiled.error));
    QCOMPARE(compiled.resources.size(), 300);
    for (const Resource& r : compiled.resources) {
        QString why;
        const std::optional<QList<QString>> block = readStringBlock(r.data, why);
        QVERIFY2(block, qPrintable(why));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(block->at(i), QStringLiteral("Строка \"%1\"").arg((r.name.id - 1) * 16 + i));
    }
}

// A script's file streamed piece by piece is the file made from the whole text: in
// Windows-1251 only when every piece fits and the bytes read back as Windows-1251,
// rewritten in UTF-8 when that turns out after parts of it went out.
void ResourceScriptsTest::scriptFileBytes_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<bool>("windows1251");
    const QString longLine = QStringLiteral("1, \"%1\"\r\n").arg(QString(70000, u'x'));
    QTest::newRow("English") << QStringList{"1, \"Open\"\r\n", "2, \"Save\"\r\n"} << true;
    QTest::newRow("Russian") << QStringList{"1, \"Открыть\"\r\n", "2, \"Сохранить\"\r\n"} << true;
    QTest::newRow("Chinese after Russian")
        << QStringList{"1, \"Открыть\"\r\n", "2, \"打开\"\r\n", "3, \"Ещё\"\r\n"} << false;
    QTest::newRow("Chinese first") << QStringList{"1, \"打开\"\r\n", "2, \"Открыть\"\r\n"} << false;
    // "Р°" in Windows-1251 is D0 B0, which UTF-8 reads as "а": the loader would misread it.
    QTest::newRow("Windows-1251 bytes that are UTF-8") << QStringList{"1, \"Р°\"\r\n"} << false;
    // Parts already out when the encoding changes: read back and written anew.
    QTest::newRow("Chinese after a part went out")
        << QStringList{longLine, "2, \"Ещё\"\r\n", "3, \"打开\"\r\n", longLine} << false;
    QTest::newRow("UTF-8 look after a part went out") << QStringList{longLine, "2, \"Р°\"\r\n"} << false;
    QTest::newRow("ill-formed in a later part")
        << QStringList{"1, \"Р°\"\r\n", longLine, "2, \"Ещё\"\r\n"} << true;
    QTest::newRow("mark look") << QStringList{"п»ї1, \"x\"\r\n"} << false;
}

void ResourceScriptsTest::scriptFileBytes()
{
    QFETCH(QStringList, pieces);
    QFETCH(bool, windows1251);
    ScriptBytesOutput out;
    ScriptFileStream made(out);
    for (const QString& piece : pieces)
        QVERIFY(made.append(piece));
    QVERIFY(made.finish());
    const QByteArray bytes = out.take();
    const QString whole = pieces.join(QString());
    QCOMPARE(bytes, kvarsel::scriptFileBytes(whole));
    QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), !windows1251);
    const DecodedText read = decodeText(bytes);
    QCOMPARE(read.text, whole);
    QCOMPARE(read.encoding == TextEncoding::Windows1251, windows1251);
}

// The record names every resource of a script in a line the reader takes back:
// numbers at both ends, quoted names with a quote and Cyrillic, every language.
void ResourceScriptsTest::recordLines_data()
{
    QTest::addColumn<Resource>("resource");
    QTest::addColumn<QString>("line");
    const auto resource = [](ResourceKey type, ResourceKey name, quint16 language) {
        Resource r;
        r.type = type;
        r.name = name;
        r.language = language;
        return r;
    };
    using K = ResourceKey;
    QTest::newRow("numbers") << resource(K::number(6), K::number(0), 0x0000) << "resource 6 0 0x0000";
    QTest::newRow("largest") << resource(K::number(65535), K::number(65535), 0xFFFF)
                             << "resource 65535 65535 0xFFFF";
    QTest::newRow("quoted") << resource(K::number(5), K::text(u"PRINT \"A\""_s), 0x0409)
                            << "resource 5 \"PRINT \"\"A\"\"\" 0x0409";
    QTest::newRow("named type") << resource(K::text(u"ДАННЫЕ"_s), K::text(u"5"_s), 0x0419)
                                << "resource \"ДАННЫЕ\" \"5\" 0x0419";
}

void ResourceScriptsTest::recordLines()
{
    QFETCH(Resource, resource);
    QFETCH(QString, line);
    ProgramRecord record;
    record.path = u"/home/я/app.exe"_s;
    record.sha256 = QByteArray(64, 'a');
    // Two dots inside a resource's name are no step out of the directory.
    record.scripts << RecordedScript{ResourceKind::Dialog, u"dialog/FILE..OPEN.rc"_s, {resource}};
    const QByteArray text = recordText(record);
    QVERIFY(text.contains("\r\n" + line.toUtf8() + "\r\n"));
    const RecordRead read = parseRecord(text);
    QCOMPARE(read.error, QString());
    QCOMPARE(read.record.path, record.path);
    QCOMPARE(read.record.scripts.value(0).file, record.scripts[0].file);
    const Resource back = read.record.scripts[0].resources.value(0);
    QCOMPARE(back.type, resource.type);
    QCOMPARE(back.name, resource.name);
    QCOMPARE(back.language, resource.language);
}

QTEST_GUILESS_MAIN(ResourceScriptsTest)
#include "tst_resourcescripts.moc"
