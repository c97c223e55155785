#include "model/ResourceKind.h"

namespace kvarsel {

const KindInfo& kindInfo(ResourceKind kind)
{
    static const std::array<KindInfo, 4> table = {{
        {QStringLiteral("menu"), QStringLiteral("*.rc"), QChar(u'"'), QStringLiteral("Menu"),
         QStringLiteral("Menu")},
        {QStringLiteral("dialog"), QStringLiteral("*.rc"), QChar(u'"'), QStringLiteral("Dialog"),
         QStringLiteral("Dialog")},
        {QStringLiteral("string"), QStringLiteral("*.rc"), QChar(u'"'), QStringLiteral("String"),
         QStringLiteral("String")},
        {QStringLiteral("rcdata"), QStringLiteral("*.txt"), QChar(u'\''), QStringLiteral("RcData"),
         QStringLiteral("RCData")},
    }};
    return table[kindIndex(kind)];
}

} // namespace kvarsel
