#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "core/render/effectgenerator.h"
#include "core/render/patternparams.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"
#include "gui/app/mainwindow.h"
#include "gui/render/effecttab.h"
#include "gui/render/mygl.h"
#include "gui/render/texttab.h"
#include "testsupport/pixels.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QRandomGenerator>

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

TextLayout layoutOf(MainWindow &w, const QString &text)
{
    Ui::MainWindow *ui = w.form();
    TextLayout l;
    l.text = text;
    l.family = ui->fontComboBox->currentText();
    l.fontSizeIndex = ui->Font_size->currentIndex();
    l.widthFactor = ui->Text_slide->value();
    l.front = w.document()->colour1();
    l.back = w.document()->colour2();
    l.revH = ui->Text_revH->isChecked();
    l.revV = ui->Text_revV->isChecked();
    return l;
}

} // namespace

class TestPatternTabs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void effectRefresh();
    void effectRepeatCount();
    void effectControlsRedraw();
    void effectColourControls();
    void effectColourDialog_data();
    void effectColourDialog();
    void effectSwap();
    void effectRandomise();
    void effectHighlighted();
    void effectRestore();

    void textReservedTyping();
    void textFontSizeOne();
    void textSwap();
    void textView();
    void textColourControls();
    void textColourDialog();
    void textRestore();
    void textEmpty();
    void textFontIndexes();

private:
    std::unique_ptr<test::ScriptedPrompter> m_prompter;
    std::unique_ptr<MainWindow> m_w;
    Ui::MainWindow *ui = nullptr;
};

void TestPatternTabs::init()
{
    test::clearSettings();
    m_prompter = std::make_unique<test::ScriptedPrompter>();
    m_w = std::make_unique<MainWindow>();
    ui = m_w->form();
    ui->Leds->setEnabled(true);
    ui->Leds->setValue(80);
    ui->FPS_V->setValue(1333);
    QCOMPARE(int(m_w->document()->leds()), 80);
    QCOMPARE(m_w->document()->frameRate(), 1333.0f);
}

void TestPatternTabs::cleanup()
{
    m_w.reset();
    m_prompter.reset();
}

void TestPatternTabs::effectRefresh()
{
    ui->Spe_back->setChecked(true);
    m_w->effectTab()->refresh();
    QVERIFY(ui->Spe_front->isChecked());
    QCOMPARE(ui->Spe_rnum->value(), 255);
    const QImage expected = EffectGenerator::generate(m_w->effectTab()->settings());
    QCOMPARE(m_w->effectTab()->pattern(), expected);
    // W: the 300 x 150 pattern at the LED count's height.
    QCOMPARE(m_w->effectTab()->patternWidth(), 160);
    QCOMPARE(shownPixmapSize(ui->Spe_show), QSize(300, 150));
    QCOMPARE(ui->GLWidget->pattern().toImage().convertToFormat(QImage::Format_RGB32), expected);

    ui->Leds->setValue(36);
    m_w->effectTab()->refresh();
    QCOMPARE(m_w->effectTab()->patternWidth(), 72);
}

void TestPatternTabs::effectRepeatCount()
{
    ui->Mode_last->setValue(5.0);
    ui->Speed_slide->setValue(10);
    ui->speedAutoCheckBox->setChecked(true);
    m_w->effectTab()->refresh();
    // 5 s x 10 x 1000 / (160 x 10) + 0.5
    QCOMPARE(ui->Mode_loop->value(), 31);

    ui->FPS_V->setValue(2100);
    m_w->effectTab()->regenerate();
    QCOMPARE(ui->Mode_loop->value(), repeatSuggestion(5.0, 10, 2100.0f, 160));

    // A repeat count set by hand stays.
    ui->speedAutoCheckBox->setChecked(false);
    ui->Mode_loop->setValue(7);
    m_w->effectTab()->regenerate();
    QCOMPARE(ui->Mode_loop->value(), 7);
}

void TestPatternTabs::effectControlsRedraw()
{
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    auto current = [&] { return EffectGenerator::generate(tab->settings()); };

    ui->Spe_comboBox->setCurrentIndex(EffectGenerator::Box);
    QCOMPARE(tab->pattern(), current());
    ui->Spe_width->setValue(10);
    QCOMPARE(tab->pattern(), current());
    ui->Spe_revH->click();
    QVERIFY(tab->settings().revH);
    QCOMPARE(tab->pattern(), current());
    ui->Spe_revV->click();
    QCOMPARE(tab->pattern(), current());
    ui->Spe_color3->click();
    QCOMPARE(tab->settings().scheme, 1);
    QCOMPARE(tab->pattern(), current());
    ui->Spe_color3->click();
    QCOMPARE(tab->settings().scheme, 2);
    QCOMPARE(tab->pattern(), current());
}

