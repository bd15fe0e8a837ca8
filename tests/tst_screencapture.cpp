#include "core/app/appsettings.h"
#include "gui/render/picturetab.h"
#include "gui/render/screencapture.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/shownwindow.h"
#include "testsupport/testenv.h"

#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using vc::ScreenCapture;

namespace {

// A plain coloured window on the virtual screen, for the grab to find.
struct Backdrop : QWidget
{
    Backdrop(const QRect &geometry, const QColor &colour)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        QPalette p = palette();
        p.setColor(QPalette::Window, colour);
        setPalette(p);
        setAutoFillBackground(true);
        setGeometry(geometry);
        show();
        if (!QTest::qWaitForWindowExposed(this))
            qWarning("backdrop not exposed");
        // The X server has the pixels once the window has painted.
        QTest::qWait(100);
    }
};

void mouse(QWidget *w, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A press, two moves and a release: a stroke, or a selection in capture mode.
void drag(QWidget *w, const QPoint &from, const QPoint &to)
{
    mouse(w, QEvent::MouseButtonPress, from);
    mouse(w, QEvent::MouseMove, (from + to) / 2);
    mouse(w, QEvent::MouseMove, to);
    mouse(w, QEvent::MouseButtonRelease, to);
}

void click(QWidget *w, const QPoint &at)
{
    mouse(w, QEvent::MouseButtonPress, at);
    mouse(w, QEvent::MouseButtonRelease, at);
}

template <typename T> T *control(const ScreenCapture &d, const char *name)
{
    T *w = d.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("the capture dialog has no %s", name);
    return w;
}

QScreen *screen()
{
    return QGuiApplication::primaryScreen();
}

QString proposedPath()
{
    return QDir::homePath() + QStringLiteral("/pictures/capture.png");
}

} // namespace

class TestScreenCapture : public QObject
{
    Q_OBJECT

private slots:
    void drawnStrokesInSavedPicture();
    void clickWithoutDrag_data();
    void clickWithoutDrag();
    void widthControlsInStep_data();
    void widthControlsInStep();
    void failedSaveKeepsDialog();
    void dialogEnds();
    void captureButton_data();
    void captureButton();
};

// Real grab of the virtual screen: the pen draws over it in the chosen
// colour, the eraser takes strokes away but never the screenshot, clear
// empties the drawing, and the selection is saved with the drawing merged.
void TestScreenCapture::drawnStrokesInSavedPicture()
{
    vc::test::ScriptedPrompter prompter;
    QTemporaryDir dir;
    Backdrop red(QRect(100, 100, 400, 300), Qt::red);
    ScreenCapture d(screen());
    QVERIFY(d.hasScreenshot());
    d.show();
    QSignalSpy saved(&d, &ScreenCapture::callback);

    prompter.colours.enqueue(QColor(Qt::blue));
    control<QPushButton>(d, "color_choose")->click();
    QCOMPARE(prompter.calls.last().kind, QStringLiteral("color"));
    QCOMPARE(prompter.calls.last().title, QStringLiteral("選擇顏色"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("#000000"));
    QCOMPARE(d.penColour(), QColor(Qt::blue));
    QCOMPARE(control<QPushButton>(d, "color_choose")->styleSheet(),
             QStringLiteral("background-color: rgb(0, 0, 255);"));
    // A cancelled colour dialog keeps the colour.
    control<QPushButton>(d, "color_choose")->click();
    QCOMPARE(d.penColour(), QColor(Qt::blue));

    control<QPushButton>(d, "pen_BTN")->click();
    QVERIFY(!control<QPushButton>(d, "cap_BTN")->isChecked());
    control<QSpinBox>(d, "PenSize")->setValue(9);
    drag(&d, QPoint(150, 300), QPoint(450, 300)); // cleared below
    control<QPushButton>(d, "clr_BTN")->click();
    drag(&d, QPoint(150, 200), QPoint(450, 200));
    control<QPushButton>(d, "era_BTN")->click();
    QVERIFY(!control<QPushButton>(d, "pen_BTN")->isChecked());
    control<QSpinBox>(d, "PenSize")->setValue(15);
    drag(&d, QPoint(300, 200), QPoint(470, 200));
    QCOMPARE(saved.count(), 0); // drawing saves nothing

    control<QPushButton>(d, "cap_BTN")->click();
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    prompter.fileNames.enqueue(path);
    drag(&d, QPoint(100, 100), QPoint(499, 399));
    QCOMPARE(d.selection(), QRect(100, 100, 400, 300));
    QCOMPARE(prompter.calls.last().kind, QStringLiteral("save"));
    QCOMPARE(prompter.calls.last().title, QStringLiteral("儲存圖片"));
    QCOMPARE(prompter.calls.last().text, proposedPath());
    QCOMPARE(prompter.calls.last().filter, QStringLiteral("*.png"));
    QVERIFY(prompter.calls.last().parent == &d);
    // The proposed folder is there for the dialog to open in.
    QVERIFY(QFileInfo(QFileInfo(proposedPath()).path()).isDir());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toString(), path);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());

    const QImage picture(path);
    QCOMPARE(picture.size(), QSize(400, 300));
    QCOMPARE(picture.pixelColor(10, 10), QColor(Qt::red));    // the screenshot
    QCOMPARE(picture.pixelColor(100, 100), QColor(Qt::blue)); // the stroke
    QCOMPARE(picture.pixelColor(250, 100), QColor(Qt::red));  // erased: screenshot again
    QCOMPARE(picture.pixelColor(250, 106), QColor(Qt::red));  // eraser beyond the stroke
    QCOMPARE(picture.pixelColor(100, 200), QColor(Qt::red));  // cleared
}

