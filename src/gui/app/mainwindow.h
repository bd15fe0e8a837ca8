#pragma once

#include "core/app/gadgets.h"
#include "core/app/picturefolder.h"
#include "core/project/project.h"

#include <QColor>
#include <QMainWindow>
#include <QTime>
#include <QVector>

class AllPropsView;
class DeviceMaintenance;
class UploadAllDialog;
class ExportUpload;
class ChartView;
class QActionGroup;
class QRandomGenerator;
class Timeline;
class TimelineItem;

namespace vc {
class TracksController;
}

namespace vc {
class Show;
class TimeAxis;
class VideoExport;
class Playback;
class SongLoader;
class TimelineView;
class BeatCorrections;
class BeatMarks;
} // namespace vc

namespace Ui {
class MainWindow;
}

namespace vc {
class AutoSave;
class EditorPanel;
class EffectTab;
class PictureTab;
class ProjectFiles;
class TextTab;
} // namespace vc

// The editor's single window. Its on_<object>_<signal> slots are wired by
// name from the form and forward to one object per area; the logic of an
// area lives in that object, not here.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // A project file given (the command line's) is loaded while the window
    // is built, after the gadget is restored.
    explicit MainWindow(QWidget *parent = nullptr, const QString &projectFile = QString());
    ~MainWindow() override;

    Ui::MainWindow *form() const { return ui; }

    // The show being edited (prop, colour pair, song) and the time axis's
    // zoom; the areas are views of them.
    vc::Show *document() const { return m_show; }
    vc::Project *project() const { return m_project; }
    vc::TimeAxis *timeAxis() const { return m_timeAxis; }
    QRandomGenerator &random() { return *m_random; }

    // --- the mode editor panel and its pattern tabs
    vc::EditorPanel *editor() const { return m_editor; }
    vc::PictureTab *pictureTab() const { return m_pictureTab; }
    vc::EffectTab *effectTab() const { return m_effectTab; }
    vc::TextTab *textTab() const { return m_textTab; }
    // Moves the play indicator to a time (announcing the move when it moved).
    void moveIndicatorTo(int ms);

    // --- gadget catalogue and prop selection
    const QVector<vc::GadgetInfo> &gadgets() const { return m_gadgets; }
    QActionGroup *gadgetGroup() const { return m_gadgetGroup; }
    void gadgetchange(QAction *action);

    // --- project paths kept for the dialogs
    QString currentFile() const;
    void setCurrentFile(const QString &path);
    QString currentPicPath() const { return m_project->pictures().path(); }
    void setCurrentPicPath(const QString &path) { m_project->pictures().setPath(path); }

    // Opens a dropped file by its extension (projects, songs, pictures).
    void openDroppedFile(const QString &fileName);

    // --- show export, upload and prop maintenance
    ExportUpload *exportUpload() const { return m_exportUpload; }
    DeviceMaintenance *maintenance() const { return m_maintenance; }
    // --- the props of a troupe: their dialog, their view, the upload to all
    void editProps();
    void uploadAll();
    AllPropsView *allPropsView() const { return m_allProps; }
    UploadAllDialog *uploadAllDialog() const { return m_uploadAll; }
    // The firmware update proper (after the password).
    void updatesystem();
    // --- project files (mainwindow_project.cpp)
    vc::ProjectFiles *projectFiles() const { return m_projectFiles; }
    // The recovery copies of the project (and those earlier editors left).
    vc::AutoSave *autoSave() const { return m_autoSave; }
    // Replaces the project with a project file's content (either format).
    void LoadFile(const QString &path);
    // Missing-picture check (after loads, before a show is written to a
    // file): true when every picture mode's file exists; otherwise offers
    // to search for the missing ones.
    bool checkMissingPictures();
    // The song file the song decoder was given; empty without a song.
    QString songPath() const;

    // --- tracks (mainwindow_tracks.cpp): the track area's object, and the
    // handlers the tracks' signals reach (connected by pointer, not by name)
    vc::TracksController *tracks() const { return m_tracks; }
    void addTimeline(short p);
    void on_timeline_Pressed(Timeline *track, bool byUser);
    void on_timelineItem_Clicked(TimelineItem *item, bool flag);
    void on_timelineItem_dragEnd(QByteArray orig, TimelineItem *item, Timeline *orig_tl);
    void on_tlDuplicated_clicked(Timeline *source);
    void on_timeline_dragIn(Timeline *target);
    void on_Addbutton_hovered(bool hovered);
    // Opens a selected item in the editor panel (apply mode).
    void openItemInEditor(TimelineItem *item);
    // --- time axis: play position, song, zoom and scrolling
    vc::Playback *playback() const { return m_playback; }
    vc::SongLoader *song() const { return m_song; }
    vc::TimelineView *timelineView() const { return m_timelineView; }
    ChartView *chartView() const { return m_chartView; }
    vc::BeatMarks *beatMarks() const { return m_beatMarks; }
    vc::BeatCorrections *beatCorrections() const { return m_beatCorrections; }
    // Ctrl or Shift plus the wheel over the tracks: zoom or vertical scroll.
    void on_timeline_scrolled(int delta, bool ctrl);
    void timeline_vertical_scroll_changed(int min, int max);

