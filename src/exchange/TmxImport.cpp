#include "exchange/TmxImport.h"

#include "dictionary/DictionaryFiles.h"
#include "exchange/TmxTexts.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <cerrno>

namespace kvarsel {

namespace {

const QString kXmlNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");

// The primary subtag of a variant's xml:lang (or TMX 1.1 lang), without copying it.
QStringView primarySubtagOf(const QXmlStreamAttributes& attributes)
{
    QStringView lang = attributes.value(kXmlNamespace, QStringLiteral("lang"));
    if (lang.isEmpty())
        lang = attributes.value(QStringLiteral("lang"));
    qsizetype end = 0;
    while (end < lang.size() && lang[end] != u'-' && lang[end] != u'_')
        ++end;
    return lang.first(end).trimmed();
}

// The text of the current <seg>, markup inside it flattened to its character data;
// the reader stands on the segment's end element afterwards.
QString segmentText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            text += xml.text();
            break;
        default:
            break;
        }
    }
    return text;
}

// The text of the current <tuv>: its <seg>, with <prop> and <note> passed over.
QString variantText(QXmlStreamReader& xml)
{
    QString text;
    bool seen = false;
    while (xml.readNextStartElement()) {
        if (!seen && xml.name() == QStringLiteral("seg")) {
            text = segmentText(xml);
            seen = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

bool holdsLineBreak(const QString& text) { return text.contains(u'\n') || text.contains(u'\r'); }

QString xmlFaultReason(const QXmlStreamReader& xml)
{
    QString kind;
    switch (xml.error()) {
    case QXmlStreamReader::CustomError:
        return tmx_texts::xmlFault(xml.errorString(), xml.lineNumber(), xml.columnNumber(),
                                   QStringLiteral("<%1>").arg(xml.name()));
    case QXmlStreamReader::PrematureEndOfDocumentError:
        kind = tmx_texts::kPrematureEnd;
        break;
    case QXmlStreamReader::UnexpectedElementError:
        kind = tmx_texts::kUnexpectedElement;
        break;
    default:
        kind = tmx_texts::kNotWellFormed;
        break;
    }
    return tmx_texts::xmlFault(kind, xml.lineNumber(), xml.columnNumber(), xml.errorString());
}

// Stands between the XML reader and the file. QXmlStreamReader takes a failed read
// for the end of the data so far and, read on, tries the device again: a disk that
// fails once would cost the text around the failure, one that keeps failing would
// keep it reading for ever. Here the first failure ends the data for good and is
// kept, so the import fails with the reason instead.
class StopAtReadError : public QIODevice {
public:
    explicit StopAtReadError(QIODevice& inner) : m_inner(inner)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_failed || m_inner.atEnd(); }
    qint64 bytesAvailable() const override { return m_failed ? 0 : m_inner.bytesAvailable(); }

    // The reason of the failed read, or an empty string when every read went well.
    QString failure() const
    {
        if (!m_failed)
            return QString();
        if (const auto* file = qobject_cast<const QFileDevice*>(&m_inner))
            return reasonFor(*file, m_errno);
        return m_errno != 0 ? reasonForErrno(m_errno) : QStringLiteral("ошибка чтения");
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_failed)
            return -1;
        errno = 0;
        const qint64 n = m_inner.read(data, maxSize);
        if (n < 0) {
            m_errno = errno;
            m_failed = true;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_inner;
    bool m_failed = false;
    int m_errno = 0;
};

} // namespace

QString primarySubtag(const QString& language)
{
    qsizetype end = 0;
    while (end < language.size() && language[end] != u'-' && language[end] != u'_')
        ++end;
    return language.left(end).trimmed().toLower();
}

TmxRead readTmx(QIODevice& device, const QString& path, const TmxLanguages& languages,
                DictionaryBuilder& into)
{
    TmxRead result;
    const QString sourceLang = primarySubtag(languages.source);
    const QString targetLang = primarySubtag(languages.target);
    StopAtReadError guarded(device);
    QXmlStreamReader xml(&guarded);

    if (xml.readNextStartElement() && xml.name() != QStringLiteral("tmx"))
        xml.raiseError(tmx_texts::kNotTmx);
    while (!xml.hasError() && !xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QStringLiteral("tu"))
            continue;
        ++result.counts.units;
        QString source;
        QString target;
        bool haveSource = false;
        bool haveTarget = false;
        while (xml.readNextStartElement()) {
            if (xml.name() != QStringLiteral("tuv")) {
                xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes attributes = xml.attributes(); // the view below points into it
            const QStringView lang = primarySubtagOf(attributes);
            const bool isSource = lang.compare(sourceLang, Qt::CaseInsensitive) == 0;
            const bool isTarget = !isSource && lang.compare(targetLang, Qt::CaseInsensitive) == 0;
            const QString text = variantText(xml);
            // The first variant of a language with a text counts; an empty one says nothing.
            if (!haveSource && isSource && !text.isEmpty()) {
                source = text;
                haveSource = true;
            } else if (!haveTarget && isTarget && !text.isEmpty()) {
                target = text;
                haveTarget = true;
            }
        }
        if (xml.hasError())
            break;
        if (!haveSource) {
            ++result.counts.noSource;
        } else if (!haveTarget) {
            ++result.counts.noTarget;
        } else if (holdsLineBreak(source) || holdsLineBreak(target)) {
            ++result.counts.lineBreak;
        } else {
            if (into.add(source, target))
                ++result.counts.taken;
            else
                ++result.counts.repeats;
        }
    }
    // A failed read shows to the XML reader as a file cut short: the disk's reason is the true one.
    if (const QString failure = guarded.failure(); !failure.isEmpty())
        result.error = FileError{path, failure};
    else if (xml.hasError())
        result.error = FileError{path, xmlFaultReason(xml)};
    return result;
}

TmxRead readTmx(const QString& path, const TmxLanguages& languages, DictionaryBuilder& into)
{
    // The program's own reader's refusals: a directory, a pipe or a broken link is named as such.
    if (auto bad = checkFileReadable(path)) {
        TmxRead failed;
        failed.error = bad;
        return failed;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        TmxRead failed;
        failed.error = FileError{path, reasonFor(file, errno)};
        return failed;
    }
    TmxRead result = readTmx(file, path, languages, into);
    if (!result.error && file.error() != QFileDevice::NoError)
        result.error = FileError{path, reasonFor(file, errno)};
    return result;
}

TmxImport importTmx(const QString& tmxPath, const QString& output, const TmxLanguages& languages, bool force)
{
    TmxImport result;
    if (isUserDictionaryFile(output)) {
        result.error = FileError{output, tmx_texts::kUserDictionaryTarget};
        return result;
    }
    const QFileInfo target(output);
    if (target.exists() || target.isSymLink()) {
        if (target.isDir()) {
            result.error = FileError{output, QStringLiteral("это каталог, а не файл")};
            return result;
        }
        if (!force) {
            result.error = FileError{output, tmx_texts::kTargetExists};
            return result;
        }
    }
    DictionaryBuilder dictionary;
    const TmxRead read = readTmx(tmxPath, languages, dictionary);
    result.counts = read.counts;
    if (read.error) {
        result.error = read.error;
        return result;
    }
    result.read = true;
    if (dictionary.count() == 0) {
        result.error = FileError{tmxPath, tmx_texts::kNothingTaken};
        return result;
    }
    result.encoding = dictionary.encoding();
    result.error = writeFileSafely(output, dictionary.bytes());
    return result;
}

QStringList importReport(const TmxImportCounts& counts, const TmxLanguages& languages)
{
    QStringList lines{tmx_texts::unitsRead(counts.units), tmx_texts::unitsTaken(counts.taken),
                      tmx_texts::unitsLeftOut(counts.leftOut())};
    if (counts.noSource > 0)
        lines << tmx_texts::noSource(counts.noSource, primarySubtag(languages.source));
    if (counts.noTarget > 0)
        lines << tmx_texts::noSource(counts.noTarget, primarySubtag(languages.target));
    if (counts.lineBreak > 0)
        lines << tmx_texts::lineBreaks(counts.lineBreak);
    if (counts.repeats > 0)
        lines << tmx_texts::repeats(counts.repeats);
    return lines;
}

QString importTargetFor(const QString& workDir, const QString& tmxPath)
{
    QString base = QFileInfo(tmxPath).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("Импорт");
    const QDir dir(workDir);
    for (int n = 1;; ++n) {
        const QString name =
            n == 1 ? base + QStringLiteral(".dic") : QStringLiteral("%1 (%2).dic").arg(base).arg(n);
        if (isUserDictionaryFile(name))
            continue;
        const QString path = fileInDirIgnoringCase(workDir, name);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return dir.filePath(name);
    }
}

} // namespace kvarsel
