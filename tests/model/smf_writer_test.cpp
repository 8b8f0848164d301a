#include <gtest/gtest.h>

#include "model/smf_codec.h"

namespace tamsel {
namespace {

TEST(SmfWriterTest, Placeholder) { CMidi song; EXPECT_EQ(WriteStandardMidi(song).size(), 26u); }

}  // namespace
}  // namespace tamsel
