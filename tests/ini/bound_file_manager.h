// Test support: a file service published as "FMG" in the host's registry and
// bound in this program's service access layer, as the host does at start-up,
// so that code reading through the bound file manager (configuration
// documents) reaches it.
#pragma once

#include "core/interface_manager.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "varn/registry.h"

namespace initest {

// Binds files for the lifetime of the object.
class FileServiceBinding {
public:
    explicit FileServiceBinding(IFileManager* files) {
        m_registry = InterfaceManagerInit();
        m_registry->RegisterInterface("FMG", files, 0);
        ShellSetRegistry(m_registry);
        ShellAttachHost(nullptr);
    }
    ~FileServiceBinding() {
        ShellDetachHost();
        m_registry->UnregisterInterface("FMG");
        ShellSetRegistry(nullptr);
        InterfaceManagerDeinit();
    }
    FileServiceBinding(const FileServiceBinding&) = delete;
    FileServiceBinding& operator=(const FileServiceBinding&) = delete;

private:
    IInterfaceManager* m_registry = nullptr;
};

// The system's own file manager, initialised, bound, and shut down after it
// was unbound (members are destroyed in reverse order).
class BoundFileManager {
public:
    BoundFileManager() : m_binding(Initialized(&files)) {}
    FileManager files;

private:
    static IFileManager* Initialized(FileManager* manager) {
        manager->Initialize();
        return manager;
    }
    struct ShutdownOnExit {
        FileManager* manager;
        ~ShutdownOnExit() { manager->Shutdown(); }
    };
    ShutdownOnExit m_shutdown{&files};
    FileServiceBinding m_binding;
};

}  // namespace initest
