// A log header that reaches into the places: forbidden, and a circle with places/b.h.
#pragma once
#include "places/b.h"
