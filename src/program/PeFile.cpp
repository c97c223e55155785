#include "program/PeFile.h"
#include "program/ResourceBytes.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace kvarsel {

namespace {

constexpr qsizetype kSectionHeaderSize = 40;
constexpr int kResourceDirectory = 2;
constexpr int kCertificateDirectory = 4;
constexpr int kDebugDirectory = 6;
constexpr int kClrDirectory = 14;
constexpr int kLongestName = 255;

void put16(QByteArray& b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char(v >> 8);
}

void put32(QByteArray& b, qsizetype at, quint32 v)
{
    put16(b, at, quint16(v & 0xffff));
    put16(b, at + 2, quint16(v >> 16));
}

bool fits(const QByteArray& b, qint64 at, qint64 size)
{
    return at >= 0 && size >= 0 && at <= b.size() && size <= b.size() - at;
}

quint64 alignUp(quint64 value, quint64 alignment)
{
    return alignment <= 1 ? value : (value + alignment - 1) / alignment * alignment;
}

QString hex(quint64 v) { return QStringLiteral("0x") + QString::number(v, 16).toUpper(); }

qint64 sizeOfPieces(const QList<QByteArray>& pieces)
{
    qint64 size = 0;
    for (const QByteArray& piece : pieces)
        size += piece.size();
    return size;
}

// A little-endian 32-bit value at `at` of the file the pieces make, in a piece held
// in memory (the headers always are).
void setInPieces(QList<ContentPiece>& pieces, qint64 at, quint32 value)
{
    qint64 start = 0;
    for (ContentPiece& piece : pieces) {
        for (int i = 0; i < 4; ++i)
            if (!piece.from && at + i >= start && at + i < start + piece.bytes.size())
                piece.bytes[qsizetype(at + i - start)] = char(value >> (8 * i));
        start += piece.length();
    }
}

// The new program as edits of the original: its first bytes (the headers) copied
// and edited, every other edit a field of its own, and the rest the original's own
// parts: views of it, or read from the open file as they are written. A large
// program is never copied whole.
class Splice {
public:
    Splice(const QByteArray& head, const QByteArray& original, QFile* source, qint64 size)
        : m_original(original), m_source(source), m_size(size), m_head(head)
    {
    }
    void setBytes(qint64 at, const QByteArray& bytes)
    {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            setByte(at + i, bytes[i]);
    }
    void set16(qint64 at, quint16 v)
    {
        setByte(at, char(v & 0xff));
        setByte(at + 1, char(v >> 8));
    }
    void set32(qint64 at, quint32 v)
    {
        set16(at, quint16(v & 0xffff));
        set16(at + 2, quint16(v >> 16));
    }
    // The original's bytes [from, to) as edited, added to `pieces`.
    void originalPieces(qint64 from, qint64 to, QList<ContentPiece>& pieces) const
    {
        to = std::min<qint64>(to, m_size);
        if (from < m_head.size() && from < to) {
            const qint64 end = std::min<qint64>(to, m_head.size());
            pieces << m_head.mid(qsizetype(from), qsizetype(end - from));
            from = end;
        }
        for (auto edit = m_edits.lower_bound(from); from < to; ++edit) {
            const qint64 next = edit == m_edits.end() ? to : std::min(edit->first, to);
            if (next > from)
                pieces << (m_source ? ContentPiece::ofFile(m_source, from, next - from)
                                    : ContentPiece(QByteArray::fromRawData(m_original.constData() + from,
                                                                           qsizetype(next - from))));
            if (next == to)
                break;
            pieces << QByteArray(1, edit->second);
            from = next + 1;
        }
    }

private:
    void setByte(qint64 at, char byte)
    {
        if (at >= 0 && at < m_head.size())
            m_head[qsizetype(at)] = byte;
        else if (at >= 0 && at < m_size)
            m_edits[at] = byte;
    }

    const QByteArray m_original; // empty when the parts are read from `m_source`
    QFile* m_source;
    qint64 m_size;
    QByteArray m_head;
    std::map<qint64, char> m_edits;
};

struct Section {
    qsizetype headerAt = 0;
    QByteArray name; // up to 8 bytes, without the padding
    quint32 virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0, characteristics = 0;
    quint32 mappedSize() const { return virtualSize ? virtualSize : rawSize; }
};

// The headers of a PE file, every field used here checked to lie in the file.
struct PeLayout {
    qsizetype coffAt = 0, optionalAt = 0, sectionTableAt = 0, directoriesAt = 0;
    bool is64 = false;
    quint32 sectionAlignment = 0, fileAlignment = 0, sizeOfHeaders = 0, directoryCount = 0;
    QList<Section> sections;
    QString error;

