#include "core/device/serialprotocol.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QLoggingCategory>
#include <QThread>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSerial, "vc.serial")

namespace vc::device {

namespace {

bool cancelled(const CancelFlag *cancel)
{
    return cancel && cancel->load();
}

} // namespace

WaitResult waitForData(SerialLine &line, int ms, const CancelFlag *cancel)
{
    QIODevice &io = line.io();
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (io.bytesAvailable() > 0)
            return WaitResult::Done;
        if (cancelled(cancel))
            return WaitResult::Cancelled;
        if (line.broken() || !line.isOpen())
            return WaitResult::Broken;
        int slice = WaitSliceMs;
        if (ms >= 0) {
            const qint64 left = ms - timer.elapsed();
            if (left <= 0)
                return WaitResult::TimedOut;
            slice = int(std::min<qint64>(slice, left));
        }
        if (io.waitForReadyRead(slice))
            return WaitResult::Done;
    }
}

WaitResult waitWritten(SerialLine &line, int stallMs, const CancelFlag *cancel)
{
    QIODevice &io = line.io();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qint64 left = io.bytesToWrite();
    while (left > 0) {
        if (cancelled(cancel))
            return WaitResult::Cancelled;
        if (line.broken() || !line.isOpen())
            return WaitResult::Broken;
        if (sinceProgress.hasExpired(stallMs))
            return WaitResult::TimedOut;
        io.waitForBytesWritten(WaitSliceMs);
        const qint64 now = io.bytesToWrite();
        if (now < left)
            sinceProgress.restart();
        left = now;
    }
    if (line.broken())
        return WaitResult::Broken;
    return cancelled(cancel) ? WaitResult::Cancelled : WaitResult::Done;
}

WaitResult sendBytes(SerialLine &line, const QByteArray &bytes, int stallMs,
                     const CancelFlag *cancel)
{
    if (cancelled(cancel))
        return WaitResult::Cancelled;
    if (line.io().write(bytes) != bytes.size())
        return WaitResult::Broken;
    return waitWritten(line, stallMs, cancel);
}

bool pause(int ms, const CancelFlag *cancel)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (cancelled(cancel))
            return false;
        const qint64 left = ms - timer.elapsed();
        if (left <= 0)
            return true;
        QThread::msleep(ulong(std::min<qint64>(WaitSliceMs, left)));
    }
}

// What the prop has said and not been read, also what is still on its way
// in from the system.
QByteArray takeWaiting(SerialLine &line)
{
    QIODevice &io = line.io();
    for (int i = 0; i < 16 && io.waitForReadyRead(0); ++i) {
    }
    return io.readAll();
}

QByteArray readAnswer(SerialLine &line, int quietMs, const CancelFlag *cancel)
{
    QByteArray answer = line.io().readAll();
    while (waitForData(line, quietMs, cancel) == WaitResult::Done)
        answer += line.io().readAll();
    return answer;
}

QStringList portCandidates(const QStringList &systemPorts)
{
    QStringList names;
    const QString fromEnvironment = qEnvironmentVariable(PortListVariable);
    if (!fromEnvironment.isEmpty()) {
        names = fromEnvironment.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    } else {
#ifdef Q_OS_WIN
        Q_UNUSED(systemPorts);
        for (int n = 0; n < MaxPortCandidates; ++n)
            names << QStringLiteral("COM%1").arg(n);
#else
        names = systemPorts;
        names.sort();
#endif
    }
    return names.mid(0, MaxPortCandidates);
}

QString portLabel(const QString &candidate)
{
    const QString dev = QStringLiteral("/dev/");
    if (candidate.startsWith(dev))
        return candidate.mid(dev.size());
    const int slash = candidate.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? candidate.mid(slash + 1) : candidate;
}

PortSearch findProp(SerialLine &line, const QStringList &candidates,
                    const std::function<bool(const QByteArray &)> &accept,
                    const SerialTimings &timings, const CancelFlag *cancel,
                    const SearchHooks &hooks)
{
    PortSearch result;
    bool anyOpened = false;
    for (int i = 0; i < candidates.size(); ++i) {
        const QString &name = candidates.at(i);
        if (cancelled(cancel)) {
            result.outcome = PortSearch::Cancelled;
            return result;
        }
        qCDebug(lcSerial) << name;
        if (hooks.trying)
            hooks.trying(name);
        if (!line.open(name))
            continue;
        anyOpened = true;
        // A line without modem control cannot raise DTR; a prop behind it
        // may greet all the same, so the search listens anyway.
        if (!line.raiseDtr())
            qCDebug(lcSerial) << "DTR not raised on" << name;

        WaitResult wait = WaitResult::Cancelled;
        if (pause(timings.settleMs, cancel))
            wait = waitForData(line, timings.greetingMs, cancel);
        if (wait == WaitResult::Cancelled) {
            line.close();
            result.outcome = PortSearch::Cancelled;
            return result;
        }
        if (wait == WaitResult::Done) {
            const QByteArray greeting = readAnswer(line, timings.greetingQuietMs, cancel);
            qCDebug(lcSerial) << "Port Read: " << greeting;
            if (!greeting.isEmpty() && accept(greeting)) {
                result.outcome = PortSearch::Found;
                result.index = i;
                result.name = name;
                result.greeting = greeting;
                return result;
            }
        }
        qCDebug(lcSerial) << name << "not working.";
        if (hooks.silent)
            hooks.silent(name);
        line.close();
    }
    qCDebug(lcSerial) << "Can't find open device.";
    result.outcome = anyOpened ? PortSearch::NoAnswer : PortSearch::NoPortOpened;
    return result;
}

bool answerRefuses(const QByteArray &answer)
{
    return answer.contains("ERR");
}

