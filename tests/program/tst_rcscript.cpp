// Whole resource scripts cut into a resource directory's scripts and spliced back,
// judged by windres: the packed file compiles to the same resources as the original,
// with the translation in the cut blocks (or beside them, as Russian).

#include "program/ProgramFiles.h"
#include "program/RcFiles.h"
#include "program/RcScript.h"
#include "program/ResFile.h"
#include "program/ResourceScripts.h"
#include "text/Encoding.h"

#include "TestUtil.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTemporaryDir>
#include <QTest>

using namespace kvarsel;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kWindres = u"x86_64-w64-mingw32-windres"_s;

const char* kResourceH = R"(#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_OPTIONS 101
#define IDC_SAVE 1000
#define IDC_MODE 1001
#define IDS_READY 200
#define IDS_SAVED 201
#define ID_FILE_OPEN 32771
#define ID_APP_EXIT 32772
#define ID_APP_ABOUT 32773
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
)";

// What Visual Studio writes: an English and a German section, each in its #if, with
// the designer's blocks that are not translated around the ones that are.
QString visualStudioRc(const QString& codePage)
{
    return QString::fromUtf8(test::readBytes(QStringLiteral(KVARSEL_TEST_DATA "/program/notes-vs.rc")))
        .replace(u"CODE_PAGE"_s, codePage)
        .replace(u"\n"_s, u"\r\n"_s);
}

// A script written by hand: comments in every place, braces, quoted names, numeric
// styles, tabs, wide strings, no LANGUAGE statement; LF line ends, no last line end.
QString handWrittenRc()
{
    return QString::fromUtf8(test::readBytes(QStringLiteral(KVARSEL_TEST_DATA "/program/pad-by-hand.rc")));
}

const QMap<QString, QString>& translation()
{
    static const QMap<QString, QString> map{{u"&File"_s, u"&Файл"_s},
                                            {u"E&xit"_s, u"В&ыход"_s},
                                            {u"About Notes"_s, u"О программе"_s},
                                            {u"&About Notes..."_s, u"&О программе..."_s},
                                            {u"OK"_s, u"ОК"_s},
                                            {u"Options"_s, u"Параметры"_s},
                                            {u"&Save on exit"_s, u"&Сохранять при выходе"_s},
                                            {u"Cancel"_s, u"Отмена"_s},
                                            {u"Notes"_s, u"Заметки"_s},
                                            {u"Ready"_s, u"Готово"_s},
                                            {u"File saved."_s, u"Файл сохранён."_s},
                                            {u"Print"_s, u"Печать"_s},
                                            {u"Pages:"_s, u"Страницы:"_s},
                                            {u"&Edit"_s, u"&Правка"_s},
                                            {u"Pad — a text tool"_s, u"Блокнот"_s},
                                            {u"&Datei"_s, u"&Файл"_s},
                                            {u"Bereit"_s, u"Готово"_s}};
    return map;
}

// The script as the window leaves it: every quoted text with a translation replaced,
// written back in the encoding it was read in.
QByteArray translated(const QByteArray& script)
{
    const DecodedText d = decodeText(script);
    QString text = d.text;
    for (auto it = translation().begin(); it != translation().end(); ++it)
        text.replace(u'"' + it.key() + u'"', u'"' + it.value() + u'"');
    QByteArray out = byteOrderMark(d.encoding).toByteArray();
    if (!encodeText(text, d.encoding, out))
        return d.encoding == TextEncoding::Windows1251 ? QByteArray() : out;
    return out;
}

QByteArray encoded(const QString& text, const QString& how)
{
    if (how == u"utf16")
        return QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    if (how == u"utf8bom")
        return "\xEF\xBB\xBF" + text.toUtf8();
    if (how == u"latin1")
        return text.toLatin1();
    return text.toUtf8();
}

QString decodeEscapes(QStringView s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'"' && i + 1 < s.size() && s[i + 1] == u'"') {
            out += u'"';
            ++i;
        } else if (s[i] != u'\\' || i + 1 >= s.size()) {
            out += s[i];
        } else if (s[++i] == u'x') {
            qsizetype j = i + 1;
            while (j < s.size() && j < i + 5 && isxdigit(s[j].toLatin1()))
                ++j;
            out += QChar(char16_t(s.mid(i + 1, j - i - 1).toUInt(nullptr, 16)));
            i = j - 1;
        } else if (s[i] >= u'0' && s[i] <= u'7') {
            qsizetype j = i;
            while (j < s.size() && j < i + 3 && s[j] >= u'0' && s[j] <= u'7')
                ++j;
            out += QChar(char16_t(s.mid(i, j - i).toUInt(nullptr, 8)));
            i = j - 1;
        } else {
            const int k = QStringView(u"ntr").indexOf(s[i]);
            out += k >= 0 ? QChar(u"\n\t\r"[k]) : s[i];
        }
    }
    return out;
}

