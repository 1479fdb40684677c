// The activation notifier: tells "APP" and the modules that care when the
// application becomes active (1) or inactive (0).
#pragma once

// Nothing before the main window is known. Then appSetActive, and, once the
// registry exists, inpSetActive, dspSetActive and gfxSetActive on "INP",
// "DSP" and "GFX", and netOnDeactivate on "NET" when the state is 0; each
// module is fetched for the call and released at once, and skipped when it
// is not registered.
void ActivationNotifier(int active);
