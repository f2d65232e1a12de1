// Layout of the resource section that the resource compiler (rc/) writes into a module and the
// layer reads back. Shared by both, so the two never disagree.
//
// The section is a non-allocated ELF section: it stays in the file and costs no memory until a
// module's resources are first used. All numbers are little-endian.
//
//   header   magic "W32RSRC\0" (8 bytes), format version (u32), entry count (u32)
//   entries  per resource: type key (u32), name key (u32), language (u16), reserved (u16),
//            data offset (u32), data size (u32) -- offsets count from the section's start
//   strings  a key with kNamedKey set is the offset of a name: length in UTF-16 units (u16),
//            then the units, upper-cased; other keys are integer ids (MAKEINTRESOURCE)
//   data     each resource's bytes, starting on a kDataAlignment boundary
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32::rsrc {

inline constexpr char kSectionName[] = ".w32rsrc";
inline constexpr char kMagic[8] = {'W', '3', '2', 'R', 'S', 'R', 'C', '\0'};
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr size_t kHeaderSize = 16;
inline constexpr size_t kEntrySize = 20;
inline constexpr uint32_t kNamedKey = 0x80000000u;
inline constexpr size_t kDataAlignment = 16;
// The ids of the version resource, as Windows gives them (RT_VERSION, VS_VERSION_INFO).
inline constexpr uint32_t kVersionType = 16;
inline constexpr uint32_t kVersionName = 1;

} // namespace win32::rsrc
