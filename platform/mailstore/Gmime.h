#pragma once

// GMime for code that also speaks COM. The COM vocabulary declares TRUE and
// FALSE as constants, which GLib's macros of the same names would break when
// GLib came first; after it, the macros only stand for the same values.
#include "com/ComTypes.h"

#include <gmime/gmime.h>
