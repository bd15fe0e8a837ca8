#include "gui/about/about.h"
#include "ui_about.h"

#include "core/about/fetch.h"
#include "core/app/appsettings.h"
#include "core/app/companionprogram.h"
#include "gui/common/prompter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStandardPaths>

about::about(QWidget *parent, const vc::update::UpdateSource &source)
    : QDialog(parent), ui(new Ui::about), m_source(source),
      m_network(new QNetworkAccessManager(this)), m_launch(&about::startDetached)
{
    ui->setupUi(this);
    ui->label_3->setText(QStringLiteral("Twirlo Creator ver") +
                         QString::number(vc::settings::ProgramVersion, 'f', 6));

    const QString last =
        vc::settings::open().value(vc::settings::CurrentFile, QStringLiteral("null")).toString();
    if (last != QLatin1String("null")) {
        // A path may hold "&", which a button would take for a shortcut mark.
        m_lastProject = last;
        ui->load_current->setText(QString(last).replace(QLatin1Char('&'), QLatin1String("&&")));
    } else {
        ui->load_current->hide();
    }

    on_pushButton_3_clicked();
}

about::~about()
{
    delete ui;
}

vc::Fetch *about::versionCheck() const
{
    return m_fetch;
}

void about::hideStartButtons()
{
    ui->Load_frame->hide();
}

QString about::updaterProgram()
{
    return vc::companionProgramPath(QCoreApplication::applicationDirPath(),
                                    QStringLiteral("updater"));
}

bool about::startDetached(const QString &program, QString *error)
{
    if (program.isEmpty()) {
        *error = tr("找不到更新程式");
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(QDir::currentPath());
    if (!process.startDetached()) {
        *error = QDir::toNativeSeparators(program) + QStringLiteral(": ") + process.errorString();
        return false;
    }
    return true;
}

void about::on_pushButton_clicked()
{
    QDesktopServices::openUrl(vc::update::resellerPage());
}

void about::on_pushButton_2_clicked()
{
    QDesktopServices::openUrl(vc::update::makerPage());
}

void about::on_pushButton_3_clicked()
{
    delete m_fetch; // a check still under way gives way to this one
    m_fetch = new vc::Fetch(*m_network, m_source.url(vc::update::VersionPath),
                            m_source.versionLimit, m_source.stallTimeoutMs, this);
    m_fetch->setDeadline(m_source.deadlineMs);
    connect(m_fetch, &vc::Fetch::networkError, this, &about::slotError);
    connect(m_fetch, &vc::Fetch::finished, this, &about::replyFinished);
    m_fetch->start();
}

void about::slotError(QNetworkReply::NetworkError code)
{
    // The message comes once the request has ended, with the whole reason.
    qDebug() << "ERR" << code << (m_fetch ? m_fetch->errorText() : QString());
}

void about::replyFinished()
{
    vc::Fetch *fetch = m_fetch;
    if (!fetch || sender() != fetch)
        return;
    m_fetch = nullptr;
    fetch->deleteLater();

    // What went wrong is said as it is: no server, an error answer, or an
    // answer too large or not a version file.
    const vc::update::VersionFile file =
        fetch->outcome() == vc::Fetch::Outcome::Done
            ? vc::update::VersionFile::read(fetch->body(), m_source.publicKey)
            : vc::update::VersionFile();
    if (fetch->outcome() != vc::Fetch::Outcome::Done) {
        vc::prompter().about(this, QString(), vc::whitePlainText(fetch->problem()));
    } else if (file.empty) {
        vc::prompter().about(this, QString(),
                             vc::whitePlainText(vc::update::UpdateTexts::notVersionFile()));
    } else if (file.version <= vc::settings::ProgramVersion) {
        ui->pushButton_3->setText(tr("已是最新版本"));
    } else if (!file.trusted()) {
        // Anyone between here and the server can write a version file; only
        // the publisher can sign one, and only a file in date is the newest.
        qDebug() << "version file not trusted" << int(file.trust);
        vc::prompter().warning(this, QString(),
                               vc::whitePlainText(vc::update::UpdateTexts::untrusted(file)));
    } else {
        offerUpdate(file);
    }
    emit versionChecked();
}

void about::offerUpdate(const vc::update::VersionFile &file)
{
    const QMessageBox::StandardButton answer =
        vc::prompter().question(this, tr("有更新 ") + tr("最新版為ver") + file.firstLine,
                                vc::whiteText(tr("是否更新？<br>") + file.notes),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    QString error;
    if (!m_launch(updaterProgram(), &error)) {
        // Without the updater there is nothing to hand over to: say so and
        // go on to the editor instead of ending.
        vc::prompter().warning(
            this, QString(), vc::whiteText(tr("無法啟動更新程式：%1").arg(error.toHtmlEscaped())));
        done(QDialog::Rejected);
        return;
    }
    done(QDialog::Accepted);
}

void about::on_pushButton0_clicked()
{
    m_projectPath.clear();
    done(QDialog::Rejected);
}

void about::on_load_button_clicked()
{
    const QString path = vc::prompter().openFileName(
        this, tr("讀檔"), vc::settings::defaultDocumentsPath(), QStringLiteral("*.vtc *.vtc3"));
    if (path.isEmpty())
        return;
    m_projectPath = path;
    done(QDialog::Rejected);
}

void about::on_load_current_clicked()
{
    m_projectPath = m_lastProject;
    done(QDialog::Rejected);
}
