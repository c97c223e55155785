#include "deferred/DeferredTranslation.h"

#include "deferred/AutoTranslationEditor.h"
#include "deferred/BilingualFile.h"
#include "deferred/DeferredExport.h"
#include "deferred/DeferredTranslationDialog.h"
#include "workbench/MainWindow.h"
#include "workbench/ProductName.h"

#include <QFileInfo>

namespace kvarsel {
namespace texts {
const QString kOpenTitle = QStringLiteral("Загрузка билингвы");
const QString kOpenFilter = QStringLiteral("*.txt");
const QString kOpenSuffix = QStringLiteral(".txt");
const QString kTitle = kProductName;
const QString kNotRead = QStringLiteral("Файл билингвы не прочитан:");
} // namespace texts

DeferredTranslation::DeferredTranslation(MainWindow& main) : QObject(&main), m_main(main)
{
    setObjectName(QStringLiteral("DeferredTranslation"));
}

DeferredTranslationDialog* DeferredTranslation::exportWindow()
{
    if (!m_export)
        m_export = new DeferredTranslationDialog(m_main);
    return m_export;
}

AutoTranslationEditor* DeferredTranslation::reviewWindow()
{
    if (!m_review)
        m_review = new AutoTranslationEditor(m_main);
    return m_review;
}

void DeferredTranslation::onButton()
{
    if (resourcesCountAsLoaded(std::as_const(m_main.project()).stores()))
        exportWindow()->showForExport();
    else
        importBilingual();
}

void DeferredTranslation::importBilingual()
{
    const QString path = m_main.services().openFile(&m_main, texts::kOpenTitle, m_main.resourcesDirectory(),
                                                    texts::kOpenFilter, texts::kOpenSuffix);
    if (path.isEmpty())
        return;

    // Read before anything changes: a file that cannot be read leaves the loaded
    // resources and the translation mode as they were.
    m_main.setBusy(true);
    BilingualRead read = readBilingualFile(path);
    m_main.setBusy(false);
    if (!read.ok()) {
        m_main.services().message(&m_main, texts::kTitle, texts::kNotRead + QChar(10) + read.error->message(),
                                  MessageIcon::Stop);
        return;
    }

    Project& state = m_main.project();
    state.setMode(TranslationMode::Deferred);
    const QFileInfo file(path);
    const bool hasDirectory = path.contains(QLatin1Char('/')) || path.contains(QLatin1Char('\\'));
    m_main.loadResourcesFrom(hasDirectory ? file.absolutePath() : m_main.resourcesDirectory());

    // From now on the exit sequence saves the user dictionary and offers to save
    // the resources.
    state.markUserDictionaryChanged();
    state.markResourcesChanged();
    reviewWindow()->startReview(file.absoluteFilePath(), std::move(read.entries), read.encoding);
}

void installDeferredTranslation(MainWindow& main)
{
    auto* deferred = new DeferredTranslation(main);
    main.setButtonAction(MainWindow::DeferredTranslate, [deferred] { deferred->onButton(); });
}

} // namespace kvarsel
