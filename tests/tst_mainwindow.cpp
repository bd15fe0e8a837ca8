#include "core/app/appsettings.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/startup.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "gui/timeline/timeline.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/shownwindow.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QUrl>

namespace {
// Reaches the window's drag and drop handlers directly: a synthetic drop sent
// through the application object is filtered out without a drag in progress.
struct DropWindow : MainWindow
{
    using MainWindow::dragEnterEvent;
    using MainWindow::dropEvent;
};
} // namespace

// The main window is built with QT_FATAL_WARNINGS=1 (see CMake), so a widget
// renamed in the form that breaks a slot wired by name aborts this test.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { vc::test::clearSettings(); }

    void windowBasics();
    void menuEntries_data();
    void menuEntries();
    void aboutFromMenu();
    void widgetDefaults();
    void followsTheProject();
    void closeQuestion_data();
    void closeQuestion();
    void geometryRestored();
    void dropDispatch_data();
    void dropDispatch();
    void dragEnterNeedsUris();
    void rowLabelsLevelWithTracks();
    void previewPacing();
};

void TestMainWindow::windowBasics()
{
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("VantorCreator"));
    QCOMPARE(w.minimumSize(), QSize(1000, 720));
    QCOMPARE(w.size(), QSize(1300, 885));
    QCOMPARE(w.iconSize(), QSize(30, 30));
    QVERIFY(w.acceptDrops());
    QVERIFY(!w.styleSheet().isEmpty());
    QVERIFY(w.styleSheet().contains(QLatin1String("rgb(50, 55, 60)")));
    QCOMPARE(w.form()->statusBar->currentMessage(), QStringLiteral("WELCOME!!"));
    QCOMPARE(w.form()->menuBar->actions().size(), 5);
}

void TestMainWindow::menuEntries_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");

    QTest::newRow("new") << "menu"
                         << "actionNew"
                         << "開新檔案"
                         << "Ctrl+N";
    QTest::newRow("load") << "menu"
                          << "actionLoad"
                          << "讀檔..."
                          << "Ctrl+L";
    QTest::newRow("save") << "menu"
                          << "actionSave"
                          << "存檔..."
                          << "Ctrl+S";
    QTest::newRow("saveas") << "menu"
                            << "actionSaveas"
                            << "另存新檔..."
                            << "Ctrl+Shift+S";
    QTest::newRow("dir") << "menu"
                         << "actionDIR"
                         << "取代圖片位置..."
                         << "";
    QTest::newRow("sql") << "menu"
                         << "actionSQL"
                         << "匯出圖庫..."
                         << "";
    QTest::newRow("undo") << "menu_4"
                          << "actionUndo"
                          << "復原"
                          << "Ctrl+Z";
    QTest::newRow("redo") << "menu_4"
                          << "actionRedo"
                          << "重作"
                          << "Ctrl+Y";
    QTest::newRow("copy") << "menu_4"
                          << "actionCopy"
                          << "複製"
                          << "Ctrl+C";
    QTest::newRow("paste") << "menu_4"
                           << "actionPaste"
                           << "貼上"
                           << "Ctrl+V";
    QTest::newRow("upload") << "menu_4"
                            << "actionUpload"
                            << "上傳"
                            << "Ctrl+U";
    QTest::newRow("preference") << "menu_4"
                                << "actionPreference"
                                << "偏好設定..."
                                << "";
    QTest::newRow("enter") << "menu_4"
                           << "actionEnter"
                           << "新增/確認"
                           << "Return";
    QTest::newRow("about") << "menu_2"
                           << "actionAbout"
                           << "關於..."
                           << "";
    QTest::newRow("format") << "menu_2"
                            << "actionFormat"
                            << "清除記憶體"
                            << "";
    QTest::newRow("firmware") << "menu_2"
                              << "actionFirUpdate"
                              << "更新韌體..."
                              << "";
    QTest::newRow("admin") << "menu_2"
                           << "action_admin"
                           << "後台..."
                           << "Ctrl+Shift+M";
    QTest::newRow("chinese") << "menuLanguage"
                             << "actionChinese"
                             << "繁體中文"
                             << "";
    QTest::newRow("english") << "menuLanguage"
                             << "actionEnglish"
                             << "English"
                             << "";
}

