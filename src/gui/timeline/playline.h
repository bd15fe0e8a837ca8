#pragma once

#include <QWidget>

class TimelineHeaders;

// The play position carried on below the ruler: a one-pixel line across the
// tracks and the waveform, in the indicator's colour. It stands over them
// in the widget that scrolls them sideways, so scrolling moves it for free;
// it follows the indicator's moves (a zoom moves the indicator too) and
// takes no mouse events.
class PlayLine : public QWidget
{
    Q_OBJECT
public:
    // area: the widget holding the ruler, the tracks and the waveform.
    PlayLine(TimelineHeaders *ruler, QWidget *area);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    TimelineHeaders *const m_ruler;
};
