// The facts of the RAR 2.0 block format shared by the archive reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace engine::rar {

inline constexpr unsigned char kMark[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::size_t kMarkSize = sizeof kMark;

// Block types.
constexpr std::uint8_t kMainHead = 0x73;
constexpr std::uint8_t kFileHead = 0x74;
constexpr std::uint8_t kOldSubBlock = 0x77;
constexpr std::uint8_t kEndHead = 0x7B;

// Head flags.
constexpr std::uint16_t kLongBlock = 0x8000; // a 32-bit data size follows the base header
constexpr std::uint16_t kSkipIfUnknown = 0x4000;
constexpr std::uint16_t kSolidArchive = 0x0008; // main header
constexpr std::uint16_t kEncrypted = 0x0004;    // file header
constexpr std::uint16_t kDictionaryMask = 0x00E0;
constexpr std::uint16_t kDirectory = 0x00E0; // all dictionary bits: the entry is a folder

constexpr std::size_t kBaseHeadSize = 7;
constexpr std::size_t kMainHeadSize = 13;
constexpr std::size_t kFileHeadFixedSize = 32;

constexpr std::uint8_t kHostWin32 = 2;
constexpr std::uint8_t kMethodStore = 0x30;
constexpr std::uint8_t kUnpackVersion = 20;
constexpr std::uint8_t kMinUnpackVersion = 13;
constexpr std::uint8_t kMaxUnpackVersion = 20;

// DOS attributes.
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeArchive = 0x20;

// Entry names longer than this are cut; requested names are compared up to kMaxCompared.
constexpr std::size_t kMaxNameLength = 259;
constexpr std::size_t kMaxCompared = 512;

// The low 16 bits of the CRC-32 of a header from its type byte to its end.
std::uint16_t headerCrc(std::string_view headerFromType);

// An MS-DOS date and time (local time, two-second steps), years 1980 to 2107.
std::uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second);

} // namespace engine::rar

namespace engine {

// CRC-32 with the reflected polynomial 0xEDB88320 (zlib's).
std::uint32_t crc32Of(std::string_view bytes);

} // namespace engine
