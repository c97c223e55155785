// The preview window and the fit warnings, in the real main window on a copy of
// the demo, offscreen.
#include "RecordingUiServices.h"
#include "TestUtil.h"
#include "assist/TranslationCheckPanel.h"
#include "deferred/AutoTranslationEditor.h"
#include "dialogs/DialogCanvas.h"
#include "dialogs/DialogPreview.h"
#include "dialogs/FitCheck.h"
#include "dialogs/InstallDialogPreview.h"
#include "dialogs/QtTextMeasure.h"
#include "workbench/MainWindow.h"
#include "workbench/ManualTranslationDialog.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

using namespace kvarsel;
using namespace kvarsel::test;

namespace {

struct Session {
    QTemporaryDir tmp;
    RecordingUiServices ui;
    std::unique_ptr<MainWindow> main;

    explicit Session(const QString& from = demoDir())
    {
        copyTree(from, tmp.path());
        main = std::make_unique<MainWindow>(tmp.path(), ui);
        installDialogPreview(*main);
        main->start();
        main->loadResourcesFrom(tmp.filePath("resources"));
        main->tabBar()->setCurrentIndex(kindIndex(ResourceKind::Dialog));
    }
    const LineStore& dialogs() const { return main->project().store(ResourceKind::Dialog); }
    // The first row whose line holds `part`: CONTROL lines offer no text to find.
    qsizetype rowHolding(const QString& part) const
    {
        for (qsizetype i = 0; i < dialogs().RowCount(); ++i)
            if (dialogs().ComposedLine(i).contains(part))
                return i;
        return -1;
    }
    qsizetype rowOf(const QString& text) const
    {
        for (qsizetype i = 0; i < dialogs().RowCount(); ++i)
            if (dialogs().Text(i) == text)
                return i;
        return -1;
    }
    QListView* list() const { return main->listView(ResourceKind::Dialog); }
    void select(qsizetype row) const
    {
        list()->selectionModel()->setCurrentIndex(dialogs().index(int(row)),
                                                  QItemSelectionModel::ClearAndSelect);
    }
    qsizetype selectedRow() const
    {
        const auto rows = list()->selectionModel()->selectedIndexes();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    DialogPreview* preview() const { return dialogPreviewOf(*main); }
};

// The fit findings among the findings of a window's check panel.
QStringList fitFindings(const QWidget* window)
{
    return window->findChild<TranslationCheckPanel*>()->findings().filter(
        QStringLiteral("Не помещается в элемент диалога"));
}

int controlWithText(const DialogCanvas* canvas, const QString& text)
{
    for (int i = 0; i < canvas->controlCount(); ++i)
        if (canvas->dialog().controls[size_t(i)].text == text)
            return i;
    return -1;
}

int controlWithId(const DialogCanvas* canvas, const QString& id)
{
    for (int i = 0; i < canvas->controlCount(); ++i)
        if (canvas->dialog().controls[size_t(i)].id == id)
            return i;
    return -1;
}

// The first and last rows of `area` with a pixel darker than the dialog's face.
std::pair<int, int> inkedRows(const QImage& image, const QRect& area, QRgb face)
{
    int first = -1, last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(face) - 40) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

} // namespace

class DialogPreviewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void f4OpensAndFollowsTheSelection()
    {
        Session s;
        const qsizetype font = s.rowOf("Font size");
        QVERIFY(font > 0);
        s.select(font);
        s.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
        QTest::keyClick(s.main.get(), Qt::Key_F4);
        DialogPreview* preview = s.preview();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->windowTitle(), QStringLiteral("Предпросмотр диалога"));
        // It only shows: the main window stays usable.
        QVERIFY(s.main->isEnabled());
        QCOMPARE(preview->headerLabel()->text(), QStringLiteral("IDD_OPTIONS - options.rc, элементов: 11"));
        QCOMPARE(preview->statusLabel()->text(), QStringLiteral("Все тексты помещаются."));
        QCOMPARE(preview->canvas()->selectedRow(), font);

