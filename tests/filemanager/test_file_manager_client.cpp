// The client helpers reach the file manager bound in the service access layer.
#include "files/directories.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "tests/support/scratch_dir.h"
#include "varn/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class CountingFileManager : public FileManager {
public:
    int fmgChangeDirectory(const char* path) override {
        ++changes;
        return FileManager::fmgChangeDirectory(path);
    }
    int changes = 0;
};

// Hands out the one file manager as "FMG" and nothing else.
class OneServiceRegistry : public IInterfaceManager {
public:
    explicit OneServiceRegistry(IFileManager* files) : m_files(files) {}
    int32_t RegisterInterface(const char*, void*, uintptr_t) override { return 0; }
    int32_t UnregisterInterface(const char*) override { return 0; }
    int32_t GetInterface(const char* id, void** out) override {
        if (strcmp(id, "FMG") != 0) return 0;
        *out = m_files;
        ++held;
        return 1;
    }
    int32_t ReleaseInterface(const char*, void** holder) override {
        if (!*holder) return 0;
        *holder = nullptr;
        --held;
        return 1;
    }
    int32_t TryReleaseOwner(uintptr_t, DelayedReleaseCallback) override { return 1; }
    int held = 0;

private:
    IFileManager* m_files;
};

}  // namespace

TEST(FileManagerClient, HelpersGoThroughTheBoundFileManagerOnly) {
    testsupport::ScratchDir dir;
    testsupport::WorkingDirGuard cwd;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("five.txt", "12345"));
    CountingFileManager files;
    files.Initialize();
    files.fmgSetRootDirectory(dir.Path());

    // Unbound: nothing is found, nothing is pushed.
    EXPECT_EQ(FileExistsVia("five.txt", 1), 0);
    EXPECT_EQ(FileSizeVia("five.txt"), 0);
    PushDirectoryVia();
    EXPECT_EQ(files.DirectoryDepth(), 0);
    EXPECT_TRUE(ChangeDirectory(dir.Path()));
    EXPECT_EQ(files.changes, 0);

    OneServiceRegistry registry(&files);
    ShellSetRegistry(&registry);
    ShellAttachHost(nullptr);
    ASSERT_EQ(ShellGetFileManager(), &files);
    EXPECT_EQ(FileExistsVia("five.txt", 1), 1);
    EXPECT_EQ(FileExistsVia("", 0), 0);
    EXPECT_EQ(FileSizeVia("five.txt"), 5);
    PushDirectoryVia();
    EXPECT_EQ(files.DirectoryDepth(), 1);
    EXPECT_TRUE(ChangeDirectory(cwd.Path()));
    EXPECT_EQ(files.changes, 1);
    PopDirectoryVia();
    EXPECT_EQ(files.DirectoryDepth(), 0);
    EXPECT_EQ(files.changes, 2);

    ShellDetachHost();
    ShellSetRegistry(nullptr);
    EXPECT_EQ(registry.held, 0);
    EXPECT_EQ(FileSizeVia("five.txt"), 0);
    files.Shutdown();
}
