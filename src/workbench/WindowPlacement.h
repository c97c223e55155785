#pragma once
// Keeps the main window's size and position between runs, in the user's own
// configuration directory (kvarsel/kvarsel.ini there), apart from the working
// directory's settings file, which belongs to the translation work.

#include <QObject>

class QWidget;

namespace kvarsel {

class WindowPlacement : public QObject {
    Q_OBJECT
public:
    // Restores the window's last placement at once (call before it shows) and
    // stores it again when the window hides and when the program ends.
    explicit WindowPlacement(QWidget* window);

    void save();
    bool restore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};

} // namespace kvarsel