// A click in capture mode saves the whole screen, or the selection made
// before; a cancelled save question keeps the dialog and saves nothing.
void TestScreenCapture::clickWithoutDrag_data()
{
    QTest::addColumn<bool>("selectFirst");
    QTest::newRow("whole screen") << false;
    QTest::newRow("previous selection") << true;
}

void TestScreenCapture::clickWithoutDrag()
{
    QFETCH(bool, selectFirst);
    vc::test::ScriptedPrompter prompter;
    QTemporaryDir dir;
    ScreenCapture d(screen());
    d.show();
    QSignalSpy saved(&d, &ScreenCapture::callback);
    if (selectFirst) {
        drag(&d, QPoint(10, 20), QPoint(109, 69)); // the question is cancelled
        QCOMPARE(prompter.count(QStringLiteral("save")), 1);
        QVERIFY(d.isVisible());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(d.selection(), QRect(10, 20, 100, 50));
    }
    const QString path = dir.filePath(QStringLiteral("click.png"));
    prompter.fileNames.enqueue(path);
    click(&d, QPoint(600, 500));
    QCOMPARE(saved.count(), 1);
    const QSize whole = screen()->geometry().size() * screen()->devicePixelRatio();
    QCOMPARE(QImage(path).size(), selectFirst ? QSize(100, 50) : whole);
}

// The slider and the spin box keep the pen width in step; the cursor shows
// the width in the pen and eraser modes and is a cross for capturing.
void TestScreenCapture::widthControlsInStep_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("bySlider");
    QTest::addColumn<int>("width");
    QTest::newRow("pen, slider") << QStringLiteral("pen_BTN") << true << 12;
    QTest::newRow("pen, spin box, smallest") << QStringLiteral("pen_BTN") << false << 3;
    QTest::newRow("eraser, spin box") << QStringLiteral("era_BTN") << false << 7;
    QTest::newRow("eraser, slider, largest") << QStringLiteral("era_BTN") << true << 20;
    QTest::newRow("capture, slider") << QStringLiteral("cap_BTN") << true << 9;
}

void TestScreenCapture::widthControlsInStep()
{
    QFETCH(QString, tool);
    QFETCH(bool, bySlider);
    QFETCH(int, width);
    vc::test::ScriptedPrompter prompter;
    ScreenCapture d(screen());
    auto *slider = control<QSlider>(d, "size_slide");
    auto *spin = control<QSpinBox>(d, "PenSize");
    QCOMPARE(slider->value(), 5);
    QCOMPARE(spin->value(), 5);
    QCOMPARE(d.cursor().shape(), Qt::CrossCursor);

    // Pen first, so that each row also switches away from another tool.
    control<QPushButton>(d, "pen_BTN")->click();
    control<QPushButton>(d, tool.toLatin1().constData())->click();
    int checked = 0;
    for (const char *name : {"cap_BTN", "pen_BTN", "era_BTN"})
        checked += control<QPushButton>(d, name)->isChecked();
    QCOMPARE(checked, 1);

    if (bySlider)
        slider->setValue(width);
    else
        spin->setValue(width);
    QCOMPARE(slider->value(), width);
    QCOMPARE(spin->value(), width);

    const QCursor cursor = d.cursor();
    if (tool == QLatin1String("cap_BTN")) {
        QCOMPARE(cursor.shape(), Qt::CrossCursor);
        return;
    }
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    const QImage shape = cursor.pixmap().toImage();
    QCOMPARE(shape.size(), QSize(width + 1, width + 1));
    QCOMPARE(cursor.hotSpot(), QPoint(width / 2, width / 2));
    // The pen shows a dot of its colour, the eraser an outline only.
    const int centreAlpha = shape.pixelColor(width / 2, width / 2).alpha();
    QCOMPARE(centreAlpha > 0, tool == QLatin1String("pen_BTN"));
}

