// Arbitrary bytes as a program or a .res file: the readers refuse or read, never
// read past the end; what a PE file yields is written back as a new resource
// section and reads again the same, and a .res file's resources likewise.
#include "FuzzSupport.h"
#include "program/PeFile.h"
#include "program/ResFile.h"

using namespace kvarsel;

namespace {

bool sameResources(const QList<Resource>& a, const QList<Resource>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].type != b[i].type || a[i].name != b[i].name || a[i].language != b[i].language ||
            a[i].data != b[i].data)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString detail = QString::fromLatin1(bytes.left(256).toHex());
    if (looksLikeRes(bytes)) {
        const ResResources res = readResFile(bytes);
        if (res.error.isEmpty()) {
            const ResResources again = readResFile(writeResFile(res.resources));
            FUZZ_CHECK(again.error.isEmpty() && sameResources(res.resources, again.resources), detail);
        }
        return 0;
    }
    const PeResources pe = readPeResources(bytes);
    if (!pe.error.isEmpty())
        return 0;
    const PeWritten written = replacePeResources(bytes, pe.resources);
    if (!written.error.isEmpty())
        return 0;
    // The tree is written in its own order (names first, then numbers), so the
    // copy is compared after a second round, which must change nothing.
    // The pieces are views of the file they were made from: it is kept.
    const QByteArray copy = written.joined();
    const PeResources again = readPeResources(copy);
    FUZZ_CHECK(again.error.isEmpty(), detail + QStringLiteral(" ") + again.error);
    const PeWritten twice = replacePeResources(copy, again.resources);
    FUZZ_CHECK(twice.error.isEmpty(), detail);
    const PeResources third = readPeResources(twice.joined());
    FUZZ_CHECK(third.error.isEmpty() && sameResources(again.resources, third.resources), detail);
    return 0;
}
