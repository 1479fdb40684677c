// The file manager: name resolution, handles, directories, cache, checksums.
#include "files/crc32.h"
#include "files/file_manager.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "tests/support/catalog_bytes.h"
#include "tests/support/log_recorder.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

using catalogtest::Build;
using testsupport::LogRecorder;
using catalogtest::Pattern;

namespace {

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Made());
        m_fm.Initialize();
        m_fm.fmgSetRootDirectory(m_dir.Path());
    }
    void TearDown() override { m_fm.Shutdown(); }

    std::string Write(const std::string& name, const std::string& bytes) {
        EXPECT_TRUE(m_dir.Write(name, bytes));
        return m_dir.File(name);
    }
    std::string MakeDir(const std::string& name) {
        std::string path = m_dir.File(name);
        EXPECT_TRUE(plat::DirMake(path.c_str()));
        return path;
    }
    std::string OpenCatalog(const std::string& name, const std::string& bytes) {
        std::string path = Write(name, bytes);
        EXPECT_EQ(m_fm.fmgOpenCatalog(path.c_str()), 1);
        return path;
    }
    // Everything that is left to read from a handle.
    std::string ReadAll(int handle, uint32_t piece = 1000) {
        std::string text;
        std::vector<char> buffer(piece);
        for (;;) {
            int got = m_fm.fmgReadFile(handle, buffer.data(), piece);
            if (got <= 0) break;
            text.append(buffer.data(), static_cast<size_t>(got));
        }
        return text;
    }
    std::string Contents(const char* name) {
        int handle = m_fm.fmgOpenFile(name, 0);
        if (handle == -1) return "<not found>";
        std::string text = ReadAll(handle);
        m_fm.fmgCloseFile(handle);
        return text;
    }

    testsupport::ScratchDir m_dir;
    testsupport::WorkingDirGuard m_cwd;
    FileManager m_fm;
};

std::string Current() {
    char path[4096];
    plat::DirGetCurrent(path, sizeof path);
    return path;
}

}  // namespace

TEST(FileManagerLifecycle, InitialisationAndTeardownReleaseEverything) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    ASSERT_TRUE(dir.Write("plain.txt", "plain"));
    ASSERT_TRUE(dir.Write("data.cat", Build({{"member.txt", "member"}})));
    LogRecorder log;
    FileManager fm;
    fm.Initialize();
    EXPECT_TRUE(log.Has(LogSeverity::Info, "FileManager initialized..."));
    char text[kPathSize];
    fm.fmgGetRootDirectory(text, sizeof text);
    EXPECT_STREQ(text, ".\\");
    fm.fmgGetCacheDirectory(text, sizeof text);
    EXPECT_STREQ(text, "");

    fm.fmgSetRootDirectory(dir.Path());
    int plain = fm.fmgOpenFile("plain.txt", 0);
    ASSERT_GE(plain, 0);
    ASSERT_EQ(fm.fmgOpenCatalog(dir.File("data.cat").c_str()), 1);
    int member = fm.fmgOpenFile("member.txt", 0);
    ASSERT_NE(member, -1);
    testsupport::WorkingDirGuard cwd;
    ASSERT_EQ(fm.PushDirectory(), 1);

    fm.Shutdown();
    EXPECT_TRUE(log.Has(LogSeverity::Info, "File Manager deinitialized..."));
    EXPECT_EQ(fm.OpenHandleCount(), 0);
    EXPECT_EQ(fm.CatalogCount(), 0);
    EXPECT_EQ(fm.DirectoryDepth(), 0);
    char c;
    EXPECT_EQ(plat::FileRead(plain, &c, 1), -1);  // the descriptor was closed
    EXPECT_EQ(fm.fmgReadFile(member, &c, 1), 0);
}

