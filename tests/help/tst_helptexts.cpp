#include "help/HelpTexts.h"

#include "TestUtil.h"

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

const QString kDocumentation = QStringLiteral("/usr/share/doc/kvarsel/docs/guide.html");

// The rows before the file's own lines.
QStringList openingRows()
{
    return QStringList{QString()} + help_texts::kInformation + QStringList{QString(88, '='), QString()};
}

} // namespace

class HelpTextsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readmeLinesFollowTheOpening()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("Readme.txt"), {"Кварсел 2.0", "", "  Отступ сохраняется"}));
        const HelpList help = buildHelpList(dir.path(), kDocumentation);
        QVERIFY(!help.readmeMissing);
        QVERIFY(!help.readError);
        QCOMPARE(help.rows, (openingRows() + QStringList{"Кварсел 2.0", "", "  Отступ сохраняется"}));
    }

    void openingFramesTheText()
    {
        QTemporaryDir dir;
        const QStringList rows = buildHelpList(dir.path(), kDocumentation).rows;
        QCOMPARE(rows.first(), QString());
        QVERIFY(!help_texts::kInformation.isEmpty());
        const qsizetype line = 1 + help_texts::kInformation.size();
        QCOMPARE(rows[line], QString(88, '='));
        QCOMPARE(rows[line].size(), 88);
        QCOMPARE(rows[line + 1], QString());
    }

    void emptyReadmeGivesOnlyTheOpening()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("Readme.txt"), QByteArray()));
        const HelpList help = buildHelpList(dir.path(), kDocumentation);
        QVERIFY(!help.readmeMissing);
        QCOMPARE(help.rows, openingRows());
    }

    void readmeFoundIgnoringCase()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("README.TXT"), {"Справка"}));
        QCOMPARE(buildHelpList(dir.path(), kDocumentation).rows.last(), QString("Справка"));
    }

    void lineEndsOfEveryKind()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("Readme.txt"), "one\ntwo\r\rfour"));
        QCOMPARE(buildHelpList(dir.path(), kDocumentation).rows.mid(openingRows().size()),
                 (QStringList{"one", "two", "", "four"}));
    }

    void missingReadme()
    {
        QTemporaryDir dir;
        const HelpList help = buildHelpList(dir.path(), kDocumentation);
        QVERIFY(help.readmeMissing);
        const QString missingRow = QString(21, ' ') + "Файла Readme.txt нет в рабочем каталоге программы!!";
        QCOMPARE(help.rows,
                 (openingRows() +
                  QStringList{missingRow, "",
                              "Более подробная справка - в документации программы:", kDocumentation}));
        QCOMPARE(readmeMissingMessage(kDocumentation),
                 QString("Файла Readme.txt нет в рабочем каталоге программы!\n"
                         "Более подробная справка - в документации программы:\n") +
                     kDocumentation);
    }

    // Installed, the documentation is in share/doc beside bin; in the build tree, beside
    // the program. Where there is none, the installed place is named.
    void documentationBesideTheProgram_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("found");
        const QString doc = QStringLiteral("share/doc/kvarsel/docs/guide.html");
        QTest::newRow("installed") << "usr/bin"
                                   << "usr/" + doc << "usr/" + doc;
        QTest::newRow("build tree") << "build"
                                    << "build/" + doc << "build/" + doc;
        QTest::newRow("neither") << "usr/bin" << QString() << "usr/" + doc;
    }

    void documentationBesideTheProgram()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, present);
        QFETCH(QString, found);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(programDir));
        if (!present.isEmpty())
            QVERIFY(writeBytes(dir.filePath(present), "<html></html>"));
        QCOMPARE(documentationPath(dir.filePath(programDir)), dir.filePath(found));
    }

    // This build renders the guide where its program finds it, with its pictures.
    void builtDocumentation()
    {
        QFile html(documentationPath(QStringLiteral(KVARSEL_PROGRAM_DIR)));
        QVERIFY2(html.open(QIODevice::ReadOnly), qPrintable(html.fileName()));
        QVERIFY(html.readAll().contains("<title>Кварсел: руководство пользователя</title>"));
        QVERIFY(QFileInfo::exists(QFileInfo(html).dir().filePath("main-window.png")));
    }

    void unreadableReadmeIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Readme.txt"));
        const HelpList help = buildHelpList(dir.path(), kDocumentation);
        QVERIFY(!help.readmeMissing);
        QVERIFY(help.readError.has_value());
        QCOMPARE(help.rows, openingRows());
    }
};

QTEST_GUILESS_MAIN(HelpTextsTest)
#include "tst_helptexts.moc"
