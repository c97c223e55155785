#pragma once

#include <QMainWindow>

namespace kvarsel {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace kvarsel
