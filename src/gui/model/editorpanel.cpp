#include "gui/model/editorpanel.h"

#include "core/app/picturefolder.h"
#include "core/model/modebuilder.h"
#include "core/model/moderecord.h"
#include "core/model/placement.h"
#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/effecttab.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>

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

EditorPanel::EditorPanel(const Widgets &widgets, Show *show, TracksController *tracks,
                         const Tabs &tabs, const PictureFolder *folder, QWidget *dialogParent,
                         QObject *parent)
    : QObject(parent), m_w(widgets), m_show(show), m_tracks(tracks), m_tabs(tabs), m_folder(folder),
      m_dialogParent(dialogParent)
{
    connect(m_tabs.picture, &PictureTab::patternChanged, this, &EditorPanel::patternDrawn);
    connect(m_tabs.text, &ColourTab::patternChanged, this, &EditorPanel::patternDrawn);
    connect(m_tabs.effect, &ColourTab::patternChanged, this, &EditorPanel::patternDrawn);
    // Several pictures opened at once: each becomes a new mode as it loads.
    connect(m_tabs.picture, &PictureTab::insertRunStarted, this, &EditorPanel::startInsertRun);
    connect(m_tabs.picture, &PictureTab::insertRequested, this, &EditorPanel::insertInRun);
    connect(m_tabs.picture, &PictureTab::insertRunFinished, this, &EditorPanel::finishInsertRun);
    connect(m_tabs.effect, &EffectTab::randomSpeed, this, &EditorPanel::followSpeed);
}

int EditorPanel::suggestion() const
{
    return repeatSuggestion(m_w.duration->value(), m_w.speed->value(), m_show->frameRate(),
                            m_patternWidth);
}

void EditorPanel::updateLoopSilently()
{
    if (!m_w.automatic->isChecked())
        return;
    const QSignalBlocker block(m_w.loops);
    m_w.loops->setValue(suggestion());
}

void EditorPanel::followSpeed(int speed)
{
    m_w.automatic->setChecked(true);
    m_w.speed->setValue(speed);
    // Unchanged, the slider announces nothing, yet the count is to follow.
    speedChanged(speed);
}

void EditorPanel::patternDrawn(const QPixmap &pattern, int width)
{
    setPatternWidth(width);
    updateLoopSilently();
    emit previewPattern(pattern, m_w.duration->value(), m_w.loops->value());
}

// ---------------------------------------------------------------- times

void EditorPanel::startChanged(const QTime &t)
{
    // Computed in double: 1.001 s may give 1000 ms here, the duration path rounds.
    const double end = m_w.duration->value() * 1000.0 + msOf(t);
    m_w.end->setTime(timeOf(static_cast<qint64>(end)));
}

void EditorPanel::endChanged(const QTime &t)
{
    m_w.duration->setValue((msOf(t) - msOf(m_w.start->time())) / 1000.0);
}

void EditorPanel::durationChanged(double seconds)
{
    if (m_w.automatic->isChecked())
        m_w.loops->setValue(suggestion());
    const QSignalBlocker block(m_w.end);
    m_w.end->setTime(timeOf(msOf(m_w.start->time()) + static_cast<qint64>(seconds * 1000.0 + 0.5)));
}

void EditorPanel::loopChanged(int value)
{
    if (value != suggestion())
        m_w.automatic->setChecked(false);
    previewCurrentTab();
}

void EditorPanel::speedChanged(int value)
{
    Q_UNUSED(value);
    m_w.automatic->setChecked(true);
    m_w.loops->setValue(suggestion());
}

void EditorPanel::autoToggled(bool checked)
{
    m_w.speedBox->setVisible(checked);
    if (checked) {
        m_w.speed->setValue(10);
        m_w.loops->setValue(suggestion());
    }
}

// ---------------------------------------------------------------- tabs

void EditorPanel::tabChanged(int index)
{
    switch (index) {
    case Picture:
        m_tabs.picture->refresh();
        break;
    case Colour:
        refreshColourTab();
        break;
    case Text:
        m_w.insert->setEnabled(true);
        m_tabs.text->refresh();
        break;
    case Effect:
        m_w.insert->setEnabled(true);
        m_tabs.effect->refresh();
        break;
    default:
        break;
    }
    if (m_w.automatic->isChecked())
        m_w.loops->setValue(suggestion());
}

