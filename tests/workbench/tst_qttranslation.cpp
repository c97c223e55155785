// Qt's own dialogs and menus speak Russian once the translation is installed.
#include "workbench/FileDialogLocale.h"
#include "workbench/QtTranslation.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace kvarsel;

namespace {

bool hasCyrillic(const QString& text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

} // namespace

class QtTranslationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(installQtRussianTranslation(*qApp, &error), qPrintable(error));
        setRussianLocale();
        QVERIFY(QDir(m_files.path()).mkdir(QStringLiteral("Сценарии")));
        QFile text(m_files.filePath(QStringLiteral("bi.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        QVERIFY(text.write(QByteArray(2048, 'x')) == 2048 && text.flush());
        QVERIFY(
            text.setFileTime(QDateTime(QDate(2024, 12, 8), QTime(10, 5)), QFileDevice::FileModificationTime));
    }

    // The user's system speaks English (the tests run in the C locale); the file list
    // of the program's file dialog speaks Russian all the same.
    void fileListInRussian_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::newRow("folder type") << "Сценарии" << 2 << "Папка";
        // Qt's Russian translation names the traditional units only ("кБ", not "KiB").
        QTest::newRow("size") << "bi.txt" << 1 << "2,00 кБ";
        QTest::newRow("date") << "bi.txt" << 3 << "08.12.2024 10:05";
    }

    void fileListInRussian()
    {
        QFETCH(QString, name);
        QFETCH(int, column);
        QFETCH(QString, shown);
        QFileDialog dialog(nullptr, QStringLiteral("Загрузка билингвы"), m_files.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        showFileListInProgramLocale(dialog);
        // The detail view shows the file model through the program's own proxy.
        auto* files = dialog.findChild<QFileSystemModel*>();
        auto* list = qobject_cast<QAbstractProxyModel*>(dialog.findChild<QTreeView*>("treeView")->model());
        QVERIFY(list);
        QCOMPARE(list->mapFromSource(files->index(m_files.filePath(name), column)).data().toString(), shown);
    }

    void fileDialogTexts()
    {
        // The bilingual file is chosen in Qt's own dialog wherever no desktop one exists.
        QFileDialog dialog(nullptr, QStringLiteral("Загрузка билингвы"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
            QVERIFY2(label, name);
            QVERIFY2(hasCyrillic(label->text()), qPrintable(label->text()));
        }
        auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            QVERIFY2(hasCyrillic(button->text()), qPrintable(button->text()));
    }

    void textBoxContextMenu()
    {
        QLineEdit edit(QStringLiteral("Open"));
        edit.selectAll();
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        QVERIFY(!texts.isEmpty());
        for (const QString& text : texts)
            QVERIFY2(hasCyrillic(text), qPrintable(text));
    }

private:
    QTemporaryDir m_files;
};

QTEST_MAIN(QtTranslationTest)
#include "tst_qttranslation.moc"
