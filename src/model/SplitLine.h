#pragma once
// Picks the translatable text out of one script line. Everything that is not text
// stays in the head or the tail, so head & text & tail is always the line with
// every "&" removed. The grammar is shallow on purpose: a text is what lies
// between delimiters, cut and trimmed by character rules, and a few fixed texts
// (font names, CONTROL statements, one-letter texts) are refused.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"
#include "text/Machinery.h"

#include <QStringView>
#include <vector>

namespace kvarsel {

// Equal pieces of lines share one string: a script repeats a few heads and tails
// (and many texts) on thousands of lines, and a string each would cost its
// allocation, its memory and its release. A cache of pieces by hash; a piece it
// does not hold gets a string of its own.
class LinePieces {
public:
    QString get(QStringView piece);

private:
    bool m_sharing = machinery().pieceCache;
    std::vector<QString> m_kept = std::vector<QString>(4096);
};

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString);
// The same for a line that has no "&" (or has had it removed), its pieces taken
// from `pieces`.
ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString,
                                        LinePieces& pieces);

} // namespace kvarsel
