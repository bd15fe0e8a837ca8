#pragma once

#include "core/app/picturefolder.h"
#include "core/model/history.h"
#include "core/model/show.h"
#include "core/project/projectextras.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

namespace vc {

// The project being edited: the show, its undo history, whether it has
// unsaved changes, the file it belongs to, the prop it is made for (the
// gadget catalogue's row), where picture dialogs open, and what a project
// keeps beside its file (the beat grid, the troupe's props). Every change
// is announced; the window's title, counters, boxes and undo actions are
// views of it.
//
// Undo steps record themselves: every change to the tracks, the beat grid
// or the props becomes part of a step. A change made inside an Edit
// bracket is recorded when the outermost bracket closes (one step for a
// whole gesture: a drag, an applied edit, a fit to beats); one made
// outside any bracket is recorded when control returns to the event loop,
// or at once by flush(). So a forgotten bracket can only split a step,
// never lose one.
class Project : public QObject
{
    Q_OBJECT

public:
    using Id = Show::Id;

    explicit Project(QObject *parent = nullptr);
    ~Project() override;

    Show *show() { return &m_show; }
    const Show *show() const { return &m_show; }
    // The project a show belongs to, or null for a show of its own.
    static Project *of(const Show *show);

    // ------------------------------------------------------------ steps
    // Brackets the changes of one editing step. Null is allowed (a show
    // without a project records nothing).
    class Edit
    {
    public:
        explicit Edit(Project *project);
        ~Edit();
        Edit(const Edit &) = delete;
        Edit &operator=(const Edit &) = delete;

    private:
        // A step left open by an object that outlives the project.
        QPointer<Project> m_project;
    };
    // Changes made while it lives are part of where the history starts, not
    // a step (a load, a project being replaced). startHistory() follows.
    class Untracked
    {
    public:
        explicit Untracked(Project *project);
        ~Untracked();
        Untracked(const Untracked &) = delete;
        Untracked &operator=(const Untracked &) = delete;

    private:
        Project *m_project;
    };
    // Records what changed outside any bracket now, rather than when
    // control returns to the event loop.
    void flush();

    // A fresh history whose first step is the project as it is now; the
    // project counts as unchanged.
    void startHistory();
    // Forgets every step (the tracks they name are about to go).
    void clearHistory();
    bool undo();
    bool redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    const History &history() const { return m_history; }

    // Whether a step was recorded since the flag was last cleared.
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // ------------------------------------------------------------ file
    // The project's own file; empty for one that has none yet.
    QString path() const { return m_path; }
    void setPath(const QString &path);
    // The window title: the file's name, or the untitled title; the unsaved
    // mark replaces its last character.
    QString title() const;

    // ------------------------------------------------------------ prop
    // The gadget catalogue's row the show is made for; -1: the custom entry
    // (the LED count and frame rate as they stand).
    int gadgetRow() const { return m_gadgetRow; }
    void setGadgetRow(int row);
    // Where picture dialogs open.
    PictureFolder &pictures() { return m_pictures; }
    const PictureFolder &pictures() const { return m_pictures; }

    // ------------------------------------------------------------ extras
    // The beat grid and the props as they would be saved: props numbered by
    // the tracks as they stand now (an assignment follows its track when
    // tracks move, and goes with it when it is removed).
    ProjectExtras extras() const;
    // Replaces them all (a load); an editing step like any other outside an
    // Untracked guard.
    void setExtras(const ProjectExtras &extras);
    QJsonObject beatGrid() const { return m_beatGrid; }
    void setBeatGrid(const QJsonObject &grid);
    QVector<PropAssignment> props() const;
    void setProps(const QVector<PropAssignment> &props);

    // ------------------------------------------------------------ queries
    // Index into a track's modes of the mode drawn under x on a track laid
    // out at `msPerPixel` (as the track draws it: at least the narrowest
    // item width, a later mode over an earlier one), or -1.
    int modeIndexUnder(Id track, int x, float msPerPixel) const;

signals:
    // A step was recorded: the project has unsaved changes.
    void edited();
    void modifiedChanged(bool modified);
    // Undo or redo became possible or impossible, or a step moved.
    void historyChanged();
    void pathChanged(const QString &path);
    void titleChanged(const QString &title);
    void gadgetRowChanged(int row);
    void beatGridChanged();
    void propsChanged();

private:
    struct Prop
    {
        Id track = 0;
        QString name;
        QString port;
    };
    void touched();
    void announceTitle();
    void record();
    QByteArray extrasBytes() const;
    void restoreExtras(const QByteArray &bytes);
    void restore(const History::Snapshot *state);

    Show m_show;
    History m_history;
    bool m_modified = false;
    QString m_path;
    QString m_title = title();
    int m_gadgetRow = -1;
    PictureFolder m_pictures;
    QJsonObject m_beatGrid;
    QVector<Prop> m_props; // ascending by track number when set
    QJsonObject m_otherExtras;

    int m_editDepth = 0;
    int m_untracked = 0;
    bool m_restoring = false;
    bool m_pending = false;
    bool m_flushQueued = false;
};

} // namespace vc
