#pragma once

#include "core/app/picturefolder.h"
#include "core/model/show.h"
#include "gui/render/effecttab.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"

#include <QList>
#include <QPixmap>
#include <QRandomGenerator>
#include <QStringList>
#include <QWidget>

namespace vc::test {

// A pattern tab on widgets of its own instead of the whole main window. The
// widgets carry the names and the starting set-up of the window's form, and
// their signals reach the tab the way the window's slots forward them, so a
// test finds a control by the same name on a rig and in the window. The
// show is a prop of 80 LEDs at 1333 frames a second, white on black; rigs
// made with another rig's show share it, as the window's tabs do.
struct TabRig
{
    struct Pattern
    {
        QPixmap pattern;
        int width = 0;
    };

    explicit TabRig(Show *shared = nullptr);
    virtual ~TabRig() = default;
    TabRig(const TabRig &) = delete;
    TabRig &operator=(const TabRig &) = delete;

    // A widget by its name in the form; a missing one ends the test run.
    template <typename T> T *widget(const char *name) const
    {
        T *w = host.findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("the rig has no %s", name);
        return w;
    }

private:
    Show m_ownShow;

public:
    Show &show;
    // Every widget's parent, and the parent of the tab's dialogs.
    QWidget host;
    // What the tab announced (patternChanged), in order.
    QList<Pattern> announced;

protected:
    template <typename Tab> void record(Tab *tab)
    {
        QObject::connect(tab, &Tab::patternChanged, &host, [this](const QPixmap &p, int w) {
            announced.append({p, w});
        });
    }
};

// The effect tab: Spe_* controls, Color_dialog_2, Color_Exc2, Spe_random.
struct EffectRig : TabRig
{
    explicit EffectRig(Show *shared = nullptr);
    QRandomGenerator random{1};
    EffectTab *tab = nullptr;
    QList<int> randomSpeeds; // randomSpeed(speed), in order
};

// The text tab: text_Edit, fontComboBox, Font_size, Text_*, text_* colour
// controls, Color_dialog, Color_Exc.
struct TextRig : TabRig
{
    explicit TextRig(Show *shared = nullptr);
    TextTab *tab = nullptr;
};

// The picture tab: PicDir, PicView, Pic_*, and the Insert button Add_Button.
struct PictureRig : TabRig
{
    explicit PictureRig(Show *shared = nullptr);
    PictureFolder folder;
    PictureTab *tab = nullptr;
    QStringList statuses;      // status(text), in order
    QStringList insertedPaths; // PicDir's text at each insertRequested()
};

} // namespace vc::test
