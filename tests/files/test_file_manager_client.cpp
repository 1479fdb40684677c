// The client helpers reach the file manager bound in the service access layer.
#include "files/directories.h"
#include "files/file_manager.h"
#include "shell/shell.h"
#include "tests/support/fake_registry.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

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

    testsupport::FakeRegistry registry;  // "FMG" and nothing else
    registry.objects["FMG"] = static_cast<IFileManager*>(&files);
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
