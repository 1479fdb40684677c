// Benchmarks of the file services, each side by side with its baseline in
// the same run:
//   1. random look-up of every member of a 65,534-member catalog: the name
//      index against the plain rotating scan (goal: at least 100x faster);
//   2. reading every member of a 64 MiB catalog through fmgReadFile against
//      read() of the same bytes from one file (goal: at least 0.9x);
//   3. fmgGetCheckSum of a 64 MiB file in the page cache against read() plus
//      zlib's crc32() (goal: at least 1.0x).
#include "files/catalog_file.h"
#include "files/crc32.h"
#include "files/file_manager.h"
#include "files/paths.h"
#include "platform/platform.h"

#ifdef VARN_BENCH_ZLIB
#include <zlib.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Put32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Writes a catalog of the given member names, each of memberSize bytes.
bool WriteCatalog(const std::string& path, const std::vector<std::string>& names, uint32_t memberSize,
                  uint32_t* dataStart) {
    std::vector<std::string> extensions;
    for (const std::string& name : names) {
        std::string extension = name.substr(name.rfind('.') + 1);
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) extensions.push_back(extension);
    }
    uint32_t tables = 28;
    for (const std::string& name : names) tables += 8 + static_cast<uint32_t>(name.size()) + 1;
    for (const std::string& extension : extensions) tables += 4 + static_cast<uint32_t>(extension.size()) + 1;
    std::string head("CAT", 3);
    head.resize(16, '\0');
    Put32(head, static_cast<uint32_t>(names.size()));
    Put32(head, static_cast<uint32_t>(extensions.size()));
    Put32(head, static_cast<uint32_t>(names.size()) * memberSize);
    for (size_t i = 0; i < names.size(); ++i) {
        Put32(head, tables + static_cast<uint32_t>(i) * memberSize);
        Put32(head, static_cast<uint32_t>(names[i].size() + 1));
        head.append(names[i].c_str(), names[i].size() + 1);
    }
    for (const std::string& extension : extensions) {
        Put32(head, static_cast<uint32_t>(extension.size() + 1));
        head.append(extension.c_str(), extension.size() + 1);
    }
    int fd = plat::FileCreateWrite(path.c_str(), plat::AccessHint::Sequential);
    if (fd < 0) return false;
    bool ok = plat::FileWrite(fd, head.data(), static_cast<uint32_t>(head.size())) == static_cast<int>(head.size());
    std::vector<char> member(memberSize);
    for (size_t i = 0; ok && i < names.size(); ++i) {
        for (uint32_t j = 0; j < memberSize; ++j) member[j] = static_cast<char>(i * 31 + j);
        ok = memberSize == 0 || plat::FileWrite(fd, member.data(), memberSize) == static_cast<int>(memberSize);
    }
    plat::FileClose(fd);
    *dataStart = tables;
    return ok;
}

bool WritePlain(const std::string& path, size_t size) {
    int fd = plat::FileCreateWrite(path.c_str(), plat::AccessHint::Sequential);
    if (fd < 0) return false;
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + (i >> 9));
    bool ok = true;
    for (size_t done = 0; ok && done < size; done += block.size())
        ok = plat::FileWrite(fd, block.data(), static_cast<uint32_t>(block.size())) == static_cast<int>(block.size());
    plat::FileClose(fd);
    return ok;
}

bool g_allMet = true;

void Report(const char* what, double baseline, double ours, double goal, const char* unit) {
    double ratio = baseline / ours;
    bool met = ratio >= goal;
    g_allMet = g_allMet && met;
    printf("  %-44s baseline %10.3f %s  ours %10.3f %s  speed-up %8.2fx  (goal %.1fx: %s)\n", what, baseline, unit, ours,
           unit, ratio, goal, met ? "met" : "NOT met");
}

// ---- 1. Look-up ----------------------------------------------------------------

