// The game's interfaces as varnComm sees them, faked in this program: each
// call is journaled as one line ("GFX DrawText 1. Attack 0.375 0.375") and
// answered from the state the test sets up.
#pragma once

#include "tests/support/fake_object_manager.h"
#include "varn/varn.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace commtest {

class Journal {
public:
    void Add(const char* format, ...) {
        char text[512];
        va_list values;
        va_start(values, format);
        vsnprintf(text, sizeof text, format, values);
        va_end(values);
        lines.push_back(text);
    }
    // The lines that start with prefix (e.g. "GFX", "MSG"), in order.
    std::vector<std::string> With(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : lines) {
            if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
        }
        return found;
    }
    std::vector<std::string> lines;
};

class FakeGraphics final : public IGraphicsEngine, public IDisplay {
public:
    explicit FakeGraphics(Journal& journal) : m_journal(journal) {}
    void gfxSetActive(int active) override { m_journal.Add("GFX SetActive %d", active); }
    IDisplay* gfxGetDisplay() override { m_journal.Add("GFX GetDisplay"); return this; }
    int gfxLoadImage(const char* name, int a, int b, int c) override {
        m_journal.Add("GFX LoadImage %s %d %d %d", name, a, b, c);
        return 7;
    }
    void gfxDrawImage(float x, float y, float width, float height, int image, int mode) override {
        m_journal.Add("GFX DrawImage %g %g %g %g %d %d", x, y, width, height, image, mode);
    }
    int gfxCreateFont(const TextAttributes* font) override {
        m_journal.Add("GFX CreateFont %s %d 0x%x", font->fontName, font->textSize, font->styleFlags);
        return 5;
    }
    void gfxSelectFont(int font) override { m_journal.Add("GFX SelectFont %d", font); }
    void gfxSetTextColor(const ColorRGBA* c) override {
        m_journal.Add("GFX SetTextColor %g %g %g %g", c->red, c->green, c->blue, c->alpha);
    }
    void gfxBeginText() override { m_journal.Add("GFX BeginText"); }
    void gfxEndText() override { m_journal.Add("GFX EndText"); }
    void gfxDrawText(const char* text, float x, float y, int a, int b) override {
        m_journal.Add("GFX DrawText %s %g %g %d %d", text, x, y, a, b);
    }
    void GetDisplayMode(const DisplayMode** out) override { *out = &mode; }
    void Reserved1() override {}

    DisplayMode mode = {640, 480, 32, 0};

private:
    Journal& m_journal;
};

// A flight member: its order component answers message codes from a table.
class FakeObject final : public IGameObject, public IComponent {
public:
    FakeObject(Journal& journal, int id) : m_journal(journal), m_id(id) {}
    void GetComponent(int id, IComponent** component) override { if (id == kOrderComponent) *component = this; }
    int IsActive() override { return active; }
    int GetFlags() override { return flags; }
    int HandleMessage(int code, int value1, int value2) override {
        m_journal.Add("MSG %d:%d %d %d", m_id, code, value1, value2);
        auto answer = answers.find(code);
        return answer == answers.end() ? 0 : answer->second;
    }
    int active = 1;
    int flags = 0;
    std::map<int, int> answers;

private:
    Journal& m_journal;
    int m_id;
};

// The flight members, owned here; every flag but "REMOTEOBJECT" is 0x1.
class FakeObjects final : public testsupport::FakeObjectManager {
public:
    static const int kRemoteMask = 0x400;
    explicit FakeObjects(Journal& journal) : m_journal(journal) {
        playerId = 100;
        flagMasks["REMOTEOBJECT"] = kRemoteMask;
        otherFlagMask = 0x1;
        onFlagMask = [this](const char* name) { m_journal.Add("OBJ FlagMask %s", name); };
    }
    FakeObject& Add(int id) {
        m_members[id].reset(new FakeObject(m_journal, id));
        objects[id] = m_members[id].get();
        return *m_members[id];
    }
    FakeObject& Member(int id) { return *m_members.at(id); }

private:
    Journal& m_journal;
    std::map<int, std::unique_ptr<FakeObject>> m_members;
};

// Two flights; the player's is the second, with members at places 0..3.
class FakeMission final : public IMissionSystem {
public:
    explicit FakeMission(Journal& journal) : m_journal(journal) {
        flights[0].aircraftCount = 2;
        flights[1].aircraftCount = 3;
        for (int i = 0; i < 2; ++i) {
            nodes[i] = {i < 1 ? &nodes[i + 1] : nullptr, i > 0 ? &nodes[i - 1] : nullptr, &flights[i]};
            for (int32_t& id : slotRecords[i].objectIds) id = -1;
        }
        record.flights = {nullptr, &nodes[0], &nodes[1], 2, -1};
        for (int place = 0; place < 4; ++place) slotRecords[1].objectIds[place] = 100 + place;
        slots = {2, -1, slotRecords};
    }
    void msnGetNextScreen(char*, int) override {}
    void msnGetMissionRecord(MissionRecord** out) override {
        m_journal.Add("MSN MissionRecord");
        if (hasMission) *out = &record;
    }
    void msnGetFlightSlots(FlightSlotArray** out) override {
        m_journal.Add("MSN FlightSlots");
        if (hasMission) *out = &slots;
    }

    bool hasMission = true;
    MissionRecord record = {1, 1, 0, {}};
    FlightRecord flights[2] = {};
    CursorListNodeRecord nodes[2] = {};
    FlightSlot slotRecords[2] = {};
    FlightSlotArray slots = {};

private:
    Journal& m_journal;
};

class FakeTexts final : public ITextManager {
public:
    explicit FakeTexts(Journal& journal) : m_journal(journal) {}
    void txtLoadTextFile(const char* name) override { m_journal.Add("TXT Load %s", name ? name : "(null)"); }
    void txtUnloadTextFile(const char* name) override { m_journal.Add("TXT Unload %s", name ? name : "(null)"); }
    const char* txtLookUpText(const char* name, const char* key) override {
        m_journal.Add("TXT LookUp %s %s", name ? name : "(null)", key);
        auto found = texts.find(key);
        return found == texts.end() ? nullptr : found->second.c_str();
    }
    std::map<std::string, std::string> texts = {
        {"TITLE", "Orders"}, {"ATTACK", "Attack my target"}, {"COVER", "Cover me"}, {"FORM", "Form up"}};

private:
    Journal& m_journal;
};

class FakeControls final : public IControlMap {
public:
    explicit FakeControls(Journal& journal) : m_journal(journal) {}
    void ctlSetDirectory(const char*) override {}
    void ctlRegisterCommandCallback(int command, CommandCallback callback) override {
        m_journal.Add("CTL Register %d", command);
        callbacks[command] = callback;
    }
    void ctlUnregisterCommandCallback(int command, CommandCallback callback) override {
        m_journal.Add("CTL Unregister %d%s", command, callbacks[command] == callback ? "" : " (not registered)");
        callbacks.erase(command);
    }
    // The player presses the key of a command.
    void Press(int command) {
        auto found = callbacks.find(command);
        if (found != callbacks.end()) found->second(command, 17, 42);
    }
    std::map<int, CommandCallback> callbacks;

private:
    Journal& m_journal;
};

}  // namespace commtest
