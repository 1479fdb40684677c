// The path helpers: name and extension parts, appending components and default
// extensions, and the rules for combining a base directory with a relative name.
#include "files/paths.h"
#include "files/strings.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::GuardedBuffer;

namespace {

std::string Combine(const char* base, const char* relative) {
    char out[kPathSize];
    memset(out, 'Z', sizeof out);
    CombinePath(base, relative, out, sizeof out);
    return out;
}

std::string FilePath(const char* base, const char* name, const char* extension) {
    char out[kPathSize];
    memset(out, 'Z', sizeof out);
    MakeFilePath(base, name, extension, out, sizeof out);
    return out;
}

template <void (*Part)(const char*, char*, int)>
std::string PartOf(const char* path) {
    char out[kPathSize];
    memset(out, 'Z', sizeof out);
    Part(path, out, sizeof out);
    return out;
}

}  // namespace

TEST(PathParts, FileName) {
    EXPECT_EQ("Menu.ini", PartOf<GetFileName>("C:\\Game\\Menu\\Menu.ini"));
    EXPECT_EQ("Menu.ini", PartOf<GetFileName>("Menu.ini"));
    EXPECT_EQ("", PartOf<GetFileName>("C:\\Game\\"));
    EXPECT_EQ("", PartOf<GetFileName>(""));
    EXPECT_EQ("", PartOf<GetFileName>(nullptr));
    // Forward slashes are not separators in this system.
    EXPECT_EQ("a/b.ini", PartOf<GetFileName>("x\\a/b.ini"));
}

TEST(PathParts, Extension) {
    EXPECT_EQ("ini", PartOf<GetFileExtension>("C:\\Game\\a.b.ini"));
    EXPECT_EQ("", PartOf<GetFileExtension>("Menu.dir\\readme"));
    EXPECT_EQ("", PartOf<GetFileExtension>("name."));
    EXPECT_EQ("cat", PartOf<GetFileExtension>(".cat"));
    EXPECT_EQ("", PartOf<GetFileExtension>(""));
    EXPECT_EQ("", PartOf<GetFileExtension>(nullptr));
}

TEST(PathParts, StripExtension) {
    EXPECT_EQ("Data\\b.c", PartOf<StripExtension>("Data\\b.c.ini"));
    EXPECT_EQ("Menu.dir\\readme", PartOf<StripExtension>("Menu.dir\\readme"));
    EXPECT_EQ("Data\\", PartOf<StripExtension>("Data\\.ini"));
    EXPECT_EQ("", PartOf<StripExtension>(""));
    EXPECT_EQ("", PartOf<StripExtension>(nullptr));
}

TEST(PathParts, BoundedOutputs) {
    const std::string longName = "Dir\\" + std::string(300, 'n') + ".ext";
    GuardedBuffer name, stripped, extension;
    GetFileName(longName.c_str(), name.data(), GuardedBuffer::kSize);
    StripExtension(longName.c_str(), stripped.data(), GuardedBuffer::kSize);
    GetFileExtension(longName.c_str(), extension.data(), 3);
    EXPECT_EQ(std::string(259, 'n'), name.data());
    EXPECT_EQ("Dir\\" + std::string(255, 'n'), stripped.data());
    EXPECT_STREQ("ex", extension.data());
    EXPECT_TRUE(name.CanaryIntact());
    EXPECT_TRUE(stripped.CanaryIntact());
    EXPECT_TRUE(extension.CanaryIntact());

    char untouched[4] = "abc";
    GetFileName("x\\y", untouched, 0);
    GetFileExtension("x.y", untouched, -1);
    StripExtension("x.y", untouched, 0);
    CombinePath("a", "b", untouched, 0);
    MakeFilePath("a", "b", "c", untouched, -2);
    EXPECT_STREQ("abc", untouched);
}

TEST(PathAppend, Component) {
    char path[kPathSize] = "";
    AppendPathComponent(sizeof path, path, "Data");
    EXPECT_STREQ("Data", path);  // no separator before the first component
    AppendPathComponent(sizeof path, path, "Sub");
    EXPECT_STREQ("Data\\Sub", path);
    CopyString(path, "Data\\", sizeof path);
    AppendPathComponent(sizeof path, path, "x.ini");
    EXPECT_STREQ("Data\\x.ini", path);
}

