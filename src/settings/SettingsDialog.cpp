#include "settings/SettingsDialog.h"

#include "assist/Spelling.h"
#include "dictionary/DictionaryFiles.h"
#include "exchange/TmxImport.h"
#include "exchange/TmxTexts.h"
#include "project/Project.h"
#include "settings/SettingsStartUp.h"
#include "workbench/ProductName.h"
#include "workbench/UiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kvarsel {
namespace texts {
const QString kCaption = QStringLiteral("Настройки");
const QString kGeneralTab = QStringLiteral("Общие");
const QString kDictionariesTab = QStringLiteral("Словари");
const QString kHideTranslated = QStringLiteral("Скрывать переведенные строки");
const QString kHideRussian = QStringLiteral("Скрывать уже переведенные строки при повторной загрузке");
const QString kUserFirst = QStringLiteral("Первый словарь - пользовательский");
const QString kConnectAll = QStringLiteral("Подключить все");
const QString kDisconnectAll = QStringLiteral("Отключить все");
const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("Отмена");
const QString kTitle = kProductName;
const QString kNoDictionaries =
    QStringLiteral("В рабочем каталоге программы нет словарей,\nиспользуемых для работы переводчика.");
const QString kNothingConnected =
    QStringLiteral("Не подключен ни один словарь для перевода.\nРабота программы невозможна.");
const QString kAvailableLabel = QStringLiteral("Словари рабочего каталога (отмеченные подключены):");
const QString kUnreadFile = QStringLiteral("Файл настроек не был прочитан при запуске:\n%1\n\n"
                                           "Заменить его настройками из этого окна?");
const QString kReplace = QStringLiteral("Заменить");
// "&&" shows one "&": the label names the character, it marks no key of its own.
const QString kKeepAccelerators = QStringLiteral("Сохранять клавиши доступа (&&)");
const QString kTranslateControlTexts = QStringLiteral("Переводить тексты элементов CONTROL");
const QString kReloadQuestion =
    QStringLiteral("Клавиши доступа и тексты элементов CONTROL выбираются при загрузке "
                   "ресурсов. Загрузить ресурсы заново?");
const QString kReloadLoses = QStringLiteral("\n\nПереводы, не сохраненные в сценариях, будут потеряны.");
const QString kReload = QStringLiteral("Загрузить заново");
const QString kSpellingOn =
    QStringLiteral("Проверка орфографии: словарь Hunspell %1, список терминов "
                   "программ Terms.txt и личный словарь Words.txt рабочего каталога.");
const QString kLater = QStringLiteral("Позже");
} // namespace texts

