#pragma once
// Compiled resource files (.res), as windres and Microsoft's rc write them: a row of
// resources, each a header (sizes, type, name, flags, language) and its data.

#include "program/Resource.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kvarsel {

// Whether the bytes begin with the empty entry every .res file starts with.
bool looksLikeRes(const QByteArray& file);

struct ResResources {
    QList<Resource> resources; // in the file's order
    QString error;             // Russian, without the file's name; empty on success
};

ResResources readResFile(const QByteArray& file, ResourceData how = ResourceData::Copied);

// The .res file holding `resources` in their order, led by the empty entry.
QByteArray writeResFile(const QList<Resource>& resources);

} // namespace kvarsel