TEST(PathAppend, ComponentAtTheBufferLimit) {
    // Full buffer: nothing happens.
    GuardedBuffer full;
    const std::string base259(259, 'a');
    CopyString(full.data(), base259.c_str(), GuardedBuffer::kSize);
    AppendPathComponent(GuardedBuffer::kSize, full.data(), "x");
    EXPECT_EQ(base259, full.data());
    EXPECT_TRUE(full.CanaryIntact());

    // Room for the separator only.
    GuardedBuffer separatorOnly;
    const std::string base258(258, 'a');
    CopyString(separatorOnly.data(), base258.c_str(), GuardedBuffer::kSize);
    AppendPathComponent(GuardedBuffer::kSize, separatorOnly.data(), "xyz");
    EXPECT_EQ(base258 + "\\", separatorOnly.data());
    EXPECT_TRUE(separatorOnly.CanaryIntact());

    // Room for part of the component.
    GuardedBuffer partial;
    const std::string base256(256, 'a');
    CopyString(partial.data(), base256.c_str(), GuardedBuffer::kSize);
    AppendPathComponent(GuardedBuffer::kSize, partial.data(), "xyz");
    EXPECT_EQ(base256 + "\\xy", partial.data());
    EXPECT_TRUE(partial.CanaryIntact());
}

TEST(PathAppend, UnterminatedBufferIsTerminatedNotExtended) {
    GuardedBuffer unterminated;
    memset(unterminated.data(), 'u', GuardedBuffer::kSize);
    AppendPathComponent(GuardedBuffer::kSize, unterminated.data(), "x");
    EXPECT_EQ(std::string(259, 'u'), unterminated.data());
    EXPECT_TRUE(unterminated.CanaryIntact());
    memset(unterminated.data(), 'u', GuardedBuffer::kSize);
    AppendDefaultExtension(GuardedBuffer::kSize, unterminated.data(), "INI");
    EXPECT_EQ(std::string(259, 'u'), unterminated.data());
    EXPECT_TRUE(unterminated.CanaryIntact());
}

TEST(PathAppend, DefaultExtension) {
    char path[kPathSize] = "name";
    AppendDefaultExtension(sizeof path, path, "INI");
    EXPECT_STREQ("name.INI", path);
    CopyString(path, "name", sizeof path);
    AppendDefaultExtension(sizeof path, path, ".INI");
    EXPECT_STREQ("name.INI", path);
    AppendDefaultExtension(sizeof path, path, "");
    AppendDefaultExtension(sizeof path, path, nullptr);
    EXPECT_STREQ("name.INI", path);

    GuardedBuffer nearlyFull;
    const std::string base257(257, 'a');
    CopyString(nearlyFull.data(), base257.c_str(), GuardedBuffer::kSize);
    AppendDefaultExtension(GuardedBuffer::kSize, nearlyFull.data(), "INI");
    EXPECT_EQ(base257 + ".I", nearlyFull.data());
    EXPECT_TRUE(nearlyFull.CanaryIntact());
}

TEST(CombinePath, TheDocumentedExamples) {
    EXPECT_EQ("C:\\Game\\Menu\\Menu.ini", Combine("C:\\Game", "Menu\\Menu.ini"));
    EXPECT_EQ("Data\\x.cat", Combine("Data\\Sub", "..\\x.cat"));
    EXPECT_EQ(".\\a.ini", Combine(".\\", "a.ini"));
    EXPECT_EQ("D:\\x\\y.ini", Combine("C:\\Game", "D:\\x\\y.ini"));
    EXPECT_EQ("x\\y.ini", Combine("C:\\Game", "\\x\\y.ini"));
}

TEST(CombinePath, EmptyInputs) {
    EXPECT_EQ("", Combine("C:\\Game", ""));
    EXPECT_EQ("", Combine("C:\\Game", nullptr));
    EXPECT_EQ(".\\a.ini", Combine("", "a.ini"));
    EXPECT_EQ(".\\a.ini", Combine(nullptr, "a.ini"));
}

TEST(CombinePath, CurrentDirectoryBaseKeepsRelativePaths) {
    EXPECT_EQ("Data\\x.ini", Combine("", "Data\\x.ini"));
    EXPECT_EQ("Data\\x.ini", Combine(".\\", "Data\\x.ini"));
    EXPECT_EQ("..\\x.ini", Combine(".\\", "..\\x.ini"));
}

