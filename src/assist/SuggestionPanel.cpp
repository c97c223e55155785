#include "assist/SuggestionPanel.h"

#include "assist/Similarity.h"
#include "project/Project.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

namespace kvarsel {
namespace texts {
const QString kSuggestions = QStringLiteral("Похожие переводы");
const QStringList kColumns{QStringLiteral("%"), QStringLiteral("Исходный текст"), QStringLiteral("Перевод"),
                           QStringLiteral("Словарь")};
const QString kPreparing = QStringLiteral("Подготовка похожих переводов…");
const QString kSearching = QStringLiteral("Подбор похожих переводов…");
const QString kHint = QStringLiteral("Двойной щелчок или Ctrl+1…Ctrl+5 переносит перевод в поле перевода");
} // namespace texts

namespace {

constexpr int kMarkedRole = Qt::UserRole + 1;

// Phrases longer than this are searched on a second thread. Telling long unrelated
// texts apart takes time that grows faster than their length, and no exact search
// can bound it, so the window does not wait on it. A resource script's string is
// at most 4,097 characters; this is about where a search could take a few ms.
constexpr qsizetype kSearchedAside = 2000;

// Paints the source column from its rich text, so the differing parts stand out.
class MarkedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString html = index.data(kMarkedRole).toString();
        if (html.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        QTextDocument doc;
        doc.setDocumentMargin(0);
        doc.setDefaultFont(opt.font);
        doc.setHtml(html);
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        painter->save();
        painter->translate(text.left(), text.top() + (text.height() - doc.size().height()) / 2);
        painter->setClipRect(QRect(0, 0, text.width(), text.height()));
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = opt.palette;
        if (opt.state & QStyle::State_Selected)
            context.palette.setColor(QPalette::Text, opt.palette.color(QPalette::HighlightedText));
        doc.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

} // namespace

QString markedSource(const QString& source, const QString& phrase)
{
    const std::vector<bool> marks = differingCharacters(source, phrase);
    QString html;
    bool open = false;
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (marks[size_t(i)] != open) {
            html += marks[size_t(i)] ? QStringLiteral("<b style=\"color:#c03000\">") : QStringLiteral("</b>");
            open = marks[size_t(i)];
        }
        html += source[i] == u' ' ? QStringLiteral("&nbsp;") : QString(source[i]).toHtmlEscaped();
    }
    if (open)
        html += QStringLiteral("</b>");
    return html;
}

SuggestionPanel::SuggestionPanel(Project& state, QPlainTextEdit* phraseBox, QPlainTextEdit* translationBox,
                                 QWidget* parent)
    : QWidget(parent), m_project(state), m_phraseBox(phraseBox), m_translationBox(translationBox)
{
    setObjectName(QStringLiteral("suggestionPanel"));
    auto* label = new QLabel(texts::kSuggestions);
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("suggestions"));
    label->setBuddy(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(texts::kColumns);
    m_list->setItemDelegateForColumn(1, new MarkedTextDelegate(m_list));
    m_list->setToolTip(texts::kHint);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    // Room for all five rows without a scroll bar.
    m_list->setMinimumHeight(m_list->fontMetrics().height() * (kWindowSuggestions + 2) + 12);

    // Beside the caption, moving while the dictionaries are read, so the wait shows
    // it is under way; its room is kept when hidden, so nothing jumps.
    m_busy = new QProgressBar;
    m_busy->setObjectName(QStringLiteral("suggestionsBusy"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedSize(label->fontMetrics().averageCharWidth() * 16, label->sizeHint().height());
    QSizePolicy keepRoom = m_busy->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_busy->setSizePolicy(keepRoom);
    m_busy->hide();
    auto* caption = new QHBoxLayout;
    caption->addWidget(label);
    caption->addStretch();
    caption->addWidget(m_busy);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(caption);
    layout->addWidget(m_list);

    for (int i = 0; i < kWindowSuggestions; ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), this);
        connect(shortcut, &QShortcut::activated, this, [this, i] { use(i); });
    }
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { use(m_list->indexOfTopLevelItem(item)); });
    m_list->installEventFilter(this);
    m_backgroundPoll = new QTimer(this);
    m_backgroundPoll->setInterval(15);
    connect(m_backgroundPoll, &QTimer::timeout, this, &SuggestionPanel::checkBackground);
    connect(m_phraseBox, &QPlainTextEdit::textChanged, this, &SuggestionPanel::update);
    connect(&m_project, &Project::suggestionsPrepared, this, &SuggestionPanel::update);
    update();
}

