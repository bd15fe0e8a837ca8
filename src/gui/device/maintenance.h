#pragma once

#include "core/device/serialprotocol.h"

#include <QObject>
#include <QString>

class QWidget;

// The service functions that talk to the prop outside the show upload: the
// memory wipe, the firmware update through the outside flashing script, and
// the admin terminal. They run on the GUI thread and wait for the prop in
// short slices.
class DeviceMaintenance : public QObject
{
    Q_OBJECT

public:
    // Messages, the password dialog and the terminal open over
    // `dialogParent`.
    explicit DeviceMaintenance(QWidget *dialogParent, QObject *parent = nullptr);

    // Erases the shows stored on the prop.
    void wipeMemory();
    // Asks for the admin password, then flashes the firmware.
    void firmwareUpdateClicked();
    // Finds the prop and starts the flashing script against it, detached.
    void updatesystem();
    // Asks for the admin password, then opens the serial terminal.
    void adminClicked();

    // The flashing script and the firmware image, below the working
    // directory: "tool/maple_upload" ("tool/maple_upload.bat" on Windows)
    // and "tool/firm/Vantor.RE.bin".
    static QString flashScriptPath();
    static QString firmwarePath();
    // The USB identifier of the prop's boot loader, passed to the script.
    static constexpr const char *BootLoaderId = "1EAF:0003";

    void setTimings(const vc::device::SerialTimings &timings) { m_timings = timings; }
    vc::device::SerialTimings timings() const { return m_timings; }

private:
    bool askPassword();

    QWidget *m_dialogParent;
    vc::device::SerialTimings m_timings;
};
