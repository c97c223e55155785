#pragma once
// The warning under a translation box when the typed translation would not fit a
// dialog control that shows the phrase. Self-contained: it watches the phrase box
// and the translation box and hides itself while everything fits.

#include "dialogs/FitCheck.h"
#include "dialogs/QtTextMeasure.h"

#include <QLabel>

class QPlainTextEdit;

namespace kvarsel {

class FitWarning : public QLabel {
    Q_OBJECT
public:
    // `dialogs` is the Dialog store; the boxes are the window's own.
    FitWarning(const LineStore& dialogs, QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox,
               QWidget* parent = nullptr);

    // At most this many controls are named; the rest are counted.
    static constexpr int kShown = 3;

    const std::vector<FitProblem>& problems() const { return m_problems; }

private:
    void phraseChanged();
    void recheck();

    const LineStore& m_dialogs;
    QPlainTextEdit* m_phraseBox;
    QPlainTextEdit* m_translationBox;
    QtTextMeasure m_measure;
    PhraseFit m_phrase;
    std::vector<FitProblem> m_problems;
};

} // namespace kvarsel
