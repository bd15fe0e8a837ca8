#pragma once

#include "core/model/moderecord.h"
#include "gui/app/mainwindow.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

// A red-green-blue gradient, a picture with detail in every column.
inline QImage benchGradient(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, Qt::red);
    g.setColorAt(0.5, Qt::green);
    g.setColorAt(1, Qt::blue);
    p.fillRect(picture.rect(), g);
    return picture;
}

// Adds tracks with the window's own button until there are `tracks`.
inline void addBenchTracks(MainWindow &w, int tracks)
{
    while (w.tracks()->tracks().size() < tracks) {
        w.form()->timeline_add->click();
        QCoreApplication::processEvents();
    }
}

// Puts `count` items on `tracks` tracks of the window, spread evenly over
// spanMs (five minutes unless given) with small gaps between them, as a busy show would have
// them; returns how many were placed. Thumbs alternate between a gradient
// picture (some with a speed, so their tiles keep their aspect) and a plain
// colour, so both ways of filling an item are painted.
inline int addBenchItems(MainWindow &w, int count, int tracks, int spanMs = 300000)
{
    if (count <= 0 || tracks <= 0)
        return 0;
    vc::TracksController *ctl = w.tracks();
    addBenchTracks(w, tracks);
    const QImage picture = benchGradient(240, vc::ThumbHeight);
    QImage plain(vc::ThumbHeight, vc::ThumbHeight, QImage::Format_RGB32);
    plain.fill(QColor(255, 160, 0));

    const int perTrack = (count + tracks - 1) / tracks;
    const int slot = std::max(2, spanMs / perTrack);
    int placed = 0;
    const QList<Timeline *> all = ctl->tracks();
    for (int t = 0; t < tracks && placed < count; ++t) {
        Timeline *track = all.at(t);
        for (int i = 0; i < perTrack && placed < count; ++i, ++placed) {
            vc::ModeRecord r;
            const bool isPicture = (i + t) % 3 != 0;
            r.thumb = isPicture ? picture : plain;
            r.start = i * slot;
            r.end = i * slot + slot * 4 / 5;
            r.loops = 1 + i % 4;
            r.kind = isPicture ? vc::Picture : vc::Colour;
            r.speed = isPicture && i % 2 ? 10 : 0;
            if (isPicture) {
                r.params = vc::pictureParams(r.loops, QStringLiteral("bench.png"), 0, false, false);
            } else {
                r.colour = QColor(255, 160, 0);
                r.params = vc::colourParams(r.colour);
            }
            auto *item = new TimelineItem(r.encode(), track);
            track->addTimelineItem(item);
            track->on_itemDragEnd(QByteArray(), item);
        }
    }
    ctl->refreshCounters();
    return placed;
}
