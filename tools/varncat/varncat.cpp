// varncat: makes, lists and unpacks catalog archives, and shows which file a
// game name resolves to, all through the game's own file manager.
#include "files/catalog_file.h"
#include "files/file_manager.h"
#include "files/paths.h"
#include "files/strings.h"
#include "platform/platform.h"
#include "tools/support/tool_report.h"
#include "tools/varncat/catalog_writer.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: varncat create OUT.cat FILE...   write a catalog holding the files\n"
    "       varncat list CAT                 print 'offset size name' per member, then the extensions\n"
    "       varncat extract CAT [DIR]        write every member as a file into DIR (default: .)\n"
    "       varncat cat [OPTIONS] NAME       write the file that NAME resolves to to standard output\n"
    "       varncat crc [OPTIONS] NAME       print the CRC-32 of that file as eight hex digits\n"
    "       varncat --help\n"
    "options of cat and crc, which decide how NAME resolves (cache, root, then catalogs):\n"
    "       --root DIR       the root directory of plain files (default: .)\n"
    "       --cache DIR      the cache directory; turns caching on\n"
    "       --catalog CAT    open a catalog; repeatable, searched in the order given\n";

using toolsupport::BadUsage;
using toolsupport::kFailed;
using toolsupport::Fail;
using toolsupport::FailWithReport;
using toolsupport::SystemPath;

bool WriteOut(const void* data, size_t size) { return fwrite(data, 1, size, stdout) == size; }

int Create(FileManager& files, const std::vector<std::string>& args) {
    if (args.size() < 2) return BadUsage("create needs the catalog to write and at least one file");
    std::vector<std::string> inputs(args.begin() + 1, args.end());
    std::string error;
    std::vector<std::string> warnings;
    bool ok = WriteCatalog(&files, args[0].c_str(), inputs, &error, &warnings);
    for (const std::string& warning : warnings) fprintf(stderr, "varncat: warning: %s\n", warning.c_str());
    return ok ? 0 : Fail(error);
}

CatalogFile* OpenCatalog(FileManager& files, const std::string& path) {
    if (!files.fmgOpenCatalog(path.c_str())) return nullptr;
    return files.FindCatalog(path.c_str());
}

int List(FileManager& files, const std::vector<std::string>& args) {
    if (args.size() != 1) return BadUsage("list needs exactly one catalog");
    CatalogFile* catalog = OpenCatalog(files, args[0]);
    if (!catalog) return FailWithReport("cannot open " + args[0]);
    for (int32_t i = 0; i < catalog->EntryCount(); ++i) {
        const CatalogEntry* entry = catalog->Entry(i);
        printf("%u %u %s\n", entry->offset, entry->size, entry->name);
    }
    printf("extensions:");
    for (int32_t i = 0; i < catalog->ExtensionCount(); ++i) printf(" %s", catalog->Extension(i));
    printf("\n");
    return fflush(stdout) == 0 ? 0 : Fail("cannot write the listing");
}

// A member name that is safe to write as a file of its own in the target
// directory: no directories, no drive, not "." or "..".
bool IsPlainFileName(const char* name) {
    if (IsEmptyString(name) || !strcmp(name, ".") || !strcmp(name, "..")) return false;
    return !strchr(name, '\\') && !strchr(name, '/') && !strchr(name, ':');
}