// A save that cannot be written is said; the editor gets no path and the
// dialog stays for another try.
void TestScreenCapture::failedSaveKeepsDialog()
{
    vc::test::ScriptedPrompter prompter;
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file.txt"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    ScreenCapture d(screen());
    d.show();
    QSignalSpy saved(&d, &ScreenCapture::callback);

    const QString bad = blocker + QStringLiteral("/shot.png");
    prompter.fileNames.enqueue(bad);
    click(&d, QPoint(5, 5));
    QCOMPARE(saved.count(), 0);
    QVERIFY(d.isVisible());
    QCOMPARE(prompter.messageTexts().size(), 1);
    QVERIFY(prompter.messageTexts().first().contains(QDir::toNativeSeparators(bad)));
    QVERIFY(prompter.calls.last().parent == &d);
    QVERIFY(!QFileInfo::exists(bad));

    const QString good = dir.filePath(QStringLiteral("new/shot.png"));
    prompter.fileNames.enqueue(good);
    click(&d, QPoint(5, 5));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toString(), good);
    QVERIFY(QFileInfo(good).isFile());
    QVERIFY(!d.isVisible());
}

// The dialog ends without a picture when the tool window is closed, and
// does not start on a screen that gave nothing.
void TestScreenCapture::dialogEnds()
{
    vc::test::ScriptedPrompter prompter;
    {
        ScreenCapture d(screen());
        d.show();
        auto *dock = control<QDockWidget>(d, "dockWidget");
        QVERIFY(dock->isFloating());
        QVERIFY(dock->isVisible());
        QVERIFY(dock->maximumWidth() <= 999 && dock->maximumHeight() <= 98);
        dock->close();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }
    QWidget editor;
    ScreenCapture none(nullptr, &editor);
    QVERIFY(!none.hasScreenshot());
    QCOMPARE(none.run(), int(QDialog::Rejected));
    QCOMPARE(prompter.count(QStringLiteral("exec")), 0);
    QCOMPARE(prompter.messageTexts().size(), 1);
    QVERIFY(prompter.calls.last().parent == &editor);
}

// The capture button of the editor: the editor is out of sight while its
// screen is grabbed, a saved capture becomes the picture pattern, and the
// editor comes back where it was. A failed or cancelled save loads nothing.
void TestScreenCapture::captureButton_data()
{
    QTest::addColumn<QString>("answer"); // the save question's answer
    QTest::addColumn<bool>("loaded");
    QTest::newRow("saved") << QStringLiteral("shot.png") << true;
    QTest::newRow("not written") << QStringLiteral("file.txt/shot.png") << false;
    QTest::newRow("cancelled") << QString() << false;
}

void TestScreenCapture::captureButton()
{
    QFETCH(QString, answer);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    Backdrop green(screen()->geometry(), Qt::green);
    vc::test::clearSettings();
    // A prop with LEDs, for the picture to have a pattern.
    vc::settings::open().setValue(vc::settings::Gadget, 3);
    vc::test::ShownWindow e;
    const QRect before = e.w.geometry();
    const QString path = answer.isEmpty() ? QString() : dir.filePath(answer);
    bool editorHidden = false;
    e.prompter.onExec = [&](QDialog *dialog) {
        editorHidden = !e.w.isVisible();
        if (!path.isEmpty())
            e.prompter.fileNames.enqueue(path);
        click(dialog, QPoint(5, 5)); // the whole screen
        if (dialog->isVisible() || dialog->result() != QDialog::Accepted)
            dialog->reject();
        return dialog->result();
    };
    e.ui()->Pic_Capture->click();
    QCOMPARE(e.prompter.count(QStringLiteral("exec")), 1);
    QVERIFY(e.prompter.calls.first().parent == &e.w);
    QVERIFY(editorHidden);
    QVERIFY(e.w.isVisible());
    QCOMPARE(e.w.geometry(), before);
    QCOMPARE(e.ui()->PicDir->text(), loaded ? path : QStringLiteral("..."));
    QCOMPARE(e.w.pictureTab()->hasPicture(), loaded);
    QCOMPARE(e.prompter.messageTexts().size(), answer.contains(QLatin1String("file.txt")) ? 1 : 0);
    if (loaded) {
        // The editor was out of the picture: where it stood, the screen
        // beneath it shows.
        const QImage picture(path);
        QCOMPARE(picture.pixelColor(before.center()), QColor(Qt::green));
    }
}

VC_TEST_MAIN(TestScreenCapture)
#include "tst_screencapture.moc"
