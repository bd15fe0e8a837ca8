#include "gui/device/propsdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

QVector<vc::PropAssignment> propAssignments(const QStringList &names, const QStringList &ports)
{
    QVector<vc::PropAssignment> out;
    for (int i = 0; i < qMax(names.size(), ports.size()); ++i) {
        vc::PropAssignment prop{i + 1, names.value(i).trimmed(), ports.value(i).trimmed()};
        if (!prop.name.isEmpty() || !prop.port.isEmpty())
            out.append(prop);
    }
    return out;
}

PropsDialog::PropsDialog(int trackCount, const QVector<vc::PropAssignment> &props,
                         const QStringList &ports, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("道具分配"));
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("軌道")), 0, 0);
    grid->addWidget(new QLabel(tr("表演者")), 0, 1);
    grid->addWidget(new QLabel(tr("序列埠")), 0, 2);
    for (int track = 1; track <= trackCount; ++track) {
        vc::PropAssignment prop;
        for (const vc::PropAssignment &p : props)
            if (p.track == track)
                prop = p;
        auto *name = new QLineEdit(prop.name);
        name->setPlaceholderText(tr("未分配"));
        auto *port = new QComboBox;
        port->setEditable(true);
        port->addItem(QString());
        port->addItems(ports);
        port->setCurrentText(prop.port);
        port->setMinimumContentsLength(16);
        // Listed top down as the tracks stand in the editor: track 1 last.
        const int row = trackCount - track + 1;
        grid->addWidget(new QLabel(tr("軌道 %1").arg(track)), row, 0);
        grid->addWidget(name, row, 1);
        grid->addWidget(port, row, 2);
        m_names.append(name);
        m_ports.append(port);
    }
    auto *rows = new QWidget;
    rows->setLayout(grid);
    auto *scroll = new QScrollArea;
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // The rows stand on the dialog's own dark ground, where its light
    // labels and fields can be read (a scroll area fills them with the
    // light default palette).
    rows->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("每條軌道可交給一位表演者的道具；沒有序列埠的軌道不會上傳。")));
    layout->addWidget(scroll);
    layout->addWidget(buttons);
}

QVector<vc::PropAssignment> PropsDialog::assignments() const
{
    QStringList names, ports;
    for (const QLineEdit *n : m_names)
        names << n->text();
    for (const QComboBox *p : m_ports)
        ports << p->currentText();
    return propAssignments(names, ports);
}
