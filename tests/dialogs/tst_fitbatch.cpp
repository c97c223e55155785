// kvarsel-batch fit on a copy of the demo resources, with a translation planted
// in a script that is too long for its button.
#include "RecordingConsole.h"
#include "TestUtil.h"
#include "batch/BatchFitRun.h"
#include "batch/BatchRun.h"
#include "text/TextFile.h"

#include <QProcess>
#include <QRegularExpression>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

// Replaces one text in a demo script, keeping its Windows-1251 bytes and CR LF.
bool plant(const QString& path, const QByteArray& from, const QString& to)
{
    QByteArray bytes = readBytes(path);
    if (!bytes.contains(from))
        return false;
    QByteArray encoded;
    cp1251::encode(to, encoded);
    bytes.replace(from, encoded);
    return writeBytes(path, bytes);
}

// Too-long Russian texts planted in the English dialogs of tests/data/dialogs, each
// on its own line of the script.
struct Planted {
    const char* file;
    QByteArray english;
    QString russian;
};

const Planted kPlanted[] = {
    {"print.rc", "\"Print to &file\"", "\"Печатать в файл вместо принтера\""},
    {"print.rc", "\"Pa&ges\"", "\"Выборочные страницы\""},
    {"print.rc", "\"Print range\"", "\"Диапазон печатаемых страниц документа\""},
    {"print.rc", "\"Enter page numbers and/or page ranges separated by commas. For example, 1,3,5-12\"",
     "\"Введите номера страниц и диапазоны страниц через запятую, например: 1,3,5-12. Пустое поле "
     "означает печать всего документа.\""},
    {"pages.rc", "\"Automatically check for updates when the program starts\"",
     "\"Автоматически проверять наличие новых версий программы при каждом её запуске и сообщать о "
     "найденных обновлениях\""},
    {"pages.rc", "\"Status:\"", "\"Состояние подключения:\""},
    {"pages.rc", "\"&Details >>\"", "\"Подробные сведения >>\""},
    {"pages.rc", "\"&Address:\"", "\"Адрес прокси-сервера:\""},
    {"pages.rc", "\"Use the proxy settings of the s&ystem\"",
     "\"Использовать параметры прокси-сервера, заданные в системе\""},
    {"msgbox.rc", "\"&Retry\"", "\"Повторить попытку\""},
    {"msgbox.rc",
     "\"The file could not be saved because the disk is full. Free some space on the disk and try again.\"",
     "\"Не удалось сохранить файл, потому что на диске закончилось свободное место. Освободите место на "
     "диске, удалите ненужные файлы или выберите другой диск и повторите попытку.\""},
    {"msgbox.rc", "\"&Line number:\"", "\"Номер строки документа:\""},
    {"about.rc", "\">the project's web site</a> for news and updates.\"",
     "\">веб-сайт проекта Pebble Notes</a>, чтобы узнать о новостях и обновлениях программы.\""},
    {"about.rc",
     "\"Pebble Notes is free software: you can redistribute it and/or modify it under the terms of the "
     "\"\"GNU General Public License\"\" as published by the Free Software Foundation, either version 3 "
     "of the License, or (at your option) any later version.\"",
     "\"Pebble Notes - свободная программа: вы можете распространять и изменять ее на условиях "
     "\"\"Стандартной общественной лицензии GNU\"\" в том виде, в каком она была опубликована Фондом "
     "свободного программного обеспечения, либо версии 3 лицензии, либо (по вашему выбору) любой более "
     "поздней версии.\""},
};

// The 1-based line of a script that holds `text`; 0 when none does.
int lineHolding(const QString& path, const QString& text)
{
    QByteArray encoded;
    cp1251::encode(text, encoded);
    const QList<QByteArray> lines = readBytes(path).split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(encoded))
            return i + 1;
    return 0;
}

} // namespace

class FitBatchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoFits()
    {
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        RecordingConsole console;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), console, runFit), 0);
        QCOMPARE(console.outText(), QString());
    }

    void plantedTranslationIsReported_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("available");
        QTest::newRow("button") << QByteArray("\"Cancel\"") << "\"Отменить все изменения\""
                                << "dialog/options.rc:15: " << 50;
        QTest::newRow("label one line high")
            << QByteArray("\"Copyright (C) 2026\"") << "\"Все права защищены правообладателем (C) 2026\""
            << "dialog/about.rc:9: " << 120;
    }

    void plantedTranslationIsReported()
    {
        QFETCH(QByteArray, from);
        QFETCH(QString, to);
        QFETCH(QString, where);
        QFETCH(int, available);
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        const QString script = dir.filePath(where.section(u':', 0, 0).prepend("resources/"));
        QVERIFY(plant(script, from, to));
        RecordingConsole console;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), console, runFit), 3);
        QCOMPARE(console.outLines.size(), 1);
        const QString line = console.outLines.first();
        QVERIFY2(line.startsWith(where), qPrintable(line));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral(": (\\d+) / (\\d+)$")).match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QVERIFY(m.captured(1).toInt() > available);
        QCOMPARE(m.captured(2).toInt(), available);
    }

    // English dialogs in the shapes real programs have (numeric classes and styles,
    // property pages, message-box templates, SysLink, multi-line check boxes, long
    // wrapped statics) fit on Windows: fit is silent on them. Each too-long Russian
    // text planted in them is reported on its line. Both ways of loading "&" marks.
    void realDialogs_data()
    {
        QTest::addColumn<bool>("marksKept");
        QTest::newRow("marks removed") << false;
        QTest::newRow("marks kept") << true;
    }

    void realDialogs()
    {
        QFETCH(bool, marksKept);
        QTemporaryDir dir;
        QVERIFY(copyTree(QStringLiteral(KVARSEL_TEST_DATA "/dialogs"), dir.path()));
        const QString scripts = dir.filePath("resources/dialog");
        for (const QString& name : QDir(scripts).entryList({"*.rc"})) {
            QProcess windres;
            windres.setWorkingDirectory(scripts);
            windres.start("x86_64-w64-mingw32-windres",
                          {"--preprocessor=cpp", name, "-O", "coff", "-o", dir.filePath(name + ".o")});
            QVERIFY(windres.waitForFinished(60000));
            QVERIFY2(windres.exitCode() == 0, qPrintable(name + windres.readAllStandardError()));
        }
        if (marksKept)
            QVERIFY(writeLinesRaw(dir.filePath("velmora.ini"), {"KeepAccelerators"}));
        RecordingConsole english;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), english, runFit), 0);
        QCOMPARE(english.outText(), QString());

        QStringList expected;
        for (const Planted& p : kPlanted) {
            const QString path = scripts + u'/' + QLatin1String(p.file);
            QVERIFY2(plant(path, p.english, p.russian), p.english.constData());
            expected << QStringLiteral("dialog/%1:%2")
                            .arg(QLatin1String(p.file))
                            .arg(lineHolding(path, p.russian));
        }
        RecordingConsole russian;
        QCOMPARE(runBatch({"fit", dir.filePath("resources")}, dir.path(), russian, runFit), 3);
        QStringList reported;
        for (const QString& line : std::as_const(russian.outLines))
            reported << line.section(u':', 0, 1);
        reported.sort();
        expected.sort();
        QCOMPARE(reported, expected);
    }

    // Two more collections of untouched English dialogs as real programs hold them
    // (one laid out in MS Shell Dlg 2 by a resource editor, one in MS Sans Serif and
    // decompiled), each compiled by windres: measured with the faces Windows uses,
    // they fit, but for the reports listed.
    void englishCollections_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("office") << "office" << QStringList();
        QTest::newRow("utility") << "utility" << QStringList();
    }

    void englishCollections()
    {
        QFETCH(QString, collection);
        QFETCH(QStringList, reports);
        QTemporaryDir dir;
        QVERIFY(copyTree(QStringLiteral(KVARSEL_TEST_DATA "/fit/") + collection, dir.filePath("resources")));
        const QString scripts = dir.filePath("resources/dialog");
        for (const QString& name : QDir(scripts).entryList({"*.rc"})) {
            QProcess windres;
            windres.setWorkingDirectory(scripts);
            windres.start("x86_64-w64-mingw32-windres",
                          {"--preprocessor=cpp", name, "-O", "coff", "-o", dir.filePath(name + ".o")});
            QVERIFY(windres.waitForFinished(60000));
            QVERIFY2(windres.exitCode() == 0, qPrintable(name + windres.readAllStandardError()));
        }
        RecordingConsole console;
        runBatch({"fit", dir.filePath("resources")}, dir.path(), console, runFit);
        QCOMPARE(console.errLines, QStringList());
        QCOMPARE(console.outLines, reports);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("firstErr");
        QTest::newRow("help") << QStringList{"fit", "--help"} << 0 << QString();
        QTest::newRow("an option it lacks") << QStringList{"fit", "res", "--hide-russian"} << 2
                                            << "kvarsel-batch: у команды fit нет ключа «--hide-russian»";
        QTest::newRow("no directory")
            << QStringList{"fit"} << 2 << "kvarsel-batch: не указан каталог ресурсов";
        QTest::newRow("missing directory") << QStringList{"fit", "/nonexistent/res"} << 2
                                           << "kvarsel-batch: каталог ресурсов «/nonexistent/res» не найден";
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, firstErr);
        RecordingConsole console;
        QCOMPARE(runBatch(args, QDir::tempPath(), console, runFit), status);
        if (firstErr.isEmpty())
            QVERIFY(console.outText().startsWith("Использование: kvarsel-batch fit"));
        else
            QCOMPARE(console.errLines.value(0), firstErr);
    }

    // The built program, started without a display or a platform chosen.
    void programRunsWithoutDisplay()
    {
        QTemporaryDir dir;
        QVERIFY(copyTree(demoDir(), dir.path()));
        QVERIFY(plant(dir.filePath("resources/dialog/options.rc"), "\"&Help\"", "\"Справочная система\""));
        QProcess batch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        batch.setProcessEnvironment(env);
        batch.setWorkingDirectory(dir.path());
        batch.start(QStringLiteral(KVARSEL_BATCH_EXE), {"fit", "resources"});
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 3);
        const QString out = QString::fromUtf8(batch.readAllStandardOutput());
        QVERIFY2(out.startsWith("dialog/options.rc:16: "), qPrintable(out));
        QVERIFY(out.trimmed().endsWith(" / 50"));
    }

    // kvarsel-batch copied without kvarsel-fit: its other commands run, and fit says
    // which program it misses instead of failing silently or crashing.
    void programWithoutFitHelper()
    {
        QTemporaryDir dir;
        const QString lone = dir.filePath("kvarsel-batch");
        QVERIFY(QFile::copy(QStringLiteral(KVARSEL_BATCH_EXE), lone));
        QVERIFY(copyTree(demoDir(), dir.path()));
        for (const auto& [args, status] : {std::pair{QStringList{"stats", "resources"}, 0},
                                           std::pair{QStringList{"fit", "resources"}, 1}}) {
            QProcess batch;
            batch.setWorkingDirectory(dir.path());
            batch.start(lone, args);
            QVERIFY(batch.waitForFinished(60000));
            QCOMPARE(batch.exitCode(), status);
            if (status)
                QVERIFY2(QString::fromUtf8(batch.readAllStandardError())
                             .startsWith("kvarsel-batch: команду fit выполняет программа " + dir.path()),
                         qPrintable(args.join(' ')));
        }
    }
};

QTEST_MAIN(FitBatchTest)
#include "tst_fitbatch.moc"
