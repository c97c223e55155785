#pragma once
// One resource as a resource tree (a PE file's resource section, or a .res file) keeps it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace kvarsel {

// A resource's type or name as a resource tree keeps it: a number, or a string.
struct ResourceKey {
    quint16 id = 0;
    QString name; // empty: the key is the number `id`

    static ResourceKey number(quint16 n) { return ResourceKey{n, {}}; }
    static ResourceKey text(const QString& s) { return ResourceKey{0, s}; }
    bool isNumber() const { return name.isEmpty(); }

    // The order of a resource tree: strings before numbers, strings by their UTF-16
    // units, numbers ascending.
    friend bool operator==(const ResourceKey& a, const ResourceKey& b)
    {
        return a.isNumber() == b.isNumber() && (a.isNumber() ? a.id == b.id : a.name == b.name);
    }
    friend bool operator!=(const ResourceKey& a, const ResourceKey& b) { return !(a == b); }
    friend bool operator<(const ResourceKey& a, const ResourceKey& b)
    {
        if (a.isNumber() != b.isNumber())
            return !a.isNumber();
        if (a.isNumber())
            return a.id < b.id;
        return a.name < b.name;
    }
    // "5" for a number, the name itself for a string.
    QString toString() const { return isNumber() ? QString::number(id) : name; }
};

// The resource types this program reads or writes by number.
namespace ResourceType {
inline constexpr quint16 Cursor = 1, Bitmap = 2, Icon = 3, Menu = 4, Dialog = 5, String = 6, Accelerator = 9,
                         RcData = 10, GroupCursor = 12, GroupIcon = 14, Version = 16, Manifest = 24;
}

struct Resource {
    ResourceKey type, name;
    quint16 language = 0;
    QByteArray data;
    // kept so a .res or a PE resource is written back as it was read
    quint32 codePage = 0;
    quint16 memoryFlags = 0x1030;
    quint32 dataVersion = 0, version = 0, characteristics = 0;
};

} // namespace kvarsel

// Only implicitly shared Qt values inside: a list of thousands of resources grows by
// moving its memory, not each resource.
Q_DECLARE_TYPEINFO(kvarsel::ResourceKey, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(kvarsel::Resource, Q_RELOCATABLE_TYPE);

namespace kvarsel {

// How a reader hands out each resource's bytes: copied out of the file, or as views
// into the file's bytes, which then must outlive the resources and stay unchanged
// (a caller that holds the file anyway saves a second copy of every resource).
enum class ResourceData { Copied, ViewsOfFile };

inline QByteArray resourceBytes(const QByteArray& file, qint64 at, qint64 size, ResourceData how)
{
    return how == ResourceData::Copied ? file.mid(at, size)
                                       : QByteArray::fromRawData(file.constData() + at, qsizetype(size));
}

} // namespace kvarsel
