// An interface fetched from the registry for the length of a scope and
// released at its end: every GetInterface is paired with a ReleaseInterface
// by the same holder.
#pragma once

#include "shell/shell.h"
#include "varn/registry.h"

template <typename T>
class HeldInterface {
public:
    explicit HeldInterface(const char* id) : m_id(id) {
        if (IInterfaceManager* registry = ShellGetRegistry()) registry->GetInterface(id, &m_object);
    }
    ~HeldInterface() { Release(); }
    HeldInterface(const HeldInterface&) = delete;
    HeldInterface& operator=(const HeldInterface&) = delete;

    void Release() {
        if (m_object) ShellGetRegistry()->ReleaseInterface(m_id, &m_object);
        m_object = nullptr;
    }
    T* get() const { return static_cast<T*>(m_object); }
    T* operator->() const { return get(); }
    explicit operator bool() const { return m_object != nullptr; }

private:
    const char* m_id;
    void* m_object = nullptr;
};
