#include "workbench/ManualTranslationDialog.h"

#include "assist/AcceleratorHint.h"
#include "assist/SuggestionPanel.h"
#include "project/Project.h"
#include "workbench/ProductName.h"
#include "workbench/RowHandlers.h"
#include "workbench/StorageCheck.h"
#include "workbench/UiServices.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Перевод фразы (ручной перевод)");
const QString kPhrase = QStringLiteral("Текст оригинала :");
const QString kTranslation = QStringLiteral("Текст перевода :");
const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("Отмена");
const QString kTitle = kProductName;
} // namespace texts

ManualTranslationDialog::ManualTranslationDialog(QWidget* mainWindow, Project& project, UiServices& services)
    : SecondaryWindow(mainWindow), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("ManualTranslationDialog"));
    setWindowTitle(texts::kCaption);

    m_phrase = new QPlainTextEdit;
    m_phrase->setObjectName(QStringLiteral("phrase"));
    m_phrase->setReadOnly(true);
    m_phrase->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_phrase->setTabChangesFocus(true);
    m_translation = new QPlainTextEdit;
    m_translation->setObjectName(QStringLiteral("translation"));
    m_translation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_translation->setTabChangesFocus(true);
    m_translation->installEventFilter(this);

    m_ok = new QPushButton(texts::kOk);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setAutoDefault(false);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(texts::kCancel);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    setEscapeButton(m_cancel);
    // Not auto-default: Enter on the focused "Отмена" still means "OK".
    m_cancel->setAutoDefault(false);

    auto* phraseLabel = new QLabel(texts::kPhrase);
    phraseLabel->setBuddy(m_phrase);
    auto* translationLabel = new QLabel(texts::kTranslation);
    translationLabel->setBuddy(m_translation);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phraseLabel);
    layout->addWidget(m_phrase);
    layout->addWidget(translationLabel);
    layout->addWidget(m_translation);
    addAcceleratorHintAndChecks(layout, m_project, m_services, m_phrase, m_translation);
    layout->addWidget(new SuggestionPanel(m_project, m_phrase, m_translation));
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &ManualTranslationDialog::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &ManualTranslationDialog::cancel);
    resize(480, 300);
}

void ManualTranslationDialog::open(const QString& phrase, const QString& proposal)
{
    m_phrase->setPlainText(phrase);
    m_translation->setPlainText(proposal);
    m_translation->selectAll();
    showOverMain();
    m_translation->setFocus();
}

QString ManualTranslationDialog::phrase() const { return m_phrase->toPlainText(); }

QString ManualTranslationDialog::translation() const { return m_translation->toPlainText(); }

void ManualTranslationDialog::confirm()
{
    const QString t = translation();
    // A translation that would split its line, or that User.dic or a script it goes to
    // cannot hold, is stopped here, not at exit.
    if (const QString problem = translationRefusal(m_project, phrase(), t); !problem.isEmpty()) {
        m_services.message(this, texts::kTitle, problem, MessageIcon::Stop);
        return;
    }
    const ManualTranslationOutcome outcome = confirmManualTranslation(m_project, phrase(), t);
    hide();
    m_services.clearClipboard();
    if (outcome.nextRow >= 0)
        Q_EMIT advanceTo(outcome.nextRow);
}

void ManualTranslationDialog::cancel() { hide(); }

bool ManualTranslationDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The translation box is a multi-line box, but Enter in it confirms, as in a dialog.
    if (watched == m_translation && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            confirm();
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}

} // namespace kvarsel
