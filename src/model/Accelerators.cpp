#include "model/Accelerators.h"

#include "model/LineStore.h"
#include "model/ScriptString.h"

#include <QHash>

namespace kvarsel {

AcceleratedText fromScriptForm(QStringView scriptText)
{
    AcceleratedText out;
    out.text.reserve(scriptText.size());
    for (qsizetype i = 0; i < scriptText.size(); ++i) {
        if (scriptText[i] != u'&') {
            out.text += scriptText[i];
        } else if (i + 1 < scriptText.size() && scriptText[i + 1] == u'&') {
            out.text += u'&';
            ++i;
        } else if (i + 1 < scriptText.size() && out.mark < 0) {
            out.mark = out.text.size();
        }
        // A second mark, or one at the very end, marks nothing: Windows shows neither.
    }
    return out;
}

AcceleratedText fromTranslation(QStringView translation)
{
    AcceleratedText out;
    out.text.reserve(translation.size());
    for (qsizetype i = 0; i < translation.size(); ++i) {
        const QChar c = translation[i];
        const bool beforeLetter = i + 1 < translation.size() && translation[i + 1].isLetterOrNumber();
        if (c == u'&' && i + 1 < translation.size() && translation[i + 1] == u'&') {
            out.text += u'&';
            ++i;
        } else if (c == u'&' && beforeLetter && out.mark < 0) {
            out.mark = out.text.size();
        } else {
            // "Дата & время": an "&" before a blank is the word "and", not a mark.
            out.text += c;
        }
    }
    return out;
}

QString toScriptForm(QStringView text, qsizetype mark)
{
    QString out;
    out.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == mark)
            out += u'&';
        if (text[i] == u'&')
            out += u'&';
        out += text[i];
    }
    return out;
}

qsizetype chooseAccelerator(QStringView text, const QList<QChar>& taken)
{
    const auto free = [&](qsizetype i) { return !taken.contains(text[i].toLower()); };
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isLetter() && (i == 0 || !text[i - 1].isLetterOrNumber()) && free(i))
            return i;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isLetter() && free(i))
            return i;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isLetter())
            return i;
    return -1;
}

namespace {

bool sharesAccelerators(ResourceKind kind)
{
    return kind == ResourceKind::Menu || kind == ResourceKind::Dialog;
}

// The line of row `r` as it will be written.
QString scriptLine(const LineStore& store, qsizetype r)
{
    return store.Head(r) + store.ScriptText(r) + store.Tail(r);
}

enum class Block { None, Begin, End };

// BEGIN / END or { / } opening a line: the bounds of a popup's or a dialog's items.
Block blockOf(const LineStore& store, qsizetype r)
{
    const QString& head = store.Head(r);
    qsizetype at = 0;
    while (at < head.size() && (head[at] == u' ' || head[at] == u'\t'))
        ++at;
    const QStringView rest = QStringView(head).sliced(at);
    const auto word = [&rest](QStringView keyword) {
        return rest.startsWith(keyword, Qt::CaseInsensitive) &&
               (rest.size() == keyword.size() || !rest[keyword.size()].isLetterOrNumber());
    };
    if (rest.startsWith(u'{') || word(u"BEGIN"))
        return Block::Begin;
    if (rest.startsWith(u'}') || word(u"END"))
        return Block::End;
    return Block::None;
}

// The mark of a line's first double-quoted string, lower case; nothing for a line
// without a string or a mark.
std::optional<QChar> markOfLine(QStringView line)
{
    const AcceleratedText t = fromScriptForm(firstQuotedString(line));
    if (t.mark < 0 || t.mark >= t.text.size())
        return std::nullopt;
    return t.text[t.mark].toLower();
}

// The row of the BEGIN whose items row `row` is one of; -1 outside every block.
qsizetype groupStart(const LineStore& store, qsizetype row, qsizetype firstRow)
{
    qsizetype depth = 0;
    for (qsizetype r = row - 1; r >= firstRow; --r) {
        switch (blockOf(store, r)) {
        case Block::End:
            ++depth;
            break;
        case Block::Begin:
            if (depth == 0)
                return r;
            --depth;
            break;
        case Block::None:
            break;
        }
    }
    return -1;
}

// Calls `item(r)` for every other item of row `row`'s popup or dialog, in order,
// until it returns false.
template <class Item> void forEachItemBeside(const LineStore& store, qsizetype row, Item item)
{
    if (!sharesAccelerators(store.kind()))
        return;
    const std::optional<LineStore::Script> script = store.scriptOf(row);
    if (!script)
        return;
    const qsizetype start = groupStart(store, row, script->markerRow + 1);
    if (start < 0)
        return;
    qsizetype depth = 0;
    for (qsizetype r = start + 1; r < script->endRow; ++r) {
        const Block block = blockOf(store, r);
        if (block == Block::Begin) {
            ++depth;
        } else if (block == Block::End) {
            if (depth-- == 0)
                return;
        } else if (depth == 0 && r != row && !item(r)) {
            return;
        }
    }
}

} // namespace