SettingsDialog::SettingsDialog(QWidget* mainWindow, Project& project, UiServices& services)
    : SecondaryWindow(mainWindow), m_project(project), m_services(services)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(texts::kCaption);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));

    auto* general = new QWidget;
    auto* generalLayout = new QVBoxLayout(general);
    m_autoHideTranslateString = new QCheckBox(texts::kHideTranslated);
    m_autoHideTranslateString->setObjectName(QStringLiteral("autoHideTranslateString"));
    m_autoHideRussianString = new QCheckBox(texts::kHideRussian);
    m_autoHideRussianString->setObjectName(QStringLiteral("autoHideRussianString"));
    m_keepAccelerators = new QCheckBox(texts::kKeepAccelerators);
    m_keepAccelerators->setObjectName(QStringLiteral("keepAccelerators"));
    m_translateControlTexts = new QCheckBox(texts::kTranslateControlTexts);
    m_translateControlTexts->setObjectName(QStringLiteral("translateControlTexts"));
    generalLayout->addWidget(m_autoHideTranslateString);
    generalLayout->addWidget(m_autoHideRussianString);
    generalLayout->addWidget(m_keepAccelerators);
    generalLayout->addWidget(m_translateControlTexts);
    // Told here, where the user looks for what the program does: only found, not read,
    // so the settings window costs nothing at start-up.
    const SpellingDictionary spelling = findSpellingDictionary();
    auto* spellingNote = new QLabel(spelling.offReason.isEmpty()
                                        ? texts::kSpellingOn.arg(QDir::toNativeSeparators(spelling.basePath))
                                        : spelling.offReason);
    spellingNote->setObjectName(QStringLiteral("spellingNote"));
    spellingNote->setWordWrap(true);
    generalLayout->addWidget(spellingNote);
    generalLayout->addStretch();
    m_tabs->addTab(general, texts::kGeneralTab);

    auto* dictionaries = new QWidget;
    auto* dictLayout = new QVBoxLayout(dictionaries);
    m_userFirst = new QCheckBox(texts::kUserFirst);
    m_userFirst->setObjectName(QStringLiteral("userFirst"));
    dictLayout->addWidget(m_userFirst);
    dictLayout->addWidget(new QLabel(texts::kAvailableLabel));
    m_available = new QListWidget;
    m_available->setObjectName(QStringLiteral("AvailableDictionaries"));
    dictLayout->addWidget(m_available, 1);
    auto* markButtons = new QHBoxLayout;
    m_connectAll = new QPushButton(texts::kConnectAll);
    m_connectAll->setObjectName(QStringLiteral("connectAll"));
    m_disconnectAll = new QPushButton(texts::kDisconnectAll);
    m_disconnectAll->setObjectName(QStringLiteral("disconnectAll"));
    markButtons->addWidget(m_connectAll);
    markButtons->addWidget(m_disconnectAll);
    markButtons->addStretch();
    m_importTmx = new QPushButton(tmx_texts::kImportButton);
    m_importTmx->setObjectName(QStringLiteral("importTmx"));
    markButtons->addWidget(m_importTmx);
    dictLayout->addLayout(markButtons);
    m_tabs->addTab(dictionaries, texts::kDictionariesTab);

    m_path = new QLabel;
    m_path->setObjectName(QStringLiteral("pathLabel"));
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new QPushButton(texts::kOk);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(texts::kCancel);
    cancel->setObjectName(QStringLiteral("cancel"));
    setEscapeButton(cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_path, 1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(m_connectAll, &QPushButton::clicked, this, [this] { setAllMarks(true); });
    connect(m_disconnectAll, &QPushButton::clicked, this, [this] { setAllMarks(false); });
    connect(m_importTmx, &QPushButton::clicked, this, &SettingsDialog::importTmxFile);
    // "Отмена" only hides the window, so what the check boxes show is in force for the
    // next load and automatic translation either way; only "OK" writes velmora.ini and
    // applies the hide mode and the connected dictionaries.
    for (QCheckBox* box : {m_autoHideTranslateString, m_autoHideRussianString, m_keepAccelerators,
                           m_translateControlTexts, m_userFirst})
        connect(box, &QCheckBox::toggled, this, [this] { m_project.setSettings(currentSettings()); });
    resize(520, 380);
}

bool SettingsDialog::applyLoad(const SettingsLoad& load)
{
    m_loaded = load.settings;
    m_unreadFile = load.error;
    const Settings& s = load.settings;
    m_userFirst->setEnabled(s.userDictionaryExists);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto userDictionaryError = applySettingsLoad(load, m_project);
    QApplication::restoreOverrideCursor();
    if (load.noDictionaryFiles) {
        m_services.message(mainWindow(), texts::kTitle, texts::kNoDictionaries, MessageIcon::Stop);
        return false;
    }
    m_available->clear();
    for (qsizetype i = 0; i < s.availableDictionaries.size(); ++i) {
        auto* item = new QListWidgetItem(s.availableDictionaries[i], m_available);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(s.marked.value(i) ? Qt::Checked : Qt::Unchecked);
    }
    m_autoHideTranslateString->setChecked(s.autoHideTranslateString);
    m_autoHideRussianString->setChecked(s.autoHideRussianString);
    m_keepAccelerators->setChecked(s.keepAccelerators);
    m_translateControlTexts->setChecked(s.translateControlTexts);
    m_userFirst->setChecked(s.userDictionaryFirst);
    m_connectAll->setEnabled(!s.availableDictionaries.isEmpty());
    m_disconnectAll->setEnabled(!s.availableDictionaries.isEmpty());
    m_tabs->setCurrentIndex(0);
    if (load.error)
        m_services.message(mainWindow(), texts::kTitle, load.error->message(), MessageIcon::Stop);
    if (userDictionaryError)
        m_services.message(mainWindow(), texts::kTitle, userDictionaryError->message(), MessageIcon::Stop);
    if (!load.missingDictionaries.isEmpty())
        m_services.message(mainWindow(), texts::kTitle, missingDictionariesText(load.missingDictionaries),
                           MessageIcon::Information);
    return true;
}

Settings SettingsDialog::currentSettings() const
{
    Settings s = m_loaded;
    s.autoHideTranslateString = m_autoHideTranslateString->isChecked();
    s.autoHideRussianString = m_autoHideRussianString->isChecked();
    s.keepAccelerators = m_keepAccelerators->isChecked();
    s.translateControlTexts = m_translateControlTexts->isChecked();
    s.userDictionaryFirst = m_userFirst->isChecked();
    for (int i = 0; i < m_available->count() && i < s.marked.size(); ++i)
        s.marked[i] = m_available->item(i)->checkState() == Qt::Checked;
    return s;
}

