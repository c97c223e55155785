// Programs in and out, judged by tools that are not this program: mingw builds the
// programs, windres compiles the unpacked scripts, pefile reads the packed copies,
// and a probe under Wine shows the texts Windows itself loads from them.

#include "ProgramFixtures.h"
#include "TestUtil.h"
#include "program/ProgramFiles.h"
#include "program/ResourceScripts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cstring>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

using Substitutions = QList<QPair<QString, QString>>;

enum class Damage {
    Empty,
    LineBreakInPath,
    DataAfterTree,
    Text,
    CutInHeaders,
    CutInSections,
    SectionPastEnd,
    TreeLoops,
    TreeTooDeep,
    NameTooLong,
    DataPastEnd,
    DotNet,
    Packed,
    NoHeaderRoom,
    Signed,
    ChangedAfterUnpacking,
    ChangedWhileWritten,
    CutWhileWritten,
    OutputIsOriginal,
    OtherProgramInDirectory,
    CutRes
};

Substitutions usualTranslation()
{
    return {{QStringLiteral("&File"), QStringLiteral("&Файл")},
            {QStringLiteral("E&xit"), QStringLiteral("В&ыход")},
            {QStringLiteral("Print"), QStringLiteral("Печать")},
            {QStringLiteral("&Collate copies"), QStringLiteral("&Разобрать копии")},
            {QStringLiteral("Hidden note"), QStringLiteral("Скрытая заметка")},
            {QStringLiteral("Ready"), QStringLiteral("Готово")},
            {QStringLiteral("&Copy"), QStringLiteral("&Копировать")},
            {QStringLiteral("Wide text"), QStringLiteral("Широкий текст «ёЁ»")}};
}

// A translation too long for the old resource section: the new one is appended.
Substitutions longTranslation()
{
    Substitutions subs = usualTranslation();
    subs << qMakePair(QStringLiteral("Demo, version 1.0"),
                      QStringLiteral("Демонстрация, версия 1.0. ").repeated(30).trimmed());
    return subs;
}

QStringList scriptsIn(const QString& dir)
{
    QStringList found;
    for (const QString& sub : {QStringLiteral("menu"), QStringLiteral("dialog"), QStringLiteral("string")}) {
        QDirIterator it(QDir(dir).filePath(sub), {QStringLiteral("*.rc")}, QDir::Files);
        while (it.hasNext())
            found << it.next();
    }
    found.sort();
    return found;
}

bool hasBom(const QByteArray& bytes) { return bytes.startsWith("\xEF\xBB\xBF"); }

// Replaces whole quoted texts in each script, keeping the script's encoding.
void translateScripts(const QString& dir, const Substitutions& subs)
{
    for (const QString& path : scriptsIn(dir)) {
        const QByteArray bytes = readBytes(path);
        const bool utf8 = hasBom(bytes);
        QString text = utf8 ? QString::fromUtf8(bytes.mid(3)) : cp1251::decode(bytes);
        for (const auto& [from, to] : subs) {
            QString quotedFrom = from, quotedTo = to;
            quotedFrom.replace(u'"', QStringLiteral("\"\""));
            quotedTo.replace(u'"', QStringLiteral("\"\""));
            text.replace(u'"' + quotedFrom + u'"', u'"' + quotedTo + u'"');
        }
        QByteArray out;
        if (utf8 || !cp1251::encode(text, out))
            out = "\xEF\xBB\xBF" + text.toUtf8();
        QVERIFY(writeBytes(path, out));
    }
}

// The probe's lines with the translation applied to each text.
QString translatedProbe(const QString& probe, const Substitutions& subs)
{
    QStringList lines = probe.split(u'\n');
    for (QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            continue;
        QString text = line.mid(colon + 2);
        const qsizetype indent = text.size() - QStringView(text).trimmed().size();
        for (const auto& [from, to] : subs)
            if (text.mid(indent) == QString(from).replace(QStringLiteral("&&"), QStringLiteral("&")))
                text = text.left(indent) + to;
        line = line.left(colon + 2) + text;
    }
    return lines.join(u'\n');
}

} // namespace

Q_DECLARE_METATYPE(Substitutions)
Q_DECLARE_METATYPE(Damage)

class ProgramsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void badInput_data();
    void badInput();

private:
    QJsonObject pecheck(const QString& original, const QString& packed, const QStringList& res);
    QString probe(const QString& file, bool russian);
    bool startWine();

    QTemporaryDir m_tmp;
    QString m_batch = QStringLiteral(KVARSEL_BATCH_EXE);
    QString m_probe;
    QString m_prefix;
    bool m_wineReady = false;
    bool m_wineTried = false;
};

void ProgramsTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    for (const QString& tool :
         {gccOf(QStringLiteral("x86_64")), gccOf(QStringLiteral("i686")), windresOf(QStringLiteral("x86_64")),
          windresOf(QStringLiteral("i686")), QStringLiteral("wine")})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), qPrintable(tool + " is not installed"));
    m_probe = m_tmp.filePath(QStringLiteral("probe.exe"));
    const Run built = run(gccOf(QStringLiteral("x86_64")),
                          {QStringLiteral(KVARSEL_PROGRAM_TESTS) + QStringLiteral("/probe.c"),
                           QStringLiteral("-O1"), QStringLiteral("-o"), m_probe});
    QVERIFY2(built.status == 0, built.err.constData());
}

void ProgramsTest::cleanupTestCase()
{
    if (m_prefix.isEmpty())
        return;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix);
    run(QStringLiteral("wineserver"), {QStringLiteral("-k")}, env);
    QDir(m_prefix).removeRecursively();
}

bool ProgramsTest::startWine()
{
    if (m_wineTried)
        return m_wineReady;
    m_wineTried = true;
    // One prefix a run, beside the test, so runs never share Wine's state.
    m_prefix = QDir(QCoreApplication::applicationDirPath())
                   .filePath(QStringLiteral("wine-programs-%1").arg(QCoreApplication::applicationPid()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix);
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.remove(QStringLiteral("DISPLAY"));
    const Run boot =
        run(QStringLiteral("wine"), {QStringLiteral("wineboot"), QStringLiteral("-i")}, env, 300000);
    const Run reg =
        run(QStringLiteral("wine"),
            {QStringLiteral("reg"), QStringLiteral("add"), QStringLiteral("HKCU\\Software\\Wine\\Drivers"),
             QStringLiteral("/v"), QStringLiteral("Graphics"), QStringLiteral("/d"), QStringLiteral("null"),
             QStringLiteral("/f")},
            env);
    m_wineReady = boot.status == 0 && reg.status == 0;
    if (!m_wineReady)
        qWarning() << "wine prefix:" << boot.err << reg.err;
    return m_wineReady;
}

QString ProgramsTest::probe(const QString& file, bool russian)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix);
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.remove(QStringLiteral("DISPLAY"));
    // The loader prefers the user's language: a Russian user sees the Russian resources.
    QStringList arguments = {m_probe, file};
    if (russian)
        arguments << QStringLiteral("0419");
    const Run r = run(QStringLiteral("wine"), arguments, env);
    if (r.status != 0)
        return QStringLiteral("probe failed: ") + QString::fromUtf8(r.err);
    return QString::fromUtf8(r.out).remove(u'\r');
}

QJsonObject ProgramsTest::pecheck(const QString& original, const QString& packed, const QStringList& res)
{
    const Run r = run(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral(KVARSEL_PROGRAM_TESTS) + QStringLiteral("/pecheck.py"), original, packed} +
            res);
    if (r.status != 0)
        qWarning() << r.err;
    return QJsonDocument::fromJson(r.out).object();
}

void ProgramsTest::roundTrip_data()
{
    QTest::addColumn<QString>("arch");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<Substitutions>("translation");
    QTest::addColumn<bool>("russianBeside");
    QTest::addColumn<bool>("wine");

    const QString x64 = QStringLiteral("x86_64"), x86 = QStringLiteral("i686");
    QTest::newRow("64-bit program") << x64 << QStringLiteral("exe") << usualTranslation() << false << true;
    QTest::newRow("64-bit program, Russian beside")
        << x64 << QStringLiteral("exe") << usualTranslation() << true << true;
    QTest::newRow("32-bit program, grown")
        << x86 << QStringLiteral("exe") << longTranslation() << false << false;
    QTest::newRow("resource-only library, grown")
        << x64 << QStringLiteral("dll") << longTranslation() << false << true;
    QTest::newRow("program with an overlay, grown")
        << x64 << QStringLiteral("overlay") << longTranslation() << true << false;
    QTest::newRow("compiled resources")
        << x64 << QStringLiteral("res") << usualTranslation() << false << false;
}

