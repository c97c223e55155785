#pragma once
// Text measuring with Qt's font engine, for the preview window and kvarsel-batch,
// with the fonts that have the metrics of the faces the dialogs name.
// Fonts are sized in pixels at 96 dots per inch whatever the screen, so a
// dialog measures the same on every machine and in the offscreen platform.

#include "dialogs/TextFit.h"

#include <QFont>
#include <QFontMetrics>
#include <map>
#include <memory>

namespace kvarsel {

// Where Debian's fonts-wine installs Wine's Tahoma and MS Sans Serif.
inline constexpr char kWineFontDirectory[] = "/usr/share/wine/fonts";

class QtTextMeasure : public TextMeasure {
public:
    QtTextMeasure();
    FontBase base(const DialogFont& font) const override;
    int textWidth(const DialogFont& font, const QString& line) const override;

    // The Qt font a dialog font is drawn with.
    QFont qtFont(const DialogFont& font) const;
    // Families asked for so far that the system lacks (another font stood in, so
    // the widths are not those of the Windows font).
    QStringList missingFamilies() const;
    // The Debian package that installs a family this measure asks for.
    static QString packageOf(const QString& family);

private:
    struct Entry {
        QFont font;
        std::unique_ptr<QFontMetrics> metrics;
        FontBase base;
    };
    const Entry& entry(const DialogFont& font) const;

    mutable std::map<QString, Entry> m_cache;
};

} // namespace kvarsel
