// Test support (Windows): a thread that watches for message boxes with a given
// caption (null: any caption), records each box's caption and text and closes
// it, so that code which shows a real message box never hangs a test. Boxes
// of other processes on the same desktop are found too, unless a process id
// is given: then only that process's boxes count.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class MessageBoxWatcher {
public:
    struct Box {
        std::string caption;
        std::string text;
    };

    explicit MessageBoxWatcher(const char* caption, DWORD processId = 0)
        : m_anyCaption(caption == nullptr),
          m_caption(caption ? caption : ""),
          m_processId(processId),
          m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<Box> Boxes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const Box& box : Boxes()) texts.push_back(box.text);
        return texts;
    }

private:
    // A message box's text is the static control with id 0xFFFF.
    static std::string TextOf(HWND window, int id) {
        HWND item = id ? GetDlgItem(window, id) : window;
        char text[2048] = "";
        if (item) GetWindowTextA(item, text, sizeof text);
        return text;
    }

    // The first visible box with the caption (of the process, when one is given).
    HWND FindBox() {
        for (HWND box = nullptr;;) {
            box = FindWindowExA(nullptr, box, "#32770", m_anyCaption ? nullptr : m_caption.c_str());
            if (!box) return nullptr;
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (IsWindowVisible(box) && (!m_processId || owner == m_processId)) return box;
        }
    }

    void Watch() {
        while (!m_stop) {
            HWND box = FindBox();
            if (!box) {
                Sleep(10);
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_boxes.push_back(Box{TextOf(box, 0), TextOf(box, 0xFFFF)});
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Wait until this box is gone, so that it is recorded once.
            while (IsWindow(box) && !m_stop) Sleep(5);
        }
    }

    bool m_anyCaption;
    std::string m_caption;
    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Box> m_boxes;
    std::thread m_thread;
};

}  // namespace testsupport
