// The services the INI library reaches through its deliverable's service
// access layer.
#pragma once

class IFileManager;

// The deliverable's bound file manager, or null when none is bound.
IFileManager* IniFileManager();
void IniBindFileManager(IFileManager* files);
