#pragma once
// The translation project one run works on: the four line stores and the resource
// directory they were loaded from, the dictionary in memory, the connected
// dictionaries, the settings, what has changed since the last save, and the
// translation mode. The window and kvarsel-batch each own one; windows reach it
// through a reference they are given, never through another window.

#include "assist/SuggestionIndex.h"
#include "dictionary/CurrentDictionary.h"
#include "model/LineStore.h"
#include "project/TranslationHistory.h"
#include "settings/SettingsFile.h"

#include <QObject>
#include <array>
#include <future>
#include <memory>

class QFileSystemWatcher;

namespace kvarsel {

class SpellChecker;

// The hide-translated mode; until the settings are read it is neither on nor off.
enum class HideMode { Unset, Hide, Show };

// Manual: the row handlers act on clicks. The other two last while their run does.
enum class TranslationMode { Manual, Automatic, Deferred };

class Project : public QObject {
    Q_OBJECT
public:
    explicit Project(const QString& workDir, QObject* parent = nullptr);
    ~Project() override;

    const QString& workDir() const { return m_workDir; }

    LineStore& store(ResourceKind kind) { return *m_stores[size_t(kindIndex(kind))]; }
    const LineStore& store(ResourceKind kind) const { return *m_stores[size_t(kindIndex(kind))]; }
    LineStores stores();
    ConstLineStores stores() const;
    qsizetype totalRows() const;
    // The directory the scripts in the stores were last loaded from; empty before a load.
    const QString& resourceDirectory() const { return store(ResourceKind::Menu).resourceDirectory(); }

    CurrentDictionary& dictionary() { return m_dictionary; }
    const CurrentDictionary& dictionary() const { return m_dictionary; }
    // Similar translations from the user dictionary and the connected ones; the
    // caller refreshes it before searching, since both may have changed.
    SuggestionIndex& suggestions() { return m_suggestions; }
    // Brings the index up to date for the windows: at once when nothing needs reading
    // (true: search now), else on a second thread (false; suggestionsPrepared() tells
    // when it is done). Reading three large dictionaries takes seconds, too long to
    // keep a window from painting; the window starts it as soon as it has shown itself.
    // From the first call on, a connected dictionary changed on disk starts it again.
    bool prepareSuggestions();
    bool suggestionsPreparing() const { return m_suggestionBuild.valid(); }

    // The translation steps of this run, to take back (off unless a window turns it on).
    TranslationHistory& history() { return *m_history; }
    const TranslationHistory& history() const { return *m_history; }
    // The row last handled in the selected tab, where a step made now is made; none
    // when no row is.
    std::optional<HistoryPlace> handledPlace() const;

    // Spelling of the working directory: read on a second thread from the first call
    // of startSpelling() (the window calls it once it has shown itself); spelling()
    // starts it if need be and waits for it.
    void startSpelling();
    SpellChecker& spelling();

    // Full paths, in the order automatic translation goes through them.
    const QStringList& connectedDictionaries() const { return m_connected; }
    void setConnectedDictionaries(const QStringList& paths) { m_connected = paths; }

    // The settings as velmora.ini holds them (or as "OK" last left them).
    const Settings& settings() const { return m_settings; }
    void setSettings(const Settings& settings) { m_settings = settings; }

    // Whether the scripts and the user dictionary differ from what is on disk.
    bool resourcesChanged() const { return m_resourcesChanged; }
    void markResourcesChanged() { m_resourcesChanged = true; }
    void markResourcesSaved() { m_resourcesChanged = false; }
    bool userDictionaryChanged() const { return m_userDictionaryChanged; }
    void markUserDictionaryChanged() { m_userDictionaryChanged = true; }
    void markUserDictionarySaved() { m_userDictionaryChanged = false; }

    // Set when another copy of the program holds the working directory: this one
    // may look and translate, but saves none of the user's files, and says why.
    const QString& readOnlyReason() const { return m_readOnlyReason; }
    void setReadOnlyReason(const QString& reason) { m_readOnlyReason = reason; }

    // The text of the row the row handlers last took up (in and out field of lookups too).
    const QString& lookupPhrase() const { return m_lookupPhrase; }
    void setLookupPhrase(const QString& phrase) { m_lookupPhrase = phrase; }

    HideMode hideMode() const { return m_hideMode; }
    void setHideMode(HideMode mode);
    bool hideTranslated() const { return m_hideMode == HideMode::Hide; }

    TranslationMode mode() const { return m_mode; }
    void setMode(TranslationMode mode);
    bool isManualMode() const { return m_mode == TranslationMode::Manual; }

    // The kind of the selected tab.
    ResourceKind currentKind() const { return m_currentKind; }

    // The 1-based number of the row last handled (0: none), which status panel 3
    // shows: a repeated click on it does nothing, and "OK" of a manual translation
    // goes on from it. `byRowHandler`: set by a click rather than by a tab switch.
    qsizetype handledRow() const { return m_handledRow; }
    bool handledByRowHandler() const { return m_byRowHandler; }
    void setHandledRow(qsizetype number, bool byRowHandler);

    // The user selects the tab of `kind`, whose list has `selectedRow` selected (-1 for none).
    void switchTab(ResourceKind kind, qsizetype selectedRow);

Q_SIGNALS:
    // Something the status bar shows changed.
    void stateChanged();
    // setMode was called (also with the mode already set): a run began or ended.
    void modeSet();
    // The index prepared on the second thread is in place.
    void suggestionsPrepared();

private:
    QString m_workDir;
    std::array<std::unique_ptr<LineStore>, kKindCount> m_stores;
    CurrentDictionary m_dictionary;
    std::unique_ptr<TranslationHistory> m_history;
    SuggestionIndex m_suggestions;
    std::shared_future<std::shared_ptr<SpellChecker>> m_spelling;
    std::future<void> m_suggestionBuild;
    bool m_suggestionsAgain = false; // a dictionary file changed while the index was built
    QFileSystemWatcher* m_dictionaryWatcher = nullptr;
    std::shared_ptr<SuggestionIndex::Update> m_suggestionUpdate;
    QStringList m_connected;
    Settings m_settings;
    bool m_resourcesChanged = false;
    bool m_userDictionaryChanged = false;
    QString m_readOnlyReason;
    QString m_lookupPhrase;
    HideMode m_hideMode = HideMode::Unset;
    TranslationMode m_mode = TranslationMode::Manual;
    ResourceKind m_currentKind = ResourceKind::Menu;
    qsizetype m_handledRow = 0;
    bool m_byRowHandler = false;
};

} // namespace kvarsel
