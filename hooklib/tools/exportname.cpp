// SPDX-License-Identifier: GPL-3.0-or-later
// Gives the X11 hook library's keyboard procedure its exact export name after the
// link: renames "_LowLevelKeyboardProba12" to "_LowLevelKeyboardProc@12" in the
// symbol string tables of the finished file (../exportname.h says why this is safe).
//
//   kestrine_exportname LIBRARY

#include "hooklib/exportname.h"

#include <elf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Elf32Types
{
    using Ehdr = Elf32_Ehdr;
    using Shdr = Elf32_Shdr;
    using Sym = Elf32_Sym;
};

struct Elf64Types
{
    using Ehdr = Elf64_Ehdr;
    using Shdr = Elf64_Shdr;
    using Sym = Elf64_Sym;
};

template <typename T> bool readAt(const std::vector<char> &file, std::size_t offset, T &value)
{
    if (offset > file.size() || file.size() - offset < sizeof(T))
        return false;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

/// Renames every symbol of the two symbol tables that carries the link name.
/// Returns the number renamed, or -1 when the file cannot be changed safely.
template <typename Elf> int renameProcedure(std::vector<char> &file, std::string &error)
{
    typename Elf::Ehdr header;
    if (!readAt(file, 0, header) || header.e_shentsize != sizeof(typename Elf::Shdr)) {
        error = "unexpected ELF header";
        return -1;
    }
    std::vector<typename Elf::Shdr> sections(header.e_shnum);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (!readAt(file, header.e_shoff + i * sizeof(typename Elf::Shdr), sections[i])) {
            error = "truncated section table";
            return -1;
        }
        if (sections[i].sh_type == SHT_HASH) {
            // The old hash table uses another function; the rename would break it.
            error = "the library has a SysV hash table; link it with --hash-style=gnu";
            return -1;
        }
    }

    const std::size_t nameLength = sizeof(kestrine::KeyboardProcLinkName) - 1;
    int renamed = 0;
    for (const auto &table : sections) {
        if (table.sh_type != SHT_DYNSYM && table.sh_type != SHT_SYMTAB)
            continue;
        if (table.sh_link >= sections.size() || table.sh_entsize != sizeof(typename Elf::Sym)) {
            error = "malformed symbol table";
            return -1;
        }
        const auto &strings = sections[table.sh_link];
        std::vector<std::size_t> nameOffsets;
        for (std::size_t at = 0; at + sizeof(typename Elf::Sym) <= table.sh_size;
             at += sizeof(typename Elf::Sym)) {
            typename Elf::Sym symbol;
            if (!readAt(file, table.sh_offset + at, symbol)) {
                error = "truncated symbol table";
                return -1;
            }
            nameOffsets.push_back(symbol.st_name);
        }
        for (const std::size_t name : nameOffsets) {
            const std::size_t start = strings.sh_offset + name;
            if (name + nameLength + 1 > strings.sh_size ||
                std::memcmp(file.data() + start, kestrine::KeyboardProcLinkName, nameLength + 1) !=
                    0)
                continue;
            // A linker may let a shorter name share the tail of a longer one; such
            // a name would change with ours.
            for (const std::size_t other : nameOffsets) {
                if (other > name && other < name + nameLength) {
                    error = "another symbol name shares the procedure's name";
                    return -1;
                }
            }
            std::memcpy(file.data() + start, kestrine::KeyboardProcName, nameLength);
            ++renamed;
        }
    }
    return renamed;
}

bool containsName(const std::vector<char> &file, const char *name)
{
    const std::size_t length = std::strlen(name) + 1; // with its terminating zero
    return std::search(file.begin(), file.end(), name, name + length) != file.end();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    std::vector<char> file;
    {
        std::ifstream in(path, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
        std::fprintf(stderr, "%s: not an ELF file\n", path.c_str());
        return 1;
    }

    std::string error;
    const int renamed = file[EI_CLASS] == ELFCLASS64 ? renameProcedure<Elf64Types>(file, error)
                                                     : renameProcedure<Elf32Types>(file, error);
    if (renamed < 0) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    if (renamed == 0) {
        if (containsName(file, kestrine::KeyboardProcName))
            return 0; // renamed before
        std::fprintf(stderr, "%s: no symbol %s\n", path.c_str(), kestrine::KeyboardProcLinkName);
        return 1;
    }

    // Written in place, so that the file keeps its permissions.
    std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        return 1;
    }
    return 0;
}
