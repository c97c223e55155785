#include "exchange/TmxExport.h"

#include "dictionary/DictionaryFiles.h"
#include "exchange/DictionaryBytes.h"
#include "text/TextFile.h"
#include "workbench/ProgramVersion.h"

#include <QFileInfo>
#include <QXmlStreamWriter>

namespace kvarsel {

namespace {

// XML 1.0 carries tab, line ends and everything from the blank up, except the
// two non-characters U+FFFE and U+FFFF and unpaired surrogates.
bool fitsXml(const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != 0x9 && c != 0xA && c != 0xD)
                return false;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= n || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

} // namespace

void collectTmxEntries(const QStringList& rows, TmxEntries& entries, TmxExportCounts& counts)
{
    for (qsizetype r = 2; r < rows.size(); r += 2) {
        if (r + 1 >= rows.size()) {
            if (!rows[r].isEmpty())
                ++counts.unpaired;
            break;
        }
        const QString& source = rows[r];
        const QString& translation = rows[r + 1];
        if (source.isEmpty() || translation.isEmpty()) {
            ++counts.emptyRows;
        } else if (!fitsXml(source) || !fitsXml(translation)) {
            ++counts.notXml;
        } else {
            entries.append({source, translation});
        }
    }
}

std::optional<FileError> readDictionaryRows(const QString& path, QStringList& rows)
{
    QStringList lines;
    if (auto failed = readDictionaryLines(path, lines))
        return failed;
    const bool user = isUserDictionaryFile(path);
    rows = QStringList{QString(), QString()};
    rows.reserve(2 + lines.size());
    for (QString& line : lines)
        if (user || !line.isEmpty())
            rows.append(std::move(line));
    return std::nullopt;
}

QByteArray tmxDocument(const TmxEntries& entries)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument(QStringLiteral("1.0"));
    xml.writeDTD(QStringLiteral("<!DOCTYPE tmx SYSTEM \"tmx14.dtd\">"));
    xml.writeStartElement(QStringLiteral("tmx"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.4"));
    xml.writeEmptyElement(QStringLiteral("header"));
    xml.writeAttribute(QStringLiteral("creationtool"), QStringLiteral("kvarsel"));
    xml.writeAttribute(QStringLiteral("creationtoolversion"), programVersion());
    xml.writeAttribute(QStringLiteral("segtype"), QStringLiteral("phrase"));
    xml.writeAttribute(QStringLiteral("o-tmf"), QStringLiteral("dic"));
    xml.writeAttribute(QStringLiteral("adminlang"), QStringLiteral("en"));
    xml.writeAttribute(QStringLiteral("srclang"), QStringLiteral("en"));
    xml.writeAttribute(QStringLiteral("datatype"), QStringLiteral("plaintext"));
    xml.writeStartElement(QStringLiteral("body"));
    const QString xmlLang = QStringLiteral("xml:lang");
    for (const TmxEntry& entry : entries) {
        xml.writeStartElement(QStringLiteral("tu"));
        xml.writeStartElement(QStringLiteral("tuv"));
        xml.writeAttribute(xmlLang, QStringLiteral("en"));
        xml.writeTextElement(QStringLiteral("seg"), entry.source);
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("tuv"));
        xml.writeAttribute(xmlLang, QStringLiteral("ru"));
        xml.writeTextElement(QStringLiteral("seg"), entry.translation);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return out;
}

std::optional<FileError> writeTmx(const QString& path, const TmxEntries& entries)
{
    return writeFileSafely(path, tmxDocument(entries));
}

} // namespace kvarsel
