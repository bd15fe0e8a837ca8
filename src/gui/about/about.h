#pragma once

#include "core/about/updatesource.h"
#include "core/about/versionfile.h"

#include <QDialog>
#include <QNetworkReply>
#include <QPointer>

#include <functional>

class QNetworkAccessManager;

namespace Ui {
class about;
}

namespace vc {
class Fetch;
}

// The start dialog and the about box: the version, the check for a newer
// one on the update server (offered only when the publisher signed it), the
// two web pages, and at start the choice of how to begin.
//
// Result: Accepted only when the updater was started (the program is to
// end); Rejected otherwise, with projectPath() empty for a new project.
class about : public QDialog
{
    Q_OBJECT

public:
    // Starts a program detached; false with a reason when it cannot be.
    using Launcher = std::function<bool(const QString &program, QString *error)>;

    explicit about(QWidget *parent = nullptr,
                   const vc::update::UpdateSource &source = vc::update::UpdateSource::fromBuild());
    ~about() override;

    // The project chosen on the dialog; empty for a new one.
    QString projectPath() const { return m_projectPath; }
    // The about box of the menu: no start buttons.
    void hideStartButtons();
    // Replaces the way the updater is started (tests).
    void setLauncher(Launcher launcher) { m_launch = std::move(launcher); }

    // The updater beside this program, else in the installed programs'
    // private folder; empty when there is none.
    static QString updaterProgram();
    // Starts a program detached from the current directory, without arguments.
    static bool startDetached(const QString &program, QString *error);

    Ui::about *form() const { return ui; }
    // The version check under way, if any (tests).
    vc::Fetch *versionCheck() const;

signals:
    // A version check ended, whatever it found.
    void versionChecked();

public slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void slotError(QNetworkReply::NetworkError code);
    void replyFinished();
    void on_pushButton0_clicked();
    void on_load_button_clicked();
    void on_load_current_clicked();

private:
    void offerUpdate(const vc::update::VersionFile &file);

    Ui::about *ui;
    vc::update::UpdateSource m_source;
    QNetworkAccessManager *m_network;
    QPointer<vc::Fetch> m_fetch;
    QString m_projectPath;
    QString m_lastProject;
    Launcher m_launch;
};
