#pragma once

#include "platform/render/RenderTypes.h"

#include <string>

typedef struct _PangoContext PangoContext;
typedef struct _PangoFontDescription PangoFontDescription;

namespace render {

// Points the process's fontconfig at the project's configuration (Helvetica and the system font
// map to URW Nimbus Sans, DejaVu Sans as fallback). Called once before any text is drawn; later
// calls do nothing. Returns false when the configuration could not be loaded (system fonts are
// used then).
bool configureFonts();

// The one Pango context all text is laid out with: the project's font map, 72 dpi, grey
// antialiasing without hinting, an identity matrix. Layouts made from it measure the same whatever
// the transform they are later drawn with. Text is laid out on the main thread only.
PangoContext* sharedPangoContext();

// The Pango description of a font, made once per distinct font and kept for the process.
const PangoFontDescription* fontDescription(const Font&);

// The family of the face fontconfig actually picks for a font, e.g. "Nimbus Sans" for "Helvetica".
std::string resolvedFontFamily(const Font&);

} // namespace render
