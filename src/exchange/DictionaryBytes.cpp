#include "exchange/DictionaryBytes.h"

#include "text/Cp1251.h"
#include "text/TextFile.h"

#include <QStringDecoder>

namespace kvarsel {

DictionaryEncoding encodingFor(const QStringList& lines)
{
    for (const QString& line : lines)
        if (cp1251::firstUnencodable(line) >= 0)
            return DictionaryEncoding::Utf8Bom;
    return DictionaryEncoding::Cp1251;
}

QByteArray dictionaryBytes(const QStringList& lines, DictionaryEncoding encoding)
{
    qsizetype total = 3;
    for (const QString& line : lines)
        total += line.size() + 2;
    QByteArray out;
    if (encoding == DictionaryEncoding::Utf8Bom) {
        out.reserve(total + total / 2);
        out.append("\xEF\xBB\xBF", 3);
        for (const QString& line : lines) {
            out.append(line.toUtf8());
            out.append("\r\n", 2);
        }
    } else {
        out.reserve(total);
        for (const QString& line : lines) {
            cp1251::encode(line, out); // encodingFor() has checked that every character fits
            out.append("\r\n", 2);
        }
    }
    return out;
}

std::optional<FileError> readDictionaryLines(const QString& path, QStringList& lines)
{
    QByteArray bytes;
    if (auto failed = readFileBytes(path, bytes))
        return failed;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                   : QStringConverter::Utf16BE);
        text = decoder(QByteArrayView(bytes).sliced(2));
    } else {
        text = cp1251::decode(bytes);
    }
    lines = splitLines(text);
    return std::nullopt;
}

} // namespace kvarsel
