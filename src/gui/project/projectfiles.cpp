#include "gui/project/projectfiles.h"

#include "core/app/appsettings.h"
#include "core/app/fileerrors.h"
#include "core/app/picturefolder.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/legacyimport.h"
#include "core/project/legacyproject.h"
#include "core/project/picturelibrary.h"
#include "core/project/project.h"
#include "core/project/projectextras.h"
#include "core/project/projectlock.h"
#include "core/project/projectnames.h"
#include "core/project/recoverycopy.h"
#include "core/project/showproject.h"
#include "core/render/textpattern.h"
#include "gui/common/backgroundwait.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"

#include <QActionGroup>
#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>

namespace vc {

namespace {

// At most this many names are listed in a message; the rest are counted.
constexpr int ListedNames = 10;

QString nameList(const QStringList &names)
{
    QStringList shown = names.mid(0, ListedNames);
    if (names.size() > ListedNames)
        shown.append(QStringLiteral("… (+%1)").arg(names.size() - ListedNames));
    return shown.join(QLatin1Char('\n'));
}

// Work that may take a while shows a progress dialog, but only once it has
// taken long enough to be noticed, so a quick load does not flash one.
class LongWork
{
public:
    LongWork(QWidget *parent, const QString &label, int maximum, bool cancellable)
        : m_parent(parent), m_label(label), m_maximum(maximum), m_cancellable(cancellable)
    {
        m_clock.start();
    }