AcceleratorGroups::AcceleratorGroups(const LineStore& store)
    : m_group(size_t(store.RowCount()), -1), m_mark(size_t(store.RowCount()), 0)
{
    if (!sharesAccelerators(store.kind()))
        return;
    for (const LineStore::Script& script : store.scripts()) {
        std::vector<qsizetype> open; // the groups of the open blocks, innermost last
        for (qsizetype r = script.markerRow + 1; r < script.endRow; ++r) {
            const Block block = blockOf(store, r);
            if (block == Block::Begin) {
                open.push_back(qsizetype(m_counts.size()));
                m_counts.emplace_back();
            } else if (block == Block::End) {
                if (!open.empty())
                    open.pop_back();
            } else if (!open.empty()) {
                m_group[size_t(r)] = open.back();
                rowChanged(store, r);
            }
        }
    }
}

void AcceleratorGroups::rowChanged(const LineStore& store, qsizetype row)
{
    const qsizetype group = m_group[size_t(row)];
    if (group < 0)
        return;
    QHash<char16_t, qsizetype>& counts = m_counts[size_t(group)];
    char16_t& mark = m_mark[size_t(row)];
    if (mark && --counts[mark] == 0)
        counts.remove(mark);
    const std::optional<QChar> now = markOfLine(scriptLine(store, row));
    mark = now ? now->unicode() : 0;
    if (mark)
        ++counts[mark];
}

QList<QChar> AcceleratorGroups::takenBeside(qsizetype row) const
{
    QList<QChar> taken;
    const qsizetype group = row >= 0 && size_t(row) < m_group.size() ? m_group[size_t(row)] : -1;
    if (group < 0)
        return taken;
    const char16_t own = m_mark[size_t(row)];
    for (auto it = m_counts[size_t(group)].cbegin(); it != m_counts[size_t(group)].cend(); ++it)
        if (it.value() > (it.key() == own ? 1 : 0))
            taken << QChar(it.key());
    return taken;
}

QList<QChar> acceleratorsTakenBeside(const LineStore& store, qsizetype row)
{
    return store.acceleratorGroups().takenBeside(row);
}

QString scriptFormOfTranslation(const LineStore& store, qsizetype row, const QString& translation)
{
    const AcceleratedText typed = fromTranslation(translation);
    if (typed.mark >= 0)
        return toScriptForm(typed.text, typed.mark);
    const bool sourceMarked = fromScriptForm(store.ScriptText(row)).mark >= 0;
    return toScriptForm(
        typed.text, sourceMarked ? chooseAccelerator(typed.text, acceleratorsTakenBeside(store, row)) : -1);
}

std::optional<AcceleratorPreview> acceleratorPreview(const LineStore& menus, const LineStore& dialogs,
                                                     const QString& phrase, const QString& translation)
{
    if (phrase.isEmpty())
        return std::nullopt;
    std::optional<AcceleratorPreview> preview;
    const bool typed = fromTranslation(translation).mark >= 0;
    for (const LineStore* store : {&menus, &dialogs}) {
        if (!store->acceleratorsKept())
            continue;
        for (qsizetype row = 0; row < store->RowCount(); ++row) {
            if (store->Text(row).compare(phrase, Qt::CaseInsensitive) != 0)
                continue;
            if (!preview) {
                preview.emplace();
                preview->scriptForm = scriptFormOfTranslation(*store, row, translation);
                const AcceleratedText shown = fromScriptForm(preview->scriptForm);
                if (shown.mark >= 0 && shown.mark < shown.text.size())
                    preview->letter = shown.text[shown.mark];
                preview->typed = typed;
                if (!typed || preview->letter.isNull())
                    return preview;
            }
            // The translation goes to every item showing the phrase, so a typed mark
            // is checked in each of their popups and dialogs, not only the first.
            const QChar letter = preview->letter.toLower();
            if (!store->acceleratorGroups().takenBeside(row).contains(letter))
                continue;
            forEachItemBeside(*store, row, [&](qsizetype r) {
                if (markOfLine(scriptLine(*store, r)) != letter)
                    return true;
                // Named as the user reads it; a hidden row's text stands in its line.
                preview->clashingItem =
                    store->Text(r).isEmpty() ? scriptLine(*store, r).trimmed() : store->Text(r);
                return false;
            });
            return preview;
        }
    }
    return preview;
}

QList<AcceleratorClash> acceleratorClashes(const LineStore& store)
{
    QList<AcceleratorClash> clashes;
    if (!sharesAccelerators(store.kind()))
        return clashes;
    for (const LineStore::Script& script : store.scripts()) {
        // One map of letters per open block, innermost last.
        QList<QHash<QChar, qsizetype>> open;
        for (qsizetype r = script.markerRow + 1; r < script.endRow; ++r) {
            const Block block = blockOf(store, r);
            if (block == Block::Begin) {
                open.append(QHash<QChar, qsizetype>());
            } else if (block == Block::End) {
                if (!open.isEmpty())
                    open.removeLast();
            } else if (!open.isEmpty()) {
                const auto mark = markOfLine(scriptLine(store, r));
                if (!mark)
                    continue;
                const auto earlier = open.last().constFind(*mark);
                if (earlier != open.last().constEnd())
                    clashes.append({r, *earlier, *mark});
                else
                    open.last().insert(*mark, r);
            }
        }
    }
    return clashes;
}

} // namespace kvarsel
