#include "updater/updater.h"

#include "core/about/fetch.h"
#include "core/app/appsettings.h"
#include "gui/about/about.h"
#include "gui/common/prompter.h"

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

void updater::check_ver()
{
    m_state = State::CheckingVersion;
    m_fetch = new Fetch(*m_network, m_source.url(vc::update::VersionPath), m_source.versionLimit,
                        m_source.stallTimeoutMs, this);
    m_fetch->setDeadline(m_source.deadlineMs);
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
    // This program's own version: the settings may hold anything (or
    // nothing), and an older signed release must never replace a newer one.
    const double installed = vc::settings::ProgramVersion;

    if (fetch->outcome() != Fetch::Outcome::Done) {
        if (fetch->answered()) {
            fail(fetch->problem());
            return;
        }
        // This window has no dark theme: the message is in plain text.
        vc::prompter().about(this, QString(), fetch->problem());
        end(State::Ended);
        return;
    }
    m_version = vc::update::VersionFile::read(fetch->body(), m_source.publicKey);
    if (m_version.empty) {
        fail(vc::update::UpdateTexts::notVersionFile());
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
        // Only the publisher can sign, and only a file in date is the
        // newest; anything else may come from anyone between here and the
        // server, and nothing of it is fetched.
        fail(vc::update::UpdateTexts::untrusted(m_version));
        return;
    }
    check_update_firm();
}

void updater::check_update_firm()
{
    setWindowTitle(QStringLiteral("Downloading new firmware..."));
    m_state = State::DownloadingFirmware;
    startDownload(vc::update::FirmwarePath, QLatin1String(vc::update::FirmwareTarget),
                  m_version.firmware, m_source.firmwareLimit, &updater::replyFinished_firm);
}

void updater::replyFinished_firm()
{
    if (!downloadKept(false))
        return;
    // The editor checks the firmware against this before flashing it.
    vc::settings::open().setValue(vc::settings::UpdatedFirmware,
                                  QString::fromLatin1(vc::update::digestText(m_version.firmware)));
    m_file.reset();
    // The new firmware stays in place whatever happens to the installer.
    check_update();
}

void updater::check_update()
{
    setWindowTitle(QStringLiteral("Downloading new software..."));
    m_state = State::DownloadingSoftware;
    startDownload(vc::update::InstallerPath, QLatin1String(vc::update::InstallerTarget),
                  m_version.installer, m_source.installerLimit, &updater::replyFinished);
}

void updater::replyFinished()
{
    if (!downloadKept(true))
        return;
    // The checked copy in this user's private folder is started, at once:
    // the one in the working folder could be swapped by anyone who can
    // write there while a message waits for the user.
    const QString installer = m_file->checkedPath();
    m_file.reset();
    QString error;
    if (!m_launch(installer, &error)) {
        fail(tr("無法啟動安裝程式：%1").arg(error));
        return;
    }
    vc::prompter().about(this, QString(), tr("下載完成"));
    end(State::Finished);
}

bool updater::startDownload(const char *path, const QString &target,
                            const vc::update::AssetDigest &digest, qint64 limit,
                            void (updater::*done)())
{
    m_file = std::make_unique<DownloadFile>(m_workDir, target, digest, limit);
    // A folder that cannot be written stops the update before a byte moves.
    if (!m_file->open()) {
        fail(failureReason());
        return false;
    }
    m_fetch =
        new Fetch(*m_network, m_source.url(path), m_file->maximum(), m_source.stallTimeoutMs, this);
    m_fetch->setDeadline(m_source.downloadDeadlineMs(m_file->maximum()));
    DownloadFile *file = m_file.get();
    m_fetch->setSink([file](const QByteArray &chunk) { return file->write(chunk); });
    connect(m_fetch, &Fetch::progress, this, &updater::getDownloadData);
    connect(m_fetch, &Fetch::networkError, this, &updater::slotError);
    connect(m_fetch, &Fetch::finished, this, done);
    m_fetch->start();
    return true;
}

bool updater::downloadKept(bool program)
{
    Fetch *fetch = m_fetch;
    if (!fetch || !m_file)
        return false;
    fetch->deleteLater();
    if (fetch->outcome() != Fetch::Outcome::Done || !m_file->commit(program)) {
        fail(failureReason());
        return false;
    }
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
    if (m_fetch->outcome() == Fetch::Outcome::Done) {
        // Complete but short of the signed size (the server closed early).
        return tr("下載的檔案與簽署的版本檔不符，已捨棄。");
    }
    return m_fetch->problem();
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
