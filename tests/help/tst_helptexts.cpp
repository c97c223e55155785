#include "help/HelpTexts.h"

#include "TestUtil.h"

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

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
        const HelpList help = buildHelpList(dir.path());
        QVERIFY(!help.readmeMissing);
        QVERIFY(!help.readError);
        QCOMPARE(help.rows, (openingRows() + QStringList{"Кварсел 2.0", "", "  Отступ сохраняется"}));
    }

    void openingFramesTheText()
    {
        QTemporaryDir dir;
        const QStringList rows = buildHelpList(dir.path()).rows;
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
        const HelpList help = buildHelpList(dir.path());
        QVERIFY(!help.readmeMissing);
        QCOMPARE(help.rows, openingRows());
    }

    void readmeFoundIgnoringCase()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("README.TXT"), {"Справка"}));
        QCOMPARE(buildHelpList(dir.path()).rows.last(), QString("Справка"));
    }

    void lineEndsOfEveryKind()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("Readme.txt"), "one\ntwo\r\rfour"));
        QCOMPARE(buildHelpList(dir.path()).rows.mid(openingRows().size()),
                 (QStringList{"one", "two", "", "four"}));
    }

    void missingReadme()
    {
        QTemporaryDir dir;
        const HelpList help = buildHelpList(dir.path());
        QVERIFY(help.readmeMissing);
        const QString missingRow = QString(21, ' ') + "Файла Readme.txt нет в рабочем каталоге программы!!";
        QCOMPARE(help.rows,
                 (openingRows() + QStringList{missingRow, "",
                                              "Для получения Справки или обновления программы зайдите на",
                                              help_texts::kSiteLine}));
        QVERIFY(help_texts::kSiteLine.contains(help_texts::kProjectAddress));
        QCOMPARE(readmeMissingMessage(),
                 QString("Файла Readme.txt нет в рабочем каталоге программы!\n"
                         "Для получения Справки или обновления программы зайдите на\n") +
                     help_texts::kSiteLine);
    }

    void unreadableReadmeIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Readme.txt"));
        const HelpList help = buildHelpList(dir.path());
        QVERIFY(!help.readmeMissing);
        QVERIFY(help.readError.has_value());
        QCOMPARE(help.rows, openingRows());
    }
};

QTEST_GUILESS_MAIN(HelpTextsTest)
#include "tst_helptexts.moc"
