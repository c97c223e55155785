#include "maintenance/OptimizerSession.h"

#include "dictionary/DictionaryFiles.h"
#include "maintenance/OptimizerTexts.h"
#include "maintenance/RowText.h"
#include "text/CharClass.h"

namespace kvarsel {

namespace {

class SilentFeedback : public OptimizerFeedback {
public:
    void setBusy(bool) override {}
    void setProgressMaximum(qsizetype) override {}
    void setProgress(qsizetype) override {}
    void repaintNow(bool) override {}
    void setClipboardText(const QString&) override {}
};

bool hasCodeIn(const QString& text, int low, int high)
{
    for (const QChar c : text) {
        const int code = cp1251::charCode(c);
        if (code >= low && code <= high)
            return true;
    }
    return false;
}

} // namespace

QString optimizerFailureText(const OptimizerFailure& failure)
{
    using namespace optimizer_texts;
    return kFailureIntro + withSignBlank(failure.number) + u'\n' + failure.description + u'\n' +
           kFailureOutro;
}

QString unpairedRowsText(const EmptyRowsRemoved& removed)
{
    return QStringLiteral("Удалены пустые строки, вторая строка записи которых не пуста: %1.")
               .arg(removed.unpaired) +
           u'\n' +
           QStringLiteral("Следующие за ними фразы и переводы сдвинулись на одну строку, "
                          "начиная со строки № %1 «%2».")
               .arg(removed.firstAffectedRow)
               .arg(removed.firstAffectedText) +
           u'\n' + QStringLiteral("Нажмите «Проверить на ошибки», чтобы найти и исправить сдвинутые строки.");
}

namespace {

// Where cutToText's text stands in `row`, [first, last): from the first text
// character (a percent sign counts) to the last text character after it; without
// the one, from the row's start, without the other, to its end.
std::pair<qsizetype, qsizetype> textBounds(QStringView row)
{
    qsizetype begin = 0;
    while (begin < row.size() && !isTextCharPct(row[begin]))
        ++begin;
    if (begin == row.size())
        begin = 0;
    qsizetype end = row.size();
    while (end > begin && !isTextChar(row[end - 1]))
        --end;
    return {begin, end > begin ? end : row.size()};
}

// Whether trimBlanks would change the row.
bool hasOuterBlank(QStringView row) { return !row.isEmpty() && (row.front() == u' ' || row.back() == u' '); }

// Whether cutToText leaves the row as it is.
bool isCutToText(QStringView row)
{
    return textBounds(row) == std::pair<qsizetype, qsizetype>(0, row.size());
}

// The row as PrepareDictionary leaves it: blanks trimmed, then cut to its text.
QString preparedRow(const QString& row)
{
    const QString trimmed = hasOuterBlank(row) ? trimBlanks(row) : row;
    return isCutToText(trimmed) ? trimmed : trimBlanks(cutToText(trimmed));
}

} // namespace

QString cutToText(const QString& row)
{
    const auto [begin, end] = textBounds(row);
    return row.sliced(begin, end - begin);
}

bool passesAlphabetCheck(const QString& rowText, qsizetype row)
{
    const QString t = foldTrimmed(rowText);
    if (t.isEmpty())
        return true;
    // Latin letters (with [ \ ] ^ _ `) on source rows; Cyrillic (and signs such as № «) on translations.
    return row % 2 == 0 ? hasCodeIn(t, 65, 122) : hasCodeIn(t, 168, 255);
}

namespace {
bool s_indexedSearch = true;
}

OptimizerSession::OptimizerSession(CurrentDictionary& dictionary) : m_dictionary(dictionary) {}

OptimizerSession::~OptimizerSession() = default;

void OptimizerSession::setIndexedSearchForTesting(bool indexed) { s_indexedSearch = indexed; }

qsizetype OptimizerSession::findPrefix(const QString& search, qsizetype start)
{
    if (!s_indexedSearch)
        return m_dictionary.FindPrefix(search, start);
    // Blanking an entry keeps the index (it marks the rows); any other change since
    // it was built, by the user's choice or another window, asks for a new one.
    // Sorting a large dictionary's rows takes a good part of a second: it is done on
    // the second thread, and until it is, the walk over the rows gives the answer
    // (the same one), so the pass goes on and the window keeps painting.
    if (!m_prefixIndex || m_prefixIndexRevision != m_dictionary.revision()) {
        if (!m_prefixIndexBuild.valid())
            startPrefixIndex(false);
        if (m_prefixIndexBuild.wait_for(std::chrono::seconds(0)) != std::future_status::ready ||
            !takePrefixIndex())
            return m_dictionary.FindPrefix(search, start);
    }
    return m_prefixIndex->findPrefix(search, start);
}

void OptimizerSession::startPrefixIndex(bool asPrepared)
{
    m_blankedSinceBuild.clear();
    m_prefixIndexBuild = std::async(std::launch::async, [rows = m_dictionary.rows(), asPrepared]() mutable {
        if (asPrepared)
            for (QString& row : rows)
                if (QString prepared = preparedRow(row); prepared != row)
                    row = std::move(prepared);
        auto index = std::make_unique<PrefixIndex>(rows);
        return PrefixIndexBuild{std::move(index), std::move(rows)};
    });
}

bool OptimizerSession::takePrefixIndex()
{
    PrefixIndexBuild built = m_prefixIndexBuild.get();
    // Used only when it describes the rows exactly as they are now.
    for (const qsizetype row : m_blankedSinceBuild)
        if (row < built.rows.size())
            built.rows[row] = QString();
    if (built.rows != m_dictionary.rows()) {
        startPrefixIndex(false);
        return false;
    }
    for (const qsizetype row : m_blankedSinceBuild)
        built.index->markEmpty(row);
    m_blankedSinceBuild.clear();
    m_prefixIndex = std::move(built.index);
    m_prefixIndexRevision = m_dictionary.revision();
    return true;
}

OptimizerFeedback& OptimizerSession::feedback()
{
    static SilentFeedback silent;
    return m_feedback ? *m_feedback : silent;
}

void OptimizerSession::stepRepaintCounter()
{
    if (m_repaintCounter >= 35) {
        m_repaintCounter = 0;
        feedback().repaintNow(true);
    } else {
        ++m_repaintCounter;
    }
}

std::optional<OptimizerFailure> OptimizerSession::continueOptimization()
{
    if (m_pending != Pending::None)
        return std::nullopt;
    m_repeatsRemoved = 0;
    m_translationsChosen = 0;
    // The duplicate search's index is sorted on the second thread while this one
    // prepares the rows: it prepares its own copy of them the same way.
    if (s_indexedSearch && !m_prefixIndexBuild.valid() &&
        (!m_prefixIndex || m_prefixIndexRevision != m_dictionary.revision()))
        startPrefixIndex(!m_prepared);
    return resumeOptimization();
}

std::optional<OptimizerFailure> OptimizerSession::resumeOptimization()
{
    if (!m_prepared)
        PrepareDictionary();
    return FindDuplicates();
}

void OptimizerSession::checkForErrors()
{
    if (m_pending == Pending::None)
        CheckAlphabet();
}

EmptyRowsRemoved OptimizerSession::exit()
{
    dropPending();
    // A job left unfinished is not reported when the window comes back.
    m_checkStart.reset();
    m_outcome.clear();
    const EmptyRowsRemoved removed = RemoveEmptyRows();
    if (removed.unpaired > 0) {
        // A first check starts at row 4; a later one where the last stopped. Either
        // way it must reach the first row that moved.
        const qsizetype from = removed.firstAffectedRow;
        if (m_checkRow == 0 ? from < 4 : from < m_checkRow)
            m_checkRow = from;
    }
    return removed;
}

// ---- PrepareDictionary ------------------------------------------------------

void OptimizerSession::PrepareDictionary()
{
    OptimizerFeedback& fb = feedback();
    fb.setBusy(true);
    fb.setProgressMaximum(m_dictionary.RowCount());
    // Most rows are tidy: they are only looked at, and a string is made for a row
    // that changes.
    for (qsizetype i = 0; i < m_dictionary.RowCount(); ++i) {
        fb.setProgress(i);
        stepRepaintCounter();
        if (const QString& row = m_dictionary.Row(i); hasOuterBlank(row))
            m_dictionary.Replace(i, trimBlanks(row));
    }
    fb.setProgressMaximum(m_dictionary.RowCount());
    for (qsizetype i = 0; i < m_dictionary.RowCount(); ++i) {
        fb.setProgress(i);
        stepRepaintCounter();
        if (const QString& row = m_dictionary.Row(i); !isCutToText(row))
            m_dictionary.Replace(i, trimBlanks(cutToText(row)));
    }
    m_prepared = true;
    fb.setBusy(false);
    fb.setProgress(0);
}

// ---- FindDuplicates ---------------------------------------------------------

void OptimizerSession::BlankEntry(qsizetype sourceRow)
{
    const bool indexCurrent = m_prefixIndex && m_prefixIndexRevision == m_dictionary.revision();
    for (const qsizetype row : {sourceRow, sourceRow + 1}) {
        if (row >= 0 && row < m_dictionary.RowCount()) {
            m_dictionary.Replace(row, QString());
            if (indexCurrent)
                m_prefixIndex->markEmpty(row);
        }
    }
    if (indexCurrent)
        m_prefixIndexRevision = m_dictionary.revision();
    else if (m_prefixIndexBuild.valid())
        m_blankedSinceBuild.insert(m_blankedSinceBuild.end(), {sourceRow, sourceRow + 1});
}

// Gathers the later entries with the same source as the entry at `p`: blanks exact
// repeats, lists differing translations as candidates. A later row that merely
// begins with the source, or stands on a translation row, gives the entry up.
OptimizerSession::GroupEnd OptimizerSession::collectGroup(qsizetype p, qsizetype rowCount)
{
    if (p + 1 >= rowCount)
        return GroupEnd::PastEnd;
    const QString s = m_dictionary.Row(p);
    m_listRows = QStringList{m_dictionary.Row(p + 1)};
    m_groupRows = QList<qsizetype>{p};
    m_selected = -1;
    const QString a = foldTrimmed(s);
    const QString c = foldTrimmed(m_dictionary.Row(p + 1));
    qsizetype start = p + 1;
    for (;;) {
        const qsizetype q = findPrefix(s, start);
        if (q <= start)
            break;
        if (a.isEmpty() || q % 2 == 1 || foldTrimmed(m_dictionary.Row(q)) != a)
            return GroupEnd::NoChoice;
        if (q + 1 >= rowCount)
            return GroupEnd::PastEnd;
        const QString& translation = m_dictionary.Row(q + 1);
        if (!c.isEmpty() && foldTrimmed(translation) == c) {
            BlankEntry(q);
            ++m_repeatsRemoved;
            continue;
        }
        m_listRows.append(trimBlanks(translation));
        if (m_listRows.size() - 1 > kMaxCandidates)
            return GroupEnd::TooMany;
        m_groupRows.append(q);
        start = q + 1;
    }
    return m_listRows.size() > 1 ? GroupEnd::Choice : GroupEnd::NoChoice;
}

void OptimizerSession::clearGroup()
{
    m_phrase.clear();
    m_listRows.clear();
    m_groupRows.clear();
    m_selected = -1;
}

std::optional<OptimizerFailure> OptimizerSession::FindDuplicates()
{
    OptimizerFeedback& fb = feedback();
    m_outcome.clear();
    fb.setBusy(true);
    const qsizetype n = m_dictionary.RowCount();
    fb.setProgressMaximum(n);
    // The clipboard gets each examined phrase in turn; only the last one can be seen.
    QString lastPhrase;
    std::optional<OptimizerFailure> failure;
    bool stopped = false;
    for (m_entryRow = m_entryRow == 0 ? 2 : m_entryRow + 2; m_entryRow <= n - 1; m_entryRow += 2) {
        const qsizetype p = m_entryRow;
        fb.setProgress(p);
        if (m_dictionary.Row(p).isEmpty())
            continue;
        stepRepaintCounter();
        m_phrase = m_dictionary.Row(p);
        lastPhrase = m_phrase;
        const GroupEnd end = collectGroup(p, n);
        if (end == GroupEnd::NoChoice) {
            clearGroup();
            continue;
        }
        stopped = true;
        if (end == GroupEnd::Choice) {
            m_pending = Pending::Choice; // EntryRow stays p; the user's choice goes on
            break;
        }
        // A group too large to choose from, or a source without a translation row on
        // the last row: the pass ends at this entry, the group is dropped.
        if (end == GroupEnd::TooMany)
            failure = OptimizerFailure{kTooManyTranslations,
                                       QStringLiteral("У фразы «%1» больше %2 различных переводов.")
                                           .arg(m_phrase)
                                           .arg(kMaxCandidates)};
        clearGroup();
        fb.setProgress(0);
        break;
    }
    if (!stopped)
        fb.setProgress(0);
    if (!lastPhrase.isEmpty())
        fb.setClipboardText(lastPhrase);
    if (m_pending != Pending::Choice)
        m_outcome = optimizer_texts::repeatsRemoved(m_repeatsRemoved) + u'\n' +
                    optimizer_texts::translationsChosen(m_translationsChosen);
    fb.setBusy(false);
    return failure;
}

// ---- The choice -------------------------------------------------------------

void OptimizerSession::candidateClicked(qsizetype position)
{
    if (m_pending != Pending::Choice || position < 0 || position >= m_listRows.size())
        return;
    m_selected = position;
    m_newValue = m_listRows[position];
}

std::optional<OptimizerFailure> OptimizerSession::candidateDoubleClicked(qsizetype position)
{
    if (m_pending != Pending::Choice)
        return std::nullopt;
    if (position >= 0 && position < m_listRows.size())
        m_selected = position;
    const auto failure = useSelected();
    m_newValue.clear();
    return failure;
}

std::optional<OptimizerFailure> OptimizerSession::useSelected()
{
    if (m_pending != Pending::Choice)
        return std::nullopt;
    // With nothing selected every entry of the group goes, the current one included.
    for (qsizetype i = 0; i < m_groupRows.size(); ++i)
        if (i != m_selected)
            BlankEntry(m_groupRows[i]);
    m_pending = Pending::None;
    clearGroup();
    ++m_translationsChosen;
    return resumeOptimization();
}

std::optional<OptimizerFailure> OptimizerSession::useNewValue()
{
    if (m_pending != Pending::Choice)
        return std::nullopt;
    const QString value = trimBlanks(m_newValue);
    if (value.isEmpty())
        return std::nullopt;
    m_dictionary.Replace(m_groupRows[0] + 1, value);
    for (qsizetype i = 1; i < m_groupRows.size(); ++i)
        BlankEntry(m_groupRows[i]);
    m_pending = Pending::None;
    clearGroup();
    m_newValue.clear();
    ++m_translationsChosen;
    return resumeOptimization();
}

void OptimizerSession::dropPending()
{
    if (m_pending == Pending::Choice) {
        m_pending = Pending::None;
        clearGroup();
    } else if (m_pending == Pending::Repair) {
        endRepair();
    }
}

// ---- CheckAlphabet ----------------------------------------------------------

void OptimizerSession::CheckAlphabet()
{
    OptimizerFeedback& fb = feedback();
    m_listCaption = ListCaption::Errors;
    m_outcome.clear();
    fb.repaintNow(false);
    const qsizetype first = m_checkRow == 0 ? 4 : m_checkRow; // a first check skips the first entry
    if (!m_checkStart) {
        m_checkStart = first;
        m_errorsFound = 0;
    }
    m_listRows.clear();
    m_selected = -1;
    fb.setBusy(true);
    const qsizetype n = m_dictionary.RowCount();
    fb.setProgressMaximum(n);
    for (m_checkRow = first; m_checkRow <= n - 1; ++m_checkRow) {
        fb.setProgress(m_checkRow);
        stepRepaintCounter();
        if (!passesAlphabetCheck(m_dictionary.Row(m_checkRow), m_checkRow)) {
            report(m_checkRow, n);
            fb.setBusy(false);
            return;
        }
    }
    fb.setBusy(false);
    fb.setProgress(0);
    m_listCaption = ListCaption::Candidates;
    // The rows from where the check began, as they are after the user's repairs.
    m_outcome = optimizer_texts::rowsChecked(qMax<qsizetype>(0, n - *m_checkStart), m_errorsFound);
    m_checkStart.reset();
}

// The reported row with up to five rows on either side, the reported row highlighted.
void OptimizerSession::report(qsizetype r, qsizetype rowCount)
{
    const qsizetype from = qMax<qsizetype>(0, r - 5);
    const qsizetype to = qMin(rowCount - 1, r + 5);
    m_listRows = m_dictionary.rows().mid(from, to - from + 1);
    m_selected = r - from;
    ++m_errorsFound;
    m_repairText = m_dictionary.Row(r);
    m_reportedText = foldTrimmed(m_repairText);
    m_pending = Pending::Repair;
}

void OptimizerSession::endRepair()
{
    m_pending = Pending::None;
    m_listRows.clear();
    m_selected = -1;
}

void OptimizerSession::deleteRow()
{
    if (m_pending != Pending::Repair)
        return;
    // The whole entry the reported row belongs to: removing one row of a pair would put
    // every later translation on a source row. The check goes on at the row that now
    // follows the entry.
    const qsizetype source = m_checkRow - m_checkRow % 2;
    const qsizetype n = m_dictionary.RowCount();
    if (source >= 2 && source < n) {
        if (source + 1 < n)
            m_dictionary.Remove(source + 1);
        m_dictionary.Remove(source);
        m_checkRow = source;
    }
    endRepair();
    CheckAlphabet();
}

void OptimizerSession::changeRow()
{
    if (m_pending != Pending::Repair || foldTrimmed(m_repairText) == m_reportedText)
        return;
    if (m_checkRow < m_dictionary.RowCount())
        m_dictionary.Replace(m_checkRow, trimBlanks(m_repairText));
    endRepair();
    CheckAlphabet();
}

void OptimizerSession::skipRow()
{
    if (m_pending != Pending::Repair)
        return;
    ++m_checkRow;
    endRepair();
    CheckAlphabet();
}

// ---- RemoveEmptyRows --------------------------------------------------------

EmptyRowsRemoved OptimizerSession::RemoveEmptyRows()
{
    OptimizerFeedback& fb = feedback();
    EmptyRowsRemoved result;
    fb.setBusy(true);
    const QStringList& rows = m_dictionary.rows();
    const qsizetype n = rows.size();
    fb.setProgressMaximum(n);
    // Which row looks like what: a source holds a Latin letter, a translation a
    // Cyrillic one. Only a row that is plainly one and not the other decides.
    const auto onlySource = [&](qsizetype i) {
        return passesAlphabetCheck(rows[i], 0) && !passesAlphabetCheck(rows[i], 1);
    };
    const auto onlyTranslation = [&](qsizetype i) {
        return passesAlphabetCheck(rows[i], 1) && !passesAlphabetCheck(rows[i], 0);
    };
    // One pass that keeps the rows gives what removing each one in turn gives,
    // without moving the rest of the list once per removed row. The slot a row lands
    // in (source or translation) is its position among the rows kept so far.
    QStringList kept;
    kept.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QString& row = rows[i];
        if (i >= 2)
            fb.setProgress(i);
        if (i < 2 || !row.isEmpty()) {
            kept.append(row);
            continue;
        }
        ++result.removed;
        const bool translationSlot = kept.size() % 2 == 1;
        const bool nextFilled = i + 1 < n && !rows[i + 1].isEmpty();
        if (translationSlot) {
            // A source with an empty translation would empty every text it matches:
            // the entry goes whole. Only a plain translation after the empty row shows
            // a stray line between a source and its translation.
            if (!(nextFilled && onlyTranslation(i + 1))) {
                kept.removeLast();
                ++result.removed;
            }
            continue;
        }
        // An empty source row before a plain source is a stray line: removing it alone
        // puts the later entries back in step. Before anything else it may as well be
        // an entry without its source; it goes alone and the user is told the rows
        // after it moved.
        if (nextFilled && !onlySource(i + 1)) {
            if (result.unpaired++ == 0) {
                result.firstAffectedRow = kept.size();
                result.firstAffectedText = rows[i + 1];
            }
        }
    }
    if (result.removed > 0)
        m_dictionary.Assign(std::move(kept));
    fb.setProgress(0);
    fb.setBusy(false);
    return result;
}

} // namespace kvarsel
