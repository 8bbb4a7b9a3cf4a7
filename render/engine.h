#pragma once
// The zoom-series arithmetic: geometry of one image and a row engine that
// computes the rows of one image on worker threads. No Qt in here.

#include "render/geometry.h"
#include "render/rowengine.h"
