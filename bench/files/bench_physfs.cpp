// Catalogs against PhysFS on a zip of the same members, stored uncompressed
// (the fair case for PhysFS), side by side in one process. Two archives: 65,534
// small members with flat names, and 200 members of 1 to 4 MiB. For each:
//   open     open the catalog / mount the zip (nothing of it known to the process);
//   look-up  every member by name in random order: whether it exists and its size;
//   read     open, read whole and close every member in random order;
//   stream   (large archive) its largest member read from start to end in 64 KiB reads
//            (eight times a round, the time of one given).
// Goals at the catalog layer (CatalogFile against PhysFS): at least 2x on open
// and look-ups, at least 1x on reads. The same work through the file manager's
// search order (a plain file under the root is looked for first, so every
// look-up costs a failed probe of the file system) is shown beside it, without
// a goal. The catalog is written by varncat's writer, the zip by Info-ZIP's zip -0.
// For the small members a naive floor runs in the same rounds: the catalog's
// file records (offset, length, name), already in one buffer, parsed into a
// std::unordered_map of upper-case std::string names (reserved for the count),
// and look-ups that fold each name's case into a new std::string first.
// Goals against it: the catalog's open at most 1.5x, its look-ups at most 2x.
//   bench_physfs [ROUNDS] [small|large]
#include "files/catalog_file.h"
#include "files/file_manager.h"
#include "platform/platform.h"
#include "tests/support/scratch_dir.h"
#include "tools/varncat/catalog_writer.h"

#include <physfs.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Member {
    std::string name;  // upper case, as a catalog keeps it, and stored so in the zip
    uint32_t size;
};

struct ArchiveSet {
    const char* title;
    std::vector<Member> members;
    std::string catalog;  // system path (backslashes)
    std::string zip;      // host path
    std::string records;  // the catalog's file records, for the floor
};

// Seconds per step of one side; each vector holds one figure per round.
struct Side {
    std::vector<double> open, lookup, read, stream;
    uint64_t checksum = 0;  // bytes read, summed, to prove both sides read the same
};

const uint32_t kStreamPiece = 64 * 1024;
const int kStreamPasses = 8;  // a streamed member takes well under a millisecond
bool g_allMet = true;

std::string HostPath(const std::string& path) { return testsupport::HostPath(path).string(); }

// The members' bytes: different in every member and every position.
void FillMember(std::vector<char>& bytes, uint32_t size, size_t index) {
    bytes.resize(size);
    uint32_t state = static_cast<uint32_t>(index) * 2654435761u + 1;
    for (uint32_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 24);
    }
}

// Writes the members as plain files into directory, then the catalog with
// varncat's writer and the zip with zip -0, both from those files.
bool MakeArchives(ArchiveSet& set, const std::string& directory, const char* stem) {
    const std::string members = directory + "\\" + stem;
    if (!plat::DirMake(members.c_str())) return false;
    std::vector<char> bytes;
    std::string list;
    std::vector<std::string> inputs;
    for (size_t i = 0; i < set.members.size(); ++i) {
        const Member& member = set.members[i];
        FillMember(bytes, member.size, i);
        const std::string path = members + "\\" + member.name;
        int fd = plat::FileCreateWrite(path.c_str(), plat::AccessHint::Sequential);
        bool written = fd >= 0 && plat::FileWrite(fd, bytes.data(), member.size) == static_cast<int>(member.size);
        if (fd >= 0) plat::FileClose(fd);
        if (!written) return false;
        inputs.push_back(path);
        list += member.name + "\n";
    }
    set.catalog = directory + "\\" + stem + ".cat";
    set.zip = HostPath(directory + "\\" + stem + ".zip");
    FileManager files;
    files.Initialize();
    std::string error;
    std::vector<std::string> warnings;
    const bool catalogWritten = WriteCatalog(&files, set.catalog.c_str(), inputs, &error, &warnings);
    files.Shutdown();
    if (!catalogWritten) {
        fprintf(stderr, "bench_physfs: varncat's writer failed: %s\n", error.c_str());
        return false;
    }
    const std::string listPath = HostPath(directory + "\\" + stem + ".list");
    FILE* listFile = fopen(listPath.c_str(), "wb");
    if (!listFile) return false;
    const bool listed = fwrite(list.data(), 1, list.size(), listFile) == list.size();
    if (fclose(listFile) != 0 || !listed) return false;
    // -0 stores, -X leaves out the extra attribute fields, -D the directory entries.
    const std::string command = "cd '" + HostPath(members) + "' && " VARN_ZIP_PROGRAM " -0 -q -X -D '" + set.zip +
                                "' -@ < '" + listPath + "'";
    if (system(command.c_str()) != 0) {
        fprintf(stderr, "bench_physfs: zip failed: %s\n", command.c_str());
        return false;
    }
    // The member files are no longer needed; the archives stay in the page cache.
    for (const std::string& path : inputs) plat::FileDelete(path.c_str());
    return true;
}

