// "GFX": the graphics engine (flight module set), the display object it hands
// out and the records passed to its image, font and text operations.
// Positions and sizes are fractions of the screen; x grows to the right and y
// downwards from the top-left corner.
#pragma once

#include "sdk.h"

#include <stddef.h>
#include <stdint.h>

// A colour of four floats, each within 0..1.
struct ColorRGBA {
    float red;
    float green;
    float blue;
    float alpha;
};
static_assert(sizeof(ColorRGBA) == 16, "ColorRGBA layout");

// The colour of a shadow or outline: three floats within 0..1.
struct EffectColor {
    float red;
    float green;
    float blue;
};
static_assert(sizeof(EffectColor) == 12, "EffectColor layout");

// Style flags of TextAttributes.
inline constexpr int32_t kTextBold = 0x2;
inline constexpr int32_t kTextItalic = 0x10;
inline constexpr int32_t kTextUnderline = 0x20;
inline constexpr int32_t kTextStrikeOut = 0x40;
inline constexpr int32_t kTextShadow = 0x100;
inline constexpr int32_t kTextOutline = 0x200;

// How a font looks (gfxCreateFont). No pointers: the same layout on every target.
struct TextAttributes {
    char fontName[260];       // zero-terminated, at most 259 characters
    int32_t textSize;         // pixels of a screen 480 pixels high
    int32_t styleFlags;       // kTextBold | kTextItalic | ...
    EffectColor effectColor;  // shadow or outline colour
    int32_t effectSize;       // shadow offset or outline size
};
static_assert(sizeof(TextAttributes) == 284, "TextAttributes layout");
static_assert(offsetof(TextAttributes, textSize) == 260, "TextAttributes layout");
static_assert(offsetof(TextAttributes, styleFlags) == 264, "TextAttributes layout");
static_assert(offsetof(TextAttributes, effectColor) == 268, "TextAttributes layout");
static_assert(offsetof(TextAttributes, effectSize) == 280, "TextAttributes layout");

// Flag bits of DisplayMode::flags.
inline constexpr uint32_t kDisplayWideSurface = 0x1;  // three screens wide: overlays go in the middle third

// The leading fields of the display-mode record of the display object. The
// graphics engine may keep more fields after these.
struct DisplayMode {
    int32_t width;         // pixels
    int32_t height;        // pixels
    int32_t bitsPerPixel;
    uint32_t flags;        // kDisplayWideSurface
};
static_assert(sizeof(DisplayMode) == 16, "DisplayMode layout");
static_assert(offsetof(DisplayMode, flags) == 12, "DisplayMode layout");

// The display the graphics engine draws on (gfxGetDisplay).
class IDisplay {
public:
    // 0: stores in *mode a pointer to the current display-mode record, owned by the graphics engine.
    virtual void GetDisplayMode(const DisplayMode** mode) = 0;
    // 1: placeholder; nothing fixes the display object's operations after its first, and no caller uses this slot.
    virtual void Reserved1() = 0;
};

class IGraphicsEngine {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_GFX;

    // 0: the application became active (1) or inactive (0).
    virtual void gfxSetActive(int active) = 0;
    // 1: the display object; owned by the graphics engine and valid while it is loaded.
    virtual IDisplay* gfxGetDisplay() = 0;
    // 2: loads the image file `name` (the comm menu passes 1, 0, 1 as the options); returns its handle.
    virtual int gfxLoadImage(const char* name, int option1, int option2, int option3) = 0;
    // 3: draws image `image` stretched over the rectangle at x, y with width, height (the comm menu passes mode 1).
    virtual void gfxDrawImage(float x, float y, float width, float height, int image, int mode) = 0;
    // 4: creates a font that looks as `attributes` say; returns its handle.
    virtual int gfxCreateFont(const TextAttributes* attributes) = 0;
    // 5: the text drawn from now on uses font `font`.
    virtual void gfxSelectFont(int font) = 0;
    // 6: the text drawn from now on has the colour `*color` (four floats r, g, b, a).
    virtual void gfxSetTextColor(const ColorRGBA* color) = 0;
    // 7: starts a run of text drawing; every gfxDrawText lies between gfxBeginText and gfxEndText.
    virtual void gfxBeginText() = 0;
    // 8: ends the run of text drawing started by gfxBeginText.
    virtual void gfxEndText() = 0;
    // 9: draws one line of text with its top-left corner at x, y (the comm menu passes 0, 0 as the options).
    virtual void gfxDrawText(const char* text, float x, float y, int option1, int option2) = 0;
};
