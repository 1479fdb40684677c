// Host and Join: the calls to the mission manager and the network layer in the
// order the layer expects them.
#include "host/launch/session_launch.h"

#include "files/paths.h"
#include "files/strings.h"
#include "host/launch/aircraft_exchange.h"
#include "host/launch/connect_screen.h"
#include "host/launch/launch_request.h"
#include "host/launch/player_colors.h"
#include "host/launch/query_reporting.h"
#include "ini/ini_file.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "shell/shell_app.h"
#include "varn/held.h"
#include "varn/mmg.h"
#include "varn/net.h"

#include <cstring>

namespace {

int g_launchError = kLaunchErrorNone;
uint32_t g_joinAttemptPause = 1000;

const int kDefaultConnectionTimeout = 60;

// "MMG" and, once the mission manager has started the network layer, "NET",
// held for one Host or Join (released in the reverse order). Without a
// mission manager or a network layer nothing is called.
class NetworkSession {
public:
    IMissionManager* Missions() { return m_missions.get(); }
    INetworkLayer* Network() { return m_missions ? m_network.get() : nullptr; }

    // netStart, netConfigure with a zeroed block, colour and name.
    void Start(const LaunchRequest& request) {
        INetworkLayer* network = Network();
        network->netStart();
        unsigned char block[kNetConfigureBlockSize];
        memset(block, 0, sizeof block);
        network->netConfigure(kNetConfigureBlockSize, block);
        network->netSetPlayerColor(PlayerColor(request.colorIndex));
        network->netSetPlayerName(request.playerName);
    }

private:
    bool StartNetwork() {
        if (m_missions) m_missions->mmgStartNetwork();
        return true;
    }
    // Initialised in this order: "NET" is looked up after mmgStartNetwork.
    InterfaceHold<IMissionManager> m_missions{ShellGetRegistry()};
    bool m_started = StartNetwork();
    InterfaceHold<INetworkLayer> m_network{ShellGetRegistry()};
};

// The next-screen name for a game type: [NetLaunch] GameType1Screen for
// missions, GameType0Screen for every other type (empty when missing).
void ChooseNextScreen(const LaunchSettings& settings, int gameType) {
    if (!settings.nextScreen) return;
    const char* key = gameType == 1 ? "GameType1Screen" : "GameType0Screen";
    if (settings.startup)
        settings.startup->GetString("NetLaunch", key, "", settings.nextScreen, kPathSize, 0);
    else
        ClearString(settings.nextScreen);
}

int ConnectionTimeout(const LaunchSettings& settings) {
    return settings.startup ? settings.startup->GetInt("NetLaunch", "ConnectionTimeout", kDefaultConnectionTimeout)
                            : kDefaultConnectionTimeout;
}

// The session runs: the mission manager learns the mode and the options file
// records that the lobby launched the game.
void MarkLaunched(NetworkSession& session, const LaunchSettings& settings, int gameType) {
    session.Missions()->mmgSetMultiplayerMode(gameType == 1 ? kMultiplayerModeMission : kMultiplayerModeDogfight);
    if (settings.options) settings.options->SetBool("MultiplayerOptions", "LobbyLaunched", 1);
}

bool EndsJoining(int code) { return code == 2 || code == 5 || code == 6 || code == 7; }

}  // namespace

int LaunchErrorCode() { return g_launchError; }

const char* LaunchErrorTextKey(int code) {
    switch (code) {
        case kLaunchErrorNotFound: return "TXT_MENU_ERR_NOT_FOUND";
        case kLaunchErrorClosed: return "TXT_MENU_ERR_CLOSED";
        case kLaunchErrorFull: return "TXT_MENU_ERR_FULL";
        default: return "TXT_MENU_ERR_OTHER";
    }
}

void SetJoinAttemptPause(uint32_t milliseconds) { g_joinAttemptPause = milliseconds; }

int HostSession(const LaunchRequest& request, const LaunchSettings& settings) {
    NetworkSession session;
    INetworkLayer* network = session.Network();
    if (!network) return 0;
    session.Start(request);
    ChooseNextScreen(settings, request.gameType);
    if (request.queryReporting) network->netEnableQueryReporting(2, nullptr, BuildQueryReportingSetup());

    GameplayOptionsBlock gameplay;
    SessionDescription description;
    DescribeHostedSession(request, settings.options, &gameplay, &description);
    const int ok = network->netHostSession(&description);
    if (ok) {
        ExchangeAircraftAsHost();
        MarkLaunched(session, settings, request.gameType);
    }
    return ok;
}

int JoinSession(const LaunchRequest& request, const LaunchSettings& settings) {
    NetworkSession session;
    INetworkLayer* network = session.Network();
    if (!network) return 0;
    session.Start(request);
    if (request.queryReporting) network->netEnableQueryReporting(2, request.address, BuildQueryReportingSetup());

    const int timeout = ConnectionTimeout(settings);
    int attempts = timeout / 10;
    // Rounds in which the layer took the join but reported no session yet are
    // not failed attempts; they are bounded all the same.
    int roundsWithoutSession = attempts > 1 ? attempts : 1;
    SessionDescription description;
    DescribeJoinedSession(request, &description);
    for (;;) {
        plat::SleepMs(g_joinAttemptPause);
        if (network->netJoinSession(&description, 0)) {
            if (network->netGetSessionInfo(&description)) break;
            if (--roundsWithoutSession > 0) continue;
            g_launchError = kLaunchErrorNotFound;
            return 0;
        }
        if (!appPumpMessages()) return 0;
        const int code = network->netGetLastError();
        if (EndsJoining(code)) {
            g_launchError = code;
            return 0;
        }
        if (--attempts <= 0) {
            g_launchError = kLaunchErrorNotFound;
            return 0;
        }
        network->netResetAttempt();
    }

    if (settings.screen) settings.screen->Show("TXT_MENU_CHECKING");
    const int gameType = description.gameType;
    ChooseNextScreen(settings, gameType);
    if (!ExchangeAircraftAsJoiner(timeout)) return 0;
    MarkLaunched(session, settings, gameType);
    return 1;
}
