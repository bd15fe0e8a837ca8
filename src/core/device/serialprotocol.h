#pragma once

#include "core/device/streamfiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class QIODevice;

namespace vc::device {

// Line settings: the upload runs at 115200 baud, the service functions
// (wipe, firmware, terminal) at 250000; always 8N1 without flow control.
constexpr int UploadBaud = 115200;
constexpr int ServiceBaud = 250000;
constexpr int UploadChunkBytes = 2048;
constexpr int MaxPortCandidates = 100;
// Every blocking wait is cut into slices this long, so that a cancel is
// seen at once and a hung-up line is noticed.
constexpr int WaitSliceMs = 20;

// The names of the environment variable that replaces the port list.
constexpr const char *PortListVariable = "VANTOR_SERIAL_PORTS";

struct SerialTimings
{
    int settleMs = 100;        // after raising DTR, before listening; before sending
    int greetingMs = 5000;     // how long a candidate may stay silent
    int greetingQuietMs = 30;  // a greeting is complete after this much quiet
    int slotAnswerMs = 5000;   // answer to the slot byte
    int finalPauseMs = 100;    // pause after the last frame chunk
    int finalAnswerMs = 60000; // the prop's answer after the whole image
    int writeStallMs = 5000;   // a write that makes no progress for this long is given up
    int wipeSkipMs = 500;      // what the prop says at once after "DD" is not its answer
    int wipePollMs = 5000;     // how long the wipe waits for "Wait"
    int wipeStepMs = 100;      // poll step of the wipe
};

// One serial port towards the prop. The program drives QSerialPort behind
// it; the protocol steps below see only this.
class SerialLine
{
public:
    virtual ~SerialLine() = default;
    // Applies the line settings and opens the named port for reading and
    // writing.
    virtual bool open(const QString &name) = 0;
    // Raises data-terminal-ready, which makes the prop greet. Lines that
    // have no modem control (a pseudo-terminal) answer false.
    virtual bool raiseDtr() = 0;
    // Drops whatever waits in the input and output buffers.
    virtual void clearBuffers() = 0;
    // Drops what has arrived and not been read.
    virtual void clearInput() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True after an error that ends the conversation (unplugged, hung up).
    virtual bool broken() const = 0;
    virtual QIODevice &io() = 0;
};

using CancelFlag = std::atomic_bool;

enum class WaitResult
{
    Done,
    TimedOut,
    Cancelled,
    Broken
};

// Waits up to ms (no limit when negative) for bytes to read.
WaitResult waitForData(SerialLine &line, int ms, const CancelFlag *cancel = nullptr);
// Waits until everything written has left; TimedOut when nothing of it
// leaves for stallMs (a prop that stopped reading).
WaitResult waitWritten(SerialLine &line, int stallMs, const CancelFlag *cancel = nullptr);
// Writes bytes and waits until they have left.
WaitResult sendBytes(SerialLine &line, const QByteArray &bytes, int stallMs,
                     const CancelFlag *cancel = nullptr);
// Sleeps ms; false when cancelled meanwhile.
bool pause(int ms, const CancelFlag *cancel = nullptr);
// Reads what has arrived and what follows within quietMs of it.
QByteArray readAnswer(SerialLine &line, int quietMs, const CancelFlag *cancel = nullptr);

// The names tried when looking for the prop, in order, at most 100:
// the variable VANTOR_SERIAL_PORTS when set (a list with the platform's
// path-list separator); otherwise "COM0" to "COM99" on Windows and the
// ports the system lists (systemPorts) in name order elsewhere.
QStringList portCandidates(const QStringList &systemPorts);
// How a candidate is shown to the user: "COM5"; a device path without
// "/dev/" ("ttyUSB0", "pts/3"); any other path by its file name.
QString portLabel(const QString &candidate);

struct PortSearch
{
    enum Outcome
    {
        Found,        // index, name and greeting are set; the line is open
        NoPortOpened, // not one candidate could be opened
        NoAnswer,     // ports opened but none greeted as required
        Cancelled,
    };
    Outcome outcome = NoPortOpened;
    int index = -1;
    QString name;
    QByteArray greeting;
};

struct SearchHooks
{
    std::function<void(const QString &name)> trying;
    // A candidate opened but did not greet as required (it is closed).
    std::function<void(const QString &name)> silent;
};

// Tries the candidates in order: a candidate is taken when it opens and
// greets within the time limit with bytes that `accept` approves. Ports
// not taken are closed before the next name is tried.
PortSearch findProp(SerialLine &line, const QStringList &candidates,
                    const std::function<bool(const QByteArray &)> &accept,
                    const SerialTimings &timings, const CancelFlag *cancel = nullptr,
                    const SearchHooks &hooks = {});

// A slot answer that holds "ERR" (capitals) refuses the upload.
bool answerRefuses(const QByteArray &answer);

enum class UploadOutcome
{
    Done,
    FilesUnreadable,
    NoSlotAnswer,  // "ERROR01"
    SlotRefused,   // "ERROR02"
    LineLost,      // the line broke while sending or waiting
    StoppedTaking, // the prop stopped reading what was sent
    Refused,       // the prop answered "ERR" while taking the image, or to it
    NoFinalAnswer, // the image went out but the prop never confirmed it
    Cancelled,
};

// Sends the show image over an open line that has greeted: the slot byte,
// the header, the frames in chunks of 2048 bytes, then waits for the
// prop's confirmation: only what it says once the last chunk is on its way
// (what it said before is no answer to the whole image). Everything the
// prop says from its slot answer on is judged as one text, so an "ERR"
// split over two reads still refuses. progress gets 0..99 before each chunk
// and 100 at the end. The line is left open; the caller closes it.
UploadOutcome sendShowImage(SerialLine &line, const StreamFiles &files,
                            const SerialTimings &timings, const CancelFlag *cancel,
                            const std::function<void(int)> &progress);

// The memory wipe on an open line that has greeted with "Wait": "DD", then
// "Wait" again once the prop has erased its shows.
enum class WipeOutcome
{
    Done,
    TimedOut,
    LineLost
};
WipeOutcome wipeMemory(SerialLine &line, const SerialTimings &timings);

// Greeting rules of the service functions.
bool greetsForWipe(const QByteArray &greeting);
bool greetsAtAll(const QByteArray &greeting);

} // namespace vc::device
