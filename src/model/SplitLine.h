#pragma once
// Picks the translatable text out of one script line. Everything that is not text
// stays in the head or the tail, so head & text & tail is always the line with
// every "&" removed. The grammar is shallow on purpose: a text is what lies
// between delimiters, cut and trimmed by character rules, and a few fixed texts
// (font names, CONTROL statements, one-letter texts) are refused.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"

#include <QStringView>

namespace kvarsel {

// How lines are split, as the settings say.
struct SplitOptions {
    bool autoHideRussianString = false;
    // The "&" marks stay in the script (see Accelerators.h).
    bool keepAccelerators = false;
    // A CONTROL statement offers its first string, unless it shows a picture.
    bool translateControlTexts = false;
};

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString);
// The same for a line that has no "&" (or has had it removed).
ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString);
ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, const SplitOptions& options);
// A line as read, its "&"s kept: the head and tail hold them as they stand; the
// text is the one shown (no mark, "&&" as "&"), and `scriptText` gets the text's
// form in the line when that differs (empty otherwise).
ResourceLine SplitLineKeepingAccelerators(ResourceKind kind, QStringView line, const SplitOptions& options,
                                          QString& scriptText);

} // namespace kvarsel
