// comInit: the definition file read into the box's look and the menu, the
// key commands registered and the module bound to the player's flight.
#include "comm/comm_interface.h"

#include "comm/text_values.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "varn/msn.h"
#include "varn/obj.h"
#include "varn/txt.h"

namespace {

const char* const kFlagNames[kFlagCount] = {
    "AIR",    "GROUND",     "MISSILE",      "DETECTED",       "IDENTIFIED",   "AWAKE",        "ASLEEP",
    "LEAD",   "FORMATION",  "NETOBJECT",    "REMOTEOBJECT",   "TARGETABLE",   "PLAYERLAUNCHED",
    "PLAYERTARGET", "PLAYEROBJECT", "NOT_RENDERED", "WEAPON_IN_FLIGHT"};

const float kLineHeightPerPixel = 0.0020833334f;  // 1/480: the text size is in pixels of a 480-line screen
const float kWideSurfaceScale = 0.333333f;  // the middle third (a float a little below 1/3)

// Moves the list's position to the index-th node, as the list itself would;
// the element there, or null (and no position) for an index out of range.
void* MoveListTo(CursorListRecord* list, int32_t index) {
    list->current = nullptr;
    list->currentIndex = -1;
    if (index < 0 || index >= list->count) return nullptr;
    CursorListNodeRecord* node = list->head;
    for (int32_t i = 0; node && i < index; ++i) node = node->next;
    if (!node) return nullptr;
    list->current = node;
    list->currentIndex = index;
    return node->element;
}

}  // namespace

void CommInterface::comInit(const char* fileName) {
    // A second load replaces the first.
    if (m_keysRegistered) comDeinit();
    IniFile ini(fileName, 0, 0, IniFile::kDefaultExtra);

    TextAttributes font = {};
    ReadTextAttributes(ini, "Font", &font);
    if (services.gfx()) m_font = services.gfx()->gfxCreateFont(&font);

    m_backgroundImage = -1;
    char image[kValueTextSize] = "";
    ini.GetString("InfoDisplay", "BackgroundImage", "", image, sizeof image, 0);
    if (image[0] && services.gfx()) m_backgroundImage = services.gfx()->gfxLoadImage(image, 1, 0, 1);

    m_horizontalBorder = ini.GetFloat("InfoDisplay", "HorizontalBorder", 0.0f);
    m_verticalBorder = ini.GetFloat("InfoDisplay", "VerticalBorder", 0.0f);
    m_lineHeight = static_cast<float>(font.textSize) * kLineHeightPerPixel + 2.0f * m_verticalBorder;

    m_boxWidth = ini.GetFloat("InfoDisplay", "DisplayWidth", 0.0f);
    m_boxHeight = ini.GetFloat("InfoDisplay", "DisplayHeight", 0.0f);
    FloatPair topLeft;
    ReadFloatPair(ini, "InfoDisplay", "TopLeftPosition", &topLeft);
    m_topLeftX = topLeft.x;
    m_topLeftY = topLeft.y;
    ReadColorRGBA(ini, "InfoDisplay", "ActiveColor", &m_activeColor);
    ReadColorRGBA(ini, "InfoDisplay", "DisabledColor", &m_disabledColor);
    m_displayTime = ini.GetFloat("InfoDisplay", "DisplayTime", 0.0f);
    m_open = 0;
    m_remainingTime = 0.0f;

    FreeString(&m_textFile);
    m_textFile = ReadText(ini, "MenuText", "TextFile", 0);
    if (services.txt()) services.txt()->txtLoadTextFile(m_textFile);

    // Only the first menu section is read.
    if (ini.CountNumberedSections("Menu%03d") >= 1) m_menu = BuildCommMenu(ini, "Menu001", m_textFile, services.txt());

    RegisterKeys();

    MissionRecord* mission = nullptr;
    FlightSlotArray* slots = nullptr;
    if (services.msn()) {
        services.msn()->msnGetMissionRecord(&mission);
        services.msn()->msnGetFlightSlots(&slots);
    }
    m_flightRecord = nullptr;
    m_flightSlot = nullptr;
    if (mission) {
        const int32_t index = mission->playerFlightIndex;
        m_flightRecord = static_cast<FlightRecord*>(MoveListTo(&mission->flights, index));
        if (slots) {
            const bool inRange = index >= 0 && index < slots->count && slots->elements;
            slots->currentIndex = inRange ? index : -1;
            m_flightSlot = inRange ? &slots->elements[index] : nullptr;
        }
    }

    for (int i = 0; i < kFlagCount; ++i) m_flagMasks[i] = services.obj() ? services.obj()->objGetFlagMask(kFlagNames[i]) : 0;

    // No orders in these missions, nor to a flight of one (or to no flight at all).
    if (m_menu) {
        const bool noOrders = !mission || mission->missionMode == 0 || mission->missionMode == 3 || mission->flags != 0 ||
                              !m_flightRecord || m_flightRecord->aircraftCount <= 1;
        if (noOrders) m_menu->DisableAll();
    }

    MapToWideSurface();
}

void CommInterface::MapToWideSurface() {
    IDisplay* display = services.gfx() ? services.gfx()->gfxGetDisplay() : nullptr;
    const DisplayMode* mode = nullptr;
    if (display) display->GetDisplayMode(&mode);
    if (!mode || !(mode->flags & kDisplayWideSurface)) return;
    m_topLeftX = (m_topLeftX + 1.0f) * kWideSurfaceScale;
    m_boxWidth *= kWideSurfaceScale;
    m_horizontalBorder *= kWideSurfaceScale;
}
