#pragma once

#include "core/device/serialprotocol.h"
#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "gui/device/workerthread.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class MainWindow;

// The main window's show export and upload: builds the show image of the
// current track, writes it to a show file or hands it to an upload worker,
// and keeps the output bar (progress bar, upload and export buttons,
// status bar) in step. The window's slots forward here.
class ExportUpload : public QObject
{
    Q_OBJECT

public:
    explicit ExportUpload(MainWindow *window);
    ~ExportUpload() override;

    // The upload button and the Upload action: start an upload, or cancel
    // the one running.
    void uploadClicked();
    // The export button: write the show image to a show file.
    void exportClicked();

    // Worker reports, through the window's slots.
    void showProgress(int percent, int port);
    void warnex(const QString &text);
    void finishup();
    void terminateup();

    // Builds the current track into the stream files. On a refusal or a
    // write failure the user is told, the controls are restored and false
    // is returned; the previous stream files are then left as they were.
    bool buildShowImage();

    // The current track's modes, sorted into play order on the track.
    QVector<vc::device::ShowItem> currentTrackItems() const;
    // What the build reads from the window besides the items.
    vc::device::ShowSettings currentSettings() const;

    WorkerThread *worker() const { return m_worker; }
    // A worker is attached: pressing the upload button cancels it.
    bool uploading() const;

    // "COM3 輸出中 45%": the answering port and how far the upload is.
    static QString statusText(const QString &portLabel, int percent);

    // For tests and special set-ups: where the stream files go and the
    // serial time limits.
    void setStreamFiles(const vc::device::StreamFiles &files) { m_files = files; }
    vc::device::StreamFiles streamFiles() const { return m_files; }
    void setTimings(const vc::device::SerialTimings &timings) { m_timings = timings; }

private:
    void cancelUpload();
    void restoreControls();
    void forgetWorker();
    void waitForRetiredWorkers();
    void reportRefusal(const vc::device::StreamWriteResult &result);

    MainWindow *m_window;
    vc::device::StreamFiles m_files;
    vc::device::SerialTimings m_timings;

    QPointer<WorkerThread> m_worker;
    QStringList m_candidates; // of the running worker, for the port labels
    // Cancelled workers wind down on their own; a new upload waits for
    // them so that they have let go of the port.
    QList<QPointer<WorkerThread>> m_retired;
};
