// The debug system ("DBG"). Diagnostic output is switched off: the output
// operations accept their arguments and do nothing, no file is written; only
// the output level is kept.
#pragma once

#include "files/paths.h"
#include "platform/platform.h"
#include "varn/dbg.h"

class DebugSystem final : public IDebugSystem {
public:
    DebugSystem() = default;

    void dbgReserved0() override {}
    void dbgReserved1(int32_t, int32_t, int32_t, int32_t) override {}
    void dbgReserved2(int32_t, int32_t, int32_t) override {}
    void dbgSetLevel(int32_t level) override;
    void dbgReserved4(int32_t) override {}

    // Bring-up: level 4, binds this deliverable's access layer to it. The file
    // name is kept but no file is created.
    void Init(const char* fileName);
    // Teardown: unbinds the access layer.
    void Shutdown();

    int32_t Level();
    const char* FileName() const { return m_fileName; }

private:
    plat::ReentrantLock m_lock;
    int32_t m_level = 4;
    char m_fileName[kPathSize] = "";
};

// The host's debug system and the file name it is handed at bring-up.
DebugSystem& TheDebugSystem();
const char* const kDebugFileName = "debug.out";
