// What the test program and the test modules share: the probe the program
// publishes as "TST" (modules report their entry points and their log
// messages to it) and the interface each test module publishes.
#pragma once

#include "varn/sdk.h"

class ITestProbe {
public:
    virtual void tpEvent(const char* module, const char* what) = 0;
    virtual void tpLog(int32_t severity, const char* text) = 0;
};

class ITestModule {
public:
    virtual const char* tmOwnerName() = 0;      // 0: the name its access layer keeps
    virtual const char* tmVersionText() = 0;    // 1
    virtual void* tmNewBlock() = 0;             // 2: new int[4] in the module
    virtual void tmDeleteBlock(void* block) = 0;  // 3: delete[] in the module
    virtual void* tmEarlyBlock() = 0;           // 4: a block made with new before the layer was attached
    virtual int32_t tmReleaseHeld() = 0;        // 5: lets go of the interface it holds
    virtual uintptr_t tmModuleHandle() = 0;     // 6: the handle InitDLL received
    virtual void* tmWindowHandle() = 0;         // 7: cached by the layer at attach
    virtual uint32_t tmGuidData1() = 0;         // 8: cached by the layer at attach
};
