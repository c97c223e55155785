#include "dialogs/FitFindings.h"

#include "dialogs/PreviewTexts.h"

namespace kvarsel {

FitFindings::FitFindings(const LineStore& dialogs) : m_dialogs(dialogs) {}

QStringList FitFindings::check(const QString& phrase, const QString& translation)
{
    if (m_phraseText != phrase) {
        m_phrase.setPhrase(m_dialogs, phrase);
        m_phraseText = phrase;
    }
    m_problems.clear();
    if (!m_phrase.isEmpty()) {
        // The line is written as one line: breaks typed into the box become blanks.
        QString line = translation;
        line.replace(u'\n', u' ');
        m_problems = m_phrase.check(line, m_measure);
    }
    QStringList findings;
    for (size_t i = 0; i < m_problems.size() && i < size_t(kShown); ++i)
        findings << preview_texts::fitWarning(m_problems[i]);
    if (m_problems.size() > size_t(kShown))
        findings << preview_texts::moreWarnings(qsizetype(m_problems.size()) - kShown);
    return findings;
}

} // namespace kvarsel
