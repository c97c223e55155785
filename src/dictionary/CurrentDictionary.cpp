#include "dictionary/CurrentDictionary.h"

#include "dictionary/LookupIndex.h"
#include "text/CaseFold.h"

#include <QFileInfo>

namespace kvarsel {

void CurrentDictionary::Clear()
{
    m_rows.clear();
    ++m_revision;
    ++m_rewriteRevision;
}

void CurrentDictionary::Append(const QString& row)
{
    m_rows.append(row);
    ++m_revision;
}

void CurrentDictionary::Insert(qsizetype index, const QString& row)
{
    m_rows.insert(index, row);
    ++m_revision;
    ++m_rewriteRevision;
}

void CurrentDictionary::Remove(qsizetype index)
{
    m_rows.removeAt(index);
    ++m_revision;
    ++m_rewriteRevision;
}

void CurrentDictionary::Replace(qsizetype index, const QString& row)
{
    m_rows[index] = row;
    ++m_revision;
    ++m_rewriteRevision;
}

void CurrentDictionary::Assign(QStringList rows)
{
    m_rows = std::move(rows);
    ++m_revision;
    ++m_rewriteRevision;
}

void CurrentDictionary::AppendEntry(const QString& source, const QString& translation)
{
    if (m_rows.isEmpty())
        m_rows << QString() << QString();
    m_rows << source << translation;
    ++m_revision;
}

qsizetype CurrentDictionary::FindEntry(const QString& source) const
{
    for (qsizetype r = 2; r + 1 < m_rows.size(); r += 2)
        if (equalsIgnoringCase(m_rows[r], source))
            return r;
    return -1;
}

const LookupIndex& CurrentDictionary::lookupIndex() const
{
    if (!m_index || m_indexRevision != m_revision) {
        m_index = std::make_shared<const LookupIndex>(m_rows);
        m_indexRevision = m_revision;
    }
    return *m_index;
}

void CurrentDictionary::markSameAsFile(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_file.reset();
        return;
    }
    m_file = FileStamp{info.absoluteFilePath(), info.size(), info.lastModified(), m_revision};
}

bool CurrentDictionary::sameAsFile(const QString& path) const
{
    if (!m_file || m_file->revision != m_revision)
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.absoluteFilePath() == m_file->path && info.size() == m_file->size &&
           info.lastModified() == m_file->modified;
}

qsizetype CurrentDictionary::FindPrefix(const QString& search, qsizetype start) const
{
    return findPrefixIn(
        m_rows.size(), [this](qsizetype i) -> QStringView { return m_rows[i]; }, search, start);
}

} // namespace kvarsel
