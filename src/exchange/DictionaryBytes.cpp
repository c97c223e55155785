#include "exchange/DictionaryBytes.h"

#include "text/Cp1251.h"
#include "text/TextFile.h"

#include <QStringDecoder>
#include <algorithm>

namespace kvarsel {

QByteArray DictionaryBuilder::encoded(const QString& source, const QString& translation) const
{
    QByteArray out;
    if (m_encoding == DictionaryEncoding::Utf8Bom) {
        out = source.toUtf8();
        out.append("\r\n", 2);
        out.append(translation.toUtf8());
    } else {
        cp1251::encode(source, out);
        out.append("\r\n", 2);
        cp1251::encode(translation, out);
    }
    out.append("\r\n", 2);
    return out;
}

void DictionaryBuilder::switchToUtf8()
{
    // Every byte so far decodes losslessly; the entry starts move with the longer encoding.
    QByteArray utf8("\xEF\xBB\xBF", 3);
    utf8.reserve(m_bytes.size() + m_bytes.size() / 2 + 3);
    const qsizetype n = m_starts.size();
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype end = k + 1 < n ? m_starts[k + 1] : m_bytes.size();
        const QByteArrayView entry = QByteArrayView(m_bytes).sliced(m_starts[k], end - m_starts[k]);
        m_starts[k] = utf8.size();
        utf8.append(cp1251::decode(entry).toUtf8());
    }
    m_bytes = std::move(utf8);
    m_encoding = DictionaryEncoding::Utf8Bom;
    // The hashes were of the old bytes.
    m_byHash.clear();
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype end = k + 1 < n ? m_starts[k + 1] : m_bytes.size();
        m_byHash.insert(qHash(QByteArrayView(m_bytes).sliced(m_starts[k], end - m_starts[k])), k);
    }
}

bool DictionaryBuilder::add(const QString& source, const QString& translation)
{
    if (m_encoding == DictionaryEncoding::Cp1251 &&
        (cp1251::firstUnencodable(source) >= 0 || cp1251::firstUnencodable(translation) >= 0))
        switchToUtf8();
    const QByteArray entry = encoded(source, translation);
    const size_t hash = qHash(QByteArrayView(entry));
    for (auto it = m_byHash.constFind(hash); it != m_byHash.cend() && it.key() == hash; ++it) {
        const qsizetype k = it.value();
        const qsizetype end = k + 1 < m_starts.size() ? m_starts[k + 1] : m_bytes.size();
        if (QByteArrayView(m_bytes).sliced(m_starts[k], end - m_starts[k]) == QByteArrayView(entry))
            return false;
    }
    m_byHash.insert(hash, m_starts.size());
    m_starts.append(m_bytes.size());
    m_bytes.append(entry);
    return true;
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
        // Without a mark, valid UTF-8 that holds a multi-byte sequence is UTF-8.
        const bool wide = std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) >= 0x80; });
        QStringDecoder utf8(QStringConverter::Utf8);
        if (wide)
            text = utf8(bytes);
        if (!wide || utf8.hasError())
            text = cp1251::decode(bytes);
    }
    lines = splitLines(text);
    return std::nullopt;
}

} // namespace kvarsel