        // Each control as its kind of widget, at its size in pixels.
        DialogCanvas* canvas = preview->canvas();
        const int check = controlWithText(canvas, "Show line numbers");
        QVERIFY(qobject_cast<QAbstractButton*>(canvas->controlWidget(check)));
        QCOMPARE(canvas->controlWidget(check)->metaObject()->className(), "QCheckBox");
        QCOMPARE(canvas->controlWidget(controlWithText(canvas, "General"))->metaObject()->className(),
                 "kvarsel::DialogGroupBox");
        const QtTextMeasure measure;
        const FontBase base = measure.base(canvas->dialog().font);
        QCOMPARE(canvas->controlRect(check).width(), unitsToPixelsX(100, base));

        // The window follows the selected row into the other dialog.
        s.select(s.rowOf("Pebble Notes"));
        QVERIFY(preview->headerLabel()->text().startsWith("IDD_ABOUT - about.rc"));

        // A click on a control selects its row in the main window's list.
        s.select(font);
        const int cancel = controlWithText(canvas, "Cancel");
        QVERIFY(cancel >= 0);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->controlRect(cancel).center());
        QCOMPARE(s.selectedRow(), s.rowOf("Cancel"));
        QCOMPARE(canvas->selectedRow(), s.rowOf("Cancel"));
        // The title bar stands for the CAPTION line.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(30, 10));
        QCOMPARE(s.selectedRow(), s.rowOf("Options"));
        // It goes when the main window goes (at exit).
        s.main->hide();
        QVERIFY(!preview->isVisible());
    }

    void contextMenuEntry()
    {
        Session s;
        const qsizetype row = s.rowOf("User name");
        const QRect rect = s.list()->visualRect(s.dialogs().index(int(row)));
        QString entry;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            entry = menu->actions().first()->text();
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        emit s.list()->customContextMenuRequested(rect.center());
        QCOMPARE(entry, QStringLiteral("Предпросмотр диалога"));
        QVERIFY(s.preview() && s.preview()->isVisible());
        QCOMPARE(s.preview()->canvas()->selectedRow(), row);
    }

    // The preview, the warning and kvarsel-batch fit agree on one translation.
    void translationRedrawsAndWarns()
    {
        Session s;
        const qsizetype cancel = s.rowOf("Cancel");
        DialogPreview* preview = openDialogPreview(*s.main, cancel);
        emit s.list()->doubleClicked(s.dialogs().index(int(cancel)));
        ManualTranslationDialog* manual = s.main->manualTranslationDialog();
        QVERIFY(manual->isVisible());
        // Another window disables the main window, not the preview.
        QVERIFY(!s.main->isEnabled());
        QVERIFY(preview->isEnabled());
        auto* box = manual->findChild<QPlainTextEdit*>("translation");
        QVERIFY(box);
        box->setPlainText("Отмена");
        QVERIFY(fitFindings(manual).isEmpty());
        box->setPlainText("Отменить все изменения");
        PhraseFit fit;
        fit.setPhrase(s.dialogs(), "Cancel");
        const auto typed = fit.check("Отменить все изменения", QtTextMeasure());
        QCOMPARE(typed.size(), size_t(1));
        const int needed = typed[0].fit.neededWidth;
        QVERIFY(needed > 50);
        QCOMPARE(
            fitFindings(manual),
            QStringList(QStringLiteral(
                            "Не помещается в элемент диалога IDD_OPTIONS: PUSHBUTTON IDCANCEL, options.rc:15 "
                            "(нужно %1, есть 50)")
                            .arg(needed)));

        manual->confirm();
        QVERIFY(s.main->isEnabled());
        QTRY_COMPARE(preview->canvas()->misfitCount(), 1);
        const int index = controlWithText(preview->canvas(), "Отменить все изменения");
        QVERIFY(index >= 0);
        QVERIFY(!preview->canvas()->fitOf(index).fits);
        QCOMPARE(preview->canvas()->fitOf(index).neededWidth, needed);
        QVERIFY(preview->canvas()->toolTipFor(index).contains(
            QStringLiteral("нужно %1, есть 50 (не хватает %2)").arg(needed).arg(needed - 50)));
        QCOMPARE(preview->statusLabel()->text(), QStringLiteral("Не помещается текстов: 1"));
        const auto problems = findFitProblems(s.dialogs(), QtTextMeasure());
        QCOMPARE(problems.size(), size_t(1));
        QCOMPARE(problems[0].row, cancel);
        QCOMPARE(problems[0].fit.neededWidth, needed);
    }

    // Dialogs as real programs hold them, drawn as Windows shows them: pages without
    // a frame, numeric window classes as their controls, templates without a usable
    // font in MS Shell Dlg 8, and nothing outlined, since every English text fits.
    void realDialogs_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("framed");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("widget");
        QTest::newRow("message box template, FONT 32767")
            << "Free some space on the disk" << true << "4" << QByteArray("QPushButton");
        QTest::newRow("template without DS_SETFONT")
            << "Line number:" << true << "101" << QByteArray("QLineEdit");
        QTest::newRow("property page, class 130")
            << "Status:" << false << "1095" << QByteArray("kvarsel::DialogText");
        QTest::newRow("property page, class 0x81") << "Status:" << false << "1104" << QByteArray("QLineEdit");
        QTest::newRow("page with numeric style, class 0x85")
            << "Check every" << false << "1098" << QByteArray("QComboBox");
        QTest::newRow("property page with a caption (its tab)")
            << "Show line numbers" << false << "1203" << QByteArray("QCheckBox");
        QTest::newRow("push-like check box") << "Details >>" << false << "1108" << QByteArray("QPushButton");
        QTest::newRow("SysLink") << "the project's web site" << true << "IDC_NEWS"
                                 << QByteArray("kvarsel::DialogText");
    }

    void realDialogs()
    {
        QFETCH(QString, line);
        QFETCH(bool, framed);
        QFETCH(QString, id);
        QFETCH(QByteArray, widget);
        Session s(QStringLiteral(KVARSEL_TEST_DATA "/dialogs"));
        const qsizetype row = s.rowHolding(line);
        QVERIFY(row > 0);
        s.main->setGeometry(QRect(QPoint(10, 10), QSize(360, 400)));
        DialogPreview* preview = openDialogPreview(*s.main, row);
        DialogCanvas* canvas = preview->canvas();
        QCOMPARE(preview->statusLabel()->text(), QStringLiteral("Все тексты помещаются."));
        QCOMPARE(canvas->dialog().font.pointSize, 8);
        QVERIFY(canvas->dialog().font.face.startsWith("MS Shell Dlg"));
        const QWidget* client = canvas->findChild<QWidget*>("dialogClient");
        QCOMPARE(client->geometry().left() > 0, framed);
        const int control = controlWithId(canvas, id);
        QVERIFY(control >= 0);
        QVERIFY(canvas->controlWidget(control)->inherits(widget));
        const FontBase base = QtTextMeasure().base(canvas->dialog().font);
        QCOMPARE(canvas->controlRect(control).width(),
                 unitsToPixelsX(canvas->dialog().controls[size_t(control)].cx, base));
        // The preview stands beside the main window on its screen, not over it.
        QVERIFY(!preview->frameGeometry().intersects(s.main->frameGeometry()));
        QVERIFY(s.main->screen()->availableGeometry().contains(preview->frameGeometry()));
    }

    // Details Windows settles when it creates the controls: an icon takes the
    // system's icon size, an up-down the height of the buddy it attaches to, a
    // sunken picture a sunken frame, and a page's tab reads "&&" as one "&".
    void drawnAsWindowsShows_data()
    {
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ICON, a script size") << QStringList{"ICON 128,IDC_LOGO,14,14,21,20"} << "IDC_LOGO"
                                             << "32x32";
        QTest::newRow("decompiled icon, no size")
            << QStringList{"CONTROL 32515, -1, \"STATIC\", 0x50000003, 7, 7, 0, 0"} << "-1"
            << "32x32";
        QTest::newRow("up-down right of its buddy")
            << QStringList{"EDITTEXT 1001,94,19,24,13,ES_AUTOHSCROLL",
                           "CONTROL \"\",1002,\"msctls_updown32\",UDS_SETBUDDYINT | UDS_ALIGNRIGHT | "
                           "UDS_AUTOBUDDY | UDS_ARROWKEYS,118,17,10,20"}
            << "1002"
            << "buddy 1001";
        QTest::newRow("SS_BITMAP | SS_SUNKEN")
            << QStringList{"CONTROL \"\",1003,\"Static\",SS_BITMAP | SS_SUNKEN,7,40,60,40"} << "1003"
            << "sunken";
    }

    void drawnAsWindowsShows()
    {
        QFETCH(QStringList, controls);
        QFETCH(QString, id);
        QFETCH(QString, expected);
        const QStringList script =
            QStringList{"IDD_PAGE DIALOGEX 0, 0, 200, 100",
                        "STYLE DS_SETFONT | DS_FIXEDSYS | WS_CHILD | WS_CAPTION", "CAPTION \"Date && Time\"",
                        "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1", "BEGIN"} +
            controls + QStringList{"END"};
        DialogCanvas canvas;
        canvas.setDialog(readDialogLines(script, 0, true).front());
        const QFont tabFont = QtTextMeasure().qtFont(canvas.dialog().font);
        QCOMPARE(canvas.captionRect().width(), QFontMetrics(tabFont).horizontalAdvance("Date & Time") + 16);
        const int control = controlWithId(&canvas, id);
        QVERIFY(control >= 0);
        const QRect rect = canvas.controlRect(control);
        QCOMPARE(canvas.controlWidget(control)->size(), rect.size());
        if (expected == "32x32") {
            QCOMPARE(rect.size(), QSize(32, 32));
        } else if (expected.startsWith("buddy ")) {
            const int buddy = controlWithId(&canvas, expected.mid(6));
            const DialogControl& b = canvas.dialog().controls[size_t(buddy)];
            const FontBase base = QtTextMeasure().base(canvas.dialog().font);
            const QRect buddyRect = canvas.controlRect(buddy);
            QCOMPARE(rect.top(), buddyRect.top());
            QCOMPARE(rect.height(), buddyRect.height());
            QCOMPARE(rect.height(), unitsToPixelsY(b.cy, base));
            // Inside the buddy's rectangle at its right, the buddy narrowed to make room.
            QCOMPARE(rect.right(), buddyRect.left() + unitsToPixelsX(b.cx, base) - 1);
            QCOMPARE(buddyRect.right() + 1, rect.left());
        } else {
            const auto* frame = qobject_cast<const QFrame*>(canvas.controlWidget(control));
            QVERIFY(frame);
            QCOMPARE(frame->frameShadow(), QFrame::Sunken);
        }
    }

    // A group box's caption sits on its frame line, as Windows draws it, so the
    // controls inside stand clear of the line.
    void groupCaptionOnItsFrame()
    {
        Session s(QStringLiteral(KVARSEL_TEST_DATA "/dialogs"));
        DialogCanvas* canvas = openDialogPreview(*s.main, s.rowOf("Printer"))->canvas();
        const int group = controlWithText(canvas, "Printer");
        const QRect rect = canvas->controlRect(group);
        const QImage image = canvas->grab().toImage();
        const QRgb face = image.pixel(rect.center());
        // The top line, right of the caption.
        const int lineY = inkedRows(image, QRect(rect.right() - 20, rect.top(), 1, 20), face).first;
        QVERIFY(lineY >= 0);
        // The caption's letters reach above and below the line.
        const auto [top, bottom] = inkedRows(image, QRect(rect.left() + 6, rect.top(), 20, 20), face);
        QVERIFY2(top < lineY - 2 && bottom > lineY + 2,
                 qPrintable(QStringLiteral("%1..%2, line %3").arg(top).arg(bottom).arg(lineY)));
        QVERIFY(canvas->controlRect(controlWithText(canvas, "Name:")).top() > lineY + 2);
    }

    void reviewWindowWarns()
    {
        Session s;
        AutoTranslationEditor editor(s.main.get(), s.main->project(), s.main->services());
        editor.startReview(s.tmp.filePath("bilingual.txt"),
                           {"Save changes before closing", "Сохранить изменения перед закрытием", "Help",
                            "Справочная система программы"});
        QVERIFY(fitFindings(&editor).isEmpty());
        editor.nextPair();
        QCOMPARE(fitFindings(&editor).size(), 1);
        QVERIFY(fitFindings(&editor)[0].startsWith(
            "Не помещается в элемент диалога IDD_OPTIONS: PUSHBUTTON IDHELP"));
        editor.findChild<QPlainTextEdit*>("translation")->setPlainText("Справка");
        QVERIFY(fitFindings(&editor).isEmpty());
        editor.finish();
    }
};

QTEST_MAIN(DialogPreviewTest)
#include "tst_dialogpreview.moc"