public slots:
    // --- prop preview hand-off: every pattern change goes through these
    void glpreview_change(bool flag, const QPixmap &pattern, short leds, int fps, double seconds,
                          int loops);
    // Previews an 80 x 80 square of one colour (black when nothing plays).
    void Oviewer_change(int r, int g, int b);
    // Previews colour 1.
    void Oviewer_change();

    // Leaves apply mode: no selected item, the panel inserts again.
    void on_cancelSelect_clicked();
    // Loads one picture into the picture tab (also the capture tool's result).
    void picload(const QString &path);
    void data_changed();

    // --- reports of an upload worker, handed on to the export and upload
    // (the worker it starts reports there itself)
    void export_slot(int percent, int port);
    void warnex(QString str);
    void finishup();
    void terminateup();

    // --- song: loading and decoding (also used by project loading and drops)
    void ReadSong(const QString &path);
    // The song of a loaded project (none for an empty path), in place of the
    // song there was.
    void readProjectSong(const QString &path);
    // A song decoded (durationMs > 0) becomes the show's song; a file that
    // is no song is reported.
    void songDecoded(qint64 durationMs);
    void cancel_decoder();

signals:
    // Cancels the running upload at once, as its button does.
    void Upload_Cancel_Clicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    // shell: language and gadgets
    void on_actionChinese_triggered();
    void on_actionEnglish_triggered();
    // The about box: version and update check, without the start buttons.
    void on_actionAbout_triggered();
    void on_Leds_valueChanged(int value);
    void on_FPS_V_valueChanged(int value);

    // tracks, undo and clipboard
    void on_timeline_add_clicked();
    void on_timeline_remove_clicked();
    void on_timeline_up_clicked();
    void on_timeline_down_clicked();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();

    // preview controls
    void on_Oview_slide_valueChanged(int value);
    void on_static_checkbox_toggled(bool checked);

    // mode editor panel and picture tab (mainwindow_editor.cpp)
    void on_Add_Button_clicked();
    void on_actionEnter_triggered();
    void on_Mode_t1_timeChanged(const QTime &time);
    void on_Mode_t2_timeChanged(const QTime &time);
    void on_Mode_last_valueChanged(double value);
    void on_Mode_loop_valueChanged(int value);
    void on_Speed_slide_valueChanged(int value);
    void on_speedAutoCheckBox_toggled(bool checked);
    void on_Mode_Pic_currentChanged(int index);
    void on_Color_R_valueChanged(int value);
    void on_Color_G_valueChanged(int value);
    void on_Color_B_valueChanged(int value);
    void on_R_slide_valueChanged(int value);
    void on_G_slide_valueChanged(int value);
    void on_B_slide_valueChanged(int value);
    void on_Color_View_clicked();
    void on_Pic_Loads_clicked();
    void on_Pic_revH_clicked(bool checked);
    void on_Pic_revV_clicked(bool checked);
    void on_Pic_Slide_valueChanged(int value);
    void on_Pic_Capture_clicked();

    // effect tab
    void on_Spe_comboBox_currentIndexChanged(int index);
    void on_Spe_comboBox_highlighted(int index);
    void on_Spe_rslide_valueChanged(int value);
    void on_Spe_gslide_valueChanged(int value);
    void on_Spe_bslide_valueChanged(int value);
    void on_Spe_rnum_valueChanged(int arg1);
    void on_Spe_gnum_valueChanged(int arg1);
    void on_Spe_bnum_valueChanged(int arg1);
    void on_Spe_width_valueChanged(int arg1);
    void on_Spe_revV_clicked();
    void on_Spe_revH_clicked();
    void on_Spe_color3_clicked();
    void on_Spe_back_toggled(bool checked);
    void on_Color_dialog_2_clicked();
    void on_Color_Exc2_clicked();
    void on_Spe_random_clicked();

    // text tab
    void on_text_Edit_textChanged(const QString &arg1);
    void on_fontComboBox_currentIndexChanged(int index);
    void on_Font_size_currentIndexChanged(int index);
    void on_Text_slide_valueChanged(int value);
    void on_Text_revH_stateChanged(int arg1);
    void on_Text_revV_clicked(bool checked);
    void on_text_rslide_valueChanged(int value);
    void on_text_gslide_valueChanged(int value);
    void on_text_bslide_valueChanged(int value);
    void on_text_rnum_valueChanged(int arg1);
    void on_text_gnum_valueChanged(int arg1);
    void on_text_bnum_valueChanged(int arg1);
    void on_text_bcolor_toggled(bool checked);
    void on_Color_dialog_clicked();
    void on_Color_Exc_clicked();
    // playback, ruler and song
    void on_SongRead_Button_clicked();
    void on_Song_dir_linkHovered(const QString &link);
    void on_Song_play_clicked();
    void on_Song_play_2_triggered();
    void on_Song_Stop_clicked();
    void on_Song_Slider_sliderMoved(int position);
    void on_Song_time_editingFinished();
    void on_timeline_headers_indicatorMoved(int x, bool byUser);
    void on_timeline_max_timeChanged(const QTime &time);

    // zoom and scrolling
    void on_timeline_scaler_valueChanged(int value);
    void on_timeline_splitter_splitterMoved(int pos, int index);

    // project files (mainwindow_project.cpp)
    bool on_actionNew_triggered();
    void on_actionLoad_triggered();
    void on_actionSave_triggered();
    void on_actionSaveas_triggered();
    void on_actionExportVideo_triggered();
    void on_actionDIR_triggered();
    void on_actionSQL_triggered();

    // show export, upload and prop maintenance
    void on_UPload_Button_clicked();
    void on_actionUpload_triggered();
    void on_Ex_Button_clicked();
    void on_actionFormat_triggered();
    void on_actionFirUpdate_triggered();
    void on_action_admin_triggered();

