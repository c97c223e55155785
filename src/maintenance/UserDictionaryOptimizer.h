#pragma once
// "Оптимизация словаря пользователя": the window over OptimizerSession. It forwards
// the buttons and list events to the session and shows the session's state; the
// session drives the progress bar, the busy cursor and the repaints of long passes
// through this window. Created on first use, then only hidden and shown.

#include "maintenance/OptimizerSession.h"
#include "workbench/SecondaryWindow.h"

#include <QElapsedTimer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QStringListModel;

namespace kvarsel {

class UiServices;

class UserDictionaryOptimizer : public SecondaryWindow, private OptimizerFeedback {
    Q_OBJECT
public:
    UserDictionaryOptimizer(QWidget* mainWindow, CurrentDictionary& dictionary, UiServices& services);

    const OptimizerSession& session() const { return m_session; }

protected:
    // Closing from the frame is "Выход": the emptied rows must go whichever way the window closes.
    void closeEvent(QCloseEvent* event) override;

private:
    // OptimizerFeedback
    void setBusy(bool busy) override;
    void setProgressMaximum(qsizetype maximum) override;
    void setProgress(qsizetype value) override;
    void repaintNow(bool withMain) override;
    void setClipboardText(const QString& text) override;

    void buildUi();
    void render();
    void finish(const std::optional<OptimizerFailure>& failure);
    // Stops a text that would break User.dic (a line break, a character it cannot
    // hold) with a message; true when it did.
    bool refuseUnstorable(QLineEdit* box);
    void exitOptimizer();

    OptimizerSession m_session;
    UiServices& m_services;
    bool m_busy = false;
    bool m_rendering = false;

    QLineEdit* m_phrase = nullptr;
    QGroupBox* m_listFrame = nullptr;
    QListView* m_list = nullptr;
    QStringListModel* m_listModel = nullptr;
    QGroupBox* m_choiceFrame = nullptr;
    QLineEdit* m_newValue = nullptr;
    QGroupBox* m_repairFrame = nullptr;
    QLineEdit* m_repairBox = nullptr;
    QLabel* m_outcome = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_check = nullptr;
    QElapsedTimer m_sincePaint;    // since the last repaint of a running pass
    QElapsedTimer m_sinceProgress; // since the progress bar last moved
};

} // namespace kvarsel