void TestMainWindow::menuEntries()
{
    QFETCH(QString, menu);
    QFETCH(QString, action);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    auto *m = w.findChild<QMenu *>(menu);
    QVERIFY(m);
    auto *a = w.findChild<QAction *>(action);
    QVERIFY(a);
    QVERIFY(m->actions().contains(a));
    QTEST(a->text(), "text");
    QTEST(a->shortcut().toString(), "shortcut");
}

void TestMainWindow::aboutFromMenu()
{
    // The same dialog as at start, over the window, without the start
    // buttons; whatever it returns, the window stays.
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    bool startButtonsHidden = false;
    prompter.onExec = [&](QDialog *d) {
        startButtonsHidden = d->findChild<QWidget *>(QStringLiteral("Load_frame"))->isHidden();
        return int(QDialog::Accepted);
    };
    w.form()->actionAbout->trigger();
    QCOMPARE(prompter.count(QStringLiteral("exec")), 1);
    QCOMPARE(prompter.calls.first().text, QStringLiteral("about"));
    QCOMPARE(prompter.calls.first().parent, &w);
    QVERIFY(startButtonsHidden);
}

void TestMainWindow::widgetDefaults()
{
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    auto *ui = w.form();
    QCOMPARE(ui->Mode_Pic->count(), 4);
    QCOMPARE(ui->Mode_Pic->currentIndex(), 0);
    QCOMPARE(ui->Mode_Pic->tabText(0), QStringLiteral("使用圖片"));
    QCOMPARE(ui->Mode_Pic->tabText(3), QStringLiteral("圖騰"));
    QCOMPARE(ui->timeline_scaler->value(), 80);
    QCOMPARE(ui->timeline_scaler->minimum(), 40);
    QCOMPARE(ui->timeline_scaler->maximum(), 160);
    QCOMPARE(ui->timeline_max->time(), QTime(0, 5));
    QCOMPARE(ui->Mode_t2->time(), QTime(0, 0, 5));
    QCOMPARE(ui->Mode_last->value(), 5.0);
    QCOMPARE(ui->Speed_slide->value(), 10);
    QVERIFY(ui->speedAutoCheckBox->isChecked());
    QCOMPARE(ui->prop_track->count(), 8);
    QCOMPARE(ui->prop_track->itemText(7), QStringLiteral("8"));
    QVERIFY(ui->AutoRepeat->isChecked());
    // Exporting a show file needs no prop: the button is ready from the start.
    QVERIFY(ui->Ex_Button->isEnabled());
    QVERIFY(!ui->Add_Button->isEnabled());
    QCOMPARE(ui->Add_Button->text(), QStringLiteral("插入圖樣"));
    QCOMPARE(ui->Saved_status->text(), QStringLiteral("圖樣數：0"));
    QCOMPARE(ui->Oview_slide->value(), 9);
    QCOMPARE(ui->Spe_comboBox->count(), 14);
    QCOMPARE(ui->Font_size->currentIndex(), 9);
    QCOMPARE(ui->Song_play->shortcut().toString(), QStringLiteral("Space"));
    QVERIFY(!ui->Song_play_2->associatedWidgets().contains(&w)); // belongs to no menu
}

// The prop's boxes and the undo actions are views of the project.
void TestMainWindow::followsTheProject()
{
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    auto *ui = w.form();
    QVERIFY(!ui->actionUndo->isEnabled());
    w.document()->setLeds(48);
    w.document()->setFrameRate(1333.7f);
    QCOMPARE(ui->Leds->value(), 48);
    QCOMPARE(ui->FPS_V->value(), 1333);
    QCOMPARE(w.document()->frameRate(), 1333.7f);
    w.document()->addTrack(1);
    w.project()->flush();
    QVERIFY(ui->actionUndo->isEnabled());
    QVERIFY(w.windowTitle() == QStringLiteral("VantorCreator"));
    w.project()->setPath(QStringLiteral("/x/a.vtc3"));
    QCOMPARE(w.windowTitle(), QStringLiteral("VantorCreator - a.vtc3 *"));
    ui->actionUndo->trigger();
    QVERIFY(!ui->actionUndo->isEnabled());
    QVERIFY(ui->actionRedo->isEnabled());
}

