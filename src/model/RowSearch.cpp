#include "model/RowSearch.h"

#include "text/CaseFold.h"
#include "text/CharClass.h"

namespace kvarsel {

namespace {

template <class Matches>
qsizetype walk(const LineStore& store, qsizetype current, SearchDirection direction, Matches&& matches)
{
    const qsizetype n = store.RowCount();
    if (n == 0)
        return -1;
    const qsizetype step = direction == SearchDirection::Forward ? 1 : n - 1; // -1 modulo n
    qsizetype i = current < 0 || current >= n ? (direction == SearchDirection::Forward ? n - 1 : 0) : current;
    for (qsizetype visited = 0; visited < n; ++visited) {
        i = (i + step) % n;
        if (matches(store.Text(i)))
            return i;
    }
    return -1;
}

} // namespace

bool isUntranslatedText(QStringView text) { return !text.isEmpty() && !holdsCyrillicLetter(text); }

qsizetype findContaining(const LineStore& store, QStringView needle, qsizetype current,
                         SearchDirection direction)
{
    if (needle.isEmpty())
        return -1;
    return walk(store, current, direction,
                [needle](const QString& text) { return containsIgnoringCase(text, needle); });
}

qsizetype findUntranslated(const LineStore& store, qsizetype current, SearchDirection direction)
{
    return walk(store, current, direction, [](const QString& text) { return isUntranslatedText(text); });
}

} // namespace kvarsel
