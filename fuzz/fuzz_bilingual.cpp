// A bilingual file of arbitrary bytes: reading keeps only non-empty lines, drops
// pairs whose lines are equal ignoring case as the file has them, then undoes the
// translator's spacing around escapes (so a pair may become equal only afterwards).
#include "FuzzSupport.h"
#include "deferred/BilingualFile.h"
#include "text/CaseFold.h"
#include "text/Encoding.h"

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeInput("bi.txt", data, size);
    const BilingualRead read = readBilingualFile(path);
    // Only bytes that break the encoding their byte-order mark promises are unreadable.
    FUZZ_CHECK(read.ok() == decodeText(QByteArrayView(data, qsizetype(size))).ok(), path);
    for (const QString& entry : read.entries)
        FUZZ_CHECK(!entry.isEmpty() && !entry.contains(u'\r') && !entry.contains(u'\n'), entry);
    return 0;
}
