#include "program/ProgramFiles.h"

#include "program/FormScripts.h"
#include "program/PeFile.h"
#include "program/ResFile.h"
#include "program/ResourceScripts.h"
#include "settings/SettingsFile.h"
#include "text/Encoding.h"
#include "text/FileIdentity.h"
#include "text/SafeWrite.h"
#include "text/Sha256.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <future>
#include <map>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kvarsel {

namespace {

bool isTextType(const ResourceKey& type)
{
    return type.isNumber() && (type.id == ResourceType::Menu || type.id == ResourceType::Dialog ||
                               type.id == ResourceType::String);
}

QString quoted(const QString& path) { return QStringLiteral("«%1»").arg(QDir::toNativeSeparators(path)); }

// Primary languages a user may name instead of a number.
quint16 primaryNamed(const QString& name)
{
    static const std::map<QString, quint16> names = {
        {QStringLiteral("neutral"), 0x00}, {QStringLiteral("zh"), 0x04}, {QStringLiteral("cs"), 0x05},
        {QStringLiteral("da"), 0x06},      {QStringLiteral("de"), 0x07}, {QStringLiteral("el"), 0x08},
        {QStringLiteral("en"), 0x09},      {QStringLiteral("es"), 0x0a}, {QStringLiteral("fi"), 0x0b},
        {QStringLiteral("fr"), 0x0c},      {QStringLiteral("hu"), 0x0e}, {QStringLiteral("it"), 0x10},
        {QStringLiteral("ja"), 0x11},      {QStringLiteral("ko"), 0x12}, {QStringLiteral("nl"), 0x13},
        {QStringLiteral("no"), 0x14},      {QStringLiteral("pl"), 0x15}, {QStringLiteral("pt"), 0x16},
        {QStringLiteral("ru"), 0x19},      {QStringLiteral("sv"), 0x1d}, {QStringLiteral("tr"), 0x1f},
        {QStringLiteral("uk"), 0x22},      {QStringLiteral("be"), 0x23}};
    const auto found = names.find(name.toLower());
    return found == names.end() ? 0xffff : found->second;
}

QString languagesText(const QList<quint16>& languages)
{
    QStringList parts;
    for (const quint16 l : languages)
        parts << languageText(l);
    return parts.join(QStringLiteral(", "));
}

// Of the languages with primary language `primary`: the default sub-language
// first, then the neutral one, then the lowest.
std::optional<quint16> bestOfPrimary(const QList<quint16>& languages, quint16 primary)
{
    for (const quint16 preferred : {quint16(0x0400 | primary), primary})
        if (languages.contains(preferred))
            return preferred;
    for (const quint16 l : languages)
        if ((l & 0x3ff) == primary)
            return l;
    return std::nullopt;
}

// A name no other script of its directory has, ignoring case (so it also holds on
// file systems that ignore case).
QString uniqueName(const QString& base, QSet<QString>& taken)
{
    QString name = base.isEmpty() ? QStringLiteral("resource") : base;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = base + u'_' + QString::number(n);
    taken.insert(name.toLower());
    return name;
}

// The read, write and run bits of an open file (never set-user and the like); a new
// file's own where the system has none.
int fileModeOf(QFile& file)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::fstat(file.handle(), &st) == 0)
        return int(st.st_mode & 0777);
#endif
    return 0666;
}

bool holdsScripts(const QString& resourceDir)
{
    const QDir dir(resourceDir);
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const ResourceKind kind : kAllKinds)
            if (sub.fileName().compare(kindInfo(kind).subDir, Qt::CaseInsensitive) == 0 &&
                !QDir(sub.filePath()).entryList(QDir::Files).isEmpty())
                return true;
    return false;
}