QPixmap EditorPanel::currentPattern() const
{
    switch (m_w.kinds->currentIndex()) {
    case Picture:
        return m_tabs.picture->pattern();
    case Colour:
        return colourSquare(m_show->colour1());
    case Text:
        return QPixmap::fromImage(m_tabs.text->pattern());
    case Effect:
        return QPixmap::fromImage(m_tabs.effect->pattern());
    default:
        return {};
    }
}

void EditorPanel::previewCurrentTab()
{
    if (m_w.kinds->currentIndex() == Colour) {
        previewColour1();
        return;
    }
    emit previewPattern(currentPattern(), m_w.duration->value(), m_w.loops->value());
}

void EditorPanel::previewColour1()
{
    // The prop shows no transparency: an imported colour's alpha is dropped.
    const QColor c = m_show->colour1();
    emit previewColour(QColor(c.red(), c.green(), c.blue()));
}

// ---------------------------------------------------------------- colour tab

void EditorPanel::refreshColourTab()
{
    m_w.insert->setEnabled(true);
    const QColor c = m_show->colour1();
    m_w.colourNumbers[0]->setValue(c.red());
    m_w.colourNumbers[1]->setValue(c.green());
    m_w.colourNumbers[2]->setValue(c.blue());
    previewColour1();
}

void EditorPanel::setColourViewStyle(bool fromDialog)
{
    if (fromDialog) {
        const QColor c = m_show->colour1();
        m_w.colourView->setStyleSheet(
            QStringLiteral("background-color: rgb(%r, %g, %b);color: rgb(255, 255, 255);")
                .replace(QLatin1String("%r"), QString::number(c.red()))
                .replace(QLatin1String("%g"), QString::number(c.green()))
                .replace(QLatin1String("%b"), QString::number(c.blue())));
        return;
    }
    m_w.colourView->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3);")
                                      .arg(m_w.colourNumbers[0]->value())
                                      .arg(m_w.colourNumbers[1]->value())
                                      .arg(m_w.colourNumbers[2]->value()));
}

void EditorPanel::colourChannelChanged(int channel, int value)
{
    if (channel < 0 || channel > 2)
        return;
    m_w.colourSliders[channel]->setValue(value);
    QColor c = m_show->colour1();
    if (channel == 0)
        c.setRed(value);
    else if (channel == 1)
        c.setGreen(value);
    else
        c.setBlue(value);
    m_show->setColour1(c);
    setColourViewStyle(false);
    emit previewColour(QColor(m_w.colourSliders[0]->value(), m_w.colourSliders[1]->value(),
                              m_w.colourSliders[2]->value()));
}

void EditorPanel::colourSliderChanged(int channel, int value)
{
    if (channel < 0 || channel > 2)
        return;
    m_w.colourNumbers[channel]->setValue(value);
}

void EditorPanel::colourDialog()
{
    const QColor chosen = prompter().color(m_show->colour1(), m_dialogParent, tr("選擇顏色"));
    if (!chosen.isValid())
        return;
    m_show->setColour1(chosen);
    setColourViewStyle(true);
    m_w.colourNumbers[0]->setValue(chosen.red());
    m_w.colourNumbers[1]->setValue(chosen.green());
    m_w.colourNumbers[2]->setValue(chosen.blue());
    emit previewColour(QColor(chosen.red(), chosen.green(), chosen.blue()));
}

// ---------------------------------------------------------------- insert / apply

ModeSettings EditorPanel::modeSettings() const
{
    ModeSettings s;
    s.kind = m_w.kinds->currentIndex();
    s.startMs = msOf(m_w.start->time());
    s.endMs = msOf(m_w.end->time());
    s.loops = m_w.loops->value();
    s.speed = m_w.automatic->isChecked() ? m_w.speed->value() : 0;
    s.picturePath = m_w.picturePath->text();
    s.gap = m_w.pictureGap->value();
    s.pictureFlipH = m_w.pictureRevH->isChecked();
    s.pictureFlipV = m_w.pictureRevV->isChecked();
    s.colour = m_show->colour1();
    s.text = m_tabs.text->settings();
    s.fontFamily = m_tabs.text->fontFamily();
    s.effect = m_tabs.effect->settings();
    return s;
}

