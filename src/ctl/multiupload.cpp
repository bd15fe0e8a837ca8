#include "ctl/multiupload.h"

#include "core/device/workerthread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

namespace vc::ctl {

namespace {

// The label of a target before a port answered.
const char *const SearchLabel = "port search";

} // namespace

MultiUpload::MultiUpload(const device::StreamFiles &files, const device::SerialTimings &timings,
                         QTextStream &log, bool live, QObject *parent)
    : QObject(parent), m_files(files), m_timings(timings), m_log(log), m_live(live)
{
}

MultiUpload::~MultiUpload()
{
    // A worker's destructor stops it and waits for its thread.
    for (Target &t : m_targets)
        delete t.worker.data();
}

QVector<MultiUpload::Outcome> MultiUpload::run(const QVector<QStringList> &targets)
{
    m_targets.clear();
    for (const QStringList &candidates : targets) {
        Target t;
        t.candidates = candidates;
        t.label = candidates.size() == 1 ? device::portLabel(candidates.first())
                                         : QString::fromLatin1(SearchLabel);
        m_targets.append(t);
    }

    QEventLoop loop;
    int running = 0;
    for (int i = 0; i < m_targets.size(); ++i) {
        auto *worker = new WorkerThread(m_targets.at(i).candidates, m_files);
        worker->setTimings(m_timings);
        m_targets[i].worker = worker;
        // Queued: the worker reports from its own thread.
        connect(worker, &WorkerThread::progress, this,
                [this, i](int percent, int port) { onProgress(i, percent, port); });
        connect(worker, &WorkerThread::expmess, this,
                [this, i](const QString &text) { m_targets[i].message = text; });
        connect(worker, &QThread::finished, this, [this, i, &running, &loop] {
            onEnded(i);
            if (--running == 0)
                loop.quit();
        });
        ++running;
    }
    draw();
    for (Target &t : m_targets)
        t.worker->start(QThread::InheritPriority);

    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [this] {
        if (m_interrupted && m_interrupted())
            cancel();
    });
    poll.start(50);
    if (running > 0)
        loop.exec();
    poll.stop();

    QVector<Outcome> outcomes;
    int answered = 0;
    for (const Target &t : qAsConst(m_targets)) {
        Outcome o;
        o.port = t.label;
        o.success = t.success;
        o.message = t.message;
        if (o.success)
            ++answered;
        outcomes.append(o);
    }
    // The summary: one line per target, then the count.
    for (const Outcome &o : qAsConst(outcomes)) {
        const QString text = o.success ? tr("上傳完成") : o.message;
        m_log << o.port << ": " << text << '\n';
    }
    if (outcomes.size() > 1)
        m_log << answered << " of " << outcomes.size() << " props answered\n";
    m_log.flush();
    return outcomes;
}

void MultiUpload::cancel()
{
    for (Target &t : m_targets) {
        if (t.ended || !t.worker)
            continue;
        t.cancelled = true;
        t.worker->stop();
    }
}

void MultiUpload::onProgress(int target, int percent, int port)
{
    Target &t = m_targets[target];
    if (port >= 0 && port < t.candidates.size())
        t.label = device::portLabel(t.candidates.at(port));
    t.percent = percent;
    draw();
}

void MultiUpload::onEnded(int target)
{
    Target &t = m_targets[target];
    t.ended = true;
    t.success = t.worker && t.worker->success();
    if (!t.success && t.message.isEmpty())
        t.message = t.cancelled ? QStringLiteral("upload cancelled")
                                : QStringLiteral("the upload ended without an answer");
    draw();
}

QString MultiUpload::lineOf(const Target &t) const
{
    QString state;
    if (t.ended)
        state = t.success ? QStringLiteral("done") : QStringLiteral("failed");
    else if (t.percent < 0)
        state = t.candidates.size() == 1 ? QStringLiteral("waiting for the prop")
                                         : QStringLiteral("looking for the prop");
    else
        state = QString::number(t.percent) + QLatin1Char('%');
    return t.label + QLatin1String(": ") + state;
}

void MultiUpload::draw()
{
    if (m_live) {
        // One line per target, redrawn in place when one of them changed.
        QStringList lines;
        for (const Target &t : qAsConst(m_targets))
            lines << lineOf(t);
        if (m_drawn && lines == m_shown)
            return;
        if (m_drawn)
            m_log << "\x1b[" << m_targets.size() << 'A';
        for (const QString &line : qAsConst(lines))
            m_log << '\r' << line << "\x1b[K\n";
        m_shown = lines;
        m_drawn = true;
        m_log.flush();
        return;
    }
    // Appended lines: a target's line when it has moved on by a tenth; its
    // end is told by the summary.
    for (Target &t : m_targets) {
        const int step = t.percent < 0 ? -1 : t.percent / 10;
        if (t.ended || step == t.printedStep)
            continue;
        t.printedStep = step;
        m_log << lineOf(t) << '\n';
    }
    m_log.flush();
}

} // namespace vc::ctl
