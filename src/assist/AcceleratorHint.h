#pragma once
// Under a translation box, for scripts loaded keeping their accelerators: which
// letter of the translation will carry the keyboard accelerator in the first menu
// item or dialog control showing the phrase. Hidden when there is none.

#include <QLabel>

class QBoxLayout;
class QPlainTextEdit;

namespace kvarsel {

class Project;
class UiServices;

class AcceleratorHint : public QLabel {
    Q_OBJECT
public:
    AcceleratorHint(const Project& project, QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox,
                    QWidget* parent = nullptr);

    // The check panel's finding for a typed mark another item already has; empty otherwise.
    static QStringList clashFindings(const Project& project, const QString& phrase,
                                     const QString& translation);

private:
    void update();

    const Project& m_project;
    QPlainTextEdit* m_phraseBox;
    QPlainTextEdit* m_translationBox;
};

// The hint, then the translation checks with what "OK" refuses (a line break, a
// character a file cannot hold), a clashing typed accelerator, the dialog controls
// the translation would not fit and its misspelled words among them: what the
// translation windows show under their translation box. The translation box's
// misspelled words are underlined as one types.
void addAcceleratorHintAndChecks(QBoxLayout* layout, Project& project, UiServices& services,
                                 QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox);

} // namespace kvarsel
