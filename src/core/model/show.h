#pragma once

#include "core/model/history.h"
#include "core/model/moderecord.h"
#include "core/model/placement.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

namespace vc {

// The show being edited: the prop it is made for (LED count and frame
// rate), the tracks with their modes, the current track, the editor's
// colour pair and the song. Every track is a complete alternative show for
// the same song; the current one is what editing, pasting, export and
// upload use.
//
// Widgets are views of it: they change it through its functions and follow
// its change signals, so nothing holds a stale copy. A call that changes
// nothing announces nothing. The placement rules live here: after every
// placement a track is sorted by start and free of overlaps.
//
// Changes to modes are announced by what they touched (modesEdited: the
// modes added, removed or changed, by identity), so that a view of a large
// show does work in proportion to the change, not to the show. Only what
// replaces a track's list as a whole (ordering a loaded track) asks for a
// full re-read; tracks that come and go are announced by tracksChanged.
class Show : public QObject
{
    Q_OBJECT

public:
    // Identities of tracks and modes: unique for the show's lifetime, never
    // reused, so that undo snapshots can name them.
    using Id = History::Id;

    struct Mode
    {
        Id id = 0;
        // Always the encoding of `record` (shared, not copied, between
        // snapshots).
        QByteArray bytes;
        ModeRecord record;
        // False when the bytes given could not be read whole; the mode then
        // holds whatever fields could be read.
        bool complete = true;
        // W of the mode's pattern as the editor drew it (the divisor of its
        // repeat count), when known; 0: taken from the thumb. Never saved.
        int patternWidth = 0;
    };
    struct Track
    {
        Id id = 0;
        QVector<Mode> modes;
        // Whether the modes are known to be sorted by start and free of
        // overlaps (as every placement leaves them), so that a time can be
        // looked up by binary search. False does not mean they are not.
        bool placed = true;
    };
    // What one announcement of a track's modes covers. Every mode listed
    // was added to the track (inserted), left it (removed: deleted, covered
    // or moved to another track) or changed on it (changed: record, times or
    // place in the list), in the course of one call or batch; one mode may
    // be in more than one list (added and placed, say), and a listed mode
    // may be gone again by the time it is announced: a view looks each up.
    // The track's order is always its list's. `reset`: the list was
    // replaced as a whole; a view reads the whole track again.
    struct ModeChange
    {
        QVector<Id> inserted;
        QVector<Id> removed;
        QVector<Id> changed;
        bool reset = false;
        bool isEmpty() const
        {
            return !reset && inserted.isEmpty() && removed.isEmpty() && changed.isEmpty();
        }
    };

    explicit Show(QObject *parent = nullptr);

    // ------------------------------------------------------------ prop
    // Every pattern is scaled to `leds` pixels high; the prop plays
    // `frameRate` columns a second.
    qint16 leds() const { return m_leds; }
    float frameRate() const { return m_frameRate; }
    void setLeds(int leds);
    void setFrameRate(float frameRate);

    // ------------------------------------------------------------ colours
    // Colour 1 is the front (text, effect, plain colour), colour 2 the
    // background.
    QColor colour1() const { return m_colour1; }
    QColor colour2() const { return m_colour2; }
    void setColour1(const QColor &colour);
    void setColour2(const QColor &colour);
    void setColours(const QColor &colour1, const QColor &colour2);

    // ------------------------------------------------------------ song
    // The song the show is laid out on; empty without one.
    QString songPath() const { return m_songPath; }
    void setSongPath(const QString &path);
    // Where an exported show begins, in ms of the song; 0 for no mark.
    int startMarkMs() const { return m_startMarkMs; }
    void setStartMarkMs(int ms);

    // ------------------------------------------------------------ tracks
    // Track 1 (the bottom one, as the editor numbers them) first.
    const QVector<Track> &tracks() const { return m_tracks; }
    int trackCount() const { return m_tracks.size(); }
    const Track *track(Id id) const;
    // 0 for track 1; -1 for no live track.
    int trackIndex(Id id) const;
    // Index into a track's modes of the first mode covering `ms` (startMs <=
    // ms < endMs) in list order, or -1; by binary search on a placed track.
    int modeIndexAt(Id track, int ms) const;
    // The indices [first, last) of a track's modes that may overlap the span
    // [fromMs, toMs): exactly those on a placed track, all of them otherwise.
    QPair<int, int> modeRange(Id track, int fromMs, int toMs) const;
    Id currentTrack() const { return m_current; }
    // Makes a live track current.
    void setCurrentTrack(Id id);
    // A new empty track at `index` (clamped to 0..trackCount), made current.
    Id addTrack(int index);
    // Removes a track; never the last one. The first track becomes current
    // when the current one goes.
    bool removeTrack(Id id);
    // A new track at `index` holding copies of a track's modes, in its
    // order, made current; 0 when there is no such track.
    Id duplicateTrack(Id source, int index);
    // Moves a track to `index` (clamped).
    void moveTrack(Id id, int index);
    // Removes every track and mode and starts again with one empty track.
    void clear();

