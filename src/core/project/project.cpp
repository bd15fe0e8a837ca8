#include "core/project/project.h"

#include "core/project/projectnames.h"
#include "core/timeline/timescale.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <algorithm>

namespace vc {

Project::Project(QObject *parent) : QObject(parent), m_show(this)
{
    connect(&m_show, &Show::modesChanged, this, &Project::touched);
    connect(&m_show, &Show::tracksChanged, this, &Project::touched);
    // The prop and the song are saved with the project too, but are no
    // undo step.
    const auto saved = [this] {
        if (!m_restoring && m_untracked == 0)
            setModified(true);
    };
    connect(&m_show, &Show::ledsChanged, this, saved);
    connect(&m_show, &Show::frameRateChanged, this, saved);
    connect(&m_show, &Show::songPathChanged, this, saved);
    // Removing or moving a track is no undo step, but the file holds the
    // tracks in their order: it is an unsaved change all the same.
    connect(&m_show, &Show::tracksChanged, this, saved);
    // An assignment goes with its track.
    connect(&m_show, &Show::tracksChanged, this, [this] {
        // (Its entry stays, unseen: removing a track is final, and an entry
        // that changed here would make the next step differ from the last.)
        const auto gone = [this](const Prop &p) { return m_show.trackIndex(p.track) < 0; };
        if (!m_restoring && std::any_of(m_props.cbegin(), m_props.cend(), gone))
            emit propsChanged();
    });
}

Project::~Project()
{
    // The show goes first: nothing it announces while it goes is a step.
    m_untracked = 1;
    disconnect(&m_show, nullptr, this, nullptr);
}

Project *Project::of(const Show *show)
{
    return show ? qobject_cast<Project *>(show->parent()) : nullptr;
}

// ---------------------------------------------------------------- steps

Project::Edit::Edit(Project *project) : m_project(project)
{
    if (m_project)
        ++m_project->m_editDepth;
}

Project::Edit::~Edit()
{
    if (m_project && --m_project->m_editDepth == 0)
        m_project->flush();
}

Project::Untracked::Untracked(Project *project) : m_project(project)
{
    if (m_project)
        ++m_project->m_untracked;
}

Project::Untracked::~Untracked()
{
    if (m_project && --m_project->m_untracked == 0)
        m_project->m_pending = false;
}

void Project::touched()
{
    if (m_restoring || m_untracked > 0)
        return;
    m_pending = true;
    if (m_editDepth > 0 || m_flushQueued)
        return;
    m_flushQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_flushQueued = false;
        if (m_editDepth == 0)
            flush();
    });
}

void Project::flush()
{
    if (!m_pending || m_untracked > 0 || m_editDepth > 0)
        return;
    m_pending = false;
    record();
}

void Project::record()
{
    if (!m_history.record(m_show.snapshot(), extrasBytes()))
        return;
    emit historyChanged();
    setModified(true);
    emit edited();
}

void Project::startHistory()
{
    m_pending = false;
    m_history.reset();
    m_history.record(m_show.snapshot(), extrasBytes());
    emit historyChanged();
    setModified(false);
}

void Project::clearHistory()
{
    m_pending = false;
    m_history.reset();
    emit historyChanged();
}

void Project::restore(const History::Snapshot *state)
{
    m_restoring = true;
    m_show.restore(*state);
    restoreExtras(m_history.currentExtra());
    m_restoring = false;
    emit historyChanged();
    // The project is no longer what was saved (when it was saved after the
    // step taken back, closing must still ask).
    setModified(true);
    emit edited();
}

bool Project::undo()
{
    // A change not yet recorded is a step of its own, so undo takes back
    // exactly it.
    flush();
    const History::Snapshot *state = m_history.undo();
    if (state)
        restore(state);
    return state != nullptr;
}

bool Project::redo()
{
    flush();
    const History::Snapshot *state = m_history.redo();
    if (state)
        restore(state);
    return state != nullptr;
}

void Project::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(m_modified);
    announceTitle();
}

// ---------------------------------------------------------------- file

void Project::setPath(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    emit pathChanged(m_path);
    announceTitle();
}

void Project::announceTitle()
{
    const QString t = title();
    if (t == m_title)
        return;
    m_title = t;
    emit titleChanged(t);
}

QString Project::title() const
{
    if (m_path.isEmpty())
        return untitledWindowTitle(); // the plain program name is never marked
    QString t = projectWindowTitle(m_path);
    if (m_modified)
        t[t.size() - 1] = QLatin1Char('*');
    return t;
}

