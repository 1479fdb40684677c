#include "ini/ini_services.h"

namespace {
IFileManager* g_fileManager = nullptr;
}

IFileManager* IniFileManager() { return g_fileManager; }
void IniBindFileManager(IFileManager* files) { g_fileManager = files; }
