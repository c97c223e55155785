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

ResourceLine SplitLine(ResourceKind kind, const QString& lineAsRead, bool autoHideRussianString);
// The same for a line that has no "&" (or has had it removed).
ResourceLine SplitLineWithoutAmpersands(ResourceKind kind, QStringView line, bool autoHideRussianString);

} // namespace kvarsel
