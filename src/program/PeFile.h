#pragma once
// A Windows program's resources: read from a PE file (PE32 and PE32+) with every
// offset and size checked against the file, and written back as a new resource
// section, everything else in the file kept byte for byte.

#include "program/Resource.h"
#include "text/SafeWrite.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QFile;

namespace kvarsel {

// Whether the bytes begin the way every PE file does ("MZ").
bool looksLikePe(const QByteArray& file);

struct PeResources {
    QList<Resource> resources; // in the order of the tree: type, name, language
    QString error;             // Russian, without the file's name; empty on success
};

// The resources of a PE file. A .NET program, a packed program and a damaged
// resource tree (offsets past the end, loops, more than three levels, names too
// long) are refused.
PeResources readPeResources(const QByteArray& file, ResourceData how = ResourceData::Copied);

// What replacing a PE file's resources needs of the original, taken once while its
// bytes are in memory: the headers, the few fields kept elsewhere, the size.
class PeOriginal {
public:
    // `file` is the whole original. With `source`, the same file kept open, the new
    // program's unchanged parts are read from it as they are written and `file` may
    // go; without it they are views of `file`, which must then outlive them.
    explicit PeOriginal(const QByteArray& file, QFile* source = nullptr);
    ~PeOriginal();
    struct Data;

private:
    friend struct PeWritten replacePeResources(const PeOriginal&, const QList<Resource>&);
    std::unique_ptr<const Data> d;
};

struct PeWritten {
    // The new program in order, as pieces: the edited headers and the new section's
    // tables of its own, the rest the original's parts (views, or read from the
    // original as they are written) and the resources' data, which must outlive
    // them. Write them one after another, or join them.
    QList<ContentPiece> pieces;
    QString error;     // Russian; empty on success, and then `pieces` make the new program
    QStringList notes; // what the user must know about the copy (a signature dropped)
    QByteArray joined() const;
};

// `file` with its resources replaced by `resources`. The new resource section goes
// where the old one was when it fits there, else it is appended as ".rsrc" and the
// old section renamed and left unused; an overlay and a COFF symbol table after the
// sections move along. The image size, the size of initialised data, the resource
// data directory and the checksum are made right; a signature is dropped (it could
// no longer hold) and said so.
PeWritten replacePeResources(const PeOriginal& original, const QList<Resource>& resources);
inline PeWritten replacePeResources(const QByteArray& file, const QList<Resource>& resources)
{
    return replacePeResources(PeOriginal(file), resources);
}

// The resource section holding `resources`, laid out for the address `sectionRva`,
// as pieces: the directories, data entries and names, then each resource's own data
// and its padding, each aligned to 8.
QList<QByteArray> resourceSectionPieces(const QList<Resource>& resources, quint32 sectionRva);

// The PE checksum of the file the pieces make one after another, whose checksum
// field is at `checksumOffset`, into `sum`. Returns the failure to read a file's
// piece, or nothing.
std::optional<FileError> peChecksum(const QList<ContentPiece>& pieces, qint64 checksumOffset, quint32& sum);

} // namespace kvarsel
