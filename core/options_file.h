// OptionIniFile: the player's options file as one shared in-memory document,
// published as "OPT". Holders borrow the document and give it back, optionally
// saving it; the last holder that saves makes the object rebuild the document
// from the file just written.
#pragma once

#include "ini/ini_file.h"
#include "varn/opt.h"

#include <cstdint>

class OptionIniFile : public IOptionsFile {
public:
    OptionIniFile() = default;
    OptionIniFile(const OptionIniFile&) = delete;
    OptionIniFile& operator=(const OptionIniFile&) = delete;

    // Before "OPT" is registered: no document, no holders, defaults written back.
    void Initialize();
    // Before "OPT" is unregistered: warns about holders left, destroys the document.
    void Shutdown();

    IniFile* optOpen(const char* fileName) override;
    int optReload() override;
    int optGetIniFile(IniFile** out) override;
    int optReleaseIniFile(IniFile** holder) override;
    int optSaveAndRelease(IniFile** holder) override;
    int optDisableWriteBack(int flag) override;

    IniFile* Document() const { return m_document; }
    int32_t HolderCount() const { return m_holders; }

private:
    void DestroyDocument();

    IniFile* m_document = nullptr;
    int32_t m_holders = 0;
    int m_noWriteBack = 0;
};

// The host's instance.
OptionIniFile& TheOptionIniFile();
