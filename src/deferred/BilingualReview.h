#pragma once
// The pairs of a bilingual file under review: the remaining lines (`BilingualList`,
// sources on even positions) and the current pair's position (`PairIndex`).
// Accepting a pair records it in the user dictionary, applies it to the loaded
// rows and takes it out of the list.

#include <QStringList>

namespace kvarsel {

class Project;

class BilingualReview {
public:
    // A new file: its entries, the first pair current.
    void Reset(QStringList entries);

    const QStringList& BilingualList() const { return m_entries; }
    qsizetype PairIndex() const { return m_pairIndex; }

    bool HasPair() const { return m_pairIndex < m_entries.size(); }
    // The current pair's lines; empty when there is no pair or no translation line.
    QString Source() const;
    QString Translation() const;

    // A pair stands before / after the current one.
    bool CanGoBack() const { return m_pairIndex > 0; }
    bool CanGoForward() const { return m_pairIndex + 2 < m_entries.size(); }
    void Next();
    void Previous();

    // Accepts the current pair with `translation` as the user left it: the pair goes
    // into the dictionary, every loaded row whose text is the source gets the
    // translation, and the pair leaves the list. The next pair becomes current, or
    // the new last one when the last was accepted. False, and nothing changes, when
    // there is no pair or the translation is empty.
    bool Accept(Project& state, const QString& translation);

    // Why "OK" cannot record `translation`; empty when it can. An empty translation
    // would empty every equal text of the scripts, now and in every later automatic
    // translation; a line break or a character the files cannot hold could not be
    // written. A translation equal to its source is a fine answer.
    static QString Refusal(const QString& translation);

    // A resource text is one line: line breaks typed or pasted into the translation
    // become blanks, so they cannot split the dictionary file or a script line.
    static QString singleLine(const QString& text);

private:
    QStringList m_entries;
    qsizetype m_pairIndex = 0;
};

} // namespace kvarsel
