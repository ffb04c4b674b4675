#include "medialib/SharedObjectDependencies.h"

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <fstream>

namespace velmora {
namespace {

// Far above what any real library has; keeps a damaged header from asking for huge reads.
constexpr std::uint64_t kMaxProgramHeaders = 4096;
constexpr std::uint64_t kMaxDynamicBytes = 1 << 20;
constexpr std::uint64_t kMaxStringTableBytes = 16 << 20;

class FileReader {
public:
    explicit FileReader(const std::string& path) : m_file(path, std::ios::binary) {
        if (m_file) {
            m_file.seekg(0, std::ios::end);
            const std::streamoff end = m_file.tellg();
            m_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }

    // Reads size bytes at offset; false when they are not all inside the file.
    bool read(std::uint64_t offset, void* target, std::uint64_t size) {
        if (!m_file || offset > m_size || size > m_size - offset) {
            return false;
        }
        if (size == 0) {
            return true;
        }
        m_file.seekg(static_cast<std::streamoff>(offset));
        m_file.read(static_cast<char*>(target), static_cast<std::streamsize>(size));
        return static_cast<bool>(m_file);
    }

private:
    std::ifstream m_file;
    std::uint64_t m_size = 0;
};

template <typename Header, typename ProgramHeader, typename Dynamic>
std::vector<std::string> neededOf(FileReader& reader) {
    Header header{};
    if (!reader.read(0, &header, sizeof header) || header.e_phentsize != sizeof(ProgramHeader) ||
        header.e_phnum > kMaxProgramHeaders) {
        return {};
    }
    std::vector<ProgramHeader> segments(header.e_phnum);
    if (!reader.read(header.e_phoff, segments.data(), segments.size() * sizeof(ProgramHeader))) {
        return {};
    }
    const ProgramHeader* dynamicSegment = nullptr;
    for (const ProgramHeader& segment : segments) {
        if (segment.p_type == PT_DYNAMIC) {
            dynamicSegment = &segment;
        }
    }
    if (dynamicSegment == nullptr || dynamicSegment->p_filesz > kMaxDynamicBytes) {
        return {};
    }
    std::vector<Dynamic> entries(dynamicSegment->p_filesz / sizeof(Dynamic));
    if (!reader.read(dynamicSegment->p_offset, entries.data(), entries.size() * sizeof(Dynamic))) {
        return {};
    }
    std::uint64_t stringAddress = 0;
    std::uint64_t stringSize = 0;
    std::vector<std::uint64_t> neededOffsets;
    for (const Dynamic& entry : entries) {
        if (entry.d_tag == DT_NULL) {
            break;
        }
        if (entry.d_tag == DT_NEEDED) {
            neededOffsets.push_back(entry.d_un.d_val);
        } else if (entry.d_tag == DT_STRTAB) {
            stringAddress = entry.d_un.d_ptr;
        } else if (entry.d_tag == DT_STRSZ) {
            stringSize = entry.d_un.d_val;
        }
    }
    if (neededOffsets.empty() || stringSize == 0 || stringSize > kMaxStringTableBytes) {
        return {};
    }
    // The string table is given as a memory address: the loadable segment holding it tells
    // where that is in the file.
    std::uint64_t stringOffset = 0;
    bool found = false;
    for (const ProgramHeader& segment : segments) {
        if (segment.p_type == PT_LOAD && stringAddress >= segment.p_vaddr &&
            stringAddress - segment.p_vaddr < segment.p_filesz) {
            stringOffset = stringAddress - segment.p_vaddr + segment.p_offset;
            found = true;
            break;
        }
    }
    std::vector<char> strings(stringSize + 1, '\0');
    if (!found || !reader.read(stringOffset, strings.data(), stringSize)) {
        return {};
    }
    std::vector<std::string> names;
    for (std::uint64_t offset : neededOffsets) {
        if (offset < stringSize) {
            names.emplace_back(strings.data() + offset);
        }
    }
    return names;
}

}  // namespace

std::vector<std::string> NeededLibraries(const std::string& path) {
    FileReader reader(path);
    unsigned char ident[EI_NIDENT] = {};
    if (!reader.read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return {};
    }
    // Only objects this process could load: its own byte order.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr unsigned char kByteOrder = ELFDATA2LSB;
#else
    constexpr unsigned char kByteOrder = ELFDATA2MSB;
#endif
    if (ident[EI_DATA] != kByteOrder) {
        return {};
    }
    switch (ident[EI_CLASS]) {
        case ELFCLASS64:
            return neededOf<Elf64_Ehdr, Elf64_Phdr, Elf64_Dyn>(reader);
        case ELFCLASS32:
            return neededOf<Elf32_Ehdr, Elf32_Phdr, Elf32_Dyn>(reader);
        default:
            return {};
    }
}

}  // namespace velmora
