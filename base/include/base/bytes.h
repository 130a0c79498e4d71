// Little-endian field access and overflow-checked arithmetic for the byte formats
// (bitmaps, RIFF, the package header). Fields are written one by one, never as structs.
#ifndef KLV_BASE_BYTES_H_
#define KLV_BASE_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <optional>

namespace klv {

inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t GetLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline int32_t GetLe32Signed(const uint8_t* p) { return static_cast<int32_t>(GetLe32(p)); }

// a * b, or nothing when the product does not fit in 64 bits.
inline std::optional<uint64_t> CheckedMul(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
  return r;
}

// a + b, or nothing when the sum does not fit in 64 bits.
inline std::optional<uint64_t> CheckedAdd(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
  return r;
}

}  // namespace klv

#endif  // KLV_BASE_BYTES_H_
