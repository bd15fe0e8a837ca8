#include "core/app/appsettings.h"
#include "core/model/moderecord.h"
#include "core/model/patternparams.h"
#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "core/render/effectgenerator.h"
#include "core/render/picturepattern.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"
#include "gui/app/mainwindow.h"
#include "gui/model/editorpanel.h"
#include "gui/render/effecttab.h"
#include "gui/render/mygl.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"
#include "testsupport/pixels.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/tabrigs.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFontComboBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <memory>

using namespace vc;

using vc::test::countColour;

namespace {

QSize shownPixmapSize(QGraphicsView *view)
{
    if (!view->scene())
        return {};
    const QList<QGraphicsItem *> items = view->scene()->items();
    if (items.size() != 1)
        return {};
    auto *item = qgraphicsitem_cast<QGraphicsPixmapItem *>(items.first());
    return item ? item->pixmap().size() : QSize();
}

// A control by its form name under one of roots.
template <typename T> T *find(const QList<const QObject *> &roots, const QString &name)
{
    for (const QObject *root : roots)
        if (T *found = root->findChild<T *>(name))
            return found;
    return nullptr;
}

template <typename T> T *find(const QList<const QObject *> &roots, const char *name)
{
    return find<T>(roots, QString::fromLatin1(name));
}

// The layout the text tab's controls (found by name under roots) describe.
TextLayout layoutOf(const QList<const QObject *> &root, const Show &show, const QString &text)
{
    TextLayout l;
    l.text = text;
    l.family = find<QComboBox>(root, "fontComboBox")->currentText();
    l.fontSizeIndex = find<QComboBox>(root, "Font_size")->currentIndex();
    l.widthFactor = find<QSlider>(root, "Text_slide")->value();
    l.front = show.colour1();
    l.back = show.colour2();
    l.revH = find<QCheckBox>(root, "Text_revH")->isChecked();
    l.revV = find<QCheckBox>(root, "Text_revV")->isChecked();
    return l;
}

TextLayout layoutOf(const test::TextRig &rig, const QString &text)
{
    return layoutOf({&rig.host}, rig.show, text);
}

// A picture whose left half is red and right half is blue, so that
// mirroring shows.
QString writeHalves(const QTemporaryDir &dir, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter(&img).fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(),
                            Qt::blue);
    const QString path = dir.filePath(QStringLiteral("halves.png"));
    img.save(path);
    return path;
}

QImage rgb(const QImage &img)
{
    return img.convertToFormat(QImage::Format_RGB32);
}

// The whole main window, for what passes between the tabs and the rest of
// it: the preview, the repeat count, the speed.
struct Window
{
    Window() : w(std::make_unique<MainWindow>()), ui(w->form())
    {
        ui->Leds->setEnabled(true);
        ui->Leds->setValue(80);
        ui->FPS_V->setValue(1333);
    }
    std::unique_ptr<MainWindow> w;
    Ui::MainWindow *ui;
};

// The three tabs as one test reaches them: on rigs, or in the window.
struct Tabs
{
    QList<const QObject *> roots; // where the controls are found by name
    Show *show;
    EffectTab *effect;
    TextTab *text;
    PictureTab *picture;
};

// The controls' start: colour 1 and colour 2, and a picture of 200 x 100.
const QColor StartFront(200, 100, 50);
const QColor StartBack(5, 10, 20);
const QColor DialogAnswer(1, 2, 3);

// Works a control found by its form name: a click, a value, a text, or a
// hover over a drop-down entry.
void poke(const QList<const QObject *> &roots, const QString &name, const QString &action,
          int value, const QString &text)
{
    QWidget *w = find<QWidget>(roots, name);
    QVERIFY2(w, qPrintable(name));
    if (action == QLatin1String("click")) {
        qobject_cast<QAbstractButton *>(w)->click();
    } else if (action == QLatin1String("text")) {
        qobject_cast<QLineEdit *>(w)->setText(text);
    } else if (action == QLatin1String("hover")) {
        // What the drop-down list reports while the pointer rests on an entry.
        emit qobject_cast<QComboBox *>(w)->highlighted(value);
    } else if (auto *box = qobject_cast<QSpinBox *>(w)) {
        box->setValue(value);
    } else if (auto *slider = qobject_cast<QAbstractSlider *>(w)) {
        slider->setValue(value);
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        combo->setCurrentIndex(value);
    } else {
        QFAIL(qPrintable(QStringLiteral("cannot work ") + name));
    }
}

// The pattern the picture tab's controls describe for the picture at path,
// from a start with no gap.
QImage picturePattern(const QList<const QObject *> &root, const QString &path, int leds)
{
    const PicturePattern built = buildPicturePattern(
        readPictureForLeds(path, leds).image, find<QCheckBox>(root, "Pic_revH")->isChecked(),
        find<QCheckBox>(root, "Pic_revV")->isChecked(), leds, 0);
    const int gap = find<QSlider>(root, "Pic_Slide")->value();
    return gap == 0 ? built.pattern : regapPicturePattern(built, leds, gap).pattern;
}

} // namespace

class TestPatternTabs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // One table of controls, worked on the tabs' own widgets and through
    // the window's slots.
    void rigsStartAsTheForm();
    void controlsOnOwnWidgets_data();
    void controlsOnOwnWidgets();
    void controlsThroughWindow_data();
    void controlsThroughWindow();
    // Through the window: a new pattern reaches the preview with the
    // repeat count the editor panel fits to it.
    void patternReachesPreview_data();
    void patternReachesPreview();

    void effectRefresh();
    void effectRepeatCount();
    void effectControlsRedraw();
    void effectColourControls();
    void effectColourDialog_data();
    void effectColourDialog();
    void effectSwap();
    void effectRandomise();
    void randomEffectSetsSpeed();
    void effectHighlighted();
    void effectRestore();
    void coloursFollowTheShow();

    void textReservedTyping();
    void textFontSizeOne();
    void textSwap();
    void textView();
    void textColourControls();
    void textColourDialog();
    void textRestore();
    void textEmpty();
    void textFontIndexes();

    void pictureLoadAndGap();
    void pictureRefused();
    void pictureOpenSeveral();
    void pictureRefresh();

