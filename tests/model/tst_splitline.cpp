#include "model/SplitLine.h"
#include "text/CharClass.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kvarsel;

Q_DECLARE_METATYPE(kvarsel::ResourceKind)

namespace {
// The tables write the script's double quote as ″ so the rows stay readable.
QString q(const char16_t* s) { return QString::fromUtf16(s).replace(u'″', u'"'); }
} // namespace

class SplitLineTest : public QObject {
    Q_OBJECT
private:
    static void addColumns()
    {
        QTest::addColumn<ResourceKind>("kind");
        QTest::addColumn<bool>("hideRussian");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tail");
    }
    static void row(const char* name, ResourceKind kind, const char16_t* line, const char16_t* head,
                    const char16_t* text, const char16_t* tail, bool hideRussian = false)
    {
        QTest::newRow(name) << kind << hideRussian << q(line) << q(head) << q(text) << q(tail);
    }
    static void check()
    {
        QFETCH(ResourceKind, kind);
        QFETCH(bool, hideRussian);
        QFETCH(QString, line);
        QFETCH(QString, head);
        QFETCH(QString, text);
        QFETCH(QString, tail);
        const ResourceLine got = SplitLine(kind, line, hideRussian);
        QCOMPARE(got.head, head);
        QCOMPARE(got.text, text);
        QCOMPARE(got.tail, tail);
        QCOMPARE(got.composed(), QString(line).remove(u'&'));
    }

private Q_SLOTS:
    void workedExamples_data()
    {
        addColumns();
        using K = ResourceKind;
        row("menu item", K::Menu, u"    MENUITEM ″&Open...\\tCtrl+O″, ID_FILE_OPEN", u"    MENUITEM ″",
            u"Open", u"...\\tCtrl+O″, ID_FILE_OPEN");
        row("dialog label", K::Dialog, u"    LTEXT ″User name:″,IDC_STATIC,7,7,40,8", u"    LTEXT ″",
            u"User name", u":″,IDC_STATIC,7,7,40,8");
        row("dialog control", K::Dialog, u"    CONTROL ″Check″,IDC_CHECK,″Button″,WS_TABSTOP,7,20,50,10",
            u"    CONTROL ″Check″,IDC_CHECK,″Button", u"", u"″,WS_TABSTOP,7,20,50,10");
        row("dialog font", K::Dialog, u"FONT 8, ″MS Sans Serif″", u"FONT 8, ″MS Sans Serif", u"", u"″");
        row("string entry", K::String, u"    IDS_READY ″Ready to work.\\tF1″", u"    IDS_READY ″",
            u"Ready to work", u".\\tF1″");
        row("rcdata caption", K::RcData, u"  Caption = 'Open file...'", u"  Caption = '", u"Open file",
            u"...'");
        row("rcdata font", K::RcData, u"  Font.Name = 'Arial'", u"  Font.Name = 'Arial", u"", u"'");
        for (const K k : kAllKinds)
            QTest::newRow(qPrintable(QStringLiteral("BEGIN %1").arg(kindInfo(k).name)))
                << k << false << QStringLiteral("BEGIN") << QStringLiteral("BEGIN") << QString() << QString();
        row("menu dots only", K::Menu, u"    MENUITEM ″...″, ID_MORE", u"", u"",
            u"    MENUITEM ″...″, ID_MORE");
    }
    void workedExamples() { check(); }

