// Writes a catalog archive from plain files: the records in data order with
// upper-cased names stored with their zero byte, the extension table, then
// the files' bytes back to back.
#pragma once

#include <string>
#include <vector>

class IFileManager;

// Writes output from the files at inputs, reading and writing through files.
// False with a message in *error when a file cannot be taken or written;
// *warnings receives notes that do not stop the catalog from being written.
bool WriteCatalog(IFileManager* files, const char* output, const std::vector<std::string>& inputs,
                  std::string* error, std::vector<std::string>* warnings);
