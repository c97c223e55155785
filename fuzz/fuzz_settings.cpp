// A settings file of arbitrary bytes: only dictionaries of the working directory
// get connected, and what "OK" would write reads back to the same settings.
#include "FuzzSupport.h"
#include "settings/SettingsFile.h"

#include <QDir>

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QDir dir(fuzz::scratch().path());
    static const bool ready = [&dir] {
        for (const char* name : {"User.dic", "a.dic", "B.DIC", "ßtraße.dic"}) {
            QFile f(dir.filePath(QString::fromUtf8(name)));
            if (!f.open(QIODevice::WriteOnly))
                std::abort();
        }
        return true;
    }();
    Q_UNUSED(ready);
    fuzz::writeInput("velmora.ini", data, size);
    const SettingsLoad first = loadSettings(dir.path());
    FUZZ_CHECK(first.settings.availableDictionaries.size() == 3, dir.path());
    for (const QString& path : first.connectedDictionaries)
        FUZZ_CHECK(QFileInfo(path).absolutePath() == dir.absolutePath() && QFileInfo::exists(path), path);
    // What "OK" writes is read back as the same settings.
    FUZZ_CHECK(!writeSettings(dir.path(), first.settings), dir.path());
    const SettingsLoad second = loadSettings(dir.path());
    FUZZ_CHECK(second.settings.autoHideTranslateString == first.settings.autoHideTranslateString &&
                   second.settings.autoHideRussianString == first.settings.autoHideRussianString &&
                   second.settings.userDictionaryFirst == first.settings.userDictionaryFirst &&
                   second.settings.marked == first.settings.marked,
               settingsLines(first.settings).join(u'|'));
    FUZZ_CHECK(second.connectedDictionaries == connectedAfterOk(dir.path(), first.settings),
               settingsLines(first.settings).join(u'|'));
    return 0;
}
