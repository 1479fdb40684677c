// The sixteen player colours a lobby can choose by index.
#pragma once

#include <cstdint>

// The colour 0xFFRRGGBB of a colour index; indexes below 1 give colour 0,
// above 14 colour 15.
uint32_t PlayerColor(int index);
