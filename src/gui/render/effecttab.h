#pragma once

#include "core/render/effectgenerator.h"
#include "gui/render/colourtab.h"

class QCheckBox;
class QComboBox;
class QRandomGenerator;

namespace vc {

// The effect tab of the mode editor: its controls, the show's two colours
// and the effect pattern drawn from them. The main window's slots of the
// tab forward here.
class EffectTab : public ColourTab
{
    Q_OBJECT

public:
    struct Widgets
    {
        // Spe_front, Spe_back, Spe_rnum/gnum/bnum, Spe_rslide/gslide/bslide
        ColourWidgets colours;
        QComboBox *effect = nullptr;   // Spe_comboBox: one entry per effect
        QSpinBox *width = nullptr;     // Spe_width
        QCheckBox *scheme = nullptr;   // Spe_color3: three states
        QCheckBox *revH = nullptr;     // Spe_revH
        QCheckBox *revV = nullptr;     // Spe_revV
        QGraphicsView *view = nullptr; // Spe_show
    };

    // The colours are the show's; random draws the random effect; the colour
    // dialog opens over dialogParent.
    EffectTab(const Widgets &widgets, Show *show, QRandomGenerator *random, QWidget *dialogParent,
              QObject *parent = nullptr);

    // Draws effect index from the current controls and announces the
    // pattern (patternChanged).
    void generate(int index);
    // generate() with the current drop-down entry.
    void regenerate();
    // Hovering a drop-down entry previews it (and selects it).
    void highlighted(int index);

    // Every control, both colours and the playing speed at random.
    void randomise();

    // Opening an effect mode: sets the colours and every control from the
    // mode's parameter text and draws again. Returns false (and changes
    // nothing) when the text is not an effect's.
    bool restore(const QString &params);
    void restore(const EffectSettings &settings);

    // What the editor needs to write a record.
    EffectSettings settings() const;
    QString params(int loops) const;

signals:
    // A random effect plays with an automatic repeat count at this speed
    // (announced before its controls change, so every pattern drawn on the
    // way already gets an automatic repeat count).
    void randomSpeed(int speed);

private:
    void redraw() override { regenerate(); }

    const Widgets m_widgets;
    QRandomGenerator *const m_random;
};

} // namespace vc
