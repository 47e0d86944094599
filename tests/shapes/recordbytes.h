// Hand-written bytes of shape records shared by the record tests.
#pragma once

#include "../core/bytes.h"

#include <cstring>

namespace testing_support {

// The font, pen, brush and text fields of the default shape of a new surface, from item 13 on.
inline Bytes& DefaultStyleFields(Bytes& b, const char* Caption = "") {
  b.i64(0)                                     // no brush bitmap
      .i32(0xFFFFFF).u8(0)                     // brush white, solid
      .str(Caption)                            // caption
      .i32(0xFFFFFF).i32(0)                    // gradient colours
      .str("DejaVu Sans").u8(1)                // font name, character set
      .i32(static_cast<int32_t>(0xFF000008))   // window-text colour
      .i32(-11).i32(8)                         // height at 96 pixels per inch, size
      .u8(0).i32(0).u8(0)                      // pitch, resolution value, style
      .i32(0).i32(0)                           // reserved pair
      .u8(23)                                  // gsNone
      .str("")                                 // info
      .i32(0).u8(4).u8(0).i32(1)               // pen black, copy, solid, width 1
      .i32(0)                                  // no user data
      .u8(0).u8(0).u8(1);                      // not flipped, visible
  return b;
}

// The header of a drawing of the given generation, as the format table lays it out.
inline Bytes Header(const char* Version) {
  Bytes b;
  auto field = [&b](const char* Text, int Width) {
    b.chars(Text);
    b.Data.append(Width - static_cast<int>(std::strlen(Text)), ' ');
  };
  field("Travemo Component", 64);
  field("VORN for Kivendoria", 64);
  field(Version, 16);
  field("20040831", 10);
  b.Data.append(63, ' ');
  b.u8(0);
  return b;
}

// Settings after the header: white background, the size, mm, no picture, centred, ratio 1.
inline Bytes& Settings(Bytes& b, int32_t W, int32_t H) {
  b.i32(0xFFFFFF).i32(W).i32(H).u8(1).i64(0).i32(2);
  b.raw({0, 0, 0, 0, 0, 0, 0xF0, 0x3F});  // 1.0
  return b;
}

// A "ZK.2" record of a plain shape: point and link-point counts without coordinates, the text
// point (0.5, 0.5) as extended reals, a red brush, Arial, the two extra bytes, pen width 2.
inline QByteArray Zk2Record(int32_t Points, int32_t LinkPoints) {
  Bytes b;
  b.str("Old").i32(5).i32(0).i32(3).i32(-1).i32(0).i32(0).i32(Points).i32(LinkPoints);
  for (int i = 0; i < 2; ++i) b.raw({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F});
  b.i64(0).i32(0x0000FF).u8(0).str("").i32(0).i32(0).str("Arial").u8(0).i32(0).i32(-11).i32(8).u8(0).i32(0).u8(0);
  b.i32(0).i32(0).u8(23).raw({0, 0}).str("").i32(0).u8(4).u8(0).i32(2);
  return b.Data;
}

}  // namespace testing_support
