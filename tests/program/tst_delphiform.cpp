// Delphi and Lazarus forms through text and back, judged by Free Pascal's own
// streaming code: it makes the binary forms from text forms, and the translated
// forms must be byte for byte what it makes from the same forms written in Russian.
#include "TestUtil.h"
#include "model/SplitLine.h"
#include "program/DelphiForm.h"
#include "text/Cp1251.h"

#include "program/ProgramFiles.h"
#include "text/Encoding.h"
#include <QRegularExpression>
#include <QStandardPaths>

using namespace kvarsel;

namespace {

const char* const kConverter = R"(program formconv;
{$mode objfpc}{$H+}
uses Classes;
var src, dst: TFileStream;
begin
  src := TFileStream.Create(ParamStr(2), fmOpenRead);
  dst := TFileStream.Create(ParamStr(3), fmCreate);
  try
    if ParamStr(1) = 'bin' then ObjectTextToBinary(src, dst) else ObjectBinaryToText(src, dst);
  finally
    dst.Free;
    src.Free;
  end;
end.
)";

// Writes each RCDATA resource of a PE file (argv[1]) into a file named after it in argv[2].
const char* const kTakeOutRcData = R"(
import os, sys, pefile
pe = pefile.PE(sys.argv[1])
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id == 10:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                d = language.data.struct
                with open(os.path.join(sys.argv[2], str(name.name)), 'wb') as f:
                    f.write(pe.get_data(d.OffsetToData, d.Size))
)";

// A form written with Russian letters as Free Pascal's text reader takes them: in a
// string it keeps as ANSI (no code above 127), the bytes themselves, Windows-1251 as
// Delphi's forms have them or UTF-8 as Lazarus's (a form naming its LCLVersion); in one
// it keeps as UTF-16, codes after "#".
QByteArray pascalSource(const QString& form)
{
    const bool lazarus = form.contains(u"LCLVersion"_qs);
    static const QRegularExpression stringToken(u"(?:'(?:[^']|'')*'|#\\d+)+"_qs);
    static const QRegularExpression code(u"#(\\d+)"_qs);
    QByteArray out;
    qsizetype at = 0;
    for (auto m = stringToken.globalMatch(form); m.hasNext();) {
        const auto match = m.next();
        out += form.mid(at, match.capturedStart() - at).toLatin1();
        at = match.capturedEnd();
        bool wide = false;
        for (auto c = code.globalMatch(match.captured()); c.hasNext();)
            wide = wide || c.next().captured(1).toInt() > 127;
        for (const QChar ch : match.captured())
            out += ch.unicode() < 128 ? QByteArray(1, char(ch.unicode()))
                   : wide             ? u"'#%1'"_qs.arg(ch.unicode()).toLatin1()
                   : lazarus          ? QString(ch).toUtf8()
                                      : QByteArray(1, char(cp1251::charCode(ch)));
    }
    out += form.mid(at).toLatin1();
    return out;
}

const QString kDelphiMain = uR"(object MainForm: TMainForm
  Left = 192
  Top = 114
  Width = 544
  Height = 375
  Caption = 'Pebble Notes'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = [fsBold]
  Menu = MainMenu1
  OldCreateOrder = False
  Position = poScreenCenter
  ShowHint = True
  PixelsPerInch = 96
  TextHeight = 13
  object FileLabel: TLabel
    Left = 8
    Top = 12
    Caption = 'File name:'
    FocusControl = FileEdit
  end
  object FileEdit: TEdit
    Left = 72
    Width = 300
    Anchors = [akLeft, akTop, akRight]
    TabOrder = 0
    Text = ''
  end
  object OpenButton: TButton
    Left = 380
    Hint = 'Open an existing note'
    Caption = '&Open...'
    Default = True
    TabOrder = 1
    OnClick = OpenButtonClick
  end
  object NoteMemo: TMemo
    Lines.Strings = (
      'Welcome to Pebble Notes'
      'Don''t forget to save')
    ScrollBars = ssVertical
    TabOrder = 2
  end
  object StatusBar: TStatusBar
    Panels = <
      item
        Text = 'Ready'
        Width = 200
      end
      item
        Width = 50
      end>
    SimplePanel = False
  end
  object MainMenu1: TMainMenu
    Left = 16
    Top = 48
    object FileMenu: TMenuItem
      Caption = '&File'
      object FileOpen: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        OnClick = OpenButtonClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object FileExit: TMenuItem
        Caption = 'E&xit'
        ShortCut = 32883
      end
    end
  end
  object Logo: TImage
    Picture.Data = {
      07544269746D61704A000000424D4A000000000000003E000000280000000400
      0000040000000100010000000000}
    Stretch = True
  end
