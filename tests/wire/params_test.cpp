#include "wire/params.h"

#include <gtest/gtest.h>

#include <string>

using lectavo::wire::parseParams;
using lectavo::wire::TextEncoding;
using lectavo::wire::Voice;

namespace {

// What the program sends: every key of a session, the speed box's text in the middle.
std::string programText(const std::string& speed, const std::string& voice = "x_xiaoyuan") {
  return "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=" + speed + ",tte=GB2312,vcn=" + voice +
         ",volume=100";
}

TEST(Params, ReadsWhatTheProgramSends) {
  const auto r = parseParams(programText("50"));
  ASSERT_TRUE(r.ok()) << r.error.message;
  EXPECT_EQ(r.params.voice, Voice::xiaoyuan);
  EXPECT_EQ(r.params.speed, 50);
  EXPECT_EQ(r.params.pitch, 70);
  EXPECT_EQ(r.params.volume, 100);
  EXPECT_EQ(r.params.encoding, TextEncoding::gbk);

  for (const auto& [name, voice] : {std::pair{"x_yiping", Voice::yiping}, {"x_binge", Voice::binge},
                                    {"x_nannan", Voice::nannan}}) {
    EXPECT_EQ(parseParams(programText("50", name)).params.voice, voice) << name;
  }
}

TEST(Params, MissingKeysTakeDefaultsAndSpacesAroundPairsAreIgnored) {
  const auto r = parseParams(" vcn = x_binge , tte=utf-8,");
  ASSERT_TRUE(r.ok()) << r.error.message;
  EXPECT_EQ(r.params.voice, Voice::binge);
  EXPECT_EQ(r.params.encoding, TextEncoding::utf8);
  EXPECT_EQ(r.params.speed, 50);
  EXPECT_TRUE(parseParams("").ok());
}

// The speed box's text arrives as typed; the program itself reads it leniently.
TEST(Params, SpeedIsReadLikeTheProgramReadsItsSpeedBox) {
  const struct {
    std::string text;
    int speed;
  } cases[] = {
      {"50", 50},  {" 50", 50},  {"abc", 0},    {"", 0},      {"+7x", 7},         {"-0", 0},
      {"100", 100}, {"0", 0},    {"150", 50},   {"-3", 50},   {"99999999999999", 50},
      {"\xa3\xb5\xa3\xb0", 50},  // full-width digits "５０" in code page 936
      {"\xa1\xa1\xa3\xb8", 8},  // full-width space, then "８"
      {"\t12 ", 12},
  };
  for (const auto& c : cases) {
    const auto r = parseParams(programText(c.text));
    ASSERT_TRUE(r.ok()) << "speed \"" << c.text << "\": " << r.error.message;
    EXPECT_EQ(r.params.speed, c.speed) << "speed \"" << c.text << "\"";
  }
}

TEST(Params, RefusesMalformedTextNamingTheKey) {
  const struct {
    std::string text;
    std::string key;
  } cases[] = {
      {"vcn=x_yiping,volume", "volume"},          // no '='
      {"colour=blue", "colour"},                  // unknown key
      {"VCN=x_yiping", "VCN"},                    // keys are lower case
      {"vcn=x_bob", "vcn"},                       // unknown voice
      {"vcn=", "vcn"},
      {"aue=speex-wb", "aue"},                    // a format we don't produce
      {"auf=audio/L16;rate=8000", "auf"},
      {"bgs=1", "bgs"},
      {"ent=other", "ent"},
      {"pitch=101", "pitch"},
      {"pitch=7o", "pitch"},
      {"volume=-1", "volume"},
      {"volume=", "volume"},
      {"tte=BIG5", "tte"},
      {"speed=5,speed=6", "speed"},               // twice
  };
  for (const auto& c : cases) {
    const auto r = parseParams(c.text);
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error.key, c.key) << c.text;
    EXPECT_NE(r.error.message.find(c.key), std::string::npos) << r.error.message;
  }
}

TEST(Params, ErrorMessagesStayPrintableAscii) {
  const auto r = parseParams("vcn=\xd0\xa1\xe6\xc2\n\"x\"");
  ASSERT_FALSE(r.ok());
  for (const char c : r.error.message) {
    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << r.error.message;
  }
}

}  // namespace