private:
    void runControl(const Tabs &tabs);

    std::unique_ptr<test::ScriptedPrompter> m_prompter;
};

void TestPatternTabs::init()
{
    test::clearSettings();
    m_prompter = std::make_unique<test::ScriptedPrompter>();
}

void TestPatternTabs::cleanup()
{
    m_prompter.reset();
}

// The rigs' widgets stand in for the form's: same names, same kinds, same
// ranges, entries and starting values.
void TestPatternTabs::rigsStartAsTheForm()
{
    Window win;
    test::EffectRig effect;
    test::TextRig text;
    test::PictureRig picture;
    int compared = 0;
    for (const test::TabRig *rig :
         {static_cast<test::TabRig *>(&effect), static_cast<test::TabRig *>(&text),
          static_cast<test::TabRig *>(&picture)}) {
        for (const QWidget *own : rig->host.findChildren<QWidget *>()) {
            // Unnamed, or a part of a Qt widget.
            if (own->objectName().isEmpty() || own->objectName().startsWith(QLatin1String("qt_")))
                continue;
            const QString name = own->objectName();
            const QWidget *form = win.w->findChild<QWidget *>(name);
            QVERIFY2(form, qPrintable(name));
            QVERIFY2(form->inherits(own->metaObject()->className()), qPrintable(name));
            QCOMPARE(own->testAttribute(Qt::WA_ForceDisabled),
                     form->testAttribute(Qt::WA_ForceDisabled));
            for (const char *property : {"minimum", "maximum", "value", "orientation", "checked",
                                         "checkable", "tristate", "count", "currentIndex"}) {
                if (own->metaObject()->indexOfProperty(property) >= 0)
                    QVERIFY2(own->property(property) == form->property(property),
                             qPrintable(name + QLatin1Char('.') + QLatin1String(property)));
            }
            if (qobject_cast<const QLineEdit *>(own) || qobject_cast<const QLabel *>(own))
                QCOMPARE(own->property("text"), form->property("text"));
            if (auto *combo = qobject_cast<const QComboBox *>(own)) {
                auto *formCombo = qobject_cast<const QComboBox *>(form);
                for (int i = 0; i < combo->count(); ++i)
                    QCOMPARE(combo->itemText(i), formCombo->itemText(i));
            }
            ++compared;
        }
    }
    QCOMPARE(compared, 41);
}

void TestPatternTabs::controlsOnOwnWidgets_data()
{
    QTest::addColumn<QString>("tab"); // the tab that draws again
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("action"); // click, value, text, hover
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("front"); // colours after
    QTest::addColumn<QColor>("back");
    QTest::addColumn<int>("red"); // the tab's red spin box after; -1: none

    const QColor F = StartFront, B = StartBack;
    auto row = [&](const char *name, const char *tab, const char *control, const char *action,
                   int value, const QColor &front, const QColor &back, int red) {
        QTest::newRow(name) << tab << control << action << value << QString() << front << back
                            << red;
    };
    row("effect", "effect", "Spe_comboBox", "value", EffectGenerator::Meteor, F, B, 200);
    row("effect hovered", "effect", "Spe_comboBox", "hover", EffectGenerator::Box, F, B, 200);
    row("effect red slider", "effect", "Spe_rslide", "value", 7, QColor(7, 100, 50), B, 7);
    row("effect green slider", "effect", "Spe_gslide", "value", 7, QColor(200, 7, 50), B, 200);
    row("effect blue slider", "effect", "Spe_bslide", "value", 7, QColor(200, 100, 7), B, 200);
    row("effect red number", "effect", "Spe_rnum", "value", 7, QColor(7, 100, 50), B, 7);
    row("effect green number", "effect", "Spe_gnum", "value", 7, QColor(200, 7, 50), B, 200);
    row("effect blue number", "effect", "Spe_bnum", "value", 7, QColor(200, 100, 7), B, 200);
    row("effect width", "effect", "Spe_width", "value", 3, F, B, 200);
    row("effect mirrored", "effect", "Spe_revH", "click", 0, F, B, 200);
    row("effect upside down", "effect", "Spe_revV", "click", 0, F, B, 200);
    row("effect three colours", "effect", "Spe_color3", "click", 0, F, B, 200);
    row("effect back chosen", "effect", "Spe_back", "click", 0, F, B, 5);
    row("effect colour dialog", "effect", "Color_dialog_2", "click", 0, DialogAnswer, B, 1);
    // The selection moves to the back button, which now holds the old front.
    row("effect swap", "effect", "Color_Exc2", "click", 0, B, F, 200);

    QTest::newRow("text typed") << "text"
                                << "text_Edit"
                                << "text" << 0 << "Yo" << F << B << 200;
    row("text font", "text", "fontComboBox", "value", 1, F, B, 200);
    row("text size", "text", "Font_size", "value", 3, F, B, 200);
    row("text width", "text", "Text_slide", "value", 7, F, B, 200);
    row("text mirrored", "text", "Text_revH", "click", 0, F, B, 200);
    row("text upside down", "text", "Text_revV", "click", 0, F, B, 200);
    row("text red slider", "text", "text_rslide", "value", 7, QColor(7, 100, 50), B, 7);
    row("text green slider", "text", "text_gslide", "value", 7, QColor(200, 7, 50), B, 200);
    row("text blue slider", "text", "text_bslide", "value", 7, QColor(200, 100, 7), B, 200);
    row("text red number", "text", "text_rnum", "value", 7, QColor(7, 100, 50), B, 7);
    row("text green number", "text", "text_gnum", "value", 7, QColor(200, 7, 50), B, 200);
    row("text blue number", "text", "text_bnum", "value", 7, QColor(200, 100, 7), B, 200);
    row("text back chosen", "text", "text_bcolor", "click", 0, F, B, 5);
    row("text colour dialog", "text", "Color_dialog", "click", 0, DialogAnswer, B, 1);
    row("text swap", "text", "Color_Exc", "click", 0, B, F, 200);

    row("picture mirrored", "picture", "Pic_revH", "click", 0, F, B, -1);
    row("picture upside down", "picture", "Pic_revV", "click", 0, F, B, -1);
    row("picture gap", "picture", "Pic_Slide", "value", 40, F, B, -1);
}