end
)"_qs;

// Lazarus writes the same format; here with a grid, frames and inherited parts,
// numbers of every size, floats, and strings with line breaks, quotes and codes.
const QString kLazarus = uR"(inherited SettingsForm: TSettingsForm
  Left = 356
  Height = 240
  Top = 190
  Width = 70000
  Tag = -5000000000
  AlphaBlendValue = 200
  Caption = 'Settings'
  ClientHeight = 240
  Font.Name = 'Segoe UI'
  Hint = 'Line one'#13#10'Line two'
  TextHint = 'Café'
  Opacity = 0.75
  Ratio = 1234.5678
  LCLVersion = '2.2.6.0'
  object NamesGrid: TStringGrid
    ColCount = 2
    Columns = <
      item
        Title.Caption = 'Name'
        Width = 120
      end
      item
        Title.Caption = 'Value'
      end>
    DefaultRowHeight = 20
    FixedCols = 0
    Options = [goFixedVertLine, goFixedHorzLine, goEditing]
    ColWidths = (
      120
      64)
  end
  inherited OkButton: TButton
    Caption = 'OK'
  end
  inline PathFrame: TPathFrame [1]
    Caption = 'Euro '#8364' price'
    Note = 'Copyright '#169' Pebble'
    DoneMark = 'Saved '#10003
  end
  object LongLabel: TLabel
    Caption = 'Notes are saved in the folder that you choose in these settings, and each note is one file that any text editor can open; nothing is ever sent anywhere.'
    WordWrap = True
  end
end
)"_qs;

// A form with the literals replaced: the same form as its translator would write it.
QString withLiterals(QString form, const QList<std::pair<QString, QString>>& literals)
{
    for (const auto& [english, russian] : literals)
        form.replace(english, russian);
    return form;
}

const QString kDelphiMainRu =
    withLiterals(kDelphiMain, {{u"'Pebble Notes'"_qs, u"'Записки'"_qs},
                               {u"'File name:'"_qs, u"'Имя файла:'"_qs},
                               {u"'Open an existing note'"_qs, u"'Открыть заметку'"_qs},
                               {u"'&Open...'"_qs, u"'&Открыть...'"_qs},
                               {u"'Welcome to Pebble Notes'"_qs, u"'Добро пожаловать'"_qs},
                               {u"'Ready'"_qs, u"'Готово'"_qs},
                               {u"'&File'"_qs, u"'&Файл'"_qs},
                               {u"'E&xit'"_qs, u"'&Выход'"_qs}});

const QString kLazarusRu = withLiterals(
    kLazarus,
    {{u"'Settings'"_qs, u"'Настройки'"_qs},
     {u"'Line one'#13#10'Line two'"_qs, u"'Первая строка'#13#10'Вторая строка'"_qs},
     {u"'Name'"_qs, u"'Имя'"_qs},
     {u"'Value'"_qs, u"'Значение'"_qs},
     {u"'OK'"_qs, u"'ОК'"_qs},
     {u"'Euro '#8364' price'"_qs, u"'Цена '#8364' в евро'"_qs},
     {u"'Copyright '#169' Pebble'"_qs, u"#169' Pebble, все права'"_qs},
     {u"'Notes are saved in the folder that you choose in these settings, and each note is one file that any "
      u"text editor can open; nothing is ever sent anywhere.'"_qs,
      u"'Записки хранятся в папке, которую вы выбираете в этих настройках, и каждая записка — это один файл, который откроет любой текстовый редактор; его можно открыть где угодно; никуда и никогда ничего не отправляется, а значит, все ваши записи остаются только у вас и больше ни у кого.'"_qs}});

