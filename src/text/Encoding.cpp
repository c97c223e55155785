#include "text/Encoding.h"

#include "text/Cp1251.h"

#include <cstdint>
#include <cstring>

namespace kvarsel {
namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `p` (shortest form, no surrogates,
// nothing above U+10FFFF); 0 when the bytes there are not one.
int utf8SequenceLength(const uint8_t* p, qsizetype left)
{
    const uint8_t b = p[0];
    if (b < 0x80)
        return 1;
    if (b < 0xC2)
        return 0;
    if (b < 0xE0)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b < 0xF0) {
        if (left < 3)
            return 0;
        const uint8_t lo = b == 0xE0 ? 0xA0 : 0x80;
        const uint8_t hi = b == 0xED ? 0x9F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) ? 3 : 0;
    }
    if (b < 0xF5) {
        if (left < 4)
            return 0;
        const uint8_t lo = b == 0xF0 ? 0x90 : 0x80;
        const uint8_t hi = b == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

struct Utf8Check {
    qsizetype firstInvalid = -1; // byte offset of the first ill-formed sequence
    bool multiByte = false;      // at least one sequence of two bytes or more
};

Utf8Check checkUtf8(QByteArrayView bytes)
{
    Utf8Check check;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            // Scripts are mostly ASCII: eight bytes at a time while none has its top bit.
            while (i + 8 <= n) {
                quint64 word;
                std::memcpy(&word, p + i, 8);
                if (word & 0x8080808080808080ULL)
                    break;
                i += 8;
            }
            continue;
        }
        const int len = utf8SequenceLength(p + i, n - i);
        if (len == 0) {
            check.firstInvalid = i;
            return check;
        }
        check.multiByte = true;
        i += len;
    }
    return check;
}

// Decodes bytes already known to be well-formed UTF-8.
QString decodeWellFormedUtf8(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uint8_t b = p[i];
        char32_t cp;
        if (b < 0x80) {
            cp = b;
            i += 1;
        } else if (b < 0xE0) {
            cp = char32_t(b & 0x1F) << 6 | (p[i + 1] & 0x3F);
            i += 2;
        } else if (b < 0xF0) {
            cp = char32_t(b & 0x0F) << 12 | char32_t(p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            i += 3;
        } else {
            cp = char32_t(b & 0x07) << 18 | char32_t(p[i + 1] & 0x3F) << 12 | char32_t(p[i + 2] & 0x3F) << 6 |
                 (p[i + 3] & 0x3F);
            i += 4;
        }
        if (cp < 0x10000) {
            out.append(QChar(char16_t(cp)));
        } else {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        }
    }
    // Room was kept for a character a byte; Russian takes two bytes a character.
    if (out.capacity() - out.size() > out.size() / 4)
        out.squeeze();
    return out;
}

QString atByte(qsizetype offset) { return QStringLiteral(" (байт %1)").arg(offset); }

DecodedText decodeUtf8(QByteArrayView body, TextEncoding encoding, qsizetype bodyOffset)
{
    DecodedText result;
    result.encoding = encoding;
    const Utf8Check check = checkUtf8(body);
    if (check.firstInvalid >= 0) {
        result.error =
            QStringLiteral("текст в кодировке %1 содержит байты, которые не являются текстом UTF-8")
                .arg(encodingName(encoding)) +
            atByte(bodyOffset + check.firstInvalid);
        return result;
    }
    result.text = decodeWellFormedUtf8(body);
    return result;
}

DecodedText decodeUtf16(QByteArrayView body, TextEncoding encoding)
{
    DecodedText result;
    result.encoding = encoding;
    const qsizetype markSize = 2;
    if (body.size() % 2 != 0) {
        result.error =
            QStringLiteral("текст в кодировке %1 обрывается на половине символа: нечётное число байтов")
                .arg(encodingName(encoding));
        return result;
    }
    const bool little = encoding == TextEncoding::Utf16Le;
    const auto* p = reinterpret_cast<const uint8_t*>(body.data());
    const qsizetype units = body.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* d = text.data();
    for (qsizetype i = 0; i < units; ++i)
        d[i] =
            QChar(little ? char16_t(p[2 * i] | p[2 * i + 1] << 8) : char16_t(p[2 * i] << 8 | p[2 * i + 1]));
    const qsizetype bad = firstUnencodable(text, encoding);
    if (bad >= 0) {
        result.error =
            QStringLiteral("текст в кодировке %1 содержит непарный суррогат").arg(encodingName(encoding)) +
            atByte(markSize + 2 * bad);
        return result;
    }
    result.text = std::move(text);
    return result;
}

} // namespace

QString encodingName(TextEncoding e)
{
    switch (e) {
    case TextEncoding::Windows1251:
        return QStringLiteral("Windows-1251");
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 с BOM");
    case TextEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    }
    return QString();
}

QByteArrayView byteOrderMark(TextEncoding e)
{
    switch (e) {
    case TextEncoding::Utf8Bom:
        return QByteArrayView(kUtf8Mark, 3);
    case TextEncoding::Utf16Le:
        return QByteArrayView(kUtf16LeMark, 2);
    case TextEncoding::Utf16Be:
        return QByteArrayView(kUtf16BeMark, 2);
    case TextEncoding::Windows1251:
    case TextEncoding::Utf8:
        break;
    }
    return QByteArrayView();
}

