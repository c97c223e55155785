#pragma once
// The bytes of a dictionary file: Windows-1251 when every text fits the code page,
// otherwise UTF-8 behind a byte-order mark, lines ended by CR LF either way. A
// dictionary is read back by its byte-order mark, Windows-1251 without one.

#include "text/FileError.h"

#include <QByteArray>
#include <QMultiHash>
#include <QStringList>
#include <optional>

namespace kvarsel {

enum class DictionaryEncoding { Cp1251, Utf8Bom };

// Builds a dictionary file's bytes entry by entry, for imports too large to hold
// twice: Windows-1251 until the first text that does not fit, when the bytes so far
// are turned into UTF-8 (behind a byte-order mark) once and the rest follows in
// UTF-8. Exact repeats of an entry are found through a hash of each entry that points
// into these bytes, so memory is the file's size and a few words an entry.
class DictionaryBuilder {
public:
    // Appends the entry; false, and nothing appended, when the same entry is already in.
    bool add(const QString& source, const QString& translation);
    qsizetype count() const { return m_starts.size(); }
    DictionaryEncoding encoding() const { return m_encoding; }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray encoded(const QString& source, const QString& translation) const;
    void switchToUtf8();

    QByteArray m_bytes;
    DictionaryEncoding m_encoding = DictionaryEncoding::Cp1251;
    QList<qsizetype> m_starts;              // where each entry's bytes begin
    QMultiHash<size_t, qsizetype> m_byHash; // entry hash -> entry number
};

// The lines of a dictionary file, decoded after its byte-order mark (UTF-8,
// UTF-16 LE or BE); without one, valid UTF-8 holding a multi-byte sequence is
// UTF-8 and anything else Windows-1251. Empty lines are kept.
std::optional<FileError> readDictionaryLines(const QString& path, QStringList& lines);

} // namespace kvarsel
