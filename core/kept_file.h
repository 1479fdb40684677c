// Keeping the player's files: a settings file that is not text (it holds NUL
// bytes, as a file cut by a crash or overwritten by another program does) is
// copied beside itself before the host rewrites it from defaults, so that its
// bytes are not lost. The log says where the copy went.
#pragma once

enum class KeptFile {
    Text,     // no NUL byte (or no such file): nothing to keep
    Kept,     // copied to "<name>.bad" (or .bad2 ... .bad9 when taken)
    NotKept,  // not text, but no copy could be written (read-only folder, ...)
};

// Looks at the file at path and, when it is not text, copies it beside itself.
// The file itself is never changed.
KeptFile KeepIfNotText(const char* path);
