#include "workbench/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace kvarsel {
namespace texts {
const QString kFind = QStringLiteral("Найти:");
} // namespace texts

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("findBar"));
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("findText"));
    m_field->setClearButtonEnabled(true);
    auto* label = new QLabel(texts::kFind);
    label->setBuddy(m_field);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    connect(m_field, &QLineEdit::textEdited, this, &FindBar::textTyped);
    // The clear button empties the field without textEdited; an empty field finds nothing to miss.
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            setNotFound(false);
    });
    hide();
}

QString FindBar::text() const { return m_field->text(); }

void FindBar::open()
{
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::close()
{
    if (isHidden())
        return;
    hide();
    Q_EMIT closed();
}

void FindBar::setNotFound(bool notFound)
{
    QPalette p = palette();
    if (notFound) {
        // A red tint of the theme's own field colour, so dark themes stay readable.
        const QColor base = p.color(QPalette::Base);
        p.setColor(QPalette::Base, QColor::fromRgbF(float(base.redF() * 0.7 + 0.3),
                                                    float(base.greenF() * 0.7), float(base.blueF() * 0.7)));
    }
    m_field->setPalette(p);
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::ShiftModifier)
            Q_EMIT previousRequested();
        else
            Q_EMIT nextRequested();
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kvarsel
