#pragma once
// "Перевод фразы (ручной перевод)": the user types or pastes the translation of
// one phrase; "OK" records it in the user dictionary and applies it to every
// equal text of every kind.

#include "workbench/SecondaryWindow.h"

class QPlainTextEdit;
class QPushButton;

namespace kvarsel {

class Project;
class UiServices;

class ManualTranslationDialog : public SecondaryWindow {
    Q_OBJECT
public:
    ManualTranslationDialog(QWidget* mainWindow, Project& project, UiServices& services);

    // Fills both boxes, selects the whole translation and gives it the focus.
    void open(const QString& phrase, const QString& proposal);

    QString phrase() const;
    QString translation() const;

    void confirm(); // "OK", also Enter, even while "Отмена" has the focus
    void cancel();  // "Отмена"

Q_SIGNALS:
    // A row to select after "OK", in the selected tab's kind.
    void advanceTo(qsizetype row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Project& m_project;
    UiServices& m_services;
    QPlainTextEdit* m_phrase = nullptr;
    QPlainTextEdit* m_translation = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace kvarsel
