#pragma once
// The one dictionary in memory: rows 0 and 1 empty, then source and translation
// rows in turn, sources on even rows from 2. It holds the user dictionary;
// automatic translation streams the connected dictionaries from their files.

#include "text/Encoding.h"
#include "text/FileError.h"
#include <QDateTime>
#include <QStringList>
#include <memory>
#include <optional>

namespace kvarsel {

class LookupIndex;

class CurrentDictionary {
public:
    void Clear();
    void Append(const QString& row);
    void Insert(qsizetype index, const QString& row);
    void Remove(qsizetype index);
    // Replaces a row in place; every other row keeps its index.
    void Replace(qsizetype index, const QString& row);
    void Assign(QStringList rows);

    // Appends source and translation as one entry. A dictionary that has no rows
    // yet (no user dictionary at start) gets its two empty leading rows first, so
    // the entry lands on an even row where lookup and saving reach it.
    void AppendEntry(const QString& source, const QString& translation);

    // The source row of the first entry whose source is `source`, letter case aside,
    // and which has a translation row; -1 if none. Lookup reaches no later one.
    qsizetype FindEntry(const QString& source) const;

    qsizetype RowCount() const { return m_rows.size(); }
    const QString& Row(qsizetype index) const { return m_rows[index]; }
    const QStringList& rows() const { return m_rows; }

    // First row after `start` whose text begins with `search`, ignoring case; -1 if none.
    qsizetype FindPrefix(const QString& search, qsizetype start) const;

    // The encoding of the file the rows were loaded from, kept for writing them back;
    // empty when no file was read (a user dictionary not created yet). Editing the
    // rows leaves it as it is.
    const std::optional<TextEncoding>& fileEncoding() const { return m_fileEncoding; }
    void setFileEncoding(std::optional<TextEncoding> encoding) { m_fileEncoding = encoding; }

    // Changes on every edit, so derived indexes can tell they are stale.
    quint64 revision() const { return m_revision; }
    // Changes on every edit except appending at the end, so an index of the rows
    // can follow new entries without reading the old ones again.
    quint64 rewriteRevision() const { return m_rewriteRevision; }

    // The lookup index of the rows as they are now; built on first use after a change.
    const LookupIndex& lookupIndex() const;

    // Notes that the rows as they are now equal the file at `path` as it is now
    // (just loaded from it or saved to it).
    void markSameAsFile(const QString& path) const;
    // Whether the rows still equal that file: no edit since, and the file still
    // has the size and modification time it had then.
    bool sameAsFile(const QString& path) const;

    // The user dictionary's file as this dictionary last read it whole or wrote it
    // (`present` false: there was none). A save may replace the file only while it
    // is still that: another program's change is never silently written over.
    struct UserFileCopy {
        QString path;
        bool present = false;
        qint64 size = -1;
        QDateTime modified;
        size_t digest = 0;
        friend bool operator==(const UserFileCopy&, const UserFileCopy&) = default;
    };
    const std::optional<UserFileCopy>& userFileCopy() const { return m_userFile; }
    void setUserFileCopy(std::optional<UserFileCopy> copy) const { m_userFile = std::move(copy); }
    // Why the user dictionary's file, which exists, could not be read whole: the rows
    // are then not its contents, and it may not be written over with them.
    const std::optional<FileError>& userFileUnread() const { return m_userFileUnread; }
    void setUserFileUnread(std::optional<FileError> error) { m_userFileUnread = std::move(error); }

private:
    QStringList m_rows;
    std::optional<TextEncoding> m_fileEncoding;
    quint64 m_revision = 0;
    quint64 m_rewriteRevision = 0;
    mutable std::shared_ptr<const LookupIndex> m_index;
    mutable quint64 m_indexRevision = 0;
    struct FileStamp {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        quint64 revision = 0;
    };
    mutable std::optional<FileStamp>
        m_file; // bookkeeping, not content: a saver of a const dictionary sets it
    mutable std::optional<UserFileCopy> m_userFile; // the same
    std::optional<FileError> m_userFileUnread;
};

} // namespace kvarsel
