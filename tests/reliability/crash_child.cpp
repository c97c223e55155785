// Saves one kind of file and is meant to be killed while it does: tst_killsave
// starts it, waits for "saving", kills it with SIGKILL at a random moment and
// checks that every file is whole. Run to its end, it writes the "new" version.
//
//   kvarsel_crash_child scripts|userdic|settings|deptrans|bilingual PATH
//
// With "hold" it takes the directory PATH as a running copy of the program does,
// says "held" and waits to be killed.
#include "deferred/BilingualFile.h"
#include "deferred/DeferredExport.h"
#include "deferred/ExportList.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SaveUserDic.h"
#include "settings/SettingsFile.h"
#include "workspace/DirectoryLock.h"
#include "workspace/ResourceSaver.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

using namespace kvarsel;

static void saving()
{
    std::printf("saving\n");
    std::fflush(stdout);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    std::optional<FileError> error;
    if (mode == "scripts") {
        LineStore m(ResourceKind::Menu), d(ResourceKind::Dialog), s(ResourceKind::String),
            r(ResourceKind::RcData);
        loadResources(path, {&m, &d, &s, &r}, false);
        for (LineStore* store : {&m, &d, &s, &r})
            for (qsizetype i = 0; i < store->RowCount(); ++i)
                if (!store->Text(i).isEmpty())
                    store->ReplaceText(i, store->Text(i) + QStringLiteral(" новое"));
        saving();
        const SaveResult result = saveResources({&m, &d, &s, &r});
        if (!result.errors.isEmpty())
            error = result.errors.first();
    } else if (mode == "hold") {
        const DirectoryLock lock(path);
        std::printf(lock.state() == DirectoryLock::State::Held ? "held\n" : "refused\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    } else if (mode == "userdic") {
        CurrentDictionary dictionary;
        LoadUserDictionary(path, dictionary);
        for (int i = 0; i < 20000; ++i)
            dictionary.AppendEntry(QStringLiteral("Phrase %1").arg(i), QStringLiteral("Фраза %1").arg(i));
        saving();
        error = SaveUserDic(path, dictionary);
    } else if (mode == "settings") {
        Settings settings = loadSettings(path).settings;
        settings.autoHideTranslateString = !settings.autoHideTranslateString;
        settings.marked.fill(true);
        saving();
        error = writeSettings(path, settings);
    } else if (mode == "deptrans") {
        ExportList list;
        for (int i = 0; i < 50000; ++i)
            list.Add(QStringLiteral("Phrase number %1 new").arg(i));
        saving();
        error = writeDepTrans(path, list);
    } else if (mode == "bilingual") {
        QStringList entries = readBilingualFile(path).entries;
        entries = entries.mid(2); // one pair accepted
        saving();
        error = saveBilingualFile(path, entries);
    } else {
        return 2;
    }
    if (error) {
        std::fprintf(stderr, "%s\n", qPrintable(error->message()));
        return 1;
    }
    std::printf("done\n");
    return 0;
}
