// The intro movie player, playing real video through this system's filter
// graph: movie lists, results, keys and clicks, and the error messages.
#include "host/media/movie_player.h"
#include "tests/ini/bound_file_manager.h"
#include "media_files.h"
#include "shell/shell.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/unix_command.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const char kCaption[] = "MoviePlayer Error";

// What the player showed of each movie, through its test seam.
struct Journal {
    std::vector<std::string> titles;  // of the drain windows, in order
    std::vector<long> events;
    int userStops = 0;
    std::vector<std::pair<std::string, long>> ended;
    struct Input {
        enum { Drain, VideoWindow, Keyboard } to;  // Keyboard: a key pressed and released
        UINT message;
        WPARAM key;
    };
    std::vector<Input> inputs;  // posted at the first event
    HWND drain = nullptr;
    RECT videoRect{};
    bool videoSeen = false;
    bool videoInFront = false;

    static void DrainMade(void* context, void* window) {
        auto* journal = static_cast<Journal*>(context);
        journal->drain = static_cast<HWND>(window);
        char title[512] = "";
        GetWindowTextA(journal->drain, title, sizeof title);
        journal->titles.push_back(title);
    }
    static void Event(void* context, long code) {
        auto* journal = static_cast<Journal*>(context);
        if (journal->events.empty()) {
            HWND video = FindWindowA(nullptr, "ActiveMovie Window");
            journal->videoSeen = video && GetWindowRect(video, &journal->videoRect);
            journal->videoInFront = video && GetForegroundWindow() == video;
            for (const Input& input : journal->inputs) {
                if (input.to != Input::Keyboard) {
                    PostMessageA(input.to == Input::Drain ? journal->drain : video, input.message, input.key, 0);
                    continue;
                }
                keybd_event(static_cast<BYTE>(input.key), 0, 0, 0);
                keybd_event(static_cast<BYTE>(input.key), 0, KEYEVENTF_KEYUP, 0);
            }
        }
        journal->events.push_back(code);
    }
    static void Stopped(void* context) { ++static_cast<Journal*>(context)->userStops; }
    static void Ended(void* context, const char* fileName, long result) {
        static_cast<Journal*>(context)->ended.emplace_back(fileName, result);
    }
    int Completions() const {
        int count = 0;
        for (long code : events) count += code == EC_COMPLETE;
        return count;
    }
};

std::string Hex(long value) {
    char text[16];
    snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

class MoviePlayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_skipReason.clear();
        testsupport::ScratchDir probe;
        std::string clip = probe.File("probe.avi");
        probe.Write("probe.avi", mediatest::UncompressedAvi(64, 48, 2, 10));
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IGraphBuilder* graph = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                      reinterpret_cast<void**>(&graph));
        if (SUCCEEDED(hr)) {
            std::wstring wide(clip.begin(), clip.end());
            hr = graph->RenderFile(wide.c_str(), nullptr);
            graph->Release();
        }
        CoUninitialize();
        if (FAILED(hr))
            s_skipReason = "this system's filter graph cannot play uncompressed AVI (hr 0x" + Hex(hr) +
                           "): install gstreamer1.0-plugins-good" + std::string(sizeof(void*) == 4 ? ":i386" : ":amd64") +
                           " for Wine";
    }

    void SetUp() override {
        ASSERT_TRUE(dir.Made());
        MoviePlayerWatch watch{&journal, Journal::DrainMade, Journal::Event, Journal::Stopped, Journal::Ended};
        MoviePlayerSetWatch(&watch);
    }
    void TearDown() override { MoviePlayerSetWatch(nullptr); }

    // A clip of frames frames at ten a second under this name.
    std::string Clip(const std::string& name, int frames = 10) {
        dir.Write(name, mediatest::UncompressedAvi(64, 48, frames, 10));
        return dir.File(name);
    }
    // Writes a movie list of (section number, name) and plays it; the boxes shown.
    std::vector<std::string> PlayList(const std::vector<std::pair<int, std::string>>& movies) {
        std::string text;
        for (const auto& movie : movies) {
            char section[32];
            snprintf(section, sizeof section, "[Movie%03d]\r\n", movie.first);
            text += std::string(section) + "Name=" + movie.second + "\r\n";
        }
        dir.Write("movies.ini", text);
        testsupport::MessageBoxWatcher watcher(kCaption);
        PlayMovieList(dir.File("movies.ini").c_str());
        return watcher.Texts();
    }

    static std::string s_skipReason;
    initest::BoundFileManager files;
    testsupport::ScratchDir dir;
    Journal journal;
};
std::string MoviePlayer::s_skipReason;

#define SKIP_WITHOUT_PLAYBACK() \
    if (!s_skipReason.empty()) GTEST_SKIP() << s_skipReason