// The resources windres finds in a script, decompiled by windres itself, each as
// "name | language | header | body" with every string's escapes decoded.
QStringList compiledResources(const QByteArray& rc, const QString& dir, QString* failure)
{
    // windres reads no UTF-16 and no byte-order mark: a UTF-16 file is given to it
    // as UTF-8 with its code page said to be UTF-8.
    const DecodedText d = decodeText(rc);
    QByteArray input = rc;
    QStringList extra;
    if (d.encoding != TextEncoding::Windows1251 && d.encoding != TextEncoding::Utf8) {
        input = QString(d.text)
                    .replace(QRegularExpression(u"code_page\\(\\d+\\)"_s), u"code_page(65001)"_s)
                    .toUtf8();
        extra << u"-c"_s << u"65001"_s;
    }
    test::writeBytes(dir + u"/resource.h"_s, kResourceH);
    test::writeBytes(dir + u"/pad.manifest"_s, "<assembly/>\r\n");
    test::writeBytes(dir + u"/in.rc"_s, input);
    QProcess p;
    p.setWorkingDirectory(dir);
    // The host's cpp reads mingw's headers once told it preprocesses for Windows.
    p.start(kWindres, QStringList{u"--preprocessor=cpp"_s, u"-I"_s, u"/usr/share/mingw-w64/include"_s,
                                  u"-D_WIN32"_s, u"-D_WIN64"_s, u"-DWINAPI_FAMILY_PARTITION(x)=1"_s, u"-i"_s,
                                  u"in.rc"_s, u"-O"_s, u"res"_s, u"-o"_s, u"out.res"_s} +
                          extra);
    p.waitForFinished(60000);
    if (p.exitCode() != 0) {
        *failure = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    p.start(kWindres, {u"-i"_s, u"out.res"_s, u"-O"_s, u"rc"_s, u"-o"_s, u"out.rc"_s});
    p.waitForFinished(60000);
    if (p.exitCode() != 0) {
        *failure = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    static const QRegularExpression string(u"L?\"((?:[^\"\\\\]|\\\\.|\"\")*)\""_s);
    QStringList resources;
    QString name, language, header, body;
    auto flush = [&] {
        if (!header.isEmpty())
            resources << name + u" | "_s + language + u" | "_s + header + u" | "_s + body;
        header.clear();
        body.clear();
    };
    bool inComment = false;
    int depth = 0;
    for (const QString& raw : QString::fromLatin1(test::readBytes(dir + u"/out.rc"_s)).split(u'\n')) {
        QString line = raw.trimmed();
        if (inComment || line.startsWith(u"/*"_s)) {
            if (!inComment)
                flush();
            if (const qsizetype at = line.indexOf(u"Name: "_s); at >= 0)
                name = line.mid(at + 6).remove(u"*/"_s).trimmed();
            inComment = !line.contains(u"*/"_s);
            continue;
        }
        if (line.startsWith(u"LANGUAGE "_s)) {
            flush();
            language = line;
            continue;
        }
        QString decoded;
        qsizetype at = 0;
        for (auto it = string.globalMatch(line); it.hasNext();) {
            const auto m = it.next();
            decoded += line.mid(at, m.capturedStart() - at) + u'"' + decodeEscapes(m.capturedView(1)) + u'"';
            at = m.capturedEnd();
        }
        decoded += line.mid(at);
        if (decoded.isEmpty())
            continue;
        (header.isEmpty() ? header : body) += header.isEmpty() ? decoded : decoded + u'\n';
        depth += line == u"BEGIN" || line == u"{" ? 1 : line == u"END" || line == u"}" ? -1 : 0;
        if (depth == 0 && (line == u"END" || line == u"}"))
            flush();
    }
    flush();
    std::sort(resources.begin(), resources.end());
    return resources;
}

// The original's resources as they should come out: the source language's menus,
// dialogs and strings translated, in place or added again as Russian.
QStringList expectedResources(const QStringList& original, const QString& sourceLanguage, bool copy)
{
    QStringList expected = copy ? original : QStringList();
    for (const QString& r : original) {
        const QStringList parts = r.split(u" | "_s);
        const bool cut = parts[1] == sourceLanguage &&
                         QRegularExpression(u"^\\S+ (MENU|MENUEX|DIALOG|DIALOGEX)\\b|^STRINGTABLE"_s)
                             .match(parts[2])
                             .hasMatch();
        if (!cut) {
            if (!copy)
                expected << r;
            continue;
        }
        QString t = r;
        for (auto it = translation().begin(); it != translation().end(); ++it)
            t.replace(u'"' + it.key() + u'"', u'"' + it.value() + u'"');
        // Nothing translated, a menu or dialog gets no copy; string tables go all together.
        if (copy && t == r && !parts[2].startsWith(u"STRINGTABLE"_s))
            continue;
        if (copy)
            t.replace(u" | "_s + sourceLanguage + u" | "_s, u" | LANGUAGE 25, 1 | "_s);
        expected << t;
    }
    std::sort(expected.begin(), expected.end());
    return expected;
}

} // namespace

class TestRcScript : public QObject {
    Q_OBJECT
private slots:
    void packed_data();
    void packed();
    void kindFolders_data();
    void kindFolders();
    void throughBatch_data();
    void throughBatch();
};

void TestRcScript::packed_data()
{
    QTest::addColumn<QByteArray>("rc");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("cut");
    QTest::addColumn<bool>("russianCopy");
    QTest::addColumn<QString>("refusedAt"); // the translated text whose line is named, or empty

    const QStringList vs{u"menu/IDR_MAINFRAME"_s, u"dialog/IDD_ABOUTBOX"_s, u"dialog/IDD_OPTIONS"_s,
                         u"string/StringTable1"_s, u"string/StringTable2"_s};
    const QStringList hand{
        u"dialog/PRINT"_s,        u"menu/100"_s,    u"string/StringTable1"_s, u"string/StringTable2"_s,
        u"string/StringTable3"_s, u"dialog/FIND"_s, u"string/StringTable4"_s, u"dialog/ABOUT"_s};
    // A Russian copy of the menu would define the Russian one a second time.
    const QString russianThere = handWrittenRc() + u"\nLANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
                                                   u"100 MENUEX { MENUITEM \"Pad\", 1 }\n"_s;
    // Without a #pragma code_page, the code page is left to the compiler.
    const QString noCodePage = visualStudioRc(QString()).remove(u"#pragma code_page()\r\n"_s);
    QTest::newRow("Visual Studio, UTF-16LE, in place")
        << encoded(visualStudioRc(u"1252"_s), u"utf16"_s) << QString() << vs << false << QString();
    QTest::newRow("Visual Studio, UTF-16LE, Russian beside")
        << encoded(visualStudioRc(u"1252"_s), u"utf16"_s) << u"en"_s << vs << true << QString();
    QTest::newRow("Visual Studio, code page 1252, Russian beside")
        << encoded(visualStudioRc(u"1252"_s), u"latin1"_s) << u"0x0409"_s << vs << true << QString();
    QTest::newRow("Visual Studio, code page 1252, in place: no room for Cyrillic")
        << encoded(visualStudioRc(u"1252"_s), u"latin1"_s) << QString() << vs << false << u"&File"_s;
    QTest::newRow("Visual Studio, no code page, ASCII, in place")
        << encoded(QString(noCodePage).replace(u"©"_s, u"(c)"_s), u"latin1"_s) << QString() << vs << false
        << QString();
    QTest::newRow("Visual Studio, no code page, a letter beyond ASCII: refused")
        << encoded(noCodePage, u"latin1"_s) << QString() << vs << false << u"Copyright © 2024"_s;
    QTest::newRow("Visual Studio, code page 1252, Russian beside a letter 1251 lacks")
        << encoded(visualStudioRc(u"1252"_s).replace(u"©"_s, u"é"_s), u"latin1"_s) << u"0x0409"_s << vs
        << true << QString();
    QTest::newRow("Visual Studio, UTF-8 with a mark, German cut")
        << encoded(visualStudioRc(u"65001"_s), u"utf8bom"_s) << u"de"_s
        << QStringList{u"menu/IDR_MAINFRAME"_s, u"string/StringTable1"_s} << false << QString();
    QTest::newRow("by hand, UTF-8, in place")
        << encoded(handWrittenRc(), u"utf8"_s) << QString() << hand << false << QString();
    QTest::newRow("by hand, UTF-8, Russian beside")
        << encoded(handWrittenRc(), u"utf8"_s) << QString() << hand << true << QString();
    QTest::newRow("by hand, Russian beside a Russian menu")
        << encoded(russianThere, u"utf8"_s) << u"en"_s << hand << true << u"Pad"_s;
}

void TestRcScript::packed()
{
    QFETCH(QByteArray, rc);
    QFETCH(QString, language);
    QFETCH(QStringList, cut);
    QFETCH(bool, russianCopy);
    QFETCH(QString, refusedAt);

    QTemporaryDir tmp;
    const QString source = tmp.filePath(u"notes.rc"_s), dir = tmp.filePath(u"res"_s),
                  output = tmp.filePath(u"notes.ru.rc"_s);
    QVERIFY(test::writeBytes(source, rc));
    const RcUnpackResult unpacked = unpackRcFile(source, dir, language);
    const auto named = [&](const QString& error) {
        const QString text = decodeText(rc).text;
        const int line = int(text.left(text.lastIndexOf(u'"' + refusedAt + u'"')).count(u'\n')) + 1;
        return error.contains(u"notes.rc», строка %1: "_s.arg(line));
    };
    if (!unpacked.ok()) {
        QVERIFY2(!refusedAt.isEmpty() && named(unpacked.error), qPrintable(unpacked.error));
        QVERIFY(!QFileInfo::exists(dir) || QDir(dir).isEmpty());
        return;
    }
    // A block written on one line is named: the window would not offer its texts.
    QCOMPARE(unpacked.notes.join(u'\n').contains(u"«ABOUT»"_s),
             decodeText(rc).text.contains(u"\"ABOUT\" DIALOG"_s));
    QStringList names;
    for (QDirIterator it(dir, {u"*.rc"_s}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        names << QDir(dir).relativeFilePath(it.next()).chopped(3);
    names.sort();
    cut.sort();
    QCOMPARE(names, cut);

    // Nothing translated: the very same bytes, whichever way it is packed.
    QVERIFY(packRcFile(dir, output, russianCopy, tmp.path()).ok());
    QCOMPARE(test::readBytes(output), rc);
    QCOMPARE(packRcFile(dir, source, russianCopy, tmp.path()).exitStatus, 2);

    int changed = 0, unchangedTables = 0;
    for (const QString& name : names) {
        const QString path = dir + u'/' + name + u".rc"_s;
        const QByteArray before = test::readBytes(path);
        QVERIFY(decodeText(before).ok());
        QVERIFY(test::writeBytes(path, translated(before)));
        const bool differs = translated(before) != before;
        changed += differs;
        unchangedTables += !differs && name.startsWith(u"string/"_s);
    }
    // Unpacked again, the translations stay.
    QCOMPARE(unpackRcFile(source, dir, language).kept, names.size());

    const RcPackResult packed = packRcFile(dir, output, russianCopy, tmp.path());
    if (!refusedAt.isEmpty()) {
        QCOMPARE(packed.exitStatus, 1);
        QCOMPARE(test::readBytes(output), rc); // the earlier output left as it was
        QVERIFY2(named(packed.error), qPrintable(packed.error));
        return;
    }
    QVERIFY2(packed.ok(), qPrintable(packed.error));
    QCOMPARE(packed.changedBlocks, changed);
    const QByteArray packedBytes = test::readBytes(output);
    QCOMPARE(packedBytes.left(3), rc.left(3)); // the mark stays
    // The packed file reads back with the same blocks where they stood.
    QCOMPARE(RcScript::read(packedBytes).blocks().size(),
             RcScript::read(rc).blocks().size() + (russianCopy ? changed + unchangedTables : 0));

    const QString judge = tmp.filePath(u"judge"_s);
    QDir().mkpath(judge);
    QString failure;
    const QStringList before = compiledResources(rc, judge, &failure);
    QVERIFY2(!before.isEmpty(), qPrintable(failure));
    const QStringList after = compiledResources(packedBytes, judge, &failure);
    QVERIFY2(!after.isEmpty(), qPrintable(failure));
    const QString sourceStatement =
        u"LANGUAGE %1, %2"_s.arg(unpacked.language & 0x3ff).arg(unpacked.language >> 10);
    QCOMPARE(after, expectedResources(before, sourceStatement, russianCopy));
}

// A kind's folder already there is the one the loader reads: unpacking (of a whole
// script or of a compiled file) writes into it under its letter case, and refuses
// one that leads out of the directory, where nothing written would be loaded (a
// whole script's unpacking never wrote through it: its writer keeps to the directory).
void TestRcScript::kindFolders_data()
{
    QTest::addColumn<bool>("rc");
    QTest::addColumn<bool>("linkedOut"); // else "Menu" in another letter case
    QTest::newRow(".rc, Menu") << true << false;
    QTest::newRow(".res, Menu") << false << false;
    QTest::newRow(".res, menu a link out") << false << true;
}

void TestRcScript::kindFolders()
{
    QFETCH(bool, rc);
    QFETCH(bool, linkedOut);
    QTemporaryDir tmp;
    const QDir top(tmp.path());
    QVERIFY(top.mkpath(u"res"_s) && top.mkpath(u"elsewhere"_s));
    QVERIFY(linkedOut ? QFile::link(top.filePath(u"elsewhere"_s), top.filePath(u"res/menu"_s))
                      : top.mkpath(u"res/Menu"_s));
    const QString menu = u"1 MENU\r\nBEGIN\r\n    MENUITEM \"&Open\", 1\r\nEND\r\n"_s;
    QList<Resource> resources = compileScript(ResourceKind::Menu, menu).resources;
    resources[0].language = 0x0409;
    const QString source = top.filePath(rc ? u"app.rc"_s : u"app.res"_s), dir = top.filePath(u"res"_s);
    QVERIFY(test::writeBytes(source, rc ? menu.toUtf8() : writeResFile(resources)));
    const QString error =
        rc ? unpackRcFile(source, dir, QString()).error : unpackProgram({source, dir, QString()}).error;
    QVERIFY2(error.contains(u"ссылка за пределы"_s) == linkedOut, qPrintable(error));
    QCOMPARE(QDir(top.filePath(linkedOut ? u"elsewhere"_s : u"res/Menu"_s)).entryList(QDir::Files),
             linkedOut ? QStringList() : QStringList{u"1.rc"_s});
    QVERIFY(linkedOut || !QFileInfo::exists(top.filePath(u"res/menu"_s)));
}

// kvarsel-batch tells a .rc by its name and takes the same road as packed() above:
// the directory it cuts packs back to the very bytes, and never over a file the
// user keeps: the original, the directory's own record and scripts, the working
// directory's dictionaries and settings, a dictionary beside the output, or any of
// these reached through a link.
void TestRcScript::throughBatch_data()
{
    QTest::addColumn<QString>("output"); // relative to the test's directory
    QTest::newRow("the original") << u"pad.rc"_s;
    QTest::newRow("User.dic of the working directory") << u"work/User.dic"_s;
    QTest::newRow("a dictionary") << u"work/common.dic"_s;
    QTest::newRow("a dictionary beside the output") << u"elsewhere/extra.dic"_s;
    QTest::newRow("User.dic through a link") << u"to-user.rc"_s;
    QTest::newRow("the directory's record") << u"res/kvarsel-source.txt"_s;
    QTest::newRow("a translated script") << u"res/dialog/PRINT.rc"_s;
}

void TestRcScript::throughBatch()
{
    QFETCH(QString, output);
    QTemporaryDir tmp;
    const QDir top(tmp.path());
    const QString source = top.filePath(u"pad.rc"_s), dir = top.filePath(u"res"_s);
    const QByteArray rc = encoded(handWrittenRc(), u"utf8"_s);
    QVERIFY(test::writeBytes(source, rc));
    QVERIFY(top.mkpath(u"work"_s) && top.mkpath(u"elsewhere"_s));
    for (const QString& kept : {u"work/User.dic"_s, u"work/common.dic"_s, u"elsewhere/extra.dic"_s})
        QVERIFY(test::writeBytes(top.filePath(kept), "Print\r\nПечать\r\n"));
    QVERIFY(QFile::link(top.filePath(u"work/User.dic"_s), top.filePath(u"to-user.rc"_s)));
    const auto batch = [&top](const QStringList& arguments) {
        QProcess p;
        p.setWorkingDirectory(top.filePath(u"work"_s));
        p.start(QStringLiteral(KVARSEL_BATCH_EXE), arguments);
        p.waitForFinished(60000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QCOMPARE(batch({u"unpack"_s, source, dir}), 0);
    const QString target = top.filePath(output);
    const QByteArray before = test::readBytes(target);
    QVERIFY(!before.isEmpty());
    QCOMPARE(batch({u"pack"_s, dir, u"--output"_s, target}), 2);
    QCOMPARE(test::readBytes(target), before);
    QCOMPARE(batch({u"pack"_s, dir, u"--output"_s, top.filePath(u"pad.ru.rc"_s)}), 0);
    QCOMPARE(test::readBytes(top.filePath(u"pad.ru.rc"_s)), rc);
}

QTEST_GUILESS_MAIN(TestRcScript)

#include "tst_rcscript.moc"
