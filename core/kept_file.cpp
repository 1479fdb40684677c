#include "core/kept_file.h"

#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "shell_base/log.h"

#include <cstdio>
#include <cstring>

namespace {

const int kChunk = 8192;
const int kMostCopies = 9;

bool HoldsNul(const char* path) {
    const int fd = plat::FileOpenRead(path, plat::AccessHint::Sequential);
    if (fd < 0) return false;
    char chunk[kChunk];
    bool nul = false;
    for (int read; !nul && (read = plat::FileRead(fd, chunk, sizeof chunk)) > 0;)
        nul = memchr(chunk, 0, static_cast<size_t>(read)) != nullptr;
    plat::FileClose(fd);
    return nul;
}

// The first of "<path>.bad", "<path>.bad2" ... that is free; false when none
// is or the name does not fit a path buffer. An older copy is never replaced.
bool FreeCopyName(const char* path, char* copy, int size) {
    for (int n = 1; n <= kMostCopies; ++n) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, n == 1 ? ".bad" : ".bad%d", n);
        if (strlen(path) + strlen(suffix) >= static_cast<size_t>(size)) return false;
        CopyString(copy, path, size);
        AppendString(copy, suffix, size);
        if (!plat::FileIsPlain(copy) && !plat::DirExists(copy)) return true;
    }
    return false;
}

bool CopyWhole(const char* from, const char* to) {
    const int in = plat::FileOpenRead(from, plat::AccessHint::Sequential);
    if (in < 0) return false;
    const int out = plat::FileCreateWrite(to, plat::AccessHint::Sequential);
    bool ok = out >= 0;
    char chunk[kChunk];
    int read = 0;
    while (ok && (read = plat::FileRead(in, chunk, sizeof chunk)) > 0)
        ok = plat::FileWrite(out, chunk, static_cast<uint32_t>(read)) == read;
    ok = ok && read == 0;
    plat::FileClose(in);
    if (out >= 0) {
        ok = plat::FileClose(out) == 0 && ok;
        // Half a copy would pass for the whole file.
        if (!ok) plat::FileDelete(to);
    }
    return ok;
}

}  // namespace

KeptFile KeepIfNotText(const char* path) {
    if (IsEmptyString(path) || !HoldsNul(path)) return KeptFile::Text;
    char copy[kPathSize];
    if (FreeCopyName(path, copy, sizeof copy) && CopyWhole(path, copy)) {
        LogWarning("%s is not a text file; it is kept as %s and rewritten from defaults.", path, copy);
        return KeptFile::Kept;
    }
    LogWarning("%s is not a text file and no copy of it could be written; it is rewritten from defaults.", path);
    return KeptFile::NotKept;
}