// The string tables' one script, streamed into its file as it is made; the file
// and its directory are made with the first part. A file an earlier unpacking
// left there is kept as it is, and the parts are let go.
class StreamedScriptFile final : public ScriptOutput {
public:
    StreamedScriptFile(const QDir& top, const QString& file, bool keep)
        : m_top(top), m_file(file),
          m_writer(keep ? std::nullopt : std::optional<NewFileWriter>(top.filePath(file)))
    {
    }
    bool append(QByteArrayView bytes) override
    {
        if (!m_writer)
            return true;
        if (!m_started) {
            const QString dir = QFileInfo(m_file).path();
            if (!m_top.mkpath(dir)) {
                failure = QStringLiteral("Не удалось создать каталог %1").arg(quoted(m_top.filePath(dir)));
                return false;
            }
            m_started = true;
        }
        return succeeded(m_writer->append(bytes));
    }
    bool readBack(QByteArray& bytes) override { return !m_writer || succeeded(m_writer->readBack(bytes)); }
    bool replace(QByteArrayView bytes) override { return !m_writer || succeeded(m_writer->replace(bytes)); }
    bool finish() { return !m_writer || succeeded(m_writer->finish()); }
    bool keeps() const { return !m_writer; }

    QString failure;

private:
    bool succeeded(const std::optional<FileError>& failed)
    {
        if (failed)
            failure = failed->message();
        return !failed;
    }

    QDir m_top;
    QString m_file;
    std::optional<NewFileWriter> m_writer;
    bool m_started = false;
};

} // namespace

SourceResources readSourceResources(const QString& path, const QByteArray& bytes, ResourceData how)
{
    SourceResources result;
    if (looksLikeRes(bytes)) {
        result.kind = SourceKind::Res;
        ResResources res = readResFile(bytes, how);
        result.resources = std::move(res.resources);
        result.error = res.error;
    } else if (looksLikePe(bytes)) {
        PeResources pe = readPeResources(bytes, how);
        result.resources = std::move(pe.resources);
        result.error = pe.error;
    } else {
        result.error = bytes.size() < 64 && bytes.startsWith("MZ")
                           ? QStringLiteral("файл обрезан")
                           : QStringLiteral("это не программа Windows (PE) и не файл ресурсов .res");
    }
    if (!result.error.isEmpty())
        result.error =
            QStringLiteral("Не удалось прочитать ресурсы файла %1: %2").arg(quoted(path), result.error);
    return result;
}

QString unknownLanguage(const QString& wanted)
{
    bool isNumber = false;
    const uint number = wanted.toUInt(&isNumber, 0);
    if (isNumber && number > 0xffff)
        return QStringLiteral("номер языка «%1» больше 0xFFFF").arg(wanted);
    if (!isNumber && primaryNamed(wanted) == 0xffff)
        return QStringLiteral("неизвестный язык «%1»: укажите номер (например 0x0409) или двухбуквенное имя "
                              "(en, de, fr…)")
            .arg(wanted);
    return QString();
}

LanguageChoice chooseLanguage(const QList<Resource>& resources, const QString& wanted)
{
    LanguageChoice choice;
    QList<quint16> languages;
    for (const Resource& r : resources)
        if ((isTextType(r.type) || isFormResource(r)) && !languages.contains(r.language))
            languages << r.language;
    std::sort(languages.begin(), languages.end());
    if (languages.isEmpty()) {
        choice.error = QStringLiteral("в файле нет меню, диалогов и таблиц строк");
        return choice;
    }
    if (!wanted.isEmpty()) {
        bool isNumber = false;
        const uint number = wanted.toUInt(&isNumber, 0);
        if (isNumber && number <= 0xffff && languages.contains(quint16(number))) {
            choice.language = quint16(number);
            return choice;
        }
        if (const QString unknown = unknownLanguage(wanted); !unknown.isEmpty()) {
            choice.error = unknown;
            return choice;
        }
        const quint16 primary = isNumber ? 0xffff : primaryNamed(wanted);
        if (const std::optional<quint16> found =
                isNumber ? std::nullopt : bestOfPrimary(languages, primary)) {
            choice.language = *found;
            return choice;
        }
        choice.error = QStringLiteral("в файле нет текстов на языке «%1»; есть языки: %2")
                           .arg(wanted, languagesText(languages));
        return choice;
    }
    if (const std::optional<quint16> english = bestOfPrimary(languages, 0x09)) {
        choice.language = *english;
    } else if (const std::optional<quint16> neutral = bestOfPrimary(languages, 0x00)) {
        choice.language = *neutral;
    } else if (languages.size() == 1) {
        choice.language = languages.first();
    } else {
        choice.error = QStringLiteral("в файле нет английских текстов, а языков несколько (%1): укажите "
                                      "нужный параметром --language")
                           .arg(languagesText(languages));
    }
    return choice;
}

