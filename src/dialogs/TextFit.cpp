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

FaceChoice metricCompatibleFace(const QString& face, int points)
{
    const QString f = face.trimmed().toLower();
    const int em = qMax(1, pointsToPixels(points));
    // Windows maps its logical dialog faces: MS Shell Dlg to MS Sans Serif, MS Shell
    // Dlg 2 to Tahoma. Wine's fonts of those names have their metrics.
    if (f == QLatin1String("tahoma") || f == QLatin1String("ms shell dlg 2"))
        return {QStringLiteral("Tahoma"), em};
    if (f == QLatin1String("ms sans serif") || f == QLatin1String("ms shell dlg")) {
        // A bitmap face; Wine's holds its 8-point size first, the one Qt takes (asked
        // for by its cell height, 13 pixels), which Windows also uses for anything
        // smaller. Larger texts stand in the Arial-metric face, as Windows scales
        // them in Microsoft Sans Serif.
        if (em <= 12)
            return {QStringLiteral("MS Sans Serif"), 13};
        return {QStringLiteral("Liberation Sans"), em};
    }
    static const QStringList serif{QStringLiteral("times new roman"), QStringLiteral("times"),
                                   QStringLiteral("ms serif"), QStringLiteral("tms rmn")};
    static const QStringList mono{QStringLiteral("courier new"), QStringLiteral("courier"),
                                  QStringLiteral("fixedsys"),    QStringLiteral("lucida console"),
                                  QStringLiteral("consolas"),    QStringLiteral("terminal")};
    if (serif.contains(f))
        return {QStringLiteral("Liberation Serif"), em};
    if (mono.contains(f))
        return {QStringLiteral("Liberation Mono"), em};
    return {QStringLiteral("Liberation Sans"), em};
}

QString metricCompatibleFamily(const QString& face) { return metricCompatibleFace(face, 8).family; }

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

namespace {

// The greedy wrap of one text with tabs already flattened; stops once `maxLines`
// lines are made (-1: never), which is all a "does it fit" question needs.
//
// Every width asked is of a prefix of the rest of the text, and a prefix is never
// wider than the text it starts (advances are not negative, kerning is off). So
// the last word or character that fits is found by doubling, then halving, and
// no more of the text is measured than about twice the line: a line costs
// O(L log L) instead of re-measuring the whole rest of a long unbroken word for
// every character.
QList<TextSpan> wrapFlat(const QString& flat, int widthPixels, const DialogFont& font,
                         const TextMeasure& measure, qsizetype maxLines)
{
    const auto widthOf = [&](qsizetype from, qsizetype to) {
        return measure.textWidth(font, flat.mid(from, to - from));
    };
    // Whether flat[from, to) is wider than the line, measuring growing prefixes.
    const auto widerThanLine = [&](qsizetype from, qsizetype to) {
        for (qsizetype probe = 32;; probe *= 2) {
            const qsizetype stop = to - from <= probe ? to : from + probe;
            if (widthOf(from, stop) > widthPixels)
                return true;
            if (stop == to)
                return false;
        }
    };
    // The largest value in [good, last] for which `fits` holds, given that it
    // holds at `good` and is monotone.
    const auto largestFitting = [](qsizetype good, qsizetype last, const auto& fits) {
        qsizetype bad = last + 1;
        for (qsizetype step = 1; good + step <= last; step *= 2) {
            if (!fits(good + step)) {
                bad = good + step;
                break;
            }
            good += step;
        }
        while (bad - good > 1) {
            const qsizetype mid = good + (bad - good) / 2;
            if (fits(mid))
                good = mid;
            else
                bad = mid;
        }
        return good;
    };

    QList<TextSpan> lines;
    const auto full = [&] { return maxLines >= 0 && lines.size() >= maxLines; };
    std::vector<qsizetype> ends; // where each word of the paragraph ends; blanks before a word go with it
    qsizetype paragraph = 0;
    for (;;) {
        qsizetype end = flat.indexOf(u'\n', paragraph);
        if (end < 0)
            end = flat.size();
        ends.clear();
        for (qsizetype e = paragraph; e < end;) {
            while (e < end && flat[e] == u' ')
                ++e;
            while (e < end && flat[e] != u' ')
                ++e;
            ends.push_back(e);
        }
        qsizetype pos = paragraph;
        size_t word = 0; // the first word ending after `pos`
        if (pos == end)
            lines << TextSpan{pos, 0};
        while (pos < end && !full()) {
            qsizetype fits = 0;
            if (!widerThanLine(pos, ends[word])) {
                // Whole words while they fit.
                const auto last = qsizetype(ends.size()) - 1;
                const qsizetype w = largestFitting(
                    qsizetype(word), last, [&](qsizetype i) { return !widerThanLine(pos, ends[size_t(i)]); });
                fits = ends[size_t(w)];
            } else {
                // Not even the first word: as many of its characters as fit, one at least.
                const qsizetype runEnd = pos + 1 < end && flat[pos + 1] != u' ' ? ends[word] : pos + 1;
                fits = largestFitting(pos + 1, runEnd,
                                      [&](qsizetype to) { return widthOf(pos, to) <= widthPixels; });
            }
            lines << TextSpan{pos, fits - pos};
            pos = fits;
            while (pos < end && flat[pos] == u' ')
                ++pos;
            while (word < ends.size() && ends[word] <= pos)
                ++word;
        }
        if (end == flat.size() || full())
            break;
        paragraph = end + 1;
    }
    return lines;
}

} // namespace

QList<TextSpan> wrapLines(const QString& text, int widthPixels, const DialogFont& font,
                          const TextMeasure& measure)
{
    return wrapFlat(flatten(text), widthPixels, font, measure, -1);
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

    // Lines at a control width (at most `maxLines` + 1 of them counted), and whether
    // a character stands alone on a line and is still wider than it.
    struct Wrapped {
        int lines = 0;
        bool tooNarrow = false;
    };
    const auto wrapAt = [&](int widthUnits, qsizetype maxLines) {
        const int inner = unitsToPixelsX(widthUnits - margin, base);
        const QList<TextSpan> lines = wrapFlat(text, inner, font, measure, maxLines < 0 ? -1 : maxLines + 1);
        Wrapped w;
        w.lines = int(lines.size());
        // Longer lines were measured to fit; only a lone character is put on a line regardless.
        for (const TextSpan& l : lines)
            w.tooNarrow =
                w.tooNarrow || (l.length == 1 && measure.textWidth(font, text.mid(l.start, 1)) > inner);
        return w;
    };
    const auto fitsAt = [&](int widthUnits) {
        const Wrapped w = wrapAt(widthUnits, fit.linesAvailable);
        return !w.tooNarrow && w.lines <= fit.linesAvailable;
    };

    fit.linesNeeded = wrapAt(control.cx, -1).lines;
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
