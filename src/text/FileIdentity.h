#pragma once
// Which file or directory a path leads to now, links followed: the device and the
// inode where the system has them, the real path besides. Two identities taken at
// different times are equal only when the path still leads to the same object, so
// a directory replaced by another one, or by a link to another one, is told apart
// from the one that was there.

#include <QString>

namespace kvarsel {

struct FileIdentity {
    QString realPath; // empty when the path leads nowhere
    quint64 device = 0;
    quint64 inode = 0;

    bool isValid() const { return !realPath.isEmpty(); }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity identityOf(const QString& path);

} // namespace kvarsel
