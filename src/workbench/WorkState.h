#pragma once
// Everything the main window owns while the program runs: the four line stores,
// the dictionary in memory, the connected dictionaries, the working directory,
// the changed flags and the status-panel state that other windows read back.
// One object, held by the main window; every other window reaches it from there.

#include "assist/SuggestionIndex.h"
#include "dictionary/CurrentDictionary.h"
#include "model/LineStore.h"
#include "workspace/ResourceLoader.h"

#include <QObject>
#include <memory>

namespace kvarsel {

namespace panel_texts {
inline const QString kHideTranslated = QStringLiteral("Скрывать переведенные строки");
inline const QString kShowTranslated = QStringLiteral("Не скрывать переведенные строки");
inline const QString kRowLabel = QStringLiteral("Строка:");
inline const QString kOfLabel = QStringLiteral("из");
inline const QString kRemainingLabel = QStringLiteral("оставшихся");
inline const QString kManualMode = QStringLiteral("Ручной перевод");
inline const QString kAutomaticMode = QStringLiteral("Автоматический перевод");
inline const QString kDeferredMode = QStringLiteral("Отложенный перевод");
} // namespace panel_texts

// The hide-translated mode as panel 1 shows it; the panel starts empty, which counts as off.
enum class HideMode { Unset, Hide, Show };

class WorkState : public QObject {
    Q_OBJECT
public:
    explicit WorkState(const QString& workDir, QObject* parent = nullptr);

    const QString& workDir() const { return m_workDir; }

    LineStore& store(ResourceKind kind) { return *m_stores[size_t(kindIndex(kind))]; }
    const LineStore& store(ResourceKind kind) const { return *m_stores[size_t(kindIndex(kind))]; }
    LineStores stores();
    ConstLineStores stores() const;
    qsizetype totalRows() const;

    CurrentDictionary& dictionary() { return m_dictionary; }
    const CurrentDictionary& dictionary() const { return m_dictionary; }

    // Similar translations from the user dictionary and the connected ones; the
    // caller refreshes it before searching, since both may have changed.
    SuggestionIndex& suggestions() { return m_suggestions; }

    QStringList connectedDictionaries;
    // The directory the scripts in the stores were last loaded from (empty before a
    // load); it outlives the resources dialog, which "Отмена" destroys.
    const QString& loadedResourcesDir() const { return store(ResourceKind::Menu).resourceDirectory(); }
    // The text of the row the row handlers last took up (in and out field of lookups too).
    QString lookupPhrase;
    bool resourcesChanged = false;
    bool userDictionaryChanged = false;

    // Set when another copy of the program holds the working directory: this one
    // may look and translate, but saves none of the user's files, and says why.
    const QString& readOnlyReason() const { return m_readOnlyReason; }
    void setReadOnlyReason(const QString& reason) { m_readOnlyReason = reason; }

    // Panel 1.
    HideMode hideMode() const { return m_hideMode; }
    void setHideMode(HideMode mode);
    bool hideTranslated() const { return m_hideMode == HideMode::Hide; }
    QString hideModeText() const;

    // Panel 3: the 1-based number of the row last handled; the row handlers write it
    // with a leading blank, the tab switch without.
    qsizetype rowNumber() const { return m_rowNumber; }
    bool rowNumberBlank() const { return m_rowNumberBlank; }
    void setRowNumber(qsizetype number, bool leadingBlank);
    QString rowNumberText() const;

    // Panel 5: row count of the visible list minus one, as the tab switch computed it.
    qsizetype remainingRows() const { return m_remainingRows; }

    // Panel 7: which dictionary is in memory.
    const QString& dictionaryStatus() const { return m_dictionaryStatus; }
    void setDictionaryStatus(const QString& text);

    // Panel 8: the translation mode. The row handlers act only in manual mode.
    const QString& translationMode() const { return m_translationMode; }
    void setTranslationMode(const QString& text);
    bool isManualMode() const { return m_translationMode == panel_texts::kManualMode; }

    // The kind of the selected tab.
    ResourceKind currentKind() const { return m_currentKind; }

    // The user selects the tab of `kind`, whose list has `selectedRow` selected (-1
    // for none): panel 3 gets that row's number, panel 5 the rows left, both without
    // the leading blank the row handlers write.
    void switchTab(ResourceKind kind, qsizetype selectedRow);

Q_SIGNALS:
    // A panel text changed; the main window repaints its status bar from the state.
    void panelsChanged();

private:
    QString m_workDir;
    QString m_readOnlyReason;
    std::array<std::unique_ptr<LineStore>, kKindCount> m_stores;
    CurrentDictionary m_dictionary;
    SuggestionIndex m_suggestions;
    HideMode m_hideMode = HideMode::Unset;
    qsizetype m_rowNumber = 0;
    bool m_rowNumberBlank = false;
    qsizetype m_remainingRows = 0;
    QString m_dictionaryStatus;
    QString m_translationMode;
    ResourceKind m_currentKind = ResourceKind::Menu;
};

} // namespace kvarsel
