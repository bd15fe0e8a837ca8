#pragma once

#include "gui/render/colourtab.h"
#include "core/render/effectgenerator.h"

namespace vc {

// The effect tab of the mode editor: its controls, the two shared colours
// and the effect pattern drawn from them. The main window's slots of the
// tab forward here.
class EffectTab : public ColourTab
{
    Q_OBJECT

public:
    explicit EffectTab(MainWindow *window);

    // Draws effect index from the current controls and hands the pattern on
    // (preview, view, pattern width, repeat count).
    void generate(int index);
    // generate() with the current drop-down entry.
    void regenerate();
    // Hovering a drop-down entry previews it (and selects it).
    void highlighted(int index);

    void randomise();

    // Opening an effect mode: sets the colours and every control from the
    // mode's parameter text and draws again. Returns false (and changes
    // nothing) when the text is not an effect's.
    bool restore(const QString &params);
    void restore(const EffectSettings &settings);

    // What the editor needs to write a record.
    EffectSettings settings() const;
    QString params(int loops) const;

private:
    Controls controls() const override;
    void redraw() override { regenerate(); }
};

} // namespace vc
