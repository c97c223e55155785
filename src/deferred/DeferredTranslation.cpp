#include "deferred/DeferredTranslation.h"

#include "deferred/AutoTranslationEditor.h"
#include "deferred/BilingualFile.h"
#include "deferred/DeferredExport.h"
#include "deferred/DeferredTranslationDialog.h"
#include "project/Project.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QFileInfo>

namespace kvarsel {
namespace texts {
const QString kOpenTitle = QStringLiteral("Загрузка билингвы");
const QString kOpenFilter = QStringLiteral("Текстовые файлы (*.txt)");
const QString kOpenSuffix = QStringLiteral(".txt");
const QString kTitle = kProductName;
const QString kNotRead = QStringLiteral("Файл билингвы не прочитан:");
} // namespace texts

DeferredTranslation::DeferredTranslation(QWidget* parent, Project& project, StatusPanels& panels,
                                         UiServices& services, std::function<QString()> resourcesDirectory)
    : QObject(parent), m_parent(parent), m_project(project), m_panels(panels), m_services(services),
      m_resourcesDirectory(std::move(resourcesDirectory))
{
    setObjectName(QStringLiteral("DeferredTranslation"));
}

DeferredTranslationDialog* DeferredTranslation::exportWindow()
{
    if (!m_export) {
        m_export =
            new DeferredTranslationDialog(m_parent, m_project, m_panels, m_services, m_resourcesDirectory);
        connect(m_export, &DeferredTranslationDialog::busyChanged, this, &DeferredTranslation::busyChanged);
        connect(m_export, &DeferredTranslationDialog::repaintRequested, this,
                &DeferredTranslation::repaintRequested);
        connect(m_export, &DeferredTranslationDialog::exitRequested, this,
                &DeferredTranslation::exitRequested);
    }
    return m_export;
}

AutoTranslationEditor* DeferredTranslation::reviewWindow()
{
    if (!m_review) {
        m_review = new AutoTranslationEditor(m_parent, m_project, m_services);
        connect(m_review, &AutoTranslationEditor::busyChanged, this, &DeferredTranslation::busyChanged);
    }
    return m_review;
}

void DeferredTranslation::onButton()
{
    if (resourcesCountAsLoaded(std::as_const(m_project).stores()))
        exportWindow()->showForExport();
    else
        importBilingual();
}

void DeferredTranslation::importBilingual()
{
    const QString path = m_services.openFile(m_parent, texts::kOpenTitle, m_resourcesDirectory(),
                                             texts::kOpenFilter, texts::kOpenSuffix);
    if (path.isEmpty())
        return;

    // Read before anything changes: a file that cannot be read leaves the loaded
    // resources and the translation mode as they were.
    Q_EMIT busyChanged(true);
    BilingualRead read = readBilingualFile(path);
    Q_EMIT busyChanged(false);
    if (!read.ok()) {
        m_services.message(m_parent, texts::kTitle, texts::kNotRead + QChar(10) + read.error->message(),
                           MessageIcon::Stop);
        return;
    }

    m_project.setMode(TranslationMode::Deferred);
    const QFileInfo file(path);
    const bool hasDirectory = path.contains(QLatin1Char('/')) || path.contains(QLatin1Char('\\'));
    Q_EMIT loadRequested(hasDirectory ? file.absolutePath() : m_resourcesDirectory());

    // From now on the exit sequence saves the user dictionary and offers to save
    // the resources.
    m_project.markUserDictionaryChanged();
    m_project.markResourcesChanged();
    reviewWindow()->startReview(file.absoluteFilePath(), std::move(read.entries), read.encoding);
}

} // namespace kvarsel
