#pragma once
// The small set of services every window relies on, one header each: layout units, message
// boxes, number and date conversions, the screen size and fonts.

#include "conversions.h"
#include "fonts.h"
#include "layout_units.h"
#include "message_box.h"
#include "screen.h"
