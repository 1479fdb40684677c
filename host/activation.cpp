#include "host/activation.h"

#include "host/app_object.h"
#include "host/host_state.h"
#include "host/registry_call.h"
#include "shell/shell.h"
#include "varn/dsp.h"
#include "varn/gfx.h"
#include "varn/inp.h"
#include "varn/net.h"

void ActivationNotifier(int active) {
    if (!TheHostState().mainWindow) return;
    TheApplication().appSetActive(active);
    IInterfaceManager* registry = ShellGetRegistry();
    if (!registry) return;
    CallRegistered<IInputManager>(registry, VARN_ID_INP, [active](IInputManager* input) { input->inpSetActive(active); });
    CallRegistered<IDisplayManager>(registry, VARN_ID_DSP, [active](IDisplayManager* display) { display->dspSetActive(active); });
    CallRegistered<IGraphicsEngine>(registry, VARN_ID_GFX, [active](IGraphicsEngine* graphics) { graphics->gfxSetActive(active); });
    if (!active) CallRegistered<INetworkLayer>(registry, VARN_ID_NET, [](INetworkLayer* network) { network->netOnDeactivate(); });
}