// Works one control of the table: only its own tab draws again, the pattern
// it announces is the one its controls describe, and the show's colours and
// the tab's spin boxes are as expected.
void TestPatternTabs::runControl(const Tabs &tabs)
{
    QFETCH(QString, tab);
    QFETCH(QString, control);
    QFETCH(QString, action);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(QColor, front);
    QFETCH(QColor, back);
    QFETCH(int, red);

    QTemporaryDir dir;
    const QString picture = writeHalves(dir, QSize(200, 100));
    tabs.show->setColours(StartFront, StartBack);
    tabs.effect->refresh();
    find<QLineEdit>(tabs.roots, "text_Edit")->setText(QStringLiteral("Hi"));
    tabs.text->refresh();
    tabs.picture->picload(picture);
    QVERIFY(tabs.picture->hasPicture());
    m_prompter->colours.enqueue(DialogAnswer);

    QSignalSpy effectSpy(tabs.effect, &EffectTab::patternChanged);
    QSignalSpy textSpy(tabs.text, &TextTab::patternChanged);
    QSignalSpy pictureSpy(tabs.picture, &PictureTab::patternChanged);
    poke(tabs.roots, control, action, value, text);
    if (QTest::currentTestFailed())
        return;

    const int leds = tabs.show->leds();
    QImage drawn;
    QImage expected;
    QSignalSpy *spy = nullptr;
    if (tab == QLatin1String("effect")) {
        spy = &effectSpy;
        drawn = tabs.effect->pattern();
        expected = EffectGenerator::generate(tabs.effect->settings());
    } else if (tab == QLatin1String("text")) {
        spy = &textSpy;
        drawn = tabs.text->pattern();
        const QString typed = find<QLineEdit>(tabs.roots, "text_Edit")->text();
        expected = renderText(layoutOf(tabs.roots, *tabs.show, typed));
    } else {
        spy = &pictureSpy;
        drawn = tabs.picture->pattern().toImage();
        expected = picturePattern(tabs.roots, picture, leds);
    }
    QCOMPARE(effectSpy.count() + textSpy.count() + pictureSpy.count(), spy->count());
    QVERIFY(spy->count() > 0);
    QCOMPARE(rgb(drawn), rgb(expected));
    const QList<QVariant> last = spy->last();
    QCOMPARE(rgb(qvariant_cast<QPixmap>(last.at(0)).toImage()), rgb(drawn));
    QCOMPARE(last.at(1).toInt(), patternWidth(drawn.size(), leds));

    QCOMPARE(tabs.show->colour1(), front);
    QCOMPARE(tabs.show->colour2(), back);
    if (red >= 0) {
        const char *number = tab == QLatin1String("effect") ? "Spe_rnum" : "text_rnum";
        QCOMPARE(find<QSpinBox>(tabs.roots, number)->value(), red);
    }
}

void TestPatternTabs::controlsOnOwnWidgets()
{
    // One show for the three tabs, as in the window.
    test::EffectRig effect;
    test::TextRig text(&effect.show);
    test::PictureRig picture(&effect.show);
    runControl({{&effect.host, &text.host, &picture.host},
                &effect.show,
                effect.tab,
                text.tab,
                picture.tab});
}

void TestPatternTabs::controlsThroughWindow_data()
{
    controlsOnOwnWidgets_data();
}

void TestPatternTabs::controlsThroughWindow()
{
    Window win;
    runControl({{win.w.get()},
                win.w->document(),
                win.w->effectTab(),
                win.w->textTab(),
                win.w->pictureTab()});
}

void TestPatternTabs::patternReachesPreview_data()
{
    QTest::addColumn<int>("kind"); // the tab in front
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("automatic"); // the repeat count follows the pattern

    QTest::newRow("effect") << int(Effect) << "Spe_width"
                            << "value" << 3 << QString() << true;
    QTest::newRow("effect, count by hand") << int(Effect) << "Spe_width"
                                           << "value" << 3 << QString() << false;
    QTest::newRow("text") << int(Text) << "text_Edit"
                          << "text" << 0 << "Yo" << true;
    // No pattern: the count is held to its range.
    QTest::newRow("text emptied") << int(Text) << "text_Edit"
                                  << "text" << 0 << QString() << true;
    QTest::newRow("picture gap") << int(Picture) << "Pic_Slide"
                                 << "value" << 40 << QString() << true;
    QTest::newRow("picture mirrored, count by hand") << int(Picture) << "Pic_revH"
                                                     << "click" << 0 << QString() << false;
}

void TestPatternTabs::patternReachesPreview()
{
    QFETCH(int, kind);
    QFETCH(QString, control);
    QFETCH(QString, action);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(bool, automatic);
    Window win;
    Ui::MainWindow *ui = win.ui;
    QTemporaryDir dir;
    win.w->picload(writeHalves(dir, QSize(200, 100)));
    ui->Mode_Pic->setCurrentIndex(kind);
    ui->Mode_last->setValue(4.0);
    ui->Speed_slide->setValue(12);
    if (!automatic) {
        ui->speedAutoCheckBox->setChecked(false);
        ui->Mode_loop->setValue(7);
    }

    poke({win.w.get()}, control, action, value, text);
    if (QTest::currentTestFailed())
        return;

    QImage pattern;
    int width = 0;
    if (kind == Effect) {
        pattern = win.w->effectTab()->pattern();
        width = win.w->effectTab()->patternWidth();
    } else if (kind == Text) {
        pattern = win.w->textTab()->pattern();
        width = win.w->textTab()->patternWidth();
    } else {
        pattern = win.w->pictureTab()->pattern().toImage();
        width = win.w->pictureTab()->patternWidth();
    }
    QCOMPARE(text.isEmpty() && kind == Text, pattern.isNull());
    QCOMPARE(rgb(ui->GLWidget->pattern().toImage()), rgb(pattern));
    QCOMPARE(win.w->editor()->patternWidth(), width);
    QCOMPARE(ui->speedAutoCheckBox->isChecked(), automatic);
    const int loops = automatic ? repeatSuggestion(4.0, 12, 1333.0f, width) : 7;
    QCOMPARE(ui->Mode_loop->value(), loops);
    if (kind == Text && text.isEmpty())
        QCOMPARE(loops, MinLoops);
    // The preview plays the pattern with the count already fitted to it.
    QCOMPARE(ui->GLWidget->preview().loops(), loops);
}

