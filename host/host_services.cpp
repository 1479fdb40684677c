// The host's service objects, all in this one file so that their order is
// fixed: constructed before the program entry runs in the order APP, OPT,
// CLK, RND, FMG, DLL, MEM, DBG and the registry (the members of
// CoreServices), destroyed in reverse order after it returns.
#include "core/core_services.h"
#include "host/app_object.h"

namespace {
ApplicationInterface g_application;
CoreServices g_coreServices;
}  // namespace

ApplicationInterface& TheApplication() { return g_application; }
CoreServices& TheCoreServices() { return g_coreServices; }
