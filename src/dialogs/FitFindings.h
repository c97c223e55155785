#pragma once
// The fit check of a translation still being typed, as findings of the translation
// check panel: the dialog controls showing the phrase that the translation would
// not fit. The controls are found once per phrase, and again after the rows change.

#include "dialogs/FitCheck.h"
#include "dialogs/QtTextMeasure.h"

#include <QStringList>
#include <optional>

namespace kvarsel {

class FitFindings {
public:
    // `dialogs` is the Dialog store.
    explicit FitFindings(const LineStore& dialogs);

    // At most this many controls are named; the rest are counted.
    static constexpr int kShown = 3;

    // A finding per control `translation` would not fit in place of `phrase`, up to
    // kShown of them, then the count of the rest; empty while everything fits.
    QStringList check(const QString& phrase, const QString& translation);
    // The rows changed under an open window (a reload, a translation elsewhere).
    void rowsChanged() { m_phraseText.reset(); }

    const std::vector<FitProblem>& problems() const { return m_problems; }

private:
    const LineStore& m_dialogs;
    QtTextMeasure m_measure;
    std::optional<QString> m_phraseText; // the phrase m_phrase was built for
    PhraseFit m_phrase;
    std::vector<FitProblem> m_problems;
};

} // namespace kvarsel
