// Resource directories that hold what no script should: every entry is loaded
// or named in a message, the rest loads, and nothing hangs.
#include "TestUtil.h"
#include "deferred/BilingualFile.h"
#include "deferred/DeferredExport.h"
#include "deferred/ExportList.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "text/SafeWrite.h"
#include "text/TextFile.h"
#include "workspace/ResourceSaver.h"
#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvarsel;
using namespace kvarsel::test;

// What a writer finds at its file's name: nothing (""), a "file" holding "old", or a
// "link" to `target`, a file holding "old".
bool putAtName(const QString& there, const QString& name, const QString& target)
{
    if (there == "file")
        return writeBytes(name, "old");
    if (there == "link")
        return writeBytes(target, "old") && QFile::link(target, name);
    return true;
}

class HostileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strangeEntriesAreNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("directory") << "directory"
                                   << "это каталог, а не файл";
        QTest::newRow("fifo") << "fifo"
                              << "это не обычный файл (канал или устройство)";
        QTest::newRow("dangling link") << "dangling"
                                       << "символическая ссылка никуда не ведёт";
        QTest::newRow("link loop") << "loop"
                                   << "символические ссылки образуют петлю";
        QTest::newRow("vanished") << "vanished"
                                  << "файл не найден";
    }
    void strangeEntriesAreNamed()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("menu/c.rc"), {"MENUITEM \"Save\""}));
        const QString odd = tmp.filePath("menu/b.rc");
        if (kind == "directory")
            QVERIFY(QDir().mkdir(odd));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(odd).constData(), 0600), 0);
        else if (kind == "dangling")
            QVERIFY(QFile::link(tmp.filePath("menu/none"), odd));
        else if (kind == "loop") {
            QVERIFY(QFile::link(tmp.filePath("menu/b2.rc"), odd));
            QVERIFY(QFile::link(odd, tmp.filePath("menu/b2.rc")));
        } else
            QVERIFY(writeLinesRaw(odd, {"MENUITEM \"Gone\""}));
        Stores s;
        LoadCallbacks callbacks;
        // The file disappears after the directory was listed, before it is read.
        if (kind == "vanished")
            callbacks.kindStarted = [&](ResourceKind, qsizetype) { QFile::remove(odd); };
        const LoadResult r = loadResources(tmp.path(), s.all(), false, callbacks);
        QVERIFY(!r.errors.isEmpty());
        QCOMPARE(r.errors[0].path, odd);
        QCOMPARE(r.errors[0].reason, reason);
        QVERIFY(r.errors[0].message().contains(odd));
        QCOMPARE(s.menu.Text(1), QStringLiteral("Open"));
        QCOMPARE(s.menu.Text(3), QStringLiteral("Save"));
        // Saving leaves the strange entry alone.
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        if (kind == "fifo") {
            struct stat st;
            QCOMPARE(::lstat(QFile::encodeName(odd).constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        }
    }

    // A link out of the chosen tree, as an archive from somebody else may hold:
    // not loaded, named with the reason, and never written. A link that stays
    // inside the tree is an ordinary script.
    void linksOutOfTheTree_data()
    {
        QTest::addColumn<QString>("link");   // in the resource directory
        QTest::addColumn<QString>("target"); // relative to the scratch directory
        QTest::addColumn<bool>("loaded");
        QTest::newRow("script") << "menu/b.rc"
                                << "outside/b.rc" << false;
        QTest::newRow("kind directory") << "string"
                                        << "outside" << false;
        QTest::newRow("script inside") << "menu/b.rc"
                                       << "res/shared/b.rc" << true;
    }
    void linksOutOfTheTree()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(bool, loaded);
        QTemporaryDir tmp;
        const QString res = tmp.filePath("res");
        QVERIFY(writeLinesRaw(res + "/menu/a.rc", {"MENUITEM \"Open\""}));
        const QByteArray outside = cp1251Lines({"MENUITEM \"Theirs\""});
        QVERIFY(writeBytes(tmp.filePath(target) + (target.endsWith(".rc") ? "" : "/b.rc"), outside));
        QVERIFY(QFile::link(tmp.filePath(target), res + "/" + link));
        Stores s;
        const LoadResult r = loadResources(res, s.all(), false);
        if (loaded) {
            QVERIFY(r.errors.isEmpty());
            QCOMPARE(s.menu.RowCount(), 4);
            return;
        }
        QCOMPARE(r.errors.size(), 1);
        QCOMPARE(r.errors[0].path, res + "/" + link);
        QVERIFY2(r.errors[0].reason.contains("вне выбранного каталога ресурсов"),
                 qPrintable(r.errors[0].reason));
        QCOMPARE(s.menu.RowCount() + s.string.RowCount(), 2);
        for (LineStore* store : s.all())
            for (qsizetype i = 0; i < store->RowCount(); ++i)
                store->ReplaceText(i, store->Text(i) + "!");
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath(target) + (target.endsWith(".rc") ? "" : "/b.rc")), outside);
    }

    // Names the system's encoding (UTF-8) cannot read, as an older program on
    // another system may have left them: the script is loaded and saved back to
    // the very same name; a link out of the tree by such a name is named with
    // where it really leads.
    void undecodableNames()
    {
        QTemporaryDir tmp;
        const QByteArray menu = QFile::encodeName(tmp.filePath("res/menu"));
        QVERIFY(writeLinesRaw(tmp.filePath("res/menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(writeBytes(tmp.filePath("outside.rc"), "MENUITEM \"Theirs\"\r\n"));
        const QByteArray cafe = menu + "/caf\xE9.rc";
        // QTemporaryDir cannot list these names to remove them.
        const auto removeRaw = qScopeGuard([&] {
            ::unlink(cafe.constData());
            ::unlink((menu + "/b\xE9.rc").constData());
        });
        {
            QFile f;
            const int fd = ::open(cafe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0 && f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            QVERIFY(f.write("MENUITEM \"Save\"\n") > 0); // LF only: a save makes it CR LF
        }
        QCOMPARE(::symlink(QFile::encodeName(tmp.filePath("outside.rc")).constData(),
                           (menu + "/b\xE9.rc").constData()),
                 0);

        Stores s;
        const LoadResult r = loadResources(tmp.filePath("res"), s.all(), false);
        QCOMPARE(r.errors.size(), 1);
        const QString real = QFileInfo(tmp.filePath("outside.rc")).canonicalFilePath();
        QVERIFY2(r.errors[0].message().contains(real) && !r.errors[0].message().contains("()"),
                 qPrintable(r.errors[0].message()));
        QCOMPARE(s.menu.RowCount(), 4);
        QCOMPARE(s.menu.Text(3), QStringLiteral("Save"));
        s.menu.ReplaceText(3, QStringLiteral("Сохранить"));
        const SaveResult saved = saveResources(s.constAll());
        QVERIFY(saved.errors.isEmpty());
        QCOMPARE(saved.filesWritten, 2);

        QFile back;
        const int fd = ::open(cafe.constData(), O_RDONLY);
        QVERIFY(fd >= 0 && back.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(back.readAll(), cp1251Lines({"MENUITEM \"Сохранить\""}));
        QCOMPARE(readBytes(tmp.filePath("outside.rc")), QByteArray("MENUITEM \"Theirs\"\r\n"));
        QStringList names;
        DIR* d = ::opendir(menu.constData());
        while (const dirent* e = ::readdir(d))
            names << QString::fromLatin1(e->d_name);
        ::closedir(d);
        names.sort();
        QCOMPARE(names, (QStringList{".", "..", "a.rc", "b\u00E9.rc", "caf\u00E9.rc"}));
    }

    // A script turned into a link out of the tree after the load is not written
    // through at save time either.
    void saveChecksWhereTheScriptLies()
    {
        QTemporaryDir tmp;
        const QString script = tmp.filePath("res/menu/a.rc");
        QVERIFY(writeLinesRaw(script, {"MENUITEM \"Open\""}));
        const QByteArray outside = cp1251Lines({"theirs"});
        QVERIFY(writeBytes(tmp.filePath("outside.rc"), outside));
        Stores s;
        QVERIFY(loadResources(tmp.filePath("res"), s.all(), false).errors.isEmpty());
        QVERIFY(QFile::remove(script));
        QVERIFY(QFile::link(tmp.filePath("outside.rc"), script));
        const SaveResult r = saveResources(s.constAll());
        QCOMPARE(r.filesWritten, 0);
        QCOMPARE(r.errors.size(), 1);
        QCOMPARE(r.errors[0].path, script);
        QCOMPARE(readBytes(tmp.filePath("outside.rc")), outside);
        QVERIFY(QFileInfo(script).isSymLink());
    }

    // DepTrans.txt is the program's own file: a link at its name, into a script of
    // the tree or out of it, gives way to a new file and the file it led to stays.
    void depTransReplacesLinks_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("a script of the tree") << "res/menu/a.rc";
        QTest::newRow("a file outside") << "outside.rc";
    }
    void depTransReplacesLinks()
    {
        QFETCH(QString, target);
        QTemporaryDir tmp;
        QVERIFY(writeLinesRaw(tmp.filePath("res/menu/a.rc"), {"MENUITEM \"Open\""}));
        QVERIFY(writeLinesRaw(tmp.filePath("outside.rc"), {"theirs"}));
        const QByteArray before = readBytes(tmp.filePath(target));
        QVERIFY(QFile::link(tmp.filePath(target), tmp.filePath("res/DepTrans.txt")));
        ExportList phrases;
        phrases.Add("Open");
        QVERIFY(!writeDepTrans(tmp.filePath("res"), phrases));
        QCOMPARE(readBytes(tmp.filePath(target)), before);
        QVERIFY(!QFileInfo(tmp.filePath("res/DepTrans.txt")).isSymLink());
        QCOMPARE(readBytes(tmp.filePath("res/DepTrans.txt")), cp1251Lines({"Open"}));
    }

    // The scripts go back where they were read from: a resource directory swapped,
    // after the load, for a link to another one (or for another directory) is not written into.
    void saveGoesOnlyWhereItLoaded_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("link to another directory") << true;
        QTest::newRow("another directory at the same path") << false;
    }
    void saveGoesOnlyWhereItLoaded()
    {
        QFETCH(bool, link);
        QTemporaryDir tmp;
        const QString res = tmp.filePath("res");
        QVERIFY(writeLinesRaw(res + "/menu/a.rc", {"MENUITEM \"Open\""}));
        Stores s;
        QVERIFY(loadResources(res, s.all(), false).errors.isEmpty());
        s.menu.ReplaceText(1, "Открыть");
        const QByteArray theirs = cp1251Lines({"MENUITEM \"Theirs\""});
        QVERIFY(writeBytes(tmp.filePath("other/menu/a.rc"), theirs));
        QVERIFY(QDir().rename(res, tmp.filePath("moved")));
        if (link)
            QVERIFY(QFile::link(tmp.filePath("other"), res));
        else
            QVERIFY(QDir().rename(tmp.filePath("other"), res));
        const SaveResult r = saveResources(s.constAll());
        QCOMPARE(r.filesWritten, 0);
        QCOMPARE(r.errors.size(), 1);
        QCOMPARE(r.errors[0].path, res + "/menu/a.rc");
        QCOMPARE(readBytes(res + "/menu/a.rc"), theirs);
        QCOMPARE(readBytes(tmp.filePath("moved/menu/a.rc")), cp1251Lines({"MENUITEM \"Open\""}));
    }

    // A backup is a new regular file: a link at its name is replaced, and the
    // file it pointed to is left alone.
    void backupsReplaceLinks_data()
    {
        QTest::addColumn<QString>("backup");
        QTest::newRow("User.old") << "User.old";
        QTest::newRow("bi.old") << "bi.old";
    }
    void backupsReplaceLinks()
    {
        QFETCH(QString, backup);
        QTemporaryDir tmp;
        const QString dir = tmp.filePath("w");
        const QByteArray previous = cp1251Lines({"Open", "Открыть"});
        const QByteArray foreign = cp1251Lines({"not yours"});
        QVERIFY(writeBytes(tmp.filePath("foreign.txt"), foreign));
        QVERIFY(writeBytes(dir + "/User.dic", previous));
        QVERIFY(writeBytes(dir + "/bi.txt", previous));
        QVERIFY(QFile::link(tmp.filePath("foreign.txt"), dir + "/" + backup));
        if (backup == "User.old") {
            CurrentDictionary dictionary;
            QVERIFY(!LoadUserDictionary(dir, dictionary));
            dictionary.AppendEntry("Save", "Сохранить");
            QVERIFY(!SaveUserDic(dir, dictionary));
        } else {
            QVERIFY(!saveBilingualFile(dir + "/bi.txt", {"Save", "Сохранить"}));
        }
        QCOMPARE(readBytes(tmp.filePath("foreign.txt")), foreign);
        QVERIFY(!QFileInfo(dir + "/" + backup).isSymLink());
        QCOMPARE(readBytes(dir + "/" + backup), previous);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // The file's permissions survive the rename of a new file over it; a link the
    // user made to their own file stays a link and the file it leads to changes,
    // unless the write is a backup, which replaces the link itself.
    void writerKeepsModeAndLinks_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<int>("link");
        QTest::newRow("plain file") << false << int(LinkAtTarget::Follow);
        QTest::newRow("followed link") << true << int(LinkAtTarget::Follow);
        QTest::newRow("replaced link") << true << int(LinkAtTarget::Replace);
    }
    void writerKeepsModeAndLinks()
    {
        QFETCH(bool, throughLink);
        QFETCH(int, link);
        QTemporaryDir tmp;
        const QString file = tmp.filePath("file.txt");
        QVERIFY(writeBytes(file, "old\r\n"));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QString name = throughLink ? tmp.filePath("link.txt") : file;
        if (throughLink)
            QVERIFY(QFile::link(file, name));
        QVERIFY(!writeFileSafely(name, "new\r\n", [link] {
            SafeWriteOptions options;
            options.link = LinkAtTarget(link);
            return options;
        }()));
        QCOMPARE(readBytes(name), QByteArray("new\r\n"));
        const bool replaced = LinkAtTarget(link) == LinkAtTarget::Replace;
        QCOMPARE(QFileInfo(name).isSymLink(), throughLink && !replaced);
        QCOMPARE(readBytes(file), QByteArray(replaced ? "old\r\n" : "new\r\n"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0640u);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 throughLink ? 2 : 1);
    }

    // Content given as thousands of pieces (more than one gathered write takes, empty
    // ones among them) lands whole: in a new file made in place, over an old file, and
    // through a link at the name, which the in-place way must not take.
    void writerGathersPieces_data()
    {
        QTest::addColumn<QString>("there");
        QTest::addColumn<bool>("syncedLater");
        QTest::newRow("new file, synced later") << "" << true;
        QTest::newRow("old file replaced") << "file" << false;
        QTest::newRow("old file, synced later") << "file" << true;
        QTest::newRow("link at the name, synced later") << "link" << true;
    }
    void writerGathersPieces()
    {
        QFETCH(QString, there);
        QFETCH(bool, syncedLater);
        QTemporaryDir tmp;
        const QString name = tmp.filePath("out.bin"), target = tmp.filePath("target.bin");
        QVERIFY(putAtName(there, name, target));
        // Among them parts of another open file, one longer than a chunk of its copying.
        QByteArray source(600 * 1024, '\0');
        for (qsizetype i = 0; i < source.size(); ++i)
            source[i] = char(i * 7 / 5);
        QVERIFY(writeBytes(tmp.filePath("source.bin"), source));
        QFile from(tmp.filePath("source.bin"));
        QVERIFY(from.open(QIODevice::ReadOnly));
        QList<ContentPiece> pieces;
        QByteArray whole;
        for (int i = 0; i < 3000; ++i) {
            const qint64 at = i * 97 % 1000, size = i == 1500 ? source.size() - 1000 : i % 13;
            pieces << (i % 100 == 0 ? ContentPiece::ofFile(&from, at, size)
                                    : ContentPiece(QByteArray(i % 7, char('a' + i % 26))));
            whole += i % 100 == 0 ? source.mid(at, size) : pieces.last().bytes;
        }
        SafeWriteOptions options;
        options.newFileSyncedLater = syncedLater;
        const std::optional<FileError> failed = writeFileSafely(name, pieces, options);
        QVERIFY2(!failed, qPrintable(failed ? failed->message() : QString()));
        QCOMPARE(readBytes(name), whole);
        QCOMPARE(QFileInfo(name).isSymLink(), there == "link");
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 there == "link" ? 3 : 2);
    }

    // A file written a part at a time: made only where nothing is, rewritten from
    // its start, and taken away again unless finished.
    void newFileWriter_data()
    {
        QTest::addColumn<QString>("there");
        QTest::addColumn<QStringList>("steps"); // "+bytes": append, "=bytes": read back, replace
        QTest::addColumn<bool>("finished");
        QTest::addColumn<QByteArray>("content"); // at the name afterwards; "-": nothing there
        QTest::newRow("parts") << "" << QStringList{"+abc", "+", "+def"} << true << QByteArray("abcdef");
        QTest::newRow("rewritten shorter")
            << "" << QStringList{"+abcdef", "=XY", "+z"} << true << QByteArray("XYz");
        QTest::newRow("nothing appended") << "" << QStringList{} << true << QByteArray("");
        QTest::newRow("not finished") << "" << QStringList{"+abc"} << false << QByteArray("-");
        QTest::newRow("a file there") << "file" << QStringList{"+abc"} << true << QByteArray("old");
        QTest::newRow("a link there") << "link" << QStringList{"+abc"} << true << QByteArray("old");
    }
    void newFileWriter()
    {
        QFETCH(QString, there);
        QFETCH(QStringList, steps);
        QFETCH(bool, finished);
        QFETCH(QByteArray, content);
        QTemporaryDir tmp;
        const QString name = tmp.filePath("strings.rc"), target = tmp.filePath("target.rc");
        QVERIFY(putAtName(there, name, target));
        std::optional<FileError> failed;
        {
            NewFileWriter writer(name);
            QByteArray written;
            for (const QString& step : steps) {
                const QByteArray bytes = step.mid(1).toUtf8();
                if (step.startsWith(u'+')) {
                    failed = writer.append(bytes);
                    written += bytes;
                } else {
                    QByteArray back;
                    QVERIFY(!writer.readBack(back));
                    QCOMPARE(back, written);
                    QVERIFY(!writer.replace(bytes));
                    written = bytes;
                }
                if (failed)
                    break;
            }
            if (finished && !failed)
                failed = writer.finish();
        }
        QCOMPARE(bool(failed), !there.isEmpty());
        if (failed)
            QCOMPARE(failed->reason, reasonForErrno(EEXIST));
        QCOMPARE(QFileInfo::exists(name), content != "-");
        if (content != "-")
            QCOMPARE(readBytes(there == "link" ? target : name), content);
        QCOMPARE(QFileInfo(name).isSymLink(), there == "link");
    }

    // Every byte value, NUL included, survives a load and a save.
    void binaryFileRoundTrips()
    {
        QTemporaryDir tmp;
        QByteArray bytes;
        for (int round = 0; round < 3; ++round)
            for (int b = 0; b < 256; ++b)
                if (b != '\r' && b != '\n' && b != '&')
                    bytes.append(char(b));
        bytes = "  Caption = '" + bytes + "'\r\n" + bytes + "\r\n";
        QVERIFY(writeBytes(tmp.filePath("rcdata/bin.txt"), bytes));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(r.errors.isEmpty());
        QCOMPARE(s.rcdata.RowCount(), 3);
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath("rcdata/bin.txt")), bytes);
    }

    void hugeLineAndManyLines()
    {
        QTemporaryDir tmp;
        QByteArray line = "IDS_BIG \"";
        line.append(QByteArray(50 * 1024 * 1024, 'x'));
        line.append("\"\r\n");
        QVERIFY(writeBytes(tmp.filePath("string/big.rc"), line));
        QByteArray many;
        many.reserve(200000 * 24);
        for (int i = 0; i < 200000; ++i)
            many += "MENUITEM \"Item " + QByteArray::number(i) + " Text\"\r\n";
        QVERIFY(writeBytes(tmp.filePath("menu/many.rc"), many));
        Stores s;
        const LoadResult r = loadResources(tmp.path(), s.all(), false);
        QVERIFY(r.errors.isEmpty());
        QCOMPARE(s.menu.RowCount(), 200001);
        QCOMPARE(s.menu.Text(200000), QStringLiteral("Item 199999 Text"));
        QCOMPARE(s.string.Text(1).size(), 50 * 1024 * 1024);
        QVERIFY(saveResources(s.constAll()).errors.isEmpty());
        QCOMPARE(readBytes(tmp.filePath("string/big.rc")), line);
        QCOMPARE(readBytes(tmp.filePath("menu/many.rc")), many);
    }
};

QTEST_GUILESS_MAIN(HostileTest)
#include "tst_hostile.moc"
