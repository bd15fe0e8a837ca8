#pragma once

#include "gui/render/colourtab.h"
#include "core/render/patternparams.h"

namespace vc {

// The text tab of the mode editor: a line of text laid out in a chosen
// font, size and width, in colour 1 on colour 2. The main window's slots
// of the tab forward here.
class TextTab : public ColourTab
{
    Q_OBJECT

public:
    explicit TextTab(MainWindow *window);

    // Renders text (cleaning it of the reserved characters first) and hands
    // the pattern on (preview, view, pattern width, repeat count).
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

private:
    Controls controls() const override;
    void redraw() override { rerender(); }
};

} // namespace vc