using Translations = QMap<QString, QString>;

Translations mainTranslations()
{
    return Translations{{u"Pebble Notes"_qs, u"Записки"_qs},
                        {u"File name"_qs, u"Имя файла"_qs},
                        {u"Open an existing note"_qs, u"Открыть заметку"_qs},
                        {u"Open"_qs, u"&Открыть"_qs},
                        {u"Welcome to Pebble Notes"_qs, u"Добро пожаловать"_qs},
                        {u"Ready"_qs, u"Готово"_qs},
                        {u"File"_qs, u"&Файл"_qs},
                        {u"Exit"_qs, u"&Выход"_qs}};
}

Translations settingsTranslations()
{
    return Translations{
        {u"Settings"_qs, u"Настройки"_qs},
        {u"Line one"_qs, u"Первая строка"_qs},
        {u"Line two"_qs, u"Вторая строка"_qs},
        {u"Name"_qs, u"Имя"_qs},
        {u"Value"_qs, u"Значение"_qs},
        {u"OK"_qs, u"ОК"_qs},
        {u"Euro € price"_qs, u"Цена € в евро"_qs},
        {u"Copyright © Pebble"_qs, u"© Pebble, все права"_qs},
        {u"Notes are saved in the folder that you choose in these"_qs,
         u"Записки хранятся в папке, которую вы выбираете в этих"_qs},
        {u"settings, and each note is one file that any text editor can"_qs,
         u"настройках, и каждая записка — это один файл, который откроет любой текстовый редактор; его можно"_qs},
        {u"open; nothing is ever sent anywhere"_qs,
         u"открыть где угодно; никуда и никогда ничего не отправляется, а значит, все ваши записи остаются только у вас и больше ни у кого"_qs}};
}

} // namespace

