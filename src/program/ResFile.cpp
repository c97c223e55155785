#include "program/ResFile.h"
#include "program/ResourceBytes.h"

namespace kvarsel {

namespace {

constexpr int kLongestName = 255;

void padTo4(QByteArray& b) { b.append((4 - b.size() % 4) % 4, '\0'); }

const char kEmptyEntry[32] = {0,          0,          0, 0, 0x20,       0,          0, 0,
                              char(0xff), char(0xff), 0, 0, char(0xff), char(0xff), 0, 0};

// A type or name inside a header that ends at `end`: 0xFFFF and a number, or a
// string ended by a zero. Returns false with `error` set when it runs past `end`.
bool readKey(const QByteArray& file, qsizetype& at, qsizetype end, ResourceKey& key, QString& error)
{
    if (at + 2 > end) {
        error = QStringLiteral("заголовок ресурса обрезан");
        return false;
    }
    if (u16At(file, at) == 0xffff) {
        if (at + 4 > end) {
            error = QStringLiteral("заголовок ресурса обрезан");
            return false;
        }
        key = ResourceKey::number(u16At(file, at + 2));
        at += 4;
        return true;
    }
    QString name;
    for (;; at += 2) {
        if (at + 2 > end) {
            error = QStringLiteral("имя ресурса не завершено");
            return false;
        }
        const quint16 c = u16At(file, at);
        if (c == 0)
            break;
        if (name.size() >= kLongestName) {
            error = QStringLiteral("имя ресурса длиннее %1 знаков").arg(kLongestName);
            return false;
        }
        name.append(QChar(c));
    }
    at += 2;
    if (name.isEmpty()) {
        error = QStringLiteral("пустое имя ресурса");
        return false;
    }
    key = ResourceKey::text(name);
    return true;
}

void writeKey(QByteArray& out, const ResourceKey& key)
{
    if (key.isNumber()) {
        append16(out, 0xffff);
        append16(out, key.id);
        return;
    }
    for (const QChar c : key.name)
        append16(out, c.unicode());
    append16(out, 0);
}

} // namespace

bool looksLikeRes(const QByteArray& file)
{
    return file.size() >= 32 && file.startsWith(QByteArray::fromRawData(kEmptyEntry, 16));
}

ResResources readResFile(const QByteArray& file, ResourceData how)
{
    ResResources result;
    if (!looksLikeRes(file)) {
        result.error = QStringLiteral("это не файл ресурсов .res (нет пустой записи в начале)");
        return result;
    }
    qsizetype at = 0;
    while (at < file.size()) {
        const QString where =
            QStringLiteral(" (запись по смещению 0x%1)").arg(QString::number(at, 16).toUpper());
        if (file.size() - at < 8) {
            // Some writers pad the file's end with zeros.
            if (file.mid(at).count('\0') == file.size() - at)
                break;
            result.error = QStringLiteral("файл обрезан: неполный заголовок ресурса") + where;
            break;
        }
        const quint32 dataSize = u32At(file, at);
        const quint32 headerSize = u32At(file, at + 4);
        if (headerSize < 24 || headerSize > quint32(file.size() - at) ||
            dataSize > quint32(file.size() - at) - headerSize) {
            result.error =
                QStringLiteral("файл обрезан или повреждён: размеры записи выходят за конец файла") + where;
            break;
        }
        const qsizetype end = at + qsizetype(headerSize);
        qsizetype p = at + 8;
        Resource r;
        if (!readKey(file, p, end, r.type, result.error) || !readKey(file, p, end, r.name, result.error)) {
            result.error += where;
            break;
        }
        p = (p + 3) & ~qsizetype(3);
        if (p + 16 > end) {
            result.error = QStringLiteral("заголовок ресурса обрезан") + where;
            break;
        }
        r.dataVersion = u32At(file, p);
        r.memoryFlags = u16At(file, p + 4);
        r.language = u16At(file, p + 6);
        r.version = u32At(file, p + 8);
        r.characteristics = u32At(file, p + 12);
        r.data = resourceBytes(file, end, dataSize, how);
        // The leading empty entry (type 0) marks the file; it is not a resource.
        if (!(r.type.isNumber() && r.type.id == 0 && dataSize == 0))
            result.resources << r;
        at = (end + qsizetype(dataSize) + 3) & ~qsizetype(3);
    }
    if (!result.error.isEmpty())
        result.resources.clear();
    return result;
}

QByteArray writeResFile(const QList<Resource>& resources)
{
    QByteArray out(kEmptyEntry, 32);
    for (const Resource& r : resources) {
        QByteArray header;
        writeKey(header, r.type);
        writeKey(header, r.name);
        padTo4(header);
        append32(header, r.dataVersion);
        append16(header, r.memoryFlags);
        append16(header, r.language);
        append32(header, r.version);
        append32(header, r.characteristics);
        append32(out, quint32(r.data.size()));
        append32(out, quint32(header.size() + 8));
        out += header;
        out += r.data;
        padTo4(out);
    }
    return out;
}

} // namespace kvarsel