RecordRead readRecordOf(const QString& resourceDir, bool* exists)
{
    RecordRead read;
    QString path;
    // Matched ignoring case, as every name in a resource directory.
    for (const QString& name : QDir(resourceDir).entryList(QDir::Files))
        if (name.compare(kRecordFileName, Qt::CaseInsensitive) == 0)
            path = QDir(resourceDir).filePath(name);
    if (exists)
        *exists = !path.isEmpty();
    if (path.isEmpty()) {
        read.error = QStringLiteral("В каталоге %1 нет файла %2: каталог не получен распаковкой программы")
                         .arg(quoted(resourceDir), kRecordFileName);
        return read;
    }
    QByteArray bytes;
    if (const std::optional<FileError> failed = readFileBytes(path, bytes)) {
        read.error = failed->message();
        return read;
    }
    read = parseRecord(bytes);
    if (!read.error.isEmpty())
        read.error = QStringLiteral("Файл %1 повреждён: %2").arg(quoted(path), read.error);
    return read;
}

QString packOutputRefusal(const QString& output, const QString& resourceDir, const QString& workDir)
{
    const QString real = realFilePath(output);
    if (real.isEmpty())
        return QString();
    const auto refusal = [&output](const QString& what) {
        return QStringLiteral("Файл %1 — %2: запишите перевод в другой файл").arg(quoted(output), what);
    };
    const QString top = realFilePath(resourceDir);
    if (!top.isEmpty()) {
        const QString inside = QDir(top).relativeFilePath(real);
        if (inside.compare(kRecordFileName, Qt::CaseInsensitive) == 0)
            return refusal(QStringLiteral("запись каталога ресурсов о том, откуда взяты его сценарии"));
        // A kind's sub-directory holds scripts only: whatever lies there is loaded as one.
        for (const ResourceKind kind : kAllKinds)
            if (inside.startsWith(kindInfo(kind).subDir + u'/', Qt::CaseInsensitive))
                return refusal(QStringLiteral("сценарий каталога ресурсов"));
    }
    for (const QString& dir : {workDir, QFileInfo(real).absolutePath()})
        if (const QString what = workingFileAt(real, dir); !dir.isEmpty() && !what.isEmpty())
            return refusal(what);
    return QString();
}

QString kindSubDir(const QDir& top, ResourceKind kind, QString& why)
{
    const QString own = kindInfo(kind).subDir;
    for (const QFileInfo& entry : top.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.fileName().compare(own, Qt::CaseInsensitive) != 0)
            continue;
        if (!liesWithin(entry.absoluteFilePath() + QStringLiteral("/x"), top.absolutePath())) {
            why =
                QStringLiteral("Каталог %1 — ссылка за пределы каталога ресурсов: сценарии в нём не были бы "
                               "загружены. Уберите ссылку или выберите другой каталог.")
                    .arg(quoted(entry.absoluteFilePath()));
            return QString();
        }
        return entry.fileName();
    }
    return own;
}

