#include "dialogs/QtTextMeasure.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QtEndian>

namespace kvarsel {

namespace {

QString keyOf(const DialogFont& f)
{
    return QStringLiteral("%1|%2|%3|%4").arg(f.face.toLower()).arg(f.pointSize).arg(f.weight).arg(f.italic);
}

// Wine's fonts are not in the system's font list; the program adds them itself,
// once, from where Debian's fonts-wine puts them.
void addWindowsFaces()
{
    static const bool added = [] {
        const QDir dir(QString::fromLatin1(kWineFontDirectory));
        for (const char* file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"}) {
            const QString path = dir.filePath(QString::fromLatin1(file));
            if (QFileInfo::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
        return true;
    }();
    Q_UNUSED(added);
}

QFont makeFont(const DialogFont& f)
{
    const FaceChoice choice = metricCompatibleFace(f.face, f.pointSize);
    QFont font(choice.family);
    font.setPixelSize(choice.pixelSize);
    font.setWeight(QFont::Weight(qBound(100, f.weight, 900)));
    font.setItalic(f.italic);
    // Windows draws dialog texts without kerning.
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

// The character cell height Windows gives a TrueType font: its OS/2 table's
// usWinAscent and usWinDescent at the em size. Some fonts (Wine's Tahoma among
// them) ask other systems for their smaller typographic metrics, which Qt honours
// and Windows ignores. 0 when the font has no such table.
int windowsCellHeight(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    if (!raw.isValid() || os2.size() < 78 || head.size() < 20)
        return 0;
    const auto u16 = [](const QByteArray& table, int offset) {
        return qFromBigEndian<quint16>(table.constData() + offset);
    };
    const int unitsPerEm = u16(head, 18);
    if (unitsPerEm <= 0)
        return 0;
    const double scale = raw.pixelSize() / unitsPerEm;
    return qRound(u16(os2, 74) * scale) + qRound(u16(os2, 76) * scale);
}

} // namespace

QtTextMeasure::QtTextMeasure() { addWindowsFaces(); }

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
    const int cell = windowsCellHeight(e.font);
    e.base.height = qMax(1, cell > 0 ? cell : e.metrics->height());
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

QString QtTextMeasure::packageOf(const QString& family)
{
    return family.startsWith(QLatin1String("Liberation")) ? QStringLiteral("fonts-liberation")
                                                          : QStringLiteral("fonts-wine");
}

QFont QtTextMeasure::qtFont(const DialogFont& font) const { return entry(font).font; }

} // namespace kvarsel
