#pragma once

#include "core/RandomSource.h"

#include <QString>

namespace vortan {

// A level name of an adjective and a noun from two word lists, each word equally
// likely. The adjective may be empty, leaving a name that begins with a space.
QString randomName(RandomSource& random);

} // namespace vortan