    void edgeCases_data()
    {
        addColumns();
        using K = ResourceKind;
        row("ampersands everywhere, doubled too", K::Menu, u"A&&B MENUITEM ″&Save &As...″, ID_&X",
            u"AB MENUITEM ″", u"Save As", u"...″, ID_X");
        row("menu cut at first dot wherever it stands", K::Menu, u"MENUITEM ″Version 2.0″", u"MENUITEM ″",
            u"Version 2", u".0″");
        row("menu cut at colon", K::Menu, u"MENUITEM ″Zoom: 100%″", u"MENUITEM ″", u"Zoom", u": 100%″");
        row("menu keeps trailing blanks", K::Menu, u"POPUP ″File  ″", u"POPUP ″", u"File  ", u"″");
        row("menu leading signs dropped", K::Menu, u"MENUITEM ″- Exit″", u"MENUITEM ″- ", u"Exit", u"″");
        row("menu no text char stays whole", K::Menu, u"MENUITEM ″12″", u"MENUITEM ″", u"12", u"″");
        row("menu one letter refused", K::Menu, u"MENUITEM ″X″", u"MENUITEM ″X", u"", u"″");
        row("empty quotes", K::Menu, u"MENUITEM ″″, 1", u"", u"", u"MENUITEM ″″, 1");
        // The same letters in an identifier or keyword before the quotes stay where they are.
        row("identifier before the quotes", K::Menu, u"ID_Open ″Open″", u"ID_Open ″", u"Open", u"″");
        row("string id equal to its text", K::String, u"    IDS_OK ″OK″", u"    IDS_OK ″", u"OK", u"″");
        row("keyword holding the text", K::Dialog, u"    PUSHBUTTON ″ON″,IDC_ON", u"    PUSHBUTTON ″", u"ON",
            u"″,IDC_ON");
        row("one letter in the keyword refused", K::Menu, u"MENUITEM ″M″", u"MENUITEM ″M", u"", u"″");
        row("outer quotes: first and last", K::Menu, u"″a″ ″Copy″", u"″", u"a″ ″Copy", u"″");
        row("single quote char is no text", K::Menu, u"MENUITEM ″Open", u"MENUITEM ″Open", u"", u"");
        row("dialog trailing trim keeps bracket", K::Dialog, u"LTEXT ″Size (KB):″", u"LTEXT ″", u"Size (KB)",
            u":″");
        row("dialog digits and signs only", K::Dialog, u"LTEXT ″1:″,1", u"", u"", u"LTEXT ″1:″,1");
        row("dialog dots only", K::Dialog, u"LTEXT ″...″,1", u"", u"", u"LTEXT ″...″,1");
        row("dialog one letter refused", K::Dialog, u"LTEXT ″A″,1", u"LTEXT ″A", u"", u"″,1");
        row("dialog leading blanks dropped", K::Dialog, u"LTEXT ″  Name″", u"LTEXT ″  ", u"Name", u"″");
        row("string tab first is empty", K::String, u"IDS_X ″\\tF1″", u"", u"", u"IDS_X ″\\tF1″");
        row("string trims before tab", K::String, u"IDS_X ″Done!\\tnow″", u"IDS_X ″", u"Done", u"!\\tnow″");
        row("string one letter refused", K::String, u"IDS_X ″Q″", u"IDS_X ″Q", u"", u"″");
        row("string keeps percent inside", K::String, u"IDS_X ″%d files″", u"IDS_X ″", u"%d files", u"″");
        row("rcdata doubled apostrophe ends early", K::RcData, u"Caption = 'Don''t save'", u"Caption = '",
            u"Don", u"''t save'");
        row("rcdata adjacent apostrophes", K::RcData, u"Caption = ''", u"Caption ", u"", u"= ''");
        row("rcdata adjacent apostrophes no equals", K::RcData, u"''", u"", u"", u"''");
        row("rcdata one letter kept", K::RcData, u"Hint = 'A'", u"Hint = '", u"A", u"'");
        // Leading digits go: the first TextCharPct character is the "%".
        row("rcdata percent kept at end", K::RcData, u"Caption = '100%'", u"Caption = '100", u"%", u"'");
        row("rcdata name left of equals ignored", K::RcData, u"Open = 'Open'", u"Open = '", u"Open", u"'");
        row("rcdata value before equals has no text", K::RcData, u"'Open' = x", u"'Open' = x", u"", u"");
        row("rcdata single apostrophe", K::RcData, u"Caption = 'Open", u"Caption = 'Open", u"", u"");
        row("rcdata ms sans serif refused", K::RcData, u"Font = 'MS Sans Serif'", u"Font = 'MS Sans Serif",
            u"", u"'");
        row("hide russian off offers mixed text", K::Menu, u"MENUITEM ″Fileж″", u"MENUITEM ″", u"Fileж",
            u"″");
        row("hide russian on refuses mixed text", K::Menu, u"MENUITEM ″Fileж″", u"MENUITEM ″Fileж", u"", u"″",
            true);
        row("hide russian on keeps latin", K::RcData, u"Caption = 'Open'", u"Caption = '", u"Open", u"'",
            true);
    }
    void edgeCases() { check(); }

