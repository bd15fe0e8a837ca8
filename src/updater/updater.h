#pragma once

#include "core/about/downloadfile.h"
#include "core/about/updatesource.h"
#include "core/about/versionfile.h"

#include <QDir>
#include <QMainWindow>
#include <QNetworkReply>
#include <QPointer>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QProgressBar;

namespace vc {
class Fetch;
}

// The updater's one window. It asks the server for the version file again,
// checks its signature and dates, then downloads the prop firmware and the
// editor's patch installer one after the other, keeps each only when it is
// exactly what the version file signed, and starts the checked installer.
// Any failure stops the update with a message; nothing further is fetched,
// kept or started.
class updater : public QMainWindow
{
    Q_OBJECT

public:
    // Starts a program detached; false with a reason when it cannot be.
    using Launcher = std::function<bool(const QString &program, QString *error)>;

    enum class State
    {
        CheckingVersion,
        DownloadingFirmware,
        DownloadingSoftware,
        Finished, // the installer was started
        Ended,    // nothing to do, or a failure
    };

    // workDir: the folder the downloads are stored below.
    explicit updater(const vc::update::UpdateSource &source = vc::update::UpdateSource::fromBuild(),
                     const QString &workDir = QDir::currentPath(), QWidget *parent = nullptr);
    ~updater() override;

    void setLauncher(Launcher launcher) { m_launch = std::move(launcher); }
    State state() const { return m_state; }
    QProgressBar *progressBar() const { return m_progressBar; }
    QString firmwarePath() const;

signals:
    // The update ended (the window closes and the program with it).
    void ended();

public slots:
    void check_ver();
    void check_update();
    void check_update_firm();
    void slotError(QNetworkReply::NetworkError code);
    void replyFinished();
    void replyFinished_ver();
    void replyFinished_firm();
    void getDownloadData(qlonglong read, qlonglong total);

private:
    // Starts fetching one of the two downloads into its file.
    bool startDownload(const char *path, const QString &target,
                       const vc::update::AssetDigest &digest, qint64 limit,
                       void (updater::*done)());
    // The download that just ended is in place (a program: executable, its
    // checked copy kept to be started); otherwise says why not.
    bool downloadKept(bool program);
    QString failureReason() const;
    void fail(const QString &reason);
    void end(State state);

    vc::update::UpdateSource m_source;
    QString m_workDir;
    QNetworkAccessManager *m_network;
    QProgressBar *m_progressBar;
    QPointer<vc::Fetch> m_fetch;
    std::unique_ptr<vc::update::DownloadFile> m_file;
    vc::update::VersionFile m_version;
    Launcher m_launch;
    State m_state = State::CheckingVersion;
};

namespace vc {
// The program: the window, shown, checking at once.
int runUpdater(int argc, char **argv);
} // namespace vc
