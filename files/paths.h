// Path helpers with the system's own rules for combining a base directory with
// a relative name. Separators are backslashes; path buffers are 260 bytes.
#pragma once

#include "shell_base/path_size.h"  // kPathSize

void GetFileName(const char* path, char* out, int size);
void GetFileExtension(const char* path, char* out, int size);
void StripExtension(const char* path, char* out, int size);
void AppendPathComponent(int size, char* path, const char* component);
void AppendDefaultExtension(int size, char* path, const char* extension);
void CombinePath(const char* base, const char* relative, char* out, int size);
void MakeFilePath(const char* base, const char* name, const char* extension, char* out, int size);