TEST(CombinePath, NameWithoutSeparatorIsAppended) {
    EXPECT_EQ("C:\\Game\\a.ini", Combine("C:\\Game\\", "a.ini"));
    EXPECT_EQ("C:\\Game\\..", Combine("C:\\Game", ".."));
    // A colon alone (no backslash) does not make a name absolute.
    EXPECT_EQ("C:\\Game\\D:x", Combine("C:\\Game", "D:x"));
}

TEST(CombinePath, DotAndDotDotComponents) {
    EXPECT_EQ("C:\\Game\\x\\y", Combine("C:\\Game", ".\\x\\y"));
    EXPECT_EQ("C:\\x", Combine("C:\\Game\\Menu", "..\\..\\x"));
    EXPECT_EQ("C:\\x", Combine("C:\\Game\\", "..\\x"));  // one trailing separator is dropped first
    EXPECT_EQ("Data\\Sub\\x", Combine("Data\\Sub", ".\\.\\x"));
    EXPECT_EQ("x", Combine("Game", "..\\..\\x"));          // climbing past the top leaves the name
    EXPECT_EQ("Data\\", Combine("Data\\Sub", "..\\"));
    // Only leading components are consumed.
    EXPECT_EQ("Data\\Menu\\..\\x", Combine("Data", "Menu\\..\\x"));
    // An empty component restarts from nothing.
    EXPECT_EQ("x", Combine("Data\\Sub", "..\\\\x"));
}

TEST(CombinePath, OutputMayBeTheBase) {
    char path[kPathSize] = "Data\\Sub";
    CombinePath(path, "..\\x.cat", path, sizeof path);
    EXPECT_STREQ("Data\\x.cat", path);
}

TEST(CombinePath, BufferLimits) {
    const std::string base259(259, 'b');
    GuardedBuffer full;
    CombinePath(base259.c_str(), "x.ini", full.data(), GuardedBuffer::kSize);
    EXPECT_EQ(base259, full.data());
    EXPECT_TRUE(full.CanaryIntact());

    const std::string base300(300, 'b');
    GuardedBuffer over;
    CombinePath(base300.c_str(), "Menu\\x.ini", over.data(), GuardedBuffer::kSize);
    EXPECT_EQ(std::string(259, 'b'), over.data());
    EXPECT_TRUE(over.CanaryIntact());

    const std::string absolute = "D:\\" + std::string(400, 'r');
    GuardedBuffer copied;
    CombinePath("C:\\Game", absolute.c_str(), copied.data(), GuardedBuffer::kSize);
    EXPECT_EQ(absolute.substr(0, 259), copied.data());
    EXPECT_TRUE(copied.CanaryIntact());

    const std::string base250(250, 'b');
    GuardedBuffer cut;
    CombinePath(base250.c_str(), "Menu\\Menu.ini", cut.data(), GuardedBuffer::kSize);
    EXPECT_EQ(base250 + "\\Menu\\Men", cut.data());
    EXPECT_TRUE(cut.CanaryIntact());
}

TEST(MakeFilePath, DefaultExtensionWhenTheNameHasNone) {
    EXPECT_EQ(".\\Options.INI", FilePath(nullptr, "Options", "INI"));
    EXPECT_EQ(".\\Options.INI", FilePath("", "Options", ".INI"));
    EXPECT_EQ("Data\\Options.ini", FilePath(nullptr, "Data\\Options.ini", "INI"));
    EXPECT_EQ("C:\\Game\\Options.INI", FilePath("C:\\Game", "Options", "INI"));
    EXPECT_EQ("C:\\Game\\x.cfg", FilePath("C:\\Game", "x.cfg", "INI"));
    EXPECT_EQ("C:\\Game\\Options", FilePath("C:\\Game", "Options", nullptr));
    EXPECT_EQ("C:\\Game\\Options", FilePath("C:\\Game", "Options", ""));
    // The '.' of a directory does not count as the name's extension.
    EXPECT_EQ("Data.d\\Menu.INI", FilePath("Data.d", ".\\Menu", "INI"));
    EXPECT_EQ("", FilePath("C:\\Game", "", "INI"));
    EXPECT_EQ("", FilePath("C:\\Game", nullptr, "INI"));
}