DecodedText decodeText(QByteArrayView bytes)
{
    // UTF-32 marks: read as UTF-16 or Windows-1251 such a file would come apart at
    // the first "&" loading removes, so it is refused whole.
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4)) ||
        bytes.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4)))
        return DecodedText{
            QString(), TextEncoding::Windows1251,
            QStringLiteral("кодировка UTF-32 не поддерживается; сохраните файл в UTF-16 или UTF-8")};
    if (bytes.startsWith(QByteArrayView(kUtf8Mark, 3)))
        return decodeUtf8(bytes.sliced(3), TextEncoding::Utf8Bom, 3);
    if (bytes.startsWith(QByteArrayView(kUtf16LeMark, 2)))
        return decodeUtf16(bytes.sliced(2), TextEncoding::Utf16Le);
    if (bytes.startsWith(QByteArrayView(kUtf16BeMark, 2)))
        return decodeUtf16(bytes.sliced(2), TextEncoding::Utf16Be);
    const Utf8Check check = checkUtf8(bytes);
    if (check.firstInvalid < 0 && check.multiByte)
        return DecodedText{decodeWellFormedUtf8(bytes), TextEncoding::Utf8, QString()};
    return DecodedText{cp1251::decode(bytes), TextEncoding::Windows1251, QString()};
}

void decodeTextInto(QByteArrayView bytes, DecodedText& into)
{
    if (!readsAsWindows1251(bytes)) {
        into = decodeText(bytes);
        return;
    }
    cp1251::decodeInto(bytes, into.text);
    into.encoding = TextEncoding::Windows1251;
    into.error.clear();
}

namespace {

bool startsWithMark(QByteArrayView bytes)
{
    for (const QByteArrayView mark : {QByteArrayView(kUtf8Mark, 3), QByteArrayView(kUtf16LeMark, 2),
                                      QByteArrayView(kUtf16BeMark, 2), QByteArrayView("\x00\x00\xFE\xFF", 4)})
        if (bytes.startsWith(mark))
            return true;
    return false;
}

} // namespace

void Utf8Findings::add(QByteArrayView part)
{
    if (head.size() < 4)
        head += part.first(std::min<qsizetype>(4 - head.size(), part.size()));
    if (illFormed)
        return;
    const Utf8Check check = checkUtf8(part);
    illFormed = check.firstInvalid >= 0;
    multiByte = multiByte || check.multiByte;
}

bool Utf8Findings::readsAsWindows1251() const { return !startsWithMark(head) && (illFormed || !multiByte); }

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool readsAsWindows1251(QByteArrayView bytes)
{
    if (startsWithMark(bytes))
        return false;
    const Utf8Check check = checkUtf8(bytes);
    return check.firstInvalid >= 0 || !check.multiByte;
}

DecodedText decodeTextAs(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Windows1251:
        break;
    case TextEncoding::Utf8:
        return decodeUtf8(bytes, encoding, 0);
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const QByteArrayView mark = byteOrderMark(encoding);
        if (!bytes.startsWith(mark))
            return DecodedText{
                QString(), encoding,
                QStringLiteral("в начале файла нет метки кодировки %1").arg(encodingName(encoding))};
        if (encoding == TextEncoding::Utf8Bom)
            return decodeUtf8(bytes.sliced(mark.size()), encoding, mark.size());
        return decodeUtf16(bytes.sliced(mark.size()), encoding);
    }
    }
    return DecodedText{cp1251::decode(bytes), TextEncoding::Windows1251, QString()};
}

qsizetype firstUnencodable(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1251)
        return cp1251::firstUnencodable(text);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

bool encodeText(QStringView text, TextEncoding encoding, QByteArray& out, qsizetype* badIndex)
{
    if (encoding == TextEncoding::Windows1251)
        return cp1251::encode(text, out, badIndex);
    const qsizetype bad = firstUnencodable(text, encoding);
    if (bad >= 0) {
        if (badIndex)
            *badIndex = bad;
        return false;
    }
    if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom) {
        out.append(text.toUtf8());
        return true;
    }
    const bool little = encoding == TextEncoding::Utf16Le;
    const qsizetype start = out.size();
    out.resize(start + 2 * text.size());
    char* d = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        d[2 * i] = char(little ? u & 0xFF : u >> 8);
        d[2 * i + 1] = char(little ? u >> 8 : u & 0xFF);
    }
    return true;
}

TextEncoding encodingForNewFile(const QStringList& lines)
{
    for (const QString& line : lines)
        if (cp1251::firstUnencodable(line) >= 0)
            return TextEncoding::Utf8Bom;
    return TextEncoding::Windows1251;
}

std::optional<Unstorable> findUnstorable(QStringView text, const QList<StorageTarget>& targets)
{
    std::optional<Unstorable> first;
    for (const StorageTarget& target : targets) {
        // A file not yet written takes any text that UTF-8 can hold.
        const TextEncoding encoding = target.encoding.value_or(TextEncoding::Utf8Bom);
        const qsizetype bad = firstUnencodable(text, encoding);
        if (bad >= 0 && (!first || bad < first->index))
            first = Unstorable{bad, target.path, encoding};
    }
    return first;
}

QString characterCode(QChar c)
{
    return QStringLiteral("U+") + QStringLiteral("%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
}

} // namespace kvarsel
