// The least an SDL2 program does to show a window: initialise video, open a window of the given
// size, make a renderer, clear and present once, then wait to be closed. The start-up benchmark
// times the app against it.
//
// Usage: zentrova-bare-window WIDTH HEIGHT
#include <SDL.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    int width = argc > 2 ? std::atoi(argv[1]) : 640;
    int height = argc > 2 ? std::atoi(argv[2]) : 480;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return 2;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("bare window", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (!renderer && window)
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer)
        return 1;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
