#include "testsupport/tabrigs.h"

#include "testsupport/rigwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace vc::test {

namespace {

// The front/back choice and the red, green and blue rows of a colour tab,
// all at 255 with the front chosen. The two radio buttons get a parent of
// their own, as in the form's group, so they exclude only each other.
ColourTab::ColourWidgets colourWidgets(QWidget *host, const char *front, const char *back,
                                       const char *const numbers[3], const char *const sliders[3])
{
    auto *choice = new QWidget(host);
    ColourTab::ColourWidgets c;
    c.front = named<QRadioButton>(choice, front);
    c.back = named<QRadioButton>(choice, back);
    c.front->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        c.numbers[i] = spinBox(host, numbers[i], 0, 255, 255);
        c.sliders[i] = slider(host, sliders[i], 0, 255, 255);
    }
    return c;
}

// The forwards of the window's slots for the colour rows of a tab.
void wireColours(const ColourTab::ColourWidgets &c, ColourTab *tab)
{
    for (int i = 0; i < 3; ++i) {
        QObject::connect(c.sliders[i], &QSlider::valueChanged, tab,
                         [tab, i](int v) { tab->sliderChanged(i, v); });
        QObject::connect(c.numbers[i], qOverload<int>(&QSpinBox::valueChanged), tab,
                         [tab, i](int v) { tab->numberChanged(i, v); });
    }
    QObject::connect(c.back, &QRadioButton::toggled, tab, &ColourTab::backToggled);
}

} // namespace

TabRig::TabRig(Show *shared) : show(shared ? *shared : m_ownShow)
{
    m_ownShow.setLeds(80);
    m_ownShow.setFrameRate(1333.0f);
}

EffectRig::EffectRig(Show *shared) : TabRig(shared)
{
    static const char *const numbers[3] = {"Spe_rnum", "Spe_gnum", "Spe_bnum"};
    static const char *const sliders[3] = {"Spe_rslide", "Spe_gslide", "Spe_bslide"};
    EffectTab::Widgets w;
    w.colours = colourWidgets(&host, "Spe_front", "Spe_back", numbers, sliders);
    w.effect = named<QComboBox>(&host, "Spe_comboBox");
    w.effect->addItems({"閃爍", "鋸齒", "跳躍", "淡入淡出", "彩虹", "箭頭", "箭頭2", "流星",
                        "流星2", "方塊", "靜態1", "靜態2", "靜態3", "靜態4"});
    w.width = spinBox(&host, "Spe_width", 1, 10, 5);
    w.scheme = named<QCheckBox>(&host, "Spe_color3");
    w.scheme->setTristate(true);
    w.revH = named<QCheckBox>(&host, "Spe_revH");
    w.revV = named<QCheckBox>(&host, "Spe_revV");
    w.view = named<QGraphicsView>(&host, "Spe_show");
    auto *dialog = named<QPushButton>(&host, "Color_dialog_2");
    auto *swap = named<QPushButton>(&host, "Color_Exc2");
    auto *randomise = named<QPushButton>(&host, "Spe_random");

    tab = new EffectTab(w, &show, &random, &host, &host);
    record(tab);
    QObject::connect(tab, &EffectTab::randomSpeed, &host,
                     [this](int speed) { randomSpeeds.append(speed); });

    wireColours(w.colours, tab);
    QObject::connect(w.effect, qOverload<int>(&QComboBox::currentIndexChanged), tab,
                     &EffectTab::generate);
    QObject::connect(w.effect, qOverload<int>(&QComboBox::highlighted), tab,
                     &EffectTab::highlighted);
    QObject::connect(w.width, qOverload<int>(&QSpinBox::valueChanged), tab, &EffectTab::regenerate);
    for (QCheckBox *box : {w.revH, w.revV, w.scheme})
        QObject::connect(box, &QCheckBox::clicked, tab, &EffectTab::regenerate);
    QObject::connect(dialog, &QPushButton::clicked, tab, &ColourTab::colourDialog);
    QObject::connect(swap, &QPushButton::clicked, tab, &ColourTab::swapColours);
    QObject::connect(randomise, &QPushButton::clicked, tab, &EffectTab::randomise);
}

