// Raster pages of the portrait card page turned onto the drawing surface.
// Raster front ends get a landscape design laid on the portrait card page a
// quarter turn counter-clockwise: CUPS's image filter always turns pictures
// that way (the PPD's *LandscapeOrientation: Plus90), and so does PAPPL.
#pragma once

#include "host/card_job/image.h"

// The page turned onto a drawing surface of surface_width by surface_height:
// a portrait page on a landscape surface is turned back a quarter
// clockwise; a page of the surface's own shape stays as it is.
RgbImage OntoSurface(RgbImage page, int surface_width, int surface_height);
