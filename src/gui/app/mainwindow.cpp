#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/app/appsettings.h"
#include "core/model/show.h"
#include "core/project/projectnames.h"
#include "core/timeline/timeaxis.h"
#include "gui/about/startdialog.h"
#include "gui/common/prompter.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/render/effecttab.h"
#include "gui/render/mygl.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScreen>
#include <QSignalBlocker>
#include <QTime>
#include <QUrl>

namespace {

QString loadStyleSheet()
{
    QFile f(QStringLiteral(":/style/dark.qss"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace

MainWindow::MainWindow(QWidget *parent, const QString &projectFile)
    : QMainWindow(parent), ui(new Ui::MainWindow), m_project(new vc::Project(this)),
      m_show(m_project->show()), m_timeAxis(new vc::TimeAxis(this)),
      m_random(new QRandomGenerator(1))
{
    ui->setupUi(this);
    setupPatternTabs();
    setStyleSheet(loadStyleSheet());

    m_show->setLeds(ui->Leds->value());

    // A floating preview dock starts small at its current position.
    connect(ui->dockWidget_3, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (floating)
            ui->dockWidget_3->setGeometry(QRect(ui->dockWidget_3->pos(), QSize(50, 50)));
    });

    m_random->seed(static_cast<quint32>(QTime::currentTime().msecsSinceStartOfDay()));

    m_languageGroup = new QActionGroup(this);
    m_languageGroup->setExclusive(true);
    m_languageGroup->addAction(ui->actionChinese);
    m_languageGroup->addAction(ui->actionEnglish);
    m_gadgetGroup = new QActionGroup(this);
    // The title, the prop's boxes and the undo actions are views of the
    // project: whatever changes it (an edit, a load, an undo, a script),
    // they follow.
    connect(m_project, &vc::Project::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_project, &vc::Project::historyChanged, this, [this] {
        ui->actionUndo->setEnabled(m_project->canUndo());
        ui->actionRedo->setEnabled(m_project->canRedo());
    });
    connect(m_show, &vc::Show::ledsChanged, this, [this](int leds) {
        if (ui->Leds->value() != leds)
            ui->Leds->setValue(leds);
    });
    connect(m_show, &vc::Show::frameRateChanged, this, [this](float rate) {
        // The box shows whole numbers; the show keeps its own rate.
        const QSignalBlocker block(ui->FPS_V);
        ui->FPS_V->setValue(vc::truncatedFrameRate(rate));
    });
    connect(m_show, &vc::Show::modeCountChanged, this, [this](int count) {
        ui->Saved_status->setText(tr("圖樣數：") + QString::number(count));
    });

    // The first track; it becomes the current track.
    setupTracks();
    // The editor panel works on the tabs and the tracks.
    setupEditor();
    setupProjectFiles();

    ui->audio_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    setupTimeAxis();
    setupBeats();

    connect(ui->Add_Button, &MyButton::hovered, this, &MainWindow::on_Addbutton_hovered);

    setAcceptDrops(true);

    setupDevice();
    buildGadgetMenu();
    restoreGadget();
    if (!projectFile.isEmpty())
        LoadFile(projectFile);

    setWindowModified(false);
    ui->action_admin->setEnabled(true);
    // The form starts the export button disabled and only the end of an
    // upload used to enable it, so a show could not be written to a file
    // without a prop attached. It is usable from the start; an export or
    // upload in progress still disables it.
    ui->Ex_Button->setEnabled(true);

    warnLowResolution();

    m_projectFiles->startHistory();

    ui->statusBar->showMessage(QStringLiteral("WELCOME!!"));
}

MainWindow::~MainWindow()
{
    delete ui;
    delete m_random;
}

// ---------------------------------------------------------------- gadgets

void MainWindow::buildGadgetMenu()
{
    m_gadgets = vc::loadGadgetCatalogue();

    QAction *custom = new QAction(tr("自訂..."), this);
    custom->setData(-1);
    custom->setCheckable(true);
    ui->menu_3->addAction(custom);
    m_gadgetGroup->addAction(custom);
    ui->menu_3->addSeparator();

    for (int i = 0; i < m_gadgets.size(); ++i) {
        QAction *a = new QAction(m_gadgets.at(i).name, this);
        a->setData(i + 1);
        a->setCheckable(true);
        m_gadgetGroup->addAction(a);
        ui->menu_3->addAction(a);
    }
    m_gadgetGroup->setExclusive(true);
    connect(ui->menu_3, &QMenu::triggered, this, &MainWindow::gadgetchange);
}

void MainWindow::restoreGadget()
{
    QSettings s = vc::settings::open();
    const int language = s.value(vc::settings::Language, 0).toInt();
    const QList<QAction *> languages = m_languageGroup->actions();
    if (language >= 1 && language <= languages.size())
        languages.at(language - 1)->setChecked(true);

    const int gadget = s.value(vc::settings::Gadget, 0).toInt();
    m_project->pictures().restore();
    m_projectFiles->setCurrentFile(
        s.value(vc::settings::CurrentFile, vc::settings::defaultDocumentsPath()).toString());

    // A stored gadget outside the catalogue selects nothing and leaves the
    // spin boxes as they are.
    const QList<QAction *> actions = m_gadgetGroup->actions();
    if (gadget >= 0 && gadget < actions.size()) {
        QAction *a = actions.at(gadget);
        gadgetchange(a);
        a->setChecked(true);
    }

    ui->Mode_Pic->setCurrentIndex(0);
    ui->Add_Button->setEnabled(false);
}

void MainWindow::gadgetchange(QAction *action)
{
    if (!action || action->actionGroup() != m_gadgetGroup)
        return;
    const int data = action->data().toInt();
    m_project->setGadgetRow(data - 1);
    if (data == -1) {
        ui->Leds->setEnabled(true);
        ui->FPS_V->setEnabled(true);
        return;
    }
    if (data < 1 || data > m_gadgets.size())
        return;
    const vc::GadgetInfo &g = m_gadgets.at(data - 1);
    ui->Leds->setValue(g.leds);
    m_show->setFrameRate(static_cast<float>(g.frameRate));
    ui->gadget_name->setText(g.name);
    ui->FPS_V->setValue(g.frameRate);
    ui->Leds->setEnabled(false);
    ui->FPS_V->setEnabled(false);
    vc::settings::open().setValue(vc::settings::Gadget, data);
}

void MainWindow::on_Leds_valueChanged(int value)
{
    m_show->setLeds(value);
    // Every pattern is drawn at the LED count's height: draw the current
    // tab's again.
    if (m_tracks)
        m_editor->tabChanged(ui->Mode_Pic->currentIndex());
    ui->GLWidget->clearViews();
}

void MainWindow::on_FPS_V_valueChanged(int value)
{
    m_show->setFrameRate(static_cast<float>(value));
}

// ---------------------------------------------------------------- language

void MainWindow::on_actionChinese_triggered()
{
    vc::prompter().information(this, QString(), tr("重啟程式後生效"));
    vc::settings::open().setValue(vc::settings::Language, vc::settings::LanguageChinese);
}

void MainWindow::on_actionEnglish_triggered()
{
    vc::prompter().information(this, QString(), tr("Change after restart."));
    vc::settings::open().setValue(vc::settings::Language, vc::settings::LanguageEnglish);
}

void MainWindow::on_actionAbout_triggered()
{
    vc::showAboutBox(this);
}

// ---------------------------------------------------------------- window

void MainWindow::warnLowResolution()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = screen->size();
    if (size.width() < 1280 || size.height() < 720)
        vc::prompter().warning(this, tr("解析度過低"), tr("最低解析度1280*720"));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    {
        QSettings s = vc::settings::open();
        s.setValue(vc::settings::WindowSize, size());
        s.setValue(vc::settings::WindowMaximize, isMaximized());
    }
    if (askSaveBeforeClose())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::askSaveBeforeClose()
{
    // Nothing changed since the last save or load: nothing to ask.
    if (!m_tracks->isModified())
        return true;
    const auto answer = vc::prompter().question(
        this, QString(), tr("<font color='white'>關閉前儲存？</font>"),
        QMessageBox::Save | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Save);
    switch (answer) {
    case QMessageBox::Save:
        // A save that failed or was cancelled keeps the window, and the show.
        return m_projectFiles->save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- keys

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        m_tracks->deleteSelected();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        on_Song_play_clicked();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- drops

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    const QString name = urls.first().toLocalFile();
    if (name.isEmpty())
        return;
    openDroppedFile(name);
}

void MainWindow::openDroppedFile(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot >= 0 ? fileName.mid(dot + 1) : QString();
    // Extensions are compared as written: "WAV" is not a song here.
    if (ext == QLatin1String("vtc") || ext == QLatin1String("vtc3")) {
        // Loading runs the missing-picture check itself.
        if (on_actionNew_triggered())
            LoadFile(fileName);
        return;
    }
    if (ext == QLatin1String("jpg") || ext == QLatin1String("png")) {
        m_pictureTab->picload(fileName);
        ui->Mode_Pic->setCurrentIndex(0);
        return;
    }
    if (ext == QLatin1String("mp3") || ext == QLatin1String("wav")) {
        ReadSong(fileName);
        return;
    }
    // Projects are opened by their own area once it exists; anything else
    // is refused.
    vc::prompter().warning(this, QString(), tr("無法辨識的副檔名 .") + ext);
}

// ---------------------------------------------------------------- preview

void MainWindow::glpreview_change(bool flag, const QPixmap &pattern, short leds, int fps,
                                  double seconds, int loops)
{
    Q_UNUSED(flag);
    ui->GLWidget->setPattern(pattern, leds, fps, seconds, loops);
}

void MainWindow::Oviewer_change(int r, int g, int b)
{
    QPixmap square(80, 80);
    square.fill(QColor(r, g, b));
    // Like every editor hand-off, the square plays for the editor's duration
    // and repeat count.
    glpreview_change(false, square, m_show->leds(), static_cast<int>(m_show->frameRate()),
                     ui->Mode_last->value(), ui->Mode_loop->value());
}

void MainWindow::Oviewer_change()
{
    const QColor c = m_show->colour1();
    Oviewer_change(c.red(), c.green(), c.blue());
}
