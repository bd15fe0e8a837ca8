// Main-window slots of the tracks, the undo history and the clipboard; the
// work is done by the track area's object.
#include "gui/app/mainwindow.h"
#include "gui/model/editorpanel.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "gui/model/trackscontroller.h"
#include "ui_mainwindow.h"

#include <QDebug>

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
