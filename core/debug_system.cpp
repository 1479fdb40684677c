#include "core/debug_system.h"

#include "files/strings.h"
#include "shell/shell.h"
#include "shell_base/log.h"

void DebugSystem::dbgSetLevel(int32_t level) {
    plat::LockGuard guard(m_lock);
    m_level = level;
}

int32_t DebugSystem::Level() {
    plat::LockGuard guard(m_lock);
    return m_level;
}

void DebugSystem::Init(const char* fileName) {
    {
        plat::LockGuard guard(m_lock);
        m_level = 4;
        CopyString(m_fileName, fileName ? fileName : "", sizeof m_fileName);
    }
    ShellBindDebug(this);
    LogDebugSystem(1, "Debug System initialized...");
}

void DebugSystem::Shutdown() {
    LogDebugSystem(1, "Debug System deinitialized...");
    if (ShellGetDebug() == this) ShellUnbindDebug();
}