bool greetsForWipe(const QByteArray &greeting)
{
    return greeting.contains("Wait");
}

bool greetsAtAll(const QByteArray &greeting)
{
    return !greeting.isEmpty();
}

UploadOutcome sendShowImage(SerialLine &line, const StreamFiles &files,
                            const SerialTimings &timings, const CancelFlag *cancel,
                            const std::function<void(int)> &progress)
{
    auto outcomeOf = [](WaitResult w) {
        return w == WaitResult::Cancelled  ? UploadOutcome::Cancelled
               : w == WaitResult::TimedOut ? UploadOutcome::StoppedTaking
                                           : UploadOutcome::LineLost;
    };

    if (!pause(timings.settleMs, cancel))
        return UploadOutcome::Cancelled;
    QFile headerFile(files.headerPath);
    QFile frameFile(files.framePath);
    if (!headerFile.open(QIODevice::ReadOnly) || !frameFile.open(QIODevice::ReadOnly)) {
        qCDebug(lcSerial) << "Can't open file.";
        return UploadOutcome::FilesUnreadable;
    }
    qCDebug(lcSerial) << "port inited";

    const QByteArray slot = headerFile.read(1);
    if (slot.size() != 1)
        return UploadOutcome::FilesUnreadable;
    line.clearBuffers();
    qCDebug(lcSerial) << "write tenpl" << int(quint8(slot.at(0)));
    WaitResult w = sendBytes(line, slot, timings.writeStallMs, cancel);
    if (w != WaitResult::Done)
        return outcomeOf(w);

    w = waitForData(line, timings.slotAnswerMs, cancel);
    if (w == WaitResult::TimedOut) {
        qCDebug(lcSerial) << "Device ERR1.";
        return UploadOutcome::NoSlotAnswer;
    }
    if (w != WaitResult::Done)
        return outcomeOf(w);
    const QByteArray header = slot + headerFile.readAll();
    const QByteArray answer = readAnswer(line, timings.greetingQuietMs, cancel);
    qCDebug(lcSerial) << "Port read: " << answer;
    if (cancelled(cancel))
        return UploadOutcome::Cancelled;
    if (answerRefuses(answer)) {
        qCDebug(lcSerial) << "DeviceERR2";
        return UploadOutcome::SlotRefused;
    }

    // What the prop says while it takes the image is no answer to it, but
    // an "ERR" in it stops the upload. The last two bytes said are kept, so
    // that an "ERR" split over two reads is found too.
    QByteArray tail = answer.right(2);
    const auto heard = [&tail](const QByteArray &more) {
        if (more.isEmpty())
            return true;
        const QByteArray joined = tail + more;
        tail = joined.right(2);
        return !answerRefuses(joined);
    };
    const auto heardWhileSending = [&line, &heard] {
        const QByteArray more = takeWaiting(line);
        if (!more.isEmpty())
            qCDebug(lcSerial) << "Port read while sending: " << more;
        return heard(more);
    };

    const QByteArray wire = headerWireBytes(header);
    qCDebug(lcSerial) << "SIZE" << header.size() << "BUFF" << wire.toHex(' ');
    w = sendBytes(line, wire, timings.writeStallMs, cancel);
    if (w != WaitResult::Done)
        return outcomeOf(w);

    // Before each chunk, what the prop said so far is taken; so only what it
    // says once the last chunk is on its way can answer the whole image (a
    // prop on USB may answer before the last write has been waited for).
    const qint64 total = frameFile.size();
    qint64 sent = 0;
    while (!frameFile.atEnd()) {
        if (!heardWhileSending())
            return UploadOutcome::Refused;
        if (progress)
            progress(total > 0 ? int(sent * 99 / total) : 0);
        const QByteArray chunk = frameFile.read(UploadChunkBytes);
        if (chunk.isEmpty())
            break;
        w = sendBytes(line, chunk, timings.writeStallMs, cancel);
        if (w != WaitResult::Done)
            return outcomeOf(w);
        sent += chunk.size();
    }
    frameFile.close();
    qCDebug(lcSerial) << "SEND END";

    if (!pause(timings.finalPauseMs, cancel))
        return UploadOutcome::Cancelled;
    w = waitForData(line, timings.finalAnswerMs, cancel);
    if (w == WaitResult::TimedOut) {
        qCDebug(lcSerial) << "TIME OUT";
        return UploadOutcome::NoFinalAnswer;
    }
    if (w != WaitResult::Done)
        return outcomeOf(w);
    const QByteArray end = readAnswer(line, timings.greetingQuietMs, cancel);
    qCDebug(lcSerial) << "END" << end;
    if (!heard(end))
        return UploadOutcome::Refused;
    if (progress)
        progress(100);
    return UploadOutcome::Done;
}

WipeOutcome wipeMemory(SerialLine &line, const SerialTimings &timings)
{
    if (sendBytes(line, QByteArrayLiteral("DD"), timings.writeStallMs) != WaitResult::Done)
        return WipeOutcome::LineLost;
    // Only the input: "DD" may still be on its way out of the driver.
    line.clearInput();
    // What comes at once is the prop taking the command, not its answer.
    if (waitForData(line, timings.wipeSkipMs) == WaitResult::Broken)
        return WipeOutcome::LineLost;
    line.io().readAll();

    QString collected;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (collected.contains(QLatin1String("Wait")))
            return WipeOutcome::Done;
        if (timer.elapsed() > timings.wipePollMs)
            return WipeOutcome::TimedOut;
        if (waitForData(line, timings.wipeStepMs) == WaitResult::Broken)
            return WipeOutcome::LineLost;
        collected += QString::fromUtf8(line.io().readAll());
    }
}

} // namespace vc::device
