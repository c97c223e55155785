#include "help/HelpWindow.h"

#include "help/HelpTexts.h"
#include "workbench/UiServices.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QUrl>
#include <QVBoxLayout>

namespace kvarsel {

HelpWindow::HelpWindow(QWidget* mainWindow, UiServices& services, const QString& directory,
                       const QString& documentation)
    : SecondaryWindow(mainWindow), m_services(services), m_documentation(documentation)
{
    using namespace help_texts;
    setWindowTitle(kCaption);
    setObjectName(QStringLiteral("HelpWindow"));

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("helpList"));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Readme.txt is laid out for a fixed-width font; long lines scroll instead of being cut.
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* model = new QStringListModel(m_list);
    m_list->setModel(model);

    auto* directoryLabel = new QLabel(QDir::toNativeSeparators(directory), this);
    directoryLabel->setObjectName(QStringLiteral("directoryLabel"));
    directoryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* documentationButton = new QPushButton(kDocumentationButton, this);
    documentationButton->setObjectName(QStringLiteral("documentationButton"));
    documentationButton->setToolTip(QDir::toNativeSeparators(documentation));
    documentationButton->setAutoDefault(false);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* ok = new QPushButton(kOk, this);
    ok->setObjectName(QStringLiteral("okButton"));
    setEscapeButton(ok);

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(new QLabel(kWorkDirLabel, this));
    directoryRow->addWidget(directoryLabel, 1);
    auto* documentationRow = new QHBoxLayout;
    documentationRow->addWidget(new QLabel(kDocumentationLabel, this));
    documentationRow->addWidget(documentationButton);
    documentationRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(directoryRow);
    layout->addWidget(new QLabel(kVersion, this));
    layout->addLayout(documentationRow);
    layout->addWidget(line);
    layout->addLayout(buttons);
    resize(820, 560);

    connect(documentationButton, &QPushButton::clicked, this, &HelpWindow::openDocumentation);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);

    const HelpList help = buildHelpList(directory, documentation);
    model->setStringList(help.rows);
    if (help.readmeMissing)
        m_services.message(mainWindow, kMessageTitle, readmeMissingMessage(documentation), MessageIcon::None);
    else if (help.readError)
        m_services.message(mainWindow, kMessageTitle, help.readError->message(), MessageIcon::Stop);
}

void HelpWindow::openDocumentation()
{
    using namespace help_texts;
    // Asked at every click: the file may have been installed or removed meanwhile.
    const QString shown = QDir::toNativeSeparators(m_documentation);
    if (!QFileInfo(m_documentation).isFile())
        m_services.message(this, kMessageTitle, documentationMissing(shown), MessageIcon::Stop);
    else if (!m_services.openUrl(QUrl::fromLocalFile(m_documentation)))
        m_services.message(this, kMessageTitle, documentationNotOpened(shown), MessageIcon::Stop);
}

} // namespace kvarsel