    qsizetype checksumAt() const { return optionalAt + 64; }
    qsizetype sizeOfImageAt() const { return optionalAt + 56; }
    qsizetype initialisedDataAt() const { return optionalAt + 8; }
    qsizetype pointerToSymbolsAt() const { return coffAt + 8; }
    qsizetype directoryAt(int index) const { return directoriesAt + 8 * index; }
    bool hasDirectory(int index) const { return quint32(index) < directoryCount; }

    // File offset of `size` bytes at `rva`, when a section holds all of them in the file.
    std::optional<qint64> offsetOf(quint64 rva, quint64 size) const
    {
        for (const Section& s : sections) {
            // Nothing at all may sit right at a section's end (an empty resource last in its section).
            const quint64 into = rva - s.virtualAddress;
            if (rva >= s.virtualAddress &&
                (into < std::max(s.mappedSize(), 1u) || (size == 0 && into == s.mappedSize()))) {
                if (into + size > s.rawSize)
                    return std::nullopt;
                return qint64(s.rawOffset) + qint64(into);
            }
        }
        return std::nullopt;
    }
    // End of the last section's data in the file: where an overlay begins.
    qint64 sectionsEnd() const
    {
        qint64 end = sizeOfHeaders;
        for (const Section& s : sections)
            if (s.rawSize)
                end = std::max(end, qint64(s.rawOffset) + s.rawSize);
        return end;
    }
};

// Section names that packers leave behind: such a program's resources are not what
// it shows, and a new section would break its unpacking stub.
bool isPackerSection(const QByteArray& name)
{
    static const QList<QByteArray> names = {"UPX0",    "UPX1",     "UPX2",     ".aspack",  ".adata",
                                            "MPRESS1", "MPRESS2",  ".petite",  ".nsp0",    ".nsp1",
                                            ".nsp2",   "PEC2",     ".packed",  ".themida", ".vmp0",
                                            ".vmp1",   ".enigma1", ".enigma2", "pebundle", "PECompact"};
    return names.contains(name);
}

PeLayout readLayout(const QByteArray& file)
{
    PeLayout pe;
    if (!fits(file, 0, 64) || file[0] != 'M' || file[1] != 'Z') {
        pe.error = QStringLiteral("это не программа Windows (нет заголовка MZ)");
        return pe;
    }
    const quint32 peAt = u32At(file, 0x3c);
    if (!fits(file, peAt, 24) || std::memcmp(file.constData() + peAt, "PE\0\0", 4) != 0) {
        pe.error = QStringLiteral("это не программа Windows в формате PE (нет подписи PE по смещению %1)")
                       .arg(hex(peAt));
        return pe;
    }
    pe.coffAt = qsizetype(peAt) + 4;
    const quint16 sectionCount = u16At(file, pe.coffAt + 2);
    const quint16 optionalSize = u16At(file, pe.coffAt + 16);
    pe.optionalAt = pe.coffAt + 20;
    if (!fits(file, pe.optionalAt, optionalSize) || optionalSize < 2) {
        pe.error = QStringLiteral("файл обрезан: необязательный заголовок PE выходит за конец файла");
        return pe;
    }
    const quint16 magic = u16At(file, pe.optionalAt);
    if (magic != 0x10b && magic != 0x20b) {
        pe.error = QStringLiteral("неизвестный вид заголовка PE (%1)").arg(hex(magic));
        return pe;
    }
    pe.is64 = magic == 0x20b;
    const qsizetype countAt = pe.optionalAt + (pe.is64 ? 108 : 92);
    pe.directoriesAt = countAt + 4;
    if (optionalSize < pe.directoriesAt - pe.optionalAt) {
        pe.error = QStringLiteral("необязательный заголовок PE слишком короткий (%1 байт)").arg(optionalSize);
        return pe;
    }
    pe.sectionAlignment = u32At(file, pe.optionalAt + 32);
    pe.fileAlignment = u32At(file, pe.optionalAt + 36);
    pe.sizeOfHeaders = u32At(file, pe.optionalAt + 60);
    pe.directoryCount =
        std::min<quint32>(u32At(file, countAt), (optionalSize - (pe.directoriesAt - pe.optionalAt)) / 8);
    if (pe.sectionAlignment == 0 || pe.fileAlignment == 0 || pe.fileAlignment > pe.sectionAlignment ||
        (pe.fileAlignment & (pe.fileAlignment - 1)) || (pe.sectionAlignment & (pe.sectionAlignment - 1))) {
        pe.error = QStringLiteral("неверное выравнивание разделов в заголовке PE");
        return pe;
    }
    pe.sectionTableAt = pe.optionalAt + optionalSize;
    if (!fits(file, pe.sectionTableAt, qint64(sectionCount) * kSectionHeaderSize)) {
        pe.error = QStringLiteral("файл обрезан: таблица разделов выходит за конец файла");
        return pe;
    }
    for (int i = 0; i < sectionCount; ++i) {
        Section s;
        s.headerAt = pe.sectionTableAt + i * kSectionHeaderSize;
        s.name = QByteArray(file.constData() + s.headerAt, 8);
        s.name.truncate(qsizetype(qstrnlen(s.name.constData(), 8)));
        s.virtualSize = u32At(file, s.headerAt + 8);
        s.virtualAddress = u32At(file, s.headerAt + 12);
        s.rawSize = u32At(file, s.headerAt + 16);
        s.rawOffset = u32At(file, s.headerAt + 20);
        s.characteristics = u32At(file, s.headerAt + 36);
        if (s.rawSize && !fits(file, s.rawOffset, s.rawSize)) {
            pe.error =
                QStringLiteral(
                    "файл обрезан: данные раздела «%1» (%2 байт по смещению %3) выходят за конец файла")
                    .arg(QString::fromLatin1(s.name))
                    .arg(s.rawSize)
                    .arg(hex(s.rawOffset));
            return pe;
        }
        pe.sections << s;
    }
    return pe;
}

struct Directory {
    quint32 rva = 0, size = 0;
};

Directory directoryOf(const QByteArray& file, const PeLayout& pe, int index)
{
    if (!pe.hasDirectory(index))
        return {};
    return {u32At(file, pe.directoryAt(index)), u32At(file, pe.directoryAt(index) + 4)};
}

// Refusals that hold for reading and writing alike.
QString refusal(const QByteArray& file, const PeLayout& pe)
{
    if (!pe.error.isEmpty())
        return pe.error;
    if (directoryOf(file, pe, kClrDirectory).rva != 0)
        return QStringLiteral("это программа .NET: её тексты хранятся не в ресурсах Windows, такие программы "
                              "не поддерживаются");
    for (const Section& s : pe.sections)
        if (isPackerSection(s.name))
            return QStringLiteral("программа сжата упаковщиком (раздел «%1»): сначала распакуйте её")
                .arg(QString::fromLatin1(s.name));
    return QString();
}

// Reads the three levels of a resource tree (type, name, language).
class TreeReader {
public:
    TreeReader(const QByteArray& file, const PeLayout& pe, qint64 rootAt, quint32 size, ResourceData how)
        : m_file(file), m_pe(pe), m_root(rootAt), m_size(size), m_how(how)
    {
    }

