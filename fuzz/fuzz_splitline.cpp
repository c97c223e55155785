// SplitLine on arbitrary bytes: the line always survives whole, and an offered
// text obeys its kind's rules.
#include "FuzzSupport.h"
#include "model/SplitLine.h"
#include "text/CharClass.h"
#include "text/Cp1251.h"

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const ResourceKind kind = kAllKinds[data[0] % 4];
    const bool hide = (data[0] & 4) != 0;
    QString line = cp1251::decode(QByteArrayView(data + 1, qsizetype(size - 1)));
    // Now and then a character outside the code page, which counts as "?".
    if (data[0] & 8)
        line.insert(line.size() / 2, QChar(u'中'));
    const ResourceLine r = SplitLine(kind, line, hide);
    FUZZ_CHECK(r.composed() == QString(line).remove(u'&'), line);
    if (!r.text.isEmpty()) {
        FUZZ_CHECK(!r.text.contains(u'&'), line);
        if (hide)
            for (const QChar c : r.text)
                FUZZ_CHECK(!isNonAscii(c), line);
        if (kind == ResourceKind::Dialog || kind == ResourceKind::String)
            FUZZ_CHECK(r.text.size() > 1 && isTextChar(r.text.back()), line);
        if (kind == ResourceKind::RcData)
            FUZZ_CHECK(isTextCharPct(r.text.back()), line);
        if (kind == ResourceKind::Menu)
            FUZZ_CHECK(r.text.size() > 1, line);
    }
    return 0;
}
