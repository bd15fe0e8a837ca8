#include "testsupport/editorrig.h"

#include "testsupport/rigwidgets.h"

#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vc::test {

namespace {

QTimeEdit *timeEdit(QWidget *parent, const char *name, const QTime &t)
{
    auto *e = named<QTimeEdit>(parent, name);
    e->setDisplayFormat(QStringLiteral("mm:ss.zzz"));
    e->setTime(t);
    return e;
}

} // namespace

EditorRig::EditorRig()
{
    show.setLeds(80);
    show.setFrameRate(2100.0f);
    pictures = std::make_unique<PictureRig>(&show);
    texts = std::make_unique<TextRig>(&show);
    effects = std::make_unique<EffectRig>(&show);

    // The track area: a spacer above the tracks and a line below them, in
    // the track layout and in the row labels' layout alike.
    auto *scroll = named<QScrollArea>(&host, "timeline_scroll");
    auto *area = named<QWidget>(&host, "timeline_widget");
    auto *layout = new QVBoxLayout(area);
    layout->addSpacerItem(new QSpacerItem(20, 0));
    layout->addWidget(named<QFrame>(area, "timeline_line"));
    scroll->setWidget(area);
    scroll->setWidgetResizable(true);
    auto *rowHeader = named<QWidget>(&host, "timeline_rowheader_contents");
    auto *rowHeaderLayout = new QVBoxLayout(rowHeader);
    rowHeaderLayout->addSpacerItem(new QSpacerItem(20, 0));
    rowHeaderLayout->addSpacerItem(new QSpacerItem(20, 0));

    EditorPanel::Widgets w;
    w.start = timeEdit(&host, "Mode_t1", QTime(0, 0));
    w.end = timeEdit(&host, "Mode_t2", QTime(0, 0, 5));
    w.duration = named<QDoubleSpinBox>(&host, "Mode_last");
    w.duration->setDecimals(3);
    w.duration->setRange(0.1, 1000.0);
    w.duration->setSingleStep(0.1);
    w.duration->setValue(5.0);
    w.loops = spinBox(&host, "Mode_loop", 1, 9999, 1);
    w.speedBox = named<QFrame>(&host, "Speed_Slide_Box");
    w.speed = slider(w.speedBox, "Speed_slide", 2, 18, 10);
    w.automatic = named<QCheckBox>(&host, "speedAutoCheckBox");
    w.automatic->setChecked(true);
    w.kinds = named<QTabWidget>(&host, "Mode_Pic");
    for (const char *page : {"Picture", "Colour", "Text", "Effect"})
        w.kinds->addTab(new QWidget, QString::fromLatin1(page));
    w.kinds->setCurrentIndex(0);
    w.insert = pictures->widget<QPushButton>("Add_Button");
    w.insert->setText(QStringLiteral("插入圖樣"));
    w.cancelSelect = named<QPushButton>(&host, "cancelSelect");
    w.cancelSelect->setEnabled(false);
    static const char *const numbers[3] = {"Color_R", "Color_G", "Color_B"};
    static const char *const sliders[3] = {"R_slide", "G_slide", "B_slide"};
    for (int i = 0; i < 3; ++i) {
        w.colourNumbers[i] = spinBox(&host, numbers[i], 0, 255, 255);
        w.colourSliders[i] = slider(&host, sliders[i], 0, 255, 255);
    }
    w.colourView = named<QPushButton>(&host, "Color_View");
    w.picturePath = pictures->widget<QLabel>("PicDir");
    w.pictureGap = pictures->widget<QSlider>("Pic_Slide");
    w.pictureRevH = pictures->widget<QCheckBox>("Pic_revH");
    w.pictureRevV = pictures->widget<QCheckBox>("Pic_revV");
    w.tracksScroll = scroll;

    TracksController::Widgets tw;
    tw.area = area;
    tw.layout = layout;
    tw.rowHeader = rowHeader;
    tw.rowHeaderLayout = rowHeaderLayout;
    tw.scroll = scroll;
    tw.cancelSelect = w.cancelSelect;
    tw.modeStart = w.start;
    tw.modeLength = w.duration;
    tw.dialogParent = &host;
    tracks = new TracksController(tw, &project, &axis, &host);

    panel = new EditorPanel(w, &show, tracks, {pictures->tab, texts->tab, effects->tab},
                            &pictures->folder, &host, &host);
    QObject::connect(panel, &EditorPanel::previewPattern, &host,
                     [this](const QPixmap &p, double seconds, int loops) {
                         previews.append({p, seconds, loops});
                     });
    QObject::connect(panel, &EditorPanel::previewColour, &host,
                     [this](const QColor &c) { previewColours.append(c); });
    QObject::connect(panel, &EditorPanel::indicatorMoveRequested, &host,
                     [this](int ms) { indicatorMoves.append(ms); });

    // The forwards of the window's slots.
    QObject::connect(tracks, &TracksController::selectionCancelled, panel,
                     &EditorPanel::cancelSelect);
    QObject::connect(tracks, &TracksController::itemOpened, panel, &EditorPanel::openItem);
    QObject::connect(w.insert, &QAbstractButton::clicked, panel, &EditorPanel::insertOrApply);
    QObject::connect(w.cancelSelect, &QAbstractButton::clicked, panel, &EditorPanel::cancelSelect);
    QObject::connect(w.start, &QTimeEdit::timeChanged, panel, &EditorPanel::startChanged);
    QObject::connect(w.end, &QTimeEdit::timeChanged, panel, &EditorPanel::endChanged);
    QObject::connect(w.duration, qOverload<double>(&QDoubleSpinBox::valueChanged), panel,
                     &EditorPanel::durationChanged);
    QObject::connect(w.loops, qOverload<int>(&QSpinBox::valueChanged), panel,
                     &EditorPanel::loopChanged);
    QObject::connect(w.speed, &QSlider::valueChanged, panel, &EditorPanel::speedChanged);
    QObject::connect(w.automatic, &QCheckBox::toggled, panel, &EditorPanel::autoToggled);
    QObject::connect(w.kinds, &QTabWidget::currentChanged, panel, &EditorPanel::tabChanged);
    for (int i = 0; i < 3; ++i) {
        QObject::connect(w.colourNumbers[i], qOverload<int>(&QSpinBox::valueChanged), panel,
                         [this, i](int v) { panel->colourChannelChanged(i, v); });
        QObject::connect(w.colourSliders[i], &QSlider::valueChanged, panel,
                         [this, i](int v) { panel->colourSliderChanged(i, v); });
    }
    QObject::connect(w.colourView, &QAbstractButton::clicked, panel, &EditorPanel::colourDialog);
}

QString EditorRig::times() const
{
    QStringList out;
    for (const TimelineItem *i : current()->items())
        out << QStringLiteral("%1-%2").arg(i->start()).arg(i->end());
    return out.join(QLatin1Char(' '));
}

} // namespace vc::test
