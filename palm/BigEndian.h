// Big-endian number fields of Palm files, read from and written to byte strings whatever
// the machine's own byte order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vesko::palm {

inline void PutU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

inline void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
  PutU16(out, static_cast<std::uint16_t>(v));
}

// The caller makes sure that the bytes at pos exist.
inline std::uint16_t GetU16(std::string_view in, std::size_t pos) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(in[pos]) << 8 |
                                    static_cast<std::uint8_t>(in[pos + 1]));
}

inline std::uint32_t GetU32(std::string_view in, std::size_t pos) {
  return static_cast<std::uint32_t>(GetU16(in, pos)) << 16 | GetU16(in, pos + 2);
}

}  // namespace vesko::palm
