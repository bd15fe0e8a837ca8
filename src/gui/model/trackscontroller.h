#pragma once

#include "core/model/history.h"
#include "core/project/project.h"
#include "gui/timeline/timelineitem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QBoxLayout;
class QDoubleSpinBox;
class QScrollArea;
class QTimeEdit;
class Timeline;
class TimelineHeaders;

namespace vc {

class Show;
class TimeAxis;

// The track area of the main window: a view of the project's tracks (one
// Timeline per track, in the show's order, with its row label), the
// selected and previewed items and the clipboard. Undo and redo are the
// project's; the controller leaves the editor's apply mode around them.
// The main window's track slots forward here.
class TracksController : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        QWidget *area = nullptr;                 // timeline_widget: holds the tracks
        QBoxLayout *layout = nullptr;            // timeline_layout
        QWidget *rowHeader = nullptr;            // timeline_rowheader_contents
        QBoxLayout *rowHeaderLayout = nullptr;   // timeline_rowheader_layout
        TimelineHeaders *ruler = nullptr;        // timeline_headers
        QScrollArea *scroll = nullptr;           // timeline_scroll (horizontal)
        QAbstractButton *cancelSelect = nullptr; // cancelSelect
        // The span a new mode would take, for the insert preview.
        QTimeEdit *modeStart = nullptr;       // Mode_t1
        QDoubleSpinBox *modeLength = nullptr; // Mode_last
        QWidget *dialogParent = nullptr;
    };

    TracksController(const Widgets &widgets, Project *project, const TimeAxis *axis,
                     QObject *parent = nullptr);
    ~TracksController() override;

    // --- tracks
    // All tracks in lookup order (insertion order; not changed by moves).
    const QList<Timeline *> &tracks() const { return m_tracks; }
    // The tracks by number: track 1 (the bottom one) first. This is the
    // order that is shown and saved.
    QList<Timeline *> tracksByNumber() const;
    // 1 for the bottom track up to N for the top one; 0 for no live track.
    int trackNumber(const Timeline *track) const;
    Timeline *currentTrack() const { return m_current; }
    // Position in the track layout: 1 is the top track.
    int layoutPosition(const Timeline *track) const;
    // The show's track index a new track takes to stand at layout
    // position p (1 is the top; 0 or less: the top).
    int showIndexAt(int p) const;

    // Adds a track at layout position p (1 if p < 1) and makes it current.
    Timeline *addTimeline(short p);
    // "+": a new track directly above the current one.
    void addTrack();
    // "-": removes the current track after asking; never the last one.
    void removeCurrentTrack();
    void moveCurrentTrackUp();
    void moveCurrentTrackDown();
    // A new track above the current one holding copies of the source's modes.
    void duplicateTrack(Timeline *source);
    // Makes a track current. By the user (a press on it or its label): the
    // selection is cleared and the mode under the play indicator previewed.
    void makeCurrent(Timeline *track, bool byUser);
    // A whole-item drag entered another track: the dragged item moves there.
    void moveDraggedItem(Timeline *target);

    // Destroys every track and item (and resets the history, which named
    // them) and adds one empty current track: New and Load start here.
    void clearProject();

    // --- items
    TimelineItem *selectedItem() const { return m_selected; }
    TimelineItem *previewedItem() const { return m_previewed; }
    void setPreviewedItem(TimelineItem *item);
    // The item of the current track under a time, or null.
    TimelineItem *itemAt(int ms) const;
    int itemCount() const;
    // Selects an item: it becomes the selected and previewed item and is
    // opened in the editor.
    void selectItem(TimelineItem *item);
    // The end of an item drag (or a paste): select it and refresh.
    void itemDragEnded(TimelineItem *item);
    // Forgets the selection (the item part of leaving apply mode).
    void clearSelection();
    // The Delete key: takes the selected item off its track.
    void deleteSelected();

    // --- history (the project's)
    // Leaves apply mode when the selected item is gone, and records what
    // changed as an undo step now.
    void refreshCounters();
    void undo();
    void redo();
    const History &history() const { return m_project->history(); }
    Show *document() const { return m_show; }
    Project *project() const { return m_project; }
    bool isModified() const { return m_project->isModified(); }
    void setModified(bool modified) { m_project->setModified(modified); }

    // --- clipboard
    void copySelected();
    void pasteToCurrent();

    // --- insert preview
    void showInsertPreview(bool hovered);
    // Whether the song or the internal clock runs (the insert preview stays
    // hidden then). Playback installs it.
    void setPlayingQuery(std::function<bool()> query) { m_isPlaying = std::move(query); }

signals:
    // The editor panel leaves apply mode (the selected item is gone, or
    // the selection no longer stands).
    void selectionCancelled();
    // An item was selected: the editor panel opens it.
    void itemOpened(TimelineItem *item);
    // The preview shows an item, or nothing (black).
    void previewItem(TimelineItem *item);
    void previewNothing();

private:
    void connectTrack(Timeline *track);
    // The track views follow the show's tracks and its current track.
    void syncTracks();
    void syncCurrent();
    void renumber();
    void moveTrack(Timeline *track, int position);
    void onItemRemoved(TimelineItem *item);
    bool isLive(const TimelineItem *item) const;
    int horizontalScroll() const;
    void setHorizontalScroll(int value);
    int indicatorMs() const;

    Widgets m_w;
    Project *m_project;
    Show *m_show;
    const TimeAxis *m_axis;
    QList<Timeline *> m_tracks;
    QHash<quintptr, Timeline *> m_views;
    Timeline *m_current = nullptr;
    QPointer<TimelineItem> m_selected;
    QPointer<TimelineItem> m_previewed;
    std::function<bool()> m_isPlaying;
};

} // namespace vc