// Reads a whole file once, so that every side meets it in the page cache.
void Preload(const std::string& hostPath) {
    FILE* file = fopen(hostPath.c_str(), "rb");
    if (!file) return;
    static char buffer[1 << 20];
    while (fread(buffer, 1, sizeof buffer, file) == sizeof buffer) {
    }
    fclose(file);
}

std::vector<size_t> Shuffled(size_t count, uint32_t seed) {
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = i;
    std::mt19937 random(seed);
    std::shuffle(order.begin(), order.end(), random);
    return order;
}

size_t Largest(const std::vector<Member>& members) {
    size_t largest = 0;
    for (size_t i = 1; i < members.size(); ++i)
        if (members[i].size > members[largest].size) largest = i;
    return largest;
}

uint64_t Sum(const std::vector<char>& buffer, int got) {
    return got > 0 ? static_cast<unsigned char>(buffer[0]) + static_cast<unsigned char>(buffer[got - 1]) + 1u * got : 0;
}

// ---- The catalog layer -----------------------------------------------------------

// The extension of a flat name (after its last dot), which the file manager
// hands to a catalog with the name.
const char* ExtensionOf(const std::string& name) {
    const char* dot = strrchr(name.c_str(), '.');
    return dot ? dot + 1 : "";
}

bool RoundCatalog(const ArchiveSet& set, const std::vector<size_t>& order, std::vector<char>& buffer, Side& side) {
    Clock::time_point start = Clock::now();
    CatalogFile catalog;
    if (!catalog.Open(set.catalog.c_str())) return false;
    side.open.push_back(Seconds(start));

    start = Clock::now();
    uint64_t sizes = 0;
    for (size_t i : order) {
        const std::string& name = set.members[i].name;
        if (!catalog.FindMember(name.c_str(), ExtensionOf(name))) return false;
        sizes += catalog.FindMemberSize();
    }
    side.lookup.push_back(Seconds(start));

    start = Clock::now();
    uint64_t sum = sizes;
    int32_t handle = 65536;
    for (size_t i : order) {
        const std::string& name = set.members[i].name;
        FileHandleRecord record;
        if (!catalog.FindMember(name.c_str(), ExtensionOf(name)) || !catalog.OpenMember(handle, &record)) return false;
        const int got = catalog.ReadMember(&record, buffer.data(), record.size);
        catalog.CloseMember(&record);
        if (got != static_cast<int>(set.members[i].size)) return false;
        sum += Sum(buffer, got);
        handle = handle == FileManager::kMaxMemberSequence * 65536 ? 65536 : handle + 65536;
    }
    side.read.push_back(Seconds(start));

    const Member& large = set.members[Largest(set.members)];
    start = Clock::now();
    for (int pass = 0; pass < kStreamPasses; ++pass) {
        FileHandleRecord record;
        if (!catalog.FindMember(large.name.c_str(), ExtensionOf(large.name)) || !catalog.OpenMember(65536, &record))
            return false;
        int got;
        while ((got = catalog.ReadMember(&record, buffer.data(), kStreamPiece)) > 0) sum += Sum(buffer, got);
        catalog.CloseMember(&record);
    }
    side.stream.push_back(Seconds(start) / kStreamPasses);
    side.checksum = sum;
    return true;
}

// ---- The naive floor ------------------------------------------------------------------

struct FloorMember {
    uint32_t offset;
    uint32_t size;
};

// The file records as the catalog holds them: what follows the header, up to
// the extension table.
bool LoadRecords(ArchiveSet& set) {
    FILE* file = fopen(HostPath(set.catalog).c_str(), "rb");
    if (!file) return false;
    std::string bytes(28, '\0');
    bool ok = fread(&bytes[0], 1, 28, file) == 28;
    set.records.clear();
    for (size_t i = 0; ok && i < set.members.size(); ++i) {
        unsigned char head[8];
        ok = fread(head, 1, 8, file) == 8;
        const uint32_t length = ok ? DecodeLittle32(head + 4) : 0;
        std::string name(length, '\0');
        ok = ok && length < 1024 && fread(&name[0], 1, length, file) == length;
        set.records.append(reinterpret_cast<const char*>(head), 8);
        set.records += name;
    }
    fclose(file);
    return ok;
}

