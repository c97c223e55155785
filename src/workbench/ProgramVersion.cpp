#include "workbench/ProgramVersion.h"

namespace kvarsel {

QString programVersion() { return QStringLiteral(KVARSEL_VERSION); }

} // namespace kvarsel