void TestMainWindow::closeQuestion_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    // Save on a project without a name asks for one; none is given here, so
    // nothing is saved and the window stays (tst_projectfiles saves for real).
    QTest::newRow("save, no name") << true << int(QMessageBox::Save) << false;
    QTest::newRow("no") << true << int(QMessageBox::No) << true;
    QTest::newRow("cancel") << true << int(QMessageBox::Cancel) << false;
    QTest::newRow("box closed") << true << int(QMessageBox::NoButton) << false;
    // Nothing changed since the start: nothing to ask.
    QTest::newRow("untouched") << false << int(QMessageBox::NoButton) << true;
}

void TestMainWindow::closeQuestion()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    w.resize(1111, 777);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    if (edited) {
        w.form()->Mode_Pic->setCurrentIndex(1);
        w.form()->Add_Button->click();
    }
    prompter.calls.clear();
    prompter.buttons.enqueue(static_cast<QMessageBox::StandardButton>(answer));
    const bool closed = w.close();
    QTEST(closed, "closes");
    if (!edited) {
        QVERIFY(prompter.calls.isEmpty());
        return;
    }
    QCOMPARE(prompter.calls.size(), answer == QMessageBox::Save ? 2 : 1);
    QCOMPARE(prompter.calls.first().text,
             QStringLiteral("<font color='white'>關閉前儲存？</font>"));
    QCOMPARE(prompter.calls.first().title, QString());
    QCOMPARE(prompter.calls.first().defaultButton, QMessageBox::Save);
    // Geometry is written even when the close is cancelled.
    QSettings s = vc::settings::open();
    QCOMPARE(s.value(vc::settings::WindowSize).toSize(), QSize(1111, 777));
    QCOMPARE(s.value(vc::settings::WindowMaximize).toBool(), false);
}

void TestMainWindow::geometryRestored()
{
    vc::test::ScriptedPrompter prompter;
    {
        std::unique_ptr<MainWindow> w(vc::createMainWindow({}));
        QCOMPARE(w->size(), w->minimumSize()); // no stored size yet
        w->showMaximized();
        QTRY_VERIFY(w->isMaximized());
        prompter.buttons.enqueue(QMessageBox::No);
        QVERIFY(w->close());
    }
    QVERIFY(vc::settings::open().value(vc::settings::WindowMaximize).toBool());
    std::unique_ptr<MainWindow> again(vc::createMainWindow({}));
    QTRY_VERIFY(again->isMaximized());
    prompter.buttons.enqueue(QMessageBox::No);
    again->close();
}

void TestMainWindow::dropDispatch_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("warning");
    QTest::newRow("capital extension") << QStringList{"/tmp/song.WAV"} << "無法辨識的副檔名 .WAV";
    QTest::newRow("unknown") << QStringList{"/tmp/a.txt"} << "無法辨識的副檔名 .txt";
    QTest::newRow("first only") << QStringList{"/tmp/a.doc", "/tmp/b.txt"}
                                << "無法辨識的副檔名 .doc";
    QTest::newRow("no extension") << QStringList{"/tmp/noext"} << "無法辨識的副檔名 .";
}