int Extract(FileManager& files, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return BadUsage("extract needs a catalog and at most one directory");
    std::string directory = args.size() == 2 ? args[1] : ".";
    CatalogFile* catalog = OpenCatalog(files, args[0]);
    if (!catalog) return FailWithReport("cannot open " + args[0]);
    if (!files.fmgDirectoryExists(directory.c_str()) && !plat::DirMake(directory.c_str()))
        return Fail("cannot make the directory " + directory);
    files.fmgSetRootDirectory(directory.c_str());
    std::vector<std::string> written;
    int failures = 0;
    static char buffer[256 * 1024];
    for (int32_t i = 0; i < catalog->EntryCount(); ++i) {
        const char* name = catalog->Entry(i)->name;
        if (!IsPlainFileName(name)) {
            fprintf(stderr, "varncat: warning: member %d has the unsafe name '%s'; skipped\n", static_cast<int>(i), name);
            continue;
        }
        bool duplicate = false;
        for (const std::string& earlier : written) duplicate = duplicate || StringsEqual(earlier.c_str(), name, false);
        if (duplicate) {
            fprintf(stderr, "varncat: warning: %s appears again as member %d; the first is kept\n", name, static_cast<int>(i));
            continue;
        }
        int member = files.OpenCatalogMember(args[0].c_str(), i);
        int output = files.fmgCreateFile(name);
        bool ok = member != -1 && output != -1;
        int got = 0;
        while (ok && (got = files.fmgReadFile(member, buffer, sizeof buffer)) > 0)
            ok = files.fmgWriteFile(output, buffer, static_cast<uint32_t>(got)) == got;
        ok = ok && got == 0;
        if (member != -1) files.fmgCloseFile(member);
        if (output != -1) files.fmgCloseFile(output);
        if (!ok) {
            ++failures;
            fprintf(stderr, "varncat: cannot extract %s\n", name);
            continue;
        }
        written.push_back(name);
    }
    return failures ? kFailed : 0;
}

// Applies --root, --cache and --catalog; the remaining argument is the name.
int Resolve(FileManager& files, const std::vector<std::string>& args, const char* command, std::string* name) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool takesValue = arg == "--root" || arg == "--cache" || arg == "--catalog";
        if (takesValue) {
            if (i + 1 >= args.size()) return BadUsage(arg + " needs a value");
            const std::string& value = args[++i];
            if (value.empty() || value.size() >= static_cast<size_t>(kPathSize))
                return BadUsage(arg + " needs a path of 1 to 259 characters");
            if (arg == "--root") {
                files.fmgSetRootDirectory(value.c_str());
            } else if (arg == "--cache") {
                files.fmgSetCacheDirectory(value.c_str());
                files.fmgEnableCache(1);
            } else if (!files.fmgOpenCatalog(value.c_str())) {
                return FailWithReport("cannot open " + value);
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return BadUsage("unknown option " + arg);
        } else if (name->empty()) {
            *name = arg;
        } else {
            return BadUsage(std::string(command) + " takes one name");
        }
    }
    if (name->empty()) return BadUsage(std::string(command) + " needs a name");
    return 0;
}

int Cat(FileManager& files, const std::vector<std::string>& args) {
    std::string name;
    if (int result = Resolve(files, args, "cat", &name)) return result;
    int handle = files.fmgOpenFile(name.c_str(), 0);
    if (handle == -1) return FailWithReport(name + " not found");
    if (!plat::FileSetBinaryMode(1)) return Fail("cannot switch standard output to binary");
    static char buffer[256 * 1024];
    bool ok = true;
    int got;
    while (ok && (got = files.fmgReadFile(handle, buffer, sizeof buffer)) > 0) ok = WriteOut(buffer, static_cast<size_t>(got));
    files.fmgCloseFile(handle);
    ok = ok && fflush(stdout) == 0;
    return ok ? 0 : Fail("cannot write " + name);
}

int Crc(FileManager& files, const std::vector<std::string>& args) {
    std::string name;
    if (int result = Resolve(files, args, "crc", &name)) return result;
    if (!files.fmgFileExists(name.c_str(), 0)) return Fail(name + " not found");
    printf("%08x\n", static_cast<unsigned>(files.fmgGetCheckSum(name.c_str())));
    return fflush(stdout) == 0 ? 0 : Fail("cannot write the checksum");
}

}  // namespace

int main(int argc, char** argv) {
    toolsupport::BeginReporting("varncat", kUsage);
    if (argc < 2) return BadUsage("no command given");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i) {
        bool option = argv[i][0] == '-' && argv[i][1] == '-';
        args.push_back(option ? std::string(argv[i]) : SystemPath(argv[i]));
    }
    FileManager files;
    files.Initialize();
    int result;
    if (command == "create")
        result = Create(files, args);
    else if (command == "list")
        result = List(files, args);
    else if (command == "extract")
        result = Extract(files, args);
    else if (command == "cat")
        result = Cat(files, args);
    else if (command == "crc")
        result = Crc(files, args);
    else
        result = BadUsage("unknown command " + command);
    files.Shutdown();
    toolsupport::EndReporting();
    return result;
}
