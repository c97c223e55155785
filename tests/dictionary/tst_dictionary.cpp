#include "TestUtil.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "dictionary/SearchString.h"
#include "text/TextFile.h"

#include <sys/stat.h>

using namespace kvarsel;
using namespace kvarsel::test;

class DictionaryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadersTreatEmptyLinesDifferently()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Open", "Открыть", "", "Save", "Сохранить"}));
        CurrentDictionary d;
        QVERIFY(!LoadDictionary(dir.filePath("User.dic"), d));
        QCOMPARE(d.rows(), (QStringList{"", "", "Open", "Открыть", "Save", "Сохранить"}));
        QVERIFY(SearchString(d, "Save").found);
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        QCOMPARE(d.rows(), (QStringList{"", "", "Open", "Открыть", "", "Save", "Сохранить"}));
        // "Save" now sits on an odd row and is not found.
        QVERIFY(!SearchString(d, "Save").found);
        QVERIFY(SearchString(d, "Open").found);
    }

    void blanksAndEmptyFiles()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("a.dic"), {" Open", "Открыть", "  ", "пробелы"}));
        QVERIFY(writeBytes(dir.filePath("empty.dic"), QByteArray()));
        CurrentDictionary d;
        QVERIFY(!LoadDictionary(dir.filePath("a.dic"), d));
        QCOMPARE(d.RowCount(), 6);
        QVERIFY(!SearchString(d, "Open").found);
        QVERIFY(!LoadDictionary(dir.filePath("empty.dic"), d));
        QCOMPARE(d.rows(), (QStringList{"", ""}));
    }

    void unreadableDictionaryCountsAsEmpty()
    {
        QTemporaryDir dir;
        CurrentDictionary d;
        d.Assign({"", "", "Open", "Открыть"});
        const auto error = LoadDictionary(dir.filePath("missing.dic"), d);
        QVERIFY(error.has_value());
        QCOMPARE(error->path, dir.filePath("missing.dic"));
        QCOMPARE(d.rows(), (QStringList{"", ""}));
    }

    void userDictionaryFoundIgnoringCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("User.dic") << "User.dic";
        QTest::newRow("user.dic") << "user.dic";
        QTest::newRow("USER.DIC") << "USER.DIC";
    }
    void userDictionaryFoundIgnoringCase()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath(name), {"a", "б"}));
        QCOMPARE(findUserDictionary(dir.path()), dir.filePath(name));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        QCOMPARE(d.rows(), (QStringList{"", "", "a", "б"}));
        // Saving rewrites the same file, not a second one with another spelling.
        d.AppendEntry("c", "в");
        QVERIFY(!SaveUserDic(dir.path(), d));
        QCOMPARE(QDir(dir.path()).entryList({"*.dic"}, QDir::Files), QStringList{name});
        QCOMPARE(readBytes(dir.filePath(name)), cp1251Lines({"a", "б", "c", "в"}));
    }

    void missingUserDictionaryLoadsEmpty()
    {
        QTemporaryDir dir;
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        QCOMPARE(d.rows(), (QStringList{"", ""}));
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("userFirst");
        QTest::addColumn<QString>("text");
        QTest::newRow("user first") << 0 << 3 << true << "Пользовательский словарь";
        QTest::newRow("second of three") << 1 << 3 << true << "Словарь № 2 из  3 используемых";
        QTest::newRow("third of three") << 2 << 3 << true << "Словарь № 3 из  3 используемых";
        QTest::newRow("flag off") << 0 << 3 << false << "Словарь № 1 из  3 используемых";
        QTest::newRow("two digits") << 9 << 12 << false << "Словарь № 10 из  12 используемых";
    }
    void statusTexts()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(bool, userFirst);
        QFETCH(QString, text);
        QCOMPARE(dictionaryStatusText(index, count, userFirst), text);
    }

    void saveKeepsOneGenerationOfBackup()
    {
        QTemporaryDir dir;
        // The last line has no end; saving gives it CR LF.
        QVERIFY(writeBytes(dir.filePath("User.dic"), QByteArray("Open\r\n\xCE\xF2\xEA\xF0\xFB\xF2\xFC")));
        QVERIFY(writeBytes(dir.filePath("User.old"), "ancient\r\n"));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        const QByteArray before = readBytes(dir.filePath("User.dic"));
        QVERIFY(!SaveUserDic(dir.path(), d));
        QCOMPARE(readBytes(dir.filePath("User.dic")), cp1251Lines({"Open", "Открыть"}));
        QCOMPARE(readBytes(dir.filePath("User.old")), before);
        // The backup is the old file under a second name, never a name of the new one.
        struct stat dic, old;
        QCOMPARE(::stat(QFile::encodeName(dir.filePath("User.dic")).constData(), &dic), 0);
        QCOMPARE(::stat(QFile::encodeName(dir.filePath("User.old")).constData(), &old), 0);
        QVERIFY(dic.st_ino != old.st_ino);
        QCOMPARE(old.st_nlink, nlink_t(1));

        d.AppendEntry("Save", "Сохранить");
        d.AppendEntry("Exit", "Выход");
        QCOMPARE(d.RowCount(), 8);
        QVERIFY(!SaveUserDic(dir.path(), d));
        const QByteArray six = cp1251Lines({"Open", "Открыть", "Save", "Сохранить", "Exit", "Выход"});
        QCOMPARE(readBytes(dir.filePath("User.dic")), six);
        // Two saves in a row: the first save's output is the backup now.
        QCOMPARE(readBytes(dir.filePath("User.old")), cp1251Lines({"Open", "Открыть"}));
    }

    // A file of several of the pieces the save digests it in: unchanged, it is not
    // taken for changed; one byte changed in its last piece, it is.
    void largeFileChangedOnlyWhenItChanged()
    {
        QTemporaryDir dir;
        QStringList lines;
        for (int i = 0; i < 120000; ++i)
            lines << QStringLiteral("Entry %1").arg(i) << QStringLiteral("Запись %1").arg(i);
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), lines));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        QCOMPARE(checkUserDictionaryFile(dir.path(), d).conflict, UserDicConflict::None);
        d.AppendEntry("Save", "Сохранить");
        QVERIFY(!SaveUserDic(dir.path(), d));
        QByteArray bytes = readBytes(dir.filePath("User.dic"));
        QVERIFY(bytes.size() > 2 * (1 << 20));
        bytes[bytes.size() - 3] = 'x';
        QVERIFY(writeBytes(dir.filePath("User.dic"), bytes));
        QCOMPARE(checkUserDictionaryFile(dir.path(), d).conflict, UserDicConflict::ChangedOnDisk);
    }

    void emptyRowsOfTheFileAreWrittenBack()
    {
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"a", "б", "", "c", "в"}));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        QVERIFY(!SaveUserDic(dir.path(), d));
        QCOMPARE(readBytes(dir.filePath("User.dic")), cp1251Lines({"a", "б", "", "c", "в"}));
    }

    // No user dictionary at start: the first manual entry still lands where lookup
    // and saving reach it, and User.dic is created.
    void firstEntryWithoutUserDictionary()
    {
        QTemporaryDir dir;
        CurrentDictionary d; // no rows at all
        d.AppendEntry("Open", "Открыть");
        QCOMPARE(d.rows(), (QStringList{"", "", "Open", "Открыть"}));
        QVERIFY(SearchString(d, "open").found);
        QVERIFY(!SaveUserDic(dir.path(), d));
        QCOMPARE(readBytes(dir.filePath("User.dic")), cp1251Lines({"Open", "Открыть"}));
        QVERIFY(!QFileInfo::exists(dir.filePath("User.old")));
    }

    void failedSaveKeepsBothFiles_data()
    {
        QTest::addColumn<QString>("failOn"); // which write fails
        QTest::newRow("backup") << "User.old";
        QTest::newRow("new dictionary") << "User.dic";
        QTest::newRow("unencodable") << "";
    }
    void failedSaveKeepsBothFiles()
    {
        QFETCH(QString, failOn);
        QTemporaryDir dir;
        QVERIFY(writeLinesRaw(dir.filePath("User.dic"), {"Open", "Открыть"}));
        QVERIFY(writeLinesRaw(dir.filePath("User.old"), {"Old", "Старое"}));
        const QByteArray dic = readBytes(dir.filePath("User.dic"));
        const QByteArray old = readBytes(dir.filePath("User.old"));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        if (failOn.isEmpty())
            d.AppendEntry("Smile", "Улыбка 😀");
        else
            d.AppendEntry("Save", "Сохранить");
        setWriteFaultForTesting([failOn](const QString& path) {
            return !failOn.isEmpty() && path.endsWith(failOn) ? QStringLiteral("нет места на диске")
                                                              : QString();
        });
        const auto error = SaveUserDic(dir.path(), d);
        setWriteFaultForTesting({});
        QVERIFY(error.has_value());
        QCOMPARE(readBytes(dir.filePath("User.dic")), dic);
        QCOMPARE(readBytes(dir.filePath("User.old")), old);
    }

    void userDictionaryKeepsItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("original"); // empty: no User.dic yet
        QTest::addColumn<QString>("translation");
        QTest::addColumn<TextEncoding>("written");
        const QString rows = QStringLiteral("Open\r\nОткрыть\r\n");
        QByteArray le("\xFF\xFE");
        for (const QChar c : rows)
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16LE stays") << le << "Сохранить" << TextEncoding::Utf16Le;
        QTest::newRow("UTF-8 stays") << rows.toUtf8() << "Сохранить ☺" << TextEncoding::Utf8;
        QTest::newRow("new, Windows-1251 holds it")
            << QByteArray() << "Сохранить" << TextEncoding::Windows1251;
        QTest::newRow("new, needs more") << QByteArray() << "Сохранить ☺" << TextEncoding::Utf8Bom;
    }
    void userDictionaryKeepsItsEncoding()
    {
        QFETCH(QByteArray, original);
        QFETCH(QString, translation);
        QFETCH(TextEncoding, written);
        QTemporaryDir dir;
        if (!original.isEmpty())
            QVERIFY(writeBytes(dir.filePath("User.dic"), original));
        CurrentDictionary d;
        QVERIFY(!LoadUserDictionary(dir.path(), d));
        d.AppendEntry("Save", translation);
        QVERIFY(!SaveUserDic(dir.path(), d));
        const DecodedText saved = decodeText(readBytes(dir.filePath("User.dic")));
        QCOMPARE(saved.encoding, written);
        QCOMPARE(splitLines(saved.text), d.rows().mid(2));
        QCOMPARE(readBytes(dir.filePath("User.old")), original);
    }

    void userDictionaryThatBreaksItsEncodingIsNotOverwritten()
    {
        QTemporaryDir dir;
        const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + cp1251Lines({"Open", "Открыть"});
        QVERIFY(writeBytes(dir.filePath("User.dic"), bytes));
        CurrentDictionary d;
        const auto read = LoadUserDictionary(dir.path(), d);
        QVERIFY(read && read->reason.contains(QStringLiteral("UTF-8")));
        QCOMPARE(d.rows(), (QStringList{"", ""}));
        d.AppendEntry("Save", "Сохранить");
        const auto error = SaveUserDic(dir.path(), d);
        QVERIFY(error && error->reason.contains(QStringLiteral("не перезаписан")));
        QCOMPARE(readBytes(dir.filePath("User.dic")), bytes);
        QVERIFY(!QFileInfo::exists(dir.filePath("User.old")));
    }
};

QTEST_GUILESS_MAIN(DictionaryTest)
#include "tst_dictionary.moc"
