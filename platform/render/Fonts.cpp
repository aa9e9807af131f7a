#include "platform/render/Fonts.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>

namespace {

using namespace render;

struct FontSystem {
    FcConfig* config = nullptr;
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
};

// The configuration ships beside the program in its bundle; ZENTROVA_FONTS_CONF names another one,
// which is how programs that live outside a bundle (tests, benchmarks) find it.
std::string configurationPath()
{
    if (const char* path = std::getenv("ZENTROVA_FONTS_CONF"); path && *path)
        return path;
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return { };
    return (program.parent_path() / "fonts.conf").string();
}

FcConfig* loadConfiguration(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return nullptr;
    FcConfig* config = FcConfigCreate();
    if (!config)
        return nullptr;
    if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue)
        || !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

PangoContext* createContext(PangoFontMap* fontMap)
{
    PangoContext* context = pango_font_map_create_context(fontMap);
    // Sizes are absolute, so the resolution only matters to anything that slips through in
    // typographic points; at 72 dpi a point stays a point.
    pango_cairo_context_set_resolution(context, 72);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);

    // Rounded positions would snap to whole points here but to half points on a 2x surface;
    // unrounded, a line is as wide when measured as when drawn.
    pango_context_set_round_glyph_positions(context, FALSE);
    // The language steers fontconfig's choice of fallback fonts; it must not follow $LANG.
    pango_context_set_language(context, pango_language_from_string("en-us"));
    pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
    return context;
}

FontSystem createFontSystem()
{
    FontSystem system;
    system.config = loadConfiguration(configurationPath());
    if (system.config)
        FcConfigSetCurrent(system.config);

    // A font map of our own: the default one may already have been made from the system
    // configuration by the time this runs.
    system.fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!system.fontMap)
        system.fontMap = pango_cairo_font_map_new();
    if (system.config && PANGO_IS_FC_FONT_MAP(system.fontMap))
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(system.fontMap), system.config);
    system.context = createContext(system.fontMap);
    return system;
}

// Made on first use and kept for the life of the process, like fontconfig's own caches.
FontSystem& fontSystem()
{
    static FontSystem system = createFontSystem();
    return system;
}

struct DescriptionDeleter {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};

int pangoWeight(FontWeight weight)
{
    switch (weight) {
    case FontWeight::Regular:
        return PANGO_WEIGHT_NORMAL;
    case FontWeight::Semibold:
        return PANGO_WEIGHT_SEMIBOLD;
    case FontWeight::Bold:
        return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

PangoFontDescription* createDescription(const Font& font)
{
    PangoFontDescription* description = pango_font_description_new();
    // fontconfig cannot match an empty family name reliably, so the system font goes by a name
    // the configuration maps like the others.
    pango_font_description_set_family(description, font.family.empty() ? "System" : font.family.c_str());
    pango_font_description_set_weight(description, static_cast<PangoWeight>(pangoWeight(font.weight)));
    // A zero size would give Cairo a singular font matrix, which puts the whole drawing context
    // into an error state; the smallest Pango size draws nothing visible instead.
    double size = std::max(font.size * PANGO_SCALE, 1.0);
    pango_font_description_set_absolute_size(description, size);
    return description;
}

} // namespace

namespace render {

bool configureFonts()
{
    return fontSystem().config;
}

PangoContext* sharedPangoContext()
{
    return fontSystem().context;
}

const PangoFontDescription* fontDescription(const Font& font)
{
    using Key = std::tuple<std::string, double, FontWeight>;
    static std::map<Key, std::unique_ptr<PangoFontDescription, DescriptionDeleter>> cache;
    Key key { font.family, font.size, font.weight };
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(std::move(key), createDescription(font)).first;
    return it->second.get();
}

std::string resolvedFontFamily(const Font& font)
{
    FontSystem& system = fontSystem();
    PangoFont* loaded = pango_font_map_load_font(system.fontMap, system.context, fontDescription(font));
    if (!loaded)
        return { };
    PangoFontDescription* description = pango_font_describe(loaded);
    const char* family = pango_font_description_get_family(description);
    std::string result = family ? family : "";
    pango_font_description_free(description);
    g_object_unref(loaded);
    return result;
}

} // namespace render
