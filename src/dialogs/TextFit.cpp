#include "dialogs/TextFit.h"

namespace kvarsel {

namespace {

// MulDiv: a * b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return int(p >= 0 ? (p + half) / c : -((-p + half) / c));
}

// Tabs are shown as blanks; the measure sees the text as the control draws it.
QString flatten(const QString& text)
{
    QString t = text;
    t.replace(u'\t', u' ');
    return t;
}

} // namespace

QString metricCompatibleFamily(const QString& face)
{
    const QString f = face.trimmed().toLower();
    static const QStringList serif{QStringLiteral("times new roman"), QStringLiteral("times"),
                                   QStringLiteral("ms serif"), QStringLiteral("tms rmn")};
    static const QStringList mono{QStringLiteral("courier new"), QStringLiteral("courier"),
                                  QStringLiteral("fixedsys"),    QStringLiteral("lucida console"),
                                  QStringLiteral("consolas"),    QStringLiteral("terminal")};
    if (serif.contains(f))
        return QStringLiteral("Liberation Serif");
    if (mono.contains(f))
        return QStringLiteral("Liberation Mono");
    return QStringLiteral("Liberation Sans");
}

int pointsToPixels(int points) { return mulDiv(points, 96, 72); }

int unitsToPixelsX(int units, const FontBase& base) { return mulDiv(units, base.averageWidth, 4); }

int unitsToPixelsY(int units, const FontBase& base) { return mulDiv(units, base.height, 8); }

int pixelsToUnitsX(int pixels, const FontBase& base)
{
    if (base.averageWidth <= 0 || pixels <= 0)
        return 0;
    return int((static_cast<long long>(pixels) * 4 + base.averageWidth - 1) / base.averageWidth);
}

int textMarginUnits(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
        return 4; // frame and focus rectangle, two units a side
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return 12; // the box (13 pixels at the usual 6-pixel unit) and the gap after it
    case ControlKind::GroupBox:
        return 6; // the caption starts four units in and stops short of the right frame
    default:
        return 0;
    }
}

bool showsCheckedText(const DialogControl& control)
{
    if (!control.hasText || control.text.trimmed().isEmpty())
        return false;
    switch (control.kind) {
    case ControlKind::Static:
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
        return true;
    default:
        return false;
    }
}

QList<TextSpan> wrapLines(const QString& text, int widthPixels, const DialogFont& font,
                          const TextMeasure& measure)
{
    const QString flat = flatten(text);
    const auto widthOf = [&](qsizetype from, qsizetype to) {
        return measure.textWidth(font, flat.mid(from, to - from));
    };
    QList<TextSpan> lines;
    qsizetype paragraph = 0;
    for (;;) {
        qsizetype end = flat.indexOf(u'\n', paragraph);
        if (end < 0)
            end = flat.size();
        qsizetype pos = paragraph;
        if (pos == end)
            lines << TextSpan{pos, 0};
        while (pos < end) {
            // Whole words while they fit; the blanks before a word go with it.
            qsizetype fits = pos;
            qsizetype wordEnd = pos;
            while (wordEnd < end) {
                qsizetype next = wordEnd;
                while (next < end && flat[next] == u' ')
                    ++next;
                while (next < end && flat[next] != u' ')
                    ++next;
                if (widthOf(pos, next) > widthPixels)
                    break;
                fits = wordEnd = next;
            }
            if (fits == pos) {
                // Not even the first word: as many of its characters as fit, one at least.
                fits = pos + 1;
                while (fits < end && flat[fits] != u' ' && widthOf(pos, fits + 1) <= widthPixels)
                    ++fits;
            }
            lines << TextSpan{pos, fits - pos};
            pos = fits;
            while (pos < end && flat[pos] == u' ')
                ++pos;
        }
        if (end == flat.size())
            break;
        paragraph = end + 1;
    }
    return lines;
}

QStringList wrapText(const QString& text, int widthPixels, const DialogFont& font, const TextMeasure& measure)
{
    const QString flat = flatten(text);
    QStringList lines;
    for (const TextSpan& line : wrapLines(text, widthPixels, font, measure))
        lines << flat.mid(line.start, line.length);
    return lines;
}

TextFit measureFit(const DialogControl& control, const DialogFont& font, const TextMeasure& measure)
{
    TextFit fit;
    if (!showsCheckedText(control))
        return fit;
    fit.checked = true;
    fit.availableWidth = control.cx;
    const FontBase base = measure.base(font);
    const int margin = textMarginUnits(control.kind);
    const QString text = flatten(control.text);

    if (!control.wraps) {
        // One line: a line break in a button caption is not honoured either.
        QString one = text;
        one.replace(u'\n', u' ');
        fit.neededWidth = pixelsToUnitsX(measure.textWidth(font, one), base) + margin;
        fit.fits = fit.neededWidth <= fit.availableWidth;
        return fit;
    }

    fit.linesAvailable = qMax(1, unitsToPixelsY(control.cy, base) / qMax(1, base.height));
    const QStringList paragraphs = text.split(u'\n');
    int widest = 0;
    for (const QString& p : paragraphs)
        widest = qMax(widest, measure.textWidth(font, p));
    const int oneLineUnits = pixelsToUnitsX(widest, base) + margin;

    // Lines at a control width; -1 when a single character is wider than the line.
    const auto linesAt = [&](int widthUnits) {
        const int inner = unitsToPixelsX(widthUnits - margin, base);
        const QStringList lines = wrapText(text, inner, font, measure);
        for (const QString& l : lines)
            if (measure.textWidth(font, l) > inner)
                return -1;
        return int(lines.size());
    };
    const auto fitsAt = [&](int widthUnits) {
        const int n = linesAt(widthUnits);
        return n >= 0 && n <= fit.linesAvailable;
    };

    const int atScript = linesAt(control.cx);
    fit.linesNeeded =
        atScript < 0 ? int(wrapText(text, unitsToPixelsX(control.cx - margin, base), font, measure).size())
                     : atScript;
    if (int(paragraphs.size()) > fit.linesAvailable) {
        // More forced lines than the height holds: no width helps.
        fit.neededWidth = oneLineUnits;
        fit.linesNeeded = qMax(fit.linesNeeded, int(paragraphs.size()));
        fit.fits = false;
        fit.widthHelps = false;
        return fit;
    }
    // The narrowest width that holds the text in the lines available: at the
    // width of the longest forced line everything fits, so a search finds it.
    int lo = margin + 1;
    int hi = qMax(oneLineUnits, lo);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (fitsAt(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    fit.neededWidth = lo;
    fit.fits = fitsAt(control.cx);
    return fit;
}

} // namespace kvarsel