    // False when the user cancelled.
    bool step(int value)
    {
        // Letting events through costs a repaint of the window (the preview
        // too); a few times a second is enough to look alive.
        const qint64 now = m_clock.elapsed();
        if (now < ShowAfterMs || now - m_lastUpdate < UpdateEveryMs)
            return !m_dialog || !m_dialog->wasCanceled();
        m_lastUpdate = now;
        if (!m_dialog) {
            m_dialog.reset(new QProgressDialog(m_label, QString(), 0, m_maximum, m_parent));
            if (m_cancellable)
                m_dialog->setCancelButtonText(ProjectFiles::tr("取消"));
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->show();
        }
        if (m_maximum > 0)
            m_dialog->setValue(qMin(value, m_maximum));
        // A modal dialog's setValue() lets events through; a busy one (no
        // maximum) needs it done here so that it paints and can be cancelled.
        QCoreApplication::processEvents(
            m_cancellable ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents, 20);
        return !m_dialog->wasCanceled();
    }

private:
    static constexpr qint64 ShowAfterMs = 400;
    static constexpr qint64 UpdateEveryMs = 200;
    QWidget *m_parent;
    QString m_label;
    int m_maximum;
    bool m_cancellable;
    QElapsedTimer m_clock;
    qint64 m_lastUpdate = 0;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// A save this large shows its progress at once, a smaller one only once it
// has taken long enough to be noticed.
constexpr qint64 ShowSaveAtOnceBytes = 16 * 1024 * 1024;

// The name Save As suggests for a project read from the old format: the
// same name in the current format.
QString currentFormatName(const QString &oldName)
{
    if (oldName.endsWith(QLatin1String(".vtc"), Qt::CaseInsensitive))
        return oldName.left(oldName.size() - 4) + QStringLiteral(".vtc3");
    return withProjectSuffix(oldName);
}

} // namespace

ProjectFiles::ProjectFiles(const Services &services, QObject *parent)
    : QObject(parent), m_s(services)
{
}

ProjectFiles::~ProjectFiles() = default;

// ---------------------------------------------------------------- new / load

bool ProjectFiles::newProject()
{
    // Only unsaved changes are worth a question.
    const bool renew =
        !m_s.project->isModified() ||
        prompter().warning(m_s.dialogParent, QString(),
                           tr("<font color='white'>未儲存部分將會流失，確定開啟新檔?</font>"),
                           QMessageBox::Yes | QMessageBox::Cancel,
                           QMessageBox::Cancel) == QMessageBox::Yes;
    // Cancel means nothing happened: the project, its unsaved changes and
    // its undo history all stay.
    if (!renew)
        return false;
    ++m_loadGeneration;
    m_s.tracks->clearProject();
    clearExtras();
    emit projectReplaced();
    m_s.project->setPath(QString());
    m_hasFileName = false;
    m_untitled = true;
    m_lock.reset();
    startHistory();
    return true;
}

void ProjectFiles::load()
{
    if (m_s.project->isModified() &&
        prompter().warning(m_s.dialogParent, QString(),
                           tr("<font color='white'>未儲存部分將會流失，確定讀取舊檔?</font>"),
                           QMessageBox::Yes | QMessageBox::Cancel,
                           QMessageBox::Yes) != QMessageBox::Yes)
        return;
    const QString name = prompter().openFileName(m_s.dialogParent, tr("讀檔"), m_currentFile,
                                                 QStringLiteral("*.vtc *.vtc3"));
    if (!name.isEmpty())
        loadFile(name);
}

bool ProjectFiles::loadFile(const QString &path)
{
    // A load lets events through while it reads; a second one (a drop, a
    // timer) must not start inside it.
    if (m_busy)
        return false;
    const Busy busy(&m_busy);
    if (isCurrentFormatName(path))
        return loadCurrentFormat(path);
    return loadLegacyFormat(path);
}

std::unique_ptr<ProjectLock> ProjectFiles::lockFor(const QString &path)
{
    // This editor's own mark is no other editor's.
    if (m_lock && m_lock->isHeld() &&
        ProjectLock::lockFileFor(m_lock->projectPath()) == ProjectLock::lockFileFor(path))
        return std::move(m_lock);
    return std::make_unique<ProjectLock>(path);
}

bool ProjectFiles::loadCurrentFormat(const QString &path)
{
    // One editor per project: two saving the same file would each undo
    // the other's work. Asked before the file is read, which may take a
    // while for a large project.
    std::unique_ptr<ProjectLock> lock = lockFor(path);
    bool named = true;
    if (lock->state() == ProjectLock::HeldElsewhere) {
        if (prompter().warning(m_s.dialogParent, QString(),
                               whitePlainText(tr("專案 %1 已在另一個編輯器中開啟。\n仍要開啟嗎？"
                                                 "儲存時將要求另取檔名，以免互相覆蓋。")
                                                  .arg(path)),
                               QMessageBox::Open | QMessageBox::Cancel,
                               QMessageBox::Cancel) != QMessageBox::Open)
            return false;
        lock.reset();
        named = false;
    }

    const ProjectReadResult read = loadProjectFile(path);
    if (!read.status.headerRead) {
        // Nothing of the file is usable: the project being edited stays,
        // and keeps its own mark.
        if (!m_lock && lock && lock->isHeld() && !m_untitled &&
            ProjectLock::lockFileFor(m_currentFile) == ProjectLock::lockFileFor(path))
            m_lock = std::move(lock);
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(
                tr("無法讀取專案 %1：%2\n目前的專案保持不變。").arg(path, read.status.reason)));
        return false;
    }
    replaceProject(read, path);
    takeExtras(path, QByteArray());
    m_lock = std::move(lock);
    m_hasFileName = named;
    if (!read.status.ok()) {
        // Saving back under the same name would drop what lies beyond the
        // damage: the next Save asks for a name instead.
        m_hasFileName = false;
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(tr("專案 %1 不完整或已損壞（%2），已載入損壞處之前的部分。")
                               .arg(path, read.status.reason)));
    }
    finishLoad();
    return true;
}

bool ProjectFiles::restoreRecovery(const RecoveryCopy &copy)
{
    if (m_busy)
        return false;
    const Busy busy(&m_busy);
    if (m_s.project->isModified() &&
        prompter().warning(m_s.dialogParent, QString(),
                           tr("<font color='white'>未儲存部分將會流失，確定讀取舊檔?</font>"),
                           QMessageBox::Yes | QMessageBox::Cancel,
                           QMessageBox::Yes) != QMessageBox::Yes)
        return false;
    const ProjectReadResult read = decodeProject(copy.project);
    if (!read.status.headerRead) {
        prompter().warning(m_s.dialogParent, QString(),
                           whitePlainText(tr("無法讀取復原副本：%1").arg(read.status.reason)));
        return false;
    }
    // Save writes where the project came from, unless another editor has
    // that file open now. The copy names that file, but anything could have
    // put a copy where copies are kept: the file must be a project this
    // editor reads, or the copy is taken as one without a file of its own.
    std::unique_ptr<ProjectLock> lock;
    const bool aProject = !copy.projectPath.isEmpty() && isCurrentFormatName(copy.projectPath) &&
                          loadProjectFile(copy.projectPath).status.ok();
    bool named = copy.hasFileName && aProject;
    if (named) {
        lock = lockFor(copy.projectPath);
        if (lock->state() == ProjectLock::HeldElsewhere) {
            lock.reset();
            named = false;
        }
    }
    replaceProject(read, aProject ? copy.projectPath : QString());
    if (!copy.extras.isEmpty())
        takeExtras(QString(), copy.extras);
    m_lock = std::move(lock);
    m_hasFileName = named && read.status.ok();
    finishLoad();
    // Nothing of it is saved yet.
    m_s.project->setModified(true);
    return true;
}

