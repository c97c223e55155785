// Scripts in every encoding, through the real loader, translation and saver, against
// golden files of real bytes (tests/data/encodings).
#include "TestUtil.h"
#include "project/Project.h"
#include "workbench/AutoTranslation.h"
#include "workspace/ResourceSaver.h"

#include <QDirIterator>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

QString golden(const QString& rel) { return QStringLiteral(KVARSEL_TEST_DATA "/encodings/") + rel; }

// Every row of every kind, the marker's path made relative, so stores loaded from
// different directories compare; the scripts only the UTF encodings can hold are left out.
QStringList rowsOf(const Project& state, const QString& res)
{
    QStringList rows;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = state.store(kind);
        bool skip = false;
        for (qsizetype i = 0; i < store.RowCount(); ++i) {
            if (store.IsFileMarker(i)) {
                skip = store.MarkerPath(i).endsWith(QStringLiteral("wide.rc"));
                if (!skip)
                    rows << QStringLiteral("marker ") + QDir(res).relativeFilePath(store.MarkerPath(i));
            } else if (!skip) {
                rows << store.Head(i) + u'|' + store.Text(i) + u'|' + store.Tail(i);
            }
        }
    }
    return rows;
}

// The files of `dir`, relative path to bytes.
QMap<QString, QByteArray> filesOf(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(dir).relativeFilePath(path)] = readBytes(path);
    }
    return files;
}

struct Loaded {
    QTemporaryDir tmp;
    QString res, work;
    Project state;
    LoadResult result;
    explicit Loaded(const QString& name) : res(tmp.filePath("res")), work(tmp.filePath("work")), state(work)
    {
        copyTree(golden(name + "/res"), res);
        copyTree(golden("work"), work);
        state.setConnectedDictionaries({work + "/a.dic"});
        state.setHideMode(HideMode::Show);
        result = loadResources(res, state.stores(), false);
    }
};

} // namespace

class EncodingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameWorkspaceInEveryEncoding_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("Windows-1251") << "cp1251" << TextEncoding::Windows1251;
        QTest::newRow("UTF-8") << "utf8" << TextEncoding::Utf8;
        QTest::newRow("UTF-8 BOM") << "utf8bom" << TextEncoding::Utf8Bom;
        QTest::newRow("UTF-16LE") << "utf16le" << TextEncoding::Utf16Le;
        QTest::newRow("UTF-16BE") << "utf16be" << TextEncoding::Utf16Be;
    }
    void sameWorkspaceInEveryEncoding()
    {
        QFETCH(QString, name);
        QFETCH(TextEncoding, encoding);
        Loaded reference("cp1251");
        Loaded l(name);
        QVERIFY(l.result.errors.isEmpty());
        QCOMPARE(rowsOf(l.state, l.res), rowsOf(reference.state, reference.res));
        for (const ResourceKind kind : kAllKinds) {
            const LineStore& store = l.state.store(kind);
            for (qsizetype i = 0; i < store.RowCount(); ++i) {
                if (!store.IsFileMarker(i))
                    continue;
                // An empty file without a mark has no encoding to show: it is Windows-1251.
                const bool bare = QFileInfo(store.MarkerPath(i)).size() == 0;
                QCOMPARE(store.MarkerEncoding(i), bare ? TextEncoding::Windows1251 : encoding);
            }
        }

        // Unchanged, every script comes back byte for byte (the empty one as just its mark).
        QCOMPARE(saveResources(std::as_const(l.state).stores()).errors.size(), 0);
        QCOMPARE(filesOf(l.res), filesOf(golden(name + "/res")));

        // Translated, each takes the same translations, in its own encoding.
        const AutoTranslationResult run = runAutomaticTranslation(l.state, false);
        QVERIFY(run.ran && run.errors.isEmpty());
        runAutomaticTranslation(reference.state, false);
        QCOMPARE(rowsOf(l.state, l.res), rowsOf(reference.state, reference.res));
        QCOMPARE(saveResources(std::as_const(l.state).stores()).errors.size(), 0);
        QCOMPARE(filesOf(l.res), filesOf(golden(name + "/expected")));
    }

    void brokenScriptIsUnreadable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("UTF-16LE odd byte") << "odd-le.rc"
                                           << "нечётное число байтов";
        QTest::newRow("UTF-16BE odd byte") << "odd-be.rc"
                                           << "нечётное число байтов";
        QTest::newRow("lone high surrogate") << "lone-high-le.rc"
                                             << "непарный суррогат (байт 32)";
        QTest::newRow("lone low surrogate") << "lone-low-be.rc"
                                            << "непарный суррогат (байт 22)";
        QTest::newRow("Windows-1251 after a UTF-8 mark") << "bad-utf8.rc"
                                                         << "не являются текстом UTF-8 (байт 40)";
    }
    void brokenScriptIsUnreadable()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QTemporaryDir tmp;
        const QString broken = tmp.filePath("res/menu/" + file);
        const QByteArray bytes = readBytes(golden("broken/" + file));
        QVERIFY(writeBytes(broken, bytes));
        QVERIFY(writeLinesRaw(tmp.filePath("res/menu/zz.rc"), {"MENUITEM \"Open\""}));
        Stores s;
        const LoadResult loaded = loadResources(tmp.filePath("res"), s.all(), false);
        QCOMPARE(loaded.errors.size(), 1);
        QCOMPARE(loaded.errors[0].path, broken);
        QVERIFY2(loaded.errors[0].reason.contains(reason), qPrintable(loaded.errors[0].reason));
        // Not half read: the file has no rows, so saving leaves it alone.
        QCOMPARE(s.menu.RowCount(), 2);
        QCOMPARE(s.menu.MarkerPath(0), tmp.filePath("res/menu/zz.rc"));
        s.menu.ReplaceText(1, QStringLiteral("Открыть"));
        QCOMPARE(saveResources(s.constAll()).filesWritten, 1);
        QCOMPARE(readBytes(broken), bytes);
    }
};

QTEST_GUILESS_MAIN(EncodingsTest)
#include "tst_encodings.moc"
