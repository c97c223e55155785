#include "program/ResourceScripts.h"

#include "program/ResourceCodecs.h"
#include "text/Cp1251.h"
#include "text/Encoding.h"

#include <QSet>
#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace kvarsel {
namespace {

QString typeWord(const ResourceKey& type)
{
    switch (type.isNumber() ? type.id : 0) {
    case ResourceType::Menu:
        return QStringLiteral("Меню");
    case ResourceType::Dialog:
        return QStringLiteral("Диалог");
    case ResourceType::String:
        return QStringLiteral("Таблица строк");
    default:
        return QStringLiteral("Ресурс");
    }
}

QString describe(const Resource& r, const QString& reason)
{
    const QString name =
        r.name.isNumber() ? QString::number(r.name.id) : QStringLiteral("«%1»").arg(r.name.name);
    return QStringLiteral("%1 %2 (0x%3): %4")
        .arg(typeWord(r.type), name, QString::number(r.language, 16).toUpper().rightJustified(4, u'0'),
             reason);
}

Resource cover(const Resource& r)
{
    Resource c = r;
    c.data.clear();
    return c;
}

// A resource's name stands first on its statement line, where the loader tells
// the statement by its second word: a name with a blank in it would read as text.
bool nameWritable(const ResourceKey& name, QString& why)
{
    if (name.isNumber())
        return true;
    for (const QChar c : name.name) {
        if (c.isSpace() || c.unicode() < 0x20) {
            why = QStringLiteral("имя ресурса с пробелом или управляющим знаком нельзя записать в сценарий");
            return false;
        }
    }
    return scriptCanHold(name.name, false, why);
}

// A file name that every file system takes, unique (ignoring case) among `taken`.
QString baseNameFor(const ResourceKey& name, QSet<QString>& taken)
{
    QString base;
    if (name.isNumber()) {
        base = QString::number(name.id);
    } else {
        for (const QChar c : name.name)
            base += (c.unicode() < 0x20 || QStringView(u"<>:\"/\\|?*").contains(c)) ? u'_' : c;
        base = base.left(100);
        while (base.endsWith(u'.') || base.endsWith(u' '))
            base.chop(1);
        static const QSet<QString> kDevices = {
            u"CON"_s,  u"PRN"_s,  u"AUX"_s,  u"NUL"_s,  u"COM1"_s, u"COM2"_s, u"COM3"_s, u"COM4"_s,
            u"COM5"_s, u"COM6"_s, u"COM7"_s, u"COM8"_s, u"COM9"_s, u"LPT1"_s, u"LPT2"_s, u"LPT3"_s,
            u"LPT4"_s, u"LPT5"_s, u"LPT6"_s, u"LPT7"_s, u"LPT8"_s, u"LPT9"_s};
        if (base.isEmpty() || kDevices.contains(base.section(u'.', 0, 0).toUpper()))
            base += u'_';
    }
    QString candidate = base;
    for (int n = 2; taken.contains(candidate.toLower()); ++n)
        candidate = base + u'_' + QString::number(n);
    taken.insert(candidate.toLower());
    return candidate;
}

// Whether `text` compiles to exactly the resource it was written from.
bool compilesBack(ResourceKind kind, const QString& text, const Resource& original, QString& why)
{
    const CompiledScript compiled = compileScript(kind, text);
    if (!compiled.error.isEmpty()) {
        why = QStringLiteral("сценарий не собирается обратно (%1)").arg(compiled.error);
        return false;
    }
    if (compiled.resources.size() != 1 || compiled.resources[0].name != original.name ||
        compiled.resources[0].data != original.data) {
        why = QStringLiteral("сценарий не даёт тех же байтов, что ресурс в программе");
        return false;
    }
    return true;
}

QString nameInScript(const ResourceKey& name)
{
    rc::ScriptText text;
    appendResourceName(text, name);
    return text.take();
}

struct Parsed {
    QList<Resource> resources;
};

void addResource(QList<Resource>& out, quint16 type, const ResourceKey& name, const QByteArray& data,
                 rc::ScriptReader& in, int line)
{
    for (const Resource& r : out)
        if (r.name == name)
            throw rc::ScriptError{line,
                                  QStringLiteral("ресурс %1 встречается дважды").arg(nameInScript(name))};
    Resource r;
    r.type = ResourceKey::number(type);
    r.name = name;
    r.data = data;
    out << r;
    Q_UNUSED(in);
}

ResourceKey parseResourceName(rc::ScriptReader& in)
{
    if (in.startsString()) {
        const QString name = in.string();
        if (name.isEmpty())
            in.fail(QStringLiteral("пустое имя ресурса"));
        return ResourceKey::text(name);
    }
    if (in.peek().kind == rc::Token::Word && rc::sdkSymbol(in.peek().text) < 0)
        return ResourceKey::text(in.take().text.toUpper());
    const quint32 n = in.number();
    if (n > 0xFFFF)
        in.fail(QStringLiteral("номер ресурса %1 больше 65535").arg(n));
    return ResourceKey::number(quint16(n));
}

void compileMenusOrDialogs(rc::ScriptReader& in, ResourceKind kind, QList<Resource>& out)
{
    while (!in.atEnd()) {
        if (in.isWord(u"LANGUAGE")) {
            in.skipResourceOptions();
            continue;
        }
        const int line = in.line();
        const ResourceKey name = parseResourceName(in);
        if (kind == ResourceKind::Menu) {
            const bool ex = in.isWord(u"MENUEX");
            if (!ex && !in.isWord(u"MENU"))
                in.fail(QStringLiteral("ожидается MENU или MENUEX"));
            in.take();
            addResource(out, ResourceType::Menu, name, menuBytes(parseMenu(in, ex)), in, line);
        } else {
            const bool ex = in.isWord(u"DIALOGEX");
            if (!ex && !in.isWord(u"DIALOG"))
                in.fail(QStringLiteral("ожидается DIALOG или DIALOGEX"));
            in.take();
            addResource(out, ResourceType::Dialog, name, dialogBytes(parseDialog(in, ex)), in, line);
        }
    }
}

void compileStrings(rc::ScriptReader& in, QList<Resource>& out)
{
    // Each block's bytes are made as its strings come, in the order of their numbers
    // as scripts keep them, so no text is held a second time as a string until the
    // script ends. A string that comes before one already placed has its block read
    // back and made again.
    struct Block {
        QByteArray bytes; // slots [0, filled) as the resource keeps them
        int filled = 0;
        quint16 present = 0; // a bit a string the script gave
    };
    const auto fill = [](Block& block, int slot, QStringView text) {
        // Room for the rest of the block as long as this string, rather than doubling.
        const qsizetype need = block.bytes.size() + 2 * (slot - block.filled + 1) + 2 * text.size();
        if (need > block.bytes.capacity())
            block.bytes.reserve(need + (15 - slot) * (2 + 2 * text.size()));
        for (; block.filled <= slot; ++block.filled)
            appendBlockString(block.bytes, block.filled == slot ? text : QStringView());
    };
    const auto place = [&fill](Block& block, int slot, QStringView text) {
        if (slot >= block.filled) {
            fill(block, slot, text);
            return;
        }
        fill(block, 15, QStringView());
        QString why;
        QList<QString> strings = *readStringBlock(block.bytes, why);
        strings[slot] = text.toString();
        block.bytes = stringBlockBytes(strings);
    };
    std::map<quint16, Block> blocks;
    while (!in.atEnd()) {
        if (in.isWord(u"LANGUAGE")) {
            in.skipResourceOptions();
            continue;
        }
        if (!in.takeWord(u"STRINGTABLE"))
            in.fail(QStringLiteral("ожидается STRINGTABLE"));
        in.skipResourceOptions();
        in.expectBegin();
        while (!in.takeEnd()) {
            if (in.atEnd())
                in.fail(QStringLiteral("таблица строк не закрыта словом END"));
            const int line = in.line();
            const quint32 id = in.number();
            if (id > 0xFFFF)
                throw rc::ScriptError{line, QStringLiteral("номер строки %1 больше 65535").arg(id)};
            Block& block = blocks[quint16(id / 16 + 1)];
            const quint16 bit = quint16(1u << (id % 16));
            if (block.present & bit)
                throw rc::ScriptError{line, QStringLiteral("строка %1 встречается дважды").arg(id)};
            block.present |= bit;
            in.takeComma();
            const QString text = in.string();
            if (text.size() > 0xFFFF)
                throw rc::ScriptError{line, QStringLiteral("строка %1 длиннее 65535 знаков").arg(id)};
            place(block, int(id % 16), text);
        }
    }
    for (auto it = blocks.begin(); it != blocks.end(); it = blocks.erase(it)) {
        Block& block = it->second;
        fill(block, 15, QStringView());
        Resource r;
        r.type = ResourceKey::number(ResourceType::String);
        r.name = ResourceKey::number(it->first);
        r.data = std::move(block.bytes);
        r.data.squeeze();
        out << r;
    }
}

} // namespace

