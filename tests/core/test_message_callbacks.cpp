// The window-message callback list: registration order, duplicates with their
// notice, and callbacks that change the list while a dispatch walks it (run
// natively under ASan, a walk that touches a freed node fails at once).
#include "core/message_callbacks.h"
#include "shell_base/shell_memory.h"
#include "tests/support/log_recorder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

MessageCallbackList* g_list = nullptr;
std::string g_journal;

void Note(const char* name, uintptr_t wParam, uintptr_t lParam) {
    g_journal += std::string(name) + "(" + std::to_string(wParam) + "," + std::to_string(lParam) + ") ";
}
void VARN_CDECL A(uintptr_t w, uintptr_t l) { Note("A", w, l); }
void VARN_CDECL B(uintptr_t w, uintptr_t l) { Note("B", w, l); }
void VARN_CDECL C(uintptr_t w, uintptr_t l) { Note("C", w, l); }
MessageCallback g_removeTarget = nullptr;
void VARN_CDECL Remove(uintptr_t w, uintptr_t l) {
    Note("Remove", w, l);
    g_list->RemoveMessageCallback(1, g_removeTarget);
}
void VARN_CDECL AddC(uintptr_t w, uintptr_t l) {
    Note("AddC", w, l);
    g_list->AddMessageCallback(1, C);
}
void VARN_CDECL ClearAll(uintptr_t w, uintptr_t l) {
    Note("ClearAll", w, l);
    g_list->ClearMessageCallbacks();
}
void VARN_CDECL Nested(uintptr_t w, uintptr_t l) {
    Note("Nested", w, l);
    if (w == 0) g_list->DispatchMessageCallbacks(1, 9, 9);  // a pump inside a callback
}

class MessageCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        g_list = &list;
        g_journal.clear();
        blocksBefore = ShellFallbackBlockCount();
    }
    void TearDown() override {
        list.ClearMessageCallbacks();
        EXPECT_EQ(ShellFallbackBlockCount(), blocksBefore);  // every entry and node freed
        g_list = nullptr;
    }
    std::string Dispatch(uint32_t id, uintptr_t w = 0, uintptr_t l = 0) {
        g_journal.clear();
        list.DispatchMessageCallbacks(id, w, l);
        return g_journal;
    }
    MessageCallbackList list;
    size_t blocksBefore = 0;
};

TEST_F(MessageCallbacks, OrderDuplicatesRemovalAndClear) {
    testsupport::LogRecorder log;
    list.AddMessageCallback(1, B);
    list.AddMessageCallback(1, A);
    list.AddMessageCallback(2, A);
    list.AddMessageCallback(1, B);       // duplicate pair
    list.AddMessageCallback(1, nullptr); // nothing to call: refused
    EXPECT_TRUE(log.Has(LogSeverity::Notice, "Duplicate message callback! MsgID = 1")) << log.All();
    EXPECT_EQ(log.Size(), 1u);
    EXPECT_EQ(list.GetMessageCallbackCount(), 3);
    EXPECT_EQ(Dispatch(1, 7, 8), "B(7,8) A(7,8) ");
    EXPECT_EQ(Dispatch(2, 0xFFFF, 3), "A(65535,3) ");
    EXPECT_EQ(Dispatch(3), "");

    list.RemoveMessageCallback(3, A);  // never registered
    list.RemoveMessageCallback(2, B);
    EXPECT_EQ(list.GetMessageCallbackCount(), 3);
    list.RemoveMessageCallback(1, B);
    EXPECT_EQ(Dispatch(1), "A(0,0) ");
    list.AddMessageCallback(1, B);  // back at the end
    EXPECT_EQ(Dispatch(1), "A(0,0) B(0,0) ");

    list.ClearMessageCallbacks();
    EXPECT_EQ(list.GetMessageCallbackCount(), 0);
    EXPECT_EQ(Dispatch(1), "");
    list.AddMessageCallback(1, C);  // usable again after clearing
    EXPECT_EQ(Dispatch(1), "C(0,0) ");
}

// Callbacks that change the list while it is being dispatched. A callback
// added during a dispatch is not offered the message being dispatched.
TEST_F(MessageCallbacks, ChangesDuringDispatch) {
    struct Case {
        const char* name;
        MessageCallback registered[3];
        MessageCallback removeTarget;  // of Remove
        const char* first;   // journal of the first dispatch
        int countAfter;
        const char* second;  // journal of the next dispatch
    } cases[] = {
        {"removes itself", {Remove, A}, Remove, "Remove(0,0) A(0,0) ", 1, "A(0,0) "},
        {"removes itself, the only one", {Remove}, Remove, "Remove(0,0) ", 0, ""},
        {"removes a later one", {Remove, B, A}, B, "Remove(0,0) A(0,0) ", 2, "Remove(0,0) A(0,0) "},
        {"removes an earlier one", {A, Remove, B}, A, "A(0,0) Remove(0,0) B(0,0) ", 2, "Remove(0,0) B(0,0) "},
        {"adds one", {AddC, A}, nullptr, "AddC(0,0) A(0,0) ", 3, "AddC(0,0) A(0,0) C(0,0) "},
        {"clears the list", {ClearAll, A, B}, nullptr, "ClearAll(0,0) ", 0, ""},
        {"dispatches again inside", {Nested, A}, nullptr, "Nested(0,0) Nested(9,9) A(9,9) A(0,0) ", 2,
         "Nested(0,0) Nested(9,9) A(9,9) A(0,0) "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_removeTarget = c.removeTarget;
        for (MessageCallback callback : c.registered) {
            if (callback) list.AddMessageCallback(1, callback);
        }
        EXPECT_EQ(Dispatch(1), c.first);
        EXPECT_FALSE(list.IsDispatching());
        EXPECT_EQ(list.GetMessageCallbackCount(), c.countAfter);
        EXPECT_EQ(Dispatch(1), c.second);
        list.ClearMessageCallbacks();
    }
}

}  // namespace
