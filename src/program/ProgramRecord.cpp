#include "program/ProgramRecord.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

namespace kvarsel {

namespace {

void appendKey(QByteArray& text, const ResourceKey& key)
{
    if (key.isNumber()) {
        char digits[5];
        int n = 0;
        for (uint v = key.id; n == 0 || v != 0; v /= 10)
            digits[n++] = char('0' + v % 10);
        while (n > 0)
            text += digits[--n];
        return;
    }
    text += '"';
    text += key.name.toUtf8().replace('"', "\"\"");
    text += '"';
}

// "0x0409": four upper-case hexadecimal digits.
void appendLanguage(QByteArray& text, quint16 language)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char digits[6] = {'0',
                            'x',
                            kDigits[language >> 12],
                            kDigits[(language >> 8) & 15],
                            kDigits[(language >> 4) & 15],
                            kDigits[language & 15]};
    text += QByteArrayView(digits, 6);
}

// Splits a line into words; a word in double quotes may hold spaces and "" for a quote.
// The quotes stay on a quoted word so a name "5" is told from the number 5.
bool splitWords(const QString& line, QStringList& words)
{
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] == u' ' || line[i] == u'\t') {
            ++i;
            continue;
        }
        QString word;
        if (line[i] == u'"') {
            word = QStringLiteral("\"");
            ++i;
            for (;;) {
                if (i >= line.size())
                    return false;
                if (line[i] == u'"') {
                    if (i + 1 < line.size() && line[i + 1] == u'"') {
                        word += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != u' ' && line[i] != u'\t')
                word += line[i++];
        }
        words << word;
    }
    return true;
}

bool parseKey(const QString& word, ResourceKey& key)
{
    if (word.startsWith(u'"')) {
        key = ResourceKey::text(word.mid(1));
        return !key.name.isEmpty();
    }
    bool ok = false;
    const uint n = word.toUInt(&ok, 10);
    key = ResourceKey::number(quint16(n));
    return ok && n <= 0xffff;
}

bool parseLanguage(const QString& word, quint16& language)
{
    bool ok = false;
    const uint n = word.toUInt(&ok, 0);
    language = quint16(n);
    return ok && n <= 0xffff;
}

} // namespace

bool staysInside(const QString& relativePath)
{
    if (relativePath.isEmpty() || relativePath.startsWith(u'/') || relativePath.startsWith(u'\\') ||
        QDir::isAbsolutePath(relativePath))
        return false;
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    return !relativePath.split(separators).contains(QStringLiteral(".."));
}

QString unrecordablePath(const QString& path)
{
    if (!path.contains(u'\n') && !path.contains(u'\r'))
        return QString();
    return QStringLiteral("В пути к файлу «%1» есть перевод строки: запись каталога ресурсов не сможет его "
                          "назвать. Переименуйте файл или его каталог.")
        .arg(QDir::toNativeSeparators(path));
}

QString languageText(quint16 language)
{
    QByteArray text;
    appendLanguage(text, language);
    return QString::fromLatin1(text);
}

QByteArray recordText(const ProgramRecord& record)
{
    // A line a resource and a script, thousands in a large program: appended as the
    // file's bytes, not formatted one by one.
    qsizetype resources = 0;
    for (const RecordedScript& script : record.scripts)
        resources += script.resources.size();
    QByteArray text;
    text.reserve(512 + 3 * record.path.size() + 40 * (record.scripts.size() + resources));
    text += QStringLiteral("# Кварсел: откуда взяты сценарии этого каталога ресурсов. По этой записи\r\n"
                           "# команда pack и «Записать программу…» собирают перевод обратно в программу.\r\n"
                           "kvarsel-source 1\r\nsource ")
                .toUtf8();
    text += record.source == SourceKind::Res ? "res" : record.source == SourceKind::Rc ? "rc" : "program";
    text += "\r\npath " + record.path.toUtf8() + "\r\nsha256 " + record.sha256 + "\r\nlanguage ";
    appendLanguage(text, record.language);
    text += "\r\n";
    for (const RecordedScript& script : record.scripts) {
        text += "script " + kindInfo(script.kind).subDir.toUtf8() + ' ' + script.file.toUtf8() + "\r\n";
        for (const Resource& r : script.resources) {
            text += "resource ";
            appendKey(text, r.type);
            text += ' ';
            appendKey(text, r.name);
            text += ' ';
            appendLanguage(text, r.language);
            text += "\r\n";
        }
    }
    return text;
}

RecordRead parseRecord(const QByteArray& bytes)
{
    RecordRead result;
    ProgramRecord& record = result.record;
    const QString text = QString::fromUtf8(bytes);
    const QStringList lines = text.split(u'\n');
    bool sawForm = false, sawPath = false, sawHash = false;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const auto bad = [&](const QString& why) {
            result.error = QStringLiteral("строка %1: %2").arg(n + 1).arg(why);
            return result;
        };
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const qsizetype space = line.indexOf(u' ');
        const QString word = space < 0 ? line : line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1);
        if (word == QStringLiteral("kvarsel-source")) {
            if (rest.trimmed() != QStringLiteral("1"))
                return bad(QStringLiteral("запись сделана более новой версией программы"));
            sawForm = true;
        } else if (word == QStringLiteral("source")) {
            if (rest == QStringLiteral("program"))
                record.source = SourceKind::Program;
            else if (rest == QStringLiteral("res"))
                record.source = SourceKind::Res;
            else if (rest == QStringLiteral("rc"))
                record.source = SourceKind::Rc;
            else
                return bad(QStringLiteral("неизвестный вид источника «%1»").arg(rest));
        } else if (word == QStringLiteral("path")) {
            record.path = rest;
            sawPath = !rest.isEmpty();
        } else if (word == QStringLiteral("sha256")) {
            record.sha256 = rest.trimmed().toLatin1().toLower();
            sawHash = record.sha256.size() == 64;
        } else if (word == QStringLiteral("language")) {
            if (!parseLanguage(rest.trimmed(), record.language))
                return bad(QStringLiteral("неверный язык «%1»").arg(rest));
        } else if (word == QStringLiteral("script")) {
            const qsizetype gap = rest.indexOf(u' ');
            RecordedScript script;
            const QString kindWord = rest.left(gap);
            bool known = false;
            for (const ResourceKind kind : kAllKinds)
                if (kindInfo(kind).subDir.compare(kindWord, Qt::CaseInsensitive) == 0) {
                    script.kind = kind;
                    known = true;
                }
            script.file = gap < 0 ? QString() : rest.mid(gap + 1);
            if (!known || script.file.isEmpty() || !staysInside(script.file))
                return bad(QStringLiteral("неверная строка сценария «%1»").arg(rest));
            record.scripts << script;
        } else if (word == QStringLiteral("block")) {
            if (record.source != SourceKind::Rc || record.scripts.isEmpty())
                return bad(QStringLiteral("неверная строка блока «%1»").arg(rest));
        } else if (word == QStringLiteral("resource")) {
            QStringList words;
            Resource r;
            if (record.scripts.isEmpty() || !splitWords(rest, words) || words.size() != 3 ||
                !parseKey(words[0], r.type) || !parseKey(words[1], r.name) ||
                !parseLanguage(words[2], r.language))
                return bad(QStringLiteral("неверная строка ресурса «%1»").arg(rest));
            record.scripts.last().resources << r;
        } else {
            return bad(QStringLiteral("неизвестное слово «%1»").arg(word));
        }
    }
    if (!sawForm || !sawPath || !sawHash)
        result.error = QStringLiteral("запись неполна: нет строки kvarsel-source, path или sha256");
    return result;
}

} // namespace kvarsel
