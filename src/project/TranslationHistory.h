#pragma once
// The run's translation steps, to take back and do again: a manual translation, a
// pair accepted in the review of the bilingual file, a whole automatic translation.
// A step keeps every row it changed as it was before and after, and the entries it
// appended to the user dictionary in memory. A new load forgets them all.

#include "model/LineStore.h"

#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace kvarsel {

class CurrentDictionary;

// The row a step was made on, selected again when it is taken back or done again.
struct HistoryPlace {
    ResourceKind kind = ResourceKind::Menu;
    qsizetype row = -1;
};

class TranslationHistory : public RowJournal {
public:
    TranslationHistory(const LineStores& stores, CurrentDictionary& dictionary);
    TranslationHistory(const TranslationHistory&) = delete;
    TranslationHistory& operator=(const TranslationHistory&) = delete;

    // Off by default: kvarsel-batch makes one step and never takes it back, so it
    // keeps no copies. On, every store tells the history of its changes.
    void setEnabled(bool enabled);

    // A step is everything that changes between begin and end; a step that changed
    // nothing is not kept. `place`: the row it is made on; without one, the first
    // row it changes.
    void begin(TranslationRoad road, std::optional<HistoryPlace> place);
    void end();

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // Take back the last step done / do again the last one taken back; the row to select.
    std::optional<HistoryPlace> undo();
    std::optional<HistoryPlace> redo();
    void clear();

    void beforeRowChange(LineStore& store, qsizetype row) override;

    // Gives the dictionary's translation row `row` the text `translation`, kept by
    // the open step so that undo puts the old translation back.
    void replaceDictionaryRow(qsizetype row, const QString& translation);

private:
    struct RowChange {
        ResourceKind kind;
        qsizetype row;
        LineStore::RowState before;
        LineStore::RowState after; // kept when the step is taken back
    };
    struct DictionaryChange {
        qsizetype row; // a translation row; its source stands just above it
        QString source;
        QString before;
        QString after;
    };
    struct Step {
        TranslationRoad road = TranslationRoad::Manual;
        std::optional<HistoryPlace> place;
        std::vector<RowChange> rows;
        qsizetype dictionaryRowsBefore = 0;
        QStringList appended;                   // the dictionary rows the step added at its end
        std::vector<DictionaryChange> replaced; // the translations it replaced in place
    };

    LineStore& store(ResourceKind kind) { return *m_stores[size_t(kindIndex(kind))]; }
    void removeAppended(const Step& step);
    // Puts `from` back to `to` in the translation row of `change`; where the editor
    // has moved it, in the first entry of its source that still reads `from`.
    void swapTranslation(const DictionaryChange& change, const QString& from, const QString& to);

    LineStores m_stores;
    CurrentDictionary& m_dictionary;
    bool m_enabled = false;
    std::vector<Step> m_steps;
    size_t m_done = 0; // steps [0, m_done) are done, the rest were taken back
    std::optional<Step> m_open;
    quint64 m_rewriteAtBegin = 0;
    std::array<std::vector<bool>, kKindCount> m_touched; // rows the open step already kept
};

// Begins a step of the project's history and ends it when it goes out of scope.
class HistoryStep {
public:
    HistoryStep(TranslationHistory& history, TranslationRoad road, std::optional<HistoryPlace> place)
        : m_history(history)
    {
        m_history.begin(road, place);
    }
    ~HistoryStep() { m_history.end(); }
    HistoryStep(const HistoryStep&) = delete;
    HistoryStep& operator=(const HistoryStep&) = delete;

private:
    TranslationHistory& m_history;
};

} // namespace kvarsel
