// Test support (Windows): closes every message box of any process that shows
// up while the watcher lives, keeping "caption: text" of each, so that no box
// can hang a test.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class MessageBoxWatcher {
public:
    MessageBoxWatcher() : m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

private:
    void Watch() {
        while (!m_stop) {
            EnumWindows(&Found, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }
    static BOOL CALLBACK Found(HWND window, LPARAM self) {
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        auto* watcher = reinterpret_cast<MessageBoxWatcher*>(self);
        char caption[256] = "", text[1024] = "";
        GetWindowTextA(window, caption, sizeof caption);
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        {
            std::lock_guard<std::mutex> lock(watcher->m_mutex);
            // A box that has not gone yet is counted once.
            if (watcher->m_closing != window) watcher->m_seen.push_back(std::string(caption) + ": " + text);
            watcher->m_closing = window;
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_seen;
    HWND m_closing = nullptr;
    std::thread m_thread;
};

}  // namespace testsupport
