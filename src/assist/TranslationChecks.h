#pragma once
// Checks of one translation against its source: what a translator loses most
// often (placeholders, escapes, blanks at the ends), look-alike letters of the
// other alphabet, and translations that are missing, untouched or too long for
// the room a menu or a dialog label has. Each finding is one short sentence.

#include <QString>
#include <QStringList>

namespace kvarsel {

namespace check_texts {
inline const QString kTitle = QStringLiteral("Проверка перевода");
inline const QString kEmpty = QStringLiteral("Перевод пуст");
inline const QString kEqual = QStringLiteral("Перевод совпадает с исходным текстом");
inline const QString kNoCyrillic = QStringLiteral("В переводе нет ни одной русской буквы");
inline const QString kTooLong = QStringLiteral("Перевод более чем вдвое длиннее исходного текста");
inline const QString kLeadingOnlySource = QStringLiteral("Пробел в начале есть только в исходном тексте");
inline const QString kLeadingOnlyTranslation = QStringLiteral("Пробел в начале есть только в переводе");
inline const QString kTrailingOnlySource = QStringLiteral("Пробел в конце есть только в исходном тексте");
inline const QString kTrailingOnlyTranslation = QStringLiteral("Пробел в конце есть только в переводе");
inline const QString kQuoteDoubled =
    QStringLiteral("Кавычка \" будет записана в сценарий удвоенной (\"\"); русские кавычки: « »");
inline const QString kApostropheDoubled =
    QStringLiteral("Апостроф ' будет записан в форму rcdata удвоенным ('')");
QString missingPlaceholders(const QStringList& placeholders);
QString extraPlaceholders(const QStringList& placeholders);
QString escapeCount(const QString& escape, qsizetype inSource, qsizetype inTranslation);
QString mixedWord(const QString& word);
} // namespace check_texts

// Format placeholders in text order: printf conversions (%s %d %i %u %x %X %c %f
// with flags, width, precision and h/l), "%%", "%1".."%9" and "{0}".."{9}".
QStringList formatPlaceholders(QStringView text);

// The findings for one pair, in a fixed order; empty when all is well.
QStringList checkTranslation(const QString& source, const QString& translation);

} // namespace kvarsel
