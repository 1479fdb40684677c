// The orders menu as the definition file describes it: a title and numbered
// items, each with the text shown, its command number and two flags.
#pragma once

#include "files/pointer_array.h"

#include <cstdint>

class IniFile;
class ITextManager;

struct CommMenuItem {
    char* displayText;  // "%d. %s" of (command number mod 10, the item's text); owned
    char* subMenuName;  // owned, null when absent; kept, nothing acts on it
    int32_t commandNumber;
    int32_t extraSpace;  // one empty line above the item
    int32_t disabled;    // drawn in the disabled colour and not selectable
};

struct CommMenu {
    char* name = nullptr;         // owned, null when absent
    const char* title = nullptr;  // owned by the text manager; null when it has no such text
    PointerArray items;           // of CommMenuItem, in file order

    CommMenuItem* Item(int32_t index) const { return static_cast<CommMenuItem*>(items.At(index)); }
    // The rotating look-up by command number (the cursor stays on the match).
    CommMenuItem* FindCommand(int32_t commandNumber);
    // Lines the open box needs: the title, the items and their extra spaces.
    int32_t LineCount() const;
    void DisableAll();
};

// Builds the menu of one section of the definition file; the texts are looked
// up in textFile through texts (empty when either is missing). Null when
// there is no memory for the menu.
CommMenu* BuildCommMenu(IniFile& ini, const char* section, const char* textFile, ITextManager* texts);
// Frees the menu with its items and their texts; sets *menu to null.
void DestroyCommMenu(CommMenu** menu);
