#pragma once
// Stands in for the desktop in widget tests: records every message box and
// clipboard change, answers the file-open dialog from a queue, never blocks.

#include "workbench/UiServices.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace kvarsel::test {

struct RecordedMessage {
    QString title;
    QString text;
    MessageIcon icon;
};

class RecordingUiServices : public UiServices {
public:
    QList<RecordedMessage> messages;
    QList<RecordedMessage> questions;
    QList<int> askAnswers;       // taken from the front; empty means the last button (Esc)
    QStringList openFileAnswers; // taken from the front; empty means "cancelled"
    QStringList openFileTitles;
    QStringList saveFileAnswers; // taken from the front; empty means "cancelled"
    QStringList saveFileSuggestions;
    QStringList fileFilters; // of every file chooser, open or save, in order
    QString clipboard;
    int clipboardClears = 0;
    QList<QUrl> openedUrls;
    bool openUrlAnswer = true; // false: nothing on the desktop could open it
    int beeps = 0;
    int quits = 0;
    // Runs inside message(), as if the user read the box: tests use it to check
    // what the windows looked like while it was shown.
    std::function<void(const RecordedMessage&)> onMessage;

    void message(QWidget*, const QString& title, const QString& text, MessageIcon icon) override
    {
        messages.append({title, text, icon});
        if (onMessage)
            onMessage(messages.last());
    }
    int ask(QWidget*, const QString& title, const QString& text, const QStringList& buttons) override
    {
        questions.append({title, text + QStringLiteral("\n[") + buttons.join(QStringLiteral("|")) + u']',
                          MessageIcon::None});
        return askAnswers.isEmpty() ? int(buttons.size() - 1) : askAnswers.takeFirst();
    }
    QString openFile(QWidget*, const QString& title, const QString&, const QString& filter,
                     const QString&) override
    {
        openFileTitles.append(title);
        fileFilters.append(filter);
        return openFileAnswers.isEmpty() ? QString() : openFileAnswers.takeFirst();
    }
    QString saveFile(QWidget*, const QString&, const QString& suggested, const QString& filter,
                     const QString&) override
    {
        saveFileSuggestions.append(suggested);
        fileFilters.append(filter);
        return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.takeFirst();
    }
    QString clipboardText() override { return clipboard; }
    void setClipboardText(const QString& text) override { clipboard = text; }
    void clearClipboard() override
    {
        clipboard.clear();
        ++clipboardClears;
    }
    bool openUrl(const QUrl& url) override
    {
        openedUrls.append(url);
        return openUrlAnswer;
    }
    void beep() override { ++beeps; }
    void quit() override { ++quits; }
};

} // namespace kvarsel::test
