// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_SDL_FUNCTIONS(X) \
    X(SDL_CloseAudioDevice) \
    X(SDL_CreateRenderer) \
    X(SDL_CreateTexture) \
    X(SDL_CreateWindow) \
    X(SDL_CreateWindowFrom) \
    X(SDL_DestroyRenderer) \
    X(SDL_DestroyTexture) \
    X(SDL_DestroyWindow) \
    X(SDL_FreeWAV) \
    X(SDL_GetCurrentAudioDriver) \
    X(SDL_GetCurrentVideoDriver) \
    X(SDL_GetDesktopDisplayMode) \
    X(SDL_GetError) \
    X(SDL_GetVersion) \
    X(SDL_GetWindowID) \
    X(SDL_GetWindowSize) \
    X(SDL_InitSubSystem) \
    X(SDL_LoadWAV_RW) \
    X(SDL_MixAudioFormat) \
    X(SDL_OpenAudioDevice) \
    X(SDL_PauseAudioDevice) \
    X(SDL_PollEvent) \
    X(SDL_QueryTexture) \
    X(SDL_QueueAudio) \
    X(SDL_QuitSubSystem) \
    X(SDL_RWFromFile) \
    X(SDL_RenderClear) \
    X(SDL_RenderCopy) \
    X(SDL_RenderPresent) \
    X(SDL_SetRenderDrawColor) \
    X(SDL_SetWindowSize) \
    X(SDL_UpdateTexture) \
    X(SDL_UpdateYUVTexture) \
    /* end of list */
