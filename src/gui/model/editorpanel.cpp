#include "gui/model/editorpanel.h"

#include "core/model/modebuilder.h"
#include "core/model/moderecord.h"
#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/effecttab.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QSignalBlocker>

namespace vc {

namespace {

int msOf(const QTime &t)
{
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

QTime timeOf(qint64 ms)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::max<qint64>(ms, 0)));
}

QPixmap colourSquare(const QColor &c)
{
    QPixmap square(80, 80);
    square.fill(c);
    return square;
}

const char *const PictureFilter = "Support files(*.jpg *.bmp *.png *.gif);;All files(*.*)";

} // namespace

EditorPanel::EditorPanel(MainWindow *window) : QObject(window), m_window(window) {}

int EditorPanel::suggestion() const
{
    auto *ui = m_window->form();
    return repeatSuggestion(ui->Mode_last->value(), ui->Speed_slide->value(),
                            m_window->document()->frameRate(), m_patternWidth);
}

void EditorPanel::updateLoopSilently()
{
    auto *ui = m_window->form();
    if (!ui->speedAutoCheckBox->isChecked())
        return;
    const QSignalBlocker block(ui->Mode_loop);
    ui->Mode_loop->setValue(suggestion());
}

// ---------------------------------------------------------------- times

void EditorPanel::startChanged(const QTime &t)
{
    auto *ui = m_window->form();
    // Computed in double: 1.001 s may give 1000 ms here, the duration path rounds.
    const double end = ui->Mode_last->value() * 1000.0 + msOf(t);
    ui->Mode_t2->setTime(timeOf(static_cast<qint64>(end)));
}

void EditorPanel::endChanged(const QTime &t)
{
    auto *ui = m_window->form();
    ui->Mode_last->setValue((msOf(t) - msOf(ui->Mode_t1->time())) / 1000.0);
}

void EditorPanel::durationChanged(double seconds)
{
    auto *ui = m_window->form();
    if (ui->speedAutoCheckBox->isChecked())
        ui->Mode_loop->setValue(suggestion());
    const QSignalBlocker block(ui->Mode_t2);
    ui->Mode_t2->setTime(
        timeOf(msOf(ui->Mode_t1->time()) + static_cast<qint64>(seconds * 1000.0 + 0.5)));
}

void EditorPanel::loopChanged(int value)
{
    auto *ui = m_window->form();
    if (value != suggestion())
        ui->speedAutoCheckBox->setChecked(false);
    previewCurrentTab();
}

void EditorPanel::speedChanged(int value)
{
    Q_UNUSED(value);
    auto *ui = m_window->form();
    ui->speedAutoCheckBox->setChecked(true);
    ui->Mode_loop->setValue(suggestion());
}

void EditorPanel::autoToggled(bool checked)
{
    auto *ui = m_window->form();
    ui->Speed_Slide_Box->setVisible(checked);
    if (checked) {
        ui->Speed_slide->setValue(10);
        ui->Mode_loop->setValue(suggestion());
    }
}

// ---------------------------------------------------------------- tabs

void EditorPanel::tabChanged(int index)
{
    auto *ui = m_window->form();
    switch (index) {
    case Picture:
        m_window->pictureTab()->refresh();
        break;
    case Colour:
        refreshColourTab();
        break;
    case Text:
        ui->Add_Button->setEnabled(true);
        m_window->textTab()->refresh();
        break;
    case Effect:
        ui->Add_Button->setEnabled(true);
        m_window->effectTab()->refresh();
        break;
    default:
        break;
    }
    if (ui->speedAutoCheckBox->isChecked())
        ui->Mode_loop->setValue(suggestion());
}

QPixmap EditorPanel::currentPattern() const
{
    switch (m_window->form()->Mode_Pic->currentIndex()) {
    case Picture:
        return m_window->pictureTab()->pattern();
    case Colour:
        return colourSquare(m_window->document()->colour1());
    case Text:
        return QPixmap::fromImage(m_window->textTab()->pattern());
    case Effect:
        return QPixmap::fromImage(m_window->effectTab()->pattern());
    default:
        return {};
    }
}

