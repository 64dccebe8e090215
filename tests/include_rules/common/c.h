// Shared routines never include another folder.
#pragma once
#include "log/a.h"
