#include "settings/SettingsFile.h"

#include "dictionary/DictionaryFiles.h"
#include "text/SafeWrite.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

SplitOptions Settings::splitOptions() const
{
    return SplitOptions{autoHideRussianString, keepAccelerators, translateControlTexts};
}

bool Settings::asksReload(const SplitOptions& loaded) const
{
    return loaded.keepAccelerators != keepAccelerators ||
           loaded.translateControlTexts != translateControlTexts;
}

bool Settings::anythingConnected() const
{
    return (userDictionaryExists && userDictionaryFirst) || marked.contains(true);
}

QStringList dictionaryFileNames(const QString& workDir)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(workDir).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries)
        if (entry.fileName().endsWith(QStringLiteral(".dic"), Qt::CaseInsensitive) &&
            entry.fileName().size() > 4)
            names << entry.fileName();
    return names;
}

QString workingFileAt(const QString& path, const QString& workDir)
{
    const QString real = realFilePath(path);
    if (real.isEmpty())
        return QString();
    const QDir dir(workDir);
    const auto same = [&real](const QString& other) {
        const QString otherReal = realFilePath(other);
        return !otherReal.isEmpty() && otherReal.compare(real, Qt::CaseInsensitive) == 0;
    };
    if (same(dir.filePath(QStringLiteral("User.dic"))))
        return QStringLiteral("словарь пользователя");
    if (same(dir.filePath(QStringLiteral("User.old"))))
        return QStringLiteral("резервная копия словаря пользователя");
    if (same(dir.filePath(settings_keys::kFileName)))
        return QStringLiteral("файл настроек");
    for (const QString& name : dictionaryFileNames(workDir))
        if (same(dir.filePath(name)))
            return QStringLiteral("словарь");
    return QString();
}

SettingsLoad loadSettings(const QString& workDir)
{
    SettingsLoad load;
    Settings& s = load.settings;
    const QDir dir(workDir);
    const QString userPath = findUserDictionary(workDir);
    s.userDictionaryExists = !userPath.isEmpty();

    const QStringList names = dictionaryFileNames(workDir);
    load.noDictionaryFiles = names.isEmpty();
    for (const QString& name : names)
        if (!isUserDictionaryFile(name))
            s.availableDictionaries << name;
    s.marked = QList<bool>(s.availableDictionaries.size(), false);

    const QString iniPath = fileInDirIgnoringCase(workDir, settings_keys::kFileName);
    if (!QFileInfo::exists(iniPath))
        return load;
    // The settings file is Windows-1251 only: its bytes are never taken for another encoding.
    const LinesRead read = readLinesAs(iniPath, TextEncoding::Windows1251);
    if (!read.ok()) {
        load.error = read.error;
        return load;
    }
    load.linesRead = read.lines.size();
    // Each test is applied to every line on its own, so one line may match several.
    for (const QString& line : read.lines) {
        const QString lower = line.toLower();
        if (lower == QStringLiteral("user.dic")) {
            s.userDictionaryFirst = true;
            if (s.userDictionaryExists)
                load.connectedDictionaries << userPath;
        }
        if (line == settings_keys::kAutoHideTranslate)
            s.autoHideTranslateString = true;
        if (line == settings_keys::kAutoHideRussian)
            s.autoHideRussianString = true;
        if (line == settings_keys::kKeepAccelerators)
            s.keepAccelerators = true;
        if (line == settings_keys::kTranslateControlTexts)
            s.translateControlTexts = true;
        bool found = false;
        for (qsizetype i = 0; i < s.availableDictionaries.size(); ++i) {
            if (s.availableDictionaries[i].toLower() == lower) {
                s.marked[i] = true;
                found = true;
                load.connectedDictionaries << dir.filePath(s.availableDictionaries[i]);
            }
        }
        // A dictionary renamed or deleted since it was connected would otherwise
        // simply stop translating; User.dic is made by the first save, so its line
        // before that is no fault.
        if (!found && lower.endsWith(QStringLiteral(".dic")) && lower.size() > 4 &&
            !isUserDictionaryFile(line) && !load.missingDictionaries.contains(line))
            load.missingDictionaries << line;
    }
    return load;
}

QString missingDictionariesText(const QStringList& missing)
{
    if (missing.isEmpty())
        return QString();
    return QStringLiteral(
               "В файле %1 указаны словари, которых нет в рабочем каталоге (они не подключены): %2")
        .arg(settings_keys::kFileName, missing.join(QStringLiteral(", ")));
}

QStringList settingsLines(const Settings& settings)
{
    QStringList lines;
    if (settings.autoHideTranslateString)
        lines << settings_keys::kAutoHideTranslate;
    if (settings.userDictionaryFirst)
        lines << settings_keys::kUserDictionary;
    if (settings.autoHideRussianString)
        lines << settings_keys::kAutoHideRussian;
    // Written only when set, so a file without them reads as it always did.
    if (settings.keepAccelerators)
        lines << settings_keys::kKeepAccelerators;
    if (settings.translateControlTexts)
        lines << settings_keys::kTranslateControlTexts;
    for (qsizetype i = 0; i < settings.availableDictionaries.size(); ++i)
        if (settings.marked.value(i))
            lines << settings.availableDictionaries[i];
    return lines;
}

std::optional<FileError> writeSettings(const QString& workDir, const Settings& settings)
{
    return writeLines(fileInDirIgnoringCase(workDir, settings_keys::kFileName), settingsLines(settings));
}

QStringList connectedAfterOk(const QString& workDir, const Settings& settings)
{
    QStringList connected;
    const QDir dir(workDir);
    if (settings.userDictionaryExists && settings.userDictionaryFirst)
        connected << findUserDictionary(workDir);
    for (qsizetype i = 0; i < settings.availableDictionaries.size(); ++i)
        if (settings.marked.value(i))
            connected << dir.filePath(settings.availableDictionaries[i]);
    return connected;
}

} // namespace kvarsel
