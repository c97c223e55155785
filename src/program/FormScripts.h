#pragma once
// Delphi and Lazarus forms among a program's resources: every RCDATA whose data is
// a binary form becomes an rcdata script (rcdata/<NAME>.txt) on unpacking, and goes
// back into the program on packing, its original giving each value its stored type.

#include "program/ResourceScripts.h"

namespace kvarsel {

// An RCDATA resource holding a binary form.
bool isFormResource(const Resource& r);

// The forms among `resources` in `language` as rcdata scripts; a form that does not
// read is left out (and kept in the program as it is) and named in leftOut.
ScriptsFromResources formScripts(const QList<Resource>& resources, quint16 language);

// A form script back into its resource: `original` is the program's resource the
// script was made from (the resulting resource keeps its type and name).
CompiledScript compileFormScript(const QString& text, const Resource& original);

} // namespace kvarsel
