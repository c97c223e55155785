#include "assist/TranslationCheckPanel.h"

#include "assist/TranslationChecks.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kNoFindings = QStringLiteral("Замечаний нет");
} // namespace texts

TranslationCheckPanel::TranslationCheckPanel(QPlainTextEdit* sourceBox, QPlainTextEdit* translationBox,
                                             QWidget* parent)
    : QWidget(parent), m_sourceBox(sourceBox), m_translationBox(translationBox)
{
    setObjectName(QStringLiteral("checkPanel"));
    auto* title = new QLabel(check_texts::kTitle);
    m_text = new QLabel;
    m_text->setObjectName(QStringLiteral("checks"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(m_text);
    connect(m_sourceBox, &QPlainTextEdit::textChanged, this, &TranslationCheckPanel::recheck);
    connect(m_translationBox, &QPlainTextEdit::textChanged, this, &TranslationCheckPanel::recheck);
    recheck();
}

void TranslationCheckPanel::addCheck(ExtraCheck check)
{
    m_extra << std::move(check);
    recheck();
}

void TranslationCheckPanel::recheck()
{
    const QString source = m_sourceBox->toPlainText();
    // Nothing to judge before a phrase is there (a review window with no pair left).
    m_findings = source.isEmpty() ? QStringList() : checkTranslation(source, m_translationBox->toPlainText());
    for (const ExtraCheck& check : std::as_const(m_extra))
        if (!source.isEmpty())
            m_findings << check(source, m_translationBox->toPlainText());
    if (m_findings.isEmpty()) {
        m_text->setText(texts::kNoFindings);
        m_text->setStyleSheet(QString());
        return;
    }
    QStringList lines;
    for (const QString& f : m_findings)
        lines << QStringLiteral("⚠ ") + f;
    m_text->setText(lines.join(QChar(10)));
    m_text->setStyleSheet(QStringLiteral("color: #b04000"));
}

} // namespace kvarsel