    // ------------------------------------------------------------ modes
    // The mode and the track holding it, or null.
    const Mode *mode(Id id, Id *trackId = nullptr) const;
    int modeCount() const;
    // A track's records in its order; none for no live track.
    QVector<ModeRecord> records(Id track) const;
    // Appends a mode at the end of a track's list, unplaced (loading puts
    // a file's modes on their tracks this way, then sorts). `decoded`:
    // what ModeRecord::decode gave for `bytes`, when the caller decoded
    // them already.
    Id appendMode(Id track, const QByteArray &bytes);
    Id appendMode(Id track, const QByteArray &bytes, const ModeRecord &decoded, bool complete,
                  int used);
    // Appends a mode and places it: it wins against every mode it overlaps.
    Id insertMode(Id track, const QByteArray &bytes);
    // A copied mode pasted at `startMs`: the length and repeat count it was
    // copied with, placed as Insert places a mode. 0 when the bytes are no
    // whole mode record.
    Id pasteMode(Id track, const QByteArray &bytes, int startMs);
    // Replaces a mode's record (an applied edit), unplaced.
    bool setModeBytes(Id id, const QByteArray &bytes);
    // The one way to change a mode's times, unplaced. With a speed, the
    // repeat count follows the new length.
    bool retimeMode(Id id, int start, int end);
    // Moves a mode to start at `start`, unplaced: its length and its repeat
    // count stay exactly as they are (a move or a paste changes where a
    // mode plays, never what it plays).
    bool shiftMode(Id id, int start);
    // Records the width W of the pattern a mode was made from, so that a
    // resize counts its repeats exactly as the editor suggested them.
    // Changes nothing visible and announces nothing.
    void setModePatternWidth(Id id, int width);
    // Replaces a mode's parameter text (a replaced picture path).
    bool setModeParams(Id id, const QString &params);
    // Takes a mode to the end of a track's list (the same track too, so
    // that it wins the next start tie), unplaced.
    bool moveMode(Id id, Id toTrack);
    bool removeMode(Id id);
    // Places a mode on its track: it wins every same-start tie, modes it
    // covers are removed, modes it overlaps are trimmed and a mode reaching
    // past both of its ends is split in two.
    void placeMode(Id id);
    // Orders a track by start, settling overlaps by the placement rules.
    void sortTrack(Id track);
    // Orders a track by start without any rule (a file from elsewhere may
    // list a track out of order; loading keeps what it holds).
    void orderTrack(Id track);

    // ------------------------------------------------------------ history
    // The tracks as the undo history keeps them (bytes shared, not copied).
    History::Snapshot snapshot() const;
    // Puts a snapshot's modes back on its tracks. A track added after the
    // snapshot was taken leaves (it comes back when a later snapshot that
    // names it is restored: redo); a track removed by removeTrack stays
    // gone (removing a track is final). Modes come back under their own
    // identities.
    void restore(const History::Snapshot &state);

    // Several changes announced once per track at the end (loading).
    class Batch
    {
    public:
        explicit Batch(Show *show) : m_show(show) { ++m_show->m_batch; }
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        Show *m_show;
    };

signals:
    void ledsChanged(int leds);
    void frameRateChanged(float frameRate);
    void coloursChanged(const QColor &colour1, const QColor &colour2);
    void songPathChanged(const QString &path);
    void startMarkChanged(int ms);
    // Tracks were added, removed or reordered, or the show was cleared.
    void tracksChanged();
    void currentTrackChanged(Id track);
    // A track's list of modes or a mode on it changed: modesEdited says
    // what changed, then modesChanged that something did.
    void modesEdited(vc::Show::Id track, const vc::Show::ModeChange &change);
    void modesChanged(Id track);
    void modeCountChanged(int count);

private:
    Track *findTrack(Id id);
    // The indices of a mode's track and of the mode on it, or -1s.
    QPair<int, int> locate(Id id) const;
    Mode *findMode(Id id, Track **holder = nullptr, int *index = nullptr);
    Mode makeMode(Id id, const QByteArray &bytes, const ModeRecord &decoded, bool complete,
                  int used);
    void retime(Mode &m, int start, int end) const;
    // A track as a snapshot lists it (by identity).
    static History::Track entryOf(const Track &t);
    // The track's entry as of now, made from the last one when a few
    // modes changed since.
    const History::Track &entryFor(const Track &t) const;
    void applyPlacement(Track &t, int placed);
    // The placement of one mode worked out from its neighbours alone, when
    // the rest of its track is in order; false when it is not.
    static bool placeLocally(const Track &t, int placed, placement::Result &result);
    // The tracks of a snapshot: later ones leave, taken-away ones return.
    void restoreTracks(const History::Snapshot &state);
    enum class Touch
    {
        Inserted,
        Removed,
        Changed,
        Reset
    };
    void changed(Track &t, Touch touch, Id mode);
    static bool isPlaced(const QVector<Mode> &modes);
    void countModes();
    // The end of the outermost batch announces what changed in it.
    void endBatch();

    qint16 m_leds = 0;
    float m_frameRate = 0.0f;
    QColor m_colour1{255, 255, 255};
    QColor m_colour2{0, 0, 0};
    QString m_songPath;
    int m_startMarkMs = 0;

    QVector<Track> m_tracks;
    Id m_current = 0;
    Id m_nextId = 1;
    int m_modeCount = 0;
    int m_batch = 0;
    QHash<Id, ModeChange> m_pending;
    // Each track's entry of the last snapshot, until a change touches it.
    mutable QHash<Id, History::Track> m_snapshotTracks;
    // The modes of a track touched since its entry there was made.
    mutable QHash<Id, QVector<Id>> m_entryTouched;
    // The track each mode was last seen on (a hint: it may be stale).
    mutable QHash<Id, Id> m_modeTracks;
    // Tracks that restoring a snapshot took away, with where they stood,
    // for restoring a later one that names them.
    struct Stashed
    {
        int index = 0;
        Track track;
    };
    QHash<Id, Stashed> m_stashed;
};

} // namespace vc
