// One call on a module interface fetched from the registry for that call and
// released right after; nothing when the id is not registered (or the
// registry does not exist yet).
#pragma once

#include "varn/registry.h"

template <class Interface, class Call>
bool CallRegistered(IInterfaceManager* registry, const char* id, Call call) {
    void* object = nullptr;
    if (!registry || !registry->GetInterface(id, &object)) return false;
    call(static_cast<Interface*>(object));
    registry->ReleaseInterface(id, &object);
    return true;
}
