// Hand-written bytes of shape records shared by the record tests.
#pragma once

#include "../core/bytes.h"

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

}  // namespace testing_support
