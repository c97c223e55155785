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

} // namespace

class TextMeasureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowsFacesGetMetricCompatibleFonts_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("family");
        QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                       << "Liberation Sans";
        QTest::newRow("MS Shell Dlg") << "MS Shell Dlg"
                                      << "Liberation Sans";
        QTest::newRow("MS Shell Dlg 2") << "MS Shell Dlg 2"
                                        << "Liberation Sans";
        QTest::newRow("Microsoft Sans Serif") << "Microsoft Sans Serif"
                                              << "Liberation Sans";
        QTest::newRow("Tahoma") << "Tahoma"
                                << "Liberation Sans";
        QTest::newRow("Courier New") << "Courier New"
                                     << "Liberation Mono";
        QTest::newRow("Times New Roman") << "Times New Roman"
                                         << "Liberation Serif";
        QTest::newRow("unknown face") << "Frobnicate UI"
                                      << "Liberation Sans";
    }

    void windowsFacesGetMetricCompatibleFonts()
    {
        QFETCH(QString, face);
        QFETCH(QString, family);
        const QtTextMeasure measure;
        DialogFont f = font(8, "");
        f.face = face;
        // The font is really installed and used, not a silent fallback.
        QCOMPARE(QFontInfo(measure.qtFont(f)).family(), family);
        QCOMPARE(QFontInfo(measure.qtFont(f)).pixelSize(), 11);
    }

    void dialogBaseUnits()
    {
        // Arial's metrics at 8 points and 96 dots per inch: the dialog unit base
        // Windows computes for its sans-serif dialog fonts is 5 or 6 by 13 or 14.
        const QtTextMeasure measure;
        const FontBase base = measure.base(font(8, "MS Shell Dlg"));
        QVERIFY2(base.averageWidth >= 5 && base.averageWidth <= 6,
                 qPrintable(QString::number(base.averageWidth)));
        QVERIFY2(base.height >= 12 && base.height <= 14, qPrintable(QString::number(base.height)));
        const FontBase bigger = measure.base(font(10, "MS Shell Dlg"));
        QVERIFY(bigger.averageWidth > base.averageWidth || bigger.height > base.height);
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