private:
    void buildGadgetMenu();
    void restoreGadget();
    void warnLowResolution();
    bool askSaveBeforeClose();
    void setupDevice();
    void setupTimeAxis();
    // The song's beat marks, after the time axis (mainwindow_beats.cpp).
    void setupBeats();
    void setupTracks();
    void setupProjectFiles();
    // Selects the gadget of a loaded project: the custom entry with the
    // file's values, then the first catalogue row with the same LED count
    // and frame rate (compared as floats, or as whole numbers for the old
    // format), if there is one.
    void selectProp(int leds, float frameRate, bool wholeNumbers);
    // Builds the pattern tabs on their widgets and wires what they announce.
    void setupPatternTabs();
    // Builds the mode editor panel on its widgets, the tabs and the tracks,
    // and wires what it asks of the preview and the play indicator.
    void setupEditor();

    Ui::MainWindow *ui = nullptr;
    vc::Project *m_project = nullptr;
    vc::Show *m_show = nullptr;
    vc::TimeAxis *m_timeAxis = nullptr;
    QRandomGenerator *m_random = nullptr;
    vc::EditorPanel *m_editor = nullptr;
    vc::PictureTab *m_pictureTab = nullptr;
    vc::EffectTab *m_effectTab = nullptr;
    vc::TextTab *m_textTab = nullptr;

    QVector<vc::GadgetInfo> m_gadgets;
    QActionGroup *m_languageGroup = nullptr;
    QActionGroup *m_gadgetGroup = nullptr;

    ExportUpload *m_exportUpload = nullptr;
    vc::VideoExport *m_videoExport = nullptr;
    DeviceMaintenance *m_maintenance = nullptr;
    AllPropsView *m_allProps = nullptr;
    UploadAllDialog *m_uploadAll = nullptr;

    vc::TracksController *m_tracks = nullptr;
    vc::ProjectFiles *m_projectFiles = nullptr;
    vc::AutoSave *m_autoSave = nullptr;
    vc::SongLoader *m_song = nullptr;
    vc::Playback *m_playback = nullptr;
    vc::TimelineView *m_timelineView = nullptr;
    ChartView *m_chartView = nullptr;
    vc::BeatMarks *m_beatMarks = nullptr;
    vc::BeatCorrections *m_beatCorrections = nullptr;
};