bool RoundFloor(const ArchiveSet& set, const std::vector<size_t>& order, Side& side) {
    const uint32_t dataSize = [&] {
        uint32_t total = 0;
        for (const Member& member : set.members) total += member.size;
        return total;
    }();
    Clock::time_point start = Clock::now();
    std::unordered_map<std::string, FloorMember> table;
    table.reserve(set.members.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(set.records.data());
    FloorMember* previous = nullptr;
    uint32_t first = 0;
    for (size_t i = 0; i < set.members.size(); ++i) {
        const uint32_t offset = DecodeLittle32(p);
        const uint32_t length = DecodeLittle32(p + 4);
        std::string name(reinterpret_cast<const char*>(p + 8), length ? length - 1 : 0);
        for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        FloorMember& member = table[name];
        member = {offset, 0};
        if (previous) previous->size = offset - previous->offset;
        if (i == 0) first = offset;
        previous = &member;
        p += 8 + length;
    }
    if (previous) previous->size = dataSize - (previous->offset - first);
    side.open.push_back(Seconds(start));

    start = Clock::now();
    uint64_t sizes = 0;
    for (size_t i : order) {
        std::string key = set.members[i].name;
        for (char& c : key) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        auto found = table.find(key);
        if (found == table.end()) return false;
        sizes += found->second.size;
    }
    side.lookup.push_back(Seconds(start));
    side.checksum = sizes;
    return true;
}

// ---- The file manager's search order ----------------------------------------------

bool RoundFileManager(const ArchiveSet& set, const std::string& root, const std::vector<size_t>& order,
                      std::vector<char>& buffer, Side& side) {
    FileManager files;
    files.Initialize();
    files.fmgSetRootDirectory(root.c_str());
    Clock::time_point start = Clock::now();
    const bool opened = files.fmgOpenCatalog(set.catalog.c_str()) == 1;
    side.open.push_back(Seconds(start));

    bool ok = opened;
    start = Clock::now();
    uint64_t sizes = 0;
    for (size_t i = 0; ok && i < order.size(); ++i) {
        const char* name = set.members[order[i]].name.c_str();
        ok = files.fmgFileExists(name, 0) == 1;
        sizes += static_cast<uint32_t>(files.fmgGetFileSize(name));
    }
    side.lookup.push_back(Seconds(start));

    start = Clock::now();
    uint64_t sum = sizes;
    for (size_t i = 0; ok && i < order.size(); ++i) {
        const Member& member = set.members[order[i]];
        const int handle = files.fmgOpenFile(member.name.c_str(), 0);
        const int got = files.fmgReadFile(handle, buffer.data(), member.size);
        files.fmgCloseFile(handle);
        ok = handle != -1 && got == static_cast<int>(member.size);
        sum += Sum(buffer, got);
    }
    side.read.push_back(Seconds(start));

    const Member& large = set.members[Largest(set.members)];
    start = Clock::now();
    for (int pass = 0; ok && pass < kStreamPasses; ++pass) {
        const int handle = files.fmgOpenFile(large.name.c_str(), 0);
        int got;
        while (handle != -1 && (got = files.fmgReadFile(handle, buffer.data(), kStreamPiece)) > 0) sum += Sum(buffer, got);
        if (handle != -1) files.fmgCloseFile(handle);
        ok = handle != -1;
    }
    side.stream.push_back(Seconds(start) / kStreamPasses);
    side.checksum = sum;
    files.Shutdown();
    return ok;
}

// ---- PhysFS --------------------------------------------------------------------------

bool RoundPhysfs(const ArchiveSet& set, const std::vector<size_t>& order, std::vector<char>& buffer, Side& side) {
    Clock::time_point start = Clock::now();
    if (!PHYSFS_mount(set.zip.c_str(), "/", 0)) {
        fprintf(stderr, "bench_physfs: cannot mount %s: %s\n", set.zip.c_str(),
                PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
        return false;
    }
    side.open.push_back(Seconds(start));

    bool ok = true;
    start = Clock::now();
    uint64_t sizes = 0;
    for (size_t i = 0; ok && i < order.size(); ++i) {
        PHYSFS_Stat stat;  // one call answers both: it fails for a name that is not there
        ok = PHYSFS_stat(set.members[order[i]].name.c_str(), &stat) != 0;
        sizes += static_cast<uint64_t>(stat.filesize);
    }
    side.lookup.push_back(Seconds(start));

    start = Clock::now();
    uint64_t sum = sizes;
    for (size_t i = 0; ok && i < order.size(); ++i) {
        const Member& member = set.members[order[i]];
        PHYSFS_File* file = PHYSFS_openRead(member.name.c_str());
        const PHYSFS_sint64 got = file ? PHYSFS_readBytes(file, buffer.data(), member.size) : -1;
        if (file) PHYSFS_close(file);
        ok = got == static_cast<PHYSFS_sint64>(member.size);
        sum += Sum(buffer, static_cast<int>(got));
    }
    side.read.push_back(Seconds(start));

    const Member& large = set.members[Largest(set.members)];
    start = Clock::now();
    for (int pass = 0; ok && pass < kStreamPasses; ++pass) {
        PHYSFS_File* file = PHYSFS_openRead(large.name.c_str());
        PHYSFS_sint64 got;
        while (file && (got = PHYSFS_readBytes(file, buffer.data(), kStreamPiece)) > 0)
            sum += Sum(buffer, static_cast<int>(got));
        if (file) PHYSFS_close(file);
        ok = file != nullptr;
    }
    side.stream.push_back(Seconds(start) / kStreamPasses);
    side.checksum = sum;
    PHYSFS_unmount(set.zip.c_str());
    return ok;
}

// ---- Report ----------------------------------------------------------------------------

// The catalog's time against the floor's: at most limit times it.
void FloorRow(const char* step, double floor, double catalog, double limit, const char* unit, double scale) {
    const double ratio = catalog / floor;
    const bool met = ratio <= limit;
    g_allMet = g_allMet && met;
    printf("  %-8s %12.3f %12.3f %8.2fx   goal at most %.1fx: %s  (%s)\n", step, floor * scale, catalog * scale, ratio,
           limit, met ? "met" : "NOT met", unit);
}

void Row(const char* step, double physfs, double catalog, double fileManager, double goal, const char* unit,
         double scale) {
    const double ratio = physfs / catalog;
    const bool met = goal <= 0 || ratio >= goal;
    g_allMet = g_allMet && met;
    char verdict[32] = "no goal";
    if (goal > 0) snprintf(verdict, sizeof verdict, "goal %.0fx: %s", goal, met ? "met" : "NOT met");
    printf("  %-8s %12.3f %12.3f %8.2fx   %12.3f %8.2fx   %s  (%s)\n", step, physfs * scale, catalog * scale, ratio,
           fileManager * scale, physfs / fileManager, verdict, unit);
}

bool RunSet(ArchiveSet& set, const std::string& directory, const char* stem, int rounds) {
    Clock::time_point made = Clock::now();
    if (!MakeArchives(set, directory, stem)) {
        fprintf(stderr, "bench_physfs: cannot make the %s archives\n", stem);
        return false;
    }
    const std::string root = directory + "\\" + stem;  // empty now: every probe there fails
    Preload(HostPath(set.catalog));
    Preload(set.zip);
    uint64_t total = 0;
    for (const Member& member : set.members) total += member.size;
    printf("\n%s: %zu members, %.1f MiB of data (archives made in %.1f s)\n", set.title, set.members.size(),
           total / 1048576.0, Seconds(made));

    uint32_t largest = set.members[Largest(set.members)].size;
    std::vector<char> buffer(std::max(largest, kStreamPiece));
    const bool withFloor = set.members.size() > 1000;
    if (withFloor && !LoadRecords(set)) {
        fprintf(stderr, "bench_physfs: cannot read the file records (%s)\n", stem);
        return false;
    }
    Side catalog, fileManager, physfs, floor;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<size_t> order = Shuffled(set.members.size(), 1000 + round);
        // The order of the sides alternates from round to round.
        bool ok = true;
        if (round % 2 == 0) {
            ok = (!withFloor || RoundFloor(set, order, floor)) && RoundCatalog(set, order, buffer, catalog) &&
                 RoundPhysfs(set, order, buffer, physfs) && RoundFileManager(set, root, order, buffer, fileManager);
        } else {
            ok = RoundPhysfs(set, order, buffer, physfs) && RoundFileManager(set, root, order, buffer, fileManager) &&
                 RoundCatalog(set, order, buffer, catalog) && (!withFloor || RoundFloor(set, order, floor));
        }
        if (!ok) {
            fprintf(stderr, "bench_physfs: a round failed (%s)\n", stem);
            return false;
        }
        if (catalog.checksum != physfs.checksum || fileManager.checksum != physfs.checksum ||
            (withFloor && floor.checksum != total)) {
            fprintf(stderr, "bench_physfs: the sides read different bytes (%s)\n", stem);
            return false;
        }
    }
    const double count = static_cast<double>(set.members.size());
    printf("  medians of %d rounds; speed-up = PhysFS time / our time\n", rounds);
    printf("  %-8s %12s %12s %9s   %12s %9s\n", "step", "PhysFS", "catalog", "speed-up", "file mgr", "speed-up");
    Row("open", Median(physfs.open), Median(catalog.open), Median(fileManager.open), 2.0, "ms", 1e3);
    Row("look-up", Median(physfs.lookup) / count, Median(catalog.lookup) / count, Median(fileManager.lookup) / count, 2.0,
        "ns per member", 1e9);
    Row("read", Median(physfs.read) / count, Median(catalog.read) / count, Median(fileManager.read) / count, 1.0,
        "us per member", 1e6);
    if (set.members.size() <= 1000) {
        Row("stream", Median(physfs.stream), Median(catalog.stream), Median(fileManager.stream), 1.0,
            "ms for the largest member", 1e3);
    }
    printf("  first open in the process (ms): PhysFS %.3f, catalog %.3f, file mgr %.3f\n", physfs.open.front() * 1e3,
           catalog.open.front() * 1e3, fileManager.open.front() * 1e3);
    if (withFloor) {
        printf("  against the naive floor (std::unordered_map), medians of the same rounds; ratio = catalog / floor\n");
        printf("  %-8s %12s %12s %9s\n", "step", "floor", "catalog", "ratio");
        FloorRow("open", Median(floor.open), Median(catalog.open), 1.5, "ms", 1e3);
        FloorRow("look-up", Median(floor.lookup) / count, Median(catalog.lookup) / count, 2.0, "ns per member", 1e9);
    }
    plat::FileDelete(set.catalog.c_str());
    plat::FileDelete((directory + "\\" + stem + ".zip").c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const char* only = argc > 2 ? argv[2] : "";
    if (!PHYSFS_init(argv[0])) {
        fprintf(stderr, "bench_physfs: PhysFS does not start\n");
        return 1;
    }
    PHYSFS_Version version;
    PHYSFS_getLinkedVersion(&version);
    printf("PhysFS %d.%d.%d; zip stored (zip -0); %d rounds\n", version.major, version.minor, version.patch, rounds);
    testsupport::ScratchDir directory;
    if (!directory.Made()) {
        fprintf(stderr, "bench_physfs: no scratch directory\n");
        return 1;
    }
    std::mt19937 random(20);
    bool ok = true;
    if (!strcmp(only, "") || !strcmp(only, "small")) {
        // Flat names, a few extensions, 64 bytes to 4 KiB each.
        ArchiveSet small{"small members", {}, "", "", ""};
        const char* extensions[] = {"DAT", "TGA", "INI", "WAV", "TXT", "MSH"};
        for (int i = 0; i < 65534; ++i) {
            char name[32];
            snprintf(name, sizeof name, "OBJ%05d.%s", i, extensions[random() % 6]);
            small.members.push_back({name, 64 + static_cast<uint32_t>(random() % 4033)});
        }
        ok = RunSet(small, directory.Path(), "small", rounds) && ok;
    }
    if (ok && (!strcmp(only, "") || !strcmp(only, "large"))) {
        ArchiveSet large{"large members", {}, "", "", ""};
        for (int i = 0; i < 200; ++i) {
            char name[32];
            snprintf(name, sizeof name, "TERRAIN%03d.BIN", i);
            large.members.push_back({name, (1u << 20) + static_cast<uint32_t>(random() % (3u << 20))});
        }
        ok = RunSet(large, directory.Path(), "large", rounds);
    }
    PHYSFS_deinit();
    if (!ok) return 1;
    printf("\n%s\n", g_allMet ? "all goals met" : "some goals NOT met");
    return g_allMet ? 0 : 1;
}
