#include "deferred/AutoTranslationEditor.h"

#include "assist/AcceleratorHint.h"
#include "assist/SuggestionPanel.h"
#include "workbench/StorageCheck.h"

#include "deferred/BilingualFile.h"
#include "project/Project.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Редактирование автоматического перевода");
const QString kFile = QStringLiteral("Файл билингвы :");
const QString kSource = QStringLiteral("Исходный текст :");
const QString kTranslation = QStringLiteral("Перевод фразы :");
const QString kOk = QStringLiteral("OK");
const QString kBack = QStringLiteral("<--");
const QString kRestore = QStringLiteral("Отмена");
const QString kForward = QStringLiteral("-->");
const QString kExit = QStringLiteral("Выход");
const QString kTitle = kProductName;
const QString kNotSaved = QStringLiteral("Оставшиеся пары не записаны, файл билингвы остался прежним:");
const QString kNotSavedChanged = QStringLiteral("Оставшиеся пары не записаны:");
} // namespace texts

AutoTranslationEditor::AutoTranslationEditor(QWidget* parent, Project& project, UiServices& services)
    : SecondaryWindow(parent), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("AutoTranslationEditor"));
    setWindowTitle(texts::kCaption);

    m_file = new QLabel;
    m_file->setObjectName(QStringLiteral("file"));
    m_file->setTextFormat(Qt::PlainText);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_file->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_source = new QPlainTextEdit;
    m_source->setObjectName(QStringLiteral("source"));
    m_source->setReadOnly(true);
    m_source->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_translation = new QPlainTextEdit;
    m_translation->setObjectName(QStringLiteral("translation"));
    m_translation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_translation->setTabChangesFocus(true);
    m_translation->installEventFilter(this);

    const auto makeButton = [](const QString& text, const char* name) {
        auto* button = new QPushButton(text);
        button->setObjectName(QLatin1String(name));
        return button;
    };
    m_ok = makeButton(texts::kOk, "ok");
    m_back = makeButton(texts::kBack, "back");
    m_restore = makeButton(texts::kRestore, "restore");
    m_forward = makeButton(texts::kForward, "forward");
    m_exit = makeButton(texts::kExit, "exit");
    m_ok->setDefault(true);
    setEscapeButton(m_exit);

    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(texts::kFile);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_file, 1);

    auto* sourceLabel = new QLabel(texts::kSource);
    sourceLabel->setBuddy(m_source);
    auto* translationLabel = new QLabel(texts::kTranslation);
    translationLabel->setBuddy(m_translation);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_ok, m_back, m_restore, m_forward, m_exit})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(sourceLabel);
    layout->addWidget(m_source, 1);
    layout->addWidget(translationLabel);
    layout->addWidget(m_translation, 1);
    addAcceleratorHintAndChecks(layout, m_project, m_services, m_source, m_translation);
    layout->addWidget(new SuggestionPanel(m_project, m_source, m_translation));
    layout->addLayout(buttons);

    setTabOrder(m_ok, m_back);
    setTabOrder(m_back, m_restore);
    setTabOrder(m_restore, m_forward);
    setTabOrder(m_forward, m_exit);
    setTabOrder(m_exit, m_translation);

    connect(m_ok, &QPushButton::clicked, this, &AutoTranslationEditor::acceptPair);
    connect(m_back, &QPushButton::clicked, this, &AutoTranslationEditor::previousPair);
    connect(m_restore, &QPushButton::clicked, this, &AutoTranslationEditor::restoreTranslation);
    connect(m_forward, &QPushButton::clicked, this, &AutoTranslationEditor::nextPair);
    connect(m_exit, &QPushButton::clicked, this, &AutoTranslationEditor::finish);

    resize(560, 420);
}

void AutoTranslationEditor::startReview(const QString& path, QStringList entries, TextEncoding encoding)
{
    m_path = path;
    m_encoding = encoding;
    m_file->setText(QDir::toNativeSeparators(path));
    m_file->setToolTip(m_file->text());
    m_review.Reset(std::move(entries));
    showOverMain();
    showPair();
}

void AutoTranslationEditor::showPair()
{
    m_source->setPlainText(m_review.Source());
    m_translation->setPlainText(m_review.Translation());
    m_translation->selectAll();
    m_translation->setFocus();
    m_back->setEnabled(m_review.CanGoBack());
    m_forward->setEnabled(m_review.CanGoForward());
}

void AutoTranslationEditor::acceptPair()
{
    const QString translation = m_translation->toPlainText();
    QString problem = BilingualReview::Refusal(translation);
    // Refused only when User.dic or a script the pair goes to cannot hold a character.
    if (problem.isEmpty())
        problem = translationRefusal(m_project, m_review.Source(), translation);
    if (!problem.isEmpty()) {
        m_services.message(this, texts::kTitle, problem, MessageIcon::Stop);
        m_translation->setFocus();
        return;
    }
    if (!m_review.Accept(m_project, m_translation->toPlainText()))
        return;
    if (m_review.BilingualList().isEmpty())
        finish();
    else
        showPair();
}

void AutoTranslationEditor::previousPair()
{
    m_review.Previous();
    showPair();
}

void AutoTranslationEditor::nextPair()
{
    m_review.Next();
    showPair();
}

void AutoTranslationEditor::restoreTranslation() { m_translation->setPlainText(m_review.Translation()); }

void AutoTranslationEditor::finish()
{
    Q_EMIT busyChanged(true);
    const auto error = saveBilingualFile(m_path, m_review.BilingualList(), m_encoding);
    Q_EMIT busyChanged(false);
    if (error)
        m_services.message(this, texts::kTitle,
                           (error->oldContentLost ? texts::kNotSavedChanged : texts::kNotSaved) + QChar(10) +
                               error->message(),
                           MessageIcon::Stop);
    // The accepted pairs are in the user dictionary either way, and the file still
    // holds every pair, so the user goes back to work rather than being kept here.
    m_project.setMode(TranslationMode::Manual);
    hide();
}

void AutoTranslationEditor::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (isVisible())
        finish();
}

bool AutoTranslationEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Enter accepts the pair, as in the manual translation window; the translation
    // is one line, so Enter has no line to break. Shift+Enter is left to the box.
    if (watched == m_translation && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ShiftModifier)) {
            acceptPair();
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}

} // namespace kvarsel