void ProjectFiles::replaceProject(const ProjectReadResult &read, const QString &path)
{
    const ProjectData &project = read.project;
    // Everything that takes time happens before the project is touched;
    // from clearing it to the last item nothing else may run against the
    // half-built tracks, so no events are let through in between.
    // The thumbs are left packed: each is unpacked when its item is first
    // painted, exported or copied, so a large project opens at once.
    const QVector<DecodedRecord> decoded = decodeRecords(project, ModeRecord::ThumbLater);
    m_damagedRecords = int(std::count_if(decoded.begin(), decoded.end(),
                                         [](const DecodedRecord &d) { return !d.complete; }));
    beginLoad(path);
    // The project's own song, or none: the song of the project before it
    // must not stay (nor be saved as this one's).
    emit songRequested(project.hasSong() ? project.songPath : QString());
    emit propRequested(project.leds, project.frameRate, false);
    addRecords(project, decoded);
    qDebug() << "project loaded" << read.status.records << "records";
}

bool ProjectFiles::loadLegacyFormat(const QString &path)
{
    LegacyProject project;
    QString error;
    if (!loadLegacyProjectFile(path, &project, nullptr, &error)) {
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(tr("無法讀取專案 %1：%2\n目前的專案保持不變。").arg(path, error)));
        return false;
    }
    qDebug() << "OPEN OLD FILE";
    beginLoad(path);
    // The old format names no song.
    emit songRequested(QString());

    // An old project keeps no picture of its own, only the paths: a mode
    // whose picture cannot be found cannot be made. Offer the search first.
    const auto missingModes = [&project] {
        int n = 0;
        for (const LegacyMode &m : project.modes)
            n += m.kind() == Picture && !QFileInfo(m.picturePath()).isFile();
        return n;
    };
    searchMissing(missingModes, [&project](const PictureSearch &search) {
        LegacyImporter::relinkPictures(project, search);
    });

    LongWork work(m_s.dialogParent, tr("讀取中..."), project.modes.size(), false);
    emit propRequested(project.leds, float(project.frameRate), true);
    qDebug() << "gadget loaded";
    // The lines are read against the panel as it stands, and it shows what
    // the last of them left. They are made on a show of their own while the
    // progress lets events through, and put on the track in one step at
    // the end, so nothing runs against a half-made track.
    Show *show = m_s.show;
    Show scratch;
    scratch.setLeds(show->leds());
    scratch.setFrameRate(show->frameRate());
    LegacyImporter importer(scratch, scratch.currentTrack(), TextPattern::fontFamilies(),
                            panelState ? panelState() : LegacyPanelState());
    const LegacyImportReport report =
        importer.importModes(project, [&work](int done, int) { work.step(done); });
    {
        const Show::Batch batch(show);
        const Show::Id track = show->currentTrack();
        for (const Show::Mode &m : scratch.tracks().constFirst().modes)
            show->appendMode(track, m.bytes, m.record, m.complete,
                             m.complete ? int(m.bytes.size()) : 0);
        show->orderTrack(track);
    }
    emit legacyImported(importer.panel(), importer.lastEndMs());
    for (const QString &refusal : report.pictureErrors)
        prompter().warning(m_s.dialogParent, QString(), refusal);

    // Saving in the current format under the old name would overwrite the
    // old text file with one that no longer loads as what its name says:
    // Save asks for a name, suggesting the current format's.
    m_hasFileName = false;
    m_currentFile = currentFormatName(path);
    m_lock.reset();
    reportImport(report);
    finishLoad();
    return true;
}

