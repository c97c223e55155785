#pragma once
// Misspelled Russian words of a translation box underlined in red as one types; the
// box's context menu offers Hunspell's suggestions for the word under the pointer
// and "Добавить в словарь" (the working directory's Words.txt).

#include <QSyntaxHighlighter>

class QPlainTextEdit;

namespace kvarsel {

class Project;
class SpellChecker;
class UiServices;

class SpellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    SpellingHighlighter(QPlainTextEdit* box, Project& project, UiServices& services);

    // The box's context menu at `pos` (box coordinates), the word's entries first.
    void showMenu(const QPoint& pos);

protected:
    void highlightBlock(const QString& text) override;

private:
    QPlainTextEdit* m_box;
    Project& m_project;
    UiServices& m_services;
};

} // namespace kvarsel
