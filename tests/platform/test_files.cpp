// File descriptors through the C runtime: binary writes and reads, seeking,
// length, replacement and deletion, and the opens that must fail.
#include "platform/platform.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::ScratchDir;

namespace {

std::string ReadAll(const std::string& path) {
    int fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Sequential);
    if (fd < 0) return "<missing>";
    std::string contents;
    char buffer[64];
    int got;
    while ((got = plat::FileRead(fd, buffer, sizeof buffer)) > 0) contents.append(buffer, static_cast<size_t>(got));
    plat::FileClose(fd);
    return contents;
}

}  // namespace

TEST(Files, WriteReadSeekAndLengthInBinaryMode) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Made());
    const std::string path = scratch.File("data.bin");
    const std::string bytes("0123\r\n\n\x1a" "89\0Z", 12);
    int fd = plat::FileCreateWrite(path.c_str(), plat::AccessHint::Random);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(12, plat::FileWrite(fd, bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(12, plat::FileTell(fd));
    EXPECT_TRUE(plat::FileFlushToDisk(fd));
    EXPECT_EQ(0, plat::FileClose(fd));
    EXPECT_TRUE(plat::FileIsPlain(path.c_str()));

    fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Random);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(12, plat::FileLength(fd));
    char buffer[16] = {};
    EXPECT_EQ(12, plat::FileRead(fd, buffer, sizeof buffer));  // no CR LF translation, no stop at 0x1A
    EXPECT_EQ(bytes, std::string(buffer, 12));
    EXPECT_EQ(0, plat::FileRead(fd, buffer, sizeof buffer));    // end of file
    EXPECT_EQ(9, plat::FileSeek(fd, -3, plat::SeekEnd));
    EXPECT_EQ(2, plat::FileRead(fd, buffer, 2));
    EXPECT_EQ(std::string("9\0", 2), std::string(buffer, 2));
    EXPECT_EQ(4, plat::FileSeek(fd, 4, plat::SeekSet));
    EXPECT_EQ(6, plat::FileSeek(fd, 2, plat::SeekCur));
    EXPECT_EQ(6, plat::FileTell(fd));
    EXPECT_EQ(1, plat::FileRead(fd, buffer, 1));
    EXPECT_EQ('\n', buffer[0]);
    EXPECT_EQ(-1, plat::FileSeek(fd, -100, plat::SeekSet));
    EXPECT_EQ(-1, plat::FileWrite(fd, "x", 1));  // opened for reading only
    EXPECT_EQ(0, plat::FileClose(fd));
}

TEST(Files, CreateTruncatesAndReplaceOverwrites) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Made());
    const std::string target = scratch.File("Options.ini");
    const std::string fresh = scratch.File("Options.tmp");
    ASSERT_TRUE(scratch.Write("Options.ini", "a long old text"));
    ASSERT_TRUE(scratch.Write("Options.ini", "short"));
    EXPECT_EQ("short", ReadAll(target));

    ASSERT_TRUE(scratch.Write("Options.tmp", "new"));
    EXPECT_TRUE(plat::FileReplace(fresh.c_str(), target.c_str()));
    EXPECT_EQ("new", ReadAll(target));
    EXPECT_FALSE(plat::FileIsPlain(fresh.c_str()));
    EXPECT_FALSE(plat::FileReplace(fresh.c_str(), target.c_str()));  // the source is gone
    EXPECT_FALSE(plat::FileReplace(nullptr, target.c_str()));

    EXPECT_TRUE(plat::FileDelete(target.c_str()));
    EXPECT_FALSE(plat::FileIsPlain(target.c_str()));
    EXPECT_FALSE(plat::FileDelete(target.c_str()));
    EXPECT_FALSE(plat::FileDelete(""));
    EXPECT_FALSE(plat::FileDelete(nullptr));
}

TEST(Files, OpensThatMustFail) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Made());
    EXPECT_EQ(-1, plat::FileOpenRead(scratch.File("missing.ini").c_str(), plat::AccessHint::Random));
    EXPECT_EQ(-1, plat::FileOpenRead(scratch.Path(), plat::AccessHint::Sequential));
    EXPECT_FALSE(plat::FileIsPlain(scratch.Path()));
    EXPECT_EQ(-1, plat::FileCreateWrite(scratch.File("missing\\x.ini").c_str(), plat::AccessHint::Random));
    EXPECT_EQ(-1, plat::FileOpenRead("", plat::AccessHint::Random));
    EXPECT_EQ(-1, plat::FileOpenRead(nullptr, plat::AccessHint::Random));
    char byte;
    EXPECT_EQ(-1, plat::FileRead(-1, &byte, 1));
    EXPECT_EQ(-1, plat::FileLength(-1));
    EXPECT_EQ(-1, plat::FileSeek(-1, 0, plat::SeekSet));
    EXPECT_EQ(-1, plat::FileClose(-1));
}
