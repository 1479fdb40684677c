// CommandLine: a command line split into tokens at separator characters, with
// options of the form name:value.
#pragma once

class CommandLine {
public:
    static const int kTextSize = 1024;
    static const int kSeparatorSize = 128;

    CommandLine();
    void FromArguments(int count, const char* const* arguments);  // cut at 1023 bytes
    void FromString(const char* text);
    void FromStringWithSeparators(const char* text, const char* separators);

    int FindToken(const char* name) const;
    bool GetToken(int index, char* out, int size) const;
    int GetTokenInt(int index, int defaultValue) const;
    float GetTokenFloat(int index, float defaultValue) const;
    bool GetOption(const char* name, char* out, int size) const;
    int GetOptionInt(const char* name, int defaultValue) const;
    float GetOptionFloat(const char* name, float defaultValue) const;

    const char* Text() const { return m_text; }
    bool IsValid() const { return m_valid; }

private:
    char m_text[kTextSize];
    char m_separators[kSeparatorSize];
    bool m_valid;
};
