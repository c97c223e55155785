#include "assist/AcceleratorHint.h"

#include "assist/Spelling.h"
#include "assist/SpellingHighlighter.h"
#include "assist/TranslationCheckPanel.h"
#include "dialogs/FitFindings.h"
#include "model/Accelerators.h"
#include "project/Project.h"
#include "workbench/StorageCheck.h"

#include <QBoxLayout>
#include <QPlainTextEdit>
#include <memory>

namespace kvarsel {
namespace texts {
QString acceleratorLetter(QChar letter, const QString& scriptForm)
{
    return QStringLiteral("Клавиша доступа: «%1» (в сценарии: %2)").arg(letter.toUpper(), scriptForm);
}
QString acceleratorClash(QChar letter, const QString& item)
{
    return QStringLiteral("Клавиша доступа «%1» уже есть у «%2» в том же меню или диалоге")
        .arg(letter.toUpper(), item);
}
} // namespace texts

namespace {
std::optional<AcceleratorPreview> previewOf(const Project& project, const QString& phrase,
                                            const QString& translation)
{
    return acceleratorPreview(project.store(ResourceKind::Menu), project.store(ResourceKind::Dialog), phrase,
                              translation);
}
} // namespace

AcceleratorHint::AcceleratorHint(const Project& project, QPlainTextEdit* phraseBox,
                                 QPlainTextEdit* translationBox, QWidget* parent)
    : QLabel(parent), m_project(project), m_phraseBox(phraseBox), m_translationBox(translationBox)
{
    setObjectName(QStringLiteral("acceleratorHint"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    connect(phraseBox, &QPlainTextEdit::textChanged, this, &AcceleratorHint::update);
    connect(translationBox, &QPlainTextEdit::textChanged, this, &AcceleratorHint::update);
    update();
}

QStringList AcceleratorHint::clashFindings(const Project& project, const QString& phrase,
                                           const QString& translation)
{
    const auto preview = previewOf(project, phrase, translation);
    if (!preview || preview->clashingItem.isEmpty())
        return {};
    return {texts::acceleratorClash(preview->letter, preview->clashingItem)};
}

void addAcceleratorHintAndChecks(QBoxLayout* layout, Project& project, UiServices& services,
                                 QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox)
{
    new SpellingHighlighter(translationBox, project, services);
    layout->addWidget(new AcceleratorHint(project, phraseBox, translationBox));
    auto* checks = new TranslationCheckPanel(phraseBox, translationBox);
    // What "OK" would refuse, on one line here; the message at "OK" keeps its lines.
    checks->addCheck([&project](const QString& source, const QString& translation) {
        QString refusal = translationRefusal(project, source, translation);
        return refusal.isEmpty() ? QStringList() : QStringList{refusal.replace(QChar(10), QChar(u' '))};
    });
    checks->addCheck([&project](const QString& source, const QString& translation) {
        return AcceleratorHint::clashFindings(project, source, translation);
    });
    const LineStore& dialogs = project.store(ResourceKind::Dialog);
    auto fit = std::make_shared<FitFindings>(dialogs);
    checks->addCheck(
        [fit](const QString& source, const QString& translation) { return fit->check(source, translation); });
    // The rows change under an open window too (a reload, a translation elsewhere).
    QObject::connect(&dialogs, &QAbstractItemModel::modelReset, checks, [fit, checks] {
        fit->rowsChanged();
        checks->recheck();
    });
    checks->addCheck([&project](const QString&, const QString& translation) {
        return spellingFindings(project.spelling(), translation);
    });
    layout->addWidget(checks);
}

void AcceleratorHint::update()
{
    const auto preview = previewOf(m_project, m_phraseBox->toPlainText(), m_translationBox->toPlainText());
    const bool shown = preview && !preview->letter.isNull();
    setText(shown ? texts::acceleratorLetter(preview->letter, preview->scriptForm) : QString());
    setVisible(shown);
}

} // namespace kvarsel
