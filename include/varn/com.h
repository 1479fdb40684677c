// "COM": the in-flight orders menu of the player's flight, published by the
// varnComm module and driven by a game module: load, toggle, per-frame update
// and draw. No operation reports failure to its caller.
#pragma once

#include "sdk.h"

class ICommInterface {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_COM;

    // 0: loads the menu definition file `fileName` (an INI file), registers the number-key commands 2..11 and binds to the player's flight.
    virtual void comInit(const char* fileName) = 0;
    // 1: unregisters the number-key commands, unloads the menu's text file and destroys the menu.
    virtual void comDeinit() = 0;
    // 2: closes the box when open; otherwise opens it when the player is active and a menu is loaded.
    virtual void comToggle() = 0;
    // 3: a number key: command 2..11 picks the item with command number 1..10 and sends its order; the result means nothing to callers.
    virtual int comCommand(int command) = 0;
    // 4: counts the open box's display time down by `elapsed`; the box closes when the time runs out.
    virtual void comUpdate(float elapsed) = 0;
    // 5: draws the box over the flight view when it is open.
    virtual void comDraw() = 0;
};