LegacyPanelState EditorPanel::legacyState() const
{
    const Show *show = m_show;
    LegacyPanelState p;
    p.startMs = msOf(m_w.start->time());
    p.endMs = msOf(m_w.end->time());
    p.seconds = m_w.duration->value();
    p.loops = m_w.loops->value();
    p.automatic = m_w.automatic->isChecked();
    p.speed = m_w.speed->value();
    p.patternWidth = m_patternWidth;
    p.colour1 = show->colour1();
    p.colour2 = show->colour2();
    p.picturePath = m_w.picturePath->text();
    p.gap = m_w.pictureGap->value();
    p.pictureFlipH = m_w.pictureRevH->isChecked();
    p.pictureFlipV = m_w.pictureRevV->isChecked();
    p.text = m_tabs.text->settings();
    p.effect = m_tabs.effect->settings();
    p.kind = m_w.kinds->currentIndex();
    return p;
}

void EditorPanel::showLegacyState(const LegacyPanelState &p)
{
    {
        const QSignalBlocker blockGap(m_w.pictureGap);
        m_w.picturePath->setText(p.picturePath);
        m_w.pictureGap->setValue(p.gap);
        m_w.pictureRevH->setChecked(p.pictureFlipH);
        m_w.pictureRevV->setChecked(p.pictureFlipV);
    }
    m_tabs.text->restore(p.text);
    m_tabs.effect->restore(p.effect);
    // After the tabs: a colour mode's colour may keep its alpha.
    m_show->setColours(p.colour1, p.colour2);
    {
        const QSignalBlocker blockStart(m_w.start);
        const QSignalBlocker blockEnd(m_w.end);
        const QSignalBlocker blockDuration(m_w.duration);
        const QSignalBlocker blockLoops(m_w.loops);
        const QSignalBlocker blockAuto(m_w.automatic);
        const QSignalBlocker blockSpeed(m_w.speed);
        m_w.start->setTime(timeOf(p.startMs));
        m_w.end->setTime(timeOf(p.endMs));
        m_w.duration->setValue(p.seconds);
        m_w.loops->setValue(p.loops);
        m_w.automatic->setChecked(p.automatic);
        m_w.speed->setValue(p.speed);
    }
    m_w.speedBox->setVisible(p.automatic);
    m_patternWidth = p.patternWidth;
    if (p.kind >= Picture && p.kind <= Effect) {
        if (m_w.kinds->currentIndex() == p.kind)
            tabChanged(p.kind);
        else
            m_w.kinds->setCurrentIndex(p.kind);
    }
}