    QString read(QList<Resource>& out)
    {
        readDirectory(0, 0, Resource(), out);
        return m_error;
    }

private:
    bool fail(const QString& what, quint32 offset)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("дерево ресурсов повреждено: %1 (смещение %2 в дереве)")
                          .arg(what, hex(offset));
        return false;
    }

    bool inTree(quint64 offset, quint64 size) const
    {
        return offset <= m_size && size <= m_size - offset &&
               fits(m_file, m_root + qint64(offset), qint64(size));
    }

    bool readName(quint32 offset, QString& name)
    {
        if (!inTree(offset, 2))
            return fail(QStringLiteral("имя ресурса за концом дерева"), offset);
        const quint16 length = u16At(m_file, m_root + offset);
        if (length == 0)
            return fail(QStringLiteral("пустое имя ресурса"), offset);
        if (length > kLongestName)
            return fail(
                QStringLiteral("имя ресурса длиной %1 знаков длиннее %2").arg(length).arg(kLongestName),
                offset);
        if (!inTree(quint64(offset) + 2, quint64(length) * 2))
            return fail(QStringLiteral("имя ресурса выходит за конец дерева"), offset);
        name.resize(length);
        for (quint16 i = 0; i < length; ++i)
            name[i] = QChar(u16At(m_file, m_root + offset + 2 + 2 * i));
        return true;
    }

