#pragma once
// "Редактирование автоматического перевода": the pairs of a bilingual file one by
// one. "OK" records the pair in the user dictionary and applies it to the loaded
// rows; "Выход" keeps a backup of the file and writes the pairs not yet accepted
// back into it, so the review can go on in a later run.

#include "deferred/BilingualReview.h"
#include "text/Encoding.h"
#include "workbench/SecondaryWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kvarsel {

class Project;
class UiServices;

class AutoTranslationEditor : public SecondaryWindow {
    Q_OBJECT
public:
    AutoTranslationEditor(QWidget* parent, Project& project, UiServices& services);

    // A freshly read file: its pairs replace whatever an earlier review left, the
    // first pair shows, and the window opens over the disabled main window.
    // The file is written back in `encoding`, the one it was read in.
    void startReview(const QString& path, QStringList entries,
                     TextEncoding encoding = TextEncoding::Windows1251);

    void acceptPair();         // "OK"
    void previousPair();       // "<--"
    void restoreTranslation(); // "Отмена"
    void nextPair();           // "-->"
    void finish();             // "Выход"

    const BilingualReview& review() const { return m_review; }
    const QString& bilingualPath() const { return m_path; }
    TextEncoding bilingualEncoding() const { return m_encoding; }

Q_SIGNALS:
    void busyChanged(bool busy);

protected:
    // The frame's close box leaves the way "Выход" does, so the remaining pairs are
    // kept and manual translation works again.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPair();

    Project& m_project;
    UiServices& m_services;
    BilingualReview m_review;
    QString m_path;
    TextEncoding m_encoding = TextEncoding::Windows1251;
    QLabel* m_file = nullptr;
    QPlainTextEdit* m_source = nullptr;
    QPlainTextEdit* m_translation = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_forward = nullptr;
    QPushButton* m_exit = nullptr;
};

} // namespace kvarsel
