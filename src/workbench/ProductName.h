#pragma once

#include <QString>

namespace kvarsel {

// The product name: the main window's caption and the title of its message boxes.
inline const QString kProductName = QStringLiteral("Кварсел");

} // namespace kvarsel
