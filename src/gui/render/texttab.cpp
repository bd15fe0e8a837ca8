#include "gui/render/texttab.h"

#include "core/model/show.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

namespace vc {

namespace {

// The height the pattern is shown at in the tab's view.
constexpr int ViewHeight = 120;

} // namespace

TextTab::TextTab(const Widgets &widgets, Show *show, QWidget *dialogParent, QObject *parent)
    : ColourTab(widgets.colours, widgets.view, ViewHeight, show, dialogParent, Lead::Sliders,
                parent),
      m_widgets(widgets)
{
}

TextSettings TextTab::settings() const
{
    const Widgets &w = m_widgets;
    TextSettings s;
    s.front = m_show->colour1();
    s.back = m_show->colour2();
    s.text = w.text->text();
    s.fontIndex = w.font->currentIndex();
    s.fontSizeIndex = w.fontSize->currentIndex();
    s.width = w.width->value();
    s.revH = w.revH->isChecked();
    s.revV = w.revV->isChecked();
    return s;
}

QString TextTab::fontFamily() const
{
    return m_widgets.font->currentText();
}

QString TextTab::params(int loops) const
{
    return PatternParams::textText(settings(), loops);
}

void TextTab::render(const QString &text)
{
    const Widgets &w = m_widgets;
    if (TextPattern::hasReserved(text)) {
        // The edit's change signal renders the cleaned text. The characters
        // are replaced one for one, so the cursor stays where it was.
        const int cursor = w.text->cursorPosition();
        w.text->setText(TextPattern::cleaned(text));
        w.text->setCursorPosition(cursor);
        return;
    }

    TextLayout layout;
    layout.text = text;
    layout.family = w.font->currentText();
    layout.fontSizeIndex = w.fontSize->currentIndex();
    layout.widthFactor = w.width->value();
    layout.front = m_show->colour1();
    layout.back = m_show->colour2();
    layout.revH = w.revH->isChecked();
    layout.revV = w.revV->isChecked();
    showPattern(renderText(layout));
}

void TextTab::rerender()
{
    render(m_widgets.text->text());
}

bool TextTab::restore(const QString &params)
{
    TextSettings s = settings();
    if (!PatternParams::readText(params, s))
        return false;
    restore(s);
    return true;
}

void TextTab::restore(const TextSettings &s)
{
    const Widgets &w = m_widgets;
    setColours(s.front, s.back);
    {
        const QSignalBlocker b1(w.font);
        const QSignalBlocker b2(w.fontSize);
        const QSignalBlocker b3(w.width);
        const QSignalBlocker b4(w.revH);
        const QSignalBlocker b5(w.revV);
        const QSignalBlocker b6(w.text);
        // An index from another machine's font list may not exist here:
        // the default font stands in.
        w.font->setCurrentIndex(s.fontIndex < w.font->count() ? s.fontIndex : -1);
        w.fontSize->setCurrentIndex(s.fontSizeIndex);
        w.width->setValue(s.width);
        w.revH->setChecked(s.revH);
        w.revV->setChecked(s.revV);
        w.text->setText(s.text);
    }
    refresh();
}

} // namespace vc