bool EditorPanel::insertOrApply()
{
    m_w.insert->setFocus();
    const ModeSettings settings = modeSettings();
    const ModeBuilder builder({m_show->leds(), m_show->frameRate()});
    TimelineItem *item = m_tracks->selectedItem();
    BuiltMode built;
    if (item) {
        // Only a picture the tab drew from the mode's own file may replace
        // its pattern.
        const PictureTab *pictures = m_tabs.picture;
        ModePattern drawn;
        if (settings.kind == Picture && pictures->hasPicture() &&
            pictures->patternPath() == settings.picturePath)
            drawn = {pictures->pattern().toImage(), pictures->patternWidth(), {}};
        built = builder.apply(item->record(), settings, drawn);
        if (!built.ok && settings.kind == Picture) {
            prompter().warning(m_dialogParent, tr("圖片遺失"),
                               tr("圖片遺失，無法以新的設定重畫此圖樣。"));
            return false;
        }
    } else if (settings.kind == Picture) {
        // The tab's pattern as it shows it: a gap changed after loading
        // widened its canvas, and the picture need not be read again.
        const PictureTab *pictures = m_tabs.picture;
        if (!pictures->hasPicture())
            return false;
        built =
            builder.build(settings, {pictures->pattern().toImage(), pictures->patternWidth(), {}});
    } else {
        built = builder.build(settings);
    }
    if (!built.ok)
        return false;

    const QSignalBlocker blockLoop(m_w.loops);
    const QByteArray bytes = built.record.encode();
    // The mode, its placement and its pattern width: one undo step.
    const Project::Edit step(m_tracks->project());

    if (item) {
        m_tracks->showInsertPreview(false);
        item->setData(bytes);
    } else {
        Timeline *track = m_tracks->currentTrack();
        if (!track)
            return false;
        item = new TimelineItem(bytes, track);
        track->addTimelineItem(item);

        const double last = m_w.duration->value();
        m_w.start->setTime(m_w.end->time());
        m_w.end->setTime(timeOf(msOf(m_w.start->time()) + static_cast<qint64>(last * 1000.0)));

        if (m_w.tracksScroll)
            m_w.tracksScroll->ensureWidgetVisible(item, 50, 50);
        emit indicatorMoveRequested(item->endMs());
        m_tracks->showInsertPreview(false);
    }
    // A later resize counts the repeats with the width this count came from.
    m_show->setModePatternWidth(item->modeId(), m_patternWidth);
    if (Timeline *holder = item->track())
        holder->on_itemDragEnd(QByteArray(), item);
    if (!m_run.active)
        m_tracks->refreshCounters();
    return true;
}

void EditorPanel::startInsertRun()
{
    m_run = InsertRun();
    m_run.active = true;
    m_runStep = std::make_unique<Project::Edit>(m_tracks->project());
    m_run.from = msOf(m_w.start->time());
    if (TimelineItem *selected = m_tracks->selectedItem()) {
        // Applying would give the selected mode each picture in turn and
        // keep only the last: the new modes follow it instead, on its track,
        // at the panel's length.
        m_run.from = selected->endMs();
        if (Timeline *holder = selected->track())
            m_tracks->makeCurrent(holder, false);
        cancelSelect();
    }
}

void EditorPanel::insertInRun()
{
    const Timeline *track = m_tracks->currentTrack();
    if (!m_run.active || !track)
        return;
    QVector<placement::Span> taken;
    for (const ModeRecord &r : m_show->records(track->trackId()))
        taken.append({r.startMs(), r.endMs()});
    const int length = std::max(msOf(m_w.end->time()) - msOf(m_w.start->time()), 0);
    const int start = placement::firstFreeStart(taken, m_run.from, length);
    {
        const QSignalBlocker blockStart(m_w.start);
        const QSignalBlocker blockEnd(m_w.end);
        m_w.start->setTime(timeOf(start));
        m_w.end->setTime(timeOf(qint64(start) + length));
    }
    if (!insertOrApply())
        return;
    m_run.from = start + length;
    m_run.placed.append({start, start + length});
}

void EditorPanel::finishInsertRun()
{
    m_run.active = false;
    m_runStep.reset();
    m_tracks->refreshCounters();
    QString text = tr("圖片讀取完成!!");
    const QVector<QPair<int, int>> &placed = m_run.placed;
    if (!placed.isEmpty()) {
        // Modes placed end to end read as one span.
        const auto shown = [](int ms) { return timeOf(ms).toString(QStringLiteral("mm:ss.zzz")); };
        QStringList spans;
        for (int i = 0; i < placed.size(); ++i) {
            const int start = placed.at(i).first;
            while (i + 1 < placed.size() && placed.at(i + 1).first == placed.at(i).second)
                ++i;
            spans << shown(start) + QStringLiteral("–") + shown(placed.at(i).second);
        }
        text += QLatin1Char(' ') + tr("%1 個新圖樣放在軌道 %2：%3")
                                       .arg(placed.size())
                                       .arg(m_tracks->trackNumber(m_tracks->currentTrack()))
                                       .arg(spans.join(QStringLiteral("、")));
    }
    emit status(text);
}

// ---------------------------------------------------------------- open / cancel

