// Arbitrary bytes as a binary form: a form that reads at all reads as text that
// packs back to exactly its bytes, and that same text packs without a template into
// a form that reads as the same text again.
#include "FuzzSupport.h"
#include "program/DelphiForm.h"

using namespace kvarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const FormText text = formToText(bytes);
    const QString detail = QString::fromLatin1(bytes.toHex());
    if (!text.error.isEmpty()) {
        FUZZ_CHECK(text.text.isEmpty(), detail);
        return 0;
    }
    const FormBinary back = formFromText(text.text, bytes);
    FUZZ_CHECK(back.error.isEmpty(), detail + u'\n' + back.error);
    FUZZ_CHECK(back.data == bytes, detail + u'\n' + text.text);
    const FormBinary fresh = formFromText(text.text, QByteArray());
    FUZZ_CHECK(fresh.error.isEmpty(), detail + u'\n' + fresh.error);
    const FormText again = formToText(fresh.data);
    FUZZ_CHECK(again.error.isEmpty() && again.text == text.text, detail + u'\n' + text.text + again.text);
    return 0;
}
