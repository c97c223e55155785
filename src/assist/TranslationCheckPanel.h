#pragma once
// "Проверка перевода": the checks of the translation box against the source box,
// kept up to date as the user types; every warning about the typed translation is
// listed here. The panel itself holds nothing back: what "OK" refuses, the window
// decides, and the panel shows it too (see addCheck).

#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;

namespace kvarsel {

class TranslationCheckPanel : public QWidget {
    Q_OBJECT
public:
    TranslationCheckPanel(QPlainTextEdit* sourceBox, QPlainTextEdit* translationBox,
                          QWidget* parent = nullptr);

    const QStringList& findings() const { return m_findings; }

    // A check that needs more than the two texts (the scripts around the phrase):
    // its findings come after the others.
    using ExtraCheck = std::function<QStringList(const QString& source, const QString& translation)>;
    void addCheck(ExtraCheck check);

    // Checks again: for the boxes' changes it does so by itself, for other changes
    // a check depends on (the scripts' rows) it is told.
    void recheck();

private:
    QPlainTextEdit* m_sourceBox;
    QPlainTextEdit* m_translationBox;
    QLabel* m_text = nullptr;
    QStringList m_findings;
    QList<ExtraCheck> m_extra;
};

} // namespace kvarsel
