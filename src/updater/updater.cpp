#include "updater/updater.h"

#include "core/app/appsettings.h"
#include "gui/about/about.h"
#include "gui/about/fetch.h"
#include "gui/app/prompter.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QToolBar>
#include <QTranslator>

using vc::Fetch;
using vc::update::DownloadFile;

updater::updater(const vc::update::UpdateSource &source, const QString &workDir, QWidget *parent)
    : QMainWindow(parent), m_source(source), m_workDir(workDir),
      m_network(new QNetworkAccessManager(this)), m_progressBar(new QProgressBar),
      m_launch(&about::startDetached)
{
    setObjectName(QStringLiteral("updater"));
    resize(348, 59);
    setWindowTitle(QStringLiteral("VantorCreator V3 Updater"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *grid = new QGridLayout(central);
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setValue(0);
    grid->addWidget(m_progressBar, 0, 0);
    setCentralWidget(central);
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("mainToolBar"));
    addToolBar(Qt::TopToolBarArea, toolBar);
}

updater::~updater() = default;

QString updater::firmwarePath() const
{
    return QDir(m_workDir).filePath(QLatin1String(vc::update::FirmwareTarget));
}

QString updater::installerPath() const
{
    return QDir(m_workDir).filePath(QLatin1String(vc::update::InstallerTarget));
}

void updater::check_ver()
{
    m_state = State::CheckingVersion;
    m_fetch = new Fetch(*m_network, m_source.url(vc::update::VersionPath), m_source.versionLimit,
                        m_source.stallTimeoutMs, this);
    connect(m_fetch, &Fetch::networkError, this, &updater::slotError);
    connect(m_fetch, &Fetch::finished, this, &updater::replyFinished_ver);
    m_fetch->start();
}

void updater::replyFinished_ver()
{
    Fetch *fetch = m_fetch;
    if (!fetch)
        return;
    fetch->deleteLater();
    // The editor wrote its own version at its last start; none makes every
    // published version newer.
    const double installed = vc::settings::open().value(vc::settings::Version, 0.0).toDouble();

    if (fetch->outcome() == Fetch::Outcome::TimedOut ||
        fetch->outcome() == Fetch::Outcome::TooLarge) {
        fail(failureReason());
        return;
    }
    const QByteArray body = fetch->outcome() == Fetch::Outcome::Done ? fetch->body() : QByteArray();
    m_version = vc::update::VersionFile::read(body, m_source.publicKey);
    if (m_version.empty) {
        vc::prompter().about(this, QString(), vc::whiteText(tr("無法連線至更新伺服器")));
        end(State::Ended);
        return;
    }
    if (m_version.version <= installed) {
        vc::prompter().about(this, tr("已是最新版本"),
                             QStringLiteral("VantorCreator V") +
                                 QString::number(installed, 'g', 6));
        end(State::Ended);
        return;
    }
    if (!m_version.trusted()) {
        // Only the publisher can sign; anything else may come from anyone
        // between here and the server, and nothing of it is fetched.
        fail(tr("版本檔的簽章無效，這個更新不是發行者簽署的。"));
        return;
    }
    check_update_firm();
}

void updater::check_update_firm()
{
    setWindowTitle(QStringLiteral("Downloading new firmware..."));
    m_state = State::DownloadingFirmware;
    startDownload(vc::update::FirmwarePath, firmwarePath(), m_version.firmware,
                  m_source.firmwareLimit, &updater::replyFinished_firm);
}

void updater::replyFinished_firm()
{
    if (!downloadKept())
        return;
    // The new firmware stays in place whatever happens to the installer.
    check_update();
}

void updater::check_update()
{
    setWindowTitle(QStringLiteral("Downloading new software..."));
    m_state = State::DownloadingSoftware;
    startDownload(vc::update::InstallerPath, installerPath(), m_version.installer,
                  m_source.installerLimit, &updater::replyFinished);
}

void updater::replyFinished()
{
    if (!downloadKept())
        return;
    const QString installer = installerPath();
#ifndef Q_OS_WIN
    // Executable for its owner only, and only now that it is the signed one.
    if (!QFile::setPermissions(installer, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner)) {
        fail(tr("無法寫入 %1：%2").arg(QDir::toNativeSeparators(installer), tr("無法設定權限")));
        return;
    }
#endif
    vc::prompter().about(this, QString(), tr("下載完成"));
    QString error;
    if (!m_launch(installer, &error)) {
        fail(tr("無法啟動安裝程式：%1").arg(error));
        return;
    }
    end(State::Finished);
}

bool updater::startDownload(const char *path, const QString &target,
                            const vc::update::AssetDigest &digest, qint64 limit,
                            void (updater::*done)())
{
    m_file = std::make_unique<DownloadFile>(target, digest, limit);
    // A folder that cannot be written stops the update before a byte moves.
    if (!m_file->open()) {
        fail(failureReason());
        return false;
    }
    m_fetch =
        new Fetch(*m_network, m_source.url(path), m_file->maximum(), m_source.stallTimeoutMs, this);
    DownloadFile *file = m_file.get();
    m_fetch->setSink([file](const QByteArray &chunk) { return file->write(chunk); });
    connect(m_fetch, &Fetch::progress, this, &updater::getDownloadData);
    connect(m_fetch, &Fetch::networkError, this, &updater::slotError);
    connect(m_fetch, &Fetch::finished, this, done);
    m_fetch->start();
    return true;
}

bool updater::downloadKept()
{
    Fetch *fetch = m_fetch;
    if (!fetch || !m_file)
        return false;
    fetch->deleteLater();
    if (fetch->outcome() != Fetch::Outcome::Done || !m_file->commit()) {
        fail(failureReason());
        return false;
    }
    m_file.reset();
    return true;
}

QString updater::failureReason() const
{
    if (m_file && m_file->failure() != DownloadFile::Failure::None) {
        switch (m_file->failure()) {
        case DownloadFile::Failure::CannotWrite:
            return tr("無法寫入 %1：%2")
                .arg(QDir::toNativeSeparators(m_file->target()), m_file->errorString());
        case DownloadFile::Failure::TooLarge:
            return tr("下載的檔案大於允許的 %1 位元組，已停止下載。").arg(m_file->maximum());
        case DownloadFile::Failure::WrongSize:
        case DownloadFile::Failure::WrongDigest:
            return tr("下載的檔案與簽署的版本檔不符，已捨棄。");
        case DownloadFile::Failure::None:
            break;
        }
    }
    if (!m_fetch)
        return QString();
    switch (m_fetch->outcome()) {
    case Fetch::Outcome::TimedOut:
        return tr("伺服器 %1 秒沒有傳來資料，已停止下載。").arg(m_fetch->stallTimeoutMs() / 1000.0);
    case Fetch::Outcome::TooLarge:
        return tr("下載的檔案大於允許的 %1 位元組，已停止下載。").arg(m_fetch->limit());
    case Fetch::Outcome::NetworkError:
        return m_fetch->errorText();
    case Fetch::Outcome::Done:
        // Complete but short of the signed size (the server closed early).
        return tr("下載的檔案與簽署的版本檔不符，已捨棄。");
    case Fetch::Outcome::Running:
    case Fetch::Outcome::SinkFailed:
        break;
    }
    return QString();
}

void updater::slotError(QNetworkReply::NetworkError code)
{
    // The message comes once the request has ended, with the whole reason.
    qDebug() << "ERR" << code << (m_fetch ? m_fetch->errorText() : QString());
}

void updater::getDownloadData(qlonglong read, qlonglong total)
{
    // An unknown total leaves the bar where it was.
    if (total > 0)
        m_progressBar->setValue(static_cast<int>(read * 100 / total));
}

void updater::fail(const QString &reason)
{
    if (m_file)
        m_file->discard();
    qDebug() << "update failed:" << reason;
    vc::prompter().warning(this, tr("更新失敗"), reason);
    end(State::Ended);
}

void updater::end(State state)
{
    m_state = state;
    m_file.reset();
    close();
    emit ended();
}

namespace vc {

int runUpdater(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The editor's language choice, from the settings the two programs share.
    QTranslator translator;
    if (settings::open().value(settings::Language).toInt() == settings::LanguageEnglish &&
        translator.load(QStringLiteral(":/language/language/english.qm")))
        app.installTranslator(&translator);
    updater window;
    window.setWindowIcon(QIcon(QStringLiteral(":/VLOGO.ico")));
    window.show();
    window.check_ver();
    return app.exec();
}

} // namespace vc
