#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace render {

// Writes an ARGB32 image surface as an RGBA PNG. Screenshots are written often and read by tests
// and people, not shipped, so it favours speed over size: light compression and the Sub filter,
// which suit flat interface pictures. False when the file could not be written.
bool writeSurfaceAsPNG(cairo_surface_t* surface, const std::string& path);

} // namespace render
