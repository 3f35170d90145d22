// GBK and UTF-8 files: which encoding a file is read in, pieces that never split a character, bytes that do
// not decode, and what the writer chooses so that every file it writes reads back as written.

#include <gtest/gtest.h>

#include "config_test_support.h"
#include "core/config/text_encoding.h"

namespace qnc::test {
namespace {

// GBK bytes of some Chinese host texts.
constexpr std::string_view kZhongGbk = "\xD6\xD0";             // 中
constexpr std::string_view kZhongWenGbk = "\xD6\xD0\xCE\xC4";  // 中文
constexpr std::string_view kCeShiGbk = "\xB2\xE2\xCA\xD4";     // 测试
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";      // U+FFFD

bool IsGbkFile(const std::string& file) { return !IsValidUtf8(file); }

TEST(ConfigEncodingTest, GbkFileIsReadAsGbk) {
  const std::string file = "#headv1===\r\n" + std::string(kZhongWenGbk) + ".example\r\n#PING===\r\n" +
                           std::string(kCeShiGbk) + "\r\n#GAME===\r\n\x80:443\r\n";
  EXPECT_EQ(Parse(file), (LoadedConfig{true, {Rows{"中文.example"}, Rows{"测试"}, Rows{"€:443"}}}));
}

TEST(ConfigEncodingTest, Utf8FileIsReadAsUtf8) {
  EXPECT_EQ(Parse("\xEF\xBB\xBF#headv1===\n中文.example\n测试\n#PING===\n😀\n"),
            (LoadedConfig{true, {Rows{"测试", "中文.example"}, Rows{"😀"}, std::nullopt}}));
}

// A piece ends before a character that does not fit whole into its 510 bytes.
TEST(ConfigEncodingTest, PiecesNeverSplitACharacter) {
  const std::string gbkLine = std::string(509, 'a') + std::string(kZhongGbk) + "b";
  EXPECT_EQ(Parse("#headv1===\n" + gbkLine + "\n").tables[TableKind::kDns], (Rows{"中b", std::string(509, 'a')}));

  const std::string utf8Line = "a" + Repeat("中", 170);  // 511 bytes; the 170th character ends at byte 511
  EXPECT_EQ(Parse("#headv1===\n" + utf8Line + "\n").tables[TableKind::kDns], (Rows{"中", "a" + Repeat("中", 169)}));
}

// Bytes that do not decode become U+FFFD, one per bad character, and the rest of the file loads.
TEST(ConfigEncodingTest, UndecodableBytesBecomeReplacementCharacters) {
  const std::string file = std::string("#headv1===\r\n") +
                           "a\xFF"
                           "b\r\n"          // a byte that starts no character
                           "\xA1\x40x\r\n"  // a two-byte character outside the code page
                           "c" +
                           std::string(kZhongGbk) +
                           "\xD6\r\n"  // a lead byte cut off by the line end
                           "n" +
                           std::string(1, '\0') +
                           "ul\r\n"  // a NUL would end the host text unseen
                           "#PING===\r\nok\r\n";
  const std::string r(kReplacement);
  EXPECT_EQ(Parse(file),
            (LoadedConfig{true, {Rows{"n" + r + "ul", "c中" + r, r + "x", "a" + r + "b"}, Rows{"ok"}, std::nullopt}}));
}

struct RoundTripCase {
  const char* name;
  ConfigTables tables;
  bool writtenInGbk;
};

std::vector<RoundTripCase> RoundTripCases() {
  return {
      {"Ascii", {{"www.example.com", ""}, {"192.168.1.1"}, {"host:443", "bare"}}, true},
      {"ChineseHostsStayGbk", {{"中文.example", "测试.cn"}, {"网关"}, {"服务器:27015", "€"}}, true},
      {"TextWithoutGbkFormMakesTheFileUtf8", {{"中文.example"}, {"😀.example"}, {"é"}}, false},
      {"KoreanHasNoGbkForm", {{"한국.example"}, {}, {}}, false},
      // The GBK bytes of these characters are valid UTF-8 ("世文"), so a GBK file would read back wrongly.
      {"GbkBytesThatLookLikeUtf8", {{"涓栨枃"}, {}, {}}, false},
  };
}

void PrintTo(const RoundTripCase& testCase, std::ostream* out) { *out << testCase.name; }

class ConfigRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ConfigRoundTripTest, WrittenFileReadsBackInLoadOrder) {
  const ConfigTables& tables = GetParam().tables;
  const std::string file = FormatConfig(tables);
  EXPECT_EQ(IsGbkFile(file) || IsAscii(file), GetParam().writtenInGbk);
  EXPECT_EQ(Parse(file), (LoadedConfig{true,
                                       {Reversed(tables[TableKind::kDns]), Reversed(tables[TableKind::kPing]),
                                        Reversed(tables[TableKind::kGame])}}));
}

INSTANTIATE_TEST_SUITE_P(Encodings, ConfigRoundTripTest, testing::ValuesIn(RoundTripCases()),
                         [](const testing::TestParamInfo<RoundTripCase>& param) { return param.param.name; });

TEST(ConfigEncodingTest, ChineseHostIsWrittenAsGbkBytes) {
  const std::string file = FormatConfig({{"中文"}, {"测试"}, {}});
  EXPECT_EQ(file, "#headv1===\r\n" + std::string(kZhongWenGbk) + "\r\n#PING===\r\n" + std::string(kCeShiGbk) +
                      "\r\n#GAME===\r\n");
}

// Texts longer than the reader's 510-byte pieces are cut at the last whole character, so every text written
// comes back as exactly one row.
TEST(ConfigEncodingTest, LongTextsAreCutToOnePiece) {
  const std::string gbkText = "a" + Repeat("中", 300);   // 601 bytes in GBK
  const std::string utf8Text = "a" + Repeat("한", 200);  // no GBK form: 601 bytes in UTF-8
  EXPECT_EQ(Parse(FormatConfig({{std::string(600, 'a'), gbkText}, {}, {}})).tables[TableKind::kDns],
            (Rows{"a" + Repeat("中", 254), std::string(510, 'a')}));
  EXPECT_EQ(Parse(FormatConfig({{utf8Text}, {}, {}})).tables[TableKind::kDns], (Rows{"a" + Repeat("한", 169)}));
}

// One text is one line: line breaks and NULs become spaces, ill-formed UTF-8 becomes U+FFFD.
TEST(ConfigEncodingTest, TextsThatCannotBeOneLineAreMended) {
  const std::string nul(1, '\0');
  const LoadedConfig loaded = Parse(FormatConfig({{"a\r\nb",
                                                   "bad\xFF"
                                                   "byte",
                                                   "n" + nul + "ul"},
                                                  {"p"},
                                                  {}}));
  EXPECT_EQ(loaded, (LoadedConfig{
                        true, {Rows{"n ul", "bad" + std::string(kReplacement) + "byte", "a  b"}, Rows{"p"}, Rows{}}}));
}

}  // namespace
}  // namespace qnc::test
