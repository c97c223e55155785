#include "program/RcFiles.h"

#include "program/ProgramFiles.h"
#include "program/ProgramRecord.h"
#include "program/RcScript.h"
#include "text/SafeWrite.h"
#include "text/Sha256.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

using namespace Qt::Literals::StringLiterals;

namespace {

struct RecordedBlock {
    ResourceKind kind = ResourceKind::Menu;
    QString file; // relative, "/" between parts
    int block = 0, firstLine = 0, lastLine = 0;
};

struct RcRecord {
    QString path;
    QByteArray sha256;
    quint16 language = 0;
    QList<RecordedBlock> scripts;
};

QString kindWord(ResourceKind kind) { return kindInfo(kind).subDir.toLower(); }

QByteArray recordText(const RcRecord& record)
{
    QString text = u"# Кварсел: откуда взяты сценарии этого каталога\n"_s
                   u"kvarsel-source 1\nsource rc\npath "_s +
                   record.path + u"\nsha256 "_s + QString::fromLatin1(record.sha256) +
                   u"\nlanguage 0x%1\n"_s.arg(record.language, 4, 16, QLatin1Char('0'));
    for (const RecordedBlock& s : record.scripts)
        text += u"script %1 %2\nblock %3 %4 %5\n"_s.arg(kindWord(s.kind), s.file)
                    .arg(s.block)
                    .arg(s.firstLine + 1)
                    .arg(s.lastLine + 1);
    return text.toUtf8();
}

// The record, or the reason it is not one of a whole script's (with its line).
std::optional<RcRecord> parseRecord(const QByteArray& bytes, QString* error)
{
    RcRecord record;
    bool form = false, source = false;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype space = line.indexOf(u' ');
        const QString word = line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1);
        const QStringList parts = rest.split(u' ', Qt::SkipEmptyParts);
        bool ok = true;
        if (word == u"kvarsel-source") {
            form = rest == u"1";
            ok = form;
        } else if (word == u"source") {
            source = rest == u"rc";
            ok = source;
        } else if (word == u"path") {
            record.path = rest;
        } else if (word == u"sha256") {
            record.sha256 = rest.toLatin1();
        } else if (word == u"language") {
            record.language = quint16(rest.mid(2).toUInt(&ok, 16));
        } else if (word == u"script" && parts.size() == 2) {
            RecordedBlock s;
            ok = false;
            for (ResourceKind k : kAllKinds)
                if (kindWord(k) == parts[0]) {
                    s.kind = k;
                    ok = staysInside(parts[1]);
                }
            s.file = parts[1];
            record.scripts.append(s);
        } else if (word == u"block" && parts.size() == 3 && !record.scripts.isEmpty()) {
            bool a = false, b = false, c = false;
            RecordedBlock& s = record.scripts.last();
            s.block = parts[0].toInt(&a);
            s.firstLine = parts[1].toInt(&b) - 1;
            s.lastLine = parts[2].toInt(&c) - 1;
            ok = a && b && c;
        } else {
            ok = false;
        }
        if (!ok) {
            *error = u"строка %1 записи не читается: «%2»"_s.arg(i + 1).arg(line);
            return std::nullopt;
        }
    }
    if (!form || !source || record.path.isEmpty()) {
        *error = u"это запись не сценария ресурсов .rc"_s;
        return std::nullopt;
    }
    return record;
}

QString fileMessage(const QString& path, const QString& reason)
{
    return u"Файл «%1»: %2"_s.arg(path, reason);
}

} // namespace