void ProjectFiles::beginLoad(const QString &path)
{
    m_s.tracks->clearProject();
    clearExtras();
    emit projectReplaced();
    if (path.isEmpty()) {
        // A restored project that was never saved stays without a name.
        m_untitled = true;
        m_s.project->setPath(QString());
        return;
    }
    // The picture dialogs keep opening where pictures were loaded last;
    // only the picture library's folder dialogs start beside the project.
    m_currentFile = path;
    m_untitled = false;
    m_s.project->setPath(path);
}

void ProjectFiles::finishLoad()
{
    emit loaded();
    if (m_damagedRecords > 0) {
        // Such a mode is kept (with what of it could be read), but not hidden.
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(tr("專案中有 %1 個圖樣的紀錄已損壞，只載入了能讀取的部分。")
                               .arg(m_damagedRecords)));
        m_damagedRecords = 0;
    }
    checkMissingPictures();
    // What the load itself changed (the song, the prop) is no unsaved change.
    startHistory();
    checkThumbsInBackground();
}

void ProjectFiles::checkThumbsInBackground()
{
    const int generation = ++m_loadGeneration;
    QVector<std::shared_ptr<const PackedThumb>> packed;
    for (const Show::Track &t : m_s.show->tracks()) {
        for (const Show::Mode &m : t.modes) {
            if (m.record.packedThumb)
                packed.append(m.record.packedThumb);
        }
    }
    if (packed.isEmpty())
        return;
    // A damaged thumb would only show as an empty item: once the window is
    // usable, every packed thumb is checked on another thread and damage
    // is reported (unless another project has come in the meantime).
    auto *watcher = new QFutureWatcher<int>(this);
    connect(watcher, &QFutureWatcher<int>::finished, this, [this, watcher, generation] {
        const int damaged = watcher->result();
        watcher->deleteLater();
        if (damaged > 0 && generation == m_loadGeneration)
            prompter().warning(
                m_s.dialogParent, QString(),
                whitePlainText(tr("專案中有 %1 個圖樣的縮圖已損壞，無法顯示。").arg(damaged)));
    });
    watcher->setFuture(QtConcurrent::run([packed] {
        // Only spare time goes into it: the window, the painting of the
        // thumbs in view and the song come first.
        QThread *thread = QThread::currentThread();
        const QThread::Priority priority = thread->priority();
        thread->setPriority(QThread::IdlePriority);
        int damaged = 0;
        for (const auto &thumb : packed)
            damaged += thumb->isDamaged() ? 1 : 0;
        // Pool threads start without a priority of their own.
        thread->setPriority(priority == QThread::InheritPriority ? QThread::NormalPriority
                                                                 : priority);
        return damaged;
    }));
}

void ProjectFiles::addRecords(const ProjectData &project, const QVector<DecodedRecord> &decoded)
{
    // The track area is painted once, when it is complete.
    QWidget *area = m_s.trackArea;
    const bool updates = !area || area->updatesEnabled();
    if (area)
        area->setUpdatesEnabled(false);
    fillTracks(*m_s.show, project, decoded);
    if (area)
        area->setUpdatesEnabled(updates);
}

void ProjectFiles::reportImport(const LegacyImportReport &report)
{
    QStringList lines;
    if (report.missingPictureModes > 0) {
        lines << tr("%1 個圖片圖樣未匯入，因為找不到或無法讀取其圖片：")
                     .arg(report.missingPictureModes)
              << nameList(report.missingPictures);
    }
    const int skipped = report.unreadableLines + report.skippedLines;
    if (skipped > 0)
        lines << tr("%1 行無法辨識，已略過。").arg(skipped);
    if (!lines.isEmpty())
        prompter().warning(m_s.dialogParent, QString(),
                           whitePlainText(lines.join(QLatin1Char('\n'))));
}

// ---------------------------------------------------------------- save

ProjectData ProjectFiles::projectData() const
{
    return projectOf(*m_s.show);
}

bool ProjectFiles::save()
{
    if (!m_hasFileName)
        return saveAs();
    return writeTo(m_currentFile);
}

