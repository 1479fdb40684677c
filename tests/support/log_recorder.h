// Test support: collects what the log entry points report while it lives, or
// what a test hands it (a module's messages, passed on by the module).
#pragma once

#include "shell_base/log_capture.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class LogRecorder {
public:
    struct NoSink {};
    LogRecorder() : m_installed(true) { LogSetCaptureSink(&Sink, this); }
    explicit LogRecorder(NoSink) : m_installed(false) {}  // fed by hand with Add
    ~LogRecorder() {
        if (m_installed) LogSetCaptureSink(nullptr, nullptr);
    }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    void Add(LogSeverity severity, const std::string& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.emplace_back(severity, text);
    }
    int Count(LogSeverity severity, const std::string& text) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count(m_entries.begin(), m_entries.end(), std::make_pair(severity, text)));
    }
    bool Has(LogSeverity severity, const std::string& text) const { return Count(severity, text) > 0; }
    bool HasError(const std::string& text) const { return Has(LogSeverity::Error, text); }
    int CountSeverity(LogSeverity severity) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(),
                                              [severity](const auto& e) { return e.first == severity; }));
    }
    size_t Size() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries.size();
    }
    // Every entry as "severity:text" lines, for failure messages.
    std::string All() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::string all;
        for (const auto& entry : m_entries) all += std::to_string(static_cast<int>(entry.first)) + ":" + entry.second + "\n";
        return all;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.clear();
    }

private:
    static void Sink(LogSeverity severity, const char* text, void* context) {
        static_cast<LogRecorder*>(context)->Add(severity, text ? text : "");
    }
    bool m_installed;
    mutable std::mutex m_mutex;
    std::vector<std::pair<LogSeverity, std::string>> m_entries;
};

}  // namespace testsupport
