// A hosting network layer in this process, flooded with server queries for a
// few seconds by threads sending from one loopback address or from eight,
// while joining layers join (challenge, join, ready status) one after the
// other; and the same with no flood. Prints, per case: the datagrams the host
// took from its sockets per second, the queries sent per second, the query
// answers that came back, and the median time of a join.
//   bench_net_flood [SECONDS per case, default 4]
#include <winsock2.h>

#include "core/interface_manager.h"
#include "files/file_manager.h"
#include "network_layer.h"
#include "shell/shell.h"
#include "tests/support/scratch_dir.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Flood {
    int port;
    int addresses;  // 0: no flood
    volatile LONG stop;
    volatile LONG sent;
    volatile LONG answers;
};

struct Sender {
    Flood* flood;
    int index;
};

DWORD WINAPI SendQueries(void* argument) {
    const Sender* sender = static_cast<const Sender*>(argument);
    Flood* flood = sender->flood;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7f000002 + sender->index);  // 127.0.0.2 and on
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return 1;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<u_short>(flood->port));
    const char query[] = "\\status\\";
    char answer[2048];
    while (!flood->stop) {
        if (sendto(s, query, sizeof query - 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) > 0)
            InterlockedIncrement(&flood->sent);
        while (recv(s, answer, sizeof answer, 0) > 0) InterlockedIncrement(&flood->answers);
    }
    closesocket(s);
    return 0;
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

    printf("%-22s %14s %12s %12s %14s %8s\n", "case", "handled/s", "queries/s", "answers", "join ms", "joins");
    const int cases[3] = {0, 1, 8};
    const char* names[3] = {"no flood", "flood from 1 address", "flood from 8 addresses"};
    for (int c = 0; c < 3; ++c) {
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
        host->netSetSessionReady(1);
        const std::string address = "127.0.0.1:" + std::to_string(host->GamePort());

        Flood flood{host->QueryPort(), cases[c], 0, 0, 0};
        std::vector<Sender> senders(static_cast<size_t>(cases[c]));
        std::vector<HANDLE> threads;
        for (int i = 0; i < cases[c]; ++i) {
            senders[static_cast<size_t>(i)] = Sender{&flood, i};
            threads.push_back(CreateThread(nullptr, 0, SendQueries, &senders[static_cast<size_t>(i)], 0, nullptr));
        }
        Sleep(300);  // the flood is under way
        const uint32_t handledBefore = host->DatagramsHandled();
        const LONG sentBefore = flood.sent;
        const DWORD start = GetTickCount();
        std::vector<double> joins;
        int joined = 0;
        while (GetTickCount() - start < seconds * 1000) {
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
            if (ok) {
                ++joined;
                joins.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / frequency.QuadPart);
            }
            joiner.Shutdown();
            Sleep(500);  // joins from one address keep within its join budget
        }
        const double elapsed = (GetTickCount() - start) / 1000.0;
        const uint32_t handled = host->DatagramsHandled() - handledBefore;
        const LONG sent = flood.sent - sentBefore;
        InterlockedExchange(&flood.stop, 1);
        for (HANDLE thread : threads) {
            WaitForSingleObject(thread, 5000);
            CloseHandle(thread);
        }
        printf("%-22s %14.0f %12.0f %12ld %14.2f %8d\n", names[c], handled / elapsed, sent / elapsed,
               static_cast<long>(flood.answers), Median(joins), joined);
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
