#pragma once
// Shared by the binary resource targets: the input as a resource of one type.
// Whatever it holds, nothing crashes; what the reader takes it gives back byte for
// byte; a script written for it compiles to those bytes; and the same input read
// as a script compiles, if at all, to resources the reader takes again.
#include "FuzzSupport.h"
#include "program/ResourceCodecs.h"
#include "program/ResourceScripts.h"
#include "text/Cp1251.h"

namespace kvarsel::fuzz {

template <class Read, class Write>
void fuzzResource(const uint8_t* data, size_t size, quint16 type, ResourceKind kind, Read read, Write write)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    if (const auto t = read(bytes, why))
        FUZZ_CHECK(write(*t) == bytes, QString::fromLatin1(bytes.toHex()));
    else
        FUZZ_CHECK(!why.isEmpty(), QString::fromLatin1(bytes.toHex()));

    Resource r;
    r.type = ResourceKey::number(type);
    r.name = ResourceKey::number(1);
    r.data = bytes;
    const ScriptsFromResources unpacked = scriptsFromResources({r});
    FUZZ_CHECK(unpacked.scripts.size() + unpacked.leftOut.size() == 1, QString::fromLatin1(bytes.toHex()));
    for (const UnpackedScript& s : unpacked.scripts) {
        const CompiledScript back = compileScript(kind, s.text);
        FUZZ_CHECK(back.error.isEmpty() && back.resources.size() == 1 && back.resources[0].data == bytes,
                   s.text);
    }

    const QString text = cp1251::decode(bytes);
    const CompiledScript compiled = compileScript(kind, text);
    FUZZ_CHECK(compiled.error.isEmpty() || compiled.resources.isEmpty(), text);
    for (const Resource& c : compiled.resources)
        FUZZ_CHECK(read(c.data, why).has_value(), text + u'\n' + why);
}

} // namespace kvarsel::fuzz
