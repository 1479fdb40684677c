// A graphics engine that draws nothing: the base of test stand-ins, which
// override only the operations they watch.
#pragma once

#include "varn/gfx.h"

class QuietGraphicsEngine : public IGraphicsEngine {
public:
    void gfxSetActive(int) override {}
    IDisplay* gfxGetDisplay() override { return nullptr; }
    int gfxLoadImage(const char*, int, int, int) override { return 0; }
    void gfxDrawImage(float, float, float, float, int, int) override {}
    int gfxCreateFont(const TextAttributes*) override { return 0; }
    void gfxSelectFont(int) override {}
    void gfxSetTextColor(const ColorRGBA*) override {}
    void gfxBeginText() override {}
    void gfxEndText() override {}
    void gfxDrawText(const char*, float, float, int, int) override {}
};
