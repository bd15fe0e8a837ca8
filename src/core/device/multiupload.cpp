#include "core/device/multiupload.h"

#include "core/device/workerthread.h"

#include <QEventLoop>
#include <QSerialPort>
#include <QTextStream>
#include <QTimer>

namespace vc::device {

namespace {

// The label of a target before a port answered.
const char *const SearchLabel = "port search";

} // namespace

MultiUpload::MultiUpload(const SerialTimings &timings, QTextStream *log, bool live, QObject *parent)
    : QObject(parent), m_timings(timings), m_log(log), m_live(live)
{
}

MultiUpload::~MultiUpload()
{
    // A worker's destructor stops it and waits for its thread.
    for (Running &t : m_targets)
        delete t.worker.data();
}

void MultiUpload::start(const QVector<Target> &targets)
{
    for (Running &t : m_targets)
        delete t.worker.data();
    m_targets.clear();
    m_drawn = false;
    m_shown.clear();
    for (const Target &target : targets) {
        Running t;
        t.target = target;
        if (target.candidates.size() == 1)
            t.port = portLabel(target.candidates.first());
        m_targets.append(t);
    }
    m_running = 0;
    for (int i = 0; i < m_targets.size(); ++i) {
        auto *worker =
            new WorkerThread(m_targets.at(i).target.candidates, m_targets.at(i).target.files);
        worker->setTimings(m_timings);
        m_targets[i].worker = worker;
        // Queued: the worker reports from its own thread.
        connect(worker, &WorkerThread::progress, this,
                [this, i](int percent, int port) { onProgress(i, percent, port); });
        connect(worker, &WorkerThread::expmess, this,
                [this, i](const QString &text) { m_targets[i].message = text; });
        connect(worker, &QThread::finished, this, [this, i] { onEnded(i); });
        ++m_running;
    }
    draw();
    if (m_interrupted) {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this] {
            if (m_interrupted())
                cancel();
        });
        poll->start(50);
        m_poll = poll;
    }
    for (Running &t : m_targets)
        t.worker->start(QThread::InheritPriority);
    if (m_running == 0)
        QTimer::singleShot(0, this, &MultiUpload::finished);
}

QVector<MultiUpload::Outcome> MultiUpload::run(const QVector<Target> &targets)
{
    QEventLoop loop;
    connect(this, &MultiUpload::finished, &loop, &QEventLoop::quit);
    start(targets);
    if (m_running > 0)
        loop.exec();
    return outcomes();
}

QVector<MultiUpload::Outcome> MultiUpload::outcomes() const
{
    QVector<Outcome> out;
    for (int i = 0; i < m_targets.size(); ++i)
        out.append({label(i), m_targets.at(i).success, m_targets.at(i).message});
    return out;
}

QString MultiUpload::label(int target) const
{
    const Running &t = m_targets.at(target);
    const QString port = t.port.isEmpty() ? QString::fromLatin1(SearchLabel) : t.port;
    return t.target.name.isEmpty() ? port : port + QLatin1String(" (") + t.target.name + ')';
}

void MultiUpload::cancel()
{
    for (Running &t : m_targets) {
        if (t.ended || !t.worker)
            continue;
        t.cancelled = true;
        t.worker->stop();
    }
}

void MultiUpload::onProgress(int target, int percent, int port)
{
    Running &t = m_targets[target];
    if (port >= 0 && port < t.target.candidates.size())
        t.port = portLabel(t.target.candidates.at(port));
    t.percent = percent;
    draw();
    emit progressChanged(target, percent);
}

void MultiUpload::onEnded(int target)
{
    Running &t = m_targets[target];
    t.ended = true;
    t.success = t.worker && t.worker->success();
    if (!t.success && t.message.isEmpty())
        t.message = t.cancelled ? QStringLiteral("upload cancelled")
                                : QStringLiteral("the upload ended without an answer");
    draw();
    emit targetEnded(target, t.success, t.message);
    if (--m_running > 0)
        return;
    delete m_poll;
    m_poll = nullptr;
    writeSummary();
    emit finished();
}

void MultiUpload::writeSummary()
{
    if (!m_log)
        return;
    // One line per target, then the count.
    int answered = 0;
    for (int i = 0; i < m_targets.size(); ++i) {
        const Running &t = m_targets.at(i);
        *m_log << label(i) << ": " << (t.success ? tr("上傳完成") : t.message) << '\n';
        answered += t.success ? 1 : 0;
    }
    if (m_targets.size() > 1)
        *m_log << answered << " of " << m_targets.size() << " props answered\n";
    m_log->flush();
}

QString MultiUpload::lineOf(int target) const
{
    const Running &t = m_targets.at(target);
    QString state;
    if (t.ended)
        state = t.success ? QStringLiteral("done") : QStringLiteral("failed");
    else if (t.percent < 0)
        state = t.target.candidates.size() == 1 ? QStringLiteral("waiting for the prop")
                                                : QStringLiteral("looking for the prop");
    else
        state = QString::number(t.percent) + QLatin1Char('%');
    return label(target) + QLatin1String(": ") + state;
}

void MultiUpload::draw()
{
    if (!m_log)
        return;
    if (m_live) {
        // One line per target, redrawn in place when one of them changed.
        QStringList lines;
        for (int i = 0; i < m_targets.size(); ++i)
            lines << lineOf(i);
        if (m_drawn && lines == m_shown)
            return;
        if (m_drawn)
            *m_log << "\x1b[" << m_targets.size() << 'A';
        for (const QString &line : qAsConst(lines))
            *m_log << '\r' << line << "\x1b[K\n";
        m_shown = lines;
        m_drawn = true;
        m_log->flush();
        return;
    }
    // Appended lines: a target's line when it has moved on by a tenth; its
    // end is told by the summary.
    for (int i = 0; i < m_targets.size(); ++i) {
        Running &t = m_targets[i];
        const int step = t.percent < 0 ? -1 : t.percent / 10;
        if (t.ended || step == t.printedStep)
            continue;
        t.printedStep = step;
        *m_log << lineOf(i) << '\n';
    }
    m_log->flush();
}

QStringList unavailablePorts(const QStringList &ports)
{
    QStringList problems;
    for (const QString &name : ports) {
        QSerialPort port(name);
        if (port.open(QIODevice::ReadWrite)) {
            port.close();
            continue;
        }
        const QString reason =
            port.error() == QSerialPort::PermissionError ? QStringLiteral("busy or not permitted")
            : port.error() == QSerialPort::DeviceNotFoundError ? QStringLiteral("not found")
                                                               : port.errorString();
        problems << portLabel(name) + QLatin1String(": ") + reason;
    }
    return problems;
}

} // namespace vc::device
