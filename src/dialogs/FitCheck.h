#pragma once
// The fit check over loaded dialogs: every control whose text does not fit, and
// the same question asked of one phrase and a translation still being typed.

#include "dialogs/TextFit.h"

namespace kvarsel {

struct FitProblem {
    QString path;       // the script file, as its marker row names it
    qsizetype line = 0; // 1-based line in that file
    qsizetype row = -1; // the store row (the text's row)
    QString dialogName;
    QString statement;
    QString controlId;
    TextFit fit;
};

// Every control of every dialog in the Dialog store whose text does not fit, in
// row order.
std::vector<FitProblem> findFitProblems(const LineStore& dialogs, const TextMeasure& measure);

// "IDD_OPTIONS: LTEXT IDC_STATIC, options.rc:17": how a warning names a control.
QString describeControl(const FitProblem& problem);

// The controls whose text is a given phrase, for checking a translation as it is
// typed. Built once per phrase; each check re-reads only the few dialogs involved.
class PhraseFit {
public:
    // Dialog rows (from index 1, like the propagation) whose text equals `phrase`
    // ignoring case, and which belong to a control of a dialog.
    void setPhrase(const LineStore& dialogs, const QString& phrase);
    bool isEmpty() const { return m_uses.empty(); }
    qsizetype useCount() const { return qsizetype(m_uses.size()); }

    // The controls that would not fit with `translation` in place of the phrase
    // (the script's line would be head & translation & tail).
    std::vector<FitProblem> check(const QString& translation, const TextMeasure& measure) const;

private:
    struct Use {
        qsizetype row = -1;
        qsizetype line = 0;
        QString path;
        QString head, tail;      // of the phrase's row
        qsizetype firstRow = -1; // of the dialog
        QStringList lines;       // the dialog's composed lines
    };
    std::vector<Use> m_uses;
    bool m_marksKept = false; // the store's lines hold their "&" marks
};

} // namespace kvarsel
