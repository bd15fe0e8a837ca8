#pragma once

#include "core/model/show.h"
#include "core/project/project.h"
#include "core/timeline/timeaxis.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "testsupport/tabrigs.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QWidget>

#include <memory>

class Timeline;

namespace vc::test {

// The mode editor panel on widgets of its own instead of the whole main
// window: its controls (Mode_t1, Mode_t2, Mode_last, Mode_loop, Speed_slide,
// speedAutoCheckBox, Speed_Slide_Box, Mode_Pic, cancelSelect, Color_R/G/B,
// R/G/B_slide, Color_View, timeline_scroll), the three pattern tabs on
// their rigs (Add_Button and the Pic_* controls are the picture rig's, as
// the form shares them) and a track area on widgets of its own. Names and
// starting values are the form's, and the signals reach the panel and the
// tracks the way the window's slots forward them. The show is a prop of
// 80 LEDs at 2100 frames a second, as the catalogue's third gadget.
struct EditorRig
{
    struct Preview
    {
        QPixmap pattern;
        double seconds = 0;
        int loops = 0;
    };

    EditorRig();
    EditorRig(const EditorRig &) = delete;
    EditorRig &operator=(const EditorRig &) = delete;

    // A widget by its name in the form, on the rig or a tab rig; a missing
    // one ends the test run.
    template <typename T> T *widget(const char *name) const
    {
        const QString n = QString::fromLatin1(name);
        const QWidget *const hosts[] = {&host, &pictures->host, &texts->host, &effects->host};
        for (const QWidget *h : hosts)
            if (T *w = h->findChild<T *>(n))
                return w;
        qFatal("the editor rig has no %s", name);
        return nullptr;
    }

    Timeline *current() const { return tracks->currentTrack(); }
    // The current track's modes as "start-end" in milliseconds.
    QString times() const;

    Project project;
    Show &show = *project.show();
    TimeAxis axis;
    // Every widget's parent, and the parent of the panel's dialogs.
    QWidget host;
    std::unique_ptr<PictureRig> pictures;
    std::unique_ptr<TextRig> texts;
    std::unique_ptr<EffectRig> effects;
    TracksController *tracks = nullptr;
    EditorPanel *panel = nullptr;

    // What the panel asked for, in order: previewPattern, previewColour,
    // indicatorMoveRequested.
    QList<Preview> previews;
    QList<QColor> previewColours;
    QList<int> indicatorMoves;
};

} // namespace vc::test
