#include "workbench/WindowPlacement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace kvarsel {

namespace {
const QString kGeometryKey = QStringLiteral("MainWindow/geometry");

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kvarsel"),
                     QStringLiteral("kvarsel"));
}
} // namespace

WindowPlacement::WindowPlacement(QWidget* window) : QObject(window), m_window(window)
{
    restore();
    m_window->installEventFilter(this);
    // Whatever road the program ends by, the window still stands when the loop stops.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &WindowPlacement::save);
}

void WindowPlacement::save()
{
    QSettings settings = userSettings();
    settings.setValue(kGeometryKey, m_window->saveGeometry());
    settings.sync();
}

bool WindowPlacement::restore()
{
    const QByteArray geometry = userSettings().value(kGeometryKey).toByteArray();
    return !geometry.isEmpty() && m_window->restoreGeometry(geometry);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    // A minimised window hides spontaneously; only a real hide is an ending.
    if (watched == m_window && event->type() == QEvent::Hide && !event->spontaneous())
        save();
    return QObject::eventFilter(watched, event);
}

} // namespace kvarsel