UnpackResult unpackProgram(const UnpackOptions& options, const ProgramProgress& progress)
{
    UnpackResult result;
    const auto refuse = [&result](const QString& error, int status = 1) {
        result.error = error;
        result.exitStatus = status;
        return result;
    };
    if (const QString why = unrecordablePath(options.program); !why.isEmpty())
        return refuse(why);
    WholeFile program;
    if (const std::optional<FileError> failed = program.read(options.program))
        return refuse(failed->message());
    const QByteArray& bytes = program.bytes();
    // The digest only reads the bytes: it is computed beside everything else and
    // waited for where it decides something (an earlier unpacking's record) or is
    // written (the new record).
    std::shared_future<QByteArray> hash =
        std::async(std::launch::async, [&bytes] { return Sha256::hexOf(bytes); }).share();
    // The resources stay views of `bytes`, which lives to the end: no second copy.
    SourceResources source = readSourceResources(options.program, bytes, ResourceData::ViewsOfFile);
    if (!source.error.isEmpty())
        return refuse(source.error);
    if (progress)
        progress(10);

    // An earlier unpacking of the same program keeps its scripts and its language.
    bool recorded = false;
    const RecordRead earlier = readRecordOf(options.resourceDir, &recorded);
    QString wanted = options.language;
    if (recorded) {
        if (!earlier.error.isEmpty())
            return refuse(earlier.error);
        if (earlier.record.sha256 != hash.get())
            return refuse(
                QStringLiteral("Каталог %1 уже содержит сценарии другой программы или другой версии этой "
                               "программы (%2). Распакуйте программу в новый каталог: переводы из User.dic "
                               "перенесёт автоматический перевод.")
                    .arg(quoted(options.resourceDir), quoted(earlier.record.path)));
        const LanguageChoice asked = chooseLanguage(source.resources, wanted);
        if (!wanted.isEmpty() && asked.error.isEmpty() && asked.language != earlier.record.language)
            return refuse(
                QStringLiteral("Каталог %1 уже содержит сценарии этой программы на языке %2, а не %3: "
                               "распакуйте другой язык в новый каталог")
                    .arg(quoted(options.resourceDir), languageText(earlier.record.language),
                         languageText(asked.language)));
        wanted = languageText(earlier.record.language);
    } else if (holdsScripts(options.resourceDir)) {
        return refuse(
            QStringLiteral("Каталог %1 уже содержит сценарии, взятые не из этой программы: выберите "
                           "новый или пустой каталог")
                .arg(quoted(options.resourceDir)));
    }

    const LanguageChoice choice = chooseLanguage(source.resources, wanted);
    if (!choice.error.isEmpty())
        return refuse(QStringLiteral("Файл %1: %2").arg(quoted(options.program), choice.error));
    result.language = choice.language;
    // Delphi and Lazarus programs keep their windows as forms in RCDATA.
    ScriptsFromResources forms = formScripts(source.resources, choice.language);
    // Filtered where they are: thousands of resources are not copied into a new list.
    source.resources.removeIf(
        [&](const Resource& r) { return !isTextType(r.type) || r.language != choice.language; });
    QList<Resource> chosen = std::move(source.resources);
    if (progress)
        progress(20);

    ProgramRecord record;
    record.source = source.kind;
    record.path = options.program;
    record.language = choice.language;
    // A script a menu or dialog, one for the string tables: the record's list grows once.
    qsizetype scripts = forms.scripts.size() + 1;
    for (const Resource& r : std::as_const(chosen))
        scripts += r.type.id != ResourceType::String;
    record.scripts.reserve(scripts);
    const QDir top(options.resourceDir);
    if (!top.mkpath(QStringLiteral(".")))
        return refuse(QStringLiteral("Не удалось создать каталог %1").arg(quoted(options.resourceDir)));
    std::map<ResourceKind, QString> subDirs;
    for (const ResourceKind kind : kAllKinds) {
        QString why;
        subDirs[kind] = kindSubDir(top, kind, why);
        if (subDirs[kind].isEmpty())
            return refuse(why);
    }
    // Each script is written as soon as it is made, so a large program is never
    // held in memory as text all at once.
    std::map<ResourceKind, QSet<QString>> taken;
    QSet<QString> madeDirs;
    QString failure;
    // The string tables' script, the largest by far, is written while it is made.
    const QString stringsFile =
        subDirs[ResourceKind::String] + u'/' +
        uniqueName(QStringView(kStringsScriptName).toString(), taken[ResourceKind::String]) +
        QStringLiteral(".rc");
    StreamedScriptFile strings(top, stringsFile, recorded && QFileInfo::exists(top.filePath(stringsFile)));
    qsizetype placed = 0;
    const qsizetype total = std::max<qsizetype>(1, chosen.size() + forms.scripts.size());
    const auto place = [&](UnpackedScript& script) {
        const QString subDir = subDirs[script.kind];
        const QString file =
            script.streamed
                ? stringsFile
                : subDir + u'/' + uniqueName(script.baseName, taken[script.kind]) +
                      (script.kind == ResourceKind::RcData ? QStringLiteral(".txt") : QStringLiteral(".rc"));
        RecordedScript entry;
        entry.kind = script.kind;
        entry.file = file;
        entry.resources.reserve(script.covers.size());
        for (Resource r : std::as_const(script.covers)) {
            r.data.clear();
            r.language = choice.language;
            entry.resources << std::move(r);
        }
        record.scripts << std::move(entry);
        placed += script.covers.size();
        if (progress)
            progress(20 + int(75 * std::min(placed, total) / total));
        const QString path = top.filePath(file);
        // The streamed file was looked for before any of it was written.
        if (script.streamed ? strings.keeps() : recorded && QFileInfo::exists(path)) {
            ++result.kept;
            return true;
        }
        if (script.streamed) {
            if (!strings.finish()) {
                failure = strings.failure;
                return false;
            }
            ++result.written;
            return true;
        }
        if (!madeDirs.contains(subDir)) {
            if (!top.mkpath(subDir)) {
                failure = QStringLiteral("Не удалось создать каталог %1").arg(quoted(top.filePath(subDir)));
                return false;
            }
            madeDirs.insert(subDir);
        }
        SafeWriteOptions newScript;
        newScript.newFileSyncedLater = true;
        const QByteArray encoded = script.bytes.isEmpty() ? scriptFileBytes(std::exchange(script.text, {}))
                                                          : std::exchange(script.bytes, {});
        if (const std::optional<FileError> failed = writeFileSafely(path, encoded, newScript)) {
            failure = failed->message();
            return false;
        }
        ++result.written;
        return true;
    };
    QStringList leftOut;
    bool going = forEachScriptFromResources(std::move(chosen), leftOut, place, &strings);
    if (!going && failure.isEmpty())
        failure = strings.failure;
    for (qsizetype i = 0; going && i < forms.scripts.size(); ++i)
        going = place(forms.scripts[i]);
    if (!going)
        return refuse(failure);
    for (const QString& left : std::as_const(leftOut) + forms.leftOut)
        result.notes << QStringLiteral("оставлен в программе как есть: ") + left;
    if (recorded && result.kept)
        result.notes << QStringLiteral("каталог уже содержал сценарии этой программы: %1 оставлены как были")
                            .arg(result.kept);
    // The scripts are on disk before the record says they are there.
    if (result.written)
        if (const std::optional<FileError> failed = syncFileSystemOf(options.resourceDir))
            return refuse(failed->message());
    record.sha256 = hash.get();
    const QString recordPath = top.filePath(kRecordFileName);
    const QByteArray recordBytes = recordText(record);
    QByteArray old;
    if (!recorded || readFileBytes(recordPath, old) || old != recordBytes)
        if (const std::optional<FileError> failed = writeFileSafely(recordPath, recordBytes))
            return refuse(failed->message());
    if (progress)
        progress(100);
    return result;
}

