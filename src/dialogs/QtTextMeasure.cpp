#include "dialogs/QtTextMeasure.h"

#include <QFontInfo>

namespace kvarsel {

namespace {

QString keyOf(const DialogFont& f)
{
    return QStringLiteral("%1|%2|%3|%4").arg(f.face.toLower()).arg(f.pointSize).arg(f.weight).arg(f.italic);
}

QFont makeFont(const DialogFont& f)
{
    QFont font(metricCompatibleFamily(f.face));
    font.setPixelSize(qMax(1, pointsToPixels(f.pointSize)));
    font.setWeight(QFont::Weight(qBound(100, f.weight, 900)));
    font.setItalic(f.italic);
    // Windows draws dialog texts without kerning.
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

} // namespace

const QtTextMeasure::Entry& QtTextMeasure::entry(const DialogFont& font) const
{
    const QString key = keyOf(font);
    auto it = m_cache.find(key);
    if (it != m_cache.end())
        return it->second;
    Entry e;
    e.font = makeFont(font);
    e.metrics = std::make_unique<QFontMetrics>(e.font);
    // Windows' average character width: the alphabet in both cases over 52, rounded.
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    e.base.averageWidth = qMax(1, (e.metrics->horizontalAdvance(alphabet) + 26) / 52);
    e.base.height = qMax(1, e.metrics->height());
    return m_cache.emplace(key, std::move(e)).first->second;
}

FontBase QtTextMeasure::base(const DialogFont& font) const { return entry(font).base; }

int QtTextMeasure::textWidth(const DialogFont& font, const QString& line) const
{
    return entry(font).metrics->horizontalAdvance(line);
}

QStringList QtTextMeasure::missingFamilies() const
{
    QStringList missing;
    for (const auto& [key, e] : m_cache) {
        const QString family = e.font.family();
        if (QFontInfo(e.font).family() != family && !missing.contains(family))
            missing << family;
    }
    return missing;
}

QFont QtTextMeasure::qtFont(const DialogFont& font) const { return entry(font).font; }

} // namespace kvarsel
