#include "workbench/UiServices.h"

#include "text/NativePath.h"
#include "workbench/FileDialogLocale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace kvarsel {

void DesktopUiServices::message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(withRealPaths(text)); // a directory named through its stand-in, by its own name
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

int DesktopUiServices::ask(QWidget* parent, const QString& title, const QString& text,
                           const QStringList& buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(withRealPaths(text)); // a directory named through its stand-in, by its own name
    box.setIcon(QMessageBox::Warning);
    QList<QAbstractButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        QPushButton* b = box.addButton(buttons[i], last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        b->setObjectName(QStringLiteral("answer%1").arg(i));
        if (i == 0)
            box.setDefaultButton(b);
        if (last)
            box.setEscapeButton(b);
        added << b;
    }
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return int(chosen < 0 ? buttons.size() - 1 : chosen);
}

QString DesktopUiServices::openFile(QWidget* parent, const QString& title, const QString& directory,
                                    const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent, title, directory, filter);
    showFileListInProgramLocale(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString DesktopUiServices::saveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                                    const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent, title, QString(), filter);
    showFileListInProgramLocale(dialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString DesktopUiServices::clipboardText() { return QApplication::clipboard()->text(); }

void DesktopUiServices::setClipboardText(const QString& text) { QApplication::clipboard()->setText(text); }

void DesktopUiServices::clearClipboard() { QApplication::clipboard()->clear(); }

bool DesktopUiServices::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void DesktopUiServices::beep() { QApplication::beep(); }

void DesktopUiServices::quit()
{
    // Queued, so a quit asked for before the event loop runs is not lost.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace kvarsel
