#include "maintenance/UserDictionaryOptimizer.h"

#include "maintenance/OptimizerTexts.h"
#include "workbench/StorageCheck.h"
#include "workbench/UiServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace kvarsel {

namespace {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

void setTextKeepingCursor(QLineEdit* box, const QString& text)
{
    if (box->text() != text)
        box->setText(text);
}

int clampToInt(qsizetype n) { return int(std::clamp<qsizetype>(n, 0, std::numeric_limits<int>::max())); }

} // namespace

UserDictionaryOptimizer::UserDictionaryOptimizer(QWidget* mainWindow, CurrentDictionary& dictionary,
                                                 UiServices& services)
    : SecondaryWindow(mainWindow), m_session(dictionary), m_services(services)
{
    m_session.setFeedback(this);
    buildUi();
    render();
}

void UserDictionaryOptimizer::buildUi()
{
    using namespace optimizer_texts;
    setWindowTitle(kCaption);
    setObjectName(QStringLiteral("UserDictionaryOptimizer"));

    auto* phraseFrame = new QGroupBox(kPhraseFrame, this);
    m_phrase = new QLineEdit(phraseFrame);
    m_phrase->setObjectName(QStringLiteral("phraseBox"));
    m_phrase->setReadOnly(true);
    (new QVBoxLayout(phraseFrame))->addWidget(m_phrase);

    m_listFrame = new QGroupBox(kCandidatesFrame, this);
    m_listFrame->setObjectName(QStringLiteral("listFrame"));
    m_list = new QListView(m_listFrame);
    m_list->setObjectName(QStringLiteral("list"));
    m_listModel = new QStringListModel(this);
    m_list->setModel(m_listModel);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    (new QVBoxLayout(m_listFrame))->addWidget(m_list);

    m_choiceFrame = new QGroupBox(kActionsFrame, this);
    m_choiceFrame->setObjectName(QStringLiteral("choiceFrame"));
    auto* choiceLabel = new QLabel(kChoiceLabel, m_choiceFrame);
    choiceLabel->setWordWrap(true);
    m_newValue = new QLineEdit(m_choiceFrame);
    m_newValue->setObjectName(QStringLiteral("newValueBox"));
    auto* useSelected = makeButton(kUseSelected, "useSelectedButton", m_choiceFrame);
    auto* useNewValue = makeButton(kUseNewValue, "useNewValueButton", m_choiceFrame);
    auto* choiceButtons = new QHBoxLayout;
    choiceButtons->addWidget(useSelected);
    choiceButtons->addWidget(useNewValue);
    auto* choiceLayout = new QVBoxLayout(m_choiceFrame);
    choiceLayout->addWidget(choiceLabel);
    choiceLayout->addWidget(m_newValue);
    choiceLayout->addLayout(choiceButtons);

    m_repairFrame = new QGroupBox(kActionsFrame, this);
    m_repairFrame->setObjectName(QStringLiteral("repairFrame"));
    auto* repairLabel = new QLabel(kRepairLabel, m_repairFrame);
    repairLabel->setWordWrap(true);
    m_repairBox = new QLineEdit(m_repairFrame);
    m_repairBox->setObjectName(QStringLiteral("repairBox"));
    auto* deleteRow = makeButton(kDeleteRow, "deleteRowButton", m_repairFrame);
    auto* changeRow = makeButton(kChangeRow, "changeRowButton", m_repairFrame);
    auto* skipRow = makeButton(kSkipRow, "skipRowButton", m_repairFrame);
    auto* repairButtons = new QHBoxLayout;
    repairButtons->addWidget(deleteRow);
    repairButtons->addWidget(changeRow);
    repairButtons->addWidget(skipRow);
    auto* repairLayout = new QVBoxLayout(m_repairFrame);
    repairLayout->addWidget(repairLabel);
    repairLayout->addWidget(m_repairBox);
    repairLayout->addLayout(repairButtons);

    // What the last job did; a pass that changes nothing the user can see must still say so.
    m_outcome = new QLabel(this);
    m_outcome->setObjectName(QStringLiteral("outcomeLine"));
    m_outcome->setTextFormat(Qt::PlainText);
    m_outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_continue = makeButton(kContinue, "continueButton", this);
    m_check = makeButton(kCheck, "checkButton", this);
    auto* exitButton = makeButton(kExit, "exitButton", this);
    setEscapeButton(exitButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_continue);
    bottom->addWidget(m_check);
    bottom->addStretch(1);
    bottom->addWidget(exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phraseFrame);
    layout->addWidget(m_listFrame, 1);
    // The choice and the repair frame share one place; at most one of them shows.
    layout->addWidget(m_choiceFrame);
    layout->addWidget(m_repairFrame);
    layout->addWidget(m_outcome);
    layout->addWidget(m_progress);
    layout->addLayout(bottom);
    resize(620, 560);

    connect(m_continue, &QPushButton::clicked, this, [this] { finish(m_session.continueOptimization()); });
    connect(m_check, &QPushButton::clicked, this, [this] {
        m_session.checkForErrors();
        render();
    });
    connect(exitButton, &QPushButton::clicked, this, &UserDictionaryOptimizer::exitOptimizer);

    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
        m_session.candidateClicked(index.row());
        render();
    });
    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { finish(m_session.candidateDoubleClicked(index.row())); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_rendering)
            return;
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        m_session.setSelected(rows.isEmpty() ? -1 : rows.constFirst().row());
    });
    connect(m_newValue, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_session.setNewValue(text); });
    connect(useSelected, &QPushButton::clicked, this, [this] { finish(m_session.useSelected()); });
    connect(useNewValue, &QPushButton::clicked, this, [this] {
        if (refuseUnstorable(m_newValue))
            return;
        finish(m_session.useNewValue());
    });

    connect(m_repairBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_session.setRepairText(text); });
    connect(deleteRow, &QPushButton::clicked, this, [this] {
        m_session.deleteRow();
        render();
    });
    connect(changeRow, &QPushButton::clicked, this, [this] {
        if (refuseUnstorable(m_repairBox))
            return;
        m_session.changeRow();
        render();
    });
    connect(skipRow, &QPushButton::clicked, this, [this] {
        m_session.skipRow();
        render();
    });
}