void TestPatternTabs::effectRefresh()
{
    test::EffectRig rig;
    rig.widget<QRadioButton>("Spe_back")->setChecked(true);
    rig.tab->refresh();
    QVERIFY(rig.widget<QRadioButton>("Spe_front")->isChecked());
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 255);
    const QImage expected = EffectGenerator::generate(rig.tab->settings());
    QCOMPARE(rig.tab->pattern(), expected);
    // W: the 300 x 150 pattern at the LED count's height.
    QCOMPARE(rig.tab->patternWidth(), 160);
    QCOMPARE(shownPixmapSize(rig.widget<QGraphicsView>("Spe_show")), QSize(300, 150));
    QCOMPARE(rig.announced.last().pattern.toImage().convertToFormat(QImage::Format_RGB32),
             expected);
    QCOMPARE(rig.announced.last().width, 160);

    rig.show.setLeds(36);
    rig.tab->refresh();
    QCOMPARE(rig.tab->patternWidth(), 72);
    QCOMPARE(rig.announced.last().width, 72);
}

void TestPatternTabs::effectRepeatCount()
{
    Window win;
    Ui::MainWindow *ui = win.ui;
    ui->Mode_last->setValue(5.0);
    ui->Speed_slide->setValue(10);
    ui->speedAutoCheckBox->setChecked(true);
    win.w->effectTab()->refresh();
    // 5 s x 10 x 1000 / (160 x 10) + 0.5
    QCOMPARE(ui->Mode_loop->value(), 31);
    QCOMPARE(ui->GLWidget->pattern().toImage().convertToFormat(QImage::Format_RGB32),
             EffectGenerator::generate(win.w->effectTab()->settings()));

    ui->FPS_V->setValue(2100);
    win.w->effectTab()->regenerate();
    QCOMPARE(ui->Mode_loop->value(), repeatSuggestion(5.0, 10, 2100.0f, 160));

    // A repeat count set by hand stays.
    ui->speedAutoCheckBox->setChecked(false);
    ui->Mode_loop->setValue(7);
    win.w->effectTab()->regenerate();
    QCOMPARE(ui->Mode_loop->value(), 7);
}

void TestPatternTabs::effectControlsRedraw()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    auto current = [&] { return EffectGenerator::generate(tab->settings()); };

    rig.widget<QComboBox>("Spe_comboBox")->setCurrentIndex(EffectGenerator::Box);
    QCOMPARE(tab->pattern(), current());
    rig.widget<QSpinBox>("Spe_width")->setValue(10);
    QCOMPARE(tab->pattern(), current());
    rig.widget<QCheckBox>("Spe_revH")->click();
    QVERIFY(tab->settings().revH);
    QCOMPARE(tab->pattern(), current());
    rig.widget<QCheckBox>("Spe_revV")->click();
    QCOMPARE(tab->pattern(), current());
    auto *scheme = rig.widget<QCheckBox>("Spe_color3");
    scheme->click();
    QCOMPARE(tab->settings().scheme, 1);
    QCOMPARE(tab->pattern(), current());
    scheme->click();
    QCOMPARE(tab->settings().scheme, 2);
    QCOMPARE(tab->pattern(), current());
}

void TestPatternTabs::effectColourControls()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    // Front selected: the controls edit colour 1.
    rig.widget<QSlider>("Spe_rslide")->setValue(10);
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 10);
    QCOMPARE(rig.show.colour1(), QColor(10, 255, 255));
    QCOMPARE(rig.show.colour2(), QColor(0, 0, 0));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));

    // Back selected: the spin boxes show colour 2 and edit it.
    rig.widget<QRadioButton>("Spe_back")->setChecked(true);
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 0);
    QCOMPARE(rig.widget<QSlider>("Spe_gslide")->value(), 0);
    rig.widget<QSpinBox>("Spe_gnum")->setValue(200);
    QCOMPARE(rig.widget<QSlider>("Spe_gslide")->value(), 200);
    QCOMPARE(rig.show.colour2(), QColor(0, 200, 0));
    QCOMPARE(rig.show.colour1(), QColor(10, 255, 255));
    QCOMPARE(tab->settings().back, QColor(0, 200, 0));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));

    rig.widget<QRadioButton>("Spe_front")->setChecked(true);
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 10);
    QCOMPARE(rig.widget<QSpinBox>("Spe_gnum")->value(), 255);
}

void TestPatternTabs::effectColourDialog_data()
{
    QTest::addColumn<bool>("back");
    QTest::addColumn<QColor>("answer"); // invalid: cancelled
    QTest::newRow("front chosen") << false << QColor(1, 2, 3);
    QTest::newRow("back chosen") << true << QColor(4, 5, 6);
    QTest::newRow("front cancelled") << false << QColor();
    QTest::newRow("back cancelled") << true << QColor();
}

