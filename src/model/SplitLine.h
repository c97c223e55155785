#pragma once
// Picks the translatable text out of one script line. Everything that is not text
// stays in the head or the tail, so head & text & tail is always the line with
// every "&" removed. The grammar is shallow on purpose: a text is what lies
// between delimiters, cut and trimmed by character rules, and a few fixed texts
// (font names, CONTROL statements, one-letter texts) are refused.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"

namespace kvarsel {

// The working record of one line while the procedures below narrow its text.
struct LineWork {
    QString line; // the line with every "&" removed; never changes
    QString text; // narrowed to the translatable text, or emptied
    QString head;
    QString tail;

    // Moves the text onto the end of the head: the line stays whole, nothing is offered.
    void refuse()
    {
        head += text;
        text.clear();
    }
};

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString);

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
