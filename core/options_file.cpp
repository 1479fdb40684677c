#include "core/options_file.h"

#include "core/kept_file.h"
#include "files/paths.h"
#include "files/strings.h"
#include "shell_base/log.h"
#include "shell_base/shell_memory.h"

#include <new>

void OptionIniFile::Initialize() {
    m_document = nullptr;
    m_holders = 0;
    m_noWriteBack = 0;
}

void OptionIniFile::Shutdown() {
    if (m_holders > 0) LogWarning("Reference count for OptionIniFile is %d!", m_holders);
    DestroyDocument();
}

void OptionIniFile::DestroyDocument() {
    if (!m_document) return;
    m_document->~IniFile();
    ShellFree(m_document);
    m_document = nullptr;
}

IniFile* OptionIniFile::optOpen(const char* fileName) {
    // Holders are not told; their pointers no longer match the document.
    DestroyDocument();
    void* storage = ShellAlloc(sizeof(IniFile));
    if (storage) {
        m_document = new (storage) IniFile(fileName, m_noWriteBack ? 0 : 1, 0, IniFile::kDefaultExtra);
        // A document that writes its defaults back replaces a file that is
        // not text when it is saved; its bytes are kept beside it first.
        if (!m_noWriteBack) KeepIfNotText(m_document->Path());
    }
    return m_document;
}

int OptionIniFile::optReload() { return m_document && m_document->Reload() ? 1 : 0; }

int OptionIniFile::optGetIniFile(IniFile** out) {
    if (!m_document || !out) return 0;
    *out = m_document;
    ++m_holders;
    return 1;
}

int OptionIniFile::optReleaseIniFile(IniFile** holder) {
    if (!holder || *holder != m_document) LogError("Invalid pOptionsIniFile!!");
    if (m_holders <= 0)
        LogNotice("Unable to release OptionIniFile, reference count already at 0!");
    else
        --m_holders;
    if (holder) *holder = nullptr;
    return m_holders;
}

int OptionIniFile::optSaveAndRelease(IniFile** holder) {
    if (!holder || *holder != m_document) LogError("Invalid pOptionsIniFile!!");
    if (m_holders <= 0) {
        LogNotice("Unable to release OptionIniFile, reference count already at 0!");
        if (holder) *holder = nullptr;
        return 0;
    }
    --m_holders;
    if (!m_document) {
        if (holder) *holder = nullptr;
        return 0;
    }
    char path[kPathSize];
    CopyString(path, m_document->Path(), sizeof path);
    const int saved = m_document->Save() ? 1 : 0;
    if (saved && m_holders <= 0) {
        // The last holder: the document is rebuilt from the file just written.
        optOpen(path);
        m_holders = 0;
    }
    if (holder) *holder = nullptr;
    return saved;
}

int OptionIniFile::optDisableWriteBack(int flag) {
    const int previous = m_noWriteBack;
    if (flag == previous) return previous;
    m_noWriteBack = flag;
    if (m_document) m_document->SetWriteBackDefaults(flag ? 0 : 1);
    return previous;
}
