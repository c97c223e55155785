#pragma once
// Paints the rows of a text list. A file-marker row, whose text is empty, shows the
// script's path in grey italics; a text already in Russian is drawn muted behind a
// check mark, so it stands apart from a text still to translate even without colour.
// A row translated in this run shows, muted at its right, the text it was loaded
// with. Display only: the model's texts are untouched.

#include <QIcon>
#include <QStyledItemDelegate>

namespace kvarsel {

class RowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RowDelegate(QObject* parent = nullptr);

    // Public so that tests can see what a row will look like.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Where a row's loaded text begins, in a row `width` wide.
    static int originalColumnStart(int width) { return width * 11 / 20; }

    const QIcon& checkMark() const { return m_check; }

private:
    QIcon m_check;
};

} // namespace kvarsel
