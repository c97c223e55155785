// Qt's own dialogs and menus speak Russian once the translation is installed.
#include "workbench/QtTranslation.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

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
};

QTEST_MAIN(QtTranslationTest)
#include "tst_qttranslation.moc"
