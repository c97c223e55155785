#pragma once
// The user dictionary optimiser without its window: its three jobs on the
// dictionary in memory (PrepareDictionary + FindDuplicates, CheckAlphabet,
// RemoveEmptyRows), the user's answers to a pending choice or repair, and what the
// window shows (phrase, list and its caption, which frame is open). The window
// lives for the whole run, and so does this state.
//
// Rows are addressed as the dictionary lays them out: rows 0 and 1 empty, the
// source of entry k on row 2 + 2k and its translation on the row after. Jobs never
// remove rows while they run: an entry goes by BlankEntry, and only "Выход" (and the
// user's own "Удалить строку") removes rows.

#include "dictionary/CurrentDictionary.h"
#include "dictionary/PrefixIndex.h"

#include <QList>
#include <QStringList>
#include <future>
#include <memory>
#include <optional>

namespace kvarsel {

// What a long pass tells its window while it runs.
class OptimizerFeedback {
public:
    virtual ~OptimizerFeedback() = default;
    virtual void setBusy(bool busy) = 0;
    virtual void setProgressMaximum(qsizetype maximum) = 0;
    virtual void setProgress(qsizetype value) = 0;
    // Paints the optimiser window at once, and the main window too when `withMain`.
    virtual void repaintNow(bool withMain) = 0;
    virtual void setClipboardText(const QString& text) = 0;
};

// A pass that could not go on; shown as "Сообщение об ошибке".
struct OptimizerFailure {
    int number = 0;
    QString description;
};

// What RemoveEmptyRows did.
struct EmptyRowsRemoved {
    qsizetype removed = 0;
    // Empty rows removed alone although the row after them might be a translation:
    // after each, the following rows may have moved from source to translation rows.
    qsizetype unpaired = 0;
    // Row (after the removal) of the partner of the first such row, and its text.
    qsizetype firstAffectedRow = -1;
    QString firstAffectedText;
};

QString optimizerFailureText(const OptimizerFailure& failure);
QString unpairedRowsText(const EmptyRowsRemoved& removed);

// The two cuts of PrepareDictionary on one row: everything before the first
// character of TextCharPct, everything after the last character of TextChar; a
// text without such a character keeps that end.
QString cutToText(const QString& row);

// The alphabet test of CheckAlphabet: a source row (even) needs a Latin letter, a
// translation row (odd) a Cyrillic one; an empty row passes.
bool passesAlphabetCheck(const QString& rowText, qsizetype row);

class OptimizerSession {
public:
    enum class Pending { None, Choice, Repair };
    enum class ListCaption { Candidates, Errors };

    // More later entries than this with one source and differing translations end the pass.
    static constexpr qsizetype kMaxCandidates = 100;
    static constexpr int kTooManyTranslations = 1;

    explicit OptimizerSession(CurrentDictionary& dictionary);
    const CurrentDictionary& dictionary() const { return m_dictionary; }
    ~OptimizerSession();
    void setFeedback(OptimizerFeedback* feedback) { m_feedback = feedback; }

    // The buttons. "Продолжить оптимизацию" and "Проверить на ошибки" do nothing while a
    // choice or a repair is pending (the window disables them).
    std::optional<OptimizerFailure> continueOptimization();
    void checkForErrors();
    // "Выход": drops a pending choice or repair, then RemoveEmptyRows. When the removal
    // shifted the pairing, the next check starts early enough to report it.
    EmptyRowsRemoved exit();

    // The choice frame.
    void setSelected(qsizetype position) { m_selected = position; }
    void setNewValue(const QString& text) { m_newValue = text; }
    void candidateClicked(qsizetype position);
    std::optional<OptimizerFailure> candidateDoubleClicked(qsizetype position);
    std::optional<OptimizerFailure> useSelected();
    std::optional<OptimizerFailure> useNewValue();

    // The repair frame.
    void setRepairText(const QString& text) { m_repairText = text; }
    void deleteRow();
    void changeRow();
    void skipRow();

    // The steps themselves.
    void PrepareDictionary();
    std::optional<OptimizerFailure> FindDuplicates();
    void CheckAlphabet();
    EmptyRowsRemoved RemoveEmptyRows();
    void BlankEntry(qsizetype sourceRow);

    // Tests compare the indexed duplicate search with the plain row walk it replaces.
    static void setIndexedSearchForTesting(bool indexed);

    // State.
    Pending pending() const { return m_pending; }
    bool prepared() const { return m_prepared; }
    qsizetype entryRow() const { return m_entryRow; }
    qsizetype checkRow() const { return m_checkRow; }
    const QList<qsizetype>& groupRows() const { return m_groupRows; }
    const QString& reportedText() const { return m_reportedText; }

    // What the window shows.
    const QString& phrase() const { return m_phrase; }
    ListCaption listCaption() const { return m_listCaption; }
    const QStringList& listRows() const { return m_listRows; }
    qsizetype selected() const { return m_selected; }
    const QString& newValue() const { return m_newValue; }
    const QString& repairText() const { return m_repairText; }
    // What the last job that ran to its end did (repeats removed and translations
    // chosen in a pass, rows checked); empty while a job waits for the user.
    const QString& outcome() const { return m_outcome; }

private:
    enum class GroupEnd { NoChoice, Choice, TooMany, PastEnd };

    OptimizerFeedback& feedback();
    void stepRepaintCounter();
    GroupEnd collectGroup(qsizetype p, qsizetype rowCount);
    // FindPrefix on the dictionary, through an index kept across the pass.
    qsizetype findPrefix(const QString& search, qsizetype start);
    void clearGroup();
    void dropPending();
    void endRepair();
    void report(qsizetype r, qsizetype rowCount);
    // The pass of FindDuplicates goes on after the user's choice.
    std::optional<OptimizerFailure> resumeOptimization();

    CurrentDictionary& m_dictionary;
    OptimizerFeedback* m_feedback = nullptr;
    std::unique_ptr<PrefixIndex> m_prefixIndex;
    quint64 m_prefixIndexRevision = 0; // the dictionary's revision the index describes
    // The index being sorted on a second thread: of the rows as they were when it
    // started (or as preparing them leaves them), less the rows blanked since.
    struct PrefixIndexBuild {
        std::unique_ptr<PrefixIndex> index;
        QStringList rows;
    };
    std::future<PrefixIndexBuild> m_prefixIndexBuild;
    std::vector<qsizetype> m_blankedSinceBuild;
    void startPrefixIndex(bool asPrepared);
    bool takePrefixIndex();

    bool m_prepared = false;
    qsizetype m_entryRow = 0;
    qsizetype m_checkRow = 0;
    QList<qsizetype> m_groupRows; // element i: source row of candidate i
    QString m_reportedText;
    int m_repaintCounter = 0;

    Pending m_pending = Pending::None;
    QString m_phrase;
    ListCaption m_listCaption = ListCaption::Candidates;
    QStringList m_listRows;
    qsizetype m_selected = -1;
    QString m_newValue;
    QString m_repairText;

    // A pass of FindDuplicates and a check run from their button to their end, across
    // the user's choices and repairs.
    qsizetype m_repeatsRemoved = 0;
    qsizetype m_translationsChosen = 0;
    std::optional<qsizetype> m_checkStart; // the first row of the check under way
    qsizetype m_errorsFound = 0;
    QString m_outcome;
};

} // namespace kvarsel