namespace {

bool isTextResource(const Resource& r)
{
    return r.type.isNumber() && (r.type.id == ResourceType::Menu || r.type.id == ResourceType::Dialog ||
                                 r.type.id == ResourceType::String);
}

// What one resource gives: a menu's or a dialog's whole script, a string table's
// lines (the tables share one script); or no text, and why it is left out.
struct MadeText {
    QString text;     // a string table's lines
    QByteArray bytes; // a menu's or a dialog's script as its file's bytes, made on the worker
    QString why;
};

MadeText makeText(const Resource& r)
{
    MadeText made;
    QString& why = made.why;
    if (r.type.id == ResourceType::Menu || r.type.id == ResourceType::Dialog) {
        const bool menu = r.type.id == ResourceType::Menu;
        QString text;
        if (nameWritable(r.name, why)) {
            if (menu) {
                if (const auto t = readMenu(r.data, why))
                    text = menuScript(r.name, *t, why);
            } else if (const auto t = readDialog(r.data, why)) {
                text = dialogScript(r.name, *t, why);
            }
        }
        if (!text.isEmpty() && compilesBack(menu ? ResourceKind::Menu : ResourceKind::Dialog, text, r, why))
            made.bytes = scriptFileBytes(text);
        return made;
    }
    QString lines;
    if (!r.name.isNumber()) {
        why = QStringLiteral("у таблицы строк имя вместо номера");
    } else if (const auto block = readStringBlock(r.data, why)) {
        lines = stringBlockLines(r.name.id, *block, why);
    }
    if (!lines.isEmpty() &&
        compilesBack(ResourceKind::String, u"STRINGTABLE\r\nBEGIN\r\n"_s + lines + QStringLiteral("END\r\n"),
                     r, why))
        made.text = std::move(lines);
    return made;
}

// A streamed script goes out in parts of this size: written as it is made, never held whole.
constexpr qsizetype kStreamPart = 64 * 1024;

// makeText over `resources`, each result handed to `take` in order on the calling
// thread. Helper threads make texts at most kAhead resources in front of `take`, so
// the texts made and not yet taken stay few however large the program. The calling
// thread makes texts too whenever the one it needs next is not ready, so a machine
// with n cores runs n threads, not n + 1 with the taker sleeping and waking between
// them. `take` returning false stops the helpers; the result is then false.
bool makeTextsInOrder(QList<Resource>& resources, const std::function<bool(const Resource&, MadeText&)>& take)
{
    constexpr qsizetype kAhead = 32;
    const qsizetype count = resources.size();
    struct Slot {
        MadeText made;
        bool ready = false;
    };
    std::vector<Slot> madeSoFar;
    madeSoFar.resize(size_t(count));
    std::mutex mutex;
    // A helper wakes the taker only with the text it waits for, and the taker wakes
    // the helpers only when their full window is half taken: few wakes a resource.
    std::condition_variable ready, room;
    qsizetype next = 0, taken = 0;
    bool stop = false;
    // Makes the text `next` names, under `lock` only to claim it and to hand it over.
    const auto makeNext = [&](std::unique_lock<std::mutex>& lock) {
        const qsizetype i = next++;
        lock.unlock();
        MadeText made = makeText(std::as_const(resources)[i]); // const: never detached under the taker
        lock.lock();
        madeSoFar[size_t(i)].made = std::move(made);
        madeSoFar[size_t(i)].ready = true;
        return i;
    };
    const auto work = [&] {
        std::unique_lock lock(mutex);
        while (true) {
            // A full window waits until half of it is taken, then fills again.
            if (!stop && next < count && next >= taken + kAhead)
                room.wait(lock, [&] { return stop || next >= count || next <= taken + kAhead / 2; });
            if (stop || next >= count)
                return;
            if (makeNext(lock) == taken)
                ready.notify_one();
        }
    };
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    const unsigned helpers = count < 2 * kAhead ? std::min(cores - 1, 1u) : std::min(cores - 1, 3u);
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < helpers; ++w)
        pool.emplace_back(work);
    bool going = true;
    for (qsizetype i = 0; i < count && going; ++i) {
        MadeText made;
        bool halfEmpty = false;
        {
            std::unique_lock lock(mutex);
            while (!madeSoFar[size_t(i)].ready) {
                if (next < count && next < taken + kAhead)
                    makeNext(lock);
                else
                    ready.wait(lock);
            }
            made = std::move(madeSoFar[size_t(i)].made);
            taken = i + 1;
            halfEmpty = next == taken + kAhead / 2;
        }
        if (halfEmpty)
            room.notify_all();
        going = take(resources[i], made);
        // Its bytes are needed no more: a large program's go as its scripts are written.
        resources[i].data = QByteArray();
    }
    {
        const std::lock_guard lock(mutex);
        stop = true;
    }
    room.notify_all();
    for (std::thread& t : pool)
        t.join();
    return going;
}

} // namespace

