#include "workbench/WorkState.h"

#include "dictionary/DictionaryFiles.h"

namespace kvarsel {

WorkState::WorkState(const QString& workDir, QObject* parent)
    : QObject(parent), m_workDir(workDir), m_dictionaryStatus(dictionary_texts::kUserDictionary),
      m_translationMode(panel_texts::kManualMode)
{
    for (const ResourceKind kind : kAllKinds)
        m_stores[size_t(kindIndex(kind))] = std::make_unique<LineStore>(kind);
}

LineStores WorkState::stores()
{
    LineStores out;
    for (const ResourceKind kind : kAllKinds)
        out[size_t(kindIndex(kind))] = &store(kind);
    return out;
}

ConstLineStores WorkState::stores() const
{
    ConstLineStores out;
    for (const ResourceKind kind : kAllKinds)
        out[size_t(kindIndex(kind))] = &store(kind);
    return out;
}

qsizetype WorkState::totalRows() const
{
    qsizetype n = 0;
    for (const ResourceKind kind : kAllKinds)
        n += store(kind).RowCount();
    return n;
}

void WorkState::setHideMode(HideMode mode)
{
    m_hideMode = mode;
    Q_EMIT panelsChanged();
}

QString WorkState::hideModeText() const
{
    switch (m_hideMode) {
    case HideMode::Hide:
        return panel_texts::kHideTranslated;
    case HideMode::Show:
        return panel_texts::kShowTranslated;
    case HideMode::Unset:
        break;
    }
    return QString();
}

void WorkState::setRowNumber(qsizetype number, bool leadingBlank)
{
    m_rowNumber = number;
    m_rowNumberBlank = leadingBlank;
    Q_EMIT panelsChanged();
}

QString WorkState::rowNumberText() const
{
    return (m_rowNumberBlank ? QStringLiteral(" ") : QString()) + QString::number(m_rowNumber);
}

void WorkState::setDictionaryStatus(const QString& text)
{
    m_dictionaryStatus = text;
    Q_EMIT panelsChanged();
}

void WorkState::setTranslationMode(const QString& text)
{
    m_translationMode = text;
    Q_EMIT panelsChanged();
}

void WorkState::switchTab(ResourceKind kind, qsizetype selectedRow)
{
    m_currentKind = kind;
    m_rowNumber = selectedRow < 0 ? 0 : selectedRow + 1;
    m_rowNumberBlank = false;
    const qsizetype rows = store(kind).RowCount();
    m_remainingRows = rows == 0 ? 0 : rows - 1;
    Q_EMIT panelsChanged();
}

} // namespace kvarsel
