#include "deferred/DeferredTranslationDialog.h"

#include "deferred/DeferredExport.h"
#include "project/Project.h"
#include "workbench/ProductName.h"
#include "workbench/StatusPanels.h"
#include "workbench/UiServices.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <climits>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Создание отложенного перевода");
const QString kPreparing = QStringLiteral("Подготовка ресурсов отложенного перевода");
const QString kWriting = QStringLiteral("Создание файла отложенного перевода");
const QString kFrame = QStringLiteral("Последовательность создания отложенного перевода ");
const QString kIndent = QStringLiteral("          "); // ten blanks open every step
const QString kSteps[4] = {
    QStringLiteral("Файл отложенного перевода создается в каталоге с ресурсами. После завершения создания "
                   "файла программа завершит свою работу, при необходимости сохранив измененные данные."),
    QStringLiteral("Переведите файл в режиме ТОЛЬКО ТЕКСТ, и сохраните полученное как билингву."),
    QStringLiteral("Затем вновь запустите программу, и НЕ ЗАГРУЖАЯ РЕСУРСОВ нажмите на кнопку Отложенный "
                   "перевод. Появится диалог загрузки билингвы, а затем - форма пополнения словаря "
                   "пользователя. "),
    QStringLiteral("По завершению работы с билингвой вы можете загрузить ресурсы, и продолжить работу с "
                   "программой в обычном режиме."),
};
const QString kContinue = QStringLiteral("Продолжить");
const QString kCancel = QStringLiteral("Отмена");
const QString kTitle = kProductName;
const QString kNothingFound = QStringLiteral("Строки на английском языке не найдены");
const QString kNotWritten = QStringLiteral("Файл отложенного перевода не создан:");
const QString kDoneTitle = QStringLiteral("Отложенный перевод");
const QString kDone = QStringLiteral("Файл отложенного перевода DepTrans.txt\n"
                                     "создан в каталоге с подкаталогами ресурсов\n\n");
} // namespace texts

DeferredTranslationDialog::DeferredTranslationDialog(QWidget* parent, Project& project, StatusPanels& panels,
                                                     UiServices& services,
                                                     std::function<QString()> resourcesDirectory)
    : SecondaryWindow(parent), m_project(project), m_panels(panels), m_services(services),
      m_resourcesDirectory(std::move(resourcesDirectory))
{
    setObjectName(QStringLiteral("DeferredTranslationDialog"));
    setWindowTitle(texts::kCaption);

    auto* frame = new QGroupBox(texts::kFrame);
    frame->setObjectName(QStringLiteral("frame"));
    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* steps = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(texts::kIndent + texts::kSteps[i]);
        label->setObjectName(QStringLiteral("step%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        steps->addWidget(label);
    }
    steps->addStretch();
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(icon, 0, Qt::AlignTop);
    frameLayout->addLayout(steps, 1);

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setValue(0);

    auto* proceed = new QPushButton(texts::kContinue);
    proceed->setObjectName(QStringLiteral("continue"));
    proceed->setDefault(true);
    auto* cancel = new QPushButton(texts::kCancel);
    cancel->setObjectName(QStringLiteral("cancel"));
    setEscapeButton(cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(proceed);
    buttons->addStretch();
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setTabOrder(proceed, cancel);

    connect(proceed, &QPushButton::clicked, this, &DeferredTranslationDialog::runExport);
    connect(cancel, &QPushButton::clicked, this, &DeferredTranslationDialog::cancel);

    resize(520, 330);
}

void DeferredTranslationDialog::showForExport()
{
    // A run that failed to write or was followed by a cancelled save leaves the
    // caption of its last step behind.
    setWindowTitle(texts::kCaption);
    showOverMain();
    findChild<QPushButton*>(QStringLiteral("continue"))->setFocus();
}

void DeferredTranslationDialog::runExport()
{
    // A run after a cancelled save would otherwise space out the last run's
    // phrases a second time.
    m_exportList.Clear();

    Q_EMIT busyChanged(true);
    m_panels.setDictionaryText(QString());
    m_project.setMode(TranslationMode::Deferred);
    m_progress->setMaximum(
        int(qMin<qsizetype>(exportProgressMaximum(std::as_const(m_project).stores()), INT_MAX)));

    // Painting is spaced out in time, so a large scan is not spent repainting.
    QDeadlineTimer nextPaint;
    ExportRunCallbacks callbacks;
    callbacks.scan.kindStarted = [this](ResourceKind kind) {
        m_panels.setStep(panel_texts::scanningKindText(kind));
        Q_EMIT repaintRequested();
    };
    callbacks.scan.progress = [this, &nextPaint](qsizetype value) {
        if (nextPaint.hasExpired()) {
            m_progress->setValue(int(qMin<qsizetype>(value, INT_MAX)));
            nextPaint.setRemainingTime(30);
        }
    };
    callbacks.stepStarted = [this](ExportStep step) {
        if (step == ExportStep::Prepare) {
            m_panels.setStep(panel_texts::kPreparingList);
            setWindowTitle(texts::kPreparing);
            Q_EMIT busyChanged(true);
        } else if (step == ExportStep::Write) {
            setWindowTitle(texts::kWriting);
        }
    };
    callbacks.stepFinished = [this](ExportStep step) {
        if (step == ExportStep::Scan) {
            Q_EMIT busyChanged(false);
            m_progress->setValue(0);
        } else if (step == ExportStep::Write) {
            Q_EMIT busyChanged(false);
        }
    };
    const QString dir = m_resourcesDirectory();
    ExportOutcome outcome = runDeferredExport(m_project, ExportTarget{dir, QString()}, callbacks);
    m_exportList = std::move(outcome.list);

    if (outcome.status == ExportOutcome::Status::NothingFound) {
        m_services.message(this, texts::kTitle, texts::kNothingFound, MessageIcon::Stop);
        abandonRun();
        return;
    }
    if (outcome.error) {
        // Nothing was exported, so the program must not end as if it had been.
        m_services.message(this, texts::kTitle, texts::kNotWritten + QChar(10) + outcome.error->message(),
                           MessageIcon::Stop);
        abandonRun();
        return;
    }
    QString done = texts::kDone + QDir::toNativeSeparators(dir);
    if (const QString note = depTransEncodingNote(depTransEncoding(m_exportList)); !note.isEmpty())
        done += QStringLiteral("\n\n") + note;
    m_services.message(this, texts::kDoneTitle, done, MessageIcon::Information);
    hide();
    Q_EMIT exitRequested();
}

void DeferredTranslationDialog::abandonRun()
{
    // Manual translation only works in manual mode; the scan texts would lock it.
    m_project.setMode(TranslationMode::Manual);
    Q_EMIT repaintRequested();
    hide();
}

void DeferredTranslationDialog::cancel() { hide(); }

} // namespace kvarsel
