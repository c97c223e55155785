#include "maintenance/UserDictionaryEditor.h"

#include "exchange/TmxExport.h"
#include "exchange/TmxTexts.h"
#include "maintenance/EditorTexts.h"
#include "workbench/ProductName.h"
#include "workbench/StorageCheck.h"
#include "workbench/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvarsel {

namespace {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false); // Enter in a box acts through the box's own signal
    return button;
}

} // namespace

UserDictionaryEditor::UserDictionaryEditor(QWidget* mainWindow, CurrentDictionary& dictionary,
                                           UiServices& services, const QString& workDir)
    : SecondaryWindow(mainWindow), m_dictionary(dictionary), m_services(services), m_workDir(workDir)
{
    using namespace editor_texts;
    setWindowTitle(kCaption);
    setObjectName(QStringLiteral("UserDictionaryEditor"));

    m_pattern = new QLineEdit(this);
    m_pattern->setObjectName(QStringLiteral("patternBox"));
    m_searchButton = makeButton(kFind, "searchButton", this);
    m_found = new QLineEdit(this);
    m_found->setObjectName(QStringLiteral("foundBox"));
    m_found->setReadOnly(true);
    m_change = new QLineEdit(this);
    m_change->setObjectName(QStringLiteral("changeBox"));
    m_ok = makeButton(kOk, "okButton", this);
    auto* exitButton = makeButton(kExit, "exitButton", this);
    setEscapeButton(exitButton);
    auto* exportButton = makeButton(tmx_texts::kExportButton, "exportTmxButton", this);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("searchNote"));
    m_note->setTextFormat(Qt::PlainText);

    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(m_pattern, 1);
    patternRow->addWidget(m_searchButton);
    auto* form = new QFormLayout;
    form->addRow(kPatternLabel, patternRow);
    form->addRow(kFoundLabel, m_found);
    form->addRow(kChangeLabel, m_change);
    form->addRow(QString(), m_note);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(560, sizeHint().height());

    connect(m_searchButton, &QPushButton::clicked, this, &UserDictionaryEditor::runSearch);
    connect(m_pattern, &QLineEdit::returnPressed, this, &UserDictionaryEditor::runSearch);
    connect(m_change, &QLineEdit::textChanged, this, [this] {
        m_search.changeEdited();
        refreshButtons();
    });
    connect(m_change, &QLineEdit::returnPressed, this, [this] {
        if (m_ok->isEnabled())
            onOk();
    });
    connect(m_ok, &QPushButton::clicked, this, &UserDictionaryEditor::onOk);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(exportButton, &QPushButton::clicked, this, &UserDictionaryEditor::exportTmx);
    refreshButtons();
}

void UserDictionaryEditor::showEvent(QShowEvent* event)
{
    SecondaryWindow::showEvent(event);
    // A found row shown from an earlier opening may be gone (undo takes entries
    // back, the optimiser removes rows): the window opens on a new search instead.
    m_search = EditorSearch();
    m_found->clear();
    {
        const QSignalBlocker quiet(m_change); // clearing is not an edit
        m_change->clear();
    }
    m_note->clear();
    m_pattern->selectAll();
    m_pattern->setFocus();
    refreshButtons();
}

void UserDictionaryEditor::refreshButtons()
{
    m_searchButton->setText(m_search.continuing() ? editor_texts::kFindNext : editor_texts::kFind);
    m_ok->setEnabled(m_search.okEnabled());
}

void UserDictionaryEditor::runSearch()
{
    if (m_pattern->text().isEmpty())
        return;
    const bool continuing = m_search.continuing();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EditorSearch::Outcome outcome = m_search.search(m_dictionary, m_pattern->text());
    QApplication::restoreOverrideCursor();
    m_note->setText(outcome != EditorSearch::Outcome::NoHit ? QString()
                    : continuing                            ? editor_texts::kNoMoreFound
                                 : editor_texts::notFound(m_pattern->text().trimmed()));
    if (outcome == EditorSearch::Outcome::Hit) {
        m_found->setText(m_search.foundText());
        m_change->setText(m_search.foundText());
        m_change->selectAll(); // typing replaces the found text
        m_change->setFocus();
    } else if (outcome == EditorSearch::Outcome::NoHit) {
        m_pattern->setFocus();
    }
    refreshButtons();
}

void UserDictionaryEditor::exportTmx()
{
    // The dictionary as it stands in memory, edits not yet saved included.
    TmxEntries entries;
    TmxExportCounts counts;
    collectTmxEntries(m_dictionary.rows(), entries, counts);
    if (entries.isEmpty()) {
        m_services.message(this, kProductName, tmx_texts::kNothingToExport, MessageIcon::Information);
        return;
    }
    const QString path = m_services.saveFile(this, tmx_texts::kExportTitle,
                                             QDir(m_workDir).filePath(QStringLiteral("User.tmx")),
                                             tmx_texts::kFilter, QStringLiteral("tmx"));
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto error = writeTmx(path, entries);
    QApplication::restoreOverrideCursor();
    if (error) {
        m_services.message(this, kProductName, tmx_texts::kNotWritten + QChar(10) + error->message(),
                           MessageIcon::Stop);
        return;
    }
    QStringList lines{tmx_texts::exported(entries.size(), QDir::toNativeSeparators(path))};
    if (counts.emptyRows > 0)
        lines << tmx_texts::emptyRowsLeftOut(counts.emptyRows);
    if (counts.unpaired > 0)
        lines << tmx_texts::unpairedLeftOut(counts.unpaired);
    if (counts.notXml > 0)
        lines << tmx_texts::notXmlLeftOut(counts.notXml);
    m_services.message(this, kProductName, lines.join(QChar(10)), MessageIcon::Information);
}

void UserDictionaryEditor::onOk()
{
    const QString problem = userDictionaryRowProblem(m_dictionary, m_change->text());
    if (!problem.isEmpty()) {
        m_services.message(this, kProductName, problem, MessageIcon::Stop);
        m_change->setFocus();
        return;
    }
    if (m_search.applyChange(m_dictionary, m_change->text()))
        runSearch();
    refreshButtons();
}

} // namespace kvarsel
