// The name index answers every look-up exactly as the rotating search over the
// list would: the same element and the same position afterwards, through
// appends, removals, renames that make duplicate names, and walks.
#include "tests/ini/ini_fixture.h"

#include <random>

using initest::IniTest;

namespace {

// The rotating search over a plain array of names, as the reference.
struct ListModel {
    std::vector<std::string> names;
    int current = -1;

    static bool Equal(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (toupper(static_cast<unsigned char>(a[i])) != toupper(static_cast<unsigned char>(b[i]))) return false;
        }
        return true;
    }
    bool Find(const std::string& name) {
        if (names.empty() || name.empty()) return false;
        int count = static_cast<int>(names.size());
        int start = current < 0 ? 0 : current;
        for (int step = 0; step < count; ++step) {
            int i = (start + step) % count;
            if (Equal(names[i], name)) {
                current = i;
                return true;
            }
        }
        current = -1;
        return false;
    }
    void Append(const std::string& name) {
        names.push_back(name);
        current = static_cast<int>(names.size()) - 1;
    }
    void RemoveCurrent() {
        if (current < 0) return;
        names.erase(names.begin() + current);
        if (current == static_cast<int>(names.size())) --current;  // the tail: its predecessor
    }
};

std::string RandomName(std::mt19937& random, int variety) {
    std::string name = "Name" + std::to_string(random() % variety);
    if (random() % 3 == 0) {
        for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

TEST_F(IniTest, SectionLookUpsMatchTheRotatingSearch) {
    IniFile ini("index.ini", 0, 1, 4 << 20);
    ListModel model;
    std::mt19937 random(12345);
    for (int step = 0; step < 20000; ++step) {
        const std::string name = RandomName(random, 80);
        switch (random() % 10) {
        case 0:
        case 1: {  // a key in a section, made when missing
            bool existed = model.Find(name);
            if (!existed) model.Append(name);
            ASSERT_TRUE(ini.SetInt(name.c_str(), "K", step));
            break;
        }
        case 2: {  // rename, possibly to a name that exists already
            const std::string to = RandomName(random, 80);
            bool found = model.Find(name);
            if (found) model.names[model.current] = to;
            EXPECT_EQ(ini.RenameSection(name.c_str(), to.c_str()) != nullptr, found);
            break;
        }
        case 3:
            if (model.Find(name)) model.RemoveCurrent();
            ini.DeleteSection(name.c_str());
            break;
        case 4:
            model.current = model.names.empty() ? -1 : 0;
            ini.RewindSections();
            break;
        case 5:
            if (model.current >= 0) model.current = model.current + 1 < static_cast<int>(model.names.size()) ? model.current + 1 : -1;
            ini.NextSection();
            break;
        default:
            EXPECT_EQ(ini.HasSection(name.c_str()), model.Find(name)) << "step " << step;
            break;
        }
        ASSERT_EQ(ini.SectionCount(), static_cast<int>(model.names.size())) << "step " << step;
        ASSERT_EQ(ini.CurrentSectionIndex(), model.current) << "step " << step;
        if (model.current >= 0) {
            ASSERT_EQ(std::string(ini.CurrentSection()->name), model.names[model.current]);
        }
    }
    EXPECT_GT(ini.SectionCount(), IniNameIndex::kMinIndexed);
}

TEST_F(IniTest, KeyLookUpsMatchTheRotatingSearch) {
    IniFile ini("keys.ini", 0, 1, 4 << 20);
    ListModel model;
    std::mt19937 random(54321);
    ASSERT_TRUE(ini.SetInt("S", "First", 0));
    model.Append("First");
    for (int step = 0; step < 10000; ++step) {
        const std::string name = RandomName(random, 60);
        IniSection* section = ini.FindSection("S");
        ASSERT_NE(section, nullptr);
        switch (random() % 16) {
        case 0:
        case 1:
        case 4:
            if (!model.Find(name)) model.Append(name);
            ASSERT_TRUE(ini.SetInt("S", name.c_str(), step));
            break;
        case 2:
        case 5:
            if (model.Find(name)) model.RemoveCurrent();
            ini.DeleteKey("S", name.c_str());
            break;
        case 3: {  // a key appended directly may repeat a name
            static char dupUpper[] = "Dup";
            static char dupLower[] = "dup";
            IniKey* key = ini.MakeKey(section->Keys().Count() % 2 ? dupUpper : dupLower);
            model.Append(key->name);
            ASSERT_TRUE(ini.AddKey("S", key));
            break;
        }
        default:
            EXPECT_EQ(section->HasKey(name.c_str()), model.Find(name)) << "step " << step;
            break;
        }
        ASSERT_EQ(section->KeyCount(), static_cast<int>(model.names.size())) << "step " << step;
        ASSERT_EQ(section->Keys().CurrentIndex(), model.current) << "step " << step;
        if (model.current >= 0) {
            ASSERT_EQ(std::string(static_cast<IniKey*>(section->Keys().Current())->name), model.names[model.current]);
        }
    }
    EXPECT_GT(ini.KeyCount("S"), IniNameIndex::kMinIndexed);
}

}  // namespace
