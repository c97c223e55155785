// Arbitrary bytes as a text file: what decodes comes back byte for byte in the
// encoding it was found in, and only a byte-order mark can make bytes unreadable.
#include "FuzzSupport.h"
#include "text/Encoding.h"

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const DecodedText decoded = decodeText(bytes);
    const QByteArrayView mark = byteOrderMark(decoded.encoding);
    const QString detail = QString::fromLatin1(bytes.toByteArray().toHex());
    FUZZ_CHECK(bytes.startsWith(mark), detail);
    if (!decoded.ok()) {
        const bool utf32 = bytes.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4)) ||
                           bytes.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4));
        FUZZ_CHECK((!mark.isEmpty() || utf32) && decoded.text.isEmpty(), detail);
        return 0;
    }
    FUZZ_CHECK(firstUnencodable(decoded.text, decoded.encoding) < 0, detail);
    QByteArray back = mark.toByteArray();
    FUZZ_CHECK(encodeText(decoded.text, decoded.encoding, back), detail);
    FUZZ_CHECK(back == bytes, detail);
    // Plain UTF-8 is chosen only for bytes holding a multi-byte sequence, so the text is shorter.
    if (decoded.encoding == TextEncoding::Utf8)
        FUZZ_CHECK(decoded.text.size() < bytes.size(), detail);
    return 0;
}