void TestPatternTabs::effectColourDialog()
{
    QFETCH(bool, back);
    QFETCH(QColor, answer);
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    rig.show.setColours(QColor(200, 100, 50), QColor(5, 10, 20));
    if (back)
        rig.widget<QRadioButton>("Spe_back")->setChecked(true);
    if (answer.isValid())
        m_prompter->colours.enqueue(answer);
    rig.widget<QPushButton>("Color_dialog_2")->click();

    QCOMPARE(m_prompter->count(QStringLiteral("color")), 1);
    const auto &call = m_prompter->calls.last();
    QCOMPARE(call.title, QStringLiteral("選擇顏色"));
    QCOMPARE(call.text, (back ? QColor(5, 10, 20) : QColor(200, 100, 50)).name());
    QVERIFY(call.parent == &rig.host);
    const QColor front = !back && answer.isValid() ? answer : QColor(200, 100, 50);
    const QColor background = back && answer.isValid() ? answer : QColor(5, 10, 20);
    QCOMPARE(rig.show.colour1(), front);
    QCOMPARE(rig.show.colour2(), background);
    if (answer.isValid())
        QCOMPARE(rig.widget<QSpinBox>("Spe_bnum")->value(), answer.blue());
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
}

void TestPatternTabs::effectSwap()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    rig.widget<QComboBox>("Spe_comboBox")->setCurrentIndex(EffectGenerator::Jump);
    auto *swap = rig.widget<QPushButton>("Color_Exc2");
    swap->click();
    QCOMPARE(rig.show.colour1(), QColor(0, 0, 0));
    QCOMPARE(rig.show.colour2(), QColor(255, 255, 255));
    // The selection moved to the other button: the numbers stay.
    QVERIFY(rig.widget<QRadioButton>("Spe_back")->isChecked());
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 255);
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
    QCOMPARE(QColor(tab->pattern().pixel(250, 10)), QColor(0, 0, 0)); // mirrored: F on the right

    swap->click();
    QVERIFY(rig.widget<QRadioButton>("Spe_front")->isChecked());
    QCOMPARE(rig.show.colour1(), QColor(255, 255, 255));
    QCOMPARE(rig.widget<QSpinBox>("Spe_rnum")->value(), 255);
}

void TestPatternTabs::effectRandomise()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    rig.widget<QRadioButton>("Spe_back")->setChecked(true);
    for (quint32 seed : {1u, 77u, 4242u}) {
        rig.random.seed(seed);
        QRandomGenerator ref(seed);
        const int width = int(ref.bounded(10u)) + 1;
        const int scheme = int(ref.bounded(3u));
        const bool revH = ref.bounded(2u);
        const bool revV = ref.bounded(2u);
        const int b1 = int(ref.bounded(256u)), b2 = int(ref.bounded(256u)),
                  b3 = int(ref.bounded(256u));
        const int r = int(ref.bounded(256u)), g = int(ref.bounded(256u)),
                  b = int(ref.bounded(256u));
        const int effect = int(ref.bounded(14u));
        const int speed = int(ref.bounded(17u)) + 2;

        rig.randomSpeeds.clear();
        rig.announced.clear();
        rig.widget<QPushButton>("Spe_random")->click();
        // The speed is announced once, before any pattern of the new effect.
        QCOMPARE(rig.randomSpeeds, QList<int>{speed});
        QVERIFY(rig.widget<QRadioButton>("Spe_front")->isChecked());
        QCOMPARE(rig.widget<QSpinBox>("Spe_width")->value(), width);
        QCOMPARE(int(rig.widget<QCheckBox>("Spe_color3")->checkState()), scheme);
        QCOMPARE(rig.widget<QCheckBox>("Spe_revH")->isChecked(), revH);
        QCOMPARE(rig.widget<QCheckBox>("Spe_revV")->isChecked(), revV);
        // Background from the first three draws, blue first.
        QCOMPARE(rig.show.colour2(), QColor(b3, b2, b1));
        QCOMPARE(rig.show.colour1(), QColor(r, g, b));
        QCOMPARE(rig.widget<QComboBox>("Spe_comboBox")->currentIndex(), effect);
        QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
        QCOMPARE(rig.announced.last().pattern.toImage().convertToFormat(QImage::Format_RGB32),
                 tab->pattern());
    }
}

// The random effect's speed reaches the editor panel: automatic repeat
// count at that speed.
void TestPatternTabs::randomEffectSetsSpeed()
{
    Window win;
    Ui::MainWindow *ui = win.ui;
    ui->Mode_Pic->setCurrentIndex(Effect);
    ui->speedAutoCheckBox->setChecked(false);
    ui->Mode_loop->setValue(3);
    for (quint32 seed : {1u, 77u}) {
        win.w->random().seed(seed);
        QRandomGenerator ref(seed);
        // The effect's own draws come first: width, scheme, flips, colours
        // and the effect.
        ref.bounded(10u);
        ref.bounded(3u);
        ref.bounded(2u);
        ref.bounded(2u);
        for (int i = 0; i < 6; ++i)
            ref.bounded(256u);
        ref.bounded(14u);
        const int speed = int(ref.bounded(17u)) + 2;

        ui->Spe_random->click();
        QVERIFY(ui->speedAutoCheckBox->isChecked());
        QCOMPARE(ui->Speed_slide->value(), speed);
        QCOMPARE(ui->Mode_loop->value(), repeatSuggestion(ui->Mode_last->value(), speed, 1333.0f,
                                                          win.w->effectTab()->patternWidth()));
        QCOMPARE(ui->GLWidget->preview().loops(), ui->Mode_loop->value());
    }
}

void TestPatternTabs::effectHighlighted()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    tab->refresh();
    auto *combo = rig.widget<QComboBox>("Spe_comboBox");
    emit combo->highlighted(EffectGenerator::Meteor);
    QCOMPARE(combo->currentIndex(), int(EffectGenerator::Meteor));
    QCOMPARE(tab->settings().effect, int(EffectGenerator::Meteor));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
}