// Two movies play to their ends, each in its own drain window, over the whole
// primary monitor (this program has no main window).
TEST_F(MoviePlayer, ListPlaysEachMovieToItsEnd) {
    SKIP_WITHOUT_PLAYBACK();
    std::string first = Clip("first.avi");
    std::string second = Clip("second.avi");
    EXPECT_TRUE(PlayList({{1, first}, {2, second}}).empty());

    using Ended = std::vector<std::pair<std::string, long>>;
    EXPECT_EQ((Ended{{first, 0}, {second, 0}}), journal.ended);
    EXPECT_EQ(2, journal.Completions());
    EXPECT_EQ((std::vector<std::string>{"Brightvane Movie Player: " + first, "Brightvane Movie Player: " + second}),
              journal.titles);
    EXPECT_EQ(nullptr, FindWindowA("Brightvane Movie Player", nullptr));

    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    ASSERT_TRUE(journal.videoSeen);
    EXPECT_TRUE(journal.videoInFront);
    EXPECT_TRUE(EqualRect(&monitor.rcMonitor, &journal.videoRect))
        << journal.videoRect.left << "," << journal.videoRect.top << " " << journal.videoRect.right << ","
        << journal.videoRect.bottom;
}

// Counting stops at the first missing section; names that are not plain files
// (missing, or cut to 259 characters) are skipped without a message.
TEST_F(MoviePlayer, ListSkipsMissingFilesAndStopsAtAGap) {
    SKIP_WITHOUT_PLAYBACK();
    std::string clip = Clip("clip.avi");
    std::string longName = dir.Path() + std::string("\\") + std::string(300, 'x') + ".avi";
    EXPECT_TRUE(PlayList({{1, dir.File("missing.avi")}, {2, longName}, {3, clip}, {5, clip}}).empty());
    EXPECT_EQ((std::vector<std::pair<std::string, long>>{{clip, 0}}), journal.ended);
    EXPECT_EQ(1u, journal.titles.size());
}

// Each stopping key or click ends the movie once (the second is ignored) with
// result 1; another key lets it play to its end. Closing the video window ends
// the movie as the user's stop too. A main window is up and in front, as in
// the program: the movie covers its monitor and takes the keyboard from it.
TEST_F(MoviePlayer, KeysAndClicksStopTheMovieOnce) {
    SKIP_WITHOUT_PLAYBACK();
    HWND mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(mainWindow);
    SetForegroundWindow(mainWindow);
    ShellSetWindowValues(GetModuleHandleA(nullptr), mainWindow, nullptr);
    // Long enough that the closed window's abort comes well before the end.
    std::string clip = Clip("clip.avi", 40);
    struct Case {
        Journal::Input input;
        long result;
        int stops;
    } cases[] = {
        {{Journal::Input::Drain, WM_KEYDOWN, VK_ESCAPE}, 1, 1},
        {{Journal::Input::Drain, WM_KEYDOWN, VK_RETURN}, 1, 1},
        {{Journal::Input::Drain, WM_KEYDOWN, VK_SPACE}, 1, 1},
        {{Journal::Input::Drain, WM_LBUTTONDOWN, 0}, 1, 1},
        {{Journal::Input::Drain, WM_RBUTTONDOWN, 0}, 1, 1},
        {{Journal::Input::Drain, WM_MBUTTONDOWN, 0}, 1, 1},
        {{Journal::Input::Drain, WM_KEYDOWN, 'A'}, 0, 0},
        {{Journal::Input::VideoWindow, WM_CLOSE, 0}, 1, 0},
        {{Journal::Input::Keyboard, WM_KEYDOWN, VK_SPACE}, 1, 1},  // pressed: the video window passes it on
    };
    for (const Case& c : cases) {
        journal = Journal{};
        journal.inputs = {c.input, c.input};
        EXPECT_EQ(c.result, PlayMovie(clip.c_str(), nullptr)) << c.input.message << " " << c.input.key;
        EXPECT_EQ(c.stops, journal.userStops) << c.input.message << " " << c.input.key;
        if (c.result == 0) {
            EXPECT_EQ(1, journal.Completions());
        }
        EXPECT_TRUE(journal.videoInFront);
    }
    ShellSetWindowValues(nullptr, nullptr, nullptr);
    DestroyWindow(mainWindow);
}

