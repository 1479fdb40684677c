// "OPT": the player's options file, shared by the host and every module as one
// in-memory configuration document. A party borrows the document, reads or
// changes values through the document's own access operations, and gives it
// back, optionally saving it. The last holder that saves makes the service
// rebuild the document from the file just written.
//
// Each holder keeps its document pointer in a variable of its own; the release
// operations take that variable and clear it.
#pragma once

#include "sdk.h"

class IniFile;

class IOptionsFile {
public:
    // The registry id of this interface (no slot, no data).
    static constexpr const char kId[] = VARN_ID_OPT;

    // 0: replaces the document with a new one for the named file (default
    // extension "INI"); the new document, or null when it cannot be made.
    virtual IniFile* optOpen(const char* fileName) = 0;
    // 1: reads the document again from its file; 1 on success, 0 on failure
    // or when no document is open.
    virtual int optReload() = 0;
    // 2: when a document is open, stores it in *out, counts one more holder
    // and returns 1; otherwise returns 0 and leaves *out alone.
    virtual int optGetIniFile(IniFile** out) = 0;
    // 3: gives a borrowed document back without saving; clears *holder and
    // returns the number of holders left.
    virtual int optReleaseIniFile(IniFile** holder) = 0;
    // 4: gives a borrowed document back and saves it; clears *holder and
    // returns 1 when the document was saved, else 0.
    virtual int optSaveAndRelease(IniFile** holder) = 0;
    // 5: 1 stops defaults from being written back into the document by the
    // getters that fall back to them; returns the previous setting.
    virtual int optDisableWriteBack(int flag) = 0;
};
