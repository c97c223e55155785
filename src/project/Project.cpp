#include "project/Project.h"

#include "assist/Spelling.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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
    // The index being built reads the update only; it is waited for, not left running.
    if (m_suggestionBuild.valid())
        m_suggestionBuild.wait();
}

bool Project::prepareSuggestions()
{
    if (!m_dictionaryWatcher) {
        m_dictionaryWatcher = new QFileSystemWatcher(this);
        // A dictionary is written in several steps; the index is read once they are done.
        auto* settle = new QTimer(this);
        settle->setSingleShot(true);
        settle->setInterval(200);
        connect(m_dictionaryWatcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
        connect(settle, &QTimer::timeout, this, [this] {
            if (m_suggestionBuild.valid())
                m_suggestionsAgain = true;
            else
                prepareSuggestions();
        });
    }
    // A file replaced by a rename is no longer watched: the list is set anew each time.
    if (const QStringList watched = m_dictionaryWatcher->files(); !watched.isEmpty())
        m_dictionaryWatcher->removePaths(watched);
    for (const QString& path : m_connected)
        if (QFileInfo::exists(path))
            m_dictionaryWatcher->addPath(path);
    if (m_suggestionBuild.valid())
        return false;
    std::shared_ptr<SuggestionIndex::Update> update =
        m_suggestions.plan(m_workDir, m_connected, m_dictionary);
    if (!SuggestionIndex::needsBuild(*update)) {
        m_suggestions.apply(*update);
        return true;
    }
    m_suggestionUpdate = update;
    m_suggestionBuild = std::async(std::launch::async, [this, update] {
        SuggestionIndex::build(*update);
#ifdef __GLIBC__
        // Reading and indexing the dictionaries freed more than the index keeps;
        // the allocator would hold it for this thread, and the run's footprint with it.
        malloc_trim(0);
#endif
        // Files that cannot be read are left out until they change, as in a refresh
        // made at the search itself.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_suggestionBuild.get();
                m_suggestions.apply(*m_suggestionUpdate);
                m_suggestionUpdate.reset();
                if (std::exchange(m_suggestionsAgain, false))
                    prepareSuggestions();
                Q_EMIT suggestionsPrepared();
            },
            Qt::QueuedConnection);
    });
    return false;
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
