#include "project/TranslationHistory.h"

#include "dictionary/CurrentDictionary.h"
#include "text/CaseFold.h"

namespace kvarsel {

TranslationHistory::TranslationHistory(const LineStores& stores, CurrentDictionary& dictionary)
    : m_stores(stores), m_dictionary(dictionary)
{
}

void TranslationHistory::setEnabled(bool enabled)
{
    m_enabled = enabled;
    for (LineStore* s : m_stores)
        s->setJournal(enabled ? this : nullptr);
    if (!enabled)
        clear();
}

void TranslationHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_open.reset();
}

void TranslationHistory::begin(TranslationRoad road, std::optional<HistoryPlace> place)
{
    if (!m_enabled)
        return;
    m_open = Step{road, place, {}, m_dictionary.RowCount(), {}, {}};
    m_rewriteAtBegin = m_dictionary.rewriteRevision();
    for (size_t k = 0; k < m_touched.size(); ++k)
        m_touched[k].assign(size_t(m_stores[k]->RowCount()), false);
}

void TranslationHistory::beforeRowChange(LineStore& store, qsizetype row)
{
    if (!m_open)
        return;
    std::vector<bool>& touched = m_touched[size_t(kindIndex(store.kind()))];
    if (size_t(row) >= touched.size() || touched[size_t(row)])
        return;
    touched[size_t(row)] = true;
    m_open->rows.push_back(RowChange{store.kind(), row, store.rowState(row), {}});
}

void TranslationHistory::replaceDictionaryRow(qsizetype row, const QString& translation)
{
    if (!m_open) {
        m_dictionary.Replace(row, translation);
        return;
    }
    const bool appendOnlySoFar = m_dictionary.rewriteRevision() == m_rewriteAtBegin;
    m_open->replaced.push_back(
        DictionaryChange{row, m_dictionary.Row(row - 1), m_dictionary.Row(row), translation});
    m_dictionary.Replace(row, translation);
    // This step's own replacement is kept here, so what it appends can still be told.
    if (appendOnlySoFar)
        m_rewriteAtBegin = m_dictionary.rewriteRevision();
}

void TranslationHistory::swapTranslation(const DictionaryChange& change, const QString& from,
                                         const QString& to)
{
    const auto holds = [this, &change, &from](qsizetype row) {
        return row >= 1 && row < m_dictionary.RowCount() && m_dictionary.Row(row) == from &&
               equalsIgnoringCase(m_dictionary.Row(row - 1), change.source);
    };
    qsizetype row = change.row;
    if (!holds(row)) {
        row = -1;
        for (qsizetype r = 3; r < m_dictionary.RowCount(); r += 2)
            if (holds(r)) {
                row = r;
                break;
            }
    }
    if (row >= 0) // otherwise the user has changed or removed the entry since
        m_dictionary.Replace(row, to);
}

void TranslationHistory::end()
{
    if (!m_open)
        return;
    Step step = std::move(*m_open);
    m_open.reset();
    for (std::vector<bool>& touched : m_touched)
        touched = {};
    // Only what was appended at the end can be told apart from the rest; the steps
    // kept here never rewrite the dictionary.
    if (m_dictionary.rewriteRevision() == m_rewriteAtBegin)
        for (qsizetype i = step.dictionaryRowsBefore; i < m_dictionary.RowCount(); ++i)
            step.appended << m_dictionary.Row(i);
    if (step.rows.empty() && step.appended.isEmpty() && step.replaced.empty())
        return;
    if (!step.place && !step.rows.empty())
        step.place = HistoryPlace{step.rows.front().kind, step.rows.front().row};
    m_steps.resize(m_done); // a new step forgets what was taken back
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
}

void TranslationHistory::removeAppended(const Step& step)
{
    const qsizetype n = step.appended.size();
    const auto matchesAt = [this, &step, n](qsizetype at) {
        if (at < 0 || at + n > m_dictionary.RowCount())
            return false;
        for (qsizetype i = 0; i < n; ++i)
            if (m_dictionary.Row(at + i) != step.appended[i])
                return false;
        return true;
    };
    // Where the step left them, unless the editor or the optimiser has moved rows
    // since; then the last equal entries, which are the ones a lookup would find.
    qsizetype at = step.dictionaryRowsBefore;
    if (!matchesAt(at)) {
        at = m_dictionary.RowCount() - n;
        while (at >= 0 && !matchesAt(at))
            --at;
    }
    if (at < 0)
        return; // the user has removed them already
    for (qsizetype i = n - 1; i >= 0; --i)
        m_dictionary.Remove(at + i);
}

std::optional<HistoryPlace> TranslationHistory::undo()
{
    if (!canUndo() || m_open)
        return std::nullopt;
    Step& step = m_steps[--m_done];
    // Every later step is taken back already, so the rows are now as this step left
    // them: that is what redo puts back. Kept only now, a step costs one copy of its
    // rows until it is taken back.
    for (auto it = step.rows.rbegin(); it != step.rows.rend(); ++it) {
        if (it->row >= store(it->kind).RowCount())
            continue;
        it->after = store(it->kind).rowState(it->row);
        store(it->kind).restoreRowState(it->row, it->before);
    }
    removeAppended(step);
    for (auto it = step.replaced.rbegin(); it != step.replaced.rend(); ++it)
        swapTranslation(*it, it->after, it->before);
    return step.place;
}

std::optional<HistoryPlace> TranslationHistory::redo()
{
    if (!canRedo() || m_open)
        return std::nullopt;
    const Step& step = m_steps[m_done++];
    for (const RowChange& change : step.rows)
        if (change.row < store(change.kind).RowCount())
            store(change.kind).restoreRowState(change.row, change.after);
    // The two empty rows that lead a new dictionary are there already when
    // something else has been added meanwhile.
    const qsizetype skip = step.dictionaryRowsBefore == 0 && m_dictionary.RowCount() > 0 ? 2 : 0;
    for (const DictionaryChange& change : step.replaced)
        swapTranslation(change, change.before, change.after);
    for (qsizetype i = skip; i < step.appended.size(); ++i)
        m_dictionary.Append(step.appended[i]);
    return step.place;
}

} // namespace kvarsel