void TestPatternTabs::effectColourControls()
{
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    // Front selected: the controls edit colour 1.
    ui->Spe_rslide->setValue(10);
    QCOMPARE(ui->Spe_rnum->value(), 10);
    QCOMPARE(m_w->document()->colour1(), QColor(10, 255, 255));
    QCOMPARE(m_w->document()->colour2(), QColor(0, 0, 0));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));

    // Back selected: the spin boxes show colour 2 and edit it.
    ui->Spe_back->setChecked(true);
    QCOMPARE(ui->Spe_rnum->value(), 0);
    QCOMPARE(ui->Spe_gslide->value(), 0);
    ui->Spe_gnum->setValue(200);
    QCOMPARE(ui->Spe_gslide->value(), 200);
    QCOMPARE(m_w->document()->colour2(), QColor(0, 200, 0));
    QCOMPARE(m_w->document()->colour1(), QColor(10, 255, 255));
    QCOMPARE(tab->settings().back, QColor(0, 200, 0));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));

    ui->Spe_front->setChecked(true);
    QCOMPARE(ui->Spe_rnum->value(), 10);
    QCOMPARE(ui->Spe_gnum->value(), 255);
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
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    m_w->document()->setColours(QColor(200, 100, 50), QColor(5, 10, 20));
    if (back)
        ui->Spe_back->setChecked(true);
    if (answer.isValid())
        m_prompter->colours.enqueue(answer);
    ui->Color_dialog_2->click();

    QCOMPARE(m_prompter->count(QStringLiteral("color")), 1);
    const auto &call = m_prompter->calls.last();
    QCOMPARE(call.title, QStringLiteral("選擇顏色"));
    QCOMPARE(call.text, (back ? QColor(5, 10, 20) : QColor(200, 100, 50)).name());
    const QColor front = !back && answer.isValid() ? answer : QColor(200, 100, 50);
    const QColor background = back && answer.isValid() ? answer : QColor(5, 10, 20);
    QCOMPARE(m_w->document()->colour1(), front);
    QCOMPARE(m_w->document()->colour2(), background);
    if (answer.isValid())
        QCOMPARE(ui->Spe_bnum->value(), answer.blue());
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
}

void TestPatternTabs::effectSwap()
{
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    ui->Spe_comboBox->setCurrentIndex(EffectGenerator::Jump);
    ui->Color_Exc2->click();
    QCOMPARE(m_w->document()->colour1(), QColor(0, 0, 0));
    QCOMPARE(m_w->document()->colour2(), QColor(255, 255, 255));
    // The selection moved to the other button: the numbers stay.
    QVERIFY(ui->Spe_back->isChecked());
    QCOMPARE(ui->Spe_rnum->value(), 255);
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
    QCOMPARE(QColor(tab->pattern().pixel(250, 10)), QColor(0, 0, 0)); // mirrored: F on the right

    ui->Color_Exc2->click();
    QVERIFY(ui->Spe_front->isChecked());
    QCOMPARE(m_w->document()->colour1(), QColor(255, 255, 255));
    QCOMPARE(ui->Spe_rnum->value(), 255);
}

void TestPatternTabs::effectRandomise()
{
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    ui->Spe_back->setChecked(true);
    ui->speedAutoCheckBox->setChecked(false);
    for (quint32 seed : {1u, 77u, 4242u}) {
        m_w->random().seed(seed);
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

        ui->Spe_random->click();
        QVERIFY(ui->speedAutoCheckBox->isChecked());
        QVERIFY(ui->Spe_front->isChecked());
        QCOMPARE(ui->Spe_width->value(), width);
        QCOMPARE(int(ui->Spe_color3->checkState()), scheme);
        QCOMPARE(ui->Spe_revH->isChecked(), revH);
        QCOMPARE(ui->Spe_revV->isChecked(), revV);
        // Background from the first three draws, blue first.
        QCOMPARE(m_w->document()->colour2(), QColor(b3, b2, b1));
        QCOMPARE(m_w->document()->colour1(), QColor(r, g, b));
        QCOMPARE(ui->Spe_comboBox->currentIndex(), effect);
        QCOMPARE(ui->Speed_slide->value(), speed);
        QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
    }
}

