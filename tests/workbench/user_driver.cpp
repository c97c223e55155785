// Preloaded (LD_PRELOAD) into the real kvarsel executable, it acts as a user:
// it waits for each window, then presses its buttons, in the order given by the
// environment variable KVARSEL_DRIVE, steps separated by ";":
//   click:WINDOW/CHILD   press the button CHILD of the visible window WINDOW
//                        (object names), once both are there and enabled
//   dir:PATH             choose PATH in the resources dialog's directory tree
//   closebox:WINDOW      close WINDOW as the window manager's close box does
//   message              press "OK" in the message box that is shown
// Every step is written to standard error, so a test that fails can tell how far it got.
#include <QAbstractButton>
#include <QApplication>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <cstdio>

namespace {

QWidget* visibleWindow(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// One step; true once done.
bool perform(const QString& step)
{
    const QString verb = step.section(QLatin1Char(':'), 0, 0);
    const QString arg = step.section(QLatin1Char(':'), 1);
    if (verb == QLatin1String("click")) {
        QWidget* window = visibleWindow(arg.section(QLatin1Char('/'), 0, 0));
        auto* b = window ? window->findChild<QAbstractButton*>(arg.section(QLatin1Char('/'), 1)) : nullptr;
        // A window behind a modal box or a disabled main window cannot be clicked by a user either.
        if (!b || !b->isVisible() || !b->isEnabled() || !window->isEnabled() ||
            QApplication::activeModalWidget())
            return false;
        // Pressed from the event loop, not from here: what the button starts may
        // open a modal box, and this timer must keep running inside its loop.
        QTimer::singleShot(0, b, &QAbstractButton::click);
        return true;
    }
    if (verb == QLatin1String("dir")) {
        QWidget* dialog = visibleWindow(QStringLiteral("ResourcesDialog"));
        auto* tree = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("directoryTree")) : nullptr;
        auto* model = tree ? qobject_cast<QFileSystemModel*>(tree->model()) : nullptr;
        if (!model)
            return false;
        const QModelIndex index = model->index(arg);
        if (!index.isValid())
            return false;
        tree->setCurrentIndex(index);
        return true;
    }
    if (verb == QLatin1String("closebox")) {
        QWidget* window = visibleWindow(arg);
        if (!window || !window->windowHandle() || QApplication::activeModalWidget())
            return false;
        QWindow* handle = window->windowHandle();
        QTimer::singleShot(0, handle, [handle] { handle->close(); });
        return true;
    }
    if (verb == QLatin1String("message")) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return false;
        std::fprintf(stderr, "driver: message: %s\n", qPrintable(box->text()));
        QTimer::singleShot(0, box->button(QMessageBox::Ok), &QAbstractButton::click);
        return true;
    }
    std::fprintf(stderr, "driver: unknown step %s\n", qPrintable(step));
    return false;
}

void startDriving()
{
    const QStringList steps =
        qEnvironmentVariable("KVARSEL_DRIVE").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    auto* timer = new QTimer(qApp);
    auto next = std::make_shared<qsizetype>(0);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, steps, next, waited] {
        if (*next >= steps.size()) {
            timer->stop();
            return;
        }
        if (perform(steps[*next])) {
            std::fprintf(stderr, "driver: done %s\n", qPrintable(steps[*next]));
            ++*next;
            *waited = 0;
        } else if (++*waited % 40 == 0) {
            // Still waiting after two seconds: say what is on the screen.
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible())
                    std::fprintf(stderr, "driver: waiting for %s; shown: %s \"%s\"%s\n",
                                 qPrintable(steps[*next]), qPrintable(w->objectName()),
                                 qPrintable(w->windowTitle()), w->isEnabled() ? "" : " (disabled)");
        }
    });
    // Slow enough for every window to settle between two steps, as a user's hand is.
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriving)
