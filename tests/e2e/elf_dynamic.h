// What an ELF executable asks of the dynamic linker: the libraries it needs
// and the symbols it imports.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ElfDynamic {
  std::vector<std::string> needed_libraries;
  std::vector<std::string> imported_symbols;
};

// Reads a 64-bit little-endian ELF file; throws std::runtime_error otherwise.
ElfDynamic ReadElfDynamic(const std::filesystem::path& file);
