#include "workbench/DictionaryReadAhead.h"

namespace kvarsel {

void DictionaryReadAhead::start(qsizetype i)
{
    m_reading = std::async(std::launch::async, [path = m_paths[i], &into = m_buffers[size_t(i % 2)]] {
        auto error = readScannedText(path, into.text);
        if (into.text.windows1251)
            PhraseSet::scanWindows1251(into.text.bytes, into.scan);
        else
            PhraseSet::scan(into.text.text, into.scan);
        return error;
    });
}

DictionaryReadAhead::Read DictionaryReadAhead::take(qsizetype i)
{
    std::optional<FileError> error = m_reading.get();
    const Buffer& buffer = m_buffers[size_t(i % 2)];
    return Read{buffer.text, buffer.scan, std::move(error)};
}

} // namespace kvarsel