// Real input, as a player's mouse and keyboard deliver it, over a main window
// that covers the monitor and stays topmost as the program's does in full
// screen: a click at the middle of the screen and Escape (SendInput, routed by
// Wine's own window order), and a click that the X server delivers to the
// window on top of its own stacking (XTEST, as a player's mouse arrives under
// Wine), each stop a 30-second movie. The input comes once the video has been
// up for a while, past the point where the main window used to come back
// above it and take the click, so that the movie played to its end.
TEST_F(MoviePlayer, RealClickAndEscapeStopTheMovieOverAFullScreenMainWindow) {
    SKIP_WITHOUT_PLAYBACK();
    ASSERT_TRUE(testsupport::HasUnixProgram("/usr/bin/xdotool")) << "install xdotool for the click through the X server";
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT& area = monitor.rcMonitor;
    HWND mainWindow = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "main", WS_POPUP | WS_VISIBLE, area.left, area.top,
                                      area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(mainWindow);
    SetForegroundWindow(mainWindow);
    ShellSetWindowValues(GetModuleHandleA(nullptr), mainWindow, nullptr);
    std::string clip = Clip("clip.avi", 300);

    enum { Click, Escape, XClick };
    for (int how : {Click, Escape, XClick}) {
        const bool click = how == Click;
        SCOPED_TRACE(how == Click ? "click" : how == Escape ? "Escape" : "click through the X server");
        journal = Journal{};
        HWND under = nullptr;
        std::thread person([&] {
            // Waits for the video window to show, lets the movie run a while, then acts.
            HWND video = nullptr;
            for (int i = 0; i < 100 && !(video && IsWindowVisible(video)); ++i) {
                Sleep(50);
                video = FindWindowA(nullptr, "ActiveMovie Window");
            }
            Sleep(2500);
            under = WindowFromPoint(POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2});
            INPUT inputs[3] = {};
            if (how == XClick) {
                testsupport::ScratchDir scratch;
                testsupport::RunUnixCommand(scratch, "xdotool search --onlyvisible --name 'ActiveMovie Window' "
                                                     "mousemove --window %1 20 20 click 1");
            } else if (click) {
                inputs[0].type = INPUT_MOUSE;
                inputs[0].mi.dx = 32768;  // the middle of the primary monitor, in 0..65535
                inputs[0].mi.dy = 32768;
                inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
                inputs[1].type = inputs[2].type = INPUT_MOUSE;
                inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
                SendInput(3, inputs, sizeof(INPUT));
            } else {
                inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
                inputs[0].ki.wVk = inputs[1].ki.wVk = VK_ESCAPE;
                inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, inputs, sizeof(INPUT));
            }
        });
        const long result = PlayMovie(clip.c_str(), nullptr);
        person.join();
        EXPECT_EQ(1, result);
        EXPECT_EQ(1, journal.userStops);
        EXPECT_EQ(0, journal.Completions());
        EXPECT_NE(mainWindow, under);
    }
    ShellSetWindowValues(nullptr, nullptr, nullptr);
    DestroyWindow(mainWindow);
}

// A file the graph cannot render and an audio-only file each show their
// message and end with the failing result; the next movie still plays.
TEST_F(MoviePlayer, FailingMoviesShowTheirMessageAndTheNextPlays) {
    SKIP_WITHOUT_PLAYBACK();
    std::string clip = Clip("clip.avi");
    dir.Write("junk.avi", std::string(4096, 'j'));
    dir.Write("sound.wav", mediatest::SilentWav(300));
    std::string junk = dir.File("junk.avi");
    std::string sound = dir.File("sound.wav");
    std::vector<std::string> boxes = PlayList({{1, junk}, {2, sound}, {3, clip}});

    ASSERT_EQ(3u, journal.ended.size());
    long junkResult = journal.ended[0].second;
    EXPECT_LT(junkResult, 0);
    EXPECT_EQ(std::make_pair(sound, static_cast<long>(E_NOINTERFACE)), journal.ended[1]);
    EXPECT_EQ(std::make_pair(clip, 0L), journal.ended[2]);
    EXPECT_EQ(1, journal.Completions());
    EXPECT_EQ((std::vector<std::string>{
                  "Failed(0x" + Hex(junkResult) + ") in RenderFile(" + junk + ")!\r\n",
                  "Failed(0x80004002) to set message drain for " + sound +
                      ".\r\n\r\nThis sample is designed to play videos, but the file selected has no video component.",
              }),
              boxes);
}

// Calls that cannot play: a null name, a name too long for the wide-character
// buffer (the window title is cut to 289 characters), and a thread whose COM
// apartment does not fit; none leaves a drain window behind.
TEST_F(MoviePlayer, CallsThatCannotPlay) {
    EXPECT_EQ(E_POINTER, PlayMovie(nullptr, nullptr));
    EXPECT_TRUE(journal.titles.empty());

    std::string longName = dir.Path() + std::string("\\") + std::string(300, 'y') + ".avi";
    testsupport::MessageBoxWatcher watcher(kCaption);
    long result = PlayMovie(longName.c_str(), nullptr);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), result);
    ASSERT_EQ(1u, journal.titles.size());
    EXPECT_EQ(("Brightvane Movie Player: " + longName).substr(0, 289), journal.titles[0]);
    EXPECT_EQ(std::vector<std::string>{"Failed(0x8007007a) in RenderFile(" + longName + ")!\r\n"}, watcher.Texts());

    // A thread's windows go with it, so the look-up is made on the thread.
    long threadResult = 0;
    HWND leftOver = nullptr;
    std::thread multithreaded([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        threadResult = PlayMovie("any.avi", nullptr);
        leftOver = FindWindowA("Brightvane Movie Player", nullptr);
        CoUninitialize();
    });
    multithreaded.join();
    EXPECT_EQ(RPC_E_CHANGED_MODE, threadResult);
    EXPECT_EQ(nullptr, leftOver);
}

}  // namespace
