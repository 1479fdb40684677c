// Path helpers. Separators are backslashes; every search is multibyte-aware,
// so a double-byte character whose trail byte is 0x5C never splits a path.
#include "files/paths.h"

#include "files/strings.h"

#include <cstring>

namespace {

// The file-name part of path: after its last backslash, or all of it.
const char* FileNamePart(const char* path) {
    const char* slash = FindLastChar(path, '\\');
    return slash ? slash + 1 : path;
}

// The last '.' of the file-name part of path, or null.
const char* ExtensionDot(const char* path) { return FindLastChar(FileNamePart(path), '.'); }

// The last character of a non-empty text is a backslash (not a trail byte).
bool EndsWithBackslash(const char* text) {
    const char* slash = FindLastChar(text, '\\');
    return slash && slash[1] == 0;
}

// Copies the first count bytes of source (count ending on a character
// boundary), bounded by size.
void CopyPrefix(char* out, int size, const char* source, size_t count) {
    if (size <= 0) return;
    size_t limit = count + 1 < static_cast<size_t>(size) ? count + 1 : static_cast<size_t>(size);
    CopyString(out, source, static_cast<int>(limit));
}

// Room left for text in a path buffer of size bytes, or 0 when there is none.
int RoomLeft(int size, const char* path) {
    size_t length = 0;
    while (static_cast<int>(length) < size && path[length]) ++length;
    return size - static_cast<int>(length) - 1;
}

}  // namespace

void GetFileName(const char* path, char* out, int size) {
    if (!out || size <= 0) return;
    CopyString(out, IsEmptyString(path) ? "" : FileNamePart(path), size);
}

void GetFileExtension(const char* path, char* out, int size) {
    if (!out || size <= 0) return;
    const char* dot = IsEmptyString(path) ? nullptr : ExtensionDot(path);
    CopyString(out, dot ? dot + 1 : "", size);
}

void StripExtension(const char* path, char* out, int size) {
    if (!out || size <= 0) return;
    if (IsEmptyString(path)) {
        ClearString(out);
        return;
    }
    const char* dot = ExtensionDot(path);
    CopyPrefix(out, size, path, dot ? static_cast<size_t>(dot - path) : strlen(path));
}

void AppendPathComponent(int size, char* path, const char* component) {
    if (!path || size <= 0) return;
    int room = RoomLeft(size, path);
    if (room <= 0) {
        TerminateString(path, size);  // a full buffer still ends in a zero byte
        return;
    }
    if (*path && !EndsWithBackslash(path)) {
        AppendString(path, "\\", size);
        --room;
    }
    if (room > 0) AppendString(path, component, size);
    TerminateString(path, size);
}

void AppendDefaultExtension(int size, char* path, const char* extension) {
    if (!path || size <= 0 || IsEmptyString(extension)) return;
    if (RoomLeft(size, path) <= 0) {
        TerminateString(path, size);
        return;
    }
    if (!FindChar(FileNamePart(extension), '.')) AppendString(path, ".", size);
    AppendString(path, extension, size);
    TerminateString(path, size);
}

void CombinePath(const char* base, const char* relative, char* out, int size) {
    if (!out || size <= 0) return;
    if (IsEmptyString(relative)) {
        ClearString(out);
        return;
    }
    // out may be the same buffer as base; relative must not share out's storage.
    bool currentDirectoryBase = IsEmptyString(base) || StringsEqual(base, ".\\", false);
    CopyString(out, IsEmptyString(base) ? ".\\" : base, size);

    const char* remainder = relative;
    if (FindChar(relative, '\\')) {
        if (currentDirectoryBase || FindChar(relative, ':')) {
            CopyString(out, relative, size);
            return;
        }
        // Consume the leading "." and ".." components.
        for (;;) {
            const char* slash = FindChar(remainder, '\\');
            if (!slash) break;  // the last component is the remainder
            size_t length = static_cast<size_t>(slash - remainder);
            if (length == 2 && remainder[0] == '.' && remainder[1] == '.') {
                size_t outLength = strlen(out);
                if (outLength && EndsWithBackslash(out)) out[outLength - 1] = 0;
                char* last = FindLastChar(out, '\\');
                if (last)
                    *last = 0;
                else
                    ClearString(out);
            } else if (length == 1 && remainder[0] == '.') {
                // the current directory: nothing to do
            } else if (length == 0) {
                // A leading backslash: the rest is taken as it stands.
                ClearString(out);
                remainder = slash + 1;
                break;
            } else {
                break;
            }
            remainder = slash + 1;
        }
    }
    AppendPathComponent(size, out, remainder);
}

void MakeFilePath(const char* base, const char* name, const char* extension, char* out, int size) {
    if (!out || size <= 0) return;
    if (IsEmptyString(name)) {
        ClearString(out);
        return;
    }
    CombinePath(base, name, out, size);
    if (!IsEmptyString(extension) && !ExtensionDot(out)) AppendDefaultExtension(size, out, extension);
}
