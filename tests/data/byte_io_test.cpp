#include <gtest/gtest.h>

#include "data/byte_reader.h"
#include "data/byte_writer.h"

namespace corvid {
namespace {

TEST(ByteIo, WriterAndReaderRoundTrip) {
  ByteWriter w;
  w.u8(0xAB);
  w.u16(0x1234);
  w.i32(-2);
  w.nulTerminatedField("NAME", 8);
  auto bytes = w.take();
  ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 8);

  ByteReader r(bytes);
  EXPECT_EQ(r.u8(), 0xAB);
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.i32(), -2);
  std::string name;
  EXPECT_TRUE(r.nulTerminatedField(8, name));
  EXPECT_EQ(name, "NAME");
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteIo, ReadPastEndFailsAndSticks) {
  const uint8_t bytes[] = {1, 2, 3};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.u32(), 0u);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.u8(), 0u);  // sticky: even a read that would fit now fails
  EXPECT_EQ(r.pos(), 0u);
}

TEST(ByteIo, FieldWithoutNulIsRefused) {
  const uint8_t bytes[] = {'A', 'B', 'C', 'D'};
  ByteReader r(bytes, sizeof bytes);
  std::string out = "kept";
  EXPECT_FALSE(r.nulTerminatedField(4, out));
  EXPECT_EQ(out, "kept");
  EXPECT_FALSE(r.ok());
}

TEST(ByteIo, WriterCutsLongFieldToKeepItsNul) {
  ByteWriter w;
  w.nulTerminatedField("ABCDEFGH", 4);
  EXPECT_EQ(w.data(), (std::vector<uint8_t>{'A', 'B', 'C', 0}));
}

}  // namespace
}  // namespace corvid