void ProgramsTest::roundTrip()
{
    QFETCH(QString, arch);
    QFETCH(QString, shape);
    QFETCH(Substitutions, translation);
    QFETCH(bool, russianBeside);
    QFETCH(bool, wine);

    const QString dir = m_tmp.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
    const QString program = buildTestProgram(arch, shape, dir);
    QVERIFY2(!program.isEmpty(), "the toolchain did not build the test program");
    const QString resources = QDir(dir).filePath(QStringLiteral("resources"));

    // Unpacked: every script compiles with windres to exactly the program's bytes.
    Run r = run(m_batch, {QStringLiteral("unpack"), program, resources});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY2(QString::fromUtf8(r.err).contains(QStringLiteral("Меню 301")),
             "the junk menu is named as left in the program");
    const QStringList scripts = scriptsIn(resources);
    QVERIFY(scripts.size() >= 3);
    const auto compileAll = [&](const QString& suffix) {
        QStringList res;
        for (const QString& script : scripts) {
            const QString out = script + suffix;
            const Run c = run(windresOf(arch),
                              {QStringLiteral("-c"),
                               hasBom(readBytes(script)) ? QStringLiteral("65001") : QStringLiteral("1251"),
                               QStringLiteral("-I"), dir, script, QStringLiteral("-O"), QStringLiteral("res"),
                               QStringLiteral("-o"), out});
            if (c.status != 0)
                qWarning() << script << c.err;
            res << out;
        }
        return res;
    };

    const QString same = dir + QStringLiteral("/same.") + QFileInfo(program).suffix();
    r = run(m_batch, {QStringLiteral("pack"), resources, QStringLiteral("--output"), same});
    QVERIFY2(r.status == 0, r.err.constData());
    QCOMPARE(QFileInfo(same).permissions(), QFileInfo(program).permissions()); // it runs as the program did
    // Never over the directory's own files (the table of such outputs is the .rc test's).
    r = run(m_batch, {QStringLiteral("pack"), resources, QStringLiteral("--output"), scripts.first()});
    QCOMPARE(r.status, 2);
    if (shape == QStringLiteral("res")) {
        QCOMPARE(readBytes(same), readBytes(program));
    } else {
        const QJsonObject check = pecheck(program, same, compileAll(QStringLiteral(".orig.res")));
        QCOMPARE(check.value(QStringLiteral("same")).toString(), QStringLiteral("ok"));
        QVERIFY(check.value(QStringLiteral("checksum")).toBool());
        QCOMPARE(check.value(QStringLiteral("packed")).toObject(),
                 check.value(QStringLiteral("original")).toObject());
        // windres's bytes of each unpacked script are the program's own.
        const QJsonObject original = check.value(QStringLiteral("original")).toObject();
        const QJsonObject res = check.value(QStringLiteral("res")).toObject();
        QVERIFY(!res.isEmpty());
        for (auto it = res.begin(); it != res.end(); ++it) {
            const QString key = it.key().section(u'/', 0, 1) + QStringLiteral("/1033");
            QCOMPARE(original.value(key).toString() + u' ' + key, it.value().toString() + u' ' + key);
        }
    }

    // Translated: the packed copy holds what windres makes of the translated scripts.
    translateScripts(resources, translation);
    const QStringList translatedRes = compileAll(QStringLiteral(".ru.res"));
    const QString packed = dir + QStringLiteral("/app.ru.") + QFileInfo(program).suffix();
    QStringList packArgs = {QStringLiteral("pack"), resources, QStringLiteral("--output"), packed};
    if (russianBeside)
        packArgs << QStringLiteral("--language") << QStringLiteral("ru");
    r = run(m_batch, packArgs);
    QVERIFY2(r.status == 0, r.err.constData());
    const QJsonObject check = pecheck(program, packed, translatedRes);
    if (shape != QStringLiteral("res")) {
        QCOMPARE(check.value(QStringLiteral("same")).toString(), QStringLiteral("ok"));
        QVERIFY(check.value(QStringLiteral("checksum")).toBool());
    }
    QJsonObject expected = check.value(QStringLiteral("original")).toObject();
    const QJsonObject res = check.value(QStringLiteral("res")).toObject();
    for (auto it = res.begin(); it != res.end(); ++it)
        expected.insert(it.key().section(u'/', 0, 1) +
                            (russianBeside ? QStringLiteral("/1049") : QStringLiteral("/1033")),
                        it.value());
    QCOMPARE(check.value(QStringLiteral("packed")).toObject(), expected);

    if (!wine)
        return;
    QVERIFY2(startWine(), "Wine could not make its prefix");
    const QString before = probe(program, russianBeside);
    QVERIFY2(before.contains(QStringLiteral("menu MAINMENU: &File")), qPrintable(before));
    QCOMPARE(probe(packed, russianBeside), translatedProbe(before, translation));
}

