// Test support: an interface registry that hands out the objects a test puts
// in it by id (any other id is absent), journals every get and release, and
// counts the holdings still out.
#pragma once

#include "varn/registry.h"

#include <map>
#include <string>
#include <vector>

namespace testsupport {

class FakeRegistry final : public IInterfaceManager {
public:
    int32_t RegisterInterface(const char*, void*, uintptr_t) override { return 0; }
    int32_t UnregisterInterface(const char*) override { return 0; }
    int32_t GetInterface(const char* id, void** out) override {
        auto found = objects.find(id);
        const bool there = found != objects.end();
        journal.push_back(std::string("get ") + id + (there ? "" : " (absent)"));
        if (!there) return 0;
        *out = found->second;
        ++held;
        return 1;
    }
    int32_t ReleaseInterface(const char* id, void** holder) override {
        journal.push_back(std::string("release ") + id);
        if (!*holder) return 0;
        *holder = nullptr;
        --held;
        return 1;
    }
    int32_t TryReleaseOwner(uintptr_t, DelayedReleaseCallback) override { return 1; }

    std::map<std::string, void*> objects;
    std::vector<std::string> journal;
    int held = 0;
};

}  // namespace testsupport
