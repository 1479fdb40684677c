// The one way to hold an interface: InterfaceHold<T> takes T's registry id
// from the type itself (T::kId), so type and id cannot be paired wrongly. It
// gets the interface when constructed with a registry (or later with Get),
// releases it when destroyed (or earlier with Release), cannot be copied and
// can be moved. Header-only and freestanding, like the rest of the SDK.
#pragma once

#include "registry.h"

template <typename T>
class InterfaceHold {
public:
    // Holds nothing (for a holding that starts later, such as at InitDLL).
    constexpr InterfaceHold() = default;
    // Gets T from registry; holds nothing when it is not there.
    explicit InterfaceHold(IInterfaceManager* registry) { Get(registry); }
    ~InterfaceHold() { Release(); }

    InterfaceHold(const InterfaceHold&) = delete;
    InterfaceHold& operator=(const InterfaceHold&) = delete;
    InterfaceHold(InterfaceHold&& other) noexcept : m_registry(other.m_registry), m_object(other.m_object) {
        other.m_object = nullptr;
    }
    InterfaceHold& operator=(InterfaceHold&& other) noexcept {
        if (this != &other) {
            Release();
            m_registry = other.m_registry;
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }

    // Lets go of what is held, then gets T from registry: GetInterface's
    // result (0 when registry is null or T is not there).
    int32_t Get(IInterfaceManager* registry) {
        Release();
        m_registry = registry;
        return registry ? registry->GetInterface(T::kId, &m_object) : 0;
    }
    // Gives T back: ReleaseInterface's result, 0 when nothing is held. Holds
    // nothing afterwards either way, so nothing is released twice.
    int32_t Release() {
        if (!m_object) return 0;
        int32_t result = m_registry->ReleaseInterface(T::kId, &m_object);
        m_object = nullptr;
        return result;
    }

    T* get() const { return static_cast<T*>(m_object); }
    T* operator->() const { return get(); }
    explicit operator bool() const { return m_object != nullptr; }

private:
    IInterfaceManager* m_registry = nullptr;
    void* m_object = nullptr;
};
