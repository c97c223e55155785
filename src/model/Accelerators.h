#pragma once
// Keyboard accelerators of menu items and dialog controls, for scripts loaded with
// "Сохранять клавиши доступа (&)". In a script a single "&" marks the letter after
// it and "&&" stands for one literal "&". The program shows, looks up and
// translates the text without the mark and with "&&" as "&"; the line keeps the
// script's form beside it, and a translation gets its mark back when recorded:
// where the translation typed one, or else on a letter that no other item of the
// same popup or dialog carries.

#include "model/ResourceKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace kvarsel {

class LineStore;

// A text as a user reads it: `text` without its mark, `mark` the index in `text`
// of the marked letter (-1 for none).
struct AcceleratedText {
    QString text;
    qsizetype mark = -1;
};

// A script string's form: a single "&" before a character marks it (the first one
// counts), "&&" is a literal "&".
AcceleratedText fromScriptForm(QStringView scriptText);

// A translation as recorded (typed or in a dictionary): a single "&" before a
// letter or digit marks it (the first one counts); "&&", and an "&" before
// anything else, is a literal "&".
AcceleratedText fromTranslation(QStringView translation);

// The script's form of `text`: every literal "&" doubled, "&" before index `mark`.
QString toScriptForm(QStringView text, qsizetype mark);

// The letter for a translation whose source had a mark: the first letter of a word
// not in `taken` (folded to lower case), then any letter not taken, then the first
// letter; -1 when the text has no letter.
qsizetype chooseAccelerator(QStringView text, const QList<QChar>& taken);

// The marked letters (lower case, each once) of the other items that share an
// accelerator space with row `row` of `store`: the items of the same popup (the
// menu bar's top items together) or of the same dialog. Read off the lines as they
// will be written, so untranslated, translated and hidden rows all count.
QList<QChar> acceleratorsTakenBeside(const LineStore& store, qsizetype row);

// The accelerator spaces of a store's rows and the letters marked in each, kept
// by the store (LineStore::acceleratorGroups) and told of every row it changes, so
// translating a popup or dialog of any size asks each item once, not every item
// again for each of the others.
class AcceleratorGroups {
public:
    explicit AcceleratorGroups(const LineStore& store);
    // Row `row` of `store` has changed: its mark is read again.
    void rowChanged(const LineStore& store, qsizetype row);
    QList<QChar> takenBeside(qsizetype row) const;

private:
    std::vector<qsizetype> m_group;                   // by row: the index of its popup or dialog, -1 outside
    std::vector<char16_t> m_mark;                     // by row: its marked letter in lower case, 0 for none
    std::vector<QHash<char16_t, qsizetype>> m_counts; // by group: how many items mark each letter
};

// The script form row `row` of `store` gets for `translation` (already in the
// script's string escaping): the mark typed in it, or a free letter when the row's
// text had a mark, or none.
QString scriptFormOfTranslation(const LineStore& store, qsizetype row, const QString& translation);

// What a translation of `phrase` would carry in the first menu item or dialog
// control that shows it (menus first), in scripts that keep their accelerators.
struct AcceleratorPreview {
    QString scriptForm;   // the text as the script would hold it
    QChar letter;         // the marked letter; null for none
    bool typed = false;   // the mark is the one the translation holds
    QString clashingItem; // a typed mark on a letter another item has: that item's text
};
std::optional<AcceleratorPreview> acceleratorPreview(const LineStore& menus, const LineStore& dialogs,
                                                     const QString& phrase, const QString& translation);

// Items of one popup or dialog whose marks fall on the same letter.
struct AcceleratorClash {
    qsizetype row = -1;   // the later item
    qsizetype other = -1; // the earlier item with the same letter
    QChar letter;
};
QList<AcceleratorClash> acceleratorClashes(const LineStore& store);

} // namespace kvarsel