void TestMainWindow::dropDispatch()
{
    QFETCH(QStringList, files);
    QFETCH(QString, warning);
    vc::test::ScriptedPrompter prompter;
    DropWindow w;
    prompter.calls.clear();
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    QDropEvent drop(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    w.dropEvent(&drop);
    QCOMPARE(prompter.messageTexts(), QStringList{warning});
}

void TestMainWindow::dragEnterNeedsUris()
{
    vc::test::ScriptedPrompter prompter;
    DropWindow w;
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent e1(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    e1.setAccepted(false);
    w.dragEnterEvent(&e1);
    QVERIFY(!e1.isAccepted());
    QMimeData uris;
    uris.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.vtc3"))});
    QDragEnterEvent e2(QPoint(1, 1), Qt::CopyAction, &uris, Qt::LeftButton, Qt::NoModifier);
    e2.setAccepted(false);
    w.dragEnterEvent(&e2);
    QVERIFY(e2.isAccepted());
}

// The preview draws at the display's rate while something moves on it and
// it can be seen; it stops once a still picture is shown or it is hidden.
void TestMainWindow::previewPacing()
{
    vc::test::ShownWindow win;
    MyGL *gl = win.ui()->GLWidget;
    struct Frames : QObject
    {
        int count = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } frames;
    gl->installEventFilter(&frames);
    // Nothing loaded: one picture, then no more frames.
    QTRY_VERIFY(!gl->isAnimating());
    QTest::qWait(300); // the window's own late paints
    frames.count = 0;
    QTest::qWait(300);
    QCOMPARE(frames.count, 0);
    // The frame-rate text: none while still, the measured rate while moving.
    const auto rateShown = [gl] {
        const QImage corner = gl->grabFramebuffer().copy(0, 0, 60, 16);
        for (int y = 0; y < corner.height(); ++y)
            for (int x = 0; x < corner.width(); ++x)
                if (qGray(corner.pixel(x, y)) > 200)
                    return true;
        return false;
    };
    QVERIFY(!rateShown());

    QImage picture(40, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(0, 0, 20, 64, Qt::blue);
    gl->setPattern(QPixmap::fromImage(picture), 64, 2100, 2.0, 1);
    QVERIFY(gl->isAnimating());
    QVERIFY(gl->frameInterval() >= 5); // no screen refreshes 200 times a second
    frames.count = 0;
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(500);
    const int most = int(wall.elapsed()) / gl->frameInterval() + 2;
    QVERIFY2(frames.count > 0 && frames.count <= most,
             qPrintable(QStringLiteral("%1 frames, at most %2").arg(frames.count).arg(most)));

    QTRY_VERIFY(rateShown());

    gl->hide();
    QVERIFY(!gl->isAnimating());
    gl->show();
    QVERIFY(gl->isAnimating());

    // One colour on the still disc: drawn once, then nothing moves.
    win.ui()->static_checkbox->setChecked(true);
    picture.fill(Qt::green);
    gl->setPattern(QPixmap::fromImage(picture), 64, 2100, 2.0, 1);
    QTRY_VERIFY(!gl->isAnimating());
    QCOMPARE(gl->preview().patternImage().pixelColor(0, 0), QColor(Qt::green));
    QVERIFY(!rateShown());
}

VC_TEST_MAIN(TestMainWindow)
// Each row label must sit beside its own track, whatever changes the
// heights around them: the window, the splitter, the number of tracks and
// the vertical scroll.
void TestMainWindow::rowLabelsLevelWithTracks()
{
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> w(vc::createMainWindow({}));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    Ui::MainWindow *ui = w->form();

    auto check = [&](const char *step) {
        QCoreApplication::processEvents();
        const QList<Timeline *> tracks = w->tracks()->tracks();
        QVERIFY2(!tracks.isEmpty(), step);
        const int viewTop = ui->timeline_scroll_2->mapTo(w.get(), QPoint(0, 0)).y();
        const int viewBottom = viewTop + ui->timeline_scroll_2->height();
        for (Timeline *t : tracks) {
            const int trackY = t->mapTo(w.get(), QPoint(0, 0)).y();
            const int labelY = t->rowLabel()->mapTo(w.get(), QPoint(0, 0)).y();
            if (trackY + t->height() <= viewTop || trackY >= viewBottom)
                continue; // scrolled out of sight
            QVERIFY2(trackY == labelY, qPrintable(QStringLiteral("%1: track at %2, label at %3")
                                                      .arg(QLatin1String(step))
                                                      .arg(trackY)
                                                      .arg(labelY)));
        }
    };

    check("first show");
    for (int i = 0; i < 2; ++i)
        ui->timeline_add->click();
    check("three tracks");
    ui->timeline_splitter->setSizes({150, 200});
    check("splitter moved");
    w->resize(w->width() + 100, w->height() + 150);
    check("window resized");
    for (int i = 0; i < 6; ++i)
        ui->timeline_add->click();
    check("more tracks than fit");
    ui->timeline_vertical_scrollbar->setValue(ui->timeline_vertical_scrollbar->maximum() / 2);
    check("scrolled");

    prompter.buttons.enqueue(QMessageBox::No);
    w->close();
}

#include "tst_mainwindow.moc"
