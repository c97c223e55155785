#pragma once
// The connected dictionaries of an automatic translation, each read and scanned
// (line ends, the hashes of its source rows) on a second thread while the pass
// before it runs. Two buffers are taken in turn: a pass needs only its own
// dictionary, and only until the one after the next starts to be read.

#include "dictionary/PhraseSet.h"
#include "text/FileError.h"
#include "text/TextFile.h"

#include <QStringList>
#include <array>
#include <future>
#include <optional>

namespace kvarsel {

class DictionaryReadAhead {
public:
    explicit DictionaryReadAhead(QStringList paths) : m_paths(std::move(paths)) {}

    // A dictionary as read, for the pass over it. A dictionary that could not be
    // read comes with its failure and an empty text.
    struct Read {
        const ScannedText& text;
        const PhraseSet::Scan& scan;
        std::optional<FileError> error;
    };

    // Starts reading dictionary `i` on the second thread; `i` is the first one, or
    // the one after the dictionary taken last.
    void start(qsizetype i);
    // Waits for dictionary `i`, the one started last. It stays valid until
    // dictionary i + 2 is started.
    Read take(qsizetype i);

private:
    struct Buffer {
        ScannedText text;
        PhraseSet::Scan scan;
    };
    QStringList m_paths;
    std::array<Buffer, 2> m_buffers;
    // Last, so it goes first: its destructor waits for a read still under way,
    // before the buffer that read fills goes.
    std::future<std::optional<FileError>> m_reading;
};

} // namespace kvarsel
