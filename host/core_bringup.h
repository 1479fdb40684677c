// Bring-up and teardown of the host's core services: the debug system, the
// memory manager and the registry, then every host service published in it.
#pragma once

// Nonzero when the services are up; 0 when the registry could not be made
// (nothing is to be torn down then).
int CoreBringUp();
// Withdraws the services in reverse order ("APP" first, which frees every
// module still loaded) and shuts down the registry, memory and debug system.
void CoreTeardown();
