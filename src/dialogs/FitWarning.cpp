#include "dialogs/FitWarning.h"

#include "dialogs/PreviewTexts.h"

#include <QPlainTextEdit>

namespace kvarsel {

FitWarning::FitWarning(const LineStore& dialogs, QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox,
                       QWidget* parent)
    : QLabel(parent), m_dialogs(dialogs), m_phraseBox(phraseBox), m_translationBox(translationBox)
{
    setObjectName(QStringLiteral("fitWarning"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("color: #c00000;"));
    hide();
    connect(phraseBox, &QPlainTextEdit::textChanged, this, &FitWarning::phraseChanged);
    connect(translationBox, &QPlainTextEdit::textChanged, this, &FitWarning::recheck);
    // Rows change under an open window too (a reload, a translation elsewhere).
    connect(&dialogs, &QAbstractItemModel::modelReset, this, &FitWarning::phraseChanged);
    phraseChanged();
}

void FitWarning::phraseChanged()
{
    m_phrase.setPhrase(m_dialogs, m_phraseBox->toPlainText());
    recheck();
}

void FitWarning::recheck()
{
    m_problems.clear();
    if (!m_phrase.isEmpty()) {
        // The line is written as one line: breaks typed into the box become blanks.
        QString translation = m_translationBox->toPlainText();
        translation.replace(u'\n', u' ');
        m_problems = m_phrase.check(translation, m_measure);
    }
    if (m_problems.empty()) {
        clear();
        hide();
        return;
    }
    QStringList lines;
    for (size_t i = 0; i < m_problems.size() && i < size_t(kShown); ++i)
        lines << preview_texts::fitWarning(m_problems[i]);
    if (m_problems.size() > size_t(kShown))
        lines << preview_texts::moreWarnings(qsizetype(m_problems.size()) - kShown);
    setText(lines.join(QChar(10)));
    show();
}

} // namespace kvarsel
