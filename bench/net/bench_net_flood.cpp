// A hosting network layer in this process, flooded with server queries for a
// few seconds from one loopback address or from eight, paced at 2000 a second
// or as fast as the machine's flooding script can send, or with padded
// challenges from 3000 forged loopback addresses (beside the same flood on a
// host that keeps the old total of 40 challenge answers a second), while
// joining layers join (challenge, join, ready status) one after the other;
// and the same with no flood. Prints, per case: the queries sent per second, the datagrams the
// host took from its sockets per second, the query answers that came back,
// the median time of a join and the joins that succeeded.
//   bench_net_flood [SECONDS per case, default 4]
#include <winsock2.h>

#include "core/interface_manager.h"
#include "files/file_manager.h"
#include "network_layer.h"
#include "shell/shell.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/unix_command.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A flood run by the machine's own flooding script (Wine gives its programs
// no source address but 127.0.0.1), on its own thread.
struct Flood {
    const testsupport::ScratchDir* dir;
    std::string command;
    std::string output;
};

DWORD WINAPI RunFlood(void* argument) {
    Flood* flood = static_cast<Flood*>(argument);
    flood->output = testsupport::RunUnixCommand(*flood->dir, flood->command);
    return 0;
}

// The number after `key` in the script's report, 0 when absent.
double Figure(const std::string& output, const std::string& key) {
    const size_t at = output.find(key + " ");
    return at == std::string::npos ? 0 : atof(output.c_str() + at + key.size() + 1);
}

int Answers(const std::string& report) {
    const std::string output = "\n" + report;  // every address line starts after a line break
    int total = 0;
    for (size_t at = output.find("\n127."); at != std::string::npos; at = output.find("\n127.", at + 1)) {
        const size_t blank = output.find(' ', at);
        if (blank != std::string::npos) total += atoi(output.c_str() + blank + 1);
    }
    return total;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 4.0;
    testsupport::ScratchDir dir;
    InterfaceManager registry;
    FileManager files;
    if (!dir.Made() || !dir.Write("Aircraft.dat", std::string(20000, 'a'))) return 1;
    ShellSetRegistry(registry.Init());
    files.Initialize();
    files.fmgSetRootDirectory(dir.Path());
    files.fmgSetCacheDirectory(dir.File("NetCache").c_str());
    registry.RegisterInterface(VARN_ID_FMG, static_cast<IFileManager*>(&files), 0);
    ShellAttachHost(nullptr);

    printf("%-34s %10s %10s %8s %9s %6s\n", "case", "sent/s", "handled/s", "answers", "join ms", "joins");
    std::string eight;
    for (int i = 3; i <= 10; ++i) eight += " 127.0.0." + std::to_string(i);
    const std::string secondsText = std::to_string(static_cast<int>(seconds)) + "s ";
    struct Case {
        const char* name;
        const char* rate;  // flood script option, or "" for none
        std::string sources;
        bool challenges = false;  // padded challenges to the game port instead of queries
        bool oldTotal = false;    // the host keeps the old total on challenges: 40 answers a second
    };
    const Case cases[] = {
        {"no flood", nullptr, ""},
        {"2000/s from 127.0.0.2", "--rate=2000 ", " 127.0.0.2"},
        {"2000/s from 8 addresses", "--rate=2000 ", eight},
        {"unpaced from 127.0.0.2", "", " 127.0.0.2"},
        {"unpaced from 8 addresses", "", eight},
        {"challenges, unpaced, 3000 addresses", "--challenge ", " 127.1.0.0/3000", true},
        {"  the same, old total 40/s (before)", "--challenge ", " 127.1.0.0/3000", true, true},
    };
    const bool canFlood = testsupport::HasUnixProgram("/usr/bin/perl");
    for (const Case& c : cases) {
        if (c.rate && !canFlood) {
            printf("%-34s (perl is not installed)\n", c.name);
            continue;
        }
        NetworkLayer* host = new NetworkLayer();
        host->netStart();
        host->ReadSettings("-netport:0 -queryport:0 -netbind:127.0.0.1");
        QueryReportingSetup setup{};
        setup.gameName = "bench";
        host->netEnableQueryReporting(2, nullptr, &setup);
        SessionDescription description{};
        description.sessionName = "Bench";
        description.password = "secret";
        description.passwordGiven = 1;
        description.gameType = 1;
        description.maxPlayers = 64;
        if (!host->netHostSession(&description)) return 2;
        if (c.oldTotal) host->SetAnswerTotal(kChallengeAnswers, Budget{40, 25});
        host->netSetSessionReady(1);
        const std::string address = "127.0.0.1:" + std::to_string(host->GamePort());

        Flood flood{&dir, "", ""};
        HANDLE thread = nullptr;
        if (c.rate) {
            flood.command = "/usr/bin/perl " + std::string(VARN_SOURCE_DIR) + "/tests/host/udp_flood.pl " + c.rate +
                            std::to_string(c.challenges ? host->GamePort() : host->QueryPort()) + " " + secondsText +
                            c.sources;
            thread = CreateThread(nullptr, 0, RunFlood, &flood, 0, nullptr);
            Sleep(300);  // the flood is under way
        }
        const uint32_t handledBefore = host->DatagramsHandled();
        const DWORD start = GetTickCount();
        std::vector<double> joins;
        int attempts = 0;
        while (GetTickCount() - start < seconds * 1000 - 500) {
            NetworkLayer joiner;
            joiner.netStart();
            joiner.ReadSettings("-netbind:127.0.0.1");
            joiner.netSetPlayerName("Wingman");
            SessionDescription join{};
            join.hostAddress = address.c_str();
            join.password = "secret";
            join.passwordGiven = 1;
            LARGE_INTEGER frequency, begin, end;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&begin);
            const bool ok = joiner.netJoinSession(&join, 0) && joiner.netIsSessionReady();
            QueryPerformanceCounter(&end);
            ++attempts;
            if (ok) joins.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / frequency.QuadPart);
            joiner.Shutdown();
            Sleep(500);  // joins from one address keep within its join budget
        }
        const double elapsed = (GetTickCount() - start) / 1000.0;
        const uint32_t handled = host->DatagramsHandled() - handledBefore;
        if (thread) {
            WaitForSingleObject(thread, 30000);
            CloseHandle(thread);
        }
        const double floodSeconds = Figure(flood.output, "seconds");
        const double sentPerSecond = floodSeconds > 0 ? Figure(flood.output, "sent") / floodSeconds : 0;
        printf("%-34s %10.0f %10.0f %8d %9.1f %3zu/%-2d\n", c.name, sentPerSecond, handled / elapsed,
               Answers(flood.output), Median(joins), joins.size(), attempts);
        host->Shutdown();
        delete host;
    }
    ShellDetachHost();
    registry.UnregisterInterface(VARN_ID_FMG);
    files.Shutdown();
    registry.Deinit();
    ShellSetRegistry(nullptr);
    return 0;
}
