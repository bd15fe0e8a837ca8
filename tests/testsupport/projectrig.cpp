#include "testsupport/projectrig.h"

#include "gui/audio/timelineheaders.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"

#include <QDoubleSpinBox>
#include <QFrame>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vc::test {

void addRecord(TracksController *tracks, const QByteArray &record, Timeline *track)
{
    Timeline *t = track ? track : tracks->currentTrack();
    t->addTimelineItem(new TimelineItem(record, t));
    tracks->refreshCounters();
}

QString trackLayout(const TracksController *tracks)
{
    QStringList out;
    for (Timeline *t : tracks->tracksByNumber()) {
        QStringList starts;
        for (const TimelineItem *i : t->items())
            starts << QString::number(i->start());
        out << t->rowLabel()->text() + QLatin1Char(':') + starts.join(QLatin1Char(','));
    }
    return out.join(QLatin1Char(' '));
}

ProjectRig::ProjectRig()
{
    show.setLeds(80);
    show.setFrameRate(2100.0f);

    // The track area counts on the form's layout: a spacer above the
    // tracks and a line below them, the row labels likewise between two
    // spacers.
    scroll = new QScrollArea(&host);
    auto *contents = new QWidget;
    auto *contentsLayout = new QVBoxLayout(contents);
    ruler = new TimelineHeaders(contents);
    ruler->setTimeAxis(&axis);
    contentsLayout->addWidget(ruler);
    area = new QWidget(contents);
    layout = new QVBoxLayout(area);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addSpacerItem(new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto *line = new QFrame(area);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    contentsLayout->addWidget(area);
    scroll->setWidget(contents);
    scroll->setWidgetResizable(true);

    rowHeader = new QWidget(&host);
    rowHeaderLayout = new QVBoxLayout(rowHeader);
    rowHeaderLayout->setSpacing(0);
    rowHeaderLayout->setContentsMargins(0, 0, 0, 0);
    rowHeaderLayout->addSpacerItem(
        new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    rowHeaderLayout->addSpacerItem(
        new QSpacerItem(20, 1, QSizePolicy::Minimum, QSizePolicy::Fixed));

    TracksController::Widgets w;
    w.area = area;
    w.layout = layout;
    w.rowHeader = rowHeader;
    w.rowHeaderLayout = rowHeaderLayout;
    w.ruler = ruler;
    w.scroll = scroll;
    w.cancelSelect = new QPushButton(&host);
    w.modeStart = new QTimeEdit(&host);
    w.modeLength = new QDoubleSpinBox(&host);
    w.modeLength->setValue(5.0);
    w.dialogParent = &host;
    tracks = new TracksController(w, &project, &axis, &host);

    ProjectFiles::Services s;
    s.project = &project;
    s.show = &show;
    s.tracks = tracks;
    s.pictures = &pictures;
    s.dialogParent = &host;
    s.trackArea = area;
    files = new ProjectFiles(s, &host);
    files->panelState = [this] { return panel; };

    titles = std::make_unique<QSignalSpy>(&project, &Project::titleChanged);
    songs = std::make_unique<QSignalSpy>(files, &ProjectFiles::songRequested);
    props = std::make_unique<QSignalSpy>(files, &ProjectFiles::propRequested);
    replaced = std::make_unique<QSignalSpy>(files, &ProjectFiles::projectReplaced);
    loaded = std::make_unique<QSignalSpy>(files, &ProjectFiles::loaded);
    QObject::connect(files, &ProjectFiles::legacyImported, &host,
                     [this](const LegacyPanelState &p, int lastEndMs) {
                         imports.append({p, lastEndMs});
                     });
    QObject::connect(files, &ProjectFiles::songRequested, &host,
                     [this](const QString &path) { show.setSongPath(path); });
    QObject::connect(files, &ProjectFiles::propRequested, &host,
                     [this](int leds, float frameRate, bool) {
                         show.setLeds(leds);
                         show.setFrameRate(frameRate);
                     });

    files->startHistory();
}

// The spies go before the objects they watch.
ProjectRig::~ProjectRig()
{
    titles.reset();
    songs.reset();
    props.reset();
    replaced.reset();
    loaded.reset();
}

QString ProjectRig::title() const
{
    return titles->isEmpty() ? QString() : titles->last().at(0).toString();
}

Timeline *ProjectRig::current() const
{
    return tracks->currentTrack();
}

QString ProjectRig::lastMessage() const
{
    const QStringList texts = prompter.messageTexts();
    return texts.isEmpty() ? QString() : texts.last();
}

} // namespace vc::test
