#include <gtest/gtest.h>

#include "model/midi.h"

namespace tamsel {
namespace {

TEST(CMidiTest, Placeholder) { CMidi song; EXPECT_EQ(song.m_Header.m_TrackCount, 1); }

}  // namespace
}  // namespace tamsel