void EditorPanel::openItem(TimelineItem *item)
{
    const QString params = item->params();
    if (isOldFormat(params)) {
        // Refused: the panel stays as it was and edits nothing. Said once
        // the press on the mode has ended (see the missing picture below).
        cancelSelect();
        if (!item->isPressed())
            prompter().warning(m_dialogParent, tr("無法讀取"),
                               tr("儲存格式過舊，請使用舊版軟體(v2.9↓)進行轉檔"));
        return;
    }
    item->setSelected(true);
    m_w.cancelSelect->setEnabled(true);
    m_w.insert->setEnabled(true);
    m_w.insert->setText(tr("套用編輯"));
    m_w.start->setTime(timeOf(item->startMs()));
    m_w.end->setTime(timeOf(item->endMs()));

    const ModeSettings stored = settingsOf(item->record());
    bool pictureMissing = false;
    switch (stored.kind) {
    case Picture:
        m_w.pictureGap->setValue(stored.gap);
        m_w.pictureRevH->setChecked(stored.pictureFlipH);
        m_w.pictureRevV->setChecked(stored.pictureFlipV);
        if (QFileInfo::exists(stored.picturePath)) {
            m_w.picturePath->setText(stored.picturePath);
        } else {
            // Not while the item is pressed: the drag of the press would
            // outlive the question and keep the keys (Delete) from the
            // window. The end of the press opens the item again and asks.
            pictureMissing = item->isPressed() || !replaceMissingPicture(item);
            if (pictureMissing)
                m_tabs.picture->showMissing(stored.picturePath);
        }
        break;
    case Colour:
        if (stored.colour.isValid())
            m_show->setColour1(stored.colour);
        break;
    case Text:
        m_tabs.text->restore(params);
        break;
    case Effect:
        m_tabs.effect->restore(params);
        break;
    default:
        break;
    }

    if (stored.kind >= 0 && stored.kind <= Effect) {
        if (m_w.kinds->currentIndex() == stored.kind)
            tabChanged(stored.kind);
        else
            m_w.kinds->setCurrentIndex(stored.kind);
    }

    // The panel shows the repeat count the mode holds, not a new suggestion:
    // the speed, if any, only comes into play when the length changes.
    const bool automatic = params.split(QLatin1Char('?')).size() >= 3 && item->speed() >= 1;
    {
        const QSignalBlocker blockAuto(m_w.automatic);
        const QSignalBlocker blockSpeed(m_w.speed);
        const QSignalBlocker blockLoops(m_w.loops);
        m_w.automatic->setChecked(automatic);
        if (automatic)
            m_w.speed->setValue(item->speed());
        m_w.loops->setValue(item->loops());
    }
    m_w.speedBox->setVisible(automatic);
    if (pictureMissing) {
        // Apply keeps the mode's own pattern, which the preview shows.
        m_w.insert->setEnabled(true);
        setPatternWidth(scaledWidthForHeight(item->record().thumbSize(), m_show->leds()));
        emit previewPattern(item->thumbPixmap(), m_w.duration->value(), m_w.loops->value());
    } else {
        previewCurrentTab();
    }
}

bool EditorPanel::replaceMissingPicture(TimelineItem *item)
{
    // Asked once per mode: a "no" holds until another project comes.
    if (m_askedMissing.contains(item->modeId()))
        return false;
    m_askedMissing.insert(item->modeId());
    if (prompter().warning(m_dialogParent, tr("圖片遺失"), tr("圖片遺失，是否替換遺失圖片？"),
                           QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    const QString file = prompter().openFileName(m_dialogParent, tr("取代圖片"), m_folder->folder(),
                                                 QString::fromLatin1(PictureFilter));
    // A replacement that is no readable picture replaces nothing.
    if (file.isEmpty() || !m_tabs.picture->picload(file))
        return false;
    QStringList parts = item->params().split(QLatin1Char('?'));
    if (parts.size() > 2)
        parts[2] = file;
    item->setParams(parts.join(QLatin1Char('?')));
    m_tracks->refreshCounters();
    return true;
}

void EditorPanel::startProject()
{
    m_askedMissing.clear();
}

void EditorPanel::cancelSelect()
{
    m_w.insert->setText(tr("插入圖樣"));
    m_w.cancelSelect->setEnabled(false);
    m_tracks->clearSelection();
}

} // namespace vc
