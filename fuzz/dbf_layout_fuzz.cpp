// Feeds arbitrary bytes to the table file decoder as a whole file: the header either
// decodes or is refused with a FormatError, and every field of every counted record of
// a decoded header can be decoded without reading outside the bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "store/DbfFormat.h"
#include "store/DbfValues.h"
#include "store/MdxFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  tto::dbf::Layout layout;
  try {
    layout = tto::dbf::DecodeLayout(bytes, size);
  } catch (const tto::dbf::FormatError&) {
    return 0;
  }
  const std::size_t recordLength = layout.header.recordLength;
  for (std::uint32_t row = 0; row < layout.header.recordCount; ++row) {
    const auto record =
        bytes.subspan(layout.header.headerLength + row * recordLength, recordLength);
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      const auto field = record.subspan(layout.offsets[i], layout.fields[i].length);
      switch (layout.fields[i].type) {
        case 'I':
        case '+':
          (void)tto::dbf::DecodeLong(field);
          break;
        case 'O':
          (void)tto::dbf::DecodeDouble(field);
          break;
        case '@':
          if (auto stamp = tto::dbf::DecodeTimestamp(field)) (void)tto::dbf::SplitDateTime(*stamp);
          break;
        case 'D':
          if (auto date = tto::dbf::DecodeDate(field)) (void)tto::dbf::SplitDateTime(*date);
          break;
        case 'L':
          (void)tto::dbf::DecodeLogical(field[0]);
          break;
        default: {
          const std::string text = tto::dbf::NumericText(field);
          (void)tto::dbf::ParseNumericText(text);
          (void)tto::mdx::EncodeNumericKey(text);
          (void)tto::dbf::TextWithoutFill(field);
        }
      }
    }
  }
  return 0;
}