    // Quoted words that only the build or the program reads: a user never sees them,
    // and a translated one breaks the program. The line stays whole.
    void statementsNoUserSees_data()
    {
        addColumns();
        using K = ResourceKind;
        struct Refused {
            const char* name;
            ResourceKind kind;
            const char16_t* line;
            const char16_t* head;
            const char16_t* tail;
        };
        for (const Refused& r : std::initializer_list<Refused>{
                 {"include", K::Menu, u"#include ″resource.h″", u"#include ″resource", u".h″"},
                 {"indented pragma", K::String, u"  #pragma message(″Build menu″)",
                  u"  #pragma message(″Build menu", u"″)"},
                 {"define", K::Dialog, u"#define APP_NAME ″Viewer″", u"#define APP_NAME ″Viewer", u"″"},
                 {"quoted dialog name", K::Dialog, u"″PRINT″ DIALOG 36, 24, 264, 134", u"″PRINT",
                  u"″ DIALOG 36, 24, 264, 134"},
                 {"quoted dialogex name, tab", K::Dialog, u"″Page″	dialogex 0, 0, 200, 100", u"″Page",
                  u"″	dialogex 0, 0, 200, 100"},
                 {"quoted menu name", K::Menu, u"″VIEW″ MENU", u"″VIEW", u"″ MENU"},
                 {"quoted menuex name", K::Menu, u"″Main″ MENUEX DISCARDABLE", u"″Main",
                  u"″ MENUEX DISCARDABLE"},
                 {"font face of today", K::Dialog, u"FONT 8, ″MS Shell Dlg″", u"FONT 8, ″MS Shell Dlg", u"″"},
                 {"font face with weight", K::Dialog, u"  font 9, ″Segoe UI″, 400, 0, 0x1",
                  u"  font 9, ″Segoe UI", u"″, 400, 0, 0x1"},
                 {"lower-case font name", K::Dialog, u"FONT 8, ″ms sans serif″", u"FONT 8, ″ms sans serif",
                  u"″"},
                 {"window class", K::Dialog, u"CLASS ″MyWndClass″", u"CLASS ″MyWndClass", u"″"},
                 {"dialog menu", K::Dialog, u"MENU ″VIEW″", u"MENU ″VIEW", u"″"},
                 {"rcdata font name", K::RcData, u"  Font.Name = 'Tahoma'", u"  Font.Name = 'Tahoma", u"'"},
                 {"rcdata other font name", K::RcData, u"  TitleFont . name = 'Segoe UI'",
                  u"  TitleFont . name = 'Segoe UI", u"'"},
             })
            row(r.name, r.kind, r.line, r.head, u"", r.tail);
        // Texts users do see, next to them, stay offered.
        row("menu item named like a statement", K::Menu, u"MENUITEM ″Dialog″, 1", u"MENUITEM ″", u"Dialog",
            u"″, 1");
        row("caption in a statement line", K::Dialog, u"CAPTION ″Print″", u"CAPTION ″", u"Print", u"″");
        row("rcdata # is a text", K::RcData, u"#Caption = 'Fonts'", u"#Caption = '", u"Fonts", u"'");
        row("rcdata name ends differently", K::RcData, u"FontNameHint = 'Font name'", u"FontNameHint = '",
            u"Font name", u"'");
        row("string id with DIALOG second", K::String, u"IDS_X ″Dialog″", u"IDS_X ″", u"Dialog", u"″");
    }
    void statementsNoUserSees() { check(); }

    // For many generated lines of every kind: the line survives the split whole, and
    // what is offered obeys the kind's rules.
    void generatedLinesComposeBack()
    {
        const QString alphabet = QStringLiteral("\"'&=\t:.09 AbzZ(%)<>-!?ЖяЁ,_\\t");
        QRandomGenerator rng(20261207);
        for (const ResourceKind kind : kAllKinds) {
            for (int n = 0; n < 12000; ++n) {
                QString line;
                const int len = rng.bounded(0, 40);
                for (int i = 0; i < len; ++i) {
                    const int pick = rng.bounded(alphabet.size() + 6);
                    // Whole words now and then, so the fixed refusals get exercised too.
                    if (pick == alphabet.size())
                        line += QStringLiteral("CONTROL");
                    else if (pick == alphabet.size() + 1)
                        line += QStringLiteral("MS Sans Serif");
                    else if (pick == alphabet.size() + 2)
                        line += QStringLiteral("Arial");
                    else if (pick >= alphabet.size() + 3)
                        line += QStringLiteral("\\t");
                    else
                        line += alphabet[pick];
                }
                const bool hide = rng.bounded(2) == 1;
                const ResourceLine r = SplitLine(kind, line, hide);
                QCOMPARE(r.composed(), QString(line).remove(u'&'));
                if (r.text.isEmpty())
                    continue;
                QVERIFY2(!r.text.contains(u'&'), qPrintable(line));
                QVERIFY2(isTextCharPct(r.text.front()) || kind == ResourceKind::Menu, qPrintable(line));
                if (hide)
                    for (const QChar c : r.text)
                        QVERIFY2(!isNonAscii(c), qPrintable(line));
                switch (kind) {
                case ResourceKind::Menu:
                    QVERIFY(r.text.size() > 1);
                    QVERIFY(!r.text.contains(u'.') && !r.text.contains(u':') &&
                            !r.text.contains(QStringLiteral("\\t")));
                    break;
                case ResourceKind::Dialog:
                    QVERIFY(r.text.size() > 1 && isTextChar(r.text.back()));
                    QVERIFY(!r.head.contains(QStringLiteral("CONTROL")));
                    QVERIFY(r.text != QStringLiteral("MS Sans Serif"));
                    break;
                case ResourceKind::String:
                    QVERIFY(r.text.size() > 1 && isTextChar(r.text.back()));
                    QVERIFY(!r.text.contains(QStringLiteral("\\t")));
                    break;
                case ResourceKind::RcData:
                    QVERIFY(isTextCharPct(r.text.back()));
                    QVERIFY(!r.text.contains(u'\''));
                    QVERIFY(r.text != QStringLiteral("Arial") && r.text != QStringLiteral("MS Sans Serif"));
                    break;
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(SplitLineTest)
#include "tst_splitline.moc"