void TestPatternTabs::effectRestore()
{
    test::EffectRig rig;
    EffectTab *tab = rig.tab;
    rig.widget<QRadioButton>("Spe_back")->setChecked(true);
    const QString params = QStringLiteral("3?4?#102030|#405060|8|2|3?0|1|1");
    QVERIFY(tab->restore(params));
    QCOMPARE(rig.show.colour1(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(rig.show.colour2(), QColor(0x40, 0x50, 0x60));
    QCOMPARE(rig.widget<QComboBox>("Spe_comboBox")->currentIndex(), 8);
    QCOMPARE(rig.widget<QCheckBox>("Spe_color3")->checkState(), Qt::Checked);
    QCOMPARE(rig.widget<QSpinBox>("Spe_width")->value(), 3);
    QVERIFY(rig.widget<QCheckBox>("Spe_revH")->isChecked());
    QVERIFY(rig.widget<QCheckBox>("Spe_revV")->isChecked());
    QVERIFY(rig.widget<QRadioButton>("Spe_front")->isChecked());
    QCOMPARE(rig.widget<QSpinBox>("Spe_gnum")->value(), 0x20);
    QCOMPARE(rig.widget<QSlider>("Spe_gslide")->value(), 0x20);
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
    QCOMPARE(tab->params(4), params);

    // Not an effect: nothing changes.
    QVERIFY(!tab->restore(QStringLiteral("2?1?#ffffff|#000000|x|0|9?5|0|0")));
    QCOMPARE(tab->params(4), params);
}

// The colours are the show's: changed elsewhere (the colour tab, an opened
// mode), the spin boxes show the edited one at once, without a drawing of
// a tab that may not be in front.
void TestPatternTabs::coloursFollowTheShow()
{
    test::EffectRig effect;
    test::TextRig text;
    effect.tab->refresh();
    text.tab->refresh();
    text.widget<QRadioButton>("text_bcolor")->setChecked(true);
    effect.announced.clear();
    text.announced.clear();

    effect.show.setColour1(QColor(11, 22, 33));
    text.show.setColour2(QColor(44, 55, 66));
    QCOMPARE(effect.widget<QSpinBox>("Spe_rnum")->value(), 11);
    QCOMPARE(effect.widget<QSlider>("Spe_gslide")->value(), 22);
    QCOMPARE(effect.widget<QSpinBox>("Spe_bnum")->value(), 33);
    QCOMPARE(text.widget<QSpinBox>("text_rnum")->value(), 44);
    QCOMPARE(text.widget<QSlider>("text_bslide")->value(), 66);
    QVERIFY(effect.announced.isEmpty());
    QVERIFY(text.announced.isEmpty());
    // Showing is not editing: the other colour stays.
    QCOMPARE(effect.show.colour2(), QColor(0, 0, 0));
    QCOMPARE(text.show.colour1(), QColor(255, 255, 255));
}

void TestPatternTabs::textReservedTyping()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    auto *edit = rig.widget<QLineEdit>("text_Edit");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("a|b?"));
    QCOMPARE(edit->text(), QString::fromUtf8("a│b？"));
    QCOMPARE(edit->cursorPosition(), 4);
    QCOMPARE(tab->pattern(), renderText(layoutOf(rig, QString::fromUtf8("a│b？"))));

    // Typed in the middle, the cursor stays where the character went.
    edit->setText(QStringLiteral("xy"));
    edit->setCursorPosition(1);
    QTest::keyClicks(edit, QStringLiteral("?"));
    QCOMPARE(edit->text(), QString::fromUtf8("x？y"));
    QCOMPARE(edit->cursorPosition(), 2);
}

void TestPatternTabs::textFontSizeOne()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    auto *edit = rig.widget<QLineEdit>("text_Edit");
    edit->setText(QStringLiteral("Hello wide world"));
    rig.widget<QSlider>("Text_slide")->setValue(5);
    rig.widget<QComboBox>("Font_size")->setCurrentIndex(0); // "1"
    const QImage img = tab->pattern();
    const QSize bounds = TextPattern::measure(
        TextPattern::font(rig.widget<QComboBox>("fontComboBox")->currentText()), edit->text());
    QCOMPARE(img.size(), QSize(bounds.width() / 5, 10 * bounds.height()));
    // Short lines (two or three letters) in the upper part: the lowest
    // three tenths are colour 2 only.
    const QImage lower = img.copy(0, img.height() * 7 / 10, img.width(), img.height() * 3 / 10);
    QCOMPARE(countColour(lower, Qt::black), lower.width() * lower.height());
    QVERIFY(countColour(img, Qt::white) > 0);
}

void TestPatternTabs::textSwap()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    tab->refresh();
    rig.widget<QLineEdit>("text_Edit")->setText(QStringLiteral("Hi"));
    const QImage before = tab->pattern();
    QVERIFY(countColour(before, Qt::black) > countColour(before, Qt::white));

    rig.widget<QPushButton>("Color_Exc")->click();
    QCOMPARE(rig.show.colour1(), QColor(0, 0, 0));
    QCOMPARE(rig.show.colour2(), QColor(255, 255, 255));
    QVERIFY(rig.widget<QRadioButton>("text_bcolor")->isChecked());
    QCOMPARE(rig.widget<QSpinBox>("text_rnum")->value(), 255);
    QCOMPARE(rig.widget<QSlider>("text_gslide")->value(), 255);
    const QImage after = tab->pattern();
    QCOMPARE(after.size(), before.size());
    // Black text on white.
    QVERIFY(countColour(after, Qt::white) > countColour(after, Qt::black));
    QCOMPARE(countColour(after, Qt::white), countColour(before, Qt::black));
}

void TestPatternTabs::textView()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    rig.widget<QLineEdit>("text_Edit")->setText(QStringLiteral("View"));
    const QSize shown = shownPixmapSize(rig.widget<QGraphicsView>("text_View"));
    QCOMPARE(shown.height(), 120);
    const QSize full = tab->pattern().size();
    QVERIFY(qAbs(shown.width() - full.width() * 120.0 / full.height()) <= 1);
    QCOMPARE(tab->patternWidth(), patternWidth(full, 80));
    // What is announced (for the preview) is the full pattern, not the view's.
    QCOMPARE(rig.announced.last().pattern.size(), full);
    QCOMPARE(rig.announced.last().width, tab->patternWidth());
}

