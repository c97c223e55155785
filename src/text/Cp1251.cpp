#include "text/Cp1251.h"

#include <array>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kvarsel::cp1251 {
namespace {

// Upper half of the code page, 0x80..0xFF.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    // -1 where the code page has no byte for the code point.
    std::array<int16_t, 65536> toByte{};

    Tables()
    {
        toByte.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char16_t u = b < 128 ? char16_t(b) : kHigh[b - 128];
            toUnicode[b] = u;
            toByte[u] = int16_t(b);
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

} // namespace

int charCodeAbove127(QChar c)
{
    const int16_t b = tables().toByte[c.unicode()];
    return b < 0 ? 63 : b;
}

bool canEncode(QChar c) { return tables().toByte[c.unicode()] >= 0; }

QString decode(QByteArrayView bytes)
{
    QString out;
    decodeInto(bytes, out);
    return out;
}

void decodeInto(QByteArrayView bytes, QString& out)
{
    const auto& t = tables().toUnicode;
    // Made to the size when it must grow: resize() would round a large text up by a third or more.
    if (out.capacity() < bytes.size())
        out = QString(bytes.size(), Qt::Uninitialized);
    else
        out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(t[uint8_t(bytes[i])]);
}

bool encode(QStringView text, QByteArray& out, qsizetype* badIndex)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    const qsizetype bad = encodeInto(text, out.data() + start);
    if (bad < 0)
        return true;
    out.truncate(start);
    if (badIndex)
        *badIndex = bad;
    return false;
}

qsizetype encodeInto(QStringView text, char* d)
{
    const auto& t = tables().toByte;
    const char16_t* u = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        // ASCII, the most of every script, is its own byte: eight units at a time.
#ifdef __SSE2__
        const __m128i high = _mm_set1_epi16(qint16(0xFF80));
        while (i + 8 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, high), _mm_setzero_si128())) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(v, v));
            i += 8;
        }
#endif
        while (i < n && u[i] < 128) {
            d[i] = char(u[i]);
            ++i;
        }
        if (i >= n)
            break;
        const int16_t b = t[u[i]];
        if (b < 0)
            return i;
        d[i] = char(b);
    }
    return -1;
}

qsizetype firstUnencodable(QStringView text)
{
    const auto& t = tables().toByte;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (t[text[i].unicode()] < 0)
            return i;
    return -1;
}

} // namespace kvarsel::cp1251
