#pragma once
#include <SDL.h>

// Whether this machine may have a graphics processor worth asking SDL for.
// On Linux a GPU shows up as a render node (or NVIDIA's own device); with
// neither, any GL would be drawn on the CPU, so it is not even loaded.
bool MachineMayHaveGpu();

// Whether an accelerated renderer SDL made is really a software one in
// disguise (Mesa's llvmpipe, softpipe or swrast, SwiftShader).
bool RendererRunsOnCpu(SDL_Renderer* renderer);
