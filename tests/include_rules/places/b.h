#pragma once
#include "log/a.h"
