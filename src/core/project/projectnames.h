#pragma once

#include "core/app/gadgets.h"

#include <QString>
#include <QVector>

namespace vc {

// The file name rules of projects. The current format is recognised by the
// name alone (the file carries no magic number), and the test is
// case-sensitive: "show.VTC3" is an old text project, "show.vtc3.bak" is a
// current one.
bool isCurrentFormatName(const QString &path);

// The name Save As stores: ".vtc3" is appended unless the name already
// contains it anywhere.
QString withProjectSuffix(const QString &name);

// A project file name in `folder` that no file has yet: base + ".vtc3",
// else base + " 2.vtc3", " 3.vtc3" and so on.
QString unusedProjectName(const QString &folder, const QString &base);

// The file name shown in the title: the part of the path after its last
// "/", or after its last "\" when it has no "/".
QString projectDisplayName(const QString &path);

// "VantorCreator - " + the display name + two spaces. The unsaved-changes
// mark replaces the title's last character, so a fresh title carries none.
QString projectWindowTitle(const QString &path);
// The title of a project that has no file yet.
QString untitledWindowTitle();

// The catalogue row that a loaded project's gadget belongs to: the first of
// the first `rows` rows (the rows that have a menu action) with the same
// LED count and frame rate, or -1 for the custom entry. The current format
// compares the stored float with the row's rate; the old format compares
// whole numbers.
int matchGadgetRow(const QVector<GadgetInfo> &catalogue, int rows, int leds, float frameRate);
int matchGadgetRowLegacy(const QVector<GadgetInfo> &catalogue, int rows, int leds, int frameRate);

// The frame rate as the whole number the rate spin box shows: truncated,
// with NaN as 0 and values beyond the int range saturated (a damaged file
// must not make the conversion undefined).
int truncatedFrameRate(float frameRate);

} // namespace vc
