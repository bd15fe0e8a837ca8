#include "gui/device/uploadall.h"

#include "core/device/streamfiles.h"
#include "core/device/trackshow.h"
#include "core/model/show.h"
#include "gui/common/prompter.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using vc::device::MultiUpload;

UploadAllDialog::UploadAllDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("全部上傳"));
    m_rows = new QWidget;
    m_summary = new QLabel;
    m_summary->setWordWrap(true);
    m_button = new QPushButton(tr("取消"));
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (isRunning())
            m_upload->cancel();
        else
            close();
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_rows);
    layout->addWidget(m_summary);
    layout->addWidget(m_button, 0, Qt::AlignRight);
    setMinimumWidth(460);
}

UploadAllDialog::~UploadAllDialog() = default;

QString UploadAllDialog::who(const vc::PropAssignment &prop) const
{
    return prop.name.isEmpty() ? tr("軌道 %1").arg(prop.track) : prop.name;
}

bool UploadAllDialog::start(const vc::Show *show, const QVector<vc::PropAssignment> &props,
                            const vc::device::ShowSettings &settings)
{
    m_props.clear();
    for (const vc::PropAssignment &p : props)
        if (!p.port.isEmpty() && p.track >= 1 && p.track <= show->trackCount())
            m_props.append(p);
    if (m_props.isEmpty()) {
        vc::prompter().warning(parentWidget(), tr("全部上傳"),
                               tr("沒有軌道分配了道具的序列埠（裝置 > 道具分配）。"));
        return false;
    }

    // Every show is built and every port checked before the first byte
    // goes out, so that a refusal leaves all props as they were.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1String("/vantor-XXXXXX"));
    QVector<MultiUpload::Target> targets;
    QStringList ports;
    for (const vc::PropAssignment &p : qAsConst(m_props)) {
        const vc::Show::Id track = show->tracks().at(p.track - 1).id;
        const QString n = QString::number(p.track);
        const vc::device::StreamFiles files{
            m_dir->filePath(QStringLiteral("extemp2-%1.tmp").arg(n)),
            m_dir->filePath(QStringLiteral("extemp-%1.tmp").arg(n))};
        const auto items =
            vc::device::trackShowItems(show->records(track), show->frameRate(), show->leds());
        const vc::device::StreamWriteResult built =
            items.isEmpty() ? vc::device::StreamWriteResult{}
                            : vc::device::writeStreamFiles(items, settings, files);
        if (items.isEmpty() || !built.ok()) {
            vc::prompter().warning(
                parentWidget(), tr("全部上傳"),
                tr("%1 的軌道 %2 無法轉檔，沒有送出任何資料。").arg(who(p)).arg(p.track));
            return false;
        }
        targets.append({{p.port}, files, p.name});
        ports << p.port;
    }
    const QStringList unavailable = vc::device::unavailablePorts(ports);
    if (!unavailable.isEmpty()) {
        vc::prompter().warning(
            parentWidget(), tr("全部上傳"),
            vc::whitePlainText(tr("這些序列埠找不到或正被使用，沒有送出任何資料：") +
                               QLatin1Char('\n') + unavailable.join('\n')));
        return false;
    }

    delete m_rows->layout();
    qDeleteAll(m_rows->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
    m_bars.clear();
    m_results.clear();
    auto *grid = new QGridLayout(m_rows);
    for (int i = 0; i < m_props.size(); ++i) {
        const vc::PropAssignment &p = m_props.at(i);
        auto *bar = new QProgressBar;
        bar->setRange(0, 100);
        bar->setValue(0);
        auto *result = new QLabel(tr("等待道具"));
        grid->addWidget(new QLabel(who(p) + QLatin1String(" (") + vc::device::portLabel(p.port) +
                                   QLatin1Char(')')),
                        i, 0);
        grid->addWidget(bar, i, 1);
        grid->addWidget(result, i, 2);
        m_bars.append(bar);
        m_results.append(result);
    }
    m_summary->clear();
    m_button->setText(tr("取消"));

    delete m_upload;
    m_upload = new MultiUpload(m_timings, nullptr, false, this);
    connect(m_upload, &MultiUpload::progressChanged, this,
            [this](int i, int percent) { m_bars.at(i)->setValue(percent); });
    connect(m_upload, &MultiUpload::targetEnded, this, &UploadAllDialog::onEnded);
    connect(m_upload, &MultiUpload::finished, this, &UploadAllDialog::onFinished);
    m_upload->start(targets);
    return true;
}

void UploadAllDialog::onEnded(int prop, bool success, const QString &message)
{
    if (success)
        m_bars.at(prop)->setValue(100);
    m_results.at(prop)->setText(success ? tr("完成") : message);
}

QString UploadAllDialog::resultText(int prop) const
{
    return m_results.at(prop)->text();
}

QString UploadAllDialog::summary() const
{
    return m_summary->text();
}

void UploadAllDialog::onFinished()
{
    QStringList got, missed;
    const QVector<MultiUpload::Outcome> outcomes = m_upload->outcomes();
    for (int i = 0; i < outcomes.size(); ++i)
        (outcomes.at(i).success ? got : missed) << who(m_props.at(i));
    const QString sep = tr("、");
    QString text;
    if (!got.isEmpty())
        text = tr("已收到表演：%1。").arg(got.join(sep));
    if (!missed.isEmpty())
        text += tr("沒有收到：%1。").arg(missed.join(sep));
    m_summary->setText(text);
    m_button->setText(tr("關閉"));
    m_dir.reset();
    emit finished();
}

void UploadAllDialog::closeEvent(QCloseEvent *event)
{
    // The uploads go on only while their progress can be seen.
    if (isRunning())
        m_upload->cancel();
    QDialog::closeEvent(event);
}
