#include "gui/project/autosave.h"

#include "core/model/show.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"

#include <KAutoSaveFile>

#include <QDir>
#include <QLocale>

namespace vc {

namespace {

constexpr int PauseMs = 3000;
constexpr int LongestMs = 30000;

} // namespace

AutoSave::AutoSave(const Services &services, QObject *parent) : QObject(parent), m_s(services)
{
    m_pause.setSingleShot(true);
    m_longest.setSingleShot(true);
    m_settled.setSingleShot(true);
    setDelays(PauseMs, LongestMs);
    connect(&m_pause, &QTimer::timeout, this, &AutoSave::writeNow);
    connect(&m_longest, &QTimer::timeout, this, &AutoSave::writeNow);
    connect(&m_settled, &QTimer::timeout, this, [this] {
        if (!m_s.tracks->isModified())
            writeNow();
    });

    connect(m_s.tracks->project(), &Project::edited, this, &AutoSave::changed);
    connect(m_s.tracks->project(), &Project::modifiedChanged, this, &AutoSave::modifiedChanged);
    // The prop and the song are saved with the project too.
    connect(m_s.show, &Show::ledsChanged, this, &AutoSave::changed);
    connect(m_s.show, &Show::frameRateChanged, this, &AutoSave::changed);
    connect(m_s.show, &Show::songPathChanged, this, &AutoSave::changed);
}

// The writer removes the copy as it goes: a normal end leaves none.
AutoSave::~AutoSave() = default;

void AutoSave::setDelays(int pauseMs, int longestMs)
{
    m_pause.setInterval(pauseMs);
    m_longest.setInterval(longestMs);
}

void AutoSave::changed()
{
    if (!m_s.tracks->isModified())
        return;
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void AutoSave::modifiedChanged(bool modified)
{
    if (modified)
        changed();
    else
        m_settled.start(0);
}

void AutoSave::writeNow()
{
    // A save or load lets events through while it runs: the copy waits
    // until the project is whole again (and named as it will be).
    if (m_s.files->isBusy()) {
        m_pause.start();
        return;
    }
    m_pause.stop();
    m_longest.stop();
    if (!m_s.tracks->isModified()) {
        m_writer.discard();
        return;
    }
    const ProjectExtras extras = m_s.tracks->project()->extras();
    m_writer.write(m_s.files->projectData(), m_s.files->projectPath(), m_s.files->hasFileName(),
                   extras.isEmpty() ? QByteArray() : encodeExtras(extras));
}

void AutoSave::offerRecovery()
{
    std::vector<FoundRecoveryCopy> found = findRecoveryCopies();
    const int count = int(found.size());
    for (int i = 0; i < count; ++i) {
        FoundRecoveryCopy &f = found[std::size_t(i)];
        const RecoveryCopy &copy = f.copy();
        // The whole path: a copy may name any file, and the user is to see
        // which one.
        const QString name = copy.projectPath.isEmpty()
                                 ? tr("未命名專案")
                                 : QDir::toNativeSeparators(copy.projectPath);
        const QString when = QLocale().toString(copy.writtenAt.toLocalTime(), QLocale::ShortFormat);
        QString text = tr("編輯器上次未正常關閉，留下了專案的復原副本。\n"
                          "專案：%1\n副本時間：%2\n要恢復這份副本嗎？")
                           .arg(name, when);
        if (count > 1)
            text += QStringLiteral(" (%1/%2)").arg(i + 1).arg(count);
        const QString html = whitePlainText(text);
        const int answer = prompter().choose(m_s.dialogParent, tr("恢復專案"), html,
                                             {tr("恢復"), tr("捨棄"), tr("稍後再說")}, 0);
        if (answer == 0) {
            // The copy stays this project's until the next one replaces it.
            if (m_s.files->restoreRecovery(copy))
                m_writer.adopt(f.take());
            else
                f.keep();
        } else if (answer == 1) {
            f.discard();
        } else {
            f.keep();
        }
    }
}

} // namespace vc
