// IniFile::Save: the document as text. The text goes to a file beside the
// target, which replaces the target only once it is complete, on the storage
// and closed: a crash or a full disk during a save leaves the old file intact.
#include "ini/ini_file.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>

namespace {

#ifdef _WIN32
const char kLineEnd[] = "\r\n";
#else
const char kLineEnd[] = "\n";
#endif

// Buffered output to a sink; remembers the first failure.
class TextWriter {
public:
    TextWriter(IniFile::TextSink sink, void* context) : m_sink(sink), m_context(context) {}

    void Put(const char* bytes, size_t count) {
        while (count > 0 && !m_failed) {
            if (m_used == sizeof m_buffer) Flush();
            size_t part = sizeof m_buffer - m_used;
            if (part > count) part = count;
            memcpy(m_buffer + m_used, bytes, part);
            m_used += part;
            bytes += part;
            count -= part;
        }
    }
    // A name or value stops at a line break, so one key always stays one line.
    void Text(const char* text) {
        if (text) Put(text, strcspn(text, "\r\n"));
    }
    void LineEnd() { Put(kLineEnd, sizeof kLineEnd - 1); }

    bool Flush() {
        if (m_used > 0 && !m_failed && !m_sink(m_context, m_buffer, m_used)) m_failed = true;
        m_used = 0;
        return !m_failed;
    }

private:
    IniFile::TextSink m_sink;
    void* m_context;
    char m_buffer[16384];
    size_t m_used = 0;
    bool m_failed = false;
};

// The sink of a save: every byte to the descriptor.
bool WriteToDescriptor(void* context, const char* bytes, size_t count) {
    const int fd = *static_cast<int*>(context);
    while (count > 0) {
        int written = plat::FileWrite(fd, bytes, static_cast<uint32_t>(count));
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

void WriteKey(TextWriter& out, const IniKey* key) {
    out.Text(key->name);
    out.Put("=", 1);
    char number[64];
    if (key->type == kIniInteger) {
        snprintf(number, sizeof number, "%d", static_cast<int>(key->intValue));
        out.Text(number);
    } else if (key->type == kIniFloat) {
        snprintf(number, sizeof number, "%f", static_cast<double>(key->floatValue));
        out.Text(number);
    } else {
        out.Text(key->text);
    }
    out.LineEnd();
}

}  // namespace

bool IniFile::Save(const char* newPath) {
    if (newPath) MakeFilePath(nullptr, newPath, "INI", m_path, sizeof m_path);
    if (IsEmptyString(m_path)) return false;
    // A file that may not be written stays as it is, as when it is opened directly.
    if (plat::FileIsPlain(m_path) && !plat::FileIsWritable(m_path)) return false;

    char temporary[kPathSize + 8];
    snprintf(temporary, sizeof temporary, "%s.new", m_path);
    if (strlen(temporary) >= static_cast<size_t>(kPathSize)) {
        // No room for a longer name: write the file in place.
        CopyString(temporary, m_path, sizeof temporary);
    }
    const bool inPlace = strcmp(temporary, m_path) == 0;

    int fd = plat::FileCreateWrite(temporary, plat::AccessHint::Sequential);
    if (fd < 0) return false;
    bool saved = WriteText(WriteToDescriptor, &fd);
    saved = plat::FileFlushToDisk(fd) && saved;
    saved = plat::FileClose(fd) == 0 && saved;
    if (inPlace) return saved;
    if (saved) saved = plat::FileReplace(temporary, m_path);
    if (!saved) plat::FileDelete(temporary);
    return saved;
}

bool IniFile::WriteText(TextSink sink, void* context) {
    TextWriter out(sink, context);
    for (IniSection* section = static_cast<IniSection*>(m_sections.First()); section;
         section = static_cast<IniSection*>(m_sections.Next())) {
        out.Put("[", 1);
        out.Text(section->name);
        out.Put("]", 1);
        out.LineEnd();
        for (IniKey* key = static_cast<IniKey*>(section->Keys().First()); key;
             key = static_cast<IniKey*>(section->Keys().Next())) {
            WriteKey(out, key);
        }
        out.LineEnd();
    }
    return out.Flush();
}
