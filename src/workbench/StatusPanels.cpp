#include "workbench/StatusPanels.h"

#include "dictionary/DictionaryFiles.h"

namespace kvarsel {

QStringList panel_texts::hideModeTexts() { return {kHideTranslated, kShowTranslated}; }

QStringList panel_texts::modeTexts()
{
    QStringList texts{kManualMode, kAutomaticMode, kDeferredMode, kPreparingList, kSavingDictionary};
    for (const ResourceKind kind : kAllKinds)
        texts << translatingKindText(kind) << scanningKindText(kind);
    return texts;
}

StatusPanels::StatusPanels(Project& project, QObject* parent)
    : QObject(parent), m_project(project), m_dictionary(dictionary_texts::kUserDictionary)
{
    connect(&project, &Project::stateChanged, this, &StatusPanels::changed);
    // A run's last step is not what the next mode shows.
    connect(&project, &Project::modeSet, this, [this] { m_step.clear(); });
}

QString StatusPanels::hideModeText() const
{
    switch (m_project.hideMode()) {
    case HideMode::Hide:
        return panel_texts::kHideTranslated;
    case HideMode::Show:
        return panel_texts::kShowTranslated;
    case HideMode::Unset:
        break;
    }
    return QString();
}

QString StatusPanels::rowNumberText() const
{
    return (m_project.handledByRowHandler() ? QStringLiteral(" ") : QString()) +
           QString::number(m_project.handledRow());
}

void StatusPanels::setDictionaryText(const QString& text)
{
    m_dictionary = text;
    Q_EMIT changed();
}

QString StatusPanels::modeText() const
{
    if (!m_step.isEmpty())
        return m_step;
    switch (m_project.mode()) {
    case TranslationMode::Automatic:
        return panel_texts::kAutomaticMode;
    case TranslationMode::Deferred:
        return panel_texts::kDeferredMode;
    case TranslationMode::Manual:
        break;
    }
    return panel_texts::kManualMode;
}

void StatusPanels::setStep(const QString& text)
{
    m_step = text;
    Q_EMIT changed();
}

AutoTranslationCallbacks StatusPanels::showing(AutoTranslationCallbacks callbacks)
{
    callbacks.dictionaryStatus = [this](const QString& text) { setDictionaryText(text); };
    callbacks.step = [this](const QString& text) { setStep(text); };
    return callbacks;
}

void StatusPanels::switchTab(ResourceKind kind, qsizetype selectedRow)
{
    const qsizetype rows = m_project.store(kind).RowCount();
    m_remainingRows = rows == 0 ? 0 : rows - 1;
    m_project.switchTab(kind, selectedRow); // announces the change, the rows left included
}

} // namespace kvarsel
