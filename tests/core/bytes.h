// Expected stream contents written out by hand: each call appends one field, little-endian,
// the way the format tables lay them out.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace testing_support {

struct Bytes {
  QByteArray Data;

  Bytes& u8(uint8_t v) {
    Data.append(static_cast<char>(v));
    return *this;
  }
  Bytes& i32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  Bytes& i64(int64_t v) {
    const uint64_t u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i) u8(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  // IEEE single: the bit pattern, little-endian.
  Bytes& f32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return i32(static_cast<int32_t>(u));
  }
  Bytes& raw(std::initializer_list<uint8_t> v) {
    for (uint8_t b : v) u8(b);
    return *this;
  }
  Bytes& chars(const char* s) {
    Data.append(s);
    return *this;
  }
  // A length-prefixed text of up to 255 single-byte characters.
  Bytes& str(const char* s) {
    i32(static_cast<int32_t>(std::strlen(s)));
    return chars(s);
  }
  Bytes& zeros(int n) {
    Data.append(n, '\0');
    return *this;
  }
};

}  // namespace testing_support
