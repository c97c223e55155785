#include "TestUtil.h"
#include "text/CaseFold.h"
#include "text/CharClass.h"
#include "text/Cp1251.h"
#include "text/Encoding.h"
#include "text/Sha256.h"
#include "text/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace kvarsel;
using namespace kvarsel::test;

class TextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString decoded = cp1251::decode(all);
        QCOMPARE(decoded.size(), 256);
        QByteArray back;
        QVERIFY(cp1251::encode(decoded, back));
        QCOMPARE(back, all);
        for (int b = 0; b < 256; ++b)
            QCOMPARE(cp1251::charCode(decoded[b]), b);
        // The one unassigned byte keeps its own code point.
        QCOMPARE(decoded[0x98].unicode(), char16_t(0x98));
    }

    void cyrillicSample_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("alphabet edges") << QStringLiteral("АЯаяЁё") << QByteArray("\xC0\xDF\xE0\xFF\xA8\xB8");
        QTest::newRow("word") << QStringLiteral("Файл") << QByteArray("\xD4\xE0\xE9\xEB");
        QTest::newRow("signs") << QStringLiteral("№ «»—…€") << QByteArray("\xB9 \xAB\xBB\x97\x85\x88");
        QTest::newRow("ukrainian") << QStringLiteral("ЄІЇҐєіїґ")
                                   << QByteArray("\xAA\xB2\xAF\xA5\xBA\xB3\xBF\xB4");
    }
    void cyrillicSample()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp1251::decode(bytes), text);
        QByteArray out;
        QVERIFY(cp1251::encode(text, out));
        QCOMPARE(out, bytes);
    }

    void charCodes_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<int>("code");
        QTest::newRow("latin") << QChar(u'A') << 65;
        QTest::newRow("quote") << QChar(u'"') << 34;
        QTest::newRow("cyrillic") << QChar(u'ж') << 0xE6;
        QTest::newRow("chinese") << QChar(u'中') << 63;
        QTest::newRow("c1 control not in page") << QChar(u'\u0081') << 63;
        QTest::newRow("surrogate") << QChar(u'\xD83D') << 63;
    }
    void charCodes()
    {
        QFETCH(QChar, c);
        QFETCH(int, code);
        QCOMPARE(cp1251::charCode(c), code);
    }

    void characterClasses_data()
    {
        QTest::addColumn<QString>("chars");
        QTest::addColumn<bool>("textChar");
        QTest::addColumn<bool>("textCharPct");
        QTest::newRow("letters and signs from @") << QStringLiteral("@AZaz[]_~{}ЖЁ\u00A0") << true << true;
        QTest::newRow("brackets") << QStringLiteral("()<>") << true << true;
        QTest::newRow("percent") << QStringLiteral("%") << false << true;
        QTest::newRow("outside") << QStringLiteral("09 \t!\"#$&'*+,-./:;=?") << false << false;
        QTest::newRow("unencodable counts as ?") << QStringLiteral("中") << false << false;
    }
    void characterClasses()
    {
        QFETCH(QString, chars);
        QFETCH(bool, textChar);
        QFETCH(bool, textCharPct);
        for (const QChar c : chars) {
            QVERIFY2(isTextChar(c) == textChar, qPrintable(QString(c)));
            QVERIFY2(isTextCharPct(c) == textCharPct, qPrintable(QString(c)));
        }
    }

    void splitsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no final end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("empty lines kept") << QByteArray("\r\n\r\na\r\n\r\n") << QStringList{"", "", "a", ""};
        QTest::newRow("cr cr lf is two ends") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("blanks kept") << QByteArray("  x  \r\n") << QStringList{"  x  "};
    }
    void splitsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QVERIFY(writeBytes(path, bytes));
        const LinesRead read = readLines(path);
        QVERIFY(read.ok());
        QCOMPARE(read.lines, lines);
    }

    void detectsEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("text"); // empty with an error
        QTest::addColumn<bool>("ok");
        using E = TextEncoding;
        QTest::newRow("ascii") << QByteArray("Open\r\n") << E::Windows1251 << "Open\r\n" << true;
        QTest::newRow("cp1251") << QByteArray("\xD4\xE0\xE9\xEB") << E::Windows1251 << "Файл" << true;
        QTest::newRow("binary junk") << QByteArray("\x00\x98\xFF\xC0", 4) << E::Windows1251
                                     << QString::fromUtf16(u"\u0000\u0098яА", 4) << true;
        QTest::newRow("utf-8") << QByteArray("\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB") << E::Utf8 << "Файл" << true;
        QTest::newRow("utf-8 four bytes") << QByteArray("a\xF0\x9F\x98\x80") << E::Utf8 << "a😀" << true;
        QTest::newRow("overlong is not utf-8") << QByteArray("\xC0\xAF") << E::Windows1251 << "АЇ" << true;
        QTest::newRow("encoded surrogate is not utf-8")
            << QByteArray("\xED\xA0\x80") << E::Windows1251 << "н\u00A0Ђ" << true;
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFOpen") << E::Utf8Bom << "Open" << true;
        QTest::newRow("only a mark") << QByteArray("\xEF\xBB\xBF") << E::Utf8Bom << "" << true;
        QTest::newRow("utf-16le") << QByteArray("\xFF\xFE\x24\x04!\x00", 6) << E::Utf16Le << "Ф!" << true;
        QTest::newRow("utf-16be pair")
            << QByteArray("\xFE\xFF\xD8\x3D\xDE\x00", 6) << E::Utf16Be << "😀" << true;
        QTest::newRow("bad utf-8 after mark")
            << QByteArray("\xEF\xBB\xBF\xD4\xE0") << E::Utf8Bom << "" << false;
        QTest::newRow("odd utf-16") << QByteArray("\xFF\xFEO\x00p", 5) << E::Utf16Le << "" << false;
        QTest::newRow("high surrogate at end")
            << QByteArray("\xFF\xFE\x3D\xD8", 4) << E::Utf16Le << "" << false;
        QTest::newRow("utf-32 is refused")
            << QByteArray("\xFF\xFE\x00\x00O\x00\x00\x00", 8) << E::Windows1251 << "" << false;
        QTest::newRow("low surrogate alone")
            << QByteArray("\xFE\xFF\xDE\x00\x00O", 6) << E::Utf16Be << "" << false;
    }
    void detectsEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        const DecodedText decoded = decodeText(bytes);
        QCOMPARE(decoded.encoding, encoding);
        QCOMPARE(decoded.ok(), ok);
        QCOMPARE(decoded.text, text);
        if (!ok)
            return;
        // What was read goes back as it came.
        QByteArray back(byteOrderMark(encoding).toByteArray());
        QVERIFY(encodeText(decoded.text, encoding, back));
        QCOMPARE(back, bytes);
    }

    // Ordinary Russian text in Windows-1251 is never valid UTF-8: any two Cyrillic
    // letters in a row break it, and so do «», №, — and ё where they stand in text.
    void russianWindows1251IsNeverUtf8()
    {
        const QStringList samples{
            QStringLiteral("Открыть файл"),
            QStringLiteral("Сохранить как..."),
            QStringLiteral("Выход"),
            QStringLiteral("Её ёж — «Всё» № 5"),
            QStringLiteral("ВЁДРО"),
            QStringLiteral("Я"),
            QStringLiteral("    MENUITEM \"Параметры страницы...\", ID_FILE_PAGE_SETUP"),
            QStringLiteral("    IDS_READY  \"Готово. Нажмите F1 для получения справки.\""),
            QStringLiteral("Caption = 'Настройки соединения'"),
            QStringLiteral("Файл «%s» не найден"),
            QStringLiteral("Ґанок, Їжак, Єнот, Іван; ўсё"),
        };
        QByteArray whole;
        for (const QString& line : samples) {
            QByteArray bytes;
            QVERIFY(cp1251::encode(line, bytes));
            QCOMPARE(decodeText(bytes).encoding, TextEncoding::Windows1251);
            QCOMPARE(decodeText(bytes).text, line);
            whole += bytes + "\r\n";
        }
        QCOMPARE(decodeText(whole).encoding, TextEncoding::Windows1251);
    }

    void writesUtf16WithCrLfUnitsAndMark()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(!writeLines(path, {QStringLiteral("Ф"), QString()}, TextEncoding::Utf16Be));
        QCOMPARE(readBytes(path), QByteArray("\xFE\xFF\x04\x24\x00\r\x00\n\x00\r\x00\n", 12));
        // UTF-8 holds what Windows-1251 cannot; a surrogate without its partner fits nowhere.
        QVERIFY(!writeLines(path, {QStringLiteral("中")}, TextEncoding::Utf8Bom));
        const auto error = writeLines(path, {QString(QChar(0xD800))}, TextEncoding::Utf8);
        QVERIFY(error && error->reason.contains(QStringLiteral("U+D800")));
        QCOMPARE(readBytes(path), QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\r\n"));
    }

    void writesCp1251WithCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(!writeLines(path, {QStringLiteral("Файл"), QString(), QStringLiteral("x")}));
        QCOMPARE(readBytes(path), QByteArray("\xD4\xE0\xE9\xEB\r\n\r\nx\r\n"));
    }

    void unencodableCharacterFailsAndKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(writeBytes(path, "old\r\n"));
        const auto error = writeLines(path, {QStringLiteral("fine"), QStringLiteral("bad 中 here")});
        QVERIFY(error.has_value());
        QCOMPARE(error->path, path);
        QCOMPARE(error->line, 2);
        QVERIFY(error->message().contains(path));
        QVERIFY(error->message().contains(QStringLiteral("строка 2")));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    }

    // Lines given in pieces: the bytes are the joined lines', and a character that
    // cannot be stored is found in whichever piece holds it, on its own line.
    void encodesLinesInPieces_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QStringList>("pieces"); // three a line
        QTest::addColumn<int>("badLine");        // 0: none
        QTest::addColumn<QByteArray>("bytes");
        const auto w1251 = int(TextEncoding::Windows1251);
        QTest::newRow("joined") << w1251 << QStringList{"  A \"", "Файл", "\", 1", "", "", ""} << 0
                                << QByteArray("  A \"\xD4\xE0\xE9\xEB\", 1\r\n\r\n");
        QTest::newRow("long runs") << w1251 << QStringList{"abcdefghijklmnopqЁ", "abcdefgh", "Жabcdefghij"}
                                   << 0
                                   << QByteArray("abcdefghijklmnopq\xA8"
                                                 "abcdefgh\xC6"
                                                 "abcdefghij\r\n");
        QTest::newRow("bad after a long run")
            << w1251 << QStringList{"a", "abcdefghijklmnopq中", "c"} << 1 << QByteArray();
        QTest::newRow("bad head") << w1251 << QStringList{"a", "b", "c", "中", "d", "e"} << 2 << QByteArray();
        QTest::newRow("bad text") << w1251 << QStringList{"a", "b中", "c"} << 1 << QByteArray();
        QTest::newRow("bad tail") << w1251 << QStringList{"a", "b", "c", "a", "b", "c", "x", "y", "z中"} << 3
                                  << QByteArray();
        QTest::newRow("utf-16 surrogate")
            << int(TextEncoding::Utf16Le) << QStringList{"a", QString(QChar(0xD800)), ""} << 1
            << QByteArray();
        QTest::newRow("utf-8 joined") << int(TextEncoding::Utf8) << QStringList{"x", "中", "y"} << 0
                                      << QByteArray("x\xE4\xB8\xADy\r\n");
    }
    void encodesLinesInPieces()
    {
        QFETCH(int, encoding);
        QFETCH(QStringList, pieces);
        QFETCH(int, badLine);
        QFETCH(QByteArray, bytes);
        QByteArray out;
        const auto error = encodeLineParts(
            QStringLiteral("f.rc"), pieces.size() / 3,
            [&](qsizetype i) {
                return LineParts{pieces[3 * i], pieces[3 * i + 1], pieces[3 * i + 2]};
            },
            out, TextEncoding(encoding));
        QCOMPARE(error ? error->line : 0, badLine);
        if (!error)
            QCOMPARE(out, bytes);
    }

    void unreadableFilesAreReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("dangling link") << "dangling";
    }
    void unreadableFilesAreReported()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.rc"));
        if (kind == QLatin1String("directory"))
            QVERIFY(QDir().mkdir(path));
        if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), path));
        const LinesRead read = readLines(path);
        QVERIFY(!read.ok());
        QCOMPARE(read.error->path, path);
        QVERIFY(!read.error->reason.isEmpty());
    }

    void writeFailuresAreReported()
    {
        QTemporaryDir dir;
        // The parent directory is gone: nothing can be created there, whoever runs the test.
        const QString path = dir.filePath(QStringLiteral("gone/out.txt"));
        const auto error = writeLines(path, {QStringLiteral("x")});
        QVERIFY(error.has_value());
        QCOMPARE(error->path, path);
        QVERIFY(!error->reason.isEmpty());
        QVERIFY(!QFileInfo::exists(path));
    }

    void injectedWriteFaultKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(writeBytes(path, "old\r\n"));
        setWriteFaultForTesting([](const QString&) { return QStringLiteral("нет места на диске"); });
        const auto error = writeLines(path, {QStringLiteral("new")});
        setWriteFaultForTesting({});
        QVERIFY(error.has_value());
        QCOMPARE(error->reason, QStringLiteral("нет места на диске"));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QVERIFY(!writeLines(path, {QStringLiteral("new")}));
        QCOMPARE(readBytes(path), QByteArray("new\r\n"));
    }

    void caseFolding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("starts");
        QTest::newRow("latin") << "Open file"
                               << "OPEN" << true;
        QTest::newRow("cyrillic") << "Открыть"
                                  << "ОТК" << true;
        QTest::newRow("longer prefix") << "Op"
                                       << "Open" << false;
        QTest::newRow("empty prefix") << "x"
                                      << "" << true;
        QTest::newRow("blank matters") << "Open"
                                       << " Open" << false;
    }
    void caseFolding()
    {
        QFETCH(QString, text);
        QFETCH(QString, prefix);
        QFETCH(bool, starts);
        QCOMPARE(startsWithIgnoringCase(text, prefix), starts);
        QCOMPARE(foldCase(text).startsWith(foldCase(prefix)), starts);
    }

    // Every length about a block's end, fed whole and in uneven pieces, against
    // Qt's portable code; "abc" against the published digest.
    void sha256MatchesPortableDigest()
    {
        QCOMPARE(Sha256::hexOf("abc"),
                 QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QByteArray all(3 * 64 * 1024 + 77, Qt::Uninitialized);
        for (qsizetype i = 0; i < all.size(); ++i)
            all[i] = char((i * 131 + i / 251) & 0xFF);
        QList<qsizetype> lengths{all.size()};
        for (qsizetype n = 0; n <= 200; ++n)
            lengths << n;
        for (const qsizetype length : std::as_const(lengths)) {
            const QByteArrayView bytes(all.constData(), length);
            const QByteArray expected = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
            QCOMPARE(Sha256::hexOf(bytes), expected);
            for (const qsizetype piece : {1, 7, 64, 100}) {
                Sha256 hash;
                for (qsizetype at = 0; at < length; at += piece)
                    hash.addData(bytes.sliced(at, std::min(piece, length - at)));
                QCOMPARE(hash.hexResult(), expected);
            }
        }
        qInfo() << "processor's SHA instructions:" << Sha256::usesProcessorInstructions();
    }

    // A whole file read at once: small files the usual way, from 2 MiB on into huge
    // pages; either way every byte, a zero after the last, and a second read
    // replacing the first.
    void readsWholeFiles()
    {
        constexpr qsizetype kMiB = 1 << 20;
        const QByteArray all = pseudoRandomBytes(5 * kMiB + 3, 7);
        QTemporaryDir dir;
        WholeFile whole;
        QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); // a file opened twice warns
        for (const qsizetype size :
             {qsizetype(0), qsizetype(100), 2 * kMiB - 1, 2 * kMiB, 4 * kMiB - 1, all.size(), qsizetype(1)}) {
            const QString path = dir.filePath(QString::number(size));
            QVERIFY(writeBytes(path, all.first(size)));
            QFile file;
            QVERIFY(!whole.read(path, file));
            QVERIFY2(whole.bytes() == all.first(size), qPrintable(path));
            QCOMPARE(whole.bytes().constData()[size], '\0');
            QVERIFY(file.isOpen());
        }
        QVERIFY(whole.read(dir.filePath(QStringLiteral("missing"))).has_value());
        QVERIFY(whole.bytes().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
