// The DirectX version check made at start, before any window exists.
//
// The installed version is asked of the DirectX diagnostic component first;
// when that fails, the versions of well-known DirectX system files decide.
// A runtime older than 9.0c is refused with a message box.
#pragma once

#include <cstdint>

// 1 to go on with start-up; 0 after the refusal message box was shown.
int DirectXCheck();

// ---- The pieces of the check ------------------------------------------------
// Results are HRESULT values: 0 on success, a failure code otherwise.

// 9.0c: the oldest version the program runs on.
const uint32_t kDirectXVersionRequired = 0x00090003;

// A method that reports the version as major, minor and letter (blank for none).
using DirectXVersionMethod = long (*)(uint32_t* major, uint32_t* minor, char* letter);

// The diagnostic component's answer; 0, or E_FAIL when any of the three
// values could not be read (an empty letter counts as not read).
long DirectXVersionViaDiagnostics(uint32_t* major, uint32_t* minor, char* letter);

// The version told by the DirectX files of directory (the system directory in
// the product); 0.0 when the directory is null or empty or nothing matched.
// Always 0.
long DirectXVersionViaFiles(const char* directory, uint32_t* major, uint32_t* minor, char* letter);

// The version resource of a file as the 64-bit a.b.c.d (16 bits each); 0,
// E_INVALIDARG for a null argument, E_FAIL without version information,
// E_OUTOFMEMORY when the buffer cannot be had.
long GetFileVersion(const char* path, uint64_t* version);

// The version code 0x00MMmmLL and text ("9.0c", "8.1") of major, minor and
// letter. Major and minor each fill one byte of the code, so larger values
// count as 255; the letter is taken in either case and adds its place in the
// alphabet when it is a letter. The text is cut to fit textSize.
uint32_t FormatDirectXVersion(uint32_t major, uint32_t minor, char letter, char* text, int textSize);

// The version by the diagnostics method, then by the files of directory. Sets
// code 0 and text empty first; 0 when a method gave a version.
long GetDirectXVersionWith(DirectXVersionMethod diagnostics, const char* directory, uint32_t* code,
                           char* text, int textSize);

// The check with the given first method and file directory: 1 to go on, 0
// after the refusal message box. DirectXCheck passes the diagnostic component
// and the system directory.
int DirectXCheckWith(DirectXVersionMethod diagnostics, const char* directory);
