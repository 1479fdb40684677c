#include "host/host_state.h"

const VarnGuid kApplicationGuid = {0x5D7BB2C9, 0x7F05, 0x4478, {0x9F, 0xCA, 0xE2, 0x54, 0x4B, 0xAE, 0x42, 0x52}};

HostState& TheHostState() {
    static HostState state;
    return state;
}
