#include "gui/device/maintenance.h"

#include "core/about/downloadfile.h"
#include "core/app/appsettings.h"
#include "core/device/portline.h"
#include "gui/common/prompter.h"
#include "gui/device/pass.h"
#include "gui/device/setup.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>

#include <memory>

using namespace vc::device;

namespace {

// The window waits for the prop; the cursor says so.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

DeviceMaintenance::DeviceMaintenance(QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_dialogParent(dialogParent)
{
}

QString DeviceMaintenance::flashScriptPath()
{
#ifdef Q_OS_WIN
    return QDir::currentPath() + QStringLiteral("/tool/maple_upload.bat");
#else
    return QDir::currentPath() + QStringLiteral("/tool/maple_upload");
#endif
}

QString DeviceMaintenance::firmwarePath()
{
    return QDir::currentPath() + QStringLiteral("/tool/firm/Vantor.RE.bin");
}

void DeviceMaintenance::wipeMemory()
{
    QSerialPort port;
    PortLine line(&port, ServiceBaud);
    WipeOutcome outcome = WipeOutcome::LineLost;
    PortSearch found;
    {
        BusyCursor busy;
        found = findProp(line, systemPortCandidates(), greetsForWipe, m_timings);
        if (found.outcome == PortSearch::Found)
            outcome = vc::device::wipeMemory(line, m_timings);
        line.close();
    }

    if (found.outcome != PortSearch::Found) {
        // "DD" erases: it goes only to a prop that greeted as one.
        vc::prompter().warning(m_dialogParent, QString(), tr("偵測不到裝置！"));
        return;
    }
    switch (outcome) {
    case WipeOutcome::Done:
        vc::prompter().about(m_dialogParent, QString(), tr("記憶體清除完成"));
        break;
    case WipeOutcome::TimedOut:
        vc::prompter().warning(m_dialogParent, QString(), tr("清除記憶體逾時"), QMessageBox::Ok);
        break;
    case WipeOutcome::LineLost:
        vc::prompter().warning(m_dialogParent, QString(),
                               vc::whiteText(tr("與道具的連線中斷，記憶體可能未清除完成。")),
                               QMessageBox::Ok);
        break;
    }
}

bool DeviceMaintenance::askPassword()
{
    Pass pass(m_dialogParent);
    return vc::prompter().exec(&pass) == QDialog::Accepted;
}

void DeviceMaintenance::firmwareUpdateClicked()
{
    if (askPassword())
        updatesystem();
}

void DeviceMaintenance::updatesystem()
{
    const QString script = flashScriptPath();
    const QString firmware = firmwarePath();
    // Without these two nothing can be flashed; say so before touching
    // the prop.
    if (!QFileInfo(script).isFile()) {
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whiteText(tr("找不到燒錄程式 %1").arg(QDir::toNativeSeparators(script))));
        return;
    }
    if (!QFileInfo(firmware).isFile()) {
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whiteText(tr("找不到韌體檔案 %1").arg(QDir::toNativeSeparators(firmware))));
        return;
    }
    // The firmware is read once more to be flashed: it must be reached
    // without a link, and still be the one the updater checked when it put
    // it there.
    QString why;
    const vc::update::AssetDigest present = vc::update::digestOfFileBelow(
        QDir::currentPath(), QLatin1String(vc::update::FirmwareTarget), vc::update::FirmwareLimit,
        &why);
    const vc::update::AssetDigest updated = vc::update::digestFromText(
        vc::settings::open().value(vc::settings::UpdatedFirmware).toString().toLatin1());
    if (!present.isValid() || (updated.isValid() && !(updated == present))) {
        const QString name = QDir::toNativeSeparators(firmware);
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whitePlainText(present.isValid()
                                   ? tr("韌體檔案 %1 已不是更新程式下載並檢查過的檔案，"
                                        "不會燒錄。請重新執行更新。")
                                         .arg(name)
                                   : tr("無法使用韌體檔案 %1：%2").arg(name, why)));
        return;
    }

    QSerialPort port;
    PortLine line(&port, ServiceBaud);
    PortSearch found;
    {
        BusyCursor busy;
        found = findProp(line, systemPortCandidates(), greetsAtAll, m_timings);
        // The flashing tool needs the port to itself.
        line.close();
    }
    if (found.outcome != PortSearch::Found) {
        vc::prompter().warning(m_dialogParent, QString(), tr("找不到裝置！"));
        return;
    }

    const QStringList arguments{found.name, QStringLiteral("2"), QString::fromLatin1(BootLoaderId),
                                firmware};
    qDebug() << "flash" << script << arguments;
    if (!QProcess::startDetached(script, arguments, QDir::currentPath())) {
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whiteText(tr("無法啟動燒錄程式 %1").arg(QDir::toNativeSeparators(script))));
    }
}

void DeviceMaintenance::adminClicked()
{
    if (!askPassword())
        return;
    std::unique_ptr<setup> terminal;
    {
        // The terminal finds its prop while it is being made.
        BusyCursor busy;
        terminal = std::make_unique<setup>(m_dialogParent, systemPortCandidates(), m_timings);
    }
    vc::prompter().exec(terminal.get());
}
