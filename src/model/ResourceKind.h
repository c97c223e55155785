#pragma once
// The four kinds of resource script, always walked in this order.

#include <QChar>
#include <QString>
#include <array>

namespace kvarsel {

enum class ResourceKind { Menu = 0, Dialog = 1, String = 2, RcData = 3 };

inline constexpr std::array<ResourceKind, 4> kAllKinds = {ResourceKind::Menu, ResourceKind::Dialog,
                                                          ResourceKind::String, ResourceKind::RcData};
inline constexpr int kKindCount = 4;

struct KindInfo {
    QString subDir;   // sub-directory of the resource directory, matched ignoring case
    QString mask;     // file-name mask, matched ignoring case
    QChar delimiter;  // quotes the translatable text
    QString name;     // "Menu", "Dialog", "String", "RcData"
    QString tabTitle; // the main window's tab: "RCData" for RcData
};

const KindInfo& kindInfo(ResourceKind kind);

inline int kindIndex(ResourceKind kind) { return static_cast<int>(kind); }

} // namespace kvarsel
