#include "gui/render/videoexport.h"

#include "core/device/trackshow.h"
#include "core/model/show.h"
#include "gui/common/prompter.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QProgressDialog>
#include <QThread>
#include <QUrl>

namespace vc {

VideoExport::VideoExport(const Show *show, Records records, QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_show(show), m_records(std::move(records)), m_dialogParent(dialogParent)
{
}

VideoExport::~VideoExport()
{
    if (m_thread) {
        m_cancel->store(true);
        m_thread->wait();
        delete m_thread;
    }
}

bool VideoExport::askOptions(QWidget *parent, int startMarkMs, VideoOptions *options)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(tr("匯出影片"));
    auto *form = new QFormLayout(&dialog);
    auto *size = new QComboBox(&dialog);
    size->addItems({QStringLiteral("480p"), QStringLiteral("720p"), QStringLiteral("1080p")});
    size->setCurrentIndex(1);
    auto *fps = new QComboBox(&dialog);
    fps->addItems({QStringLiteral("30"), QStringLiteral("60")});
    auto *look = new QComboBox(&dialog);
    look->addItems({tr("圓盤"), tr("光棒"), tr("兩者並排")});
    look->setCurrentIndex(2);
    auto *range = new QComboBox(&dialog);
    range->addItems({tr("整個表演"), tr("從起點標記到最後一個模式結束")});
    range->setEnabled(startMarkMs > 0);
    form->addRow(tr("大小"), size);
    form->addRow(tr("每秒畫格"), fps);
    form->addRow(tr("外觀"), look);
    form->addRow(tr("範圍"), range);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (prompter().exec(&dialog) != QDialog::Accepted)
        return false;
    static const int heights[] = {480, 720, 1080};
    options->height = heights[size->currentIndex()];
    options->fps = fps->currentIndex() == 0 ? 30 : 60;
    options->look = static_cast<VideoLook>(look->currentIndex());
    options->startMs = range->currentIndex() == 1 ? startMarkMs : 0;
    return true;
}

void VideoExport::start()
{
    if (m_thread)
        return;
    QString output = prompter().saveFileName(m_dialogParent, tr("匯出影片"), QString(),
                                             tr("影片 (*.mp4 *.webm)"));
    if (output.isEmpty())
        return;
    if (!output.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive) &&
        !output.endsWith(QLatin1String(".webm"), Qt::CaseInsensitive))
        output += QLatin1String(".mp4");
    VideoOptions options;
    options.output = output;
    options.songPath = m_show->songPath();
    if (!askOptions(m_dialogParent, m_show->startMarkMs(), &options))
        return;
    const QVector<device::ShowItem> items =
        device::trackShowItems(m_records(), m_show->frameRate(), m_show->leds());
    const short leds = m_show->leds();
    m_output = output;

    m_progress = new QProgressDialog(tr("正在匯出影片..."), tr("取消"), 0, 100, m_dialogParent);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_result = std::make_shared<QString>();
    connect(m_progress, &QProgressDialog::canceled, this, [cancel = m_cancel] { *cancel = true; });
    auto cancel = m_cancel;
    auto result = m_result;
    // This object outlives the thread (its destructor waits for it), so the
    // progress reports can be queued to it.
    m_thread = QThread::create([=] {
        *result = renderVideo(
            items, leds, options,
            [this](int done, int total) {
                const int percent = done * 100 / total;
                QMetaObject::invokeMethod(
                    this,
                    [this, percent] {
                        if (m_progress)
                            m_progress->setValue(percent);
                    },
                    Qt::QueuedConnection);
            },
            cancel.get());
    });
    connect(m_thread, &QThread::finished, this, &VideoExport::done);
    m_progress->show();
    m_thread->start(QThread::LowPriority);
}

void VideoExport::done()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (m_progress)
        m_progress->close();
    const QString error = *m_result;
    emit finished(error);
    if (error == cancelledText())
        return;
    if (!error.isEmpty()) {
        prompter().warning(m_dialogParent, tr("匯出影片"), error);
        return;
    }
    const QString folder = QFileInfo(m_output).absolutePath();
    const int choice =
        prompter().choose(m_dialogParent, tr("匯出影片"),
                          tr("影片已儲存：%1").arg(QDir::toNativeSeparators(m_output)),
                          {tr("開啟資料夾"), tr("關閉")}, 1);
    if (choice == 0)
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace vc
