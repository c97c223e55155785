#pragma once
// Menus, dialogs and string tables between their binary form (as a resource tree
// keeps them) and the scripts a translator edits. The two directions are exact
// inverses: a script written here compiles back to the bytes it was written from,
// both with compileScript and with a resource compiler such as windres.

#include "model/ResourceKind.h"
#include "program/Resource.h"
#include "text/Encoding.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

namespace kvarsel {

struct UnpackedScript {
    ResourceKind kind = ResourceKind::Menu;
    QString baseName; // file name without ".rc", safe on every file system
    QString text;     // the script, lines ended by "\r\n"
    // type, name and language of each resource the script makes (data left empty)
    QList<Resource> covers;
    // forEachScriptFromResources: every script already as the bytes of its file
    // (`text` then empty), made where the script is
    QByteArray bytes;
    // the script went to the output it was streamed to instead (`bytes` empty)
    bool streamed = false;
};

// The base name of the string tables' one script.
inline constexpr char16_t kStringsScriptName[] = u"strings";

// Where a script's file goes a part at a time. Each call returns false on a failure
// (the output keeps its reason), which ends the work.
class ScriptOutput {
public:
    virtual ~ScriptOutput() = default;
    virtual bool append(QByteArrayView bytes) = 0;
    // Everything appended so far, for replace() to write anew in another encoding.
    virtual bool readBack(QByteArray& bytes) = 0;
    virtual bool replace(QByteArrayView bytes) = 0;
};

// An output that keeps the bytes in memory.
class ScriptBytesOutput final : public ScriptOutput {
public:
    bool append(QByteArrayView bytes) override
    {
        m_bytes += bytes;
        return true;
    }
    bool readBack(QByteArray& bytes) override
    {
        bytes = m_bytes;
        return true;
    }
    bool replace(QByteArrayView bytes) override
    {
        m_bytes = bytes.toByteArray();
        return true;
    }
    QByteArray take() { return std::exchange(m_bytes, {}); }

private:
    QByteArray m_bytes;
};

// A script's file made piece by piece and handed to its output in parts, so a
// large script is held neither whole nor as text (two bytes a character): in
// Windows-1251 when every character fits and the loader will read the bytes back
// as Windows-1251, else UTF-8 with a byte-order mark. When that turns out only
// after parts went out (a later piece Windows-1251 cannot hold, or bytes that read
// as UTF-8), the output is rewritten in UTF-8 from what it holds.
class ScriptFileStream {
public:
    explicit ScriptFileStream(ScriptOutput& out) : m_out(out) {}
    bool append(QStringView piece);
    bool finish();

private:
    bool flush();
    bool turnToUtf8();

    ScriptOutput& m_out;
    QByteArray m_part;
    Utf8Findings m_findings;
    bool m_windows1251 = true;
};

QByteArray scriptFileBytes(QStringView text);

struct ScriptsFromResources {
    QList<UnpackedScript> scripts;
    QStringList leftOut; // "<type> <name> (<language>): <reason>", in Russian
};

// Menus, dialogs and string tables of `resources` (all of one language, chosen by
// the caller) as scripts; a resource whose script would not compile back to exactly
// its bytes is left out and named. Other resource types are passed over in silence.
ScriptsFromResources scriptsFromResources(const QList<Resource>& resources);

// The same scripts one at a time, each handed to `take` as soon as it is made and in
// the same order, so a caller can write them out without holding them all (or the
// resources' bytes, which go as their scripts are taken); they are made and
// checked on worker threads a little ahead of `take`. The string tables' one
// script comes last, when every resource has been read; given `strings`, it is
// streamed there as it is made and `take` gets it `streamed`, without bytes.
// Resources left out are added to `leftOut` as they come. `take` (or `strings`)
// returning false stops the work, and the result is false.
bool forEachScriptFromResources(QList<Resource> resources, QStringList& leftOut,
                                const std::function<bool(UnpackedScript&)>& take,
                                ScriptOutput* strings = nullptr);

struct CompiledScript {
    QList<Resource> resources;
    QString error; // Russian, with the line; empty on success
};

// The program's own resource compiler: a script's text (as the loader reads it,
// already decoded) -> the binary resources it makes (language left 0: the caller
// sets it). Menus (MENU, MENUEX), dialogs (DIALOG, DIALOGEX) and string tables.
CompiledScript compileScript(ResourceKind kind, const QString& text);

} // namespace kvarsel