void EditorPanel::previewCurrentTab()
{
    auto *ui = m_window->form();
    if (ui->Mode_Pic->currentIndex() == Colour) {
        m_window->Oviewer_change();
        return;
    }
    m_window->glpreview_change(false, currentPattern(), m_window->document()->leds(),
                               static_cast<int>(m_window->document()->frameRate()),
                               ui->Mode_last->value(), ui->Mode_loop->value());
}

// ---------------------------------------------------------------- colour tab

void EditorPanel::refreshColourTab()
{
    auto *ui = m_window->form();
    ui->Add_Button->setEnabled(true);
    const QColor c = m_window->document()->colour1();
    ui->Color_R->setValue(c.red());
    ui->Color_G->setValue(c.green());
    ui->Color_B->setValue(c.blue());
    m_window->Oviewer_change();
}

void EditorPanel::setColourViewStyle(bool fromDialog)
{
    auto *ui = m_window->form();
    if (fromDialog) {
        const QColor c = m_window->document()->colour1();
        ui->Color_View->setStyleSheet(
            QStringLiteral("background-color: rgb(%r, %g, %b);color: rgb(255, 255, 255);")
                .replace(QLatin1String("%r"), QString::number(c.red()))
                .replace(QLatin1String("%g"), QString::number(c.green()))
                .replace(QLatin1String("%b"), QString::number(c.blue())));
        return;
    }
    ui->Color_View->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3);")
                                      .arg(ui->Color_R->value())
                                      .arg(ui->Color_G->value())
                                      .arg(ui->Color_B->value()));
}

void EditorPanel::colourChannelChanged(int channel, int value)
{
    auto *ui = m_window->form();
    QSlider *sliders[] = {ui->R_slide, ui->G_slide, ui->B_slide};
    sliders[channel]->setValue(value);
    QColor c = m_window->document()->colour1();
    if (channel == 0)
        c.setRed(value);
    else if (channel == 1)
        c.setGreen(value);
    else
        c.setBlue(value);
    m_window->document()->setColour1(c);
    setColourViewStyle(false);
    m_window->Oviewer_change(ui->R_slide->value(), ui->G_slide->value(), ui->B_slide->value());
}

void EditorPanel::colourSliderChanged(int channel, int value)
{
    auto *ui = m_window->form();
    QSpinBox *boxes[] = {ui->Color_R, ui->Color_G, ui->Color_B};
    boxes[channel]->setValue(value);
}

void EditorPanel::colourDialog()
{
    auto *ui = m_window->form();
    const QColor chosen =
        prompter().color(m_window->document()->colour1(), m_window, tr("選擇顏色"));
    if (!chosen.isValid())
        return;
    m_window->document()->setColour1(chosen);
    setColourViewStyle(true);
    ui->Color_R->setValue(chosen.red());
    ui->Color_G->setValue(chosen.green());
    ui->Color_B->setValue(chosen.blue());
    m_window->Oviewer_change(chosen.red(), chosen.green(), chosen.blue());
}

// ---------------------------------------------------------------- insert / apply

ModeSettings EditorPanel::modeSettings() const
{
    const auto *ui = m_window->form();
    ModeSettings s;
    s.kind = ui->Mode_Pic->currentIndex();
    s.startMs = msOf(ui->Mode_t1->time());
    s.endMs = msOf(ui->Mode_t2->time());
    s.loops = ui->Mode_loop->value();
    s.speed = ui->speedAutoCheckBox->isChecked() ? ui->Speed_slide->value() : 0;
    s.picturePath = ui->PicDir->text();
    s.gap = ui->Pic_Slide->value();
    s.pictureFlipH = ui->Pic_revH->isChecked();
    s.pictureFlipV = ui->Pic_revV->isChecked();
    s.colour = m_window->document()->colour1();
    s.text = m_window->textTab()->settings();
    s.fontFamily = ui->fontComboBox->currentText();
    s.effect = m_window->effectTab()->settings();
    return s;
}