void BenchLookUp(const std::string& directory) {
    const int kMembers = 65534;
    const char* extensions[] = {"DAT", "INI", "TGA", "WAV", "TXT", "MSH"};
    std::mt19937 random(7);
    std::vector<std::string> names;
    for (int i = 0; i < kMembers; ++i) names.push_back("OBJ" + std::to_string(100000 + i) + "." + extensions[random() % 6]);
    std::string path = directory + "\\lookup.cat";
    uint32_t dataStart = 0;
    if (!WriteCatalog(path, names, 1, &dataStart)) {
        printf("  cannot write %s\n", path.c_str());
        g_allMet = false;
        return;
    }
    CatalogFile indexed, scanned;
    if (!indexed.Open(path.c_str()) || !scanned.Open(path.c_str())) {
        printf("  cannot open %s\n", path.c_str());
        g_allMet = false;
        return;
    }
    std::vector<int> order(kMembers);
    for (int i = 0; i < kMembers; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i : order) keys.push_back({names[i], names[i].substr(names[i].rfind('.') + 1)});

    auto start = Clock::now();
    int64_t found = 0;
    for (const auto& key : keys) found += indexed.FindMember(key.first.c_str(), key.second.c_str()) ? indexed.EntryCursor() : -1000000;
    double indexSeconds = Seconds(start);
    start = Clock::now();
    int64_t scanFound = 0;
    for (const auto& key : keys) scanFound += scanned.FindMemberByScan(key.first.c_str(), key.second.c_str()) ? scanned.EntryCursor() : -1000000;
    double scanSeconds = Seconds(start);
    int64_t expected = static_cast<int64_t>(kMembers) * (kMembers - 1) / 2;
    if (found != expected || scanFound != expected) {
        printf("  look-ups disagree: index %lld, scan %lld, expected %lld\n", static_cast<long long>(found),
               static_cast<long long>(scanFound), static_cast<long long>(expected));
        g_allMet = false;
    }
    printf("look-up of all %d members of a %d-member catalog in random order:\n", kMembers, kMembers);
    Report("per look-up (rotating scan -> index)", scanSeconds * 1e9 / kMembers, indexSeconds * 1e9 / kMembers, 100.0, "ns");
    plat::FileDelete(path.c_str());
}

// ---- 2. Member reads -------------------------------------------------------------

void BenchReads(const std::string& directory, uint32_t memberSize, uint32_t piece) {
    const uint32_t kTotal = 64u << 20;
    const int members = static_cast<int>(kTotal / memberSize);
    std::vector<std::string> names;
    for (int i = 0; i < members; ++i) names.push_back("M" + std::to_string(i) + ".BIN");
    std::string path = directory + "\\reads.cat";
    uint32_t dataStart = 0;
    if (!WriteCatalog(path, names, memberSize, &dataStart)) {
        printf("  cannot write %s\n", path.c_str());
        g_allMet = false;
        return;
    }
    FileManager files;
    files.Initialize();
    files.fmgSetRootDirectory(directory.c_str());
    files.fmgOpenCatalog(path.c_str());
    std::vector<char> buffer(piece);
    // best[0]: read() of one file; best[1]: fmgReadFile of members opened
    // beforehand; best[2]: open by name, read and close each member.
    double best[3] = {1e9, 1e9, 1e9};
    uint64_t sums[3] = {0, 0, 0};
    std::vector<int> handles(members);
    for (int round = 0; round < 6; ++round) {
        // Baseline: the same bytes from one file with read(), in the same pieces.
        auto start = Clock::now();
        int fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Sequential);
        plat::FileSeek(fd, static_cast<int32_t>(dataStart), plat::SeekSet);
        uint64_t sum = 0;
        for (int m = 0; m < members; ++m) {
            for (uint32_t done = 0; done < memberSize;) {
                int got = plat::FileRead(fd, buffer.data(), std::min(piece, memberSize - done));
                if (got <= 0) break;
                sum += static_cast<unsigned char>(buffer[0]);
                done += static_cast<uint32_t>(got);
            }
        }
        plat::FileClose(fd);
        best[0] = std::min(best[0], Seconds(start));
        sums[0] = sum;
        // Reading through fmgReadFile: every member, each to its end.
        for (int m = 0; m < members; ++m) handles[m] = files.fmgOpenFile(names[m].c_str(), 0);
        start = Clock::now();
        sum = 0;
        for (int m = 0; m < members; ++m) {
            int got;
            while ((got = files.fmgReadFile(handles[m], buffer.data(), piece)) > 0) sum += static_cast<unsigned char>(buffer[0]);
        }
        best[1] = std::min(best[1], Seconds(start));
        sums[1] = sum;
        for (int m = 0; m < members; ++m) files.fmgCloseFile(handles[m]);
        // The same with each member opened by name and closed: the open also
        // looks for a plain file of that name under the root first.
        start = Clock::now();
        sum = 0;
        for (int m = 0; m < members; ++m) {
            int handle = files.fmgOpenFile(names[m].c_str(), 0);
            int got;
            while ((got = files.fmgReadFile(handle, buffer.data(), piece)) > 0) sum += static_cast<unsigned char>(buffer[0]);
            files.fmgCloseFile(handle);
        }
        best[2] = std::min(best[2], Seconds(start));
        sums[2] = sum;
    }
    files.Shutdown();
    if (sums[0] != sums[1] || sums[0] != sums[2]) {
        printf("  member reads disagree with the plain reads\n");
        g_allMet = false;
    }
    double mb = kTotal / 1e6;
    printf("  %d members of %u KiB, pieces of %u KiB: read() %.0f MB/s, fmgReadFile %.0f MB/s (%.2fx, goal 0.9x: %s);\n"
           "    with each member opened by name and closed: %.0f MB/s (%.2fx, %.1f us per open and close)\n",
           members, memberSize >> 10, piece >> 10, mb / best[0], mb / best[1], best[0] / best[1],
           best[0] / best[1] >= 0.9 ? "met" : "NOT met", mb / best[2], best[0] / best[2],
           (best[2] - best[1]) * 1e6 / members);
    g_allMet = g_allMet && best[0] / best[1] >= 0.9;
    plat::FileDelete(path.c_str());
}