struct SuggestionPanel::Background {
    QString phrase;
    SuggestionIndex::Search search;
    QList<Suggestion> found;
    std::atomic<bool> done{false};
};

// A search still under way keeps what it needs itself and ends on its own.
SuggestionPanel::~SuggestionPanel() = default;

void SuggestionPanel::startBackground(const QString& phrase)
{
    auto job = std::make_shared<Background>();
    job->phrase = phrase;
    job->search = m_project.suggestions().search();
    m_background = job;
    m_searchAgain = false;
    std::thread([job] {
        job->found = job->search.suggest(job->phrase);
        job->done.store(true, std::memory_order_release);
    }).detach();
    m_backgroundPoll->start();
}

void SuggestionPanel::checkBackground()
{
    if (!m_background || !m_background->done.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<Background> job = std::exchange(m_background, nullptr);
    m_backgroundPoll->stop();
    const QString phrase = m_phraseBox->toPlainText();
    if (std::exchange(m_searchAgain, false) || job->phrase != phrase) {
        update(); // the phrase or the dictionaries changed meanwhile
        return;
    }
    m_busy->hide();
    m_list->clear();
    m_suggestions = job->found;
    fill(phrase);
}

void SuggestionPanel::update()
{
    const QString phrase = m_phraseBox->toPlainText();
    m_busy->hide();
    m_list->clear();
    m_suggestions.clear();
    if (!phrase.isEmpty()) {
        // The first search after start or after the settings changed waits for the
        // connected dictionaries to be read on the second thread; the window works
        // meanwhile, and the list fills when they are.
        if (!m_project.prepareSuggestions()) {
            showWaiting(texts::kPreparing);
            return;
        }
        if (phrase.size() > kSearchedAside) {
            showWaiting(texts::kSearching);
            if (m_background)
                m_searchAgain = true; // its end starts the next one
            else
                startBackground(phrase);
            return;
        }
        m_suggestions = m_project.suggestions().suggest(phrase);
    }
    fill(phrase);
}

void SuggestionPanel::showWaiting(const QString& text)
{
    auto* item = new QTreeWidgetItem(m_list, {QString(), text});
    item->setFlags(Qt::NoItemFlags);
    m_busy->show();
}

void SuggestionPanel::fill(const QString& phrase)
{
    for (qsizetype i = 0; i < m_suggestions.size(); ++i) {
        const Suggestion& s = m_suggestions[i];
        auto* item = new QTreeWidgetItem(
            m_list, {QString::number(s.similarity), s.source, s.translation, s.dictionary});
        item->setData(1, kMarkedRole, markedSource(s.source, phrase));
        item->setToolTip(1, s.source);
        item->setToolTip(2, QStringLiteral("Ctrl+%1: %2").arg(i + 1).arg(s.translation));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    }
}

bool SuggestionPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a row takes that translation and stops there: passed on, it would
    // reach the window's default button and confirm at once.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            use(m_list->indexOfTopLevelItem(m_list->currentItem()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SuggestionPanel::use(qsizetype index)
{
    if (index < 0 || index >= m_suggestions.size())
        return;
    m_translationBox->setPlainText(m_suggestions[index].translation);
    m_translationBox->selectAll();
    m_translationBox->setFocus();
}

} // namespace kvarsel
