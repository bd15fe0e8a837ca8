#pragma once

#include "core/device/showimage.h"
#include "core/model/moderecord.h"

#include <QVector>

namespace vc::device {

// What the show image takes from one mode.
ShowItem showItem(const ModeRecord &record);

// The builder's input for one track: its records, given in the track's list
// order, brought into play order the way the track sorts its items (see
// vc::sortTrack), each reduced to a ShowItem. frameRate and leds are the
// show's; a mode with a speed that the sort re-times takes its repeat count
// from them. The editor's export and upload and the command-line tool both
// go through here.
QVector<ShowItem> trackShowItems(const QVector<ModeRecord> &records, float frameRate, int leds);

} // namespace vc::device
