#include "workbench/ListNavigation.h"

#include "workbench/FindBar.h"
#include "workbench/MainWindow.h"
#include "workbench/RowDelegate.h"

#include <QLabel>
#include <QListView>
#include <QShortcut>

namespace kvarsel {
namespace texts {
QString translatedCount(qsizetype translated, qsizetype texts)
{
    return QStringLiteral("Переведено %1 из %2").arg(translated).arg(texts);
}
} // namespace texts

ListNavigation::ListNavigation(MainWindow& main) : QObject(&main), m_main(main)
{
    m_findBar = new FindBar;
    m_translated = new QLabel;
    m_translated->setObjectName(QStringLiteral("translatedCount"));
    m_delegate = new RowDelegate(this);

    const auto shortcut = [this](QKeySequence keys, auto&& action) {
        auto* s = new QShortcut(keys, &m_main);
        connect(s, &QShortcut::activated, this, action);
    };
    // Ctrl+F, Ctrl+Down and Ctrl+Up are the menu's ("Перевод"); F3 has no item of its own.
    shortcut(QKeySequence(Qt::Key_F3), [this] { findNext(SearchDirection::Forward); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { findNext(SearchDirection::Backward); });

    connect(m_findBar, &FindBar::textTyped, this, &ListNavigation::onTyped);
    connect(m_findBar, &FindBar::nextRequested, this, [this] { findNext(SearchDirection::Forward); });
    connect(m_findBar, &FindBar::previousRequested, this, [this] { findNext(SearchDirection::Backward); });
    connect(m_findBar, &FindBar::closed, this, [this] { m_main.visibleList()->setFocus(); });

    m_countLater.setSingleShot(true);
    m_countLater.setInterval(0);
    connect(&m_countLater, &QTimer::timeout, this, &ListNavigation::refreshCount);
    for (const ResourceKind kind : kAllKinds) {
        LineStore* store = &m_main.project().store(kind);
        const auto later = [this] {
            if (!m_countLater.isActive())
                m_countLater.start();
        };
        connect(store, &QAbstractItemModel::modelReset, this, later);
        connect(store, &QAbstractItemModel::rowsInserted, this, later);
        connect(store, &QAbstractItemModel::dataChanged, this, later);
    }
}

void ListNavigation::refreshCount()
{
    const LineStore& store = m_main.project().store(m_main.visibleKind());
    m_translated->setText(texts::translatedCount(store.RussianRowCount(), store.TextRowCount()));
}

qsizetype ListNavigation::currentRow() const
{
    const QItemSelectionModel* selection = m_main.visibleList()->selectionModel();
    const QModelIndex current = selection->currentIndex();
    return current.isValid() && selection->isSelected(current) ? current.row() : -1;
}

void ListNavigation::moveTo(qsizetype row)
{
    if (row < 0) {
        m_main.services().beep();
        return;
    }
    m_main.selectRow(m_main.visibleKind(), row);
}

void ListNavigation::openFind() { m_findBar->open(); }

void ListNavigation::onTyped(const QString& text)
{
    if (text.isEmpty())
        return;
    // The selected row itself may still hold the longer text, so it is looked at first.
    const qsizetype current = currentRow();
    const qsizetype row = findContaining(m_main.project().store(m_main.visibleKind()), text,
                                         current < 0 ? -1 : current - 1, SearchDirection::Forward);
    m_findBar->setNotFound(row < 0);
    if (row >= 0)
        m_main.selectRow(m_main.visibleKind(), row);
}

void ListNavigation::findNext(SearchDirection direction)
{
    if (m_findBar->text().isEmpty()) {
        openFind();
        return;
    }
    const qsizetype row = findContaining(m_main.project().store(m_main.visibleKind()), m_findBar->text(),
                                         currentRow(), direction);
    m_findBar->setNotFound(row < 0);
    moveTo(row);
}

void ListNavigation::nextUntranslated(SearchDirection direction)
{
    moveTo(findUntranslated(m_main.project().store(m_main.visibleKind()), currentRow(), direction));
}

} // namespace kvarsel
