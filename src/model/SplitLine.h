#pragma once
// Picks the translatable text out of one script line. Everything that is not text
// stays in the head or the tail, so head & text & tail is always the line with
// every "&" removed. The grammar is shallow on purpose: a text is what lies
// between delimiters, cut and trimmed by character rules, and a few fixed texts
// (font names, CONTROL statements, one-letter texts) are refused.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"

#include <QStringView>
#include <vector>

namespace kvarsel {

// The working record of one line while the procedures below narrow its text. All
// of it is views into the line, so narrowing copies nothing: head & text & tail is
// always a split of the line in three.
struct LineWork {
    QStringView line; // the line with every "&" removed; never changes
    QStringView text; // narrowed to the translatable text, or emptied
    QStringView head;
    QStringView tail;

    // Moves the text onto the end of the head: the line stays whole, nothing is offered.
    void refuse()
    {
        head = line.first(head.size() + text.size());
        text = QStringView();
    }
};

// Equal pieces of lines share one string: a script repeats a few heads and tails
// (and many texts) on thousands of lines, and a string each would cost its
// allocation, its memory and its release. A cache of pieces by hash; a piece it
// does not hold gets a string of its own.
class LinePieces {
public:
    QString get(QStringView piece);

private:
    std::vector<QString> m_kept = std::vector<QString>(4096);
};

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString);
// The same for a line that has no "&" (or has had it removed), its pieces taken
// from `pieces`.
ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString,
                                        LinePieces& pieces);

// The steps, by the names the rest of the program and its tests use.
// Positions in the comments of SplitLine.cpp are 0-based.
void Striper_MENU(LineWork& w);
void Striper_DIALOG(LineWork& w);
void Striper_STRING(LineWork& w);
void Striper_RCDATA(LineWork& w);
void PostLine(LineWork& w);
void Striper_TLine(LineWork& w);
void Striper_TLineRcData(LineWork& w);
void Meneger_MENU(LineWork& w);
void Meneger_DIALOG(LineWork& w);
void Meneger_STRING(LineWork& w);
void Meneger_RcData(LineWork& w);
void HideRussianString(LineWork& w, bool autoHideRussianString);

} // namespace kvarsel