LegacyPanelState EditorPanel::legacyState() const
{
    const auto *ui = m_window->form();
    const Show *show = m_window->document();
    LegacyPanelState p;
    p.startMs = msOf(ui->Mode_t1->time());
    p.endMs = msOf(ui->Mode_t2->time());
    p.seconds = ui->Mode_last->value();
    p.loops = ui->Mode_loop->value();
    p.automatic = ui->speedAutoCheckBox->isChecked();
    p.speed = ui->Speed_slide->value();
    p.patternWidth = m_patternWidth;
    p.colour1 = show->colour1();
    p.colour2 = show->colour2();
    p.picturePath = ui->PicDir->text();
    p.gap = ui->Pic_Slide->value();
    p.pictureFlipH = ui->Pic_revH->isChecked();
    p.pictureFlipV = ui->Pic_revV->isChecked();
    p.text = m_window->textTab()->settings();
    p.effect = m_window->effectTab()->settings();
    p.kind = ui->Mode_Pic->currentIndex();
    return p;
}

void EditorPanel::showLegacyState(const LegacyPanelState &p)
{
    auto *ui = m_window->form();
    {
        const QSignalBlocker blockGap(ui->Pic_Slide);
        ui->PicDir->setText(p.picturePath);
        ui->Pic_Slide->setValue(p.gap);
        ui->Pic_revH->setChecked(p.pictureFlipH);
        ui->Pic_revV->setChecked(p.pictureFlipV);
    }
    m_window->textTab()->restore(p.text);
    m_window->effectTab()->restore(p.effect);
    // After the tabs: a colour mode's colour may keep its alpha.
    m_window->document()->setColours(p.colour1, p.colour2);
    {
        const QSignalBlocker blockStart(ui->Mode_t1);
        const QSignalBlocker blockEnd(ui->Mode_t2);
        const QSignalBlocker blockDuration(ui->Mode_last);
        const QSignalBlocker blockLoops(ui->Mode_loop);
        const QSignalBlocker blockAuto(ui->speedAutoCheckBox);
        const QSignalBlocker blockSpeed(ui->Speed_slide);
        ui->Mode_t1->setTime(timeOf(p.startMs));
        ui->Mode_t2->setTime(timeOf(p.endMs));
        ui->Mode_last->setValue(p.seconds);
        ui->Mode_loop->setValue(p.loops);
        ui->speedAutoCheckBox->setChecked(p.automatic);
        ui->Speed_slide->setValue(p.speed);
    }
    ui->Speed_Slide_Box->setVisible(p.automatic);
    m_patternWidth = p.patternWidth;
    if (p.kind >= Picture && p.kind <= Effect) {
        if (ui->Mode_Pic->currentIndex() == p.kind)
            tabChanged(p.kind);
        else
            ui->Mode_Pic->setCurrentIndex(p.kind);
    }
}

