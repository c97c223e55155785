#include "deferred/EscapeSpacing.h"

namespace kvarsel {

static const QString kEscape = QStringLiteral("\\n");
static const QString kSpacedEscape = QStringLiteral(" \\n ");

QString spaceOutEscapes(const QString& text)
{
    QString out = text;
    qsizetype from = 2;
    for (qsizetype at = out.indexOf(kEscape, from); at >= 0; at = out.indexOf(kEscape, from)) {
        out.replace(at, kEscape.size(), kSpacedEscape);
        // Resume on the blank that closes the group, so the blank can open the next
        // match's search but the inserted "\n" is never found again.
        from = at + 3;
    }
    return out;
}

QString unspaceEscapes(const QString& text)
{
    QString out = text;
    qsizetype from = 0;
    for (qsizetype at = out.indexOf(kSpacedEscape, from); at >= 0; at = out.indexOf(kSpacedEscape, from)) {
        out.replace(at, kSpacedEscape.size(), kEscape);
        // Resume inside the restored escape: the blank after it may begin the next group.
        from = at + 1;
    }
    return out;
}

} // namespace kvarsel
