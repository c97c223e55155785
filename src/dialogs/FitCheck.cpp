#include "dialogs/FitCheck.h"

#include "text/CaseFold.h"

#include <QFileInfo>
#include <map>

namespace kvarsel {

namespace {

FitProblem problemOf(const LineStore::Script& file, const DialogResource& dialog,
                     const DialogControl& control, const TextFit& fit)
{
    FitProblem p;
    p.path = file.path;
    p.row = control.textRow >= 0 ? control.textRow : control.row;
    p.line = file.lineOf(p.row);
    p.dialogName = dialog.name;
    p.statement = control.statement;
    p.controlId = control.id;
    p.fit = fit;
    return p;
}

} // namespace

std::vector<FitProblem> findFitProblems(const LineStore& dialogs, const TextMeasure& measure)
{
    std::vector<FitProblem> problems;
    for (const LineStore::Script& file : dialogs.scripts()) {
        for (const DialogResource& dialog : readDialogs(dialogs, file)) {
            for (const DialogControl& control : dialog.controls) {
                const TextFit fit = measureFit(control, dialog.font, measure);
                if (fit.checked && !fit.fits)
                    problems.push_back(problemOf(file, dialog, control, fit));
            }
        }
    }
    return problems;
}

QString describeControl(const FitProblem& problem)
{
    return QStringLiteral("%1: %2 %3, %4:%5")
        .arg(problem.dialogName, problem.statement, problem.controlId, QFileInfo(problem.path).fileName())
        .arg(problem.line);
}

void PhraseFit::setPhrase(const LineStore& dialogs, const QString& phrase)
{
    m_uses.clear();
    m_marksKept = dialogs.acceleratorsKept();
    if (phrase.isEmpty())
        return;
    // Files are read once each, however many of their rows carry the phrase.
    std::map<qsizetype, std::vector<DialogResource>> byFile;
    for (qsizetype i = 1; i < dialogs.RowCount(); ++i) {
        const QString& text = dialogs.Text(i);
        if (text.isEmpty() || !equalsIgnoringCase(text, phrase))
            continue;
        const auto file = dialogs.scriptOf(i);
        if (!file)
            continue;
        auto it = byFile.find(file->markerRow);
        if (it == byFile.end())
            it = byFile.emplace(file->markerRow, readDialogs(dialogs, *file)).first;
        for (const DialogResource& dialog : it->second) {
            if (!dialog.contains(i))
                continue;
            const DialogControl* control = controlAtRow(dialog, i);
            if (!control || control->textRow != i || !showsCheckedText(*control))
                break;
            Use use;
            use.row = i;
            use.line = file->lineOf(i);
            use.path = file->path;
            use.head = dialogs.Head(i);
            use.tail = dialogs.Tail(i);
            use.firstRow = dialog.firstRow;
            for (qsizetype r = dialog.firstRow; r <= dialog.lastRow; ++r)
                use.lines << dialogs.ComposedLine(r);
            m_uses.push_back(std::move(use));
            break;
        }
    }
}

std::vector<FitProblem> PhraseFit::check(const QString& translation, const TextMeasure& measure) const
{
    std::vector<FitProblem> problems;
    for (const Use& use : m_uses) {
        QStringList lines = use.lines;
        lines[use.row - use.firstRow] = use.head + translation + use.tail;
        const std::vector<DialogResource> dialogs = readDialogLines(lines, use.firstRow, m_marksKept);
        for (const DialogResource& dialog : dialogs) {
            const DialogControl* control = controlAtRow(dialog, use.row);
            if (!control || control->textRow != use.row)
                continue;
            const TextFit fit = measureFit(*control, dialog.font, measure);
            if (fit.checked && !fit.fits) {
                FitProblem p;
                p.path = use.path;
                p.line = use.line;
                p.row = use.row;
                p.dialogName = dialog.name;
                p.statement = control->statement;
                p.controlId = control->id;
                p.fit = fit;
                problems.push_back(std::move(p));
            }
            break;
        }
    }
    return problems;
}

} // namespace kvarsel