bool ProjectFiles::saveAs()
{
    // A project without a file of its own is offered a name no file has: the
    // path kept from the last project names another project.
    QString start = m_currentFile;
    if (start.isEmpty())
        start = settings::defaultDocumentsPath();
    else if (m_untitled)
        start = unusedProjectName(QFileInfo(start).absolutePath(), tr("未命名"));
    const QString chosen =
        prompter().saveFileName(m_s.dialogParent, tr("存檔"), start, QStringLiteral("*.vtc3"));
    if (chosen.isEmpty())
        return false;
    // The name is taken once the project is written there: after a failed
    // write, Save asks again rather than trying the failed place.
    const QString path = withProjectSuffix(chosen);
    // Not over a project another editor has open.
    std::unique_ptr<ProjectLock> lock = lockFor(path);
    if (lock->state() == ProjectLock::HeldElsewhere) {
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(tr("專案 %1 已在另一個編輯器中開啟，請另取檔名。").arg(path)));
        return false;
    }
    if (!writeTo(path)) {
        // The project keeps its own mark (taken above when it is the same
        // file).
        if (!m_lock && m_hasFileName &&
            ProjectLock::lockFileFor(path) == ProjectLock::lockFileFor(m_currentFile))
            m_lock = std::move(lock);
        return false;
    }
    m_lock = std::move(lock);
    m_currentFile = path;
    m_hasFileName = true;
    m_untitled = false;
    return true;
}

bool ProjectFiles::writeTo(const QString &path)
{
    if (m_busy)
        return false;
    const Busy busy(&m_busy);
    const ProjectData data = projectData();
    // The writing runs on another thread, so that the progress paints and
    // Cancel answers while the disk works. The new file replaces the old
    // one only here, once every Cancel pressed until then has been seen:
    // a cancelled save leaves the old file as it was, and the title's mark.
    ProjectSave save(path);
    const qint64 total = encodedProjectSize(data);
    std::atomic<qint64> done{0};
    std::atomic<bool> cancel{false};
    bool written = false;
    WaitOptions wait;
    wait.label = tr("儲存中...");
    // The rename after the writing takes no time; the last percent waits
    // for it all the same.
    wait.percent = [&] { return int(done * 99 / std::max<qint64>(total, 1)); };
    wait.showAtOnce = total >= ShowSaveAtOnceBytes;
    waitForWork(QtConcurrent::run([&] {
                    written = save.write(data, [&](qint64 d, qint64) {
                        done = d;
                        return !cancel;
                    });
                }),
                m_s.dialogParent, wait, &cancel);
    if (cancel)
        return false;
    if (!written || !save.commit()) {
        // The old file, if any, is still whole; the title keeps its mark.
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(tr("無法儲存專案 %1：%2").arg(path, fileErrorText(save.errorString()))));
        return false;
    }
    // The beat grid and the props beside it; without them the project is
    // not saved whole, and stays marked.
    QString extrasError;
    if (!writeExtras(path, m_s.project->extras(), &extrasError)) {
        prompter().warning(
            m_s.dialogParent, QString(),
            whitePlainText(
                tr("無法儲存專案 %1 的節拍與道具分配：%2").arg(path, fileErrorText(extrasError))));
        return false;
    }
    m_s.project->setPath(path);
    settings::open().setValue(settings::CurrentFile, path);
    m_s.project->setModified(false);
    return true;
}

// ---------------------------------------------------------------- history

void ProjectFiles::startHistory()
{
    m_s.project->startHistory();
}

void ProjectFiles::clearExtras()
{
    const Project::Untracked replacing(m_s.project);
    m_s.project->setExtras(ProjectExtras());
}

void ProjectFiles::takeExtras(const QString &path, const QByteArray &bytes)
{
    ProjectExtras extras;
    QString error;
    const bool read =
        path.isEmpty() ? decodeExtras(bytes, &extras, &error) : readExtras(path, &extras, &error);
    if (!read) {
        // The project itself is whole; only what lies beside it is lost,
        // and the next save writes it anew.
        prompter().warning(m_s.dialogParent, QString(),
                           whitePlainText(tr("無法讀取專案 %1 的節拍與道具分配：%2")
                                              .arg(path.isEmpty() ? tr("復原副本") : path, error)));
        return;
    }
    const Project::Untracked loading(m_s.project);
    m_s.project->setExtras(extras);
}

// ---------------------------------------------------------------- pictures

