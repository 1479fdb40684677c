#include "host/activation.h"

#include "host/app_object.h"
#include "host/host_state.h"
#include "shell/shell.h"
#include "varn/dsp.h"
#include "varn/gfx.h"
#include "varn/held.h"
#include "varn/inp.h"
#include "varn/net.h"

void ActivationNotifier(int active) {
    if (!TheHostState().mainWindow) return;
    TheApplication().appSetActive(active);
    IInterfaceManager* registry = ShellGetRegistry();
    if (!registry) return;
    // Each module interface is fetched for its one call and released at once;
    // a module that is not loaded is skipped.
    if (InterfaceHold<IInputManager> input(registry); input) input->inpSetActive(active);
    if (InterfaceHold<IDisplayManager> display(registry); display) display->dspSetActive(active);
    if (InterfaceHold<IGraphicsEngine> graphics(registry); graphics) graphics->gfxSetActive(active);
    if (!active) {
        if (InterfaceHold<INetworkLayer> network(registry); network) network->netOnDeactivate();
    }
}
