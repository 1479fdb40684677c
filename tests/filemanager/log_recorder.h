// Test support: collects what the log entry points report while it lives.
#pragma once

#include "shell/log_capture.h"

#include <mutex>
#include <string>
#include <vector>

namespace catalogtest {

class LogRecorder {
public:
    struct Entry {
        LogSeverity severity;
        std::string text;
    };

    LogRecorder() { LogSetCaptureSink(&Sink, this); }
    ~LogRecorder() { LogSetCaptureSink(nullptr, nullptr); }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    bool Has(LogSeverity severity, const std::string& text) const {
        std::lock_guard<std::mutex> guard(m_mutex);
        for (const Entry& entry : m_entries) {
            if (entry.severity == severity && entry.text == text) return true;
        }
        return false;
    }
    bool HasError(const std::string& text) const { return Has(LogSeverity::Error, text); }
    size_t Count() const {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_entries.size();
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_entries.clear();
    }
    std::string All() const {
        std::lock_guard<std::mutex> guard(m_mutex);
        std::string all;
        for (const Entry& entry : m_entries) all += entry.text + "\n";
        return all;
    }

private:
    static void Sink(LogSeverity severity, const char* text, void* context) {
        LogRecorder* self = static_cast<LogRecorder*>(context);
        std::lock_guard<std::mutex> guard(self->m_mutex);
        self->m_entries.push_back({severity, text ? text : ""});
    }

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

}  // namespace catalogtest
