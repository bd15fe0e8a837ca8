#pragma once

#include "core/project/projectformat.h"

namespace vc {

class Show;

// What a project file holds of a show: its prop, its song and every
// track's records in the track's order (at least one track).
ProjectData projectOf(const Show &show);

} // namespace vc
