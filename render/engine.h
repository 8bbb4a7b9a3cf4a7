#pragma once
// The zoom-series arithmetic: geometry of one image, the escape-time
// iteration in x87 extended precision, and a row engine that computes the
// rows of one image on worker threads. No Qt in here.

#include "render/geometry.h"
#include "render/referenceloop.h"
#include "render/rowengine.h"