// ---- 3. Checksum -----------------------------------------------------------------

void BenchChecksum(const std::string& directory) {
    const size_t kSize = 64u << 20;
    const uint32_t kPiece = 256 * 1024;
    std::string path = directory + "\\checksum.bin";
    if (!WritePlain(path, kSize)) {
        printf("  cannot write %s\n", path.c_str());
        g_allMet = false;
        return;
    }
    FileManager files;
    files.Initialize();
    files.fmgSetRootDirectory(directory.c_str());
    std::vector<unsigned char> buffer(kPiece);
    double best[2] = {1e9, 1e9};
    uint32_t results[2] = {0, 0};
    for (int round = 0; round < 6; ++round) {  // the first round brings the file into the page cache
        auto start = Clock::now();
        int fd = plat::FileOpenRead(path.c_str(), plat::AccessHint::Sequential);
        uint32_t crc = 0;
        int got;
        while ((got = plat::FileRead(fd, buffer.data(), kPiece)) > 0) {
#ifdef VARN_BENCH_ZLIB
            crc = static_cast<uint32_t>(crc32(crc, buffer.data(), static_cast<uInt>(got)));
#else
            crc = Crc32Bytewise(crc, buffer.data(), static_cast<size_t>(got));
#endif
        }
        plat::FileClose(fd);
        if (round > 0) best[0] = std::min(best[0], Seconds(start));
        results[0] = crc;
        start = Clock::now();
        results[1] = files.fmgGetCheckSum("checksum.bin");
        if (round > 0) best[1] = std::min(best[1], Seconds(start));
    }
    files.Shutdown();
    if (results[0] != results[1]) {
        printf("  checksums disagree: %08x against %08x\n", results[0], results[1]);
        g_allMet = false;
    }
#ifdef VARN_BENCH_ZLIB
    const char* baseline = "read() + zlib crc32()";
#else
    const char* baseline = "read() + byte-table CRC (no zlib here)";
#endif
    printf("checksum of a 64 MiB file in the page cache (baseline: %s; carry-less multiply: %s):\n", baseline,
           Crc32UsesCarrylessMultiply() ? "yes" : "no");
    Report("per 64 MiB (ms)", best[0] * 1e3, best[1] * 1e3, 1.0, "ms");
    printf("    throughput: baseline %.0f MB/s, fmgGetCheckSum %.0f MB/s\n", kSize / 1e6 / best[0], kSize / 1e6 / best[1]);
    plat::FileDelete(path.c_str());
}

}  // namespace

// With no argument every benchmark runs; otherwise the ones named
// (lookup, reads, checksum).
int main(int argc, char** argv) {
    auto wanted = [argc, argv](const char* name) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i) {
            if (!strcmp(argv[i], name)) return true;
        }
        return false;
    };
    char temp[kPathSize];
    if (!plat::DirTemp(temp, sizeof temp)) return 1;
    std::string directory = std::string(temp) + "\\varn_bench_files_" + std::to_string(plat::CurrentThreadId());
    plat::DirMake(directory.c_str());
    if (wanted("lookup")) BenchLookUp(directory);
    if (wanted("reads")) {
        printf("reading every member of a 64 MiB catalog, against read() of the same bytes from one file:\n");
        BenchReads(directory, 64 * 1024, 64 * 1024);
        BenchReads(directory, 1024 * 1024, 64 * 1024);
    }
    if (wanted("checksum")) BenchChecksum(directory);
    printf("%s\n", g_allMet ? "all goals met" : "some goals NOT met");
    return g_allMet ? 0 : 1;
}
