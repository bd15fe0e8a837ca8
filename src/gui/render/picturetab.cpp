#include "gui/render/picturetab.h"

#include "core/app/appsettings.h"
#include "core/app/picturefolder.h"
#include "core/model/show.h"
#include "gui/common/backgroundwait.h"
#include "gui/common/prompter.h"
#include "gui/render/screencapture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <memory>

namespace vc {

namespace {
const char *const PictureFilter = "Support files(*.jpg *.bmp *.png *.gif);;All files(*.*)";
}

PictureTab::PictureTab(const Widgets &widgets, Show *show, PictureFolder *folder,
                       QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_widgets(widgets), m_show(show), m_folder(folder),
      m_dialogParent(dialogParent)
{
}

void PictureTab::openPictures()
{
    if (m_folder->path().isEmpty())
        m_folder->setPath(settings::defaultPicturesPath());
    const QStringList files = prompter().openFileNames(
        m_dialogParent, tr("讀圖(可複選)"), m_folder->folder(), QString::fromLatin1(PictureFilter));
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        picload(files.first());
        return;
    }
    emit insertRunStarted();
    for (int k = 1; k <= files.size(); ++k) {
        // A file that cannot be read makes no mode (it would repeat the
        // pattern before it).
        if (picload(files.at(k - 1)))
            emit insertRequested();
        emit status(tr("圖片讀取") + QString::number(k) + QLatin1Char('/') +
                    QString::number(files.size()));
    }
    m_widgets.insert->setEnabled(true);
    emit insertRunFinished();
}

bool PictureTab::picload(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    const Widgets &w = m_widgets;
    const int leds = m_show->leds();
    const bool flipH = w.revH->isChecked();
    const bool flipV = w.revV->isChecked();
    // Selecting a picture mode loads its picture: a large file is decoded
    // once, not at every selection.
    const QString key = LedPictureCache::keyFor(path, leds, flipH, flipV);
    QImage picture = m_pictures.find(key);
    if (picture.isNull()) {
        PictureRead read;
        if (!readInBackground(path, leds, flipH, flipV, &read))
            return false;
        if (read.image.isNull()) {
            prompter().warning(m_dialogParent, QString(),
                               read.error.isEmpty()
                                   ? tr("無法讀取圖片：%1").arg(QFileInfo(path).fileName())
                                   : read.error);
            return false;
        }
        picture = read.image;
        m_pictures.insert(key, picture);
    }
    w.path->setEnabled(true);
    w.view->setEnabled(true);
    w.insert->setEnabled(true);
    m_folder->remember(path);
    w.path->setText(path);

    m_pattern = patternFromLedPicture(picture, w.gap->value());
    m_patternPath = path;
    emit patternChanged(pattern(), m_pattern.width);
    showPattern();
    return true;
}

bool PictureTab::readInBackground(const QString &path, int leds, bool flipH, bool flipV,
                                  PictureRead *read)
{
    if (isQuickToRead(path)) {
        *read = readLedPicture(path, leds, flipH, flipV);
        return true;
    }
    // A large photo takes seconds to decode: the window keeps painting
    // meanwhile, and the wait can be cancelled (the decoding then finishes
    // unseen).
    auto result = std::make_shared<PictureRead>();
    std::atomic<bool> cancel{false};
    WaitOptions wait;
    wait.label = tr("讀取圖片中...");
    wait.leaveOnCancel = true;
    waitForWork(QtConcurrent::run([result, path, leds, flipH, flipV] {
                    *result = readLedPicture(path, leds, flipH, flipV);
                }),
                m_dialogParent, wait, &cancel);
    if (cancel)
        return false;
    *read = *result;
    return true;
}

void PictureTab::showMissing(const QString &path)
{
    m_pattern = PicturePattern();
    m_patternPath.clear();
    m_widgets.path->setText(path);
    showPattern();
}

void PictureTab::setGap(int value)
{
    m_pattern = regapPicturePattern(m_pattern, m_show->leds(), value);
    emit patternChanged(pattern(), m_pattern.width);
    showPattern();
}

void PictureTab::reload()
{
    picload(m_widgets.path->text());
}

void PictureTab::refresh()
{
    if (QFileInfo::exists(m_widgets.path->text())) {
        m_widgets.insert->setEnabled(true);
        picload(m_widgets.path->text());
    } else {
        m_widgets.insert->setEnabled(false);
    }
}

void PictureTab::capture()
{
    QWidget *window = m_dialogParent->window();
    QScreen *screen = window->screen();
    const bool shown = window->isVisible();
    if (shown) {
        window->hide();
        // Give the window system a moment to take the window off the
        // screen before it is grabbed.
        QEventLoop settle;
        QTimer::singleShot(250, &settle, &QEventLoop::quit);
        settle.exec(QEventLoop::ExcludeUserInputEvents);
    }
    {
        ScreenCapture dialog(screen, m_dialogParent);
        connect(&dialog, &ScreenCapture::callback, this, &PictureTab::picload);
        dialog.run();
    }
    // Hidden, not moved: it comes back with its geometry and its state
    // (maximised too) as they were.
    if (shown)
        window->show();
}

void PictureTab::showPattern()
{
    QGraphicsView *view = m_widgets.view;
    auto *scene = new QGraphicsScene(view);
    scene->addPixmap(pattern());
    QGraphicsScene *old = view->scene();
    view->setScene(scene);
    if (old && old->parent() == view)
        old->deleteLater();
}

} // namespace vc
