#pragma once
// The user dictionary editor without its window: the search by a fragment, its
// position between presses, and writing a corrected text into the found row.
// Source and translation rows are searched and edited alike.

#include "dictionary/CurrentDictionary.h"

namespace kvarsel {

// The first row from `start` on whose text, in lower case, contains `foldedPattern`;
// an empty row never matches. -1 when no such row exists. The editor's only search.
qsizetype findContaining(const CurrentDictionary& dictionary, const QString& foldedPattern, qsizetype start);

class EditorSearch {
public:
    enum class Outcome {
        Ignored, // the pattern box was empty: nothing happened
        Hit,     // foundRow() holds the row, foundText() its text
        NoHit,   // the search reached the end; the next one starts from the top
    };

    // The search button, whatever its caption. A new search ("Найти") starts at row 0,
    // a continued one ("Найти далее") at the next start, which a hit sets two rows on.
    Outcome search(const CurrentDictionary& dictionary, const QString& patternBox);

    // The change box was edited (typed, or filled by a hit): "OK" becomes usable,
    // but only while a hit is shown, so no row beyond the last can be written.
    void changeEdited();

    // "OK": writes the change box, as it stands, into the found row. Returns true when
    // it wrote, and the window then searches on. A change box of blanks writes nothing.
    bool applyChange(CurrentDictionary& dictionary, const QString& changeBox);

    // Forgets the shown hit when its row no longer holds the text the editor last saw
    // there (the optimiser removed rows while the editor was hidden), so "OK" cannot
    // overwrite a row the user was never shown. The search position is kept.
    void revalidate(const CurrentDictionary& dictionary);

    bool continuing() const { return m_continuing; } // the caption reads "Найти далее"
    bool hitShown() const { return m_hitShown; }
    bool okEnabled() const { return m_okEnabled; }
    const QString& pattern() const { return m_pattern; }
    qsizetype nextStart() const { return m_nextStart; }
    // Row of the last hit; after a search without a hit, a row beyond the last one.
    qsizetype foundRow() const { return m_foundRow; }
    const QString& foundText() const { return m_foundText; }

private:
    bool foundRowUnchanged(const CurrentDictionary& dictionary) const;

    QString m_pattern;
    qsizetype m_nextStart = 0;
    qsizetype m_foundRow = 0;
    QString m_foundText;
    QString m_rowText; // what the found row held when the editor last saw or wrote it
    bool m_continuing = false;
    bool m_hitShown = false;
    bool m_okEnabled = false;
};

} // namespace kvarsel
