#pragma once

#include "core/project/projectextras.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

class QComboBox;
class QLineEdit;

// The props of a troupe: per track the performer's name and the serial
// port of the prop that plays it. A track with neither is not assigned.
class PropsDialog : public QDialog
{
    Q_OBJECT

public:
    // One row per track, track 1 (the bottom track) first; ports: the
    // choices offered in each port box, which also takes a typed name.
    PropsDialog(int trackCount, const QVector<vc::PropAssignment> &props, const QStringList &ports,
                QWidget *parent = nullptr);

    // What the rows say now, ascending by track, unassigned tracks left out.
    QVector<vc::PropAssignment> assignments() const;

    QLineEdit *nameField(int track) const { return m_names.value(track - 1); }
    QComboBox *portField(int track) const { return m_ports.value(track - 1); }

private:
    QVector<QLineEdit *> m_names;
    QVector<QComboBox *> m_ports;
};

// The rows' texts as assignments: trimmed, tracks with neither a name nor
// a port left out. names and ports are per track, track 1 first.
QVector<vc::PropAssignment> propAssignments(const QStringList &names, const QStringList &ports);