TEST_F(FileManagerTest, TheCacheCopyWinsWhateverDirectoriesTheNameHas) {
    std::string cache = MakeDir("cache");
    MakeDir("deep");
    MakeDir("deep\\er");
    Write("deep\\er\\file.txt", "root copy");
    Write("cache\\file.txt", "cache copy");
    m_fm.fmgSetCacheDirectory(cache.c_str());
    EXPECT_EQ(Contents("deep\\er\\file.txt"), "root copy");  // caching is off
    m_fm.fmgEnableCache(1);
    EXPECT_EQ(Contents("deep\\er\\file.txt"), "cache copy");
    EXPECT_EQ(Contents("elsewhere\\file.txt"), "cache copy");
    EXPECT_EQ(m_fm.fmgGetFileSize("x\\y\\file.txt"), 10);
    m_fm.fmgEnableCache(0);
    EXPECT_EQ(Contents("deep\\er\\file.txt"), "root copy");
    EXPECT_EQ(m_fm.fmgFileExists("elsewhere\\file.txt", 1), 0);
}

TEST_F(FileManagerTest, NamesResolveToRootFilesBeforeCatalogsInOpeningOrder) {
    MakeDir("Menu");
    OpenCatalog("first.cat", Build({{"BUTTON.TGA", "first catalog"}, {"shared.ini", "from first"}}));
    OpenCatalog("second.cat", Build({{"button.tga", "second"}, {"only.ini", "only in second"}}));
    EXPECT_EQ(Contents("Menu\\Button.tga"), "first catalog");
    EXPECT_EQ(Contents("only.ini"), "only in second");
    Write("Menu\\Button.tga", "plain file");
    EXPECT_EQ(Contents("Menu\\Button.tga"), "plain file");
    EXPECT_EQ(Contents("Other\\Button.tga"), "first catalog");  // directories play no part in catalogs
    EXPECT_EQ(m_fm.fmgFileExists("only.ini", 0), 1);
    EXPECT_EQ(m_fm.fmgFileExists("only.ini", 1), 0);
    EXPECT_EQ(m_fm.fmgGetFileSize("shared.ini"), 10);

    LogRecorder log;
    EXPECT_EQ(m_fm.fmgOpenFile("nowhere.txt", 0), -1);
    EXPECT_TRUE(log.HasError("File nowhere.txt not found!"));
    EXPECT_EQ(m_fm.fmgOpenFile("", 0), -1);
    EXPECT_EQ(m_fm.fmgGetFileSize("nowhere.txt"), 0);
    EXPECT_EQ(m_fm.fmgGetCheckSum("nowhere.txt"), 0xFFFFFFFFu);
    EXPECT_EQ(m_fm.fmgFileExists("", 0), 0);
}

TEST_F(FileManagerTest, NamesLongerThanAPathBufferAreFoundNowhere) {
    // 259 characters fit; a 260-character name must not be cut into a 259-character one.
    std::string base(259 - strlen(m_dir.Path()) - 1, 'n');
    Write(base, "short");
    std::string fits = std::string(m_dir.Path()) + "\\" + base;
    ASSERT_EQ(fits.size(), 259u);
    m_fm.fmgSetRootDirectory("");
    EXPECT_EQ(Contents(fits.c_str()), "short");
    std::string longer = fits + "x";
    EXPECT_EQ(Contents(longer.c_str()), "<not found>");
    EXPECT_EQ(m_fm.fmgFileExists(longer.c_str(), 0), 0);
    EXPECT_EQ(m_fm.fmgGetFileSize(longer.c_str()), 0);
    // The same through the root: root + name must fit whole.
    m_fm.fmgSetRootDirectory(m_dir.Path());
    EXPECT_EQ(Contents(base.c_str()), "short");
    EXPECT_EQ(Contents((base + "x").c_str()), "<not found>");
    EXPECT_EQ(m_fm.fmgCreateFile((base + "yy").c_str()), -1);
}

