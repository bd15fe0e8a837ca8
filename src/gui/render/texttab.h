#pragma once

#include "core/model/patternparams.h"
#include "gui/render/colourtab.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vc {

// The text tab of the mode editor: a line of text laid out in a chosen
// font, size and width, in colour 1 on colour 2. The main window's slots
// of the tab forward here.
class TextTab : public ColourTab
{
    Q_OBJECT

public:
    struct Widgets
    {
        // text_fcolor, text_bcolor, text_rnum/gnum/bnum, text_rslide/gslide/bslide
        ColourWidgets colours;
        QLineEdit *text = nullptr;     // text_Edit
        QComboBox *font = nullptr;     // fontComboBox: the font families
        QComboBox *fontSize = nullptr; // Font_size: ten sizes
        QSlider *width = nullptr;      // Text_slide
        QCheckBox *revH = nullptr;     // Text_revH
        QCheckBox *revV = nullptr;     // Text_revV
        QGraphicsView *view = nullptr; // text_View
    };

    // The colours are the show's; the colour dialog opens over dialogParent.
    TextTab(const Widgets &widgets, Show *show, QWidget *dialogParent, QObject *parent = nullptr);

    // Renders text (cleaning it of the reserved characters first) and
    // announces the pattern (patternChanged).
    void render(const QString &text);
    // render() with the text of the edit.
    void rerender();

    // Opening a text mode: sets the colours and every control from the
    // mode's parameter text and renders again. Returns false (and changes
    // nothing) when the text is not a text mode's.
    bool restore(const QString &params);
    void restore(const TextSettings &settings);

    // What the editor needs to write a record.
    TextSettings settings() const;
    QString params(int loops) const;
    // The family the chosen font index stands for on this machine.
    QString fontFamily() const;

private:
    void redraw() override { rerender(); }

    const Widgets m_widgets;
};

} // namespace vc
