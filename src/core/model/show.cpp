#include "core/model/show.h"

#include "core/model/placement.h"
#include "core/model/trackorder.h"

#include <QHash>

#include <algorithm>

namespace vc {

Show::Show(QObject *parent) : QObject(parent)
{
    m_tracks.append(Track{m_nextId++, {}});
    m_current = m_tracks.first().id;
}

Show::Batch::~Batch()
{
    m_show->endBatch();
}

void Show::endBatch()
{
    if (--m_batch > 0)
        return;
    const QHash<Id, ModeChange> pending = std::exchange(m_pending, {});
    for (const Track &t : qAsConst(m_tracks)) {
        const auto it = pending.constFind(t.id);
        if (it == pending.constEnd())
            continue;
        emit modesEdited(t.id, *it);
        emit modesChanged(t.id);
    }
    countModes();
}

// ---------------------------------------------------------------- prop

void Show::setLeds(int leds)
{
    const auto value = static_cast<qint16>(leds);
    if (value == m_leds)
        return;
    m_leds = value;
    emit ledsChanged(m_leds);
}

void Show::setFrameRate(float frameRate)
{
    if (frameRate == m_frameRate)
        return;
    m_frameRate = frameRate;
    emit frameRateChanged(m_frameRate);
}

// ---------------------------------------------------------------- colours

void Show::setColour1(const QColor &colour)
{
    setColours(colour, m_colour2);
}

void Show::setColour2(const QColor &colour)
{
    setColours(m_colour1, colour);
}

void Show::setColours(const QColor &colour1, const QColor &colour2)
{
    if (colour1 == m_colour1 && colour2 == m_colour2)
        return;
    m_colour1 = colour1;
    m_colour2 = colour2;
    emit coloursChanged(m_colour1, m_colour2);
}

void Show::setSongPath(const QString &path)
{
    if (path == m_songPath)
        return;
    m_songPath = path;
    emit songPathChanged(m_songPath);
}

void Show::setStartMarkMs(int ms)
{
    ms = std::max(ms, 0);
    if (ms == m_startMarkMs)
        return;
    m_startMarkMs = ms;
    emit startMarkChanged(m_startMarkMs);
}

// ---------------------------------------------------------------- tracks

const Show::Track *Show::track(Id id) const
{
    const int i = trackIndex(id);
    return i < 0 ? nullptr : &m_tracks.at(i);
}

Show::Track *Show::findTrack(Id id)
{
    const int i = trackIndex(id);
    return i < 0 ? nullptr : &m_tracks[i];
}

int Show::trackIndex(Id id) const
{
    for (int i = 0; i < m_tracks.size(); ++i) {
        if (m_tracks.at(i).id == id)
            return i;
    }
    return -1;
}

int Show::modeIndexAt(Id track, int ms) const
{
    const Track *t = this->track(track);
    if (!t)
        return -1;
    const auto covers = [ms](const Mode &m) {
        return m.record.startMs() <= ms && ms < m.record.endMs();
    };
    if (!t->placed) {
        const auto it = std::find_if(t->modes.cbegin(), t->modes.cend(), covers);
        return it == t->modes.cend() ? -1 : int(it - t->modes.cbegin());
    }
    // Sorted and free of overlaps: only the last mode starting at or before
    // `ms` can cover it.
    const auto after =
        std::upper_bound(t->modes.cbegin(), t->modes.cend(), ms,
                         [](int at, const Mode &m) { return at < m.record.startMs(); });
    if (after == t->modes.cbegin())
        return -1;
    const int i = int(after - t->modes.cbegin()) - 1;
    return covers(t->modes.at(i)) ? i : -1;
}

QPair<int, int> Show::modeRange(Id track, int fromMs, int toMs) const
{
    const Track *t = this->track(track);
    if (!t)
        return {0, 0};
    const int n = int(t->modes.size());
    if (!t->placed)
        return {0, n};
    const auto startsBefore = [](const Mode &m, int at) { return m.record.startMs() < at; };
    int first = int(std::lower_bound(t->modes.cbegin(), t->modes.cend(), fromMs, startsBefore) -
                    t->modes.cbegin());
    // The mode before may reach into the span.
    if (first > 0 && t->modes.at(first - 1).record.endMs() > fromMs)
        --first;
    const int last =
        int(std::lower_bound(t->modes.cbegin() + first, t->modes.cend(), toMs, startsBefore) -
            t->modes.cbegin());
    return {first, last};
}

void Show::setCurrentTrack(Id id)
{
    if (id == m_current || trackIndex(id) < 0)
        return;
    m_current = id;
    emit currentTrackChanged(m_current);
}

Show::Id Show::addTrack(int index)
{
    const Id id = m_nextId++;
    m_tracks.insert(std::clamp(index, 0, int(m_tracks.size())), Track{id, {}});
    emit tracksChanged();
    setCurrentTrack(id);
    return id;
}

bool Show::removeTrack(Id id)
{
    const int i = trackIndex(id);
    if (i < 0 || m_tracks.size() <= 1)
        return false;
    m_tracks.removeAt(i);
    m_pending.remove(id);
    m_snapshotTracks.remove(id);
    m_entryTouched.remove(id);
    emit tracksChanged();
    if (m_current == id) {
        m_current = m_tracks.first().id;
        emit currentTrackChanged(m_current);
    }
    countModes();
    return true;
}

Show::Id Show::duplicateTrack(Id source, int index)
{
    const Track *from = track(source);
    if (!from)
        return 0;
    const QVector<Mode> modes = from->modes;
    const Id id = addTrack(index);
    const Batch batch(this);
    for (const Mode &m : modes) {
        const Id copy = appendMode(id, m.bytes, m.record, m.complete, int(m.bytes.size()));
        setModePatternWidth(copy, m.patternWidth);
    }
    return id;
}

void Show::moveTrack(Id id, int index)
{
    const int from = trackIndex(id);
    const int to = std::clamp(index, 0, int(m_tracks.size()) - 1);
    if (from < 0 || from == to)
        return;
    m_tracks.move(from, to);
    emit tracksChanged();
}

void Show::clear()
{
    m_tracks.clear();
    m_pending.clear();
    m_stashed.clear();
    m_snapshotTracks.clear();
    m_entryTouched.clear();
    m_modeTracks.clear();
    m_tracks.append(Track{m_nextId++, {}});
    m_current = m_tracks.first().id;
    emit tracksChanged();
    emit currentTrackChanged(m_current);
    countModes();
}

// ---------------------------------------------------------------- modes

QPair<int, int> Show::locate(Id id) const
{
    const auto at = [this, id](int k) {
        const QVector<Mode> &modes = m_tracks.at(k).modes;
        for (int i = 0; i < modes.size(); ++i) {
            if (modes.at(i).id == id)
                return i;
        }
        return -1;
    };
    // The track a mode was last seen on first: a show of many tracks is
    // not walked whole to find one mode.
    const int hinted = trackIndex(m_modeTracks.value(id));
    if (hinted >= 0) {
        const int i = at(hinted);
        if (i >= 0)
            return {hinted, i};
    }
    for (int k = 0; k < m_tracks.size(); ++k) {
        if (k == hinted)
            continue;
        const int i = at(k);
        if (i >= 0) {
            m_modeTracks.insert(id, m_tracks.at(k).id);
            return {k, i};
        }
    }
    return {-1, -1};
}

const Show::Mode *Show::mode(Id id, Id *trackId) const
{
    const QPair<int, int> at = locate(id);
    if (at.first < 0)
        return nullptr;
    if (trackId)
        *trackId = m_tracks.at(at.first).id;
    return &m_tracks.at(at.first).modes.at(at.second);
}

Show::Mode *Show::findMode(Id id, Track **holder, int *index)
{
    const QPair<int, int> at = locate(id);
    if (at.first < 0)
        return nullptr;
    Track &t = m_tracks[at.first];
    if (holder)
        *holder = &t;
    if (index)
        *index = at.second;
    return &t.modes[at.second];
}

int Show::modeCount() const
{
    int n = 0;
    for (const Track &t : m_tracks)
        n += t.modes.size();
    return n;
}

QVector<ModeRecord> Show::records(Id track) const
{
    QVector<ModeRecord> out;
    if (const Track *t = this->track(track)) {
        out.reserve(t->modes.size());
        for (const Mode &m : t->modes)
            out.append(m.record);
    }
    return out;
}

Show::Mode Show::makeMode(Id id, const QByteArray &bytes, const ModeRecord &decoded, bool complete,
                          int used)
{
    Mode m;
    m.id = id;
    m.record = decoded;
    m.complete = complete;
    // Bytes that are exactly what encoding writes are shared; anything
    // else (trailing bytes, a damaged record) is written anew, so the bytes
    // and the fields never disagree.
    m.bytes = complete && used == bytes.size() ? bytes : decoded.encode();
    return m;
}

Show::Id Show::appendMode(Id track, const QByteArray &bytes)
{
    bool complete = false;
    int used = 0;
    const ModeRecord decoded =
        ModeRecord::decode(bytes, &complete, &used, ModeRecord::ThumbChecked);
    return appendMode(track, bytes, decoded, complete, used);
}

Show::Id Show::appendMode(Id track, const QByteArray &bytes, const ModeRecord &decoded,
                          bool complete, int used)
{
    Track *t = findTrack(track);
    if (!t)
        return 0;
    t->modes.append(makeMode(m_nextId++, bytes, decoded, complete, used));
    const Id id = t->modes.last().id;
    m_modeTracks.insert(id, track);
    const int n = int(t->modes.size());
    const ModeRecord &r = t->modes.last().record;
    t->placed = t->placed && r.endMs() >= r.startMs() &&
                (n == 1 || t->modes.at(n - 2).record.endMs() <= r.startMs());
    changed(*t, Touch::Inserted, id);
    return id;
}

Show::Id Show::insertMode(Id track, const QByteArray &bytes)
{
    const Batch batch(this);
    const Id id = appendMode(track, bytes);
    if (id)
        placeMode(id);
    return id;
}

Show::Id Show::pasteMode(Id track, const QByteArray &bytes, int startMs)
{
    bool whole = false;
    int used = 0;
    const ModeRecord decoded = ModeRecord::decode(bytes, &whole, &used, ModeRecord::ThumbChecked);
    if (!whole)
        return 0; // not a mode this program wrote
    const Batch batch(this);
    const Id id = appendMode(track, bytes, decoded, whole, used);
    if (id) {
        shiftMode(id, startMs);
        placeMode(id);
    }
    return id;
}

bool Show::setModeBytes(Id id, const QByteArray &bytes)
{
    Track *t = nullptr;
    Mode *m = findMode(id, &t);
    if (!m)
        return false;
    if (History::sameBytes(m->bytes, bytes))
        return true;
    bool complete = false;
    int used = 0;
    const ModeRecord decoded =
        ModeRecord::decode(bytes, &complete, &used, ModeRecord::ThumbChecked);
    if (decoded.start != m->record.start || decoded.end != m->record.end)
        t->placed = false;
    *m = makeMode(id, bytes, decoded, complete, used);
    changed(*t, Touch::Changed, id);
    return true;
}

void Show::retime(Mode &m, int start, int end) const
{
    const int width =
        m.patternWidth > 0 ? m.patternWidth : scaledWidthForHeight(m.record.thumbSize(), m_leds);
    m.record.retimeWithWidth(start, end, m_frameRate, width);
    m.bytes = m.record.encode();
}

void Show::setModePatternWidth(Id id, int width)
{
    if (Mode *m = findMode(id))
        m->patternWidth = std::max(width, 0);
}

bool Show::retimeMode(Id id, int start, int end)
{
    Track *t = nullptr;
    Mode *m = findMode(id, &t);
    if (!m)
        return false;
    retime(*m, start, end);
    t->placed = false;
    changed(*t, Touch::Changed, id);
    return true;
}

bool Show::shiftMode(Id id, int start)
{
    Track *t = nullptr;
    Mode *m = findMode(id, &t);
    if (!m)
        return false;
    start = std::max(start, 0);
    const int length = m->record.durationMs();
    if (m->record.start == start && m->record.end == start + length)
        return true;
    m->record.start = start;
    m->record.end = start + length;
    m->bytes = m->record.encode();
    t->placed = false;
    changed(*t, Touch::Changed, id);
    return true;
}

bool Show::setModeParams(Id id, const QString &params)
{
    Track *t = nullptr;
    Mode *m = findMode(id, &t);
    if (!m)
        return false;
    m->record.params = params;
    m->bytes = m->record.encode();
    changed(*t, Touch::Changed, id);
    return true;
}

bool Show::moveMode(Id id, Id toTrack)
{
    Track *from = nullptr;
    Mode *m = findMode(id, &from);
    Track *to = findTrack(toTrack);
    if (!m || !to)
        return false;
    const Mode moved = *m;
    from->modes.erase(std::remove_if(from->modes.begin(), from->modes.end(),
                                     [id](const Mode &x) { return x.id == id; }),
                      from->modes.end());
    to->modes.append(moved);
    to->placed = false;
    m_modeTracks.insert(id, toTrack);
    if (from == to) {
        changed(*to, Touch::Changed, id);
    } else {
        changed(*from, Touch::Removed, id);
        changed(*to, Touch::Inserted, id);
    }
    return true;
}

bool Show::removeMode(Id id)
{
    Track *t = nullptr;
    if (!findMode(id, &t))
        return false;
    t->modes.erase(std::remove_if(t->modes.begin(), t->modes.end(),
                                  [id](const Mode &x) { return x.id == id; }),
                   t->modes.end());
    m_modeTracks.remove(id);
    changed(*t, Touch::Removed, id);
    return true;
}

bool Show::placeLocally(const Track &t, int placed, placement::Result &result)
{
    const QVector<Mode> &modes = t.modes;
    const int n = int(modes.size());
    if (placed < 0 || placed >= n)
        return false;
    // The others in order, each starting after the one before starts and
    // ends: then the placement rules touch only the modes around the
    // placed one (the one before it, those starting before it ends) and
    // keep every other where it is. Anything else is placed whole.
    int lastStart = -1;
    int lastEnd = 0;
    for (int i = 0; i < n; ++i) {
        if (i == placed)
            continue;
        const ModeRecord &r = modes.at(i).record;
        if (r.endMs() < r.startMs() || r.startMs() <= lastStart || r.startMs() < lastEnd)
            return false;
        lastStart = r.startMs();
        lastEnd = r.endMs();
    }
    // Index into the list of the o-th other mode.
    const auto listIndex = [placed](int o) { return o < placed ? o : o + 1; };
    const auto firstStarting = [&](auto after) {
        int lo = 0;
        int hi = n - 1;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (after(modes.at(listIndex(mid)).record.startMs()))
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };
    const ModeRecord &x = modes.at(placed).record;
    const int reach = std::max(x.startMs(), x.endMs());
    const int from = std::max(0, firstStarting([&x](int s) { return s >= x.startMs(); }) - 1);
    const int to = std::min(n - 1, firstStarting([reach](int s) { return s > reach; }) + 1);
    QVector<placement::Span> spans;
    spans.reserve(to - from + 1);
    for (int o = from; o < to; ++o) {
        const ModeRecord &r = modes.at(listIndex(o)).record;
        spans.append(placement::Span{r.start, r.end});
    }
    spans.append(placement::Span{x.start, x.end});
    const placement::Result near = placement::place(spans, int(spans.size()) - 1);
    const auto fromNear = [&](int k) { return k < to - from ? listIndex(from + k) : placed; };
    result.outcomes = QVector<placement::Outcome>(n);
    for (int k = 0; k < near.outcomes.size(); ++k)
        result.outcomes[fromNear(k)] = near.outcomes.at(k);
    result.order.clear();
    result.order.reserve(n + 1);
    for (int o = 0; o < from; ++o)
        result.order.append(placement::Slot{listIndex(o), false});
    for (const placement::Slot &slot : near.order)
        result.order.append(placement::Slot{fromNear(slot.index), slot.piece});
    for (int o = to; o < n - 1; ++o)
        result.order.append(placement::Slot{listIndex(o), false});
    return true;
}

void Show::applyPlacement(Track &t, int placed)
{
    const Batch batch(this); // one announcement
    placement::Result result;
    if (!placeLocally(t, placed, result)) {
        QVector<placement::Span> spans;
        spans.reserve(t.modes.size());
        for (const Mode &m : qAsConst(t.modes))
            spans.append(placement::Span{m.record.start, m.record.end});
        result = placement::place(spans, placed);
    }
    // What the placement touches: the placed mode (its place in the list),
    // modes retimed, split or removed, and the second halves of splits.
    QVector<Id> touched;
    QVector<Id> removed;
    if (placed >= 0 && placed < t.modes.size())
        touched.append(t.modes.at(placed).id);
    for (int i = 0; i < result.outcomes.size(); ++i) {
        const placement::Fate fate = result.outcomes.at(i).fate;
        if (fate == placement::Fate::Removed)
            removed.append(t.modes.at(i).id);
        else if (fate != placement::Fate::Kept)
            touched.append(t.modes.at(i).id);
    }
    const Id firstPiece = m_nextId;
    // Applied in place: a placement keeps nearly every mode where it is,
    // so only what it touches is retimed, and only the part of the list it
    // reorders is moved (never copied).
    const int n = int(t.modes.size());
    QHash<int, Mode> pieces;
    for (int i = 0; i < n; ++i) {
        const placement::Outcome &o = result.outcomes.at(i);
        if (o.fate != placement::Fate::Retimed && o.fate != placement::Fate::Split)
            continue;
        Mode &m = t.modes[i];
        if (o.fate == placement::Fate::Split) {
            // The second half is a new mode with a copy of the record.
            Mode piece = m;
            piece.id = m_nextId++;
            pieces.insert(i, piece);
        }
        const placement::Span raw{m.record.start, m.record.end};
        const placement::Span to = movedTimes(raw.start, raw.end, o.start, o.end);
        if (to.start != raw.start || to.end != raw.end)
            retime(m, to.start, to.end);
        if (o.fate == placement::Fate::Split) {
            Mode &piece = pieces[i];
            retime(piece, o.pieceStart, o.pieceEnd);
            m_modeTracks.insert(piece.id, t.id);
        }
    }
    const QVector<placement::Slot> &order = result.order;
    const int count = int(order.size());
    const auto stays = [&order](int slot, int index) {
        return !order.at(slot).piece && order.at(slot).index == index;
    };
    int head = 0;
    while (head < count && head < n && stays(head, head))
        ++head;
    int tail = 0;
    while (tail < count - head && tail < n - head && stays(count - 1 - tail, n - 1 - tail))
        ++tail;
    QVector<Mode> middle;
    middle.reserve(count - head - tail);
    for (int k = head; k < count - tail; ++k) {
        const placement::Slot &slot = order.at(k);
        middle.append(slot.piece ? std::move(pieces[slot.index]) : std::move(t.modes[slot.index]));
    }
    for (Id id : qAsConst(removed))
        m_modeTracks.remove(id);
    if (middle.size() == n - head - tail) {
        std::move(middle.begin(), middle.end(), t.modes.begin() + head);
    } else {
        t.modes.erase(t.modes.begin() + head, t.modes.begin() + (n - tail));
        t.modes.insert(head, int(middle.size()), Mode());
        std::move(middle.begin(), middle.end(), t.modes.begin() + head);
    }
    t.placed = isPlaced(t.modes);
    if (placed < 0) {
        // A sort may reorder anything.
        changed(t, Touch::Reset, 0);
        return;
    }
    for (Id id : qAsConst(removed))
        changed(t, Touch::Removed, id);
    for (Id id : qAsConst(touched))
        changed(t, Touch::Changed, id);
    for (Id id = firstPiece; id < m_nextId; ++id)
        changed(t, Touch::Inserted, id);
}

void Show::placeMode(Id id)
{
    Track *t = nullptr;
    int placed = -1;
    if (findMode(id, &t, &placed))
        applyPlacement(*t, placed);
}

void Show::sortTrack(Id track)
{
    if (Track *t = findTrack(track))
        applyPlacement(*t, -1);
}

void Show::orderTrack(Id track)
{
    Track *t = findTrack(track);
    if (!t)
        return;
    const QVector<Mode> before = t->modes;
    orderByStart(t->modes, [](const Mode &m) { return m.record.startMs(); });
    t->placed = isPlaced(t->modes);
    for (int i = 0; i < before.size(); ++i) {
        if (before.at(i).id != t->modes.at(i).id) {
            changed(*t, Touch::Reset, 0);
            return;
        }
    }
}

// ---------------------------------------------------------------- history

History::Track Show::entryOf(const Track &t)
{
    QVector<History::Item> items;
    items.reserve(t.modes.size());
    for (const Mode &m : t.modes)
        items.append(History::Item{m.id, m.bytes});
    std::sort(items.begin(), items.end(),
              [](const History::Item &a, const History::Item &b) { return a.id < b.id; });
    return History::Track{t.id, History::Items(items)};
}

const History::Track &Show::entryFor(const Track &t) const
{
    auto it = m_snapshotTracks.find(t.id);
    QVector<Id> touched = m_entryTouched.take(t.id);
    if (it == m_snapshotTracks.end())
        return *m_snapshotTracks.insert(t.id, entryOf(t));
    if (touched.isEmpty())
        return *it;
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    if (touched.size() > t.modes.size() / 8 + 16) {
        *it = entryOf(t);
        return *it;
    }
    // The last entry with the touched modes as they are now: a step that
    // changed a few modes of a long track copies the runs holding them.
    QVector<History::Item> now;
    for (const Mode &m : t.modes) {
        if (std::binary_search(touched.cbegin(), touched.cend(), m.id))
            now.append(History::Item{m.id, m.bytes});
    }
    std::sort(now.begin(), now.end(),
              [](const History::Item &a, const History::Item &b) { return a.id < b.id; });
    QVector<Id> gone;
    for (Id id : qAsConst(touched)) {
        if (std::none_of(now.cbegin(), now.cend(),
                         [id](const History::Item &i) { return i.id == id; }))
            gone.append(id);
    }
    it->items = it->items.patched(gone, now);
    return *it;
}

History::Snapshot Show::snapshot() const
{
    History::Snapshot s;
    s.reserve(m_tracks.size());
    // A track no change touched since the last snapshot gives the same
    // entry again, shared, not copied.
    for (const Track &t : m_tracks)
        s.append(entryFor(t));
    return s;
}

namespace {

// Restoring orders a track by start, then identity.
bool restoredBefore(const Show::Mode &a, const Show::Mode &b)
{
    return a.record.startMs() < b.record.startMs() ||
           (a.record.startMs() == b.record.startMs() && a.id < b.id);
}

} // namespace

void Show::restore(const History::Snapshot &state)
{
    const Batch batch(this);
    restoreTracks(state);
    // Each track is compared with the snapshot by identity: its own entry
    // (the last snapshot's, shared while no change touched the track)
    // against the snapshot's. Lists that share their items are skipped
    // cheaply, so undoing one edit costs what it changed, not the length
    // of the track.
    struct Difference
    {
        int track = 0;
        const History::Track *entry = nullptr;
        QVector<Id> gone;
        QVector<const History::Item *> altered;
        QVector<const History::Item *> coming;
    };
    QVector<Difference> differences;
    // Modes leaving a track keep their decoded fields for the track they
    // go to (a mode moved between tracks changes both).
    QHash<Id, Mode> leaving;
    for (int k = 0; k < m_tracks.size(); ++k) {
        const Track &t = m_tracks.at(k);
        Difference d;
        d.track = k;
        d.entry = History::find(state, t.id);
        const History::Track own = entryFor(t);
        static const History::Items none;
        const History::Items &wanted = d.entry ? d.entry->items : none;
        if (own.items.shares(wanted))
            continue; // untouched since it gave this very entry
        History::compare(own.items, wanted, [&d](const History::Item *a, const History::Item *b) {
            if (!b)
                d.gone.append(a->id);
            else if (!a)
                d.coming.append(b);
            else
                d.altered.append(b);
            return true;
        });
        if (!d.gone.isEmpty()) {
            QVector<Id> gone = d.gone; // ascending, as their entry lists them
            for (const Mode &m : t.modes) {
                if (std::binary_search(gone.cbegin(), gone.cend(), m.id))
                    leaving.insert(m.id, m);
            }
        }
        differences.append(d);
    }
    for (const Difference &d : qAsConst(differences)) {
        Track &t = m_tracks[d.track];
        // The modes that go or are read anew leave the list...
        QVector<Id> out = d.gone;
        for (const History::Item *i : d.altered)
            out.append(i->id);
        std::sort(out.begin(), out.end());
        if (!out.isEmpty())
            t.modes.erase(std::remove_if(t.modes.begin(), t.modes.end(),
                                         [&out](const Mode &m) {
                                             return std::binary_search(out.cbegin(), out.cend(),
                                                                       m.id);
                                         }),
                          t.modes.end());
        // ...and those that come or changed come in where they belong.
        QVector<Mode> in;
        in.reserve(d.altered.size() + d.coming.size());
        const auto read = [&in, &leaving](const History::Item &i, bool reuse) {
            const auto kept = reuse ? leaving.constFind(i.id) : leaving.cend();
            if (kept != leaving.cend() && History::sameBytes(kept->bytes, i.bytes)) {
                in.append(*kept);
                return;
            }
            bool complete = false;
            int used = 0;
            const ModeRecord decoded =
                ModeRecord::decode(i.bytes, &complete, &used, ModeRecord::ThumbChecked);
            in.append(Mode{i.id, i.bytes, decoded, complete});
        };
        for (const History::Item *i : d.altered)
            read(*i, false);
        for (const History::Item *i : d.coming)
            read(*i, true);
        const bool ordered = std::is_sorted(t.modes.cbegin(), t.modes.cend(), restoredBefore);
        if (ordered && in.size() <= 16) {
            for (const Mode &m : qAsConst(in))
                t.modes.insert(std::upper_bound(t.modes.begin(), t.modes.end(), m, restoredBefore),
                               m);
        } else {
            t.modes += in;
            std::sort(t.modes.begin(), t.modes.end(), restoredBefore);
        }
        t.placed = isPlaced(t.modes);
        for (Id id : d.gone)
            changed(t, Touch::Removed, id);
        for (const History::Item *i : d.altered)
            changed(t, Touch::Changed, i->id);
        for (const History::Item *i : d.coming) {
            m_modeTracks.insert(i->id, t.id);
            changed(t, Touch::Inserted, i->id);
        }
        // The track now holds exactly the entry: the next snapshot shares it.
        if (d.entry) {
            m_entryTouched.remove(t.id);
            m_snapshotTracks.insert(t.id, *d.entry);
        }
    }
}

void Show::restoreTracks(const History::Snapshot &state)
{
    // Every track alive when the snapshot was taken is named in it, and
    // identities are never reused: a live track it does not name was added
    // after it.
    bool changedTracks = false;
    for (int i = m_tracks.size() - 1; i >= 0 && m_tracks.size() > 1; --i) {
        const Id id = m_tracks.at(i).id;
        if (History::find(state, id))
            continue;
        m_stashed.insert(id, Stashed{i, m_tracks.takeAt(i)});
        m_pending.remove(id);
        changedTracks = true;
    }
    // Tracks the snapshot names that an earlier restore took away come back
    // where they stood, lowest position first.
    QVector<Stashed> back;
    for (const History::Track &entry : state) {
        const auto it = m_stashed.constFind(entry.id);
        if (it != m_stashed.constEnd() && trackIndex(entry.id) < 0) {
            back.append(*it);
            m_stashed.erase(it);
        }
    }
    std::sort(back.begin(), back.end(),
              [](const Stashed &a, const Stashed &b) { return a.index < b.index; });
    for (const Stashed &s : back) {
        m_tracks.insert(std::clamp(s.index, 0, int(m_tracks.size())), s.track);
        changedTracks = true;
    }
    if (!changedTracks)
        return;
    emit tracksChanged();
    if (trackIndex(m_current) < 0) {
        m_current = m_tracks.first().id;
        emit currentTrackChanged(m_current);
    }
    countModes();
}

// ---------------------------------------------------------------- signals

bool Show::isPlaced(const QVector<Mode> &modes)
{
    for (int i = 1; i < modes.size(); ++i) {
        if (modes.at(i).record.startMs() < modes.at(i - 1).record.endMs())
            return false;
    }
    for (const Mode &m : modes) {
        if (m.record.endMs() < m.record.startMs())
            return false;
    }
    return true;
}

void Show::changed(Track &t, Touch touch, Id mode)
{
    if (touch == Touch::Reset) {
        m_snapshotTracks.remove(t.id);
        m_entryTouched.remove(t.id);
    } else if (m_snapshotTracks.contains(t.id)) {
        QVector<Id> &touched = m_entryTouched[t.id];
        touched.append(mode);
        // Past a few, the entry is made anew when it is next asked for.
        if (touched.size() > 64 && touched.size() > t.modes.size() / 8) {
            m_snapshotTracks.remove(t.id);
            m_entryTouched.remove(t.id);
        }
    }
    ModeChange single;
    ModeChange &c = m_batch > 0 ? m_pending[t.id] : single;
    switch (touch) {
    case Touch::Inserted:
        c.inserted.append(mode);
        break;
    case Touch::Removed:
        c.removed.append(mode);
        break;
    case Touch::Changed:
        c.changed.append(mode);
        break;
    case Touch::Reset:
        c.reset = true;
        break;
    }
    if (m_batch > 0)
        return;
    const Id id = t.id; // the signals may change the tracks
    emit modesEdited(id, single);
    emit modesChanged(id);
    countModes();
}

void Show::countModes()
{
    const int n = modeCount();
    if (n == m_modeCount)
        return;
    m_modeCount = n;
    emit modeCountChanged(n);
}

} // namespace vc
