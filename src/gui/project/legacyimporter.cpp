#include "gui/project/legacyimporter.h"

#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/picturelibrary.h"
#include "gui/app/mainwindow.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/render/effecttab.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QFileInfo>
#include <QSet>
#include <QSignalBlocker>

namespace vc {

namespace {

// What a text and an effect line share: the two colours and the two flip
// flags. A colour the file does not name properly keeps the current one.
template <class Settings> void takeColoursAndFlips(const LegacyMode &mode, Settings &s)
{
    const QColor front = LegacyMode::colour(mode.text(0));
    const QColor back = LegacyMode::colour(mode.text(1));
    if (front.isValid())
        s.front = front;
    if (back.isValid())
        s.back = back;
    s.revH = mode.flag(1);
    s.revV = mode.flag(2);
}

} // namespace

LegacyImporter::LegacyImporter(MainWindow *window) : m_window(window) {}

LegacyImportReport LegacyImporter::importProject(const LegacyProject &project,
                                                 const Progress &progress)
{
    m_window->projectFiles()->restoreGadget(project.leds, float(project.frameRate), true);
    qDebug() << "gadget loaded";
    return importModes(project, progress);
}

LegacyImportReport LegacyImporter::importModes(const LegacyProject &project,
                                               const Progress &progress)
{
    LegacyImportReport report;
    report.skippedLines = project.skippedLines;
    const int total = project.modes.size();
    for (int i = 0; i < total; ++i) {
        importMode(project.modes.at(i), &report);
        if (progress)
            progress(i + 1, total);
    }
    return report;
}

bool LegacyImporter::importMode(const LegacyMode &mode, LegacyImportReport *report)
{
    LegacyImportReport scratch;
    if (!report)
        report = &scratch;
    Ui::MainWindow *ui = m_window->form();
    const int kind = mode.kind();
    if (kind < Picture || kind > Effect) {
        // No tab would take it: Insert would repeat the previous mode.
        ++report->unreadableLines;
        return false;
    }
    // Every line is a new mode, never an edit of a selected one.
    if (m_window->tracks()->selectedItem())
        m_window->on_cancelSelect_clicked();

    // An unreadable time leaves the control as it is, where the previous
    // mode ended.
    if (mode.start.isValid())
        ui->Mode_t1->setTime(mode.start);
    if (mode.end.isValid())
        ui->Mode_t2->setTime(mode.end);

    switch (kind) {
    case Picture:
        if (!fillPicture(mode, report))
            return false;
        break;
    case Colour:
        if (!fillColour(mode, report))
            return false;
        break;
    case Text:
        fillText(mode);
        break;
    case Effect:
        fillEffect(mode);
        break;
    }

    if (ui->Mode_Pic->currentIndex() == kind)
        m_window->editor()->tabChanged(kind);
    else
        ui->Mode_Pic->setCurrentIndex(kind);

    if (kind == Picture && !m_window->pictureTab()->hasPicture()) {
        // The file is there but is no picture the editor can read.
        ++report->missingPictureModes;
        if (!report->missingPictures.contains(mode.picturePath()))
            report->missingPictures.append(mode.picturePath());
        return false;
    }

    if (mode.setsLoops()) {
        ui->Mode_loop->setValue(mode.loops());
        ui->speedAutoCheckBox->setChecked(false);
    }

    ui->cancelSelect->setEnabled(false);
    m_window->editor()->insertOrApply();
    ++report->imported;
    return true;
}

bool LegacyImporter::fillPicture(const LegacyMode &mode, LegacyImportReport *report)
{
    Ui::MainWindow *ui = m_window->form();
    const QString path = mode.picturePath();
    if (!QFileInfo(path).isFile()) {
        ++report->missingPictureModes;
        if (!report->missingPictures.contains(path))
            report->missingPictures.append(path);
        return false;
    }
    ui->PicDir->setText(path);
    {
        // The tab loads the picture with these settings when it comes to
        // the front; drawing the previous picture with them first is waste.
        const QSignalBlocker block(ui->Pic_Slide);
        ui->Pic_Slide->setValue(mode.number(0));
    }
    ui->Pic_revH->setChecked(mode.flag(1));
    ui->Pic_revV->setChecked(mode.flag(2));
    return true;
}

bool LegacyImporter::fillColour(const LegacyMode &mode, LegacyImportReport *report)
{
    const QColor colour = LegacyMode::colour(mode.part(1));
    if (!colour.isValid()) {
        ++report->unreadableLines;
        return false;
    }
    qDebug() << "namedcolor" << mode.part(1);
    m_window->document()->setColour1(colour);
    return true;
}

void LegacyImporter::fillText(const LegacyMode &mode)
{
    Ui::MainWindow *ui = m_window->form();
    TextSettings s = m_window->textTab()->settings();
    takeColoursAndFlips(mode, s);
    s.text = mode.text(2);
    s.fontIndex = mode.textNumber(3);
    const int fontSize = mode.textNumber(4);
    if (fontSize >= 0 && fontSize < ui->Font_size->count())
        s.fontSizeIndex = fontSize;
    s.width = mode.number(0);
    m_window->textTab()->restore(s);
}

void LegacyImporter::fillEffect(const LegacyMode &mode)
{
    Ui::MainWindow *ui = m_window->form();
    EffectSettings s = m_window->effectTab()->settings();
    // The old format's two flip flags belong to the effect: they go to the
    // effect tab's own flip controls.
    takeColoursAndFlips(mode, s);
    const int effect = mode.textNumber(2);
    if (effect >= 0 && effect < ui->Spe_comboBox->count())
        s.effect = effect;
    const int scheme = mode.threeColourState();
    if (scheme >= 0)
        s.scheme = scheme;
    s.width = mode.textNumber(4);
    m_window->effectTab()->restore(s);
}

QStringList LegacyImporter::missingPictures(const LegacyProject &project)
{
    QStringList out;
    QSet<QString> seen;
    for (const LegacyMode &mode : project.modes) {
        if (mode.kind() != Picture)
            continue;
        const QString path = mode.picturePath();
        if (seen.contains(path) || QFileInfo(path).isFile())
            continue;
        seen.insert(path);
        out.append(path);
    }
    return out;
}

int LegacyImporter::relinkPictures(LegacyProject &project, const PictureSearch &search)
{
    int changed = 0;
    for (LegacyMode &mode : project.modes) {
        if (mode.kind() != Picture || mode.parts.size() < 3)
            continue;
        const QString path = mode.picturePath();
        if (QFileInfo(path).isFile())
            continue;
        const QString match = search.find(pictureFileName(path));
        if (match.isEmpty())
            continue;
        mode.parts[2] = match;
        mode.params = mode.parts.join(QLatin1Char('?'));
        ++changed;
    }
    return changed;
}

} // namespace vc
