#pragma once
// Picks the translatable text out of one script line. Everything that is not text
// stays in the head or the tail, so head & text & tail is always the line with
// every "&" removed. The grammar is shallow on purpose: a text is what lies
// between delimiters, cut and trimmed by character rules, and a few fixed texts
// (font names, CONTROL statements, one-letter texts) are refused. In menu, dialog
// and string scripts a "//" comment outside the strings belongs to the tail.

#include "model/ResourceKind.h"
#include "model/ResourceLine.h"

#include <QStringView>
#include <functional>

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

// Every line of one script, in order, each split in the light of the statement it
// belongs to: a statement wrapped over several lines (the line before ends with a
// comma, or the statement still lacks arguments) offers only its text, on the
// line where that stands, and is judged on all of its lines (a CONTROL whose
// picture style stands on the next line). `text` is the script as read, without
// its "&"s unless `options.keepAccelerators`; `row` gets each line's split and, when
// accelerators are kept, its `scriptText` as SplitLineKeepingAccelerators gives it.
using ScriptRowFn = std::function<void(ResourceLine&& line, const QString& scriptText)>;
void SplitScript(ResourceKind kind, QStringView text, const SplitOptions& options, const ScriptRowFn& row);

} // namespace kvarsel