    bool readDirectory(int level, quint32 offset, Resource path, QList<Resource>& out)
    {
        if (m_seen.contains(offset))
            return fail(QStringLiteral("каталог ресурсов встречается дважды (петля)"), offset);
        m_seen.insert(offset);
        if (!inTree(offset, 16))
            return fail(QStringLiteral("каталог за концом дерева"), offset);
        const quint32 count =
            quint32(u16At(m_file, m_root + offset + 12)) + u16At(m_file, m_root + offset + 14);
        if (!inTree(quint64(offset) + 16, quint64(count) * 8))
            return fail(QStringLiteral("записи каталога выходят за конец дерева"), offset);
        // A type's names each hold a resource or more: room for them at once, not
        // grown (and copied) again and again across thousands. No more than the tree
        // can hold (a resource takes 40 bytes of it at least), whatever a damaged
        // directory claims.
        if (level == 1)
            out.reserve(out.size() + qsizetype(std::min<quint64>(count, m_size / 40)));
        for (quint32 i = 0; i < count; ++i) {
            const qint64 entryAt = m_root + offset + 16 + 8 * i;
            const quint32 nameField = u32At(m_file, entryAt);
            const quint32 target = u32At(m_file, entryAt + 4);
            ResourceKey key;
            if (nameField & 0x80000000u) {
                if (level == 2)
                    return fail(QStringLiteral("язык ресурса задан строкой"), offset);
                if (!readName(nameField & 0x7fffffffu, key.name))
                    return false;
            } else {
                if (nameField > 0xffff)
                    return fail(QStringLiteral("номер %1 больше 65535").arg(nameField), offset);
                key.id = quint16(nameField);
            }
            const bool isDirectory = target & 0x80000000u;
            if (level < 2 && !isDirectory)
                return fail(QStringLiteral("данные там, где ожидался каталог"), offset);
            if (level == 2 && isDirectory)
                return fail(QStringLiteral("дерево глубже трёх уровней"), offset);
            if (level == 0)
                path.type = key;
            else if (level == 1)
                path.name = key;
            else
                path.language = key.id;
            if (isDirectory) {
                if (!readDirectory(level + 1, target & 0x7fffffffu, path, out))
                    return false;
            } else if (!readData(target, path, out)) {
                return false;
            }
        }
        return true;
    }

    bool readData(quint32 offset, Resource resource, QList<Resource>& out)
    {
        if (!inTree(offset, 16))
            return fail(QStringLiteral("описание данных за концом дерева"), offset);
        const quint32 rva = u32At(m_file, m_root + offset);
        const quint32 size = u32At(m_file, m_root + offset + 4);
        const std::optional<qint64> at = m_pe.offsetOf(rva, size);
        if (!at)
            return fail(QStringLiteral("данные ресурса (%1 байт по адресу %2) за пределами файла")
                            .arg(size)
                            .arg(hex(rva)),
                        offset);
        resource.data = resourceBytes(m_file, *at, size, m_how);
        resource.codePage = u32At(m_file, m_root + offset + 8);
        out << resource;
        return true;
    }

    const QByteArray& m_file;
    const PeLayout& m_pe;
    qint64 m_root;
    quint32 m_size;
    ResourceData m_how;
    QSet<quint32> m_seen;
    QString m_error;
};

// The order a resource tree keeps its entries in: names first, compared as the
// system's lookup compares them (ignoring case), then numbers ascending.
bool treeOrder(const ResourceKey& a, const ResourceKey& b)
{
    if (a.isNumber() != b.isNumber())
        return !a.isNumber();
    if (a.isNumber())
        return a.id < b.id;
    const QString ua = a.name.toUpper(), ub = b.name.toUpper();
    return ua != ub ? ua < ub : a.name < b.name;
}

} // namespace