void TestPatternTabs::textColourControls()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    tab->refresh();
    rig.widget<QSlider>("text_rslide")->setValue(100);
    QCOMPARE(rig.widget<QSpinBox>("text_rnum")->value(), 100);
    QCOMPARE(rig.show.colour1(), QColor(100, 255, 255));
    rig.widget<QSpinBox>("text_bnum")->setValue(7);
    QCOMPARE(rig.widget<QSlider>("text_bslide")->value(), 7);
    QCOMPARE(rig.show.colour1(), QColor(100, 255, 7));

    rig.widget<QRadioButton>("text_bcolor")->setChecked(true);
    QCOMPARE(rig.widget<QSpinBox>("text_rnum")->value(), 0);
    rig.widget<QSpinBox>("text_gnum")->setValue(50);
    QCOMPARE(rig.show.colour2(), QColor(0, 50, 0));
    QCOMPARE(rig.show.colour1(), QColor(100, 255, 7));
    rig.widget<QCheckBox>("Text_revH")->setChecked(true);
    QCOMPARE(tab->pattern(), renderText(layoutOf(rig, rig.widget<QLineEdit>("text_Edit")->text())));
}

void TestPatternTabs::textColourDialog()
{
    test::TextRig rig;
    rig.tab->refresh();
    rig.widget<QRadioButton>("text_bcolor")->setChecked(true);
    m_prompter->colours.enqueue(QColor(9, 8, 7));
    auto *dialog = rig.widget<QPushButton>("Color_dialog");
    dialog->click();
    QCOMPARE(m_prompter->calls.last().title, QStringLiteral("選擇顏色"));
    QCOMPARE(m_prompter->calls.last().text, QColor(0, 0, 0).name());
    QVERIFY(m_prompter->calls.last().parent == &rig.host);
    QCOMPARE(rig.show.colour2(), QColor(9, 8, 7));
    QCOMPARE(rig.widget<QSpinBox>("text_rnum")->value(), 9);
    dialog->click(); // cancelled
    QCOMPARE(rig.show.colour2(), QColor(9, 8, 7));
}

void TestPatternTabs::textRestore()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    const QString params = QStringLiteral("2?3?#ff0000|#00ff00|Hello|-1|4?8|1|0");
    QVERIFY(tab->restore(params));
    QCOMPARE(rig.show.colour1(), QColor(255, 0, 0));
    QCOMPARE(rig.show.colour2(), QColor(0, 255, 0));
    QCOMPARE(rig.widget<QLineEdit>("text_Edit")->text(), QStringLiteral("Hello"));
    QCOMPARE(rig.widget<QComboBox>("Font_size")->currentIndex(), 4);
    QCOMPARE(rig.widget<QSlider>("Text_slide")->value(), 8);
    QVERIFY(rig.widget<QCheckBox>("Text_revH")->isChecked());
    QVERIFY(!rig.widget<QCheckBox>("Text_revV")->isChecked());
    QVERIFY(rig.widget<QRadioButton>("text_fcolor")->isChecked());
    QCOMPARE(rig.widget<QSpinBox>("text_rnum")->value(), 255);
    QCOMPARE(tab->pattern(), renderText(layoutOf(rig, QStringLiteral("Hello"))));
    QCOMPARE(tab->params(3), params);
    QVERIFY(!tab->restore(QStringLiteral("3?4?#102030|#405060|8|2|3?0|1|1")));
    QCOMPARE(tab->params(3), params);
}

void TestPatternTabs::textEmpty()
{
    test::TextRig rig;
    TextTab *tab = rig.tab;
    rig.widget<QLineEdit>("text_Edit")->setText(QString());
    QVERIFY(tab->pattern().isNull());
    QCOMPARE(tab->patternWidth(), 0);
    QCOMPARE(shownPixmapSize(rig.widget<QGraphicsView>("text_View")), QSize());
    // No pattern is announced too, with W = 0 (the repeat count then goes
    // to its limit: patternReachesPreview).
    QVERIFY(rig.announced.last().pattern.isNull());
    QCOMPARE(rig.announced.last().width, 0);
}

void TestPatternTabs::pictureLoadAndGap()
{
    test::PictureRig rig;
    QTemporaryDir dir;
    const QString path = writeHalves(dir, QSize(200, 100));
    rig.tab->picload(path);
    QCOMPARE(rig.tab->patternWidth(), 160); // 200 x 100 at 80 LEDs
    QCOMPARE(rig.tab->pattern().size(), QSize(400, 200));
    QVERIFY(rig.tab->hasPicture());
    QVERIFY(rig.widget<QLabel>("PicDir")->isEnabled());
    QVERIFY(rig.widget<QGraphicsView>("PicView")->isEnabled());
    QVERIFY(rig.widget<QPushButton>("Add_Button")->isEnabled());
    QCOMPARE(rig.widget<QLabel>("PicDir")->text(), path);
    QCOMPARE(shownPixmapSize(rig.widget<QGraphicsView>("PicView")), QSize(400, 200));
    // The next dialog starts there, also after a restart.
    QCOMPARE(rig.folder.path(), path);
    QCOMPARE(settings::open().value(settings::CurrentPicPath).toString(), path);
    QCOMPARE(rig.announced.size(), 1);
    QCOMPARE(rig.announced.last().width, 160);
    QCOMPARE(rig.announced.last().pattern.size(), QSize(400, 200));

    rig.widget<QSlider>("Pic_Slide")->setValue(100);
    QCOMPARE(rig.tab->patternWidth(), 320);
    QCOMPARE(rig.tab->pattern().width(), 800);
    QCOMPARE(rig.tab->pattern().toImage().pixelColor(799, 100), QColor(Qt::black));
    QCOMPARE(rig.announced.last().width, 320);
    QCOMPARE(rig.announced.last().pattern.size(), rig.tab->pattern().size());
    QCOMPARE(shownPixmapSize(rig.widget<QGraphicsView>("PicView")), QSize(800, 200));
    QVERIFY(m_prompter->calls.isEmpty());
}

