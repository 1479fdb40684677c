// The player colour table: red, green and blue as 32-bit floats, turned into
// 0xFFRRGGBB with each component times 255 truncated.
#include "host/launch/player_colors.h"

namespace {

struct ColorTriple {
    float red;
    float green;
    float blue;
};

const ColorTriple kPlayerColors[16] = {
    {1.0f, 0.0f, 0.0f},   {0.0f, 1.0f, 0.0f},    {0.0f, 0.0f, 1.0f},   {1.0f, 1.0f, 0.0f},
    {0.9f, 0.0f, 0.9f},   {0.0f, 1.0f, 1.0f},    {1.0f, 0.42f, 0.0f},  {0.67f, 0.0f, 0.8f},
    {0.4f, 0.0f, 1.0f},   {1.0f, 0.77f, 0.0f},   {1.0f, 0.8f, 0.6f},   {0.8f, 0.03f, 0.38f},
    {1.0f, 0.72f, 1.0f},  {0.56f, 0.86f, 0.0f},  {1.0f, 0.6f, 0.4f},   {0.25f, 0.87f, 0.81f},
};

uint32_t Component(float value) { return static_cast<uint32_t>(static_cast<int>(value * 255.0f)); }

}  // namespace

uint32_t PlayerColor(int index) {
    if (index < 1) index = 0;
    if (index > 14) index = 15;
    const ColorTriple& color = kPlayerColors[index];
    return 0xFF000000u + Component(color.red) * 65536u + Component(color.green) * 256u + Component(color.blue);
}
