#pragma once
// A Windows program's resources: read from a PE file (PE32 and PE32+) with every
// offset and size checked against the file, and written back as a new resource
// section, everything else in the file kept byte for byte.

#include "program/Resource.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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

struct PeWritten {
    // The new program in order, as pieces: the edited headers and the new section's
    // tables of its own, the rest views of the original file and the resources'
    // data, which must outlive them. Write them one after another, or join them.
    QList<QByteArray> pieces;
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
PeWritten replacePeResources(const QByteArray& file, const QList<Resource>& resources);

// The resource section holding `resources`, laid out for the address `sectionRva`,
// as pieces: the directories, data entries and names, then each resource's own data
// and its padding, each aligned to 8.
QList<QByteArray> resourceSectionPieces(const QList<Resource>& resources, quint32 sectionRva);

// The PE checksum of the file the pieces make one after another, whose checksum
// field is at `checksumOffset`.
quint32 peChecksum(const QList<QByteArray>& pieces, qint64 checksumOffset);

} // namespace kvarsel
