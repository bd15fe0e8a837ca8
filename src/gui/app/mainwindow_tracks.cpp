// Main-window slots of the tracks, the undo history and the clipboard; the
// work is done by the track area's object.
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QDebug>

void MainWindow::setupTracks()
{
    vc::TracksController::Widgets w;
    w.area = ui->timeline_widget;
    w.layout = ui->timeline_layout;
    w.rowHeader = ui->timeline_rowheader_contents;
    w.rowHeaderLayout = ui->timeline_rowheader_layout;
    w.ruler = ui->timeline_headers;
    w.scroll = ui->timeline_scroll;
    w.cancelSelect = ui->cancelSelect;
    w.modeStart = ui->Mode_t1;
    w.modeLength = ui->Mode_last;
    w.dialogParent = this;
    m_tracks = new vc::TracksController(w, m_project, m_timeAxis, this);
    connect(m_tracks, &vc::TracksController::selectionCancelled, this,
            &MainWindow::on_cancelSelect_clicked);
    connect(m_tracks, &vc::TracksController::itemOpened, this, &MainWindow::openItemInEditor);
    connect(m_tracks, &vc::TracksController::previewItem, this, [this](TimelineItem *item) {
        glpreview_change(false, item->thumbPixmap(), m_show->leds(), int(m_show->frameRate()),
                         item->durationMs() / 1000.0, item->loops());
    });
    connect(m_tracks, &vc::TracksController::previewNothing, this,
            [this] { Oviewer_change(0, 0, 0); });
}

void MainWindow::addTimeline(short p)
{
    m_tracks->addTimeline(p);
}

void MainWindow::on_timeline_add_clicked()
{
    m_tracks->addTrack();
}

void MainWindow::on_timeline_remove_clicked()
{
    m_tracks->removeCurrentTrack();
}

void MainWindow::on_timeline_up_clicked()
{
    m_tracks->moveCurrentTrackUp();
}

void MainWindow::on_timeline_down_clicked()
{
    m_tracks->moveCurrentTrackDown();
}

void MainWindow::on_tlDuplicated_clicked(Timeline *source)
{
    m_tracks->duplicateTrack(source);
}

void MainWindow::on_timeline_Pressed(Timeline *track, bool byUser)
{
    m_tracks->makeCurrent(track, byUser);
}

void MainWindow::on_timeline_dragIn(Timeline *target)
{
    m_tracks->moveDraggedItem(target);
}

void MainWindow::on_timelineItem_Clicked(TimelineItem *item, bool flag)
{
    Q_UNUSED(flag);
    m_tracks->selectItem(item);
}

void MainWindow::on_timelineItem_dragEnd(QByteArray orig, TimelineItem *item, Timeline *orig_tl)
{
    Q_UNUSED(orig);
    Q_UNUSED(orig_tl);
    m_tracks->itemDragEnded(item);
}

void MainWindow::on_Addbutton_hovered(bool hovered)
{
    m_tracks->showInsertPreview(hovered);
}

void MainWindow::on_actionUndo_triggered()
{
    m_tracks->undo();
}

void MainWindow::on_actionRedo_triggered()
{
    m_tracks->redo();
}

void MainWindow::on_actionCopy_triggered()
{
    m_tracks->copySelected();
}

void MainWindow::on_actionPaste_triggered()
{
    m_tracks->pasteToCurrent();
}

void MainWindow::data_changed()
{
    qDebug() << "data changed";
}

void MainWindow::openItemInEditor(TimelineItem *item)
{
    m_editor->openItem(item);
}

void MainWindow::on_cancelSelect_clicked()
{
    m_editor->cancelSelect();
}