TextRig::TextRig(Show *shared) : TabRig(shared)
{
    static const char *const numbers[3] = {"text_rnum", "text_gnum", "text_bnum"};
    static const char *const sliders[3] = {"text_rslide", "text_gslide", "text_bslide"};
    TextTab::Widgets w;
    w.colours = colourWidgets(&host, "text_fcolor", "text_bcolor", numbers, sliders);
    w.text = named<QLineEdit>(&host, "text_Edit");
    w.text->setText(QStringLiteral("文字..."));
    w.font = named<QFontComboBox>(&host, "fontComboBox");
    w.font->setCurrentIndex(-1);
    w.fontSize = named<QComboBox>(&host, "Font_size");
    w.fontSize->addItems({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    w.fontSize->setCurrentIndex(9);
    w.width = slider(&host, "Text_slide", 1, 20, 5);
    w.revH = named<QCheckBox>(&host, "Text_revH");
    w.revV = named<QCheckBox>(&host, "Text_revV");
    w.view = named<QGraphicsView>(&host, "text_View");
    auto *dialog = named<QPushButton>(&host, "Color_dialog");
    auto *swap = named<QPushButton>(&host, "Color_Exc");

    tab = new TextTab(w, &show, &host, &host);
    record(tab);

    wireColours(w.colours, tab);
    QObject::connect(w.text, &QLineEdit::textChanged, tab, &TextTab::render);
    QObject::connect(w.font, qOverload<int>(&QComboBox::currentIndexChanged), tab,
                     &TextTab::rerender);
    QObject::connect(w.fontSize, qOverload<int>(&QComboBox::currentIndexChanged), tab,
                     &TextTab::rerender);
    QObject::connect(w.width, &QSlider::valueChanged, tab, &TextTab::rerender);
    QObject::connect(w.revH, &QCheckBox::stateChanged, tab, &TextTab::rerender);
    QObject::connect(w.revV, &QCheckBox::clicked, tab, &TextTab::rerender);
    QObject::connect(dialog, &QPushButton::clicked, tab, &ColourTab::colourDialog);
    QObject::connect(swap, &QPushButton::clicked, tab, &ColourTab::swapColours);
}

PictureRig::PictureRig(Show *shared) : TabRig(shared)
{
    PictureTab::Widgets w;
    w.path = named<QLabel>(&host, "PicDir");
    w.path->setText(QStringLiteral("..."));
    w.view = named<QGraphicsView>(&host, "PicView");
    w.view->setEnabled(false);
    w.revH = named<QCheckBox>(&host, "Pic_revH");
    w.revV = named<QCheckBox>(&host, "Pic_revV");
    w.gap = slider(&host, "Pic_Slide", 0, 100, 0);
    w.insert = named<QPushButton>(&host, "Add_Button");
    w.insert->setEnabled(false);
    auto *open = named<QPushButton>(&host, "Pic_Loads");

    tab = new PictureTab(w, &show, &folder, &host, &host);
    record(tab);
    QObject::connect(tab, &PictureTab::status, &host,
                     [this](const QString &text) { statuses.append(text); });
    QObject::connect(tab, &PictureTab::insertRequested, &host,
                     [this, w] { insertedPaths.append(w.path->text()); });

    QObject::connect(open, &QPushButton::clicked, tab, &PictureTab::openPictures);
    for (QCheckBox *box : {w.revH, w.revV})
        QObject::connect(box, &QCheckBox::clicked, tab, &PictureTab::reload);
    QObject::connect(w.gap, &QSlider::valueChanged, tab, &PictureTab::setGap);
}

} // namespace vc::test