class TestDelphiForm : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_converter;

    // Free Pascal's conversion of `input` ("bin": text to binary, "txt": back).
    QByteArray freePascal(const char* mode, const QByteArray& input)
    {
        const QString in = m_dir.filePath(u"in"_qs), out = m_dir.filePath(u"out"_qs);
        QFile::remove(out);
        if (!test::writeBytes(in, input))
            return QByteArray();
        QProcess p;
        p.start(m_converter, {QString::fromLatin1(mode), in, out});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            qWarning().noquote() << p.readAllStandardOutput() << p.readAllStandardError();
            return QByteArray();
        }
        return test::readBytes(out);
    }

    // What the program does to a translated rcdata line: the text the loader offers is
    // replaced, the rest of the line kept.
    static QString translate(const QString& text, const Translations& translations, QStringList& used)
    {
        QStringList lines = text.split(u"\r\n"_qs);
        for (QString& line : lines) {
            QString scriptText;
            const ResourceLine split =
                SplitLineKeepingAccelerators(ResourceKind::RcData, line, SplitOptions{}, scriptText);
            if (!split.text.isEmpty() && translations.contains(split.text)) {
                line = split.head + translations.value(split.text) + split.tail;
                used << split.text;
            }
        }
        return lines.join(u"\r\n"_qs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString fpc = QStandardPaths::findExecutable(u"fpc"_qs);
        QVERIFY2(!fpc.isEmpty(), "Free Pascal (fpc) is needed: scripts/common.sh installs it");
        QVERIFY(test::writeBytes(m_dir.filePath(u"formconv.pas"_qs), kConverter));
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(fpc, {u"-v0"_qs, u"formconv.pas"_qs});
        QVERIFY(p.waitForFinished(120000));
        m_converter = m_dir.filePath(u"formconv"_qs);
        QVERIFY2(p.exitCode() == 0 && QFile::exists(m_converter), p.readAllStandardOutput().constData());
    }

    void formsInAndOut_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<Translations>("translations");
        QTest::addColumn<QString>("translated");
        QTest::addColumn<QStringList>("textLines"); // lines the text must hold as written

        QTest::newRow("Delphi main form with a menu")
            << kDelphiMain << mainTranslations() << kDelphiMainRu
            << QStringList{u"  Font.Style = [fsBold]"_qs,
                           u"      'Don''t forget to save')"_qs,
                           u"    Panels = <"_qs,
                           u"      end>"_qs,
                           u"        ShortCut = 16463"_qs,
                           u"      07544269746D61704A000000424D4A000000000000003E000000280000000400"_qs,
                           u"      0000040000000100010000000000}"_qs};
        QTest::newRow("Lazarus form, inherited and inline")
            << kLazarus << settingsTranslations() << kLazarusRu
            << QStringList{u"inherited SettingsForm: TSettingsForm"_qs,
                           u"  Tag = -5000000000"_qs,
                           u"  Hint ="_qs,
                           u"    'Line one'#13#10 +"_qs,
                           u"    'Line two'"_qs,
                           u"  TextHint = 'Café'"_qs, // UTF-8 in an ANSI string, as Lazarus keeps it
                           u"  Opacity = 0.75"_qs,
                           u"  inline PathFrame: TPathFrame [1]"_qs,
                           u"    Caption ="_qs,
                           u"      'Notes are saved in the folder that you choose in these ' +"_qs,
                           u"    Note = 'Copyright © Pebble'"_qs,
                           u"    Options = [goFixedVertLine, goFixedHorzLine, goEditing]"_qs};
    }

    void formsInAndOut()
    {
        QFETCH(QString, form);
        QFETCH(Translations, translations);
        QFETCH(QString, translated);
        QFETCH(QStringList, textLines);

        const QByteArray original = freePascal("bin", pascalSource(form));
        QVERIFY(original.startsWith("TPF0"));
        const FormText text = formToText(original);
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        const QStringList lines = text.text.split(u"\r\n"_qs);
        for (const QString& line : textLines)
            if (!line.isEmpty())
                QVERIFY2(lines.contains(line), qPrintable(line + u"\n---\n"_qs + text.text));

        // Nobody translated it: the original's bytes, and Free Pascal reads the text the same way.
        QCOMPARE(formFromText(text.text, original).data, original);
        QCOMPARE(freePascal("bin", text.text.toUtf8()).size() > 0, true);

        QStringList used;
        const QString russian = translate(text.text, translations, used);
        used.removeDuplicates();
        QCOMPARE(QSet<QString>(used.begin(), used.end()),
                 QSet<QString>(translations.keyBegin(), translations.keyEnd()));
        const FormBinary packed = formFromText(russian, original);
        QVERIFY2(packed.error.isEmpty(), qPrintable(packed.error));
        const QByteArray expected = freePascal("bin", pascalSource(translated));
        QVERIFY(!expected.isEmpty());
        if (packed.data != expected)
            QCOMPARE(freePascal("txt", packed.data), freePascal("txt", expected));
        QCOMPARE(packed.data.toHex(), expected.toHex());
    }
    // A program built by mingw holding the forms as RCDATA: unpacked, translated the way
    // the window does, packed; pefile takes the forms out of the packed program.
    void programRoad()
    {
        const QDir road(m_dir.filePath(u"road"_qs));
        QVERIFY(road.mkpath(u"."_qs));
        const QByteArray mainForm = freePascal("bin", pascalSource(kDelphiMain));
        const QByteArray settingsForm = freePascal("bin", pascalSource(kLazarus));
        QVERIFY(test::writeBytes(road.filePath(u"main.bin"_qs), mainForm));
        QVERIFY(test::writeBytes(road.filePath(u"settings.bin"_qs), settingsForm));
        QVERIFY(test::writeBytes(road.filePath(u"prog.rc"_qs),
                                 "LANGUAGE 9, 1\r\n"
                                 "TMAINFORM RCDATA \"main.bin\"\r\nTSETTINGSFORM RCDATA \"settings.bin\"\r\n"
                                 "CONFIG RCDATA { \"TPF1 not a form\\0\" }\r\n"
                                 "STRINGTABLE\r\nBEGIN\r\n  1, \"Hello\"\r\nEND\r\n"));
        QVERIFY(test::writeBytes(road.filePath(u"main.c"_qs), "int main(void) { return 0; }\n"));
        const auto run = [&](const QString& program, const QStringList& args) {
            QProcess p;
            p.setWorkingDirectory(road.path());
            p.start(program, args);
            const bool ok =
                p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
            if (!ok)
                qWarning().noquote() << program << p.readAllStandardOutput() << p.readAllStandardError();
            return ok;
        };
        QVERIFY(run(u"x86_64-w64-mingw32-windres"_qs,
                    {u"--preprocessor=cpp"_qs, u"prog.rc"_qs, u"-O"_qs, u"coff"_qs, u"-o"_qs, u"prog.o"_qs}));
        QVERIFY(run(u"x86_64-w64-mingw32-gcc"_qs, {u"main.c"_qs, u"prog.o"_qs, u"-o"_qs, u"prog.exe"_qs}));

        const QString dir = road.filePath(u"resources"_qs);
        const UnpackResult unpacked = unpackProgram({road.filePath(u"prog.exe"_qs), dir, QString()});
        QVERIFY2(unpacked.ok(), qPrintable(unpacked.error));
        QCOMPARE(unpacked.language, quint16(0x0409));
        // Forms the loader reads: Windows-1251 where the characters fit, else UTF-8 with a mark.
        const QByteArray mainBytes = test::readBytes(dir + u"/rcdata/TMAINFORM.txt"_qs);
        const QByteArray settingsBytes = test::readBytes(dir + u"/rcdata/TSETTINGSFORM.txt"_qs);
        QCOMPARE(decodeText(mainBytes).encoding, TextEncoding::Windows1251);
        QCOMPARE(decodeText(settingsBytes).encoding, TextEncoding::Utf8Bom);
        QCOMPARE(decodeText(mainBytes).text, formToText(mainForm).text);
        QVERIFY(!QFile::exists(dir + u"/rcdata/CONFIG.txt"_qs));

        const auto packAndTakeOut = [&](const QString& name) {
            const QString output = road.filePath(name + u".exe"_qs);
            const PackResult packed = packProgram({dir, output, {}, false});
            if (!packed.ok())
                qWarning().noquote() << packed.error;
            const QString out = road.filePath(name);
            QDir(out).mkpath(u"."_qs);
            run(u"/usr/bin/python3"_qs, {u"-c"_qs, QString::fromLatin1(kTakeOutRcData), output, out});
            return out + u'/';
        };
        QString out = packAndTakeOut(u"untranslated"_qs);
        QCOMPARE(test::readBytes(out + u"TMAINFORM"_qs), mainForm);
        QCOMPARE(test::readBytes(out + u"TSETTINGSFORM"_qs), settingsForm);
        QCOMPARE(test::readBytes(out + u"CONFIG"_qs), QByteArray("TPF1 not a form", 16));

        for (const auto& [file, translations] : {std::pair(u"TMAINFORM"_qs, mainTranslations()),
                                                 std::pair(u"TSETTINGSFORM"_qs, settingsTranslations())}) {
            const QString path = dir + u"/rcdata/"_qs + file + u".txt"_qs;
            const DecodedText decoded = decodeText(test::readBytes(path));
            QStringList used;
            QByteArray bytes = byteOrderMark(decoded.encoding).toByteArray();
            QVERIFY(encodeText(translate(decoded.text, translations, used), decoded.encoding, bytes));
            QVERIFY(test::writeBytes(path, bytes));
        }
        out = packAndTakeOut(u"translated"_qs);
        QCOMPARE(test::readBytes(out + u"TMAINFORM"_qs).toHex(),
                 freePascal("bin", pascalSource(kDelphiMainRu)).toHex());
        QCOMPARE(test::readBytes(out + u"TSETTINGSFORM"_qs).toHex(),
                 freePascal("bin", pascalSource(kLazarusRu)).toHex());
        QCOMPARE(test::readBytes(out + u"CONFIG"_qs), QByteArray("TPF1 not a form", 16));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<QString>("text"); // empty: the form itself is read
        QTest::addColumn<QString>("error");

        const QByteArray main = freePascal("bin", pascalSource(kDelphiMain));
        const QByteArray small = freePascal("bin", "object Form1: TForm1\n  Caption = 'Hello'\nend\n");
        const QByteArray head = QByteArray("TPF0\x06TForm1\x05"
                                           "Form1\x07"
                                           "Caption",
                                           25);
        QTest::newRow("not a form") << QByteArray("MZ\x90\x00") << QString() << u"не начинаются с «TPF0»"_qs;
        for (const qsizetype cut : {qsizetype(4), qsizetype(20), main.size() / 2, main.size() - 1})
            QTest::addRow("cut at byte %d", int(cut)) << main.left(cut) << QString() << u"обрываются"_qs;
        QTest::newRow("unknown value type")
            << head + "\x30" << QString() << u"неизвестный тип значения 48 на байте 25"_qs;
        QTest::newRow("length past the end")
            << head + QByteArray("\x0c\xff\xff\xff\x7f"
                                 "ab",
                                 7)
            << QString() << u"длина 2147483647 на байте 26 выходит за конец"_qs;
        QTest::newRow("length past the end") << head + QByteArray("\x12\xff\xff\xff\xff", 5) << QString()
                                             << u"длина 4294967295 на байте 26"_qs;
        QTest::newRow("lists nested past any form")
            << head + QByteArray(100000, '\x01') << QString() << u"вложенность глубже 200 уровней"_qs;
        QByteArray objects = "TPF0";
        for (int i = 0; i < 5000; ++i)
            objects += QByteArray("\x01T\x01"
                                  "a\x00",
                                  5);
        QTest::newRow("objects nested past any form") << objects << QString() << u"вложенность глубже"_qs;
        QTest::newRow("collection item without its list") << head.left(17) + QByteArray("\x04"
                                                                                        "Cols\x0e\x05\x00",
                                                                                        8)
                                                          << QString() << u"элемент коллекции на байте 23"_qs;
        QTest::newRow("name that is no identifier") << QByteArray("TPF0\x06TForm1\x05"
                                                                  "Fo m1\x00\x00",
                                                                  20)
                                                    << QString() << u"не идентификатор"_qs;

        QTest::newRow("character Windows-1251 lacks in an ANSI string")
            << small << u"object Form1: TForm1\r\n  Caption = 'Привет, 世界'\r\nend\r\n"_qs
            << u"строка 2: знака «世» нет в кодировке Windows-1251"_qs;
        QTest::newRow("quote left open")
            << small << u"object Form1: TForm1\r\n  Caption = 'Привет\r\nend\r\n"_qs
            << u"строка 2: строка не закрыта кавычкой"_qs;
        QTest::newRow("property without its equals sign")
            << small << u"object Form1: TForm1\r\n  Caption 'Привет'\r\nend\r\n"_qs
            << u"строка 2: ожидался знак «=»"_qs;
        QTest::newRow("odd hex digits")
            << small << u"object Form1: TForm1\r\n  Data = {\r\n    0A1}\r\nend\r\n"_qs
            << u"нечётное число цифр"_qs;
        QTest::newRow("lists nested past any form in the text")
            << small << u"object Form1: TForm1\r\n  X = "_qs + QString(5000, u'(')
            << u"вложенность глубже 200"_qs;
        QTest::newRow("text after the form")
            << small << u"object Form1: TForm1\r\nend\r\nend\r\n"_qs << u"строка 3: после формы"_qs;
    }

    void badInput()
    {
        QFETCH(QByteArray, form);
        QFETCH(QString, text);
        QFETCH(QString, error);
        if (text.isEmpty()) {
            const FormText read = formToText(form);
            QVERIFY2(read.error.contains(error), qPrintable(read.error));
            QVERIFY(read.text.isEmpty());
        } else {
            const FormBinary packed = formFromText(text, form);
            QVERIFY2(packed.error.contains(error), qPrintable(packed.error));
            QVERIFY(packed.data.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestDelphiForm)
#include "tst_delphiform.moc"
