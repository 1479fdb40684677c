// Test support: an object manager ("OBJ") that answers from tables the test
// fills: type ids and lists by type name, flag masks by flag name, game
// objects by id. Each flag mask asked for is told to `onFlagMask` when set.
#pragma once

#include "varn/obj.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class FakeObjectManager : public IObjectManager {
public:
    struct Type {
        std::string name;
        int id;
        ITypeList* list;
    };

    void objInit(const char*) override {}
    void objExit() override {}
    void objSetDirectory(const char*) override {}
    const char* objGetDirectory() override { return directory.c_str(); }
    int objGetTypeId(const char* name) override {
        for (const Type& type : types)
            if (type.name == name) return type.id;
        return -1;
    }
    void objGetTypeList(int typeId, ITypeList** list) override {
        for (const Type& type : types)
            if (type.id == typeId) *list = type.list;
    }
    int objGetFlagMask(const char* name) override {
        if (onFlagMask) onFlagMask(name);
        auto found = flagMasks.find(name);
        return found == flagMasks.end() ? otherFlagMask : found->second;
    }
    IGameObject* objGetObject(int id) override {
        auto found = objects.find(id);
        return found == objects.end() ? nullptr : found->second;
    }
    int objGetPlayerObjectId() override { return playerId; }

    std::string directory;
    std::vector<Type> types;
    std::map<std::string, int> flagMasks;
    int otherFlagMask = 0;
    std::map<int, IGameObject*> objects;
    int playerId = -1;
    std::function<void(const char* name)> onFlagMask;
};

}  // namespace testsupport
