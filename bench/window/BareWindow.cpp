// The least an SDL2 program does to show what the app's first frame shows: initialise video, open a
// window of the given size, lay out six lines of Pango text with the given fonts configuration,
// draw them with Cairo, and present that once; then wait to be closed. The start-up benchmark
// times the app against it.
//
// Usage: zentrova-bare-window WIDTH HEIGHT FONTS_CONF
#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    int width = argc > 3 ? std::atoi(argv[1]) : 640;
    int height = argc > 3 ? std::atoi(argv[2]) : 480;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || argc <= 3)
        return 2;
    FcConfig* fonts = FcConfigCreate();
    if (!FcConfigParseAndLoad(fonts, reinterpret_cast<const FcChar8*>(argv[3]), FcTrue) || !FcConfigBuildFonts(fonts))
        return 1;
    FcConfigSetCurrent(fonts);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("bare window", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE | SDL_WINDOW_OPENGL);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (!renderer)
        return 1;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    cairo_paint(cairo);
    cairo_set_source_rgb(cairo, 0, 0.48, 1);
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    PangoFontDescription* font = pango_font_description_from_string("Helvetica");
    pango_font_description_set_absolute_size(font, 15 * 2 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    const char* lines[] = { "Reboot", "Shut Down", "Respring", "Safe Mode", "Non-MobileSubstrate Mode", "Refresh Cache" };
    for (int index = 0; index < 6; ++index) {
        pango_layout_set_text(layout, lines[index], -1);
        cairo_move_to(cairo, 40, 200 + index * 120);
        pango_cairo_show_layout(cairo, layout);
    }
    cairo_surface_flush(surface);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    SDL_UpdateTexture(texture, nullptr, cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface));
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);

    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
    }
    pango_font_description_free(font);
    g_object_unref(layout);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
