// The dialog reader on arbitrary script text: it never fails, every dialog and
// control it reports lies within the lines it was given, and the fit rule agrees
// with itself.
#include "FuzzSupport.h"
#include "dialogs/TextFit.h"
#include "text/Cp1251.h"

using namespace kvarsel;

namespace {

// Widths that depend on the characters, so wrapping has something to decide.
class ByteMeasure : public TextMeasure {
public:
    FontBase base(const DialogFont& font) const override
    {
        return {qBound(1, font.pointSize % 13, 12), qBound(1, font.pointSize % 17 + 8, 24)};
    }
    int textWidth(const DialogFont&, const QString& line) const override
    {
        int w = 0;
        for (const QChar c : line)
            w += 3 + c.unicode() % 7;
        return w;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = cp1251::decode(QByteArrayView(data, qsizetype(size)));
    const QStringList lines = text.split(u'\n');
    const qsizetype first = 1;
    const qsizetype last = first + lines.size() - 1;
    const ByteMeasure measure;
    for (const DialogResource& d : readDialogLines(lines, first)) {
        FUZZ_CHECK(d.firstRow >= first && d.firstRow <= d.lastRow && d.lastRow <= last, text);
        for (const DialogControl& c : d.controls) {
            FUZZ_CHECK(c.row >= d.firstRow && c.row <= c.lastRow && c.lastRow <= d.lastRow, text);
            FUZZ_CHECK(c.textRow == -1 || (c.textRow >= c.row && c.textRow <= c.lastRow), text);
            FUZZ_CHECK(c.hasText || c.textRow == -1, text);
            const TextFit fit = measureFit(c, d.font, measure);
            if (fit.checked && fit.widthHelps)
                FUZZ_CHECK(fit.fits == (fit.neededWidth <= fit.availableWidth), text);
        }
    }
    return 0;
}