void SettingsDialog::setPathLabel(const QString& path) { m_path->setText(path); }

void SettingsDialog::setAllMarks(bool marked)
{
    for (int i = 0; i < m_available->count(); ++i)
        m_available->item(i)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

void SettingsDialog::importTmxFile()
{
    UiServices& services = m_services;
    const QString workDir = m_project.workDir();
    const QString tmxPath =
        services.openFile(this, tmx_texts::kImportTitle, workDir, tmx_texts::kFilter, QStringLiteral("tmx"));
    if (tmxPath.isEmpty())
        return;
    // A new name in the working directory, so no dictionary, the user's least of all, is replaced.
    const QString target = importTargetFor(workDir, tmxPath);
    const TmxLanguages languages;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TmxImport result = importTmx(tmxPath, target, languages, false);
    QApplication::restoreOverrideCursor();
    QStringList lines;
    if (result.read)
        lines << importReport(result.counts, languages);
    if (result.error) {
        lines << tmx_texts::kDictionaryNotWritten << result.error->message();
        services.message(this, texts::kTitle, lines.join(QChar(10)), MessageIcon::Stop);
        return;
    }
    addAvailableDictionary(QFileInfo(target).fileName());
    lines << tmx_texts::written(QDir::toNativeSeparators(target),
                                result.encoding == DictionaryEncoding::Cp1251 ? tmx_texts::kCp1251
                                                                              : tmx_texts::kUtf8);
    services.message(this, texts::kTitle, lines.join(QChar(10)), MessageIcon::Information);
}

void SettingsDialog::addAvailableDictionary(const QString& name)
{
    // Kept in the listing's order, unmarked; the marks the user set so far stay.
    const Settings now = currentSettings();
    m_loaded.marked = now.marked;
    qsizetype at = 0;
    while (at < m_loaded.availableDictionaries.size() &&
           m_loaded.availableDictionaries[at].compare(name, Qt::CaseInsensitive) < 0)
        ++at;
    m_loaded.availableDictionaries.insert(at, name);
    m_loaded.marked.insert(at, false);
    auto* item = new QListWidgetItem(name);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    m_available->insertItem(int(at), item);
    m_available->setCurrentItem(item);
    m_connectAll->setEnabled(true);
    m_disconnectAll->setEnabled(true);
}

void SettingsDialog::accept()
{
    const Settings s = currentSettings();
    // Refused before anything is written: the file keeps the dictionaries the next
    // start connects, whatever the user does after the refusal.
    if (!s.anythingConnected()) {
        m_services.message(this, texts::kTitle, texts::kNothingConnected, MessageIcon::Stop);
        return;
    }
    // Settings that could not be read are the user's still: they are replaced only
    // when the user says so.
    if (m_unreadFile && m_project.readOnlyReason().isEmpty()) {
        const QString question = texts::kUnreadFile.arg(m_unreadFile->message());
        if (m_services.ask(this, texts::kTitle, question, {texts::kReplace, texts::kCancel}) != 0)
            return;
        m_unreadFile.reset();
    }
    std::optional<FileError> error;
    if (const QString& readOnly = m_project.readOnlyReason(); !readOnly.isEmpty()) {
        error = FileError{fileInDirIgnoringCase(m_project.workDir(), settings_keys::kFileName), readOnly};
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        error = writeSettings(m_project.workDir(), s);
        QApplication::restoreOverrideCursor();
    }
    if (error)
        m_services.message(this, texts::kTitle, error->message(), MessageIcon::Stop);
    m_project.setSettings(s);
    m_project.setHideMode(s.autoHideTranslateString ? HideMode::Hide : HideMode::Show);
    m_project.setConnectedDictionaries(connectedAfterOk(m_project.workDir(), s));
    // The similar translations of the new list are read while the user goes on.
    m_project.prepareSuggestions();
    hide();
    // The loaded lines were split by the old choice; only a new load follows the new one.
    if (!m_project.resourceDirectory().isEmpty() &&
        s.asksReload(m_project.store(ResourceKind::Dialog).splitOptions())) {
        const QString question =
            texts::kReloadQuestion + (m_project.resourcesChanged() ? texts::kReloadLoses : QString());
        if (m_services.ask(mainWindow(), texts::kTitle, question, {texts::kReload, texts::kLater}) == 0)
            Q_EMIT reloadRequested(m_project.resourceDirectory());
    }
}

void SettingsDialog::reject() { hide(); }

} // namespace kvarsel
