// varnini: reads, changes and completes configuration files exactly as the
// game does, through the game's own INI library and file manager.
#include "core/interface_manager.h"
#include "core/options_file.h"
#include "files/file_manager.h"
#include "files/paths.h"
#include "host/default_options.h"
#include "ini/ini_file.h"
#include "shell/shell.h"
#include "tools/support/tool_report.h"
#include "tools/varnini/compound_types.h"
#include "varn/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: varnini save [OPTIONS] IN OUT         read IN as the game reads a configuration file and\n"
    "                                             write it to OUT in the game's own format\n"
    "       varnini get [OPTIONS] FILE SECTION KEY  print what the game's getter returns\n"
    "       varnini get --type font|table:PREFIX FILE SECTION  print a group of keys as the game reads it\n"
    "       varnini set [OPTIONS] FILE SECTION KEY VALUE  store VALUE with the setter and save FILE\n"
    "       varnini defaults FILE                 complete an options file with every default and save it\n"
    "       varnini --help\n"
    "options:\n"
    "       --type string|int|float|bool|hex  the getter or setter to use (default: string)\n"
    "       --type pair|quad|rgb|fpair|ftriple|angles|time|date  a compound value: get prints it in\n"
    "                          the game's own format, set stores VALUE as the game reads it\n"
    "       --type list:N|color|effect|font|table:PREFIX  get only: one field per line, then true or\n"
    "                          false as the game's reader answers (font: name, size, style flags,\n"
    "                          effect red, green, blue, effect size; table: count, DeltaX, 1/DeltaX,\n"
    "                          StartX, the values)\n"
    "       --default VALUE    get: what the getter falls back to when the key is missing (without it,\n"
    "                          a missing key prints nothing and exits 1)\n"
    "       --case upper|lower get --type string: letter case of a found value\n"
    "       --root DIR         save, get: the root directory of plain files (default: .)\n"
    "       --catalog CAT      save, get: open a catalog; repeatable, searched in the order given\n"
    "A FILE without an extension gets \".INI\". Integers print in decimal, floats with six decimals.\n";

using toolsupport::BadUsage;
using toolsupport::kFailed;
using toolsupport::Fail;
using toolsupport::SystemPath;

struct Arguments {
    std::vector<std::string> positional;
    std::string type = "string";
    bool compound = false;
    CompoundType compoundType;
    std::string defaultValue;
    bool hasDefault = false;
    int caseMode = 0;
    std::string root;
    std::vector<std::string> catalogs;
};

int Parse(int argc, char** argv, Arguments* out) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue =
            arg == "--type" || arg == "--default" || arg == "--case" || arg == "--root" || arg == "--catalog";
        if (takesValue) {
            if (i + 1 >= argc) return BadUsage(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--type") {
                std::string problem;
                out->compound = ParseCompoundType(value, &out->compoundType, &problem);
                if (!problem.empty()) return BadUsage(problem);
                if (!out->compound && value != "string" && value != "int" && value != "float" && value != "bool" &&
                    value != "hex")
                    return BadUsage("unknown type " + value);
                out->type = value;
            } else if (arg == "--default") {
                out->defaultValue = value;
                out->hasDefault = true;
            } else if (arg == "--case") {
                if (value != "upper" && value != "lower") return BadUsage("--case takes upper or lower");
                out->caseMode = value == "upper" ? 1 : 2;
            } else {
                if (value.empty() || value.size() >= static_cast<size_t>(kPathSize))
                    return BadUsage(arg + " needs a path of 1 to 259 characters");
                if (arg == "--root")
                    out->root = SystemPath(value);
                else
                    out->catalogs.push_back(SystemPath(value));
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return BadUsage("unknown option " + arg);
        } else {
            out->positional.push_back(arg);
        }
    }
    return 0;
}