bool forEachScriptFromResources(QList<Resource> resources, QStringList& leftOut,
                                const std::function<bool(UnpackedScript&)>& take, ScriptOutput* strings)
{
    // Filtered and sorted where they are: thousands of resources are not copied
    // into a new list, and a program's tree is usually in this order already.
    resources.removeIf([](const Resource& r) { return !isTextResource(r); });
    const auto byTypeAndName = [](const Resource& a, const Resource& b) {
        return a.type == b.type ? a.name < b.name : a.type < b.type;
    };
    if (!std::is_sorted(resources.cbegin(), resources.cend(), byTypeAndName))
        std::stable_sort(resources.begin(), resources.end(), byTypeAndName);
    QList<Resource>& sorted = resources;
    QSet<QString> menuNames, dialogNames;
    ScriptBytesOutput inMemory;
    ScriptFileStream stringsScript(strings ? *strings : inMemory);
    QList<Resource> stringCovers;
    const bool going = makeTextsInOrder(sorted, [&](const Resource& r, MadeText& made) {
        if (made.text.isEmpty() && made.bytes.isEmpty()) {
            leftOut << describe(r, made.why);
            return true;
        }
        if (r.type.id == ResourceType::String) {
            if (stringCovers.isEmpty() && !stringsScript.append(u"STRINGTABLE\r\nBEGIN\r\n"))
                return false;
            stringCovers << cover(r);
            return stringsScript.append(made.text);
        }
        const bool menu = r.type.id == ResourceType::Menu;
        UnpackedScript script{menu ? ResourceKind::Menu : ResourceKind::Dialog,
                              baseNameFor(r.name, menu ? menuNames : dialogNames),
                              {},
                              {cover(r)},
                              std::move(made.bytes)};
        return take(script);
    });
    if (!going)
        return false;
    if (stringCovers.isEmpty())
        return true;
    if (!stringsScript.append(u"END\r\n") || !stringsScript.finish())
        return false;
    UnpackedScript script;
    script.kind = ResourceKind::String;
    script.baseName = QStringView(kStringsScriptName).toString();
    script.covers = std::move(stringCovers);
    script.streamed = strings != nullptr;
    if (!script.streamed)
        script.bytes = inMemory.take();
    return take(script);
}

