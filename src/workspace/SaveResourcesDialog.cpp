#include "workspace/SaveResourcesDialog.h"

#include "project/ProjectResources.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Сохранение ресурсов");
const QString kQuestion = QStringLiteral("Перезаписать ресурсы перед выходом из программы?");
const QString kYes = QStringLiteral("Да");
const QString kNo = QStringLiteral("Нет");
const QString kCancel = QStringLiteral("Отмена");
const QString kTitle = kProductName;
const QString kNotSaved =
    QStringLiteral("Не удалось сохранить файлы ресурсов (прежнее содержимое этих файлов не изменено).\n"
                   "Программа не завершена, чтобы переводы не были потеряны:");
const QString kChangedOnDisk = QStringLiteral("Эти сценарии изменены другой программой после загрузки:");
const QString kChangedChoice =
    QStringLiteral("«Перезаписать»: записать в них переводы этого сеанса (изменения другой программы "
                   "будут потеряны). «Пропустить»: оставить их как есть и сохранить остальные "
                   "сценарии. «Вернуться»: ничего не сохранять.");
const QString kOverwrite = QStringLiteral("Перезаписать");
const QString kSkip = QStringLiteral("Пропустить");
const QString kGoBack = QStringLiteral("Вернуться");
const QString kNotSavedSomeChanged =
    QStringLiteral("Не удалось сохранить файлы ресурсов.\n"
                   "Программа не завершена, чтобы переводы не были потеряны:");
} // namespace texts

SaveResourcesDialog::SaveResourcesDialog(QWidget* parent, Project& project, UiServices& services)
    : SecondaryWindow(parent), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("SaveResourcesDialog"));
    setWindowTitle(texts::kCaption);

    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(48, 48));
    auto* question = new QLabel(texts::kQuestion);
    question->setObjectName(QStringLiteral("question"));
    question->setWordWrap(true);

    auto* yes = new QPushButton(texts::kYes);
    yes->setObjectName(QStringLiteral("yes"));
    yes->setDefault(true);
    auto* no = new QPushButton(texts::kNo);
    no->setObjectName(QStringLiteral("no"));
    auto* cancel = new QPushButton(texts::kCancel);
    cancel->setObjectName(QStringLiteral("cancel"));
    setEscapeButton(cancel);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setValue(0);
    m_progress->setMaximumHeight(12);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(question, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(m_progress);

    setMinimumWidth(460);
    connect(yes, &QPushButton::clicked, this, &SaveResourcesDialog::saveAndExit);
    connect(no, &QPushButton::clicked, this, &SaveResourcesDialog::exitWithoutSaving);
    connect(cancel, &QPushButton::clicked, this, &SaveResourcesDialog::cancel);
}

void SaveResourcesDialog::saveAndExit()
{
    if (!saveScripts(this)) {
        hide();
        return;
    }
    hide();
    Q_EMIT endProgramRequested();
}

bool SaveResourcesDialog::saveScripts(QWidget* messageParent)
{
    // Another run may have translated these scripts since they were loaded; its
    // lines are not put back into English without the user's word.
    ChangedScripts changed;
    if (m_project.readOnlyReason().isEmpty()) {
        const QStringList onDisk = scriptsChangedOnDisk(std::as_const(m_project).stores());
        if (!onDisk.isEmpty()) {
            QStringList names;
            for (const QString& path : onDisk)
                names << QDir::toNativeSeparators(path);
            const int answer = m_services.ask(messageParent, texts::kTitle,
                                              texts::kChangedOnDisk + QChar(10) + names.join(QChar(10)) +
                                                  QStringLiteral("\n\n") + texts::kChangedChoice,
                                              {texts::kOverwrite, texts::kSkip, texts::kGoBack});
            if (answer != 0 && answer != 1)
                return false;
            for (const QString& path : onDisk)
                (answer == 0 ? changed.overwrite : changed.skip).insert(path);
        }
    }
    SaveCallbacks callbacks;
    // Painting is spaced out in time, so a large save is not spent repainting.
    QDeadlineTimer nextPaint;
    callbacks.kindStarted = [this](ResourceKind, qsizetype rows) {
        m_progress->setMaximum(int(qMin<qsizetype>(rows, INT_MAX)));
    };
    callbacks.rowReached = [this, &nextPaint](ResourceKind, qsizetype row) {
        if (nextPaint.hasExpired()) {
            m_progress->setValue(int(qMin<qsizetype>(row, INT_MAX)));
            nextPaint.setRemainingTime(30);
        }
    };
    callbacks.kindFinished = [this](ResourceKind) { repaint(); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ProjectSave save =
        saveProjectResources(std::as_const(m_project), callbacks, ResourceDirectoryLock::Take, changed);
    m_progress->setValue(0);
    QApplication::restoreOverrideCursor();
    if (!save.refusal.isEmpty()) {
        m_services.message(messageParent, texts::kTitle, texts::kNotSaved + QChar(10) + save.refusal,
                           MessageIcon::Stop);
        return false;
    }
    if (!save.result.errors.isEmpty()) {
        m_services.message(messageParent, texts::kTitle,
                           describeFailures(oldContentKept(save.result.errors) ? texts::kNotSaved
                                                                               : texts::kNotSavedSomeChanged,
                                            save.result.errors),
                           MessageIcon::Stop);
        return false;
    }
    m_project.markResourcesSaved();
    return true;
}

void SaveResourcesDialog::exitWithoutSaving()
{
    hide();
    Q_EMIT endProgramRequested();
}

void SaveResourcesDialog::cancel() { hide(); }

} // namespace kvarsel
