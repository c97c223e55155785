#pragma once
// The find bar above the text lists: "Найти:" and a field. It only reports what
// the user asks for; the main window's navigation decides which row that is.

#include <QWidget>

class QLineEdit;

namespace kvarsel {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* field() const { return m_field; }

    // Shows the bar with the field focused and its text selected, ready to be typed over.
    void open();
    // Hides the bar; `closed` tells the window to give the list its focus back.
    void close();
    // Marks the field when nothing in the list holds its text.
    void setNotFound(bool notFound);

Q_SIGNALS:
    void textTyped(const QString& text);
    void nextRequested();
    void previousRequested();
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_field = nullptr;
};

} // namespace kvarsel
