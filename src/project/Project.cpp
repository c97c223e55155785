#include "project/Project.h"

#include "assist/Spelling.h"

namespace kvarsel {

Project::Project(const QString& workDir, QObject* parent) : QObject(parent), m_workDir(workDir)
{
    for (const ResourceKind kind : kAllKinds)
        m_stores[size_t(kindIndex(kind))] = std::make_unique<LineStore>(kind);
    m_history = std::make_unique<TranslationHistory>(stores(), m_dictionary);
}

Project::~Project()
{
    // The stores outlive the history only by a moment; they must not tell it anything then.
    m_history->setEnabled(false);
}

void Project::startSpelling()
{
    if (m_spelling.valid())
        return;
    m_spelling = std::async(std::launch::async, [dir = m_workDir] {
                     return std::make_shared<SpellChecker>(dir);
                 }).share();
}

SpellChecker& Project::spelling()
{
    startSpelling();
    return *m_spelling.get();
}

std::optional<HistoryPlace> Project::handledPlace() const
{
    if (m_handledRow <= 0)
        return std::nullopt;
    return HistoryPlace{m_currentKind, m_handledRow - 1};
}

LineStores Project::stores()
{
    LineStores out;
    for (const ResourceKind kind : kAllKinds)
        out[size_t(kindIndex(kind))] = &store(kind);
    return out;
}

ConstLineStores Project::stores() const
{
    ConstLineStores out;
    for (const ResourceKind kind : kAllKinds)
        out[size_t(kindIndex(kind))] = &store(kind);
    return out;
}

qsizetype Project::totalRows() const
{
    qsizetype n = 0;
    for (const ResourceKind kind : kAllKinds)
        n += store(kind).RowCount();
    return n;
}

void Project::setHideMode(HideMode mode)
{
    m_hideMode = mode;
    Q_EMIT stateChanged();
}

void Project::setMode(TranslationMode mode)
{
    m_mode = mode;
    Q_EMIT modeSet();
    Q_EMIT stateChanged();
}

void Project::setHandledRow(qsizetype number, bool byRowHandler)
{
    m_handledRow = number;
    m_byRowHandler = byRowHandler;
    Q_EMIT stateChanged();
}

void Project::switchTab(ResourceKind kind, qsizetype selectedRow)
{
    m_currentKind = kind;
    m_handledRow = selectedRow < 0 ? 0 : selectedRow + 1;
    m_byRowHandler = false;
    Q_EMIT stateChanged();
}

} // namespace kvarsel