namespace {

quint32 u32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
void set32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }

// Where things are in a PE32+ file, found as plainly as possible.
struct Layout {
    qsizetype optional = 0, sections = 0, count = 0, rsrcRoot = 0,
              rsrcEnd = 0; // the tree's section: its end in the file
    explicit Layout(const QByteArray& b)
    {
        const qsizetype pe = u32(b, 0x3c);
        count = qFromLittleEndian<quint16>(b.constData() + pe + 6);
        optional = pe + 24;
        sections = optional + qFromLittleEndian<quint16>(b.constData() + pe + 20);
        const quint32 rva = u32(b, directory(2));
        for (qsizetype i = 0; i < count; ++i) {
            const qsizetype s = sections + 40 * i;
            if (rva >= u32(b, s + 12) && rva < u32(b, s + 12) + u32(b, s + 16)) {
                rsrcRoot = u32(b, s + 20) + (rva - u32(b, s + 12));
                rsrcEnd = u32(b, s + 20) + u32(b, s + 16);
            }
        }
    }
    qsizetype directory(int index) const { return optional + 112 + 8 * index; }
};

} // namespace

void ProgramsTest::badInput_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty file") << Damage::Empty << 1 << QStringLiteral("не программа Windows");
    QTest::newRow("text file") << Damage::Text << 1 << QStringLiteral("не программа Windows");
    // The record keeps the path on a line of its own.
    QTest::newRow("line break in the program's path")
        << Damage::LineBreakInPath << 1 << QStringLiteral("перевод строки");
    QTest::newRow("cut in the headers") << Damage::CutInHeaders << 1 << QStringLiteral("обрезан");
    QTest::newRow("cut in the sections") << Damage::CutInSections << 1 << QStringLiteral("обрезан");
    QTest::newRow("section past the end") << Damage::SectionPastEnd << 1 << QStringLiteral("за конец файла");
    QTest::newRow("tree loops") << Damage::TreeLoops << 1 << QStringLiteral("петля");
    QTest::newRow("tree deeper than three levels")
        << Damage::TreeTooDeep << 1 << QStringLiteral("глубже трёх");
    QTest::newRow("name too long") << Damage::NameTooLong << 1 << QStringLiteral("длиннее 255");
    QTest::newRow("data past the end") << Damage::DataPastEnd << 1 << QStringLiteral("за пределами файла");
    QTest::newRow(".NET program") << Damage::DotNet << 1 << QStringLiteral(".NET");
    QTest::newRow("packed program") << Damage::Packed << 1 << QStringLiteral("упаковщиком");
    QTest::newRow("cut .res") << Damage::CutRes << 1 << QStringLiteral("обрезан");
    QTest::newRow("no room for a section header") << Damage::NoHeaderRoom << 1 << QStringLiteral("нет места");
    QTest::newRow("program changed after unpacking")
        << Damage::ChangedAfterUnpacking << 1 << QStringLiteral("изменилась после распаковки");
    // The unchanged parts of the program are read again as the copy is written.
    QTest::newRow("program changed while the copy is written")
        << Damage::ChangedWhileWritten << 1 << QStringLiteral("изменилась после распаковки");
    QTest::newRow("program cut while the copy is written")
        << Damage::CutWhileWritten << 1 << QStringLiteral("изменился, пока из него переписывались");
    QTest::newRow("output is the original")
        << Damage::OutputIsOriginal << 2 << QStringLiteral("сама исходная");
    QTest::newRow("directory of another program")
        << Damage::OtherProgramInDirectory << 1 << QStringLiteral("другой программы");
    QTest::newRow("signed program: packed, signature dropped")
        << Damage::Signed << 0 << QStringLiteral("подпись");
    // Something else keeps data in the resource section past the tree: packed in place, it stays.
    QTest::newRow("data after the tree in its section") << Damage::DataAfterTree << 0 << QString();
}

