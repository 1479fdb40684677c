// Working-directory and directory-listing helpers, and the thin client helpers
// that go through the bound file manager.
#pragma once

class StringPool;

void GetCurrentDir(char* buffer, int size);
bool MakeDirectory(const char* path);
bool DirectoryExists(const char* path);
bool ChangeDirectory(const char* path);
int CountFiles(const char* pattern);
void CollectFileNames(StringPool* pool, const char* pattern, bool stripExtension);
bool DeleteFileByName(const char* path);

// Through the file manager bound in this deliverable's service access layer;
// 0 or nothing when none is bound.
int FileExistsVia(const char* name, int plainOnly);
int FileSizeVia(const char* name);
void PushDirectoryVia();
void PopDirectoryVia();