TEST_F(FileManagerTest, TextsAreCopiedIntoTheirBuffersBounded) {
    std::string overlong(300, 'r');
    m_fm.fmgSetRootDirectory(overlong.c_str());
    testsupport::GuardedBuffer buffer;
    m_fm.fmgGetRootDirectory(buffer.data(), testsupport::GuardedBuffer::kSize);
    EXPECT_EQ(std::string(buffer.data()), std::string(259, 'r'));
    EXPECT_TRUE(buffer.CanaryIntact());
    char small[5];
    m_fm.fmgGetRootDirectory(small, sizeof small);
    EXPECT_STREQ(small, "rrrr");
    m_fm.fmgSetRootDirectory("");
    m_fm.fmgGetRootDirectory(small, sizeof small);
    EXPECT_STREQ(small, ".\\");
    m_fm.fmgSetRootDirectory(nullptr);
    m_fm.fmgGetRootDirectory(small, sizeof small);
    EXPECT_STREQ(small, ".\\");
}

TEST_F(FileManagerTest, HandlesOfPlainFilesAndMembers) {
    Write("plain.txt", "plain");
    OpenCatalog("data.cat", Build({{"a.txt", "member a"}, {"b.txt", "member b"}}));
    int plain = m_fm.fmgOpenFile("plain.txt", 0);
    int a = m_fm.fmgOpenFile("a.txt", 0);
    int b = m_fm.fmgOpenFile("b.txt", 0);
    ASSERT_GE(plain, 0);
    EXPECT_LT(plain, 65536);
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_EQ(a % 65536, 0);
    EXPECT_EQ(b % 65536, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(m_fm.OpenHandleCount(), 3);
    EXPECT_EQ(m_fm.FindCatalog(m_dir.File("data.cat").c_str())->OpenFileCount(), 2);
    // A member is read-only.
    EXPECT_EQ(m_fm.fmgWriteFile(a, "x", 1), 0);
    EXPECT_EQ(ReadAll(a), "member a");
    // Handles that are not open.
    char c;
    EXPECT_EQ(m_fm.fmgReadFile(12345 * 65536, &c, 1), 0);
    EXPECT_EQ(m_fm.fmgSeekFile(12345 * 65536, 0, 0), 0);
    EXPECT_EQ(m_fm.fmgWriteFile(-1, "x", 1), 0);
    m_fm.fmgCloseFile(777777);
    EXPECT_EQ(m_fm.OpenHandleCount(), 3);
    // A descriptor closed behind the file manager's back and handed out again
    // by the system: the stale record goes, the handle reads the new file.
    Write("second.txt", "second");
    ASSERT_EQ(plat::FileClose(plain), 0);
    int again = m_fm.fmgOpenFile("second.txt", 0);
    ASSERT_EQ(again, plain);  // the lowest free descriptor number
    EXPECT_EQ(m_fm.OpenHandleCount(), 3);
    EXPECT_EQ(ReadAll(again), "second");
    m_fm.fmgCloseFile(a);
    m_fm.fmgCloseFile(b);
    m_fm.fmgCloseFile(again);
    EXPECT_EQ(m_fm.OpenHandleCount(), 0);
    EXPECT_EQ(m_fm.FindCatalog(m_dir.File("data.cat").c_str())->OpenFileCount(), 0);
}

TEST_F(FileManagerTest, CreatedFilesAreWrittenUnderTheRoot) {
    Write("old.txt", "a much longer old text");
    int handle = m_fm.fmgCreateFile("old.txt");
    ASSERT_GE(handle, 0);
    EXPECT_EQ(m_fm.fmgWriteFile(handle, "new", 3), 3);
    m_fm.fmgCloseFile(handle);
    EXPECT_EQ(Contents("old.txt"), "new");  // truncated
    LogRecorder log;
    EXPECT_EQ(m_fm.fmgCreateFile(""), -1);
    EXPECT_EQ(m_fm.fmgCreateFile("missing\\dir\\x.txt"), -1);
    EXPECT_TRUE(log.HasError("Unable to create file missing\\dir\\x.txt!"));
}

TEST_F(FileManagerTest, MemberHandlesNeverRepeatAnOpenHandleAfterTheSequenceWraps) {
    OpenCatalog("data.cat", Build({{"keep.txt", "kept"}, {"churn.txt", "churn"}}));
    Write("plain.txt", "plain");
    int kept = m_fm.fmgOpenFile("keep.txt", 0);
    int plain = m_fm.fmgOpenFile("plain.txt", 0);
    ASSERT_NE(kept, -1);
    ASSERT_GE(plain, 0);
    // More members than the sequence has numbers: it wraps at least once.
    std::set<int> seen;
    for (int i = 0; i < FileManager::kMaxMemberSequence + 10; ++i) {
        int handle = m_fm.fmgOpenFile("churn.txt", 0);
        ASSERT_GT(handle, 0);
        ASSERT_EQ(handle % 65536, 0);
        ASSERT_NE(handle, kept);
        ASSERT_NE(handle, plain);
        seen.insert(handle);
        m_fm.fmgCloseFile(handle);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(FileManager::kMaxMemberSequence - 1));
    EXPECT_EQ(ReadAll(kept), "kept");
    EXPECT_EQ(ReadAll(plain), "plain");
}

TEST_F(FileManagerTest, CatalogsAreCountedByPathIgnoringCase) {
    std::string path = OpenCatalog("data.cat", Build({{"a.txt", "A"}}));
    std::string upper = path;
    for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(m_fm.fmgOpenCatalog(upper.c_str()), 1);  // the same catalog, one more reference
    EXPECT_EQ(m_fm.CatalogCount(), 1);
    m_fm.fmgCloseCatalog(path.c_str());
    EXPECT_EQ(Contents("a.txt"), "A");
    m_fm.fmgCloseCatalog("not open.cat");
    m_fm.fmgCloseCatalog(path.c_str());
    EXPECT_EQ(m_fm.CatalogCount(), 0);
    EXPECT_EQ(m_fm.fmgFileExists("a.txt", 0), 0);

    LogRecorder log;
    std::string bad = Write("bad.cat", "not a catalog at all, just text");
    EXPECT_EQ(m_fm.fmgOpenCatalog(bad.c_str()), 0);
    EXPECT_TRUE(log.HasError(bad + " is not a catalog file!"));
    EXPECT_TRUE(log.HasError("Error opening catalog file " + bad + "!"));
    EXPECT_EQ(m_fm.CatalogCount(), 0);
}

TEST_F(FileManagerTest, MembersOfAClosedCatalogReadNothingAndCloseQuietly) {
    std::string path = OpenCatalog("data.cat", Build({{"a.txt", "member a"}}));
    OpenCatalog("other.cat", Build({{"b.txt", "member b"}}));
    int a = m_fm.fmgOpenFile("a.txt", 0);
    int b = m_fm.fmgOpenFile("b.txt", 0);
    ASSERT_NE(a, -1);
    LogRecorder log;
    m_fm.fmgCloseCatalog(path.c_str());
    EXPECT_TRUE(log.HasError("Catalog file " + path + " is still in use! (OpenFileCount = 1)"));
    char buffer[8];
    EXPECT_EQ(m_fm.fmgReadFile(a, buffer, sizeof buffer), 0);
    EXPECT_EQ(m_fm.fmgSeekFile(a, 0, 0), 0);
    EXPECT_EQ(m_fm.OpenHandleCount(), 2);
    m_fm.fmgCloseFile(a);
    EXPECT_EQ(m_fm.OpenHandleCount(), 1);
    m_fm.fmgCloseAllCatalogs();
    EXPECT_EQ(m_fm.fmgReadFile(b, buffer, sizeof buffer), 0);
    m_fm.fmgCloseFile(b);
    EXPECT_EQ(m_fm.OpenHandleCount(), 0);
}

TEST_F(FileManagerTest, ARawDescriptorCannotDisturbMemberHandles) {
    std::string first = Pattern("one ", 400);
    std::string second = Pattern("two ", 400);
    OpenCatalog("data.cat", Build({{"one.dat", first}, {"two.dat", second}}));
    int member = m_fm.fmgOpenFile("two.dat", 0);
    int raw = m_fm.fmgOpenFile("one.dat", 1);
    ASSERT_NE(member, -1);
    ASSERT_GE(raw, 0);
    EXPECT_EQ(m_fm.OpenHandleCount(), 1);  // the raw descriptor has no record
    char buffer[100];
    ASSERT_EQ(m_fm.fmgReadFile(member, buffer, 100), 100);
    // The client moves and reads the catalog file as it likes.
    ASSERT_GE(plat::FileSeek(raw, 0, plat::SeekSet), 0);
    ASSERT_EQ(plat::FileRead(raw, buffer, 50), 50);
    ASSERT_EQ(m_fm.fmgReadFile(member, buffer, 100), 100);
    EXPECT_EQ(std::string(buffer, 100), second.substr(100, 100));
    EXPECT_EQ(m_fm.fmgOpenFile("two.dat", 1), raw);  // one per catalog
}

TEST_F(FileManagerTest, MemberSeeksGiveAbsoluteOffsets) {
    std::string data = Pattern("0123456789", 100);
    OpenCatalog("data.cat", Build({{"pad.bin", "padding"}, {"m.bin", data}}));
    int handle = m_fm.fmgOpenFile("m.bin", 0);
    const int start = static_cast<int>(m_fm.FindCatalog(m_dir.File("data.cat").c_str())->Entry(1)->offset);
    EXPECT_EQ(m_fm.fmgSeekFile(handle, 95, 0), start + 95);
    EXPECT_EQ(ReadAll(handle), data.substr(95));
    EXPECT_EQ(m_fm.fmgSeekFile(handle, -10, 2), start + 90);
    EXPECT_EQ(ReadAll(handle), data.substr(90));
    EXPECT_EQ(m_fm.fmgSeekFile(handle, -1, 0), -1);
}

TEST_F(FileManagerTest, DirectoryStackAndDirectoryExists) {
    std::string start = Current();
    std::string sub = MakeDir("sub");
    LogRecorder log;
    m_fm.PopDirectory();  // empty: nothing happens
    EXPECT_EQ(Current(), start);
    EXPECT_EQ(m_fm.fmgDirectoryExists(sub.c_str()), 1);
    EXPECT_EQ(Current(), start);
    EXPECT_EQ(m_fm.fmgDirectoryExists(m_dir.File("absent").c_str()), 0);
    EXPECT_EQ(Current(), start);
    EXPECT_EQ(m_fm.fmgDirectoryExists(""), 0);
    EXPECT_EQ(m_fm.fmgChangeDirectory(""), 0);
    ASSERT_EQ(m_fm.PushDirectory(), 1);
    ASSERT_EQ(m_fm.fmgChangeDirectory(sub.c_str()), 1);
    ASSERT_EQ(m_fm.PushDirectory(), 1);
    ASSERT_EQ(m_fm.fmgChangeDirectory(m_dir.Path()), 1);
    m_fm.PopDirectory();
    EXPECT_EQ(Current(), sub);
    m_fm.PopDirectory();
    EXPECT_EQ(Current(), start);
    EXPECT_EQ(m_fm.DirectoryDepth(), 0);
    EXPECT_EQ(log.Size(), 0u) << log.All();
}

TEST_F(FileManagerTest, TheDirectoryStackHoldsAtMost16384Entries) {
    LogRecorder log;
    for (int i = 0; i < FileManager::kMaxDirectoryDepth; ++i) ASSERT_EQ(m_fm.PushDirectory(), 1) << i;
    EXPECT_EQ(m_fm.PushDirectory(), 0);
    EXPECT_TRUE(log.HasError("Error PushDirectory - unable to push directory " + Current()));
    EXPECT_EQ(m_fm.DirectoryDepth(), FileManager::kMaxDirectoryDepth);
    for (int i = 0; i < FileManager::kMaxDirectoryDepth; ++i) m_fm.PopDirectory();
    EXPECT_EQ(m_fm.DirectoryDepth(), 0);
}

TEST_F(FileManagerTest, CacheFilesAreWrittenOnlyWhileCachingIsOn) {
    std::string cache = m_dir.File("made\\");
    m_fm.fmgSetCacheDirectory(m_dir.File("made").c_str());
    EXPECT_TRUE(plat::DirExists(m_dir.File("made").c_str()));  // created when missing
    EXPECT_EQ(m_fm.fmgWriteCacheFile("list.dat", "abc", 3), 0);  // caching is off
    m_fm.fmgEnableCache(1);
    EXPECT_EQ(m_fm.fmgWriteCacheFile("list.dat", "abc", 0), 0);
    EXPECT_EQ(m_fm.fmgWriteCacheFile("list.dat", nullptr, 3), 0);
    EXPECT_EQ(m_fm.fmgWriteCacheFile("", "abc", 3), 0);
    EXPECT_FALSE(plat::FileIsPlain((cache + "list.dat").c_str()));
    EXPECT_EQ(m_fm.fmgWriteCacheFile("some\\dir\\list.dat", "abc", 3), 1);
    EXPECT_TRUE(plat::FileIsPlain((cache + "list.dat").c_str()));
    EXPECT_EQ(Contents("list.dat"), "abc");

    LogRecorder log;
    Write("made\\file-not-dir", "x");  // a file where the directory should be
    m_fm.fmgSetCacheDirectory(m_dir.File("made\\file-not-dir").c_str());
    EXPECT_EQ(m_fm.fmgWriteCacheFile("x.dat", "abc", 3), 0);
    EXPECT_TRUE(log.HasError("Unable to create cache file " + m_dir.File("made\\file-not-dir\\x.dat") + "!"));
    m_fm.fmgSetCacheDirectory("");
    char text[kPathSize];
    m_fm.fmgGetCacheDirectory(text, sizeof text);
    EXPECT_STREQ(text, ".\\");
}

TEST_F(FileManagerTest, ClearingTheCacheDeletesOnlyTheCachesFiles) {
    std::string cache = MakeDir("cache");
    MakeDir("cache\\keep");
    Write("cache\\a.dat", "a");
    Write("cache\\b", "b");
    Write("cache\\keep\\inner.dat", "inner");
    Write("game.ini", "the game's own file");
    ASSERT_TRUE(plat::DirChange(m_dir.Path()));
    std::string start = Current();

    // No cache directory yet: the working directory's files stay.
    m_fm.fmgClearCache();
    EXPECT_TRUE(plat::FileIsPlain(m_dir.File("game.ini").c_str()));
    // A cache directory that cannot be entered: nothing is deleted either.
    m_fm.fmgSetCacheDirectory(m_dir.File("cache").c_str());
    Write("gone", "x");
    m_fm.fmgSetCacheDirectory(m_dir.File("gone").c_str());  // a file, not a directory
    m_fm.fmgClearCache();
    EXPECT_TRUE(plat::FileIsPlain(m_dir.File("game.ini").c_str()));
    EXPECT_EQ(Current(), start);

    m_fm.fmgSetCacheDirectory(cache.c_str());
    m_fm.fmgClearCache();
    EXPECT_FALSE(plat::FileIsPlain(m_dir.File("cache\\a.dat").c_str()));
    EXPECT_FALSE(plat::FileIsPlain(m_dir.File("cache\\b").c_str()));
    EXPECT_TRUE(plat::FileIsPlain(m_dir.File("cache\\keep\\inner.dat").c_str()));
    EXPECT_TRUE(plat::FileIsPlain(m_dir.File("game.ini").c_str()));
    EXPECT_EQ(Current(), start);
    EXPECT_EQ(m_fm.DirectoryDepth(), 0);
}

TEST_F(FileManagerTest, ChecksumsAreTheStandardCrcOfTheResolvedFile) {
    Write("check.txt", "123456789");
    Write("empty.txt", "");
    OpenCatalog("data.cat", Build({{"inside.txt", "123456789"}}));
    EXPECT_EQ(m_fm.fmgGetCheckSum("check.txt"), 0xCBF43926u);
    EXPECT_EQ(m_fm.fmgGetCheckSum("inside.txt"), 0xCBF43926u);
    EXPECT_EQ(m_fm.fmgGetCheckSum("empty.txt"), 0u);
    EXPECT_EQ(m_fm.fmgVerifyFile("inside.txt", 9, 0xCBF43926u), 1);
    EXPECT_EQ(m_fm.fmgVerifyFile("inside.txt", 8, 0xCBF43926u), 0);
    EXPECT_EQ(m_fm.fmgVerifyFile("inside.txt", 9, 0xCBF43927u), 0);
    EXPECT_EQ(m_fm.fmgVerifyFile("absent.txt", 0, 0xFFFFFFFFu), 0);
    // A file larger than one piece of the reading loop.
    std::string large = Pattern("large file contents, ", 3 * 1024 * 1024 + 7);
    Write("large.bin", large);
    EXPECT_EQ(m_fm.fmgGetCheckSum("large.bin"), Crc32Bytewise(0, large.data(), large.size()));
    EXPECT_EQ(m_fm.OpenHandleCount(), 0);
}

namespace {

// Replaces single operations, as a client patching the table would; the
// others must go through the replacements.
class RecordingFileManager : public FileManager {
public:
    int fmgChangeDirectory(const char* path) override {
        ++changes;
        return FileManager::fmgChangeDirectory(path);
    }
    int fmgReadFile(int handle, void* buffer, uint32_t count) override {
        if (count > largestRead) largestRead = count;
        return FileManager::fmgReadFile(handle, buffer, count);
    }
    uint32_t fmgGetCheckSum(const char*) override { return 42; }
    int changes = 0;
    uint32_t largestRead = 0;
};

}  // namespace

TEST(FileManagerTable, OperationsCallOneAnotherThroughTheTable) {
    testsupport::ScratchDir dir;
    testsupport::WorkingDirGuard cwd;
    ASSERT_TRUE(dir.Made());
    std::string large(2 * 1024 * 1024, 'z');
    ASSERT_TRUE(dir.Write("large.bin", large));
    RecordingFileManager fm;
    fm.Initialize();
    fm.fmgSetRootDirectory(dir.Path());
    EXPECT_EQ(fm.fmgDirectoryExists(dir.Path()), 1);
    EXPECT_EQ(fm.changes, 2);  // the change, and the way back
    EXPECT_EQ(fm.fmgVerifyFile("large.bin", static_cast<int>(large.size()), 42), 1);
    // The checksum reads through fmgReadFile in pieces, not the whole file at once.
    EXPECT_EQ(fm.FileManager::fmgGetCheckSum("large.bin"), Crc32Bytewise(0, large.data(), large.size()));
    EXPECT_GT(fm.largestRead, 0u);
    EXPECT_LE(fm.largestRead, 256u * 1024u);
    fm.Shutdown();
}

TEST_F(FileManagerTest, ThreadsReadingDifferentMembersGetTheirOwnBytes) {
    const int kThreads = 4;
    std::vector<catalogtest::Member> members;
    for (int i = 0; i < kThreads; ++i)
        members.push_back({"m" + std::to_string(i) + ".dat", Pattern("member " + std::to_string(i) + " ", 64 * 1024 + i)});
    OpenCatalog("data.cat", Build(members));
    std::vector<std::string> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t, &got] {
            for (int round = 0; round < 5; ++round) {
                int handle = m_fm.fmgOpenFile(("m" + std::to_string(t) + ".dat").c_str(), 0);
                if (handle == -1) return;
                std::string text;
                char buffer[97];  // odd pieces, so reads of the threads interleave
                int n;
                while ((n = m_fm.fmgReadFile(handle, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
                m_fm.fmgCloseFile(handle);
                if (round == 0 || text != got[t]) got[t] = round == 0 ? text : "mismatch in round " + std::to_string(round);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(got[t], members[t].data) << "thread " << t;
    EXPECT_EQ(m_fm.OpenHandleCount(), 0);
}