bool ScriptFileStream::append(QStringView piece)
{
    if (m_windows1251) {
        if (cp1251::encode(piece, m_part))
            return m_part.size() < kStreamPart || flush();
        if (!turnToUtf8())
            return false;
    }
    m_part += piece.toUtf8();
    return m_part.size() < kStreamPart || flush();
}

bool ScriptFileStream::flush()
{
    if (m_windows1251)
        m_findings.add(m_part);
    const bool written = m_out.append(m_part);
    m_part.resize(0); // the room stays for the next part
    return written;
}

bool ScriptFileStream::turnToUtf8()
{
    QByteArray earlier;
    if (!flush() || !m_out.readBack(earlier))
        return false;
    m_windows1251 = false;
    return m_out.replace("\xEF\xBB\xBF" + cp1251::decode(earlier).toUtf8());
}

bool ScriptFileStream::finish()
{
    if (!flush())
        return false;
    // Windows-1251 bytes that happen to be well-formed UTF-8 would be read as UTF-8.
    if (m_windows1251 && !m_findings.readsAsWindows1251())
        return turnToUtf8();
    return true;
}

QByteArray scriptFileBytes(QStringView text)
{
    QByteArray bytes;
    if (cp1251::encode(text, bytes) && readsAsWindows1251(bytes))
        return bytes;
    return "\xEF\xBB\xBF" + text.toUtf8();
}

ScriptsFromResources scriptsFromResources(const QList<Resource>& resources)
{
    ScriptsFromResources result;
    forEachScriptFromResources(resources, result.leftOut, [&result](UnpackedScript& script) {
        if (!script.bytes.isEmpty())
            script.text = decodeText(std::exchange(script.bytes, {})).text;
        result.scripts << std::move(script);
        return true;
    });
    return result;
}

CompiledScript compileScript(ResourceKind kind, const QString& text)
{
    CompiledScript out;
    try {
        rc::ScriptReader in(text);
        switch (kind) {
        case ResourceKind::Menu:
        case ResourceKind::Dialog:
            compileMenusOrDialogs(in, kind, out.resources);
            break;
        case ResourceKind::String:
            compileStrings(in, out.resources);
            break;
        case ResourceKind::RcData:
            in.fail(QStringLiteral("сценарии RCDATA переносятся в программу как есть, не собираются"));
        }
        // Without the room the writers grew into: a program's resources are all held at once.
        for (Resource& r : out.resources)
            r.data.squeeze();
    } catch (const rc::ScriptError& e) {
        out.resources.clear();
        out.error = QStringLiteral("строка %1: %2").arg(e.line).arg(e.message);
    }
    return out;
}

} // namespace kvarsel