// Every mode's parameter text, track 1 first.
QStringList ProjectFiles::allParams() const
{
    QStringList out;
    for (const Show::Track &t : m_s.show->tracks()) {
        for (const Show::Mode &m : t.modes)
            out.append(m.record.params);
    }
    return out;
}

bool ProjectFiles::checkMissingPictures()
{
    const bool nothingMissing = countMissingPictures(allParams()) == 0;
    if (nothingMissing)
        return true;
    searchMissing([this] { return countMissingPictures(allParams()); },
                  [this](const PictureSearch &search) {
                      relinkItems(search);
                      m_s.tracks->refreshCounters();
                  });
    return false;
}

void ProjectFiles::replacePictureDirectory()
{
    std::unique_ptr<PictureSearch> search = chooseAndSearch();
    if (!search)
        return;
    relinkItems(*search);
    checkMissingPictures();
    m_s.tracks->refreshCounters();
}

bool ProjectFiles::searchMissing(const std::function<int()> &countMissing,
                                 const std::function<void(const PictureSearch &)> &relink)
{
    // Each round is the user's choice: the question, then a folder. It ends
    // when nothing is missing, on No, or when the folder dialog is cancelled.
    for (;;) {
        const int missing = countMissing();
        if (missing == 0)
            return true;
        const auto answer = prompter().warning(
            m_s.dialogParent, tr("圖片遺失"),
            QString::number(missing) + tr("張圖片遺失，是否搜尋並取代遺失圖片？"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return false;
        std::unique_ptr<PictureSearch> search = chooseAndSearch();
        if (!search)
            return false;
        relink(*search);
    }
}

std::unique_ptr<PictureSearch> ProjectFiles::chooseAndSearch()
{
    const QString folder = prompter().existingDirectory(
        m_s.dialogParent, tr("圖片位置"), pictureLibraryStart(), QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return nullptr;
    // A large folder tree takes a while to walk: show it, and let the user
    // stop it (the files seen so far are still searched).
    LongWork work(m_s.dialogParent, tr("搜尋圖片中..."), 0, true);
    return std::make_unique<PictureSearch>(folder, [&work](int seen) { return work.step(seen); });
}

void ProjectFiles::relinkItems(const PictureSearch &search)
{
    QVector<Show::Id> ids;
    for (const Show::Track &t : m_s.show->tracks()) {
        for (const Show::Mode &m : t.modes)
            ids.append(m.id);
    }
    // Only the path changes; the picture and thumb in the record stay.
    const Show::Batch batch(m_s.show);
    for (const PictureRelink &r : relinkMissingPictures(allParams(), search))
        m_s.show->setModeParams(ids.at(r.index), r.params);
}

QString ProjectFiles::pictureLibraryStart() const
{
    // A project carried to another place usually has its pictures beside it.
    if (!projectPath().isEmpty())
        return QFileInfo(projectPath()).absolutePath();
    return m_s.pictures ? m_s.pictures->folder() : QString();
}

void ProjectFiles::exportPictureLibrary()
{
    const QString folder = prompter().existingDirectory(
        m_s.dialogParent, tr("圖片儲存位置"), pictureLibraryStart(), QFileDialog::ShowDirsOnly);
    qDebug() << (folder.isEmpty() ? "false" : "true");
    if (folder.isEmpty())
        return;
    const PictureExportPlan plan = planPictureExport(allParams(), folder);
    const PictureExportResult result = runPictureExport(plan);

    // Copying the same picture once is the plan; what could not be copied
    // for another reason is said, so that a partial export is not taken
    // for a whole one.
    QStringList lines{tr("圖庫匯出完成")};
    if (!plan.missing.isEmpty())
        lines << tr("找不到的圖片：") << nameList(plan.missing);
    if (!plan.nameTaken.isEmpty())
        lines << tr("資料夾中已有同名檔案，未覆蓋：") << nameList(plan.nameTaken);
    if (!result.failed.isEmpty())
        lines << tr("無法複製：") << nameList(result.failed);
    const QString text = lines.join(QLatin1Char('\n'));
    if (result.failed.isEmpty())
        prompter().information(m_s.dialogParent, QString(), text);
    else
        prompter().warning(m_s.dialogParent, QString(), text);
}

} // namespace vc
