// Test support: a file manager published as "FMG" in the host's registry and
// bound in this program's service access layer, as the host does at start-up,
// so that code reading through the bound file manager (configuration
// documents) reaches it.
#pragma once

#include "core/interface_manager.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "varn/registry.h"

namespace initest {

class BoundFileManager {
public:
    BoundFileManager() {
        files.Initialize();
        m_registry = InterfaceManagerInit();
        m_registry->RegisterInterface("FMG", static_cast<IFileManager*>(&files), 0);
        ShellSetRegistry(m_registry);
        ShellAttachHost(nullptr);
    }
    ~BoundFileManager() {
        ShellDetachHost();
        m_registry->UnregisterInterface("FMG");
        ShellSetRegistry(nullptr);
        InterfaceManagerDeinit();
        files.Shutdown();
    }
    BoundFileManager(const BoundFileManager&) = delete;
    BoundFileManager& operator=(const BoundFileManager&) = delete;

    FileManager files;

private:
    IInterfaceManager* m_registry = nullptr;
};

}  // namespace initest
