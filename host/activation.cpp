#include "host/activation.h"

#include "host/app_object.h"
#include "host/held_interface.h"
#include "host/host_state.h"
#include "shell/shell.h"
#include "varn/dsp.h"
#include "varn/gfx.h"
#include "varn/inp.h"
#include "varn/net.h"

void ActivationNotifier(int active) {
    if (!TheHostState().mainWindow) return;
    TheApplication().appSetActive(active);
    if (!ShellGetRegistry()) return;
    // Each module interface is fetched for its one call and released at once;
    // a module that is not loaded is skipped.
    if (HeldInterface<IInputManager> input(VARN_ID_INP); input) input->inpSetActive(active);
    if (HeldInterface<IDisplayManager> display(VARN_ID_DSP); display) display->dspSetActive(active);
    if (HeldInterface<IGraphicsEngine> graphics(VARN_ID_GFX); graphics) graphics->gfxSetActive(active);
    if (!active) {
        if (HeldInterface<INetworkLayer> network(VARN_ID_NET); network) network->netOnDeactivate();
    }
}
