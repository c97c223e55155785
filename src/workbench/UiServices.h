#pragma once
// The few things a window asks of the desktop: message boxes, the file-open
// dialog, the clipboard, the web browser, the beep and ending the program.
// Windows call them through this interface so tests can answer and record them
// without blocking.

#include <QString>
#include <QStringList>

class QWidget;
class QUrl;

namespace kvarsel {

enum class MessageIcon { None, Information, Stop };

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal message box with one "OK" button; lines are joined by line feeds.
    virtual void message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) = 0;
    // A modal question with a warning icon and the given buttons, the first one the
    // default and the last one what Esc and the close box mean. Returns the index
    // of the button pressed.
    virtual int ask(QWidget* parent, const QString& title, const QString& text,
                    const QStringList& buttons) = 0;
    // The full path of the chosen file, or empty when the user cancels.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& directory,
                             const QString& filter, const QString& defaultSuffix) = 0;
    // The full path to write to, chosen starting from `suggestedPath`; empty when the
    // user cancels. The dialog asks before an existing file is replaced.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                             const QString& filter, const QString& defaultSuffix) = 0;
    virtual QString clipboardText() = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual void clearClipboard() = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual void beep() = 0;
    // Ends the program once control is back in the event loop.
    virtual void quit() = 0;
};

// The desktop's own: QMessageBox, QFileDialog, QClipboard, QDesktopServices.
class DesktopUiServices : public UiServices {
public:
    void message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
    int ask(QWidget* parent, const QString& title, const QString& text, const QStringList& buttons) override;
    QString openFile(QWidget* parent, const QString& title, const QString& directory, const QString& filter,
                     const QString& defaultSuffix) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                     const QString& filter, const QString& defaultSuffix) override;
    QString clipboardText() override;
    void setClipboardText(const QString& text) override;
    void clearClipboard() override;
    bool openUrl(const QUrl& url) override;
    void beep() override;
    void quit() override;
};

} // namespace kvarsel
