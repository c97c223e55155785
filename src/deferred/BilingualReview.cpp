#include "deferred/BilingualReview.h"

#include "project/Project.h"
#include "text/LineText.h"
#include "workbench/Propagation.h"

namespace kvarsel {

void BilingualReview::Reset(QStringList entries)
{
    m_entries = std::move(entries);
    m_pairIndex = 0;
}

QString BilingualReview::Source() const { return HasPair() ? m_entries[m_pairIndex] : QString(); }

QString BilingualReview::Translation() const
{
    return m_pairIndex + 1 < m_entries.size() ? m_entries[m_pairIndex + 1] : QString();
}

void BilingualReview::Next()
{
    if (CanGoForward())
        m_pairIndex += 2;
}

void BilingualReview::Previous()
{
    if (CanGoBack())
        m_pairIndex -= 2;
}

bool BilingualReview::Accept(Project& state, const QString& translation)
{
    if (!HasPair())
        return false;
    const QString source = Source();
    const QString recorded = singleLine(translation);
    // Whatever reaches here, an empty translation is never recorded nor applied.
    if (recorded.trimmed().isEmpty())
        return false;
    // An empty source would match every row without text; it is never applied.
    if (!source.isEmpty()) {
        // Taken back, the pair's rows are shown from the first of them.
        const HistoryStep step(state.history(), TranslationRoad::Review, std::nullopt);
        recordUserEntry(state, source, recorded);
        applyToAllKinds(state, source, recorded, TranslationRoad::Review);
    }
    // A lone last line has no translation line to remove with it.
    m_entries.remove(m_pairIndex, qMin<qsizetype>(2, m_entries.size() - m_pairIndex));
    if (m_pairIndex >= m_entries.size() && !m_entries.isEmpty())
        m_pairIndex = (m_entries.size() - 1) / 2 * 2;
    return true;
}

QString BilingualReview::Refusal(const QString& translation)
{
    if (translation.trimmed().isEmpty())
        return QStringLiteral("Перевод не может быть пустым: он стер бы все такие тексты в сценариях "
                              "ресурсов.\nВведите перевод или оставьте текст оригинала.");
    return lineTextProblem(translation, LineTextRole::Translation);
}

QString BilingualReview::singleLine(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    out.replace(QChar::LineSeparator, QLatin1Char(' '));
    out.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    return out;
}

} // namespace kvarsel