RcUnpackResult unpackRcFile(const QString& rcPath, const QString& resourceDir, const QString& language)
{
    RcUnpackResult result;
    auto refuse = [&](const QString& error) {
        result.exitStatus = 1;
        result.error = error;
        return result;
    };
    const QString path = QFileInfo(rcPath).absoluteFilePath();
    if (const QString why = unrecordablePath(path); !why.isEmpty())
        return refuse(why);
    QByteArray bytes;
    if (const auto failure = readFileBytes(path, bytes))
        return refuse(failure->message());
    const RcScript script = RcScript::read(bytes);
    if (!script.error().isEmpty())
        return refuse(fileMessage(path, script.error()));
    QString why;
    const auto chosen = script.sourceLanguage(language, &why);
    if (!chosen)
        return refuse(fileMessage(path, why));
    result.language = *chosen;

    const QDir dir(resourceDir);
    const QString recordPath = dir.filePath(kRcRecordFileName);
    const QByteArray sha = Sha256::hexOf(bytes);
    bool earlier = false;
    if (QFileInfo::exists(recordPath)) {
        // Translations already made there are worth more than a fresh cut: the same
        // file unpacked again keeps them; another file would mix two works, and is refused.
        QByteArray old;
        if (const auto failure = readFileBytes(recordPath, old))
            return refuse(failure->message());
        const auto record = parseRecord(old, &why);
        if (!record || record->path != path || record->sha256 != sha || record->language != *chosen)
            return refuse(
                u"В каталоге «%1» уже распакован другой источник%2: распакуйте этот файл в новый каталог"_s
                    .arg(QDir::toNativeSeparators(resourceDir),
                         record ? u" («%1»)"_s.arg(QDir::toNativeSeparators(record->path)) : QString()));
        earlier = true;
    }

    RcRecord record{path, sha, *chosen, {}};
    const QList<RcCutScript> cut = cutRcScript(script, *chosen);
    QString subDirs[kKindCount];
    for (const ResourceKind kind : kAllKinds)
        if (subDirs[kindIndex(kind)] = kindSubDir(dir, kind, why); subDirs[kindIndex(kind)].isEmpty())
            return refuse(why);
    // Letters beyond ASCII where the file leaves the code page to the compiler are in one
    // only its author knows: read as Windows-1251, a Western "é" would be offered as "й".
    for (const RcCutScript& s : cut) {
        const RcBlock& b = script.blocks()[s.block];
        if (b.codePage != 1251 || script.saysCodePageAt(b.firstLine))
            continue;
        for (int line = b.firstLine; line <= b.lastLine; ++line) {
            const RcLine& l = script.lines()[line];
            if (!isAscii(QByteArrayView(bytes).sliced(l.begin, l.textEnd - l.begin)))
                return refuse(
                    FileError{QDir::toNativeSeparators(path),
                              u"буквы не из ASCII, а кодовая страница файла не указана; добавьте "
                              u"в его начало ту, в которой он написан, например #pragma code_page(1252)"_s,
                              line + 1}
                        .message());
        }
    }
    for (const RcCutScript& s : cut) {
        const QString file = subDirs[kindIndex(s.kind)] + u'/' + s.baseName + u".rc"_s;
        const RcBlock& b = script.blocks()[s.block];
        if (b.crowdedLine)
            result.notes
                << u"строка %1: тексты блока «%2» стоят на одной строке с его BEGIN или END, и "
                   u"окно их не предложит; разнесите операторы по строкам и распакуйте файл в новый каталог"_s
                       .arg(*b.crowdedLine + 1)
                       .arg(b.name.isEmpty() ? b.type : b.name);
        record.scripts.append({s.kind, file, s.block, b.firstLine, b.lastLine});
        const QString target = dir.filePath(file);
        if (QFileInfo::exists(target)) {
            if (!earlier)
                return refuse(
                    fileMessage(QDir::toNativeSeparators(target),
                                u"уже есть в каталоге и не из этого сценария; распакуйте в новый каталог"_s));
            ++result.kept;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            return refuse(fileMessage(QDir::toNativeSeparators(target), u"не удалось создать каталог"_s));
        SafeWriteOptions options;
        options.within = dir.absolutePath();
        if (const auto failure = writeFileSafely(target, s.bytes, options))
            return refuse(failure->message());
        ++result.written;
    }
    SafeWriteOptions options;
    options.within = dir.absolutePath();
    if (const auto failure = writeFileSafely(recordPath, recordText(record), options))
        return refuse(failure->message());
    return result;
}

bool recordsRcSource(const QString& resourceDir)
{
    QByteArray bytes;
    if (readFileBytes(QDir(resourceDir).filePath(kRcRecordFileName), bytes))
        return false;
    for (const QByteArray& line : bytes.split('\n'))
        if (line.trimmed() == "source rc")
            return true;
    return false;
}

RcPackResult packRcFile(const QString& resourceDir, const QString& output, bool addRussian,
                        const QString& workDir)
{
    RcPackResult result;
    auto refuse = [&](int status, const QString& error) {
        result.exitStatus = status;
        result.error = error;
        return result;
    };
    const QDir dir(resourceDir);
    const QString recordPath = dir.filePath(kRcRecordFileName);
    QByteArray recordBytes;
    if (const auto failure = readFileBytes(recordPath, recordBytes))
        return refuse(1, failure->message());
    QString why;
    const auto record = parseRecord(recordBytes, &why);
    if (!record)
        return refuse(1, fileMessage(QDir::toNativeSeparators(recordPath), why));
    const QString target = QFileInfo(output).absoluteFilePath();
    if (realFilePath(target) == realFilePath(record->path))
        return refuse(2, u"Файл «%1» — исходный сценарий: перевод записывается в другой файл"_s.arg(
                             QDir::toNativeSeparators(target)));
    if (const QString refusal = packOutputRefusal(target, resourceDir, workDir); !refusal.isEmpty())
        return refuse(2, refusal);
    QByteArray bytes;
    if (const auto failure = readFileBytes(record->path, bytes))
        return refuse(1, failure->message());
    if (Sha256::hexOf(bytes) != record->sha256)
        return refuse(
            1, fileMessage(QDir::toNativeSeparators(record->path),
                           u"изменился после распаковки в «%1»: распакуйте его заново в новый каталог"_s.arg(
                               QDir::toNativeSeparators(resourceDir))));
    const RcScript script = RcScript::read(bytes);
    if (!script.error().isEmpty())
        return refuse(1, fileMessage(QDir::toNativeSeparators(record->path), script.error()));
    QList<RcReplacement> replacements;
    for (const RecordedBlock& s : record->scripts) {
        const bool stands = s.block >= 0 && s.block < script.blocks().size() &&
                            script.blocks()[s.block].kind == s.kind &&
                            script.blocks()[s.block].firstLine == s.firstLine &&
                            script.blocks()[s.block].lastLine == s.lastLine;
        if (!stands)
            return refuse(1, fileMessage(QDir::toNativeSeparators(recordPath),
                                         u"блок сценария «%1» не найден в исходном файле"_s.arg(s.file)));
        RcReplacement r{s.block, {}};
        if (const auto failure = readFileBytes(dir.filePath(s.file), r.scriptBytes))
            return refuse(1, failure->message());
        replacements.append(r);
    }
    const RcSpliced spliced =
        spliceRcScript(script, replacements, addRussian ? RcSpliceMode::RussianCopy : RcSpliceMode::InPlace,
                       QDir::toNativeSeparators(record->path));
    if (!spliced.error.isEmpty())
        return refuse(1, spliced.error);
    if (const auto failure = writeFileSafely(target, spliced.bytes))
        return refuse(1, failure->message());
    result.changedBlocks = spliced.changedBlocks;
    return result;
}

} // namespace kvarsel
