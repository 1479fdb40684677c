// "TXT": the text manager (base module set). Text files are loaded by name and
// their texts looked up by key; the texts stay owned by the text manager.
#pragma once

#include "sdk.h"

class ITextManager {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_TXT;

    // 0: loads the text file `name` (null when the caller has no name) so that its keys can be looked up.
    virtual void txtLoadTextFile(const char* name) = 0;
    // 1: unloads the text file `name` loaded before.
    virtual void txtUnloadTextFile(const char* name) = 0;
    // 2: the text stored under `key` in the loaded text file `name`; null when there is none. The text stays owned by TXT.
    virtual const char* txtLookUpText(const char* name, const char* key) = 0;
};
