#pragma once

#include "core/device/multiupload.h"
#include "core/device/showimage.h"
#include "core/project/projectextras.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QVector>

class QLabel;
class QProgressBar;
class QPushButton;
namespace vc {
class Show;
} // namespace vc

// Sends every assigned track to its own prop at once: one progress bar and
// one result per prop, a prop that fails ends alone, and the closing line
// names who got the show and who did not. Nothing is sent when a show
// cannot be built or a port is missing or busy.
class UploadAllDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UploadAllDialog(QWidget *parent = nullptr);
    ~UploadAllDialog() override;

    void setTimings(const vc::device::SerialTimings &timings) { m_timings = timings; }

    // Builds the shows of the props that have a port (settings: the
    // upload's slot, repeat and frame-rate text) and starts the uploads.
    // False, after telling the user why, when nothing was sent.
    bool start(const vc::Show *show, const QVector<vc::PropAssignment> &props,
               const vc::device::ShowSettings &settings);

    bool isRunning() const { return m_upload && m_upload->isRunning(); }
    int propCount() const { return m_props.size(); }
    QProgressBar *progressBar(int prop) const { return m_bars.value(prop); }
    QString resultText(int prop) const;
    // The closing line, once every upload has ended.
    QString summary() const;

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString who(const vc::PropAssignment &prop) const;
    void onEnded(int prop, bool success, const QString &message);
    void onFinished();

    vc::device::SerialTimings m_timings;
    QVector<vc::PropAssignment> m_props;
    std::unique_ptr<QTemporaryDir> m_dir;
    vc::device::MultiUpload *m_upload = nullptr;
    QVector<QProgressBar *> m_bars;
    QVector<QLabel *> m_results;
    QLabel *m_summary = nullptr;
    QPushButton *m_button = nullptr;
    QWidget *m_rows = nullptr;
};
