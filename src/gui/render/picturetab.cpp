#include "gui/render/picturetab.h"

#include "core/app/appsettings.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "gui/model/editorpanel.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>

namespace vc {

namespace {
const char *const PictureFilter = "Support files(*.jpg *.bmp *.png *.gif);;All files(*.*)";
}

PictureTab::PictureTab(MainWindow *window) : QObject(window), m_window(window) {}

void PictureTab::openPictures()
{
    if (m_window->currentPicPath().isEmpty())
        m_window->setCurrentPicPath(settings::defaultPicturesPath());
    const QStringList files =
        prompter().openFileNames(m_window, tr("讀圖(可複選)"), m_window->currentPicPath(),
                                 QString::fromLatin1(PictureFilter));
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        picload(files.first());
        return;
    }
    auto *ui = m_window->form();
    for (int k = 1; k <= files.size(); ++k) {
        picload(files.at(k - 1));
        m_window->editor()->insertOrApply();
        ui->statusBar->showMessage(tr("圖片讀取") + QString::number(k) + QLatin1Char('/') +
                                   QString::number(files.size()));
        m_window->repaint();
    }
    ui->statusBar->showMessage(tr("圖片讀取完成!!"));
    ui->Add_Button->setEnabled(true);
}

void PictureTab::picload(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    auto *ui = m_window->form();
    ui->PicDir->setEnabled(true);
    ui->PicView->setEnabled(true);
    ui->Add_Button->setEnabled(true);
    m_window->setCurrentPicPath(path);
    settings::open().setValue(settings::CurrentPicPath, path);
    ui->PicDir->setText(path);

    const int leds = m_window->document()->leds();
    const PictureRead read = readPictureForLeds(path, leds);
    if (!read.error.isEmpty())
        prompter().warning(m_window, QString(), read.error);
    m_pattern = buildPicturePattern(read.image, ui->Pic_revH->isChecked(),
                                    ui->Pic_revV->isChecked(), leds, ui->Pic_Slide->value());
    m_window->editor()->setPatternWidth(m_pattern.width);
    m_window->editor()->updateLoopSilently();
    preview();
    showPattern();
}

void PictureTab::setGap(int value)
{
    m_pattern = regapPicturePattern(m_pattern, m_window->document()->leds(), value);
    m_window->editor()->setPatternWidth(m_pattern.width);
    m_window->editor()->updateLoopSilently();
    preview();
    showPattern();
}

void PictureTab::reload()
{
    picload(m_window->form()->PicDir->text());
}

void PictureTab::refresh()
{
    auto *ui = m_window->form();
    if (QFileInfo::exists(ui->PicDir->text())) {
        ui->Add_Button->setEnabled(true);
        picload(ui->PicDir->text());
    } else {
        ui->Add_Button->setEnabled(false);
    }
}

void PictureTab::preview()
{
    auto *ui = m_window->form();
    m_window->glpreview_change(false, pattern(), m_window->document()->leds(),
                               static_cast<int>(m_window->document()->frameRate()),
                               ui->Mode_last->value(), ui->Mode_loop->value());
}

void PictureTab::showPattern()
{
    auto *ui = m_window->form();
    auto *scene = new QGraphicsScene(ui->PicView);
    scene->addPixmap(pattern());
    QGraphicsScene *old = ui->PicView->scene();
    ui->PicView->setScene(scene);
    if (old && old->parent() == ui->PicView)
        old->deleteLater();
}

} // namespace vc