// A picture too large to read is refused with a warning over the tab's
// dialog parent, and leaves an empty pattern behind (W = 0).
void TestPatternTabs::pictureRefused()
{
    test::PictureRig rig;
    QTemporaryDir dir;
    QImage strip(60000, 1, QImage::Format_RGB32);
    strip.fill(Qt::white);
    const QString path = dir.filePath(QStringLiteral("strip.png"));
    QVERIFY(strip.save(path));
    rig.tab->picload(path);
    QCOMPARE(m_prompter->count(QStringLiteral("message")), 1);
    QVERIFY(m_prompter->calls.last().text.startsWith(QStringLiteral("圖片過寬，無法讀取")));
    QVERIFY(m_prompter->calls.last().parent == &rig.host);
    QVERIFY(!rig.tab->hasPicture());
    // Refused, not taken: the pattern before (none here) stays.
    QVERIFY(rig.announced.isEmpty());
}

// Several pictures opened at once: each one is loaded and handed on for a
// mode before the next, with a count in the status messages.
void TestPatternTabs::pictureOpenSeveral()
{
    test::PictureRig rig;
    QTemporaryDir dir;
    QStringList files;
    for (const char *name : {"one.png", "two.png", "three.png"}) {
        QImage img(100, 100, QImage::Format_RGB32);
        img.fill(Qt::green);
        files << dir.filePath(QString::fromLatin1(name));
        QVERIFY(img.save(files.last()));
    }
    // No place known yet: the dialog starts in the pictures folder.
    m_prompter->fileLists.enqueue(files);
    rig.widget<QPushButton>("Pic_Loads")->click();
    QCOMPARE(m_prompter->calls.first().kind, QStringLiteral("openMany"));
    QCOMPARE(m_prompter->calls.first().title, QStringLiteral("讀圖(可複選)"));
    QCOMPARE(m_prompter->calls.first().text, settings::defaultPicturesPath());
    QVERIFY(m_prompter->calls.first().parent == &rig.host);
    QCOMPARE(rig.insertedPaths, files);
    QCOMPARE(rig.statuses,
             QStringList({QStringLiteral("圖片讀取1/3"), QStringLiteral("圖片讀取2/3"),
                          QStringLiteral("圖片讀取3/3")}));
    QCOMPARE(rig.announced.size(), 3);
    QVERIFY(rig.widget<QPushButton>("Add_Button")->isEnabled());

    // One picture: loaded, not inserted; the dialog starts in the folder of
    // the last picture, with no file name filled in.
    m_prompter->fileLists.enqueue({files.first()});
    rig.widget<QPushButton>("Pic_Loads")->click();
    QCOMPARE(m_prompter->calls.last().text, dir.path());
    QCOMPARE(rig.insertedPaths.size(), 3);
    QCOMPARE(rig.widget<QLabel>("PicDir")->text(), files.first());

    // Cancelled: nothing changes.
    rig.widget<QPushButton>("Pic_Loads")->click();
    QCOMPARE(rig.announced.size(), 4);
    QCOMPARE(rig.statuses.size(), 3);
}

// Entering the tab: the picture named in it is loaded again (at the present
// LED count); with none, or a missing one, Insert is off and nothing loads.
void TestPatternTabs::pictureRefresh()
{
    test::PictureRig rig;
    auto *insert = rig.widget<QPushButton>("Add_Button");
    insert->setEnabled(true);
    rig.tab->refresh();
    QVERIFY(!insert->isEnabled());
    QVERIFY(rig.announced.isEmpty());

    QTemporaryDir dir;
    const QString path = writeHalves(dir, QSize(200, 100));
    rig.widget<QLabel>("PicDir")->setText(path);
    rig.show.setLeds(40);
    rig.tab->refresh();
    QVERIFY(insert->isEnabled());
    QCOMPARE(rig.tab->patternWidth(), 80);
    QCOMPARE(rig.announced.last().width, 80);

    QFile::remove(path);
    rig.tab->refresh();
    QVERIFY(!insert->isEnabled());
    QCOMPARE(rig.announced.size(), 1);

    // A large picture is read on another thread, into the same pattern. A
    // refresh (what selecting its mode does) does not decode the file again
    // while it is unchanged: rewritten with another picture of the same
    // size and time, it still shows the first; with a new time, the new one.
    const QString large = dir.filePath(QStringLiteral("large.bmp"));
    const QDateTime when = QDateTime::currentDateTime().addSecs(-60);
    const auto writeLarge = [&large](Qt::GlobalColor colour, const QDateTime &time) {
        QImage img(1600, 1400, QImage::Format_RGB32);
        img.fill(colour);
        QVERIFY(img.save(large));
        QFile f(large);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const auto shownColour = [&rig] { return rig.tab->pattern().toImage().pixelColor(0, 0); };
    writeLarge(Qt::red, when);
    rig.widget<QLabel>("PicDir")->setText(large);
    rig.tab->refresh();
    QCOMPARE(rig.tab->pattern().size(),
             buildPicturePattern(QImage(large), false, false, 40, 0).pattern.size());
    QCOMPARE(shownColour(), QColor(Qt::red));
    writeLarge(Qt::green, when);
    rig.tab->refresh();
    QCOMPARE(shownColour(), QColor(Qt::red));
    writeLarge(Qt::green, when.addSecs(1));
    rig.tab->refresh();
    QCOMPARE(shownColour(), QColor(Qt::green));
}

// A text mode stores its font as an index into the font chooser: the
// families an old project's index is read against are the chooser's.
void TestPatternTabs::textFontIndexes()
{
    test::TextRig rig;
    const auto *box = rig.widget<QFontComboBox>("fontComboBox");
    QStringList chooser;
    for (int i = 0; i < box->count(); ++i)
        chooser << box->itemText(i);
    QVERIFY(!chooser.isEmpty());
    QCOMPARE(TextPattern::fontFamilies(), chooser);
}

VC_TEST_MAIN(TestPatternTabs)
#include "tst_patterntabs.moc"
