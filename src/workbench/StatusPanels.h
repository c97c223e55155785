#pragma once
// The texts of the main window's status panels, computed from the project: panel 1
// the hide mode, 3 the row last handled, 5 the rows left, 7 the dictionary in
// memory, 8 the translation mode or the step a run is at. Runs tell it their steps;
// kvarsel-batch has no panels and tells nobody.

#include "project/Project.h"
#include "workbench/AutoTranslation.h"

#include <QObject>

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
// Steps of the export for deferred translation.
inline QString scanningKindText(ResourceKind kind) { return kDeferredMode + u' ' + kindInfo(kind).name; }
inline const QString kPreparingList = QStringLiteral("Подготовка списка");
// While the exit saves the user dictionary (the window's thread is busy with it).
inline const QString kSavingDictionary = QStringLiteral("Сохранение словаря");

// Every text panel 1 can show; every mode and step panel 8 can show. The window
// makes each panel as wide as the longest, so none is ever cut.
QStringList hideModeTexts();
QStringList modeTexts();
} // namespace panel_texts

class StatusPanels : public QObject {
    Q_OBJECT
public:
    explicit StatusPanels(Project& project, QObject* parent = nullptr);

    // Panel 1; empty until the settings set the mode.
    QString hideModeText() const;
    // Panel 3: the row last handled, with a leading blank when a click set it.
    QString rowNumberText() const;
    // Panel 5: the row count of the selected kind minus one, as the tab switch found it.
    qsizetype remainingRows() const { return m_remainingRows; }
    // Panel 7.
    const QString& dictionaryText() const { return m_dictionary; }
    void setDictionaryText(const QString& text);
    // Panel 8: the step a run is at, or else the translation mode.
    QString modeText() const;
    // A run's step; cleared when the project's mode changes.
    void setStep(const QString& text);

    // `callbacks` with the run's dictionary and steps shown in panels 7 and 8.
    AutoTranslationCallbacks showing(AutoTranslationCallbacks callbacks);

    // The user selects the tab of `kind`, whose list has `selectedRow` selected (-1
    // for none): panel 3 gets that row's number, panel 5 the rows left.
    void switchTab(ResourceKind kind, qsizetype selectedRow);

Q_SIGNALS:
    void changed();

private:
    Project& m_project;
    QString m_step;
    QString m_dictionary;
    qsizetype m_remainingRows = 0;
};

} // namespace kvarsel
