#include "keys/keyboardProtocol.hpp"

#include <gtest/gtest.h>

#include <string>

#include "captureOutput.hpp"

namespace {

TEST(FirstProtocolAnswer, FlagsBeforeDeviceAttributesMeanEnhancedKeys) {
  EXPECT_EQ(firstProtocolAnswer("\x1b[?0u\x1b[?62;22c"), ProtocolAnswer::enhanced);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?31u\x1b[?1;2c"), ProtocolAnswer::enhanced);
}

TEST(FirstProtocolAnswer, DeviceAttributesAloneMeanLegacyKeys) {
  EXPECT_EQ(firstProtocolAnswer("\x1b[?1;2c"), ProtocolAnswer::legacy);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?64;1;2;6;9;15;18;21;22c"), ProtocolAnswer::legacy);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?1;2c\x1b[?1u"), ProtocolAnswer::legacy) << "a late flags answer";
}

TEST(FirstProtocolAnswer, UnfinishedOrMissingAnswersAreNone) {
  EXPECT_EQ(firstProtocolAnswer(""), ProtocolAnswer::none);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?1;2"), ProtocolAnswer::none);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?"), ProtocolAnswer::none);
  EXPECT_EQ(firstProtocolAnswer("abc\x1b[A"), ProtocolAnswer::none);
}

TEST(FirstProtocolAnswer, KeysTypedAroundTheAnswersAreNotMistakenForThem) {
  EXPECT_EQ(firstProtocolAnswer("q\x1b[1;5Au\x1b[?0u\x1b[?6c"), ProtocolAnswer::enhanced);
  EXPECT_EQ(firstProtocolAnswer("\x1b[?x\x1b[?6cu"), ProtocolAnswer::legacy) << visibleBytes("\x1b[?x\x1b[?6cu");
  EXPECT_EQ(firstProtocolAnswer("\x1b[?1;2$y\x1b[?5u"), ProtocolAnswer::enhanced) << "another private report first";
}

}  // namespace