void ProgramsTest::badInput()
{
    QFETCH(Damage, damage);
    QFETCH(int, status);
    QFETCH(QString, message);

    const QString sampleDir = m_tmp.filePath(QStringLiteral("sample"));
    if (!QFileInfo::exists(QDir(sampleDir).filePath(QStringLiteral("app.exe")))) {
        QVERIFY(!buildTestProgram(QStringLiteral("x86_64"), QStringLiteral("exe"), sampleDir).isEmpty());
        QVERIFY(!buildTestProgram(QStringLiteral("x86_64"), QStringLiteral("res"), sampleDir).isEmpty());
    }
    QByteArray bytes = readBytes(QDir(sampleDir).filePath(QStringLiteral("app.exe")));
    const Layout pe(bytes);
    const qsizetype root = pe.rsrcRoot;
    const qsizetype firstType = root + 16;
    qsizetype menuDir = 0; // the directory of the menus (type 4)
    for (qsizetype entry = firstType; !menuDir && entry < firstType + 8 * 16; entry += 8)
        if (u32(bytes, entry) == 4)
            menuDir = root + (u32(bytes, entry + 4) & 0x7fffffff);
    QVERIFY(menuDir);
    qsizetype markerAt = 0;
    switch (damage) {
    case Damage::Empty:
        bytes.clear();
        break;
    case Damage::Text:
        bytes = "BEGIN\r\n  MENUITEM \"&Open\", 1\r\nEND\r\n";
        break;
    case Damage::CutInHeaders:
        bytes.truncate(pe.sections + 20);
        break;
    case Damage::CutInSections:
        bytes.truncate(bytes.size() / 3);
        break;
    case Damage::SectionPastEnd:
        set32(bytes, pe.sections + 40 + 20, quint32(bytes.size()));
        break;
    case Damage::TreeLoops:
        set32(bytes, firstType + 4, 0x80000000u); // the first type's directory is the root itself
        break;
    case Damage::TreeTooDeep: {
        const qsizetype nameDir = root + (u32(bytes, menuDir + 16 + 4) & 0x7fffffff);
        set32(bytes, nameDir + 16 + 4, u32(bytes, nameDir + 16 + 4) | 0x80000000u);
        break;
    }
    case Damage::NameTooLong: {
        const qsizetype nameField = menuDir + 16;
        QVERIFY2(u32(bytes, nameField) & 0x80000000u, "MAINMENU is the menus' first, named entry");
        qToLittleEndian<quint16>(300, bytes.data() + root + (u32(bytes, nameField) & 0x7fffffff));
        break;
    }
    case Damage::DataPastEnd: {
        const qsizetype nameDir = root + (u32(bytes, menuDir + 16 + 4) & 0x7fffffff);
        const qsizetype dataEntry = root + u32(bytes, nameDir + 16 + 4);
        set32(bytes, dataEntry + 4, 0x7ffffff0u);
        break;
    }
    case Damage::DotNet:
        set32(bytes, pe.directory(14), 0x2000);
        set32(bytes, pe.directory(14) + 4, 72);
        break;
    case Damage::Packed:
        std::memcpy(bytes.data() + pe.sections, "UPX0\0\0\0\0", 8);
        break;
    case Damage::NoHeaderRoom:
        std::memset(bytes.data() + pe.sections + 40 * pe.count, 'x', 40);
        break;
    case Damage::Signed: {
        const quint32 at = quint32(bytes.size());
        QByteArray certificate(512, '\x5a');
        set32(certificate, 0, 512);
        bytes += certificate;
        set32(bytes, pe.directory(4), at);
        set32(bytes, pe.directory(4) + 4, 512);
        break;
    }
    case Damage::CutRes:
        bytes = readBytes(QDir(sampleDir).filePath(QStringLiteral("app.res"))).left(150);
        break;
    case Damage::DataAfterTree:
        markerAt = pe.rsrcEnd - 16;
        QVERIFY2(markerAt >= root + qsizetype(u32(bytes, pe.directory(2) + 4)), "no room after the tree");
        bytes.replace(markerAt, 16, "FOREIGN-DATA-XYZ");
        break;
    case Damage::LineBreakInPath:
    case Damage::ChangedAfterUnpacking:
    case Damage::ChangedWhileWritten:
    case Damage::CutWhileWritten:
    case Damage::OutputIsOriginal:
    case Damage::OtherProgramInDirectory:
        break;
    }
    const QString dir = m_tmp.filePath(QStringLiteral("bad-") +
                                       QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
    const QString program = QDir(dir).filePath(damage == Damage::LineBreakInPath ? QStringLiteral("app\n.exe")
                                                                                 : QStringLiteral("app.exe"));
    const QString resources = QDir(dir).filePath(QStringLiteral("resources"));
    const QString output = QDir(dir).filePath(QStringLiteral("out.exe"));
    QVERIFY(writeBytes(program, bytes));

    const bool whileWritten = damage == Damage::ChangedWhileWritten || damage == Damage::CutWhileWritten;
    const bool packs = damage == Damage::NoHeaderRoom || damage == Damage::Signed ||
                       damage == Damage::DataAfterTree || damage == Damage::ChangedAfterUnpacking ||
                       damage == Damage::OutputIsOriginal || whileWritten;
    Run r = run(m_batch, {QStringLiteral("unpack"), program, resources});
    if (damage == Damage::OtherProgramInDirectory) {
        QCOMPARE(r.status, 0);
        r = run(m_batch,
                {QStringLiteral("unpack"), QDir(sampleDir).filePath(QStringLiteral("app.res")), resources});
    } else if (packs) {
        QVERIFY2(r.status == 0, r.err.constData());
        if (damage == Damage::NoHeaderRoom)
            translateScripts(resources, longTranslation());
        if (damage == Damage::ChangedAfterUnpacking)
            QVERIFY(writeBytes(program, bytes + "more"));
        if (whileWritten) {
            // Once the new program is planned, just before it is written.
            const PackResult packed = packProgram({resources, output, {}}, [&](int percent) {
                if (percent != 90)
                    return;
                QFile file(program);
                QVERIFY(file.open(QIODevice::ReadWrite));
                if (damage == Damage::CutWhileWritten) {
                    QVERIFY(file.resize(bytes.size() / 2));
                } else {
                    QVERIFY(file.seek(bytes.size() / 2));
                    QVERIFY(file.write("changed") == 7);
                }
            });
            r.status = packed.exitStatus;
            r.err = packed.error.toUtf8();
        } else {
            r = run(m_batch, {QStringLiteral("pack"), resources, QStringLiteral("--output"),
                              damage == Damage::OutputIsOriginal ? program : output});
        }
    }
    QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
    QCOMPARE(r.status, status);
    if (damage == Damage::DataAfterTree) {
        const QByteArray packed = readBytes(output);
        QCOMPARE(packed.size(), bytes.size()); // in place
        QCOMPARE(packed.mid(markerAt, 16), QByteArray("FOREIGN-DATA-XYZ"));
    } else if (status == 0) {
        const QByteArray packed = readBytes(output);
        QCOMPARE(u32(packed, Layout(packed).directory(4) + 4), 0u);
        QVERIFY(!packed.contains(QByteArray(500, '\x5a')));
    } else if (packs) {
        QVERIFY(!QFileInfo::exists(output));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("app.exe")});
        if (damage != Damage::CutWhileWritten)
            QCOMPARE(readBytes(program).size() >= bytes.size(), true);
    } else if (damage != Damage::OtherProgramInDirectory) {
        QVERIFY2(!QFileInfo::exists(resources) || QDir(resources).isEmpty(), "nothing written");
    }
}

QTEST_GUILESS_MAIN(ProgramsTest)
#include "tst_programs.moc"