bool looksLikePe(const QByteArray& file) { return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z'; }

PeResources readPeResources(const QByteArray& file, ResourceData how)
{
    PeResources result;
    const PeLayout pe = readLayout(file);
    result.error = refusal(file, pe);
    if (!result.error.isEmpty())
        return result;
    const Directory tree = directoryOf(file, pe, kResourceDirectory);
    if (tree.rva == 0 && tree.size == 0)
        return result; // a program without resources
    const std::optional<qint64> rootAt = pe.offsetOf(tree.rva, 16);
    if (!rootAt) {
        result.error = QStringLiteral("дерево ресурсов повреждено: его адрес %1 лежит вне данных разделов")
                           .arg(hex(tree.rva));
        return result;
    }
    // The tree's own size is often given loosely; what counts is that every piece lies in the file.
    TreeReader reader(file, pe, *rootAt, quint32(std::min<qint64>(file.size() - *rootAt, 0x7fffffff)), how);
    result.error = reader.read(result.resources);
    if (!result.error.isEmpty())
        result.resources.clear();
    return result;
}

QList<QByteArray> resourceSectionPieces(const QList<Resource>& resources, quint32 sectionRva)
{
    // type -> name -> language -> index into `resources`
    using Languages = std::map<quint16, qsizetype>;
    using Names = std::map<ResourceKey, Languages, decltype(&treeOrder)>;
    std::map<ResourceKey, Names, decltype(&treeOrder)> types(&treeOrder);
    for (qsizetype i = 0; i < resources.size(); ++i) {
        const Resource& r = resources[i];
        types.try_emplace(r.type, &treeOrder).first->second.try_emplace(r.name).first->second[r.language] = i;
    }

    // Sizes first, so every offset is known before anything is written.
    const auto directorySize = [](size_t entries) { return quint32(16 + 8 * entries); };
    quint32 directories = directorySize(types.size());
    size_t leaves = 0;
    for (const auto& [type, names] : types) {
        directories += directorySize(names.size());
        for (const auto& [name, languages] : names) {
            directories += directorySize(languages.size());
            leaves += languages.size();
        }
    }
    const quint32 dataEntriesAt = directories;
    quint32 stringsAt = dataEntriesAt + quint32(leaves) * 16;
    QByteArray strings;
    std::map<QString, quint32> nameOffsets;
    const auto nameOffset = [&](const QString& name) {
        const auto found = nameOffsets.find(name);
        if (found != nameOffsets.end())
            return found->second;
        const quint32 at = stringsAt + quint32(strings.size());
        append16(strings, quint16(name.size()));
        for (const QChar c : name)
            append16(strings, c.unicode());
        nameOffsets.emplace(name, at);
        return at;
    };
    for (const auto& [type, names] : types) {
        if (!type.isNumber())
            nameOffset(type.name);
        for (const auto& [name, languages] : names)
            if (!name.isNumber())
                nameOffset(name.name);
    }
    quint32 dataAt = quint32(alignUp(stringsAt + quint32(strings.size()), 8));

    QByteArray out;
    out.reserve(qsizetype(dataAt));
    const auto writeDirectory = [&out](quint16 named, quint16 numbered) {
        append32(out, 0); // characteristics
        append32(out, 0); // time stamp
        append32(out, 0); // version
        append16(out, named);
        append16(out, numbered);
    };
    const auto countNamed = [](const auto& map) {
        quint16 n = 0;
        for (const auto& entry : map)
            n += entry.first.isNumber() ? 0 : 1;
        return n;
    };
    const auto entryName = [&](const ResourceKey& key) {
        return key.isNumber() ? quint32(key.id) : (0x80000000u | nameOffset(key.name));
    };

    // Root, then each type's directory, then each name's, breadth first.
    quint32 next = directorySize(types.size());
    writeDirectory(countNamed(types), quint16(types.size() - countNamed(types)));
    for (const auto& [type, names] : types) {
        append32(out, entryName(type));
        append32(out, 0x80000000u | next);
        next += directorySize(names.size());
    }
    for (const auto& [type, names] : types) {
        writeDirectory(countNamed(names), quint16(names.size() - countNamed(names)));
        for (const auto& [name, languages] : names) {
            append32(out, entryName(name));
            append32(out, 0x80000000u | next);
            next += directorySize(languages.size());
        }
    }
    quint32 dataEntry = dataEntriesAt;
    for (const auto& [type, names] : types)
        for (const auto& [name, languages] : names) {
            writeDirectory(0, quint16(languages.size()));
            for (const auto& [language, index] : languages) {
                append32(out, language);
                append32(out, dataEntry);
                dataEntry += 16;
            }
        }
    QList<qsizetype> order;
    for (const auto& [type, names] : types)
        for (const auto& [name, languages] : names)
            for (const auto& [language, index] : languages) {
                const Resource& r = resources[index];
                append32(out, sectionRva + dataAt);
                append32(out, quint32(r.data.size()));
                append32(out, r.codePage);
                append32(out, 0);
                dataAt = quint32(alignUp(dataAt + quint32(r.data.size()), 8));
                order << index;
            }
    out += strings;
    // The data as the resources' own (shared) bytes: a section is never copied whole.
    QList<QByteArray> pieces{out};
    quint64 at = quint64(out.size());
    for (const qsizetype index : std::as_const(order)) {
        if (const quint64 padding = alignUp(at, 8) - at) {
            pieces << QByteArray(qsizetype(padding), '\0');
            at += padding;
        }
        pieces << resources[index].data;
        at += quint64(resources[index].data.size());
    }
    if (const quint64 padding = alignUp(at, 8) - at)
        pieces << QByteArray(qsizetype(padding), '\0');
    return pieces;
}

std::optional<FileError> peChecksum(const QList<ContentPiece>& pieces, qint64 checksumOffset, quint32& sum32)
{
    quint64 sum = 0;
    qint64 at = 0;
    quint32 low = 0; // the first byte of a word that goes on into the next chunk
    const std::optional<FileError> failed = readPieces(pieces, [&](QByteArrayView chunk) {
        const auto* bytes = reinterpret_cast<const quint8*>(chunk.data());
        for (qsizetype i = 0; i < chunk.size(); ++i, ++at) {
            if (at % 2 == 0) {
                low = bytes[i];
                continue;
            }
            const qint64 word = at - 1;
            if (word != checksumOffset && word != checksumOffset + 2)
                sum += low | quint32(bytes[i]) << 8;
        }
        return true;
    });
    if (failed)
        return failed;
    if (at % 2)
        sum += low;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    sum32 = quint32(sum + quint64(at));
    return std::nullopt;
}

QByteArray PeWritten::joined() const
{
    qint64 size = 0;
    for (const ContentPiece& piece : pieces)
        size += piece.length();
    QByteArray joined;
    joined.reserve(qsizetype(size));
    // A failure to read leaves the copy short, which no reader takes for the program.
    (void)readPieces(pieces, [&joined](QByteArrayView chunk) {
        joined += chunk;
        return true;
    });
    return joined;
}

struct PeOriginal::Data {
    PeLayout pe;
    QString error;
    QByteArray head; // the first bytes, as far as one more section header would reach
    QByteArray file; // the whole file, when its parts are views of it
    QFile* source = nullptr;
    qint64 size = 0;
    // Each debug directory entry's field holding a file offset, and that offset.
    QList<std::pair<qint64, quint32>> debugPointers;
    // Where the resource section's bytes past its tree begin, counted from the
    // section's start, when some of them are not zero: something else keeps data
    // there (reached by its address), which a new tree must leave as it is. -1: none.
    qint64 usedTail = -1;
};

PeOriginal::PeOriginal(const QByteArray& file, QFile* source)
{
    auto data = std::make_unique<Data>();
    data->pe = readLayout(file);
    data->error = refusal(file, data->pe);
    data->size = file.size();
    data->source = source;
    if (!source)
        data->file = file;
    if (data->error.isEmpty()) {
        const PeLayout& pe = data->pe;
        const qint64 headLength = pe.sectionTableAt + qint64(pe.sections.size() + 1) * kSectionHeaderSize;
        // A copy of its own: the file's bytes may go once this is made.
        data->head = QByteArray(file.constData(), qsizetype(std::min<qint64>(headLength, file.size())));
        const Directory tree = directoryOf(file, pe, kResourceDirectory);
        for (const Section& s : pe.sections)
            if (tree.rva && s.virtualAddress == tree.rva && s.name == ".rsrc" && tree.size < s.rawSize) {
                const qint64 from = qint64(s.rawOffset) + tree.size;
                const qint64 to = std::min<qint64>(qint64(s.rawOffset) + s.rawSize, file.size());
                if (from < to && std::any_of(file.constData() + from, file.constData() + to,
                                             [](char c) { return c != 0; }))
                    data->usedTail = tree.size;
            }
        const Directory debug = directoryOf(file, pe, kDebugDirectory);
        if (const std::optional<qint64> debugAt = pe.offsetOf(debug.rva, debug.size); debug.size && debugAt)
            for (quint32 i = 0; i + 28 <= debug.size; i += 28)
                data->debugPointers.append({*debugAt + i + 24, u32At(file, *debugAt + i + 24)});
    }
    d = std::move(data);
}

PeOriginal::~PeOriginal() = default;

PeWritten replacePeResources(const PeOriginal& originalFile, const QList<Resource>& resources)
{
    PeWritten result;
    const PeOriginal::Data& original = *originalFile.d;
    const PeLayout& pe = original.pe;
    const QByteArray& head = original.head;
    result.error = original.error;
    if (!result.error.isEmpty())
        return result;
    // The headers as far as one more section header reaches are copied and edited;
    // the rest of the new file is the original's parts and the new section's pieces.
    Splice out(head, original.file, original.source, original.size);
    if (!pe.hasDirectory(kResourceDirectory)) {
        // The headers have no entry that could name a resource tree: writing one would
        // land on whatever follows the entries they have.
        if (!resources.isEmpty()) {
            result.error = QStringLiteral("в заголовке программы нет записи для дерева ресурсов");
            return result;
        }
        out.originalPieces(0, original.size, result.pieces);
        return result;
    }

    // The overlay: whatever follows the sections' data (a COFF symbol table, an
    // installer's payload, a signature). A signature is cut out of it.
    const qint64 sectionsEnd = std::min<qint64>(pe.sectionsEnd(), original.size);
    qint64 certificateAt = -1, certificateSize = 0;
    const Directory certificate = directoryOf(head, pe, kCertificateDirectory);
    if (certificate.size) {
        result.notes << QStringLiteral(
            "подпись программы удалена: после замены ресурсов она не могла бы остаться верной");
        out.set32(pe.directoryAt(kCertificateDirectory), 0);
        out.set32(pe.directoryAt(kCertificateDirectory) + 4, 0);
        if (certificate.rva >= sectionsEnd && certificate.size <= original.size - certificate.rva) {
            certificateAt = certificate.rva;
            certificateSize = certificate.size;
        }
    }
    // Where an overlay byte at `offset` of the old file lands once the overlay begins at `newStart`.
    const auto moved = [&](quint32 offset, qint64 newStart) -> quint32 {
        qint64 into = qint64(offset) - sectionsEnd;
        if (certificateAt >= 0 && qint64(offset) >= certificateAt + certificateSize)
            into -= certificateSize;
        return quint32(newStart + into);
    };

    // In place when the old tree has a section of its own and the new one fits in its data.
    const Directory tree = directoryOf(head, pe, kResourceDirectory);
    const Section* own = nullptr;
    for (const Section& s : pe.sections)
        if (tree.rva && s.virtualAddress == tree.rva && s.name == ".rsrc")
            own = &s;
    if (own) {
        // Only where its data is its own: a new section written there must not land
        // on the headers or on another section's data.
        const qint64 start = own->rawOffset, end = start + own->rawSize;
        bool alone = start >= pe.sectionTableAt + qint64(pe.sections.size()) * kSectionHeaderSize;
        for (const Section& s : pe.sections)
            if (&s != own && s.rawSize && s.rawOffset < end && start < qint64(s.rawOffset) + s.rawSize)
                alone = false;
        if (!alone)
            own = nullptr;
    }
    QList<QByteArray> section;
    qint64 sectionSize = 0;
    quint32 sectionRva = 0;
    qint64 overlayStart = sectionsEnd;
    if (own) {
        section = resourceSectionPieces(resources, own->virtualAddress);
        sectionSize = sizeOfPieces(section);
        quint32 room = own->rawSize;
        for (const Section& s : pe.sections)
            if (s.virtualAddress > own->virtualAddress)
                room = std::min(room, s.virtualAddress - own->virtualAddress);
        if (original.usedTail >= 0)
            room = std::min(room, quint32(original.usedTail));
        if (sectionSize <= qint64(room)) {
            sectionRva = own->virtualAddress;
            if (original.usedTail < 0)
                out.set32(own->headerAt + 8, quint32(sectionSize));
        } else {
            own = nullptr;
        }
    }
    QList<Section> sections = pe.sections;
    quint64 rawAt = 0, rawSize = 0;
    if (!sectionRva) {
        const qsizetype headerAt = pe.sectionTableAt + qsizetype(pe.sections.size()) * kSectionHeaderSize;
        qint64 firstData = pe.sizeOfHeaders;
        for (const Section& s : pe.sections)
            if (s.rawSize)
                firstData = std::min<qint64>(firstData, s.rawOffset);
        bool room = headerAt + kSectionHeaderSize <= firstData && fits(head, headerAt, kSectionHeaderSize);
        for (qsizetype i = 0; room && i < kSectionHeaderSize; ++i)
            room = head[headerAt + i] == '\0';
        if (!room) {
            result.error =
                QStringLiteral("в заголовке программы нет места для ещё одного раздела, а новые ресурсы не "
                               "помещаются на место старых");
            return result;
        }
        quint64 imageEnd = pe.sizeOfHeaders;
        quint32 characteristics = 0x40000040; // initialised data, readable
        for (const Section& s : pe.sections) {
            // An empty section still holds its address: the new one must not share it.
            imageEnd = std::max<quint64>(imageEnd, quint64(s.virtualAddress) + std::max(s.mappedSize(), 1u));
            if (s.name == ".rsrc") {
                characteristics = s.characteristics;
                out.setBytes(s.headerAt, QByteArray(".oldrsrc", 8));
            }
        }
        const quint64 rva = alignUp(imageEnd, pe.sectionAlignment);
        if (rva > 0xffffffffull - 0x10000000ull) {
            result.error = QStringLiteral("образ программы слишком велик для ещё одного раздела");
            return result;
        }
        sectionRva = quint32(rva);
        section = resourceSectionPieces(resources, sectionRva);
        sectionSize = sizeOfPieces(section);
        rawAt = alignUp(quint64(sectionsEnd), pe.fileAlignment);
        rawSize = alignUp(quint64(sectionSize), pe.fileAlignment);
        QByteArray header(kSectionHeaderSize, '\0');
        std::memcpy(header.data(), ".rsrc", 5);
        put32(header, 8, quint32(sectionSize));
        put32(header, 12, sectionRva);
        put32(header, 16, quint32(rawSize));
        put32(header, 20, quint32(rawAt));
        put32(header, 36, characteristics);
        out.setBytes(headerAt, header);
        out.set16(pe.coffAt + 2, quint16(pe.sections.size() + 1));
        out.set32(pe.initialisedDataAt(), u32At(head, pe.initialisedDataAt()) + quint32(rawSize));
        overlayStart = qint64(rawAt + rawSize);
        Section added;
        added.virtualAddress = sectionRva;
        added.virtualSize = quint32(sectionSize);
        sections << added;
    }

    // In place with another tool's data past the tree, the section keeps its size in memory.
    const bool keptTail = own && original.usedTail >= 0;
    quint64 imageEnd = pe.sizeOfHeaders;
    for (const Section& s : sections) {
        const quint32 size =
            s.virtualAddress == sectionRva && !keptTail ? quint32(sectionSize) : s.mappedSize();
        imageEnd = std::max<quint64>(imageEnd, quint64(s.virtualAddress) + size);
    }
    out.set32(pe.sizeOfImageAt(), quint32(alignUp(imageEnd, pe.sectionAlignment)));
    out.set32(pe.directoryAt(kResourceDirectory), sectionRva);
    out.set32(pe.directoryAt(kResourceDirectory) + 4, quint32(sectionSize));

    // File offsets into the overlay follow it.
    const quint32 symbols = u32At(head, pe.pointerToSymbolsAt());
    if (symbols && symbols >= sectionsEnd)
        out.set32(pe.pointerToSymbolsAt(), moved(symbols, overlayStart));
    for (const auto& [at, pointer] : original.debugPointers)
        if (pointer >= sectionsEnd)
            out.set32(at, moved(pointer, overlayStart));

    QList<ContentPiece>& pieces = result.pieces;
    const auto addSection = [&] {
        for (const QByteArray& piece : std::as_const(section))
            pieces << piece;
    };
    if (own) {
        out.originalPieces(0, own->rawOffset, pieces);
        addSection();
        if (keptTail) {
            pieces << QByteArray(qsizetype(original.usedTail - sectionSize), '\0');
            out.originalPieces(qint64(own->rawOffset) + original.usedTail,
                               qint64(own->rawOffset) + own->rawSize, pieces);
        } else {
            pieces << QByteArray(qsizetype(own->rawSize - sectionSize), '\0');
        }
        out.originalPieces(qint64(own->rawOffset) + own->rawSize, sectionsEnd, pieces);
    } else {
        out.originalPieces(0, sectionsEnd, pieces);
        pieces << QByteArray(qsizetype(rawAt - quint64(sectionsEnd)), '\0');
        addSection();
        pieces << QByteArray(qsizetype(rawSize - quint64(sectionSize)), '\0');
    }
    if (certificateAt >= 0) {
        out.originalPieces(sectionsEnd, certificateAt, pieces);
        out.originalPieces(certificateAt + certificateSize, original.size, pieces);
    } else {
        out.originalPieces(sectionsEnd, original.size, pieces);
    }
    pieces.removeIf([](const ContentPiece& piece) { return piece.length() == 0; });
    quint32 checksum = 0;
    if (const std::optional<FileError> failed = peChecksum(pieces, pe.checksumAt(), checksum)) {
        result.pieces.clear();
        result.error = failed->message();
        return result;
    }
    setInPieces(pieces, pe.checksumAt(), checksum);
    return result;
}

} // namespace kvarsel
