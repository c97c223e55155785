#pragma once
// Style words of dialog templates as Windows reads them. A script writes a style
// with the Windows SDK's symbols, with numbers (what a decompiler writes), or with
// both, joined by | and +, and NOT takes bits away; a CONTROL's window class is a
// name or the number a template stores for the six predefined classes. What a
// control looks like follows from the bits, however they were written.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace kvarsel {

// The values the Windows SDK gives these styles.
namespace ws {
constexpr quint32 kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000, kDisabled = 0x08000000,
                  kCaption = 0x00C00000, kBorder = 0x00800000, kSysMenu = 0x00080000, kGroup = 0x00020000,
                  kTabStop = 0x00010000;
}
namespace ds {
constexpr quint32 kFixedSys = 0x8, kSetFont = 0x40, kShellFont = 0x48, kModalFrame = 0x80, kControl = 0x400;
}
namespace bs {
constexpr quint32 kTypeMask = 0xF, kPushButton = 0x0, kDefPushButton = 0x1, kCheckBox = 0x2,
                  kAutoCheckBox = 0x3, kRadioButton = 0x4, k3State = 0x5, kAuto3State = 0x6, kGroupBox = 0x7,
                  kUserButton = 0x8, kAutoRadioButton = 0x9, kPushBox = 0xA, kOwnerDraw = 0xB,
                  kSplitButton = 0xC, kDefSplitButton = 0xD, kCommandLink = 0xE, kDefCommandLink = 0xF;
constexpr quint32 kLeftText = 0x20, kAlignMask = 0x300, kLeft = 0x100, kRight = 0x200, kCenter = 0x300,
                  kVerticalMask = 0xC00, kTop = 0x400, kBottom = 0x800, kPushLike = 0x1000,
                  kMultiline = 0x2000;
} // namespace bs
namespace ss {
constexpr quint32 kTypeMask = 0x1F, kLeft = 0x0, kCenter = 0x1, kRight = 0x2, kIcon = 0x3, kBlackRect = 0x4,
                  kGrayRect = 0x5, kWhiteRect = 0x6, kBlackFrame = 0x7, kGrayFrame = 0x8, kWhiteFrame = 0x9,
                  kUserItem = 0xA, kSimple = 0xB, kLeftNoWordWrap = 0xC, kOwnerDraw = 0xD, kBitmap = 0xE,
                  kEnhMetaFile = 0xF, kEtchedHorz = 0x10, kEtchedVert = 0x11, kEtchedFrame = 0x12;
constexpr quint32 kNoPrefix = 0x80, kRealSizeControl = 0x40, kCenterImage = 0x200, kRealSizeImage = 0x800,
                  kSunken = 0x1000;
} // namespace ss
namespace es {
constexpr quint32 kMultiline = 0x4;
}
// Up-down controls.
namespace uds {
constexpr quint32 kAlignRight = 0x4, kAlignLeft = 0x8, kAutoBuddy = 0x10, kHorz = 0x40;
}
// SysLink controls.
namespace lws {
constexpr quint32 kNoPrefix = 0x4, kRight = 0x20;
}

struct StyleWord {
    quint32 bits = 0;
    QStringList names; // the symbols written, upper case; those after NOT left out
};

// The style `expression` gives on top of `defaults` (the bits its statement
// always has): symbols and numbers are or-ed in, in order, and NOT X clears X.
// A symbol this program does not know adds no bits.
StyleWord readStyle(QStringView expression, quint32 defaults = 0);

// A CONTROL's window class by name: 128 to 133 (also written 0x80 to 0x85) are
// Button, Edit, Static, ListBox, ScrollBar and ComboBox; any other class as
// written, without its quotes.
QString windowClassName(const QString& written);

} // namespace kvarsel