void Project::setGadgetRow(int row)
{
    if (row == m_gadgetRow)
        return;
    m_gadgetRow = row;
    emit gadgetRowChanged(row);
}

// ---------------------------------------------------------------- extras

ProjectExtras Project::extras() const
{
    ProjectExtras e;
    e.beatGrid = m_beatGrid;
    e.props = props();
    e.other = m_otherExtras;
    return e;
}

void Project::setExtras(const ProjectExtras &extras)
{
    const Edit step(this);
    m_otherExtras = extras.other;
    setBeatGrid(extras.beatGrid);
    setProps(extras.props);
}

void Project::setBeatGrid(const QJsonObject &grid)
{
    if (grid == m_beatGrid)
        return;
    m_beatGrid = grid;
    emit beatGridChanged();
    touched();
}

QVector<PropAssignment> Project::props() const
{
    QVector<PropAssignment> out;
    for (const Prop &p : m_props) {
        const int index = m_show.trackIndex(p.track);
        if (index >= 0)
            out.append({index + 1, p.name, p.port});
    }
    std::sort(out.begin(), out.end(),
              [](const PropAssignment &a, const PropAssignment &b) { return a.track < b.track; });
    return out;
}

void Project::setProps(const QVector<PropAssignment> &props)
{
    QVector<Prop> next;
    for (const PropAssignment &a : props) {
        if (a.track < 1 || a.track > m_show.trackCount())
            continue;
        const Id id = m_show.tracks().at(a.track - 1).id;
        if (std::none_of(next.cbegin(), next.cend(), [id](const Prop &p) { return p.track == id; }))
            next.append({id, a.name, a.port});
    }
    for (const Prop &p : qAsConst(m_props)) {
        if (m_show.trackIndex(p.track) < 0)
            next.append(p);
    }
    const auto same = [](const Prop &a, const Prop &b) {
        return a.track == b.track && a.name == b.name && a.port == b.port;
    };
    if (next.size() == m_props.size() &&
        std::equal(next.cbegin(), next.cend(), m_props.cbegin(), same))
        return;
    m_props = next;
    emit propsChanged();
    touched();
}

QByteArray Project::extrasBytes() const
{
    if (m_beatGrid.isEmpty() && m_props.isEmpty())
        return {};
    QJsonArray props;
    for (const Prop &p : m_props)
        props.append(QJsonArray{QString::number(p.track), p.name, p.port});
    return QJsonDocument(
               QJsonObject{{QLatin1String("grid"), m_beatGrid}, {QLatin1String("props"), props}})
        .toJson(QJsonDocument::Compact);
}

void Project::restoreExtras(const QByteArray &bytes)
{
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    const QJsonObject grid = o.value(QLatin1String("grid")).toObject();
    QVector<Prop> props;
    for (const QJsonValue &v : o.value(QLatin1String("props")).toArray()) {
        const QJsonArray a = v.toArray();
        props.append(
            {Id(a.at(0).toString().toULongLong()), a.at(1).toString(), a.at(2).toString()});
    }
    if (grid != m_beatGrid) {
        m_beatGrid = grid;
        emit beatGridChanged();
    }
    const auto same = [](const Prop &a, const Prop &b) {
        return a.track == b.track && a.name == b.name && a.port == b.port;
    };
    if (props.size() != m_props.size() ||
        !std::equal(props.cbegin(), props.cend(), m_props.cbegin(), same)) {
        m_props = props;
        emit propsChanged();
    }
}

// ---------------------------------------------------------------- queries

int Project::modeIndexUnder(Id track, int x, float msPerPixel) const
{
    const Show::Track *t = m_show.track(track);
    if (!t || x < 0 || msPerPixel <= 0.0f)
        return -1;
    const int minWidth = timescale::minItemWidth(msPerPixel);
    // Only a mode drawn wider than its time (the narrowest item width) can
    // reach x from further left than its time does.
    const int from = timescale::xToMsTrunc(std::max(0, x - minWidth - 1), msPerPixel);
    const int to = timescale::xToMsTrunc(x + 2, msPerPixel) + 1;
    const QPair<int, int> range = m_show.modeRange(track, from, to);
    for (int i = range.second - 1; i >= range.first; --i) {
        const ModeRecord &r = t->modes.at(i).record;
        const int left = timescale::itemX(r.startMs(), msPerPixel);
        const int width =
            std::max(minWidth, timescale::itemX(std::max(r.durationMs(), 0), msPerPixel));
        if (x >= left && x < left + width)
            return i;
    }
    return -1;
}

} // namespace vc
