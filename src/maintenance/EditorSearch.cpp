#include "maintenance/EditorSearch.h"

#include "maintenance/RowText.h"

namespace kvarsel {

qsizetype findContaining(const CurrentDictionary& dictionary, const QString& foldedPattern, qsizetype start)
{
    for (qsizetype i = qMax<qsizetype>(start, 0); i < dictionary.RowCount(); ++i) {
        const QString& row = dictionary.Row(i);
        if (!row.isEmpty() && foldCase(row).contains(foldedPattern))
            return i;
    }
    return -1;
}

EditorSearch::Outcome EditorSearch::search(const CurrentDictionary& dictionary, const QString& patternBox)
{
    if (patternBox.isEmpty())
        return Outcome::Ignored;
    m_pattern = foldTrimmed(patternBox);
    if (!m_continuing)
        m_nextStart = 0;
    const qsizetype hit = findContaining(dictionary, m_pattern, m_nextStart);
    if (hit < 0) {
        // The loop ran past the last row, or never began when the next start already lay beyond it.
        m_foundRow = qMax(m_nextStart, dictionary.RowCount());
        m_continuing = false;
        m_hitShown = false;
        m_okEnabled = false;
        return Outcome::NoHit;
    }
    m_foundRow = hit;
    m_foundText = dictionary.Row(hit);
    m_rowText = m_foundText;
    m_nextStart = hit + 2; // passes over the row right after the hit
    m_continuing = true;
    m_hitShown = true;
    m_okEnabled = true;
    return Outcome::Hit;
}

void EditorSearch::changeEdited() { m_okEnabled = m_hitShown; }

bool EditorSearch::foundRowUnchanged(const CurrentDictionary& dictionary) const
{
    return m_foundRow < dictionary.RowCount() && dictionary.Row(m_foundRow) == m_rowText;
}

bool EditorSearch::applyChange(CurrentDictionary& dictionary, const QString& changeBox)
{
    if (!m_okEnabled || trimBlanks(changeBox).isEmpty())
        return false;
    if (!foundRowUnchanged(dictionary)) {
        revalidate(dictionary);
        return false;
    }
    dictionary.Replace(m_foundRow, changeBox);
    m_rowText = changeBox;
    m_okEnabled = false;
    return true;
}

void EditorSearch::revalidate(const CurrentDictionary& dictionary)
{
    if (m_hitShown && !foundRowUnchanged(dictionary)) {
        m_hitShown = false;
        m_okEnabled = false;
    }
}

} // namespace kvarsel
