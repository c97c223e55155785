#pragma once
// Russian spelling through Hunspell, the checker the free desktop uses, with the
// system's ru_RU dictionary (Debian's hunspell-ru) and the working directory's
// personal word list Words.txt (one word a line, UTF-8), beside the program's list of
// software terms (Terms.txt: a working directory's own, else the one built in).
// Only Russian words are checked: Latin words, placeholders (%s, %1, {0}), escapes
// (\n, \t), words with digits and words in capitals are left alone, since they are
// names, codes, abbreviations or program text.

#include "text/FileError.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct Hunhandle;

namespace kvarsel {

// A word of a text: where it stands (accelerator marks "&" inside it included) and
// the word itself, without them.
struct TextWord {
    qsizetype start = 0;
    qsizetype length = 0;
    QString word;
};

// The Russian words of a text that spelling looks at, in order.
QList<TextWord> russianWords(QStringView text);

// Where Hunspell's ru_RU dictionary lies ("…/ru_RU", without .aff/.dic), or why there
// is none. Cheap: nothing is read. DICPATH, as for Hunspell itself, replaces the
// system's folders.
struct SpellingDictionary {
    QString basePath;
    QString offReason; // empty when found
};
SpellingDictionary findSpellingDictionary();

inline const QString kPersonalWordsFile = QStringLiteral("Words.txt");
// Words of software Russian the general dictionary lacks (автозамена, прокси, юникод):
// one a line, optionally followed by a word whose endings it takes; "#" starts a
// comment line. The template ships it; a working directory without one uses the
// copy built into the program.
inline const QString kSoftwareTermsFile = QStringLiteral("Terms.txt");

class SpellChecker {
public:
    // Reads the dictionary (about a tenth of a second) and `workDir`'s Words.txt.
    explicit SpellChecker(const QString& workDir,
                          const SpellingDictionary& dictionary = findSpellingDictionary());
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    bool isAvailable() const { return m_handle != nullptr; }
    // Why spelling is off; empty while it is on.
    const QString& offReason() const { return m_offReason; }
    // Words.txt exists but could not be read.
    const std::optional<FileError>& personalListError() const { return m_personalError; }
    const QStringList& personalWords() const { return m_personal; }
    // The working directory's Terms.txt exists but could not be read.
    const std::optional<FileError>& termsError() const { return m_termsError; }
    const QStringList& terms() const { return m_terms; }

    bool isCorrect(const QString& word) const;
    // The words of `text` Hunspell does not know; none while spelling is off.
    QList<TextWord> misspelled(QStringView text) const;
    // Hunspell's suggestions; slow (a tenth of a second), so only asked for one word at a time.
    QStringList suggestions(const QString& word) const;
    // "Добавить в словарь": the word is known from now on and written to Words.txt,
    // merged into the file as it is now (words others added meanwhile are kept).
    std::optional<FileError> addPersonalWord(const QString& word);
    // The word is known until the program ends; nothing is written (a window that
    // may not write the user's files).
    void addSessionWord(const QString& word);

private:
    void loadTerms();

    Hunhandle* m_handle = nullptr;
    QString m_workDir;
    QString m_offReason;
    QStringList m_personal;
    QStringList m_added; // by this run, written again if the file lost them
    std::optional<FileError> m_personalError;
    QStringList m_terms;
    std::optional<FileError> m_termsError;
    mutable QHash<QString, bool> m_known; // a box is checked again on every key
};

// The check panel's warning about the misspelled words of `translation`; empty when none.
QStringList spellingFindings(const SpellChecker& checker, const QString& translation);

} // namespace kvarsel
