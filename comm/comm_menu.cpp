#include "comm/comm_menu.h"

#include "comm/text_values.h"
#include "files/strings.h"
#include "ini/ini_file.h"
#include "shell/shell_memory.h"
#include "varn/txt.h"

#include <cstdio>
#include <new>

namespace {

const char* LookUp(ITextManager* texts, const char* textFile, const char* key) {
    const char* text = texts ? texts->txtLookUpText(textFile, key) : nullptr;
    return text ? text : "";
}

// "%d. %s" in a block of its own size.
char* FormatDisplayText(int32_t number, const char* text) {
    int length = snprintf(nullptr, 0, "%d. %s", number, text);
    if (length < 0) return nullptr;
    char* display = static_cast<char*>(ShellAlloc(static_cast<size_t>(length) + 1));
    if (display) snprintf(display, static_cast<size_t>(length) + 1, "%d. %s", number, text);
    return display;
}

void FreeItem(CommMenuItem* item) {
    if (!item) return;
    FreeString(&item->displayText);
    FreeString(&item->subMenuName);
    delete item;
}

// Item k of the section, or null when there is no memory for it.
CommMenuItem* BuildItem(IniFile& ini, const char* section, int k, const char* textFile, ITextManager* texts) {
    char prefix[24];  // "Item[" and any int and "]."
    char key[kValueTextSize];
    char textKey[kValueTextSize] = "";
    snprintf(prefix, sizeof prefix, "Item[%03d].", k);
    auto name = [&](const char* suffix) {
        snprintf(key, sizeof key, "%s%s", prefix, suffix);
        return key;
    };
    ini.GetString(section, name("Text"), "", textKey, sizeof textKey, 0);
    CommMenuItem* item = new (std::nothrow) CommMenuItem{};
    if (!item) return nullptr;
    item->commandNumber = ini.GetInt(section, name("CommandNum"), k);
    item->displayText = FormatDisplayText(item->commandNumber % 10, LookUp(texts, textFile, textKey));
    item->extraSpace = ini.GetBool(section, name("ExtraSpace"), 0);
    item->subMenuName = ReadText(ini, section, name("Menu"), 0);
    item->disabled = 0;
    if (!item->displayText) {
        FreeItem(item);
        return nullptr;
    }
    return item;
}

}  // namespace

CommMenuItem* CommMenu::FindCommand(int32_t commandNumber) {
    if (!items.Find(false, [commandNumber](void* item) {
            return static_cast<CommMenuItem*>(item)->commandNumber == commandNumber;
        }))
        return nullptr;
    return Item(items.Cursor());
}

int32_t CommMenu::LineCount() const {
    int32_t lines = 1;
    for (int32_t i = 0; i < items.Count(); ++i) lines += Item(i)->extraSpace ? 2 : 1;
    return lines;
}

void CommMenu::DisableAll() {
    for (int32_t i = 0; i < items.Count(); ++i) Item(i)->disabled = 1;
}

CommMenu* BuildCommMenu(IniFile& ini, const char* section, const char* textFile, ITextManager* texts) {
    CommMenu* menu = new (std::nothrow) CommMenu;
    if (!menu) return nullptr;
    menu->name = ReadText(ini, section, "Name", 0);
    const int count = ini.CountNumberedKeys(section, "Item[%03d].Text");
    menu->items.Reserve(count);
    for (int k = 1; k <= count; ++k) {
        CommMenuItem* item = BuildItem(ini, section, k, textFile, texts);
        if (item && !menu->items.Append(item)) FreeItem(item);
    }
    char titleKey[kValueTextSize] = "";
    ini.GetString(section, "Text", "", titleKey, sizeof titleKey, 0);
    menu->title = texts ? texts->txtLookUpText(textFile, titleKey) : nullptr;
    return menu;
}

void DestroyCommMenu(CommMenu** menu) {
    if (!*menu) return;
    for (int32_t i = 0; i < (*menu)->items.Count(); ++i) FreeItem((*menu)->Item(i));
    FreeString(&(*menu)->name);
    delete *menu;
    *menu = nullptr;
}
