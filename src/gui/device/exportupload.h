#pragma once

#include "core/device/serialprotocol.h"
#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "core/device/workerthread.h"
#include "core/model/moderecord.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include <functional>

class QAbstractButton;
class QComboBox;
class QProgressBar;
class QSpinBox;
class QStatusBar;
class QWidget;
namespace vc {
class Show;
} // namespace vc

// The show export and upload: builds the show image of the current track,
// writes it to a show file or hands it to an upload worker, and keeps the
// output bar (progress bar, upload and export buttons, status bar) in step.
class ExportUpload : public QObject
{
    Q_OBJECT

public:
    // The output bar it drives and the fields a build reads. All are needed.
    struct Widgets
    {
        QAbstractButton *uploadButton = nullptr;     // UPload_Button: upload, or cancel
        QAbstractButton *exportButton = nullptr;     // Ex_Button
        QProgressBar *progress = nullptr;            // progressBar
        QStatusBar *statusBar = nullptr;             // statusBar: the answering port
        const QSpinBox *frameRateField = nullptr;    // FPS_V: the rate as typed
        const QComboBox *slot = nullptr;             // prop_track: slot 1..8 by index
        const QAbstractButton *autoRepeat = nullptr; // AutoRepeat
    };

    // The current track's modes, in the track's list order.
    using Records = std::function<QVector<vc::ModeRecord>()>;

    // `show` gives the LED count, the frame rate and the start mark;
    // messages and the file dialog open over `dialogParent`.
    ExportUpload(const Widgets &widgets, const vc::Show *show, Records records,
                 QWidget *dialogParent, QObject *parent = nullptr);
    ~ExportUpload() override;

    // The upload button and the Upload action: start an upload, or cancel
    // the one running.
    void uploadClicked();
    // The export button: write the show image to a show file.
    void exportClicked();

    // Builds the current track into the stream files. On a refusal or a
    // write failure the user is told, the controls are restored and false
    // is returned; the previous stream files are then left as they were.
    bool buildShowImage();

    // The current track's modes, sorted into play order on the track.
    QVector<vc::device::ShowItem> currentTrackItems() const;
    // What the build reads besides the items.
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

public slots:
    // Stops the running upload at once, lets go of its worker and tells
    // the user; nothing without an upload.
    void cancelUpload();

    // The attached worker's reports (queued from its thread).
    void showProgress(int percent, int port);
    void warnex(const QString &text);
    void finishup();
    void terminateup();

signals:
    // The preview stays still while a show image is built and sent.
    void previewAllowed(bool allowed);
    // An export is about to read the track: pictures missing on disk can
    // still be found before they are left out.
    void exportStarting();

private:
    void restoreControls();
    void forgetWorker();
    void waitForRetiredWorkers();
    void reportRefusal(const vc::device::StreamWriteResult &result);
    void warnNothingToSend();
    void setProgress(int percent);

    Widgets m_w;
    const vc::Show *m_show;
    Records m_records;
    QWidget *m_dialogParent;
    vc::device::StreamFiles m_files;
    vc::device::SerialTimings m_timings;

    QPointer<WorkerThread> m_worker;
    QStringList m_candidates; // of the running worker, for the port labels
    // Cancelled workers wind down on their own; a new upload waits for
    // them so that they have let go of the port.
    QList<QPointer<WorkerThread>> m_retired;
};
