#include "gui/audio/beatcorrections.h"

#include "core/audio/beatlayout.h"
#include "core/project/project.h"
#include "gui/audio/chartview.h"
#include "gui/audio/timelineheaders.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace vc {

namespace {
// Taps further apart than this start a new tempo.
constexpr int TapPauseMs = 2000;
} // namespace

BeatCorrections::BeatCorrections(const Widgets &widgets, Project *project, QObject *parent)
    : QObject(parent), m_w(widgets), m_project(project), m_tapTimer(new QTimer(this))
{
    m_tapTimer->setSingleShot(true);
    m_tapTimer->setInterval(TapPauseMs);
    connect(m_tapTimer, &QTimer::timeout, this, &BeatCorrections::finishTapping);
    m_tapAction = new QAction(tr("打拍子設定速度"), this);
    m_tapAction->setObjectName(QStringLiteral("actionTapTempo"));
    m_tapAction->setShortcut(QKeySequence(Qt::Key_T));
    connect(m_tapAction, &QAction::triggered, this, [this] { tap(playMs()); });
    if (m_project)
        connect(m_project, &Project::beatGridChanged, this, &BeatCorrections::refresh);
    if (m_w.ruler) {
        connect(m_w.ruler, &TimelineHeaders::indicatorMoved, this, &BeatCorrections::showTempo);
        connect(m_w.ruler, &TimelineHeaders::beatDragged, this, &BeatCorrections::shift);
        connect(m_w.ruler, &TimelineHeaders::menuOpening, this, [this](QMenu *menu, qint64 ms) {
            menu->addSeparator();
            fillMenu(menu->addMenu(tr("節拍")), ms);
        });
    }
    refresh();
}

void BeatCorrections::setFound(const SongBeats &beats)
{
    m_found = BeatGrid::fromSong(beats);
    m_foundMs = beats.ms;
    refresh();
}

BeatGrid BeatCorrections::grid() const
{
    BeatGrid stored;
    if (m_project && BeatGrid::fromJson(m_project->beatGrid(), &stored))
        return stored;
    return m_found;
}

bool BeatCorrections::isCorrected() const
{
    return m_project && !m_project->beatGrid().isEmpty();
}

void BeatCorrections::store(const BeatGrid &grid)
{
    if (!m_project || grid.isEmpty() || grid == this->grid())
        return;
    Project::Edit step(m_project);
    m_project->setBeatGrid(grid.toJson());
}

void BeatCorrections::halve()
{
    store(grid().halved());
}

void BeatCorrections::doubleTempo()
{
    store(grid().doubled());
}

void BeatCorrections::setBarStartAt(qint64 ms)
{
    store(grid().withDownbeatAt(ms));
}

void BeatCorrections::setMeter(int meter)
{
    store(grid().withMeter(meter));
}

void BeatCorrections::shift(qint64 fromMs, qint64 deltaMs, bool onlyLater)
{
    if (deltaMs != 0)
        store(onlyLater ? grid().shifted(deltaMs, fromMs - 1) : grid().shifted(deltaMs));
}

void BeatCorrections::tap(qint64 ms)
{
    if (!m_taps.isEmpty() && (ms <= m_taps.last() || ms - m_taps.last() > TapPauseMs))
        finishTapping();
    m_taps.append(ms);
    m_tapTimer->start();
}

void BeatCorrections::finishTapping()
{
    m_tapTimer->stop();
    const QVector<double> taps = m_taps;
    m_taps.clear();
    // Over the beats there are, or the whole timeline without any.
    const BeatGrid now = grid();
    const QVector<double> times = now.times();
    const double from = times.isEmpty() ? 0 : times.first();
    const double to = !times.isEmpty() ? times.last()
                      : m_w.ruler      ? m_w.ruler->totalLength()
                                       : taps.value(taps.size() - 1);
    store(BeatGrid::tapped(taps, from, to, now.isEmpty() ? 4 : now.meter()));
}

void BeatCorrections::reset()
{
    if (!isCorrected())
        return;
    Project::Edit step(m_project);
    m_project->setBeatGrid({});
}

void BeatCorrections::fitToBeats(int units)
{
    Show *show = m_project ? m_project->show() : nullptr;
    Show::Id track = 0;
    const Show::Mode *first = show && m_selected ? show->mode(m_selected(), &track) : nullptr;
    if (!first)
        return;
    QVector<Show::Id> modes;
    for (const Show::Mode &m : show->track(track)->modes) {
        if (m.record.start >= first->record.start)
            modes.append(m.id);
    }
    {
        Project::Edit step(m_project);
        beats::fitToBeats(*show, modes, grid(), units);
    }
    emit modesLaidOut();
}

