// The widths the fit check works with, against what the font engine really draws.
#include "dialogs/QtTextMeasure.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace kvarsel;

namespace {

// Leftmost and rightmost inked columns of `text` drawn at x = 0; -1 when blank.
std::pair<int, int> inkedColumns(const QFont& font, const QString& text)
{
    QImage image(QFontMetrics(font).horizontalAdvance(text) + 40, QFontMetrics(font).height() + 10,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(0, QFontMetrics(font).ascent() + 2), text);
    }
    int left = -1, right = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 160) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

DialogFont font(int points, const char* face, int weight = 400)
{
    DialogFont f;
    f.pointSize = points;
    f.face = QString::fromLatin1(face);
    f.weight = weight;
    return f;
}

// Whole words while they fit, else as many characters as fit, one at least,
// each tried in turn: the plain wrap, as the oracle.
QList<TextSpan> greedyWrap(const QString& text, int width, const DialogFont& f, const TextMeasure& m)
{
    QString flat = text;
    flat.replace(u'\t', u' ');
    const auto widthOf = [&](qsizetype a, qsizetype b) { return m.textWidth(f, flat.mid(a, b - a)); };
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
            qsizetype fits = pos;
            for (qsizetype next = pos; next < end;) {
                while (next < end && flat[next] == u' ')
                    ++next;
                while (next < end && flat[next] != u' ')
                    ++next;
                if (widthOf(pos, next) > width)
                    break;
                fits = next;
            }
            if (fits == pos)
                for (fits = pos + 1; fits < end && flat[fits] != u' ' && widthOf(pos, fits + 1) <= width;)
                    ++fits;
            lines << TextSpan{pos, fits - pos};
            for (pos = fits; pos < end && flat[pos] == u' ';)
                ++pos;
        }
        if (end == flat.size())
            return lines;
        paragraph = end + 1;
    }
}

} // namespace

class TextMeasureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each face is measured with the installed font Windows' own stands for (not a
    // silent fallback), and the dialog base units come out as Windows gives them.
    void windowsFacesGetMetricCompatibleFonts_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QSize>("base"); // -1: not fixed here
        QTest::newRow("MS Shell Dlg") << "MS Shell Dlg" << 8 << "MS Sans Serif" << 13 << QSize(6, 13);
        QTest::newRow("MS Sans Serif") << "MS Sans Serif" << 8 << "MS Sans Serif" << 13 << QSize(6, 13);
        QTest::newRow("MS Sans Serif 9") << "MS Sans Serif" << 9 << "MS Sans Serif" << 13 << QSize(6, 13);
        QTest::newRow("MS Sans Serif 24: scaled")
            << "MS Sans Serif" << 24 << "Liberation Sans" << 32 << QSize(-1, -1);
        QTest::newRow("MS Shell Dlg 2") << "MS Shell Dlg 2" << 8 << "Tahoma" << 11 << QSize(6, 13);
        QTest::newRow("Tahoma") << "Tahoma" << 8 << "Tahoma" << 11 << QSize(6, 13);
        QTest::newRow("Microsoft Sans Serif")
            << "Microsoft Sans Serif" << 8 << "Liberation Sans" << 11 << QSize(-1, -1);
        QTest::newRow("Courier New") << "Courier New" << 10 << "Liberation Mono" << 13 << QSize(-1, -1);
        QTest::newRow("Times New Roman")
            << "Times New Roman" << 8 << "Liberation Serif" << 11 << QSize(-1, -1);
        QTest::newRow("unknown face") << "Frobnicate UI" << 8 << "Liberation Sans" << 11 << QSize(-1, -1);
    }

    void windowsFacesGetMetricCompatibleFonts()
    {
        QFETCH(QString, face);
        QFETCH(int, points);
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(QSize, base);
        const QtTextMeasure measure;
        DialogFont f = font(points, "");
        f.face = face;
        QCOMPARE(QFontInfo(measure.qtFont(f)).family(), family);
        QCOMPARE(QFontInfo(measure.qtFont(f)).pixelSize(), pixels);
        QVERIFY(measure.missingFamilies().isEmpty());
        if (base.width() > 0)
            QCOMPARE(measure.base(f).averageWidth, base.width());
        if (base.height() > 0)
            QCOMPARE(measure.base(f).height, base.height());
    }

    // The wrap finds its breaks by halving instead of trying every character; it
    // must break exactly where trying every character does.
    void wrapBreaksWhereTheGreedyWrapDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("long unbroken word, one character a line") << QString(300, u'x') << 2;
        QTest::newRow("long unbroken word") << QString(500, u'w') << 90;
        QTest::newRow("words and a long one") << "Open the file " + QString(200, u'm') + " now" << 60;
        QTest::newRow("many short words, wide") << QString("ab cd ").repeated(400) << 700;
        QTest::newRow("leading and trailing blanks") << "   Cancel the   job   " << 25;
        QTest::newRow("paragraphs, one empty") << "First line\n\nThird, a longer one" << 40;
        QTest::newRow("Cyrillic with tabs") << "Сохранить\tизменения перед закрытием документа?" << 70;
    }

    void wrapBreaksWhereTheGreedyWrapDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        const QtTextMeasure measure;
        const DialogFont f = font(8, "MS Shell Dlg 2");
        QCOMPARE(wrapLines(text, width, f, measure), greedyWrap(text, width, f, measure));
    }

    void widthsMatchRenderedText_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QString>("text");
        QTest::newRow("latin") << "MS Sans Serif" << 8 << 400 << "Save changes before closing";
        QTest::newRow("cyrillic") << "MS Sans Serif" << 8 << 400 << "Сохранить изменения перед закрытием";
        QTest::newRow("capitals and digits") << "MS Shell Dlg" << 8 << 400 << "WWW 0123456789 MMM";
        QTest::newRow("bold") << "Tahoma" << 9 << 700 << "Параметры печати";
        QTest::newRow("system font") << "System" << 10 << 700 << "Шрифт системы";
        QTest::newRow("fixed") << "Courier New" << 10 << 400 << "Моноширинный текст";
    }

    void widthsMatchRenderedText()
    {
        QFETCH(QString, face);
        QFETCH(int, points);
        QFETCH(int, weight);
        QFETCH(QString, text);
        const QtTextMeasure measure;
        DialogFont f = font(points, "", weight);
        f.face = face;
        const int width = measure.textWidth(f, text);
        const auto [left, right] = inkedColumns(measure.qtFont(f), text);
        QVERIFY(left >= 0);
        // The ink ends within a side bearing of the advance the check counts.
        const QString detail = QStringLiteral("advance %1, ink %2..%3").arg(width).arg(left).arg(right);
        QVERIFY2(right < width + 2, qPrintable(detail));
        QVERIFY2(right >= width - 3, qPrintable(detail));
        // And a longer text is measured wider: widths add up, character by character.
        QVERIFY(measure.textWidth(f, text + text) >= 2 * width - 2);
    }
};

QTEST_MAIN(TextMeasureTest)
#include "tst_textmeasure.moc"
