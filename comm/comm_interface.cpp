// The operations of "COM": the box opened and closed, a number key picking an
// item, the display time counted down, the box drawn, and the orders sent to
// the player's flight.
#include "comm/comm_interface.h"

#include "files/strings.h"
#include "varn/msn.h"
#include "varn/obj.h"
#include "varn/txt.h"

namespace {

// The message each command number sends to a flight member's order component.
int OrderMessage(int32_t commandNumber) {
    switch (commandNumber) {
    case 1: return 46;
    case 2: return 47;
    case 3: return 42;
    case 4: return 44;
    default: return 0;
    }
}

const int kMessageBusy = 45;      // a non-zero answer: the member takes no order now
const int kMessageRefuses = 66;   // likewise

const ColorRGBA kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

void VARN_CDECL OnKeyCommand(int command, int, int) { TheCommInterface().comCommand(command); }

}  // namespace

CommInterface& TheCommInterface() {
    static CommInterface comm;
    return comm;
}

bool CommInterface::PlayerIsActive() {
    IObjectManager* obj = services.obj();
    if (!obj) return false;
    const int id = obj->objGetPlayerObjectId();
    if (id == -1) return false;
    IGameObject* player = obj->objGetObject(id);
    return player && player->IsActive();
}

void CommInterface::RegisterKeys() {
    if (services.ctl()) {
        for (int command = kFirstKeyCommand; command <= kLastKeyCommand; ++command)
            services.ctl()->ctlRegisterCommandCallback(command, &OnKeyCommand);
    }
    m_keysRegistered = true;
}

void CommInterface::UnregisterKeys() {
    if (services.ctl()) {
        for (int command = kFirstKeyCommand; command <= kLastKeyCommand; ++command)
            services.ctl()->ctlUnregisterCommandCallback(command, &OnKeyCommand);
    }
    m_keysRegistered = false;
}

void CommInterface::comDeinit() {
    UnregisterKeys();
    if (services.txt()) services.txt()->txtUnloadTextFile(m_textFile);
    DestroyCommMenu(&m_menu);
}

void CommInterface::ReleaseLeftovers() {
    // After the unload CTL would call into freed code.
    if (m_keysRegistered) UnregisterKeys();
    DestroyCommMenu(&m_menu);
    FreeString(&m_textFile);
}

void CommInterface::comToggle() {
    if (m_open) {
        m_open = 0;
        return;
    }
    if (!PlayerIsActive() || !m_menu) return;
    m_open = 1;
    m_remainingTime = m_displayTime;
    m_boxHeight = m_lineHeight * static_cast<float>(m_menu->LineCount());
}

int CommInterface::comCommand(int command) {
    if (!PlayerIsActive()) {
        m_open = 0;
        return 0;
    }
    if (!m_open || !m_menu) return 0;
    if (command < kFirstKeyCommand || command > kLastKeyCommand) return 0;
    CommMenuItem* item = m_menu->FindCommand(command - 1);
    if (!item || item->disabled) return 0;
    DispatchOrder(item->commandNumber);
    m_open = 0;
    return 1;
}

void CommInterface::comUpdate(float elapsed) {
    if (!PlayerIsActive()) {
        m_open = 0;
        return;
    }
    if (!m_open) return;
    m_remainingTime -= elapsed;
    if (m_remainingTime < 0.0f) {
        m_remainingTime = 0.0f;
        m_open = 0;
    }
}

void CommInterface::comDraw() {
    IGraphicsEngine* gfx = services.gfx();
    if (!m_open || !gfx) return;
    if (m_backgroundImage != -1)
        gfx->gfxDrawImage(m_topLeftX, m_topLeftY, m_boxWidth, m_boxHeight, m_backgroundImage, 1);
    gfx->gfxSelectFont(m_font);
    gfx->gfxSetTextColor(&kWhite);
    gfx->gfxBeginText();
    if (m_menu) {
        const float x = m_topLeftX + m_horizontalBorder;
        float y = m_topLeftY + m_verticalBorder;
        gfx->gfxDrawText(m_menu->title ? m_menu->title : "", x, y, 0, 0);
        y += m_lineHeight;
        for (int32_t i = 0; i < m_menu->items.Count(); ++i) {
            const CommMenuItem* item = m_menu->Item(i);
            if (item->extraSpace) y += m_lineHeight;
            gfx->gfxSetTextColor(item->disabled ? &m_disabledColor : &m_activeColor);
            gfx->gfxDrawText(item->displayText, x, y, 0, 0);
            y += m_lineHeight;
        }
    }
    gfx->gfxEndText();
}

void CommInterface::DispatchOrder(int32_t commandNumber) {
    // Nothing to send without the flight's record and slot.
    if (!m_flightRecord || !m_flightSlot || !services.obj()) return;
    int count = m_flightRecord->aircraftCount;
    if (count <= 1) return;
    if (count > kFlightPlaces) count = kFlightPlaces;  // a slot holds no more places
    for (int place = 1; place < count; ++place) {
        const int32_t id = m_flightSlot->objectIds[place];
        if (id == -1) continue;
        IGameObject* member = services.obj()->objGetObject(id);
        if (!member || !member->IsActive()) continue;
        if (member->GetFlags() & m_flagMasks[kFlagRemoteObject]) continue;
        IComponent* orders = nullptr;
        member->GetComponent(kOrderComponent, &orders);
        if (!orders) continue;
        if (orders->HandleMessage(kMessageBusy, -1, 0)) continue;
        if (orders->HandleMessage(kMessageRefuses, -1, 0)) continue;
        if (int message = OrderMessage(commandNumber)) orders->HandleMessage(message, -1, 0);
    }
}