void EditorPanel::insertOrApply()
{
    auto *ui = m_window->form();
    TracksController *tracks = m_window->tracks();
    ui->Add_Button->setFocus();
    const ModeSettings settings = modeSettings();
    const Show *show = m_window->document();
    const ModeBuilder builder({show->leds(), show->frameRate()});
    BuiltMode built;
    if (settings.kind == Picture) {
        // The tab's pattern as it shows it: a gap changed after loading
        // widened its canvas, and the picture need not be read again.
        const PictureTab *pictures = m_window->pictureTab();
        if (!pictures->hasPicture())
            return;
        built =
            builder.build(settings, {pictures->pattern().toImage(), pictures->patternWidth(), {}});
    } else {
        built = builder.build(settings);
    }
    if (!built.ok)
        return;

    const QSignalBlocker blockLoop(ui->Mode_loop);
    const QByteArray bytes = built.record.encode();

    TimelineItem *item = tracks->selectedItem();
    if (item) {
        tracks->showInsertPreview(false);
        item->setData(bytes);
    } else {
        Timeline *track = tracks->currentTrack();
        if (!track)
            return;
        item = new TimelineItem(bytes, track);
        track->addTimelineItem(item);

        const double last = ui->Mode_last->value();
        ui->Mode_t1->setTime(ui->Mode_t2->time());
        ui->Mode_t2->setTime(
            timeOf(msOf(ui->Mode_t1->time()) + static_cast<qint64>(last * 1000.0)));

        ui->timeline_scroll->ensureWidgetVisible(item, 50, 50);
        m_window->moveIndicatorTo(item->endMs());
        tracks->showInsertPreview(false);
    }
    if (Timeline *holder = item->track())
        holder->on_itemDragEnd(QByteArray(), item);
    tracks->refreshCounters();
}

// ---------------------------------------------------------------- open / cancel

void EditorPanel::openItem(TimelineItem *item)
{
    auto *ui = m_window->form();
    TracksController *tracks = m_window->tracks();
    Q_UNUSED(tracks);
    item->setSelected(true);
    ui->cancelSelect->setEnabled(true);
    ui->Add_Button->setEnabled(true);
    ui->Add_Button->setText(tr("套用編輯"));
    ui->Mode_t1->setTime(timeOf(item->startMs()));
    ui->Mode_t2->setTime(timeOf(item->endMs()));

    const QString params = item->params();
    if (isOldFormat(params)) {
        prompter().warning(m_window, tr("無法讀取"),
                           tr("儲存格式過舊，請使用舊版軟體(v2.9↓)進行轉檔"));
        return;
    }
    const ModeParams p = parseParams(params);
    switch (p.kind) {
    case Picture:
        ui->Pic_Slide->setValue(p.gap);
        ui->Pic_revH->setChecked(p.flipH);
        ui->Pic_revV->setChecked(p.flipV);
        if (QFileInfo::exists(p.picturePath)) {
            ui->PicDir->setText(p.picturePath);
        } else if (prompter().warning(m_window, tr("圖片遺失"), tr("圖片遺失，是否替換遺失圖片？"),
                                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            const QString file =
                prompter().openFileName(m_window, tr("取代圖片"), m_window->currentPicPath(),
                                        QString::fromLatin1(PictureFilter));
            if (!file.isEmpty()) {
                m_window->pictureTab()->picload(file);
                QStringList parts = params.split(QLatin1Char('?'));
                if (parts.size() > 2)
                    parts[2] = file;
                item->setParams(parts.join(QLatin1Char('?')));
                m_window->tracks()->refreshCounters();
            }
        }
        break;
    case Colour:
        if (p.colour1.isValid())
            m_window->document()->setColour1(p.colour1);
        break;
    case Text:
        m_window->textTab()->restore(params);
        break;
    case Effect:
        m_window->effectTab()->restore(params);
        break;
    default:
        break;
    }

    if (p.kind >= 0 && p.kind <= Effect) {
        if (ui->Mode_Pic->currentIndex() == p.kind)
            tabChanged(p.kind);
        else
            ui->Mode_Pic->setCurrentIndex(p.kind);
    }

    if (params.split(QLatin1Char('?')).size() < 3 || item->speed() < 1) {
        ui->speedAutoCheckBox->setChecked(false);
        ui->Mode_loop->setValue(item->loops());
    } else {
        ui->speedAutoCheckBox->setChecked(true);
        ui->Speed_slide->setValue(item->speed());
        emit ui->Speed_slide->valueChanged(item->speed());
    }
}

void EditorPanel::cancelSelect()
{
    auto *ui = m_window->form();
    ui->Add_Button->setText(tr("插入圖樣"));
    ui->cancelSelect->setEnabled(false);
    m_window->tracks()->clearSelection();
}

} // namespace vc