void BeatCorrections::splitAtBeats(int units, bool alternate)
{
    Show *show = m_project ? m_project->show() : nullptr;
    if (!show || !m_selected || !show->mode(m_selected()))
        return;
    const Show::Mode *next = alternate ? nextMode() : nullptr;
    if (alternate && !next)
        return;
    // A copy: the split moves the track's modes.
    const QByteArray second = next ? next->bytes : QByteArray();
    {
        Project::Edit step(m_project);
        beats::splitAtBeats(*show, m_selected(), grid(), units, second);
    }
    emit modesLaidOut();
}

const Show::Mode *BeatCorrections::nextMode() const
{
    const Show *show = m_project ? m_project->show() : nullptr;
    Show::Id track = 0;
    const Show::Mode *selected = show && m_selected ? show->mode(m_selected(), &track) : nullptr;
    if (!selected)
        return nullptr;
    // The track's modes are kept in the order of their starts.
    const QVector<Show::Mode> &modes = show->track(track)->modes;
    const int at = int(selected - modes.constData());
    return at + 1 < modes.size() ? &modes[at + 1] : nullptr;
}

qint64 BeatCorrections::playMs() const
{
    return m_w.ruler ? m_w.ruler->indicator()->msecs() : 0;
}

void BeatCorrections::fillMenu(QMenu *menu, qint64 atMs)
{
    const BeatGrid now = grid();
    const bool some = !now.isEmpty();
    menu->addAction(tr("速度減半"), this, &BeatCorrections::halve)->setEnabled(some);
    menu->addAction(tr("速度加倍"), this, &BeatCorrections::doubleTempo)->setEnabled(some);
    menu->addAction(atMs < 0 ? tr("小節從播放位置開始") : tr("小節從這裡開始"), this,
                    [this, atMs] { setBarStartAt(atMs < 0 ? playMs() : atMs); })
        ->setEnabled(some);
    QMenu *meters = menu->addMenu(tr("每小節拍數"));
    meters->setEnabled(some);
    auto *group = new QActionGroup(meters);
    for (int meter : BeatGrid::Meters) {
        QAction *a =
            meters->addAction(QString::number(meter), this, [this, meter] { setMeter(meter); });
        a->setCheckable(true);
        a->setChecked(some && now.meter() == meter);
        group->addAction(a);
    }
    menu->addAction(m_tapAction);
    menu->addSeparator();
    const bool selected = some && m_selected && m_project && m_project->show()->mode(m_selected());
    QMenu *fit = menu->addMenu(tr("依節拍排列"));
    QMenu *split = menu->addMenu(tr("在節拍分割"));
    // Every other piece plays the pattern of the mode after it on the track.
    QMenu *alternate = menu->addMenu(tr("在節拍分割，與下一個模式交替"));
    for (QMenu *sub : {fit, split, alternate}) {
        sub->setEnabled(selected && (sub != alternate || nextMode()));
        for (int units : {1, 2, 4, int(beats::ToNextBar)}) {
            const QString text = units == beats::ToNextBar ? tr("每 1 小節")
                                 : units == 1              ? tr("每拍")
                                                           : tr("每 %1 拍").arg(units);
            sub->addAction(text, this, [this, sub, fit, alternate, units] {
                sub == fit ? fitToBeats(units) : splitAtBeats(units, sub == alternate);
            });
        }
    }
    menu->addSeparator();
    menu->addAction(tr("還原為找到的節拍"), this, &BeatCorrections::reset)
        ->setEnabled(isCorrected());
}

void BeatCorrections::refresh()
{
    m_shown = grid();
    // The found beats as found: the grid's stretches may round them a ms off.
    const QVector<int> marks = isCorrected() ? m_shown.beats() : m_foundMs;
    QVector<int> bars;
    for (int i = 0; i < marks.size(); ++i)
        bars.append(m_shown.barOf(i));
    if (m_w.ruler) {
        m_w.ruler->setBeats(marks);
        m_w.ruler->setBars(bars);
    }
    if (m_w.waveform)
        m_w.waveform->setBeats(marks);
    m_shownTempo = -1;
    showTempo();
    emit gridShown(m_shown);
}

// Only a changed tempo is written: the play position moves many times a
// second.
void BeatCorrections::showTempo()
{
    if (!m_w.tempo)
        return;
    const double bpm = m_shown.tempoAt(playMs());
    if (qRound(bpm) == qRound(m_shownTempo))
        return;
    m_shownTempo = bpm;
    m_w.tempo->setText(m_shown.isEmpty() ? QString() : tr("%1 BPM").arg(qRound(bpm)));
}

} // namespace vc
