#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace render {

// Writes an ARGB32 image surface as an RGBA PNG. Screenshots are written often and read by tests
// and people, not shipped, so it favours speed over size: light compression and the Sub filter,
// which suit flat interface pictures. The file is opened as every output file is (OutputFile.h).
// False when it could not be written, and why in ERROR.
bool writeSurfaceAsPNG(cairo_surface_t* surface, const std::string& path, std::string& error);

} // namespace render
