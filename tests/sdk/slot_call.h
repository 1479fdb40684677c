// Calls an operation of an interface object by its position in the object's
// function table, the way a module built elsewhere does: it knows only the
// slot number and the argument list, never the declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

// A pointer to a virtual member function, in the C++ ABI that gcc and clang
// use on x86 (and mingw-w64): the table offset in bytes plus one, and a this
// adjustment.
template <class R, class I, class... Args>
R CallSlot(I* object, int slot, Args... args) {
    using Member = R (I::*)(Args...);
    struct Raw {
        uintptr_t offsetPlusOne;
        ptrdiff_t thisAdjustment;
    };
    static_assert(sizeof(Member) == sizeof(Raw), "pointer-to-member layout");
    Raw raw{1 + static_cast<uintptr_t>(slot) * sizeof(void*), 0};
    Member member;
    std::memcpy(&member, &raw, sizeof member);
    return (object->*member)(args...);
}

// What the operations of a test implementation were called with, in call
// order: "slot(arguments)" entries separated by blanks.
class CallLog {
public:
    template <class... Args>
    void Hit(int slot, const Args&... args) {
        std::ostringstream entry;
        entry << slot << '(';
        bool first = true;
        ((entry << (first ? "" : ",") << Show(args), first = false), ...);
        (void)first;
        entry << ')';
        m_text += (m_text.empty() ? "" : " ") + entry.str();
    }
    const std::string& Text() const { return m_text; }
    void Clear() { m_text.clear(); }

private:
    static std::string Show(const char* text) { return text ? text : "null"; }
    static std::string Show(const void* pointer) { return pointer ? "ptr" : "null"; }
    template <class T>
    static std::string Show(const T& value) {
        std::ostringstream out;
        out << value;
        return out.str();
    }
    std::string m_text;
};
