// The stand-alone instance of the host's service objects, for the tools and
// test programs that use the services without the host program.
#include "core/core_services.h"

namespace {
CoreServices g_coreServices;
}

CoreServices& TheCoreServices() { return g_coreServices; }
