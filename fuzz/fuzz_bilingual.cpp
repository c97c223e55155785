// A bilingual file of arbitrary bytes: reading keeps only non-empty lines with
// the translator's spacing around escapes undone, and no untranslated pair.
#include "FuzzSupport.h"
#include "deferred/BilingualFile.h"
#include "text/CaseFold.h"

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeInput("bi.txt", data, size);
    const BilingualRead read = readBilingualFile(path);
    FUZZ_CHECK(read.ok(), path);
    for (const QString& entry : read.entries)
        FUZZ_CHECK(!entry.isEmpty(), entry);
    for (qsizetype i = 0; i + 1 < read.entries.size(); i += 2)
        FUZZ_CHECK(read.entries[i].toLower() != read.entries[i + 1].toLower(), read.entries[i]);
    return 0;
}
