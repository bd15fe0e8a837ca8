#include "audio/mytime.h"

#include <QTimer>

myTime::myTime(QWidget *parent) : QTimeEdit(parent), m_timer(new QTimer(this))
{
    setDisplayFormat(QStringLiteral("mm:ss.zzz"));
}
