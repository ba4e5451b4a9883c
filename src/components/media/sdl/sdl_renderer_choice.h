#pragma once
#include <SDL.h>

// Whether this machine may have a graphics processor worth asking SDL for.
// On Linux a GPU shows up as a render node (or NVIDIA's own device); with
// neither, any GL would be drawn on the CPU, so it is not even loaded.
bool MachineMayHaveGpu();

// Whether an accelerated renderer SDL made is really a software one in
// disguise (Mesa's llvmpipe, softpipe or swrast, SwiftShader).
bool RendererRunsOnCpu(SDL_Renderer* renderer);

// The texture format the frame travels in: the frame's pixels are
// 0xFFRRGGBB, which is both ARGB8888 and XRGB8888 ("RGB888"); whichever
// the window itself uses spares SDL a conversion of every pixel.
uint32_t FrameTextureFormat(SDL_Renderer* renderer, SDL_Window* window);
