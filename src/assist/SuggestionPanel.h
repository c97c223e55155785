#pragma once
// "Похожие переводы": under a window's translation box, the entries of the user
// dictionary and the connected dictionaries whose sources are most like the phrase.
// A double click, Enter, or Ctrl+1 ... Ctrl+5 puts that translation into the
// translation box, selected and focused; nothing is put there unasked.

#include "assist/SuggestionIndex.h"

#include <QWidget>
#include <memory>

class QPlainTextEdit;
class QProgressBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace kvarsel {

class Project;

class SuggestionPanel : public QWidget {
    Q_OBJECT
public:
    // Follows `phraseBox`: each new phrase brings its suggestions.
    SuggestionPanel(Project& state, QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox,
                    QWidget* parent = nullptr);

    const QList<Suggestion>& suggestions() const { return m_suggestions; }
    // Puts suggestion `index` (0-based) into the translation box.
    void use(qsizetype index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    ~SuggestionPanel() override;

private:
    void update();
    void fill(const QString& phrase);
    // In place of the list: what it waits for, with the moving bar.
    void showWaiting(const QString& text);
    // A long phrase is searched on a second thread; the window polls for the end.
    struct Background;
    void startBackground(const QString& phrase);
    void checkBackground();

    Project& m_project;
    QPlainTextEdit* m_phraseBox;
    QPlainTextEdit* m_translationBox;
    QTreeWidget* m_list = nullptr;
    QProgressBar* m_busy = nullptr;
    std::shared_ptr<Background> m_background; // the search under way, shared with its thread
    bool m_searchAgain = false;               // asked for again while it ran
    QTimer* m_backgroundPoll = nullptr;
    QList<Suggestion> m_suggestions;
};

// The source with the characters that differ from the phrase in bold colour, as rich text.
QString markedSource(const QString& source, const QString& phrase);

} // namespace kvarsel