void TestPatternTabs::effectHighlighted()
{
    EffectTab *tab = m_w->effectTab();
    tab->refresh();
    emit ui->Spe_comboBox->highlighted(EffectGenerator::Meteor);
    QCOMPARE(ui->Spe_comboBox->currentIndex(), int(EffectGenerator::Meteor));
    QCOMPARE(tab->settings().effect, int(EffectGenerator::Meteor));
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
}

void TestPatternTabs::effectRestore()
{
    EffectTab *tab = m_w->effectTab();
    ui->Spe_back->setChecked(true);
    const QString params = QStringLiteral("3?4?#102030|#405060|8|2|3?0|1|1");
    QVERIFY(tab->restore(params));
    QCOMPARE(m_w->document()->colour1(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(m_w->document()->colour2(), QColor(0x40, 0x50, 0x60));
    QCOMPARE(ui->Spe_comboBox->currentIndex(), 8);
    QCOMPARE(ui->Spe_color3->checkState(), Qt::Checked);
    QCOMPARE(ui->Spe_width->value(), 3);
    QVERIFY(ui->Spe_revH->isChecked());
    QVERIFY(ui->Spe_revV->isChecked());
    QVERIFY(ui->Spe_front->isChecked());
    QCOMPARE(ui->Spe_gnum->value(), 0x20);
    QCOMPARE(ui->Spe_gslide->value(), 0x20);
    QCOMPARE(tab->pattern(), EffectGenerator::generate(tab->settings()));
    QCOMPARE(tab->params(4), params);

    // Not an effect: nothing changes.
    QVERIFY(!tab->restore(QStringLiteral("2?1?#ffffff|#000000|x|0|9?5|0|0")));
    QCOMPARE(tab->params(4), params);
}

void TestPatternTabs::textReservedTyping()
{
    TextTab *tab = m_w->textTab();
    ui->text_Edit->clear();
    QTest::keyClicks(ui->text_Edit, QStringLiteral("a|b?"));
    QCOMPARE(ui->text_Edit->text(), QString::fromUtf8("a│b？"));
    QCOMPARE(ui->text_Edit->cursorPosition(), 4);
    QCOMPARE(tab->pattern(), renderText(layoutOf(*m_w, QString::fromUtf8("a│b？"))));

    // Typed in the middle, the cursor stays where the character went.
    ui->text_Edit->setText(QStringLiteral("xy"));
    ui->text_Edit->setCursorPosition(1);
    QTest::keyClicks(ui->text_Edit, QStringLiteral("?"));
    QCOMPARE(ui->text_Edit->text(), QString::fromUtf8("x？y"));
    QCOMPARE(ui->text_Edit->cursorPosition(), 2);
}

void TestPatternTabs::textFontSizeOne()
{
    TextTab *tab = m_w->textTab();
    ui->text_Edit->setText(QStringLiteral("Hello wide world"));
    ui->Text_slide->setValue(5);
    ui->Font_size->setCurrentIndex(0); // "1"
    const QImage img = tab->pattern();
    const QSize bounds = TextPattern::measure(TextPattern::font(ui->fontComboBox->currentText()),
                                              ui->text_Edit->text());
    QCOMPARE(img.size(), QSize(bounds.width() / 5, 10 * bounds.height()));
    // Short lines (two or three letters) in the upper part: the lowest
    // three tenths are colour 2 only.
    const QImage lower = img.copy(0, img.height() * 7 / 10, img.width(), img.height() * 3 / 10);
    QCOMPARE(countColour(lower, Qt::black), lower.width() * lower.height());
    QVERIFY(countColour(img, Qt::white) > 0);
}

void TestPatternTabs::textSwap()
{
    TextTab *tab = m_w->textTab();
    tab->refresh();
    ui->text_Edit->setText(QStringLiteral("Hi"));
    const QImage before = tab->pattern();
    QVERIFY(countColour(before, Qt::black) > countColour(before, Qt::white));

    ui->Color_Exc->click();
    QCOMPARE(m_w->document()->colour1(), QColor(0, 0, 0));
    QCOMPARE(m_w->document()->colour2(), QColor(255, 255, 255));
    QVERIFY(ui->text_bcolor->isChecked());
    QCOMPARE(ui->text_rnum->value(), 255);
    QCOMPARE(ui->text_gslide->value(), 255);
    const QImage after = tab->pattern();
    QCOMPARE(after.size(), before.size());
    // Black text on white.
    QVERIFY(countColour(after, Qt::white) > countColour(after, Qt::black));
    QCOMPARE(countColour(after, Qt::white), countColour(before, Qt::black));
}

void TestPatternTabs::textView()
{
    TextTab *tab = m_w->textTab();
    // The preview shows the pattern of the tab in front.
    ui->Mode_Pic->setCurrentIndex(2);
    ui->text_Edit->setText(QStringLiteral("View"));
    const QSize shown = shownPixmapSize(ui->text_View);
    QCOMPARE(shown.height(), 120);
    const QSize full = tab->pattern().size();
    QVERIFY(qAbs(shown.width() - full.width() * 120.0 / full.height()) <= 1);
    QCOMPARE(tab->patternWidth(), patternWidth(full, 80));
    QCOMPARE(ui->GLWidget->pattern().size(), full);
}

void TestPatternTabs::textColourControls()
{
    TextTab *tab = m_w->textTab();
    tab->refresh();
    ui->text_rslide->setValue(100);
    QCOMPARE(ui->text_rnum->value(), 100);
    QCOMPARE(m_w->document()->colour1(), QColor(100, 255, 255));
    ui->text_bnum->setValue(7);
    QCOMPARE(ui->text_bslide->value(), 7);
    QCOMPARE(m_w->document()->colour1(), QColor(100, 255, 7));

    ui->text_bcolor->setChecked(true);
    QCOMPARE(ui->text_rnum->value(), 0);
    ui->text_gnum->setValue(50);
    QCOMPARE(m_w->document()->colour2(), QColor(0, 50, 0));
    QCOMPARE(m_w->document()->colour1(), QColor(100, 255, 7));
    ui->Text_revH->setChecked(true);
    QCOMPARE(tab->pattern(), renderText(layoutOf(*m_w, ui->text_Edit->text())));
}

void TestPatternTabs::textColourDialog()
{
    TextTab *tab = m_w->textTab();
    tab->refresh();
    ui->text_bcolor->setChecked(true);
    m_prompter->colours.enqueue(QColor(9, 8, 7));
    ui->Color_dialog->click();
    QCOMPARE(m_prompter->calls.last().title, QStringLiteral("選擇顏色"));
    QCOMPARE(m_prompter->calls.last().text, QColor(0, 0, 0).name());
    QCOMPARE(m_w->document()->colour2(), QColor(9, 8, 7));
    QCOMPARE(ui->text_rnum->value(), 9);
    ui->Color_dialog->click(); // cancelled
    QCOMPARE(m_w->document()->colour2(), QColor(9, 8, 7));
}

void TestPatternTabs::textRestore()
{
    TextTab *tab = m_w->textTab();
    const QString params = QStringLiteral("2?3?#ff0000|#00ff00|Hello|-1|4?8|1|0");
    QVERIFY(tab->restore(params));
    QCOMPARE(m_w->document()->colour1(), QColor(255, 0, 0));
    QCOMPARE(m_w->document()->colour2(), QColor(0, 255, 0));
    QCOMPARE(ui->text_Edit->text(), QStringLiteral("Hello"));
    QCOMPARE(ui->Font_size->currentIndex(), 4);
    QCOMPARE(ui->Text_slide->value(), 8);
    QVERIFY(ui->Text_revH->isChecked());
    QVERIFY(!ui->Text_revV->isChecked());
    QVERIFY(ui->text_fcolor->isChecked());
    QCOMPARE(ui->text_rnum->value(), 255);
    QCOMPARE(tab->pattern(), renderText(layoutOf(*m_w, QStringLiteral("Hello"))));
    QCOMPARE(tab->params(3), params);
    QVERIFY(!tab->restore(QStringLiteral("3?4?#102030|#405060|8|2|3?0|1|1")));
    QCOMPARE(tab->params(3), params);
}

void TestPatternTabs::textEmpty()
{
    TextTab *tab = m_w->textTab();
    ui->speedAutoCheckBox->setChecked(true);
    ui->text_Edit->setText(QString());
    QVERIFY(tab->pattern().isNull());
    QCOMPARE(tab->patternWidth(), 0);
    QCOMPARE(shownPixmapSize(ui->text_View), QSize());
    // No pattern: the repeat count is held to its range.
    QCOMPARE(ui->Mode_loop->value(), MaxLoops);
}

// A text mode stores its font as an index into the font chooser: the
// families an old project's index is read against are the chooser's.
void TestPatternTabs::textFontIndexes()
{
    QStringList chooser;
    for (int i = 0; i < ui->fontComboBox->count(); ++i)
        chooser << ui->fontComboBox->itemText(i);
    QVERIFY(!chooser.isEmpty());
    QCOMPARE(TextPattern::fontFamilies(), chooser);
}

VC_TEST_MAIN(TestPatternTabs)
#include "tst_patterntabs.moc"