PackResult packProgram(const PackOptions& options, const ProgramProgress& progress)
{
    PackResult result;
    const auto refuse = [&result](const QString& error, int status = 1) {
        result.error = error;
        result.exitStatus = status;
        return result;
    };
    const RecordRead read = readRecordOf(options.resourceDir);
    if (!read.error.isEmpty())
        return refuse(read.error);
    const ProgramRecord& record = read.record;
    const FileIdentity original = identityOf(record.path);
    const FileIdentity target = identityOf(options.output);
    if ((target.isValid() && target == original) || realFilePath(options.output) == realFilePath(record.path))
        return refuse(QStringLiteral("Файл %1 — сама исходная программа: запишите перевод в другой файл")
                          .arg(quoted(options.output)),
                      2);
    if (const QString refusal = packOutputRefusal(options.output, options.resourceDir, options.workDir);
        !refusal.isEmpty())
        return refuse(refusal, 2);

    const QString changed =
        QStringLiteral("Программа %1 изменилась после распаковки: распакуйте её заново в новый каталог")
            .arg(quoted(record.path));
    QList<QString> failureOf(record.scripts.size());
    QList<QList<Resource>> madeOf(record.scripts.size());
    const QDir top(options.resourceDir);
    const auto compileOne = [&](qsizetype i, const QList<Resource>& programResources) {
        const RecordedScript& script = record.scripts[i];
        const QString path = top.filePath(script.file);
        QByteArray text;
        if (const std::optional<FileError> failed = readFileBytes(path, text)) {
            failureOf[i] = failed->message();
            return;
        }
        const DecodedText decoded = decodeText(text);
        text = QByteArray();
        if (!decoded.ok()) {
            failureOf[i] = QStringLiteral("%1: %2").arg(quoted(path), decoded.error);
            return;
        }
        CompiledScript made;
        if (script.kind == ResourceKind::RcData) {
            const Resource covered = script.resources.value(0);
            const auto original =
                std::find_if(programResources.cbegin(), programResources.cend(), [&](const Resource& r) {
                    return r.type == covered.type && r.name == covered.name && r.language == covered.language;
                });
            if (original == programResources.cend())
                made.error = QStringLiteral("в программе нет формы, из которой сделан этот сценарий");
            else
                made = compileFormScript(decoded.text, *original);
        } else {
            made = compileScript(script.kind, decoded.text);
        }
        if (!made.error.isEmpty()) {
            failureOf[i] = QStringLiteral("%1: %2").arg(quoted(path), made.error);
            return;
        }
        for (Resource& r : made.resources) {
            r.language = record.language;
            for (const Resource& covered : script.resources)
                if (covered.type == r.type && covered.name == r.name)
                    r.language = covered.language;
        }
        madeOf[i] = std::move(made.resources);
    };

    // The program first, read whole once: checked against the record, its resource
    // tree read, the forms compiled in its own value types, and what the new program
    // keeps of it taken. Then its bytes go: its unchanged parts are read again from
    // the open file as the new program is written, and a last check before the new
    // file takes its name makes sure the program is still the one checked here. So
    // the program and the compiled scripts are never in memory together.
    QFile program;
    WholeFile whole;
    if (const std::optional<FileError> failed = whole.read(record.path, program))
        return refuse(failed->message());
    const QByteArray& bytes = whole.bytes();
    if (Sha256::hexOf(bytes) != record.sha256)
        return refuse(changed);
    SourceResources source = readSourceResources(record.path, bytes, ResourceData::ViewsOfFile);
    if (!source.error.isEmpty())
        return refuse(source.error);
    for (qsizetype i = 0; i < record.scripts.size(); ++i)
        if (record.scripts[i].kind == ResourceKind::RcData)
            compileOne(i, source.resources);
    // A resource a script covers is replaced by what the script makes, so only where
    // its bytes lie is kept; the others are copied.
    const auto sameResource = [](const Resource& a, const Resource& b) {
        return a.type == b.type && a.name == b.name && a.language == b.language;
    };
    QList<std::pair<qint64, qint64>> coveredAt(source.resources.size(), {-1, 0}); // where, how long
    for (qsizetype i = 0; i < source.resources.size(); ++i) {
        Resource& r = source.resources[i];
        bool covered = false;
        for (qsizetype s = 0; s < record.scripts.size() && !covered; ++s)
            covered = std::any_of(record.scripts[s].resources.cbegin(), record.scripts[s].resources.cend(),
                                  [&](const Resource& c) { return sameResource(c, r); });
        if (covered) {
            coveredAt[i] = {r.data.constData() - bytes.constData(), r.data.size()};
            r.data = QByteArray();
        } else {
            r.data = QByteArray(r.data.constData(), r.data.size());
        }
    }
    std::optional<PeOriginal> pe;
    if (source.kind != SourceKind::Res)
        pe.emplace(bytes, &program);
    whole.release();

    // Each script compiled; every failure is named before anything is written. The
    // largest first, while little compiled data is held beside its text.
    QList<std::pair<qint64, qsizetype>> bySize;
    for (qsizetype i = 0; i < record.scripts.size(); ++i)
        if (record.scripts[i].kind != ResourceKind::RcData)
            bySize.append({-QFileInfo(top.filePath(record.scripts[i].file)).size(), i});
    std::sort(bySize.begin(), bySize.end());
    for (qsizetype n = 0; n < bySize.size(); ++n) {
        compileOne(bySize[n].second, {});
        if (progress)
            progress(int(80 * (n + 1) / bySize.size()));
    }
    QStringList failures;
    for (const QString& failure : std::as_const(failureOf))
        if (!failure.isEmpty())
            failures << failure;
    if (!failures.isEmpty())
        return refuse(QStringLiteral("Сценарии не собраны, программа не записана:\n") + failures.join(u'\n'));

    QList<Resource> resources = std::move(source.resources);
    QList<bool> replaced(resources.size(), false);
    for (QList<Resource>& made : madeOf) {
        for (Resource& r : made) {
            const quint16 language = options.addRussian ? kRussian : r.language;
            const auto same = std::find_if(resources.begin(), resources.end(), [&](const Resource& o) {
                return o.type == r.type && o.name == r.name && o.language == language;
            });
            const auto original = std::find_if(resources.cbegin(), resources.cend(),
                                               [&](const Resource& o) { return sameResource(o, r); });
            if (original != resources.cend()) {
                // What the tree and the .res keep beside the data stays as it was.
                QByteArray data = std::move(r.data);
                r = *original;
                r.data = std::move(data);
            }
            r.language = language;
            if (same != resources.end()) {
                replaced[same - resources.begin()] = true;
                *same = std::move(r);
                ++result.replaced;
            } else {
                resources << std::move(r);
                ++result.added;
            }
        }
        made = QList<Resource>();
    }
    // A covered resource no script makes any more (or kept beside the translation)
    // stays as it was: its bytes are read again.
    for (qsizetype i = 0; i < coveredAt.size(); ++i) {
        const auto [at, size] = coveredAt[i];
        if (at < 0 || replaced[i])
            continue;
        QByteArray& data = resources[i].data;
        if (const std::optional<FileError> failed =
                readPieces({ContentPiece::ofFile(&program, at, size)}, [&data](QByteArrayView chunk) {
                    data += chunk;
                    return true;
                }))
            return refuse(failed->message());
    }

    // The new program as pieces: the new tables and the compiled resources, the
    // rest read from the program as it is written, never joined in memory.
    QList<ContentPiece> out;
    if (source.kind == SourceKind::Res) {
        out << writeResFile(resources);
    } else {
        PeWritten written = replacePeResources(*pe, resources);
        if (!written.error.isEmpty())
            return refuse(QStringLiteral("Программа %1 не может быть записана: %2")
                              .arg(quoted(record.path), written.error));
        out = std::move(written.pieces);
        result.notes = written.notes;
    }
    if (progress)
        progress(90);
    SafeWriteOptions writing;
    // The copy runs like the program: a new file gets its permission bits, as cp gives them.
    writing.newFileMode = fileModeOf(program);
    writing.lastCheck = [&]() -> QString {
        Sha256 hash;
        if (const std::optional<FileError> failed = readPieces(
                {ContentPiece::ofFile(&program, 0, program.size())}, [&hash](QByteArrayView chunk) {
                    hash.addData(chunk);
                    return true;
                }))
            return failed->message();
        return hash.hexResult() == record.sha256 ? QString() : changed;
    };
    if (const std::optional<FileError> failed = writeFileSafely(options.output, out, writing))
        return refuse(failed->message());
    if (progress)
        progress(100);
    return result;
}

UnpackingFolder unpackingFolderFor(const QString& workDir, const QString& program)
{
    UnpackingFolder folder;
    // Only digested: read a piece at a time, never held whole.
    Sha256 digest;
    if (const std::optional<FileError> failed =
            readFilePieces(program, 1 << 20, [&digest](QByteArrayView piece) { digest.addData(piece); })) {
        folder.error = failed->message();
        return folder;
    }
    const QByteArray hash = digest.hexResult();
    const QDir dir(workDir);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        bool exists = false;
        const RecordRead read = readRecordOf(dir.filePath(name), &exists);
        if (exists && read.error.isEmpty() && read.record.sha256 == hash) {
            folder.path = dir.filePath(name);
            folder.earlier = true;
            return folder;
        }
    }
    const QString base = QFileInfo(program).fileName();
    QString name = base;
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("%1 (%2)").arg(base).arg(n);
    folder.path = dir.filePath(name);
    return folder;
}

QString defaultPackedName(const QString& program)
{
    const QFileInfo info(program);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".ru") + (suffix.isEmpty() ? QString() : u'.' + suffix));
}

} // namespace kvarsel
