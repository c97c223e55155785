#include "assist/SpellingHighlighter.h"

#include "assist/Spelling.h"
#include "project/Project.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace kvarsel {
namespace texts {
const QString kAddToDictionary = QStringLiteral("Добавить в словарь");
const QString kNoSuggestions = QStringLiteral("Нет предложений");
const QString kNotAdded = QStringLiteral("Слово не добавлено в личный словарь:\n");
const QString kSessionOnly =
    QStringLiteral("Слово «%1» считается верным до конца сеанса, но в Words.txt не записано: %2.");
} // namespace texts

namespace {
constexpr qsizetype kMaxSuggestions = 7;
} // namespace

SpellingHighlighter::SpellingHighlighter(QPlainTextEdit* box, Project& project, UiServices& services)
    : QSyntaxHighlighter(box->document()), m_box(box), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("spellingHighlighter"));
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, &SpellingHighlighter::showMenu);
}

void SpellingHighlighter::highlightBlock(const QString& text)
{
    QTextCharFormat wrong;
    wrong.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    wrong.setUnderlineColor(Qt::red);
    for (const TextWord& w : m_project.spelling().misspelled(text))
        setFormat(int(w.start), int(w.length), wrong);
}

void SpellingHighlighter::showMenu(const QPoint& pos)
{
    QMenu* menu = m_box->createStandardContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QTextCursor at = m_box->cursorForPosition(pos);
    const QTextBlock block = at.block();
    const qsizetype column = at.position() - block.position();
    SpellChecker& spelling = m_project.spelling();
    for (const TextWord& w : spelling.misspelled(block.text())) {
        if (column < w.start || column > w.start + w.length)
            continue;
        QAction* first = menu->actions().value(0);
        const auto replaceWith = [this, block, w](const QString& word) {
            QTextCursor c(m_box->document());
            c.setPosition(block.position() + int(w.start));
            c.setPosition(block.position() + int(w.start + w.length), QTextCursor::KeepAnchor);
            c.insertText(word);
        };
        // Hunspell may offer a dozen; past the first few they are rarely the word meant,
        // and a long list pushes "Добавить в словарь" out of reach.
        const QStringList suggestions = spelling.suggestions(w.word).mid(0, kMaxSuggestions);
        for (const QString& s : suggestions) {
            QAction* use = new QAction(s, menu);
            connect(use, &QAction::triggered, this, [replaceWith, s] { replaceWith(s); });
            menu->insertAction(first, use);
        }
        if (suggestions.isEmpty()) {
            QAction* none = new QAction(texts::kNoSuggestions, menu);
            none->setEnabled(false);
            menu->insertAction(first, none);
        }
        QAction* add = new QAction(texts::kAddToDictionary, menu);
        add->setObjectName(QStringLiteral("addToDictionary"));
        connect(add, &QAction::triggered, this, [this, word = w.word] {
            if (!m_project.readOnlyReason().isEmpty()) {
                m_project.spelling().addSessionWord(word);
                m_services.message(m_box->window(), kProductName,
                                   texts::kSessionOnly.arg(word, m_project.readOnlyReason()),
                                   MessageIcon::Information);
                rehighlight();
                return;
            }
            if (const auto error = m_project.spelling().addPersonalWord(word)) {
                m_services.message(m_box->window(), kProductName, texts::kNotAdded + error->message(),
                                   MessageIcon::Stop);
                return;
            }
            rehighlight();
        });
        menu->insertSeparator(first);
        menu->insertAction(first, add);
        menu->insertSeparator(first);
        break;
    }
    menu->popup(m_box->mapToGlobal(pos));
}

} // namespace kvarsel
