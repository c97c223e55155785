// A dictionary file of arbitrary bytes: both loaders cope, and for phrases taken
// from the file the indexed lookup answers exactly as the row walk.
#include "FuzzSupport.h"
#include "dictionary/DictionaryFiles.h"
#include "dictionary/SearchString.h"
#include "text/Encoding.h"

using namespace kvarsel;

static void compareLookups(const CurrentDictionary& d)
{
    const qsizetype rows = qMin<qsizetype>(d.RowCount(), 64);
    for (qsizetype i = 0; i < rows; ++i) {
        const QString& row = d.Row(i);
        for (const QString& phrase : {row, row.toLower(), row.toUpper(), row.left(row.size() / 2)}) {
            const LookupResult fast = SearchString(d, phrase);
            const LookupResult slow = SearchStringLinear(d, phrase);
            FUZZ_CHECK(fast.found == slow.found && fast.translation == slow.translation, phrase);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeInput("User.dic", data, size);
    // Only bytes that break the encoding their byte-order mark promises are unreadable.
    const bool readable = decodeText(QByteArrayView(data, qsizetype(size))).ok();
    CurrentDictionary d;
    FUZZ_CHECK(!LoadDictionary(path, d) == readable, path);
    FUZZ_CHECK(d.RowCount() >= 2 && d.Row(0).isEmpty() && d.Row(1).isEmpty(), path);
    for (qsizetype i = 2; i < d.RowCount(); ++i)
        FUZZ_CHECK(!d.Row(i).isEmpty(), path);
    compareLookups(d);
    FUZZ_CHECK(!LoadUserDictionary(fuzz::scratch().path(), d) == readable, path);
    compareLookups(d);
    return 0;
}
