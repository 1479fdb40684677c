// A settings file that is not text is copied beside itself before it is
// rewritten: which files count, the copy's name and bytes, and the starts
// that go on without a copy.
#include "core/kept_file.h"
#include "core_fixture.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/tool_run.h"

#include <string>

using coretest::LogRecorder;
using testsupport::ReadWholeFile;

namespace {

TEST(KeptFile, OnlyAFileHoldingANulByteIsCopiedAndNeverOverAnOlderCopy) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = dir.File("startup.ini");
    LogRecorder log;
    // Text, however long, and a missing file are left alone.
    ASSERT_TRUE(dir.Write("startup.ini", std::string(20000, 'a') + "\r\n\xE9\xFF"));
    EXPECT_EQ(KeptFile::Text, KeepIfNotText(path.c_str()));
    EXPECT_EQ(KeptFile::Text, KeepIfNotText(dir.File("none.ini").c_str()));
    EXPECT_FALSE(plat::FileIsPlain((path + ".bad").c_str()));
    EXPECT_EQ(0u, log.Size()) << log.All();

    // A NUL past the first 8 KiB read counts too; each copy takes the next free name.
    const std::string first = std::string(9000, 'x') + std::string("\0garbage", 8);
    const std::string second = std::string("\0\1\2", 3);
    ASSERT_TRUE(dir.Write("startup.ini", first));
    EXPECT_EQ(KeptFile::Kept, KeepIfNotText(path.c_str()));
    ASSERT_TRUE(dir.Write("startup.ini", second));
    EXPECT_EQ(KeptFile::Kept, KeepIfNotText(path.c_str()));
    EXPECT_EQ(first, ReadWholeFile(path + ".bad"));
    EXPECT_EQ(second, ReadWholeFile(path + ".bad2"));
    EXPECT_EQ(second, ReadWholeFile(path));  // the file itself is untouched
    EXPECT_TRUE(log.Has(LogSeverity::Warning, path + " is not a text file; it is kept as " + path +
                                                  ".bad2 and rewritten from defaults."))
        << log.All();
}

TEST(KeptFile, WithoutRoomForACopyTheStartGoesOnAndNoHalfCopyIsLeft) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = dir.File("Options.ini");
    ASSERT_TRUE(dir.Write("Options.ini", std::string(100, '\0')));
    LogRecorder log;
    plat::FileFailNth(plat::FileOp::Write, 1);  // the disk is full
    EXPECT_EQ(KeptFile::NotKept, KeepIfNotText(path.c_str()));
    plat::FileFailNth(plat::FileOp::Write, 0);
    EXPECT_FALSE(plat::FileIsPlain((path + ".bad").c_str()));
    EXPECT_TRUE(log.Has(LogSeverity::Warning, path + " is not a text file and no copy of it could be written; it is "
                                                     "rewritten from defaults."))
        << log.All();
    // A name whose copy would not fit a path buffer is not cut short.
    const std::string deep = dir.File(std::string(kPathSize - 4 - dir.File("").size(), 'd'));
    ASSERT_LT(deep.size(), static_cast<size_t>(kPathSize));
    ASSERT_TRUE(dir.Write(deep.substr(dir.File("").size()), std::string(1, '\0')));
    EXPECT_EQ(KeptFile::NotKept, KeepIfNotText(deep.c_str()));
}

}  // namespace
