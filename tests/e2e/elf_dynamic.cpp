#include "elf_dynamic.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

template <typename T>
T At(const std::string& image, std::size_t offset) {
  if (offset > image.size() || image.size() - offset < sizeof(T))
    throw std::runtime_error("ELF file is truncated");
  T value;
  std::memcpy(&value, image.data() + offset, sizeof(T));
  return value;
}

std::string StringAt(const std::string& image, std::size_t table, std::size_t index) {
  const std::size_t start = table + index;
  const std::size_t end = image.find('\0', start);
  if (start >= image.size() || end == std::string::npos)
    throw std::runtime_error("ELF string out of range");
  return image.substr(start, end - start);
}

}  // namespace

ElfDynamic ReadElfDynamic(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string image{std::istreambuf_iterator<char>(in), {}};
  const auto header = At<Elf64_Ehdr>(image, 0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64)
    throw std::runtime_error("not a 64-bit ELF file");

  std::vector<Elf64_Shdr> sections;
  for (std::size_t i = 0; i < header.e_shnum; ++i)
    sections.push_back(At<Elf64_Shdr>(image, header.e_shoff + i * header.e_shentsize));

  ElfDynamic result;
  for (const auto& section : sections) {
    if (section.sh_type != SHT_DYNAMIC && section.sh_type != SHT_DYNSYM) continue;
    const std::size_t strings = sections.at(section.sh_link).sh_offset;
    if (section.sh_type == SHT_DYNAMIC) {
      for (std::size_t at = 0; at + sizeof(Elf64_Dyn) <= section.sh_size;
           at += sizeof(Elf64_Dyn)) {
        const auto entry = At<Elf64_Dyn>(image, section.sh_offset + at);
        if (entry.d_tag == DT_NEEDED)
          result.needed_libraries.push_back(StringAt(image, strings, entry.d_un.d_val));
      }
    } else {
      for (std::size_t at = sizeof(Elf64_Sym); at + sizeof(Elf64_Sym) <= section.sh_size;
           at += sizeof(Elf64_Sym)) {
        const auto symbol = At<Elf64_Sym>(image, section.sh_offset + at);
        if (symbol.st_shndx == SHN_UNDEF)
          result.imported_symbols.push_back(StringAt(image, strings, symbol.st_name));
      }
    }
  }
  return result;
}