// Shows the session's state in the controls.
void UserDictionaryOptimizer::render()
{
    using Pending = OptimizerSession::Pending;
    m_rendering = true;
    setTextKeepingCursor(m_phrase, m_session.phrase());
    m_listFrame->setTitle(m_session.listCaption() == OptimizerSession::ListCaption::Errors
                              ? optimizer_texts::kErrorsFrame
                              : optimizer_texts::kCandidatesFrame);
    if (m_listModel->stringList() != m_session.listRows())
        m_listModel->setStringList(m_session.listRows());
    const qsizetype selected = m_session.selected();
    if (selected >= 0 && selected < m_listModel->rowCount()) {
        const QModelIndex index = m_listModel->index(int(selected));
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    } else {
        m_list->selectionModel()->clearSelection();
    }
    setTextKeepingCursor(m_newValue, m_session.newValue());
    setTextKeepingCursor(m_repairBox, m_session.repairText());
    m_choiceFrame->setVisible(m_session.pending() == Pending::Choice);
    m_repairFrame->setVisible(m_session.pending() == Pending::Repair);
    m_outcome->setText(m_session.outcome());
    m_outcome->setVisible(!m_session.outcome().isEmpty());
    // A pending choice or repair must be answered (or dropped by "Выход") before another pass.
    m_continue->setEnabled(m_session.pending() == Pending::None);
    m_check->setEnabled(m_session.pending() == Pending::None);
    m_rendering = false;
}

bool UserDictionaryOptimizer::refuseUnstorable(QLineEdit* box)
{
    const QString problem = userDictionaryRowProblem(m_session.dictionary(), box->text());
    if (problem.isEmpty())
        return false;
    m_services.message(this, optimizer_texts::kMessageTitle, problem, MessageIcon::Stop);
    box->setFocus();
    return true;
}

void UserDictionaryOptimizer::finish(const std::optional<OptimizerFailure>& failure)
{
    render();
    if (failure)
        m_services.message(this, optimizer_texts::kFailureTitle, optimizerFailureText(*failure),
                           MessageIcon::Stop);
}

void UserDictionaryOptimizer::exitOptimizer()
{
    const EmptyRowsRemoved removed = m_session.exit();
    render();
    if (removed.unpaired > 0)
        m_services.message(this, optimizer_texts::kMessageTitle, unpairedRowsText(removed),
                           MessageIcon::Information);
    hide();
}

void UserDictionaryOptimizer::closeEvent(QCloseEvent* event)
{
    event->ignore();
    exitOptimizer();
}

void UserDictionaryOptimizer::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void UserDictionaryOptimizer::setProgressMaximum(qsizetype maximum)
{
    // A range of 0..0 would turn the bar into a busy indicator.
    m_progress->setRange(0, qMax(1, clampToInt(maximum)));
}

void UserDictionaryOptimizer::setProgress(qsizetype value)
{
    // The bar repaints at every pixel it grows; over a large pass it moves at most
    // every 30 ms (the final 0 always goes through).
    if (value != 0 && m_sinceProgress.isValid() && m_sinceProgress.elapsed() < 30)
        return;
    m_sinceProgress.start();
    m_progress->setValue(clampToInt(value));
}

void UserDictionaryOptimizer::repaintNow(bool withMain)
{
    // The every-36th-row repaints of a pass are also spaced in time, so painting
    // never dominates a pass over a large dictionary.
    if (withMain && m_sincePaint.isValid() && m_sincePaint.elapsed() < 30)
        return;
    m_sincePaint.start();
    render();
    repaint();
    if (withMain && mainWindow())
        mainWindow()->repaint();
}

void UserDictionaryOptimizer::setClipboardText(const QString& text) { m_services.setClipboardText(text); }

} // namespace kvarsel