bool ParseInt(const std::string& text, int* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = strtoll(text.c_str(), &end, 10);
    if (*end || errno || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseFloat(const std::string& text, float* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    double parsed = strtod(text.c_str(), &end);
    if (*end) return false;
    *value = static_cast<float>(parsed);
    return true;
}

bool ParseBool(const std::string& text, int* value) {
    if (text == "TRUE" || text == "true") {
        *value = 1;
        return true;
    }
    if (text == "FALSE" || text == "false") {
        *value = 0;
        return true;
    }
    return ParseInt(text, value);
}

bool ParseHex(const std::string& text, uint32_t* value) {
    if (text.empty() || text[0] == '-') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long parsed = strtoull(text.c_str(), &end, 0);
    if (*end || errno || parsed > 0xFFFFFFFFull) return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

// The file manager as the host sets it up: published as "FMG" and bound in
// this program's service access layer, which the INI library reads through.
class FileServices {
public:
    FileServices() {
        files.Initialize();
        m_registry = InterfaceManagerInit();
        m_registry->RegisterInterface("FMG", static_cast<IFileManager*>(&files), 0);
        ShellSetRegistry(m_registry);
        ShellAttachHost(nullptr);
    }
    ~FileServices() {
        ShellDetachHost();
        m_registry->UnregisterInterface("FMG");
        ShellSetRegistry(nullptr);
        InterfaceManagerDeinit();
        files.Shutdown();
    }
    // --root and --catalog.
    bool Configure(const Arguments& args) {
        if (!args.root.empty()) files.fmgSetRootDirectory(args.root.c_str());
        for (const std::string& catalog : args.catalogs) {
            if (!files.fmgOpenCatalog(catalog.c_str())) {
                Fail("cannot open catalog " + catalog);
                return false;
            }
        }
        return true;
    }
    FileManager files;

private:
    IInterfaceManager* m_registry = nullptr;
};

int Save(FileServices& services, const Arguments& args) {
    if (args.positional.size() != 2) return BadUsage("save needs IN and OUT");
    if (!services.Configure(args)) return kFailed;
    const std::string in = SystemPath(args.positional[0]);
    IniFile ini(in.c_str(), 0, 0, IniFile::kDefaultExtra);
    if (ini.NotLoaded()) return Fail("cannot load " + args.positional[0] + " (missing, unreadable or empty)");
    if (!ini.Save(SystemPath(args.positional[1]).c_str())) return Fail(std::string("cannot write ") + ini.Path());
    return 0;
}

// get --type with a compound type: no --default or --case; font and table
// read a group of keys and take no KEY.
int GetCompound(FileServices& services, const Arguments& args) {
    const bool group = ReadsGroup(args.compoundType);
    if (args.positional.size() != (group ? 2u : 3u))
        return BadUsage(group ? "get --type " + args.compoundType.name + " needs FILE and SECTION"
                              : std::string("get needs FILE, SECTION and KEY"));
    if (args.hasDefault || args.caseMode) return BadUsage("--default and --case do not apply to --type " + args.type);
    if (!services.Configure(args)) return kFailed;
    IniFile ini(SystemPath(args.positional[0]).c_str(), 0, 0, IniFile::kDefaultExtra);
    if (ini.NotLoaded()) return Fail("cannot load " + args.positional[0] + " (missing, unreadable or empty)");
    const char* key = group ? "" : args.positional[2].c_str();
    fputs(FormatCompound(ini, args.positional[1].c_str(), key, args.compoundType).c_str(), stdout);
    return fflush(stdout) == 0 ? 0 : Fail("cannot write the value");
}

int Get(FileServices& services, const Arguments& args) {
    if (args.compound) return GetCompound(services, args);
    if (args.positional.size() != 3) return BadUsage("get needs FILE, SECTION and KEY");
    if (args.caseMode && args.type != "string") return BadUsage("--case applies to --type string only");
    if (!services.Configure(args)) return kFailed;
    const std::string file = SystemPath(args.positional[0]);
    const char* section = args.positional[1].c_str();
    const char* key = args.positional[2].c_str();
    const std::string& fallback = args.defaultValue;
    int integer = 0;
    float real = 0.0f;
    uint32_t unsignedValue = 0;
    if (args.hasDefault) {
        bool valid = true;
        if (args.type == "int")
            valid = ParseInt(fallback, &integer);
        else if (args.type == "bool")
            valid = ParseBool(fallback, &integer);
        else if (args.type == "float")
            valid = ParseFloat(fallback, &real);
        else if (args.type == "hex")
            valid = ParseHex(fallback, &unsignedValue);
        if (!valid) return BadUsage("--default " + fallback + " is no " + args.type + " value");
    }
    IniFile ini(file.c_str(), 0, 0, IniFile::kDefaultExtra);
    if (ini.NotLoaded()) return Fail("cannot load " + args.positional[0] + " (missing, unreadable or empty)");
    // A missing key prints nothing and fails, as git config does, so that a
    // script can tell it from an empty value or a 0; --default answers instead.
    if (!args.hasDefault && !ini.HasKey(section, key)) return kFailed;
    if (args.type == "int") {
        printf("%d\n", ini.GetInt(section, key, integer));
    } else if (args.type == "bool") {
        printf("%d\n", ini.GetBool(section, key, integer));
    } else if (args.type == "float") {
        printf("%f\n", static_cast<double>(ini.GetFloat(section, key, real)));
    } else if (args.type == "hex") {
        printf("%u\n", static_cast<unsigned>(ini.GetHex(section, key, unsignedValue)));
    } else {
        char text[kPathSize];
        ini.GetString(section, key, fallback.c_str(), text, sizeof text, args.caseMode);
        printf("%s\n", text);
    }
    return fflush(stdout) == 0 ? 0 : Fail("cannot write the value");
}

int Set(FileServices& services, const Arguments& args) {
    if (args.positional.size() != 4) return BadUsage("set needs FILE, SECTION, KEY and VALUE");
    if (args.hasDefault || args.caseMode) return BadUsage("set takes no --default or --case");
    if (!args.root.empty() || !args.catalogs.empty()) return BadUsage("set works on a plain file: no --root or --catalog");
    const std::string file = SystemPath(args.positional[0]);
    const char* section = args.positional[1].c_str();
    const char* key = args.positional[2].c_str();
    const std::string& value = args.positional[3];
    (void)services;
    IniFile ini(file.c_str(), 0, 0, IniFile::kDefaultExtra);
    bool stored;
    if (args.compound) {
        if (!HasWriter(args.compoundType)) return BadUsage("set has no writer for --type " + args.type);
        std::string problem;
        stored = StoreCompound(ini, section, key, args.compoundType, value, &problem);
        if (!problem.empty()) return BadUsage(problem);
    } else if (args.type == "int" || args.type == "bool") {
        int number;
        if (!(args.type == "int" ? ParseInt(value, &number) : ParseBool(value, &number)))
            return BadUsage(value + " is no " + args.type + " value");
        stored = args.type == "int" ? ini.SetInt(section, key, number) : ini.SetBool(section, key, number);
    } else if (args.type == "float") {
        float number;
        if (!ParseFloat(value, &number)) return BadUsage(value + " is no float value");
        stored = ini.SetFloat(section, key, number);
    } else if (args.type == "hex") {
        uint32_t number;
        if (!ParseHex(value, &number)) return BadUsage(value + " is no hex value");
        stored = ini.SetHex(section, key, number);
    } else {
        stored = ini.SetString(section, key, value.c_str());
    }
    if (!stored) return Fail("cannot store " + args.positional[2] + " in [" + args.positional[1] + "]");
    if (!ini.Save()) return Fail(std::string("cannot write ") + ini.Path());
    return 0;
}

int Defaults(FileServices& services, const Arguments& args) {
    if (args.positional.size() != 1) return BadUsage("defaults needs FILE");
    if (args.hasDefault || args.caseMode || args.type != "string" || !args.root.empty() || !args.catalogs.empty())
        return BadUsage("defaults takes no options");
    (void)services;
    OptionIniFile& options = TheOptionIniFile();
    options.Initialize();
    int saved = 0;
    if (options.optOpen(SystemPath(args.positional[0]).c_str())) {
        IniFile* document = nullptr;
        if (options.optGetIniFile(&document)) {
            saved = WriteDefaultOptions(document);
            options.optReleaseIniFile(&document);
        }
    }
    std::string path = options.Document() ? options.Document()->Path() : args.positional[0];
    options.Shutdown();
    return saved ? 0 : Fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    toolsupport::BeginReporting("varnini", kUsage);
    if (argc < 2) return BadUsage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    if (command != "save" && command != "get" && command != "set" && command != "defaults")
        return BadUsage("unknown command " + command);
    Arguments args;
    if (int result = Parse(argc, argv, &args)) return result;
    int result;
    {
        FileServices services;
        if (command == "save")
            result = Save(services, args);
        else if (command == "get")
            result = Get(services, args);
        else if (command == "set")
            result = Set(services, args);
        else
            result = Defaults(services, args);
    }
    toolsupport::EndReporting();
    return result;
}
