// The line rules of the reader: header, sections, markers, "#" lines, empty lines, line ends, long lines.

#include <gtest/gtest.h>

#include "config_test_support.h"

namespace qnc::test {
namespace {

constexpr std::nullopt_t kUntouched = std::nullopt;

struct ParseCase {
  const char* name;
  std::string file;
  LoadedConfig expected;
};

LoadedConfig Loaded(std::optional<Rows> dns, std::optional<Rows> ping, std::optional<Rows> game) {
  return LoadedConfig{true, {std::move(dns), std::move(ping), std::move(game)}};
}

const LoadedConfig kRefused{};

const std::string kLong510 = std::string(510, 'a');
const std::string kTail90 = std::string(90, 'b');

std::vector<ParseCase> Cases() {
  return {
      {"RowsLoadInReverseFileOrder",
       "#headv1===\r\na\r\nb\r\nc\r\n#PING===\r\np1\r\np2\r\n#GAME===\r\ng1:443\r\ng2\r\n",
       Loaded(Rows{"c", "b", "a"}, Rows{"p2", "p1"}, Rows{"g2", "g1:443"})},
      {"LfOnlyLineEnds", "#headv1===\na\nb\n#PING===\np\n#GAME===\ng\n", Loaded(Rows{"b", "a"}, Rows{"p"}, Rows{"g"})},
      {"MixedLineEndsAndNoFinalLineEnd", "#headv1===\r\na\nb\r\n#PING===\n#GAME===\r\ng",
       Loaded(Rows{"b", "a"}, Rows{}, Rows{"g"})},
      {"HeadAnywhereInFirstLine", "config #head v9\nx\n#PING\n#GAME\n", Loaded(Rows{"x"}, Rows{}, Rows{})},
      {"HeadOnSecondLineIsRefused", "\n#headv1===\na\n#PING===\n#GAME===\n", kRefused},
      {"HostBeforeHeadIsRefused", "a\n#headv1===\n", kRefused},
      {"EmptyFileIsRefused", "", kRefused},
      {"HeadIsCaseSensitive", "#HEADv1===\na\n", kRefused},
      {"OnlyTheHeaderEmptiesTheDnsTable", "#headv1===", Loaded(Rows{}, kUntouched, kUntouched)},
      {"EndsInsideDnsSection", "#headv1===\r\na\r\nb", Loaded(Rows{"b", "a"}, kUntouched, kUntouched)},
      {"EndsInsidePingSection", "#headv1===\r\na\r\n#PING===\r\np\r\n", Loaded(Rows{"a"}, Rows{"p"}, kUntouched)},
      {"EmptyLinesBecomeRows", "#headv1===\n\na\n\n#PING===\n\n#GAME===\n\n",
       Loaded(Rows{"", "a", ""}, Rows{""}, Rows{""})},
      {"HashLinesNeverBecomeRows", "#headv1===\n#comment\na\n # not a comment\n#PING===\n#\n#GAME===\n#x\ng\n",
       Loaded(Rows{" # not a comment", "a"}, Rows{}, Rows{"g"})},
      // "#END" and "#GAME===" inside the DNS section are skipped like any "#" line; "#PING" inside the ping
      // section ends nothing either.
      {"EachSectionLooksOnlyForItsOwnMarker",
       "#headv1===\na\n#END\n#GAME===\nb\n#PING===\nc\n#PING===\nd\n#GAME===\ne\n#PING===\n",
       Loaded(Rows{"b", "a"}, Rows{"d", "c"}, Rows{"e"})},
      {"LinesAfterEndAreNeverRead", "#headv1===\n#PING===\n#GAME===\ng1\n#END\ng2\n#PING===\nx\n",
       Loaded(Rows{}, Rows{}, Rows{"g1"})},
      // A marker counts anywhere in a line; a line not starting with "#" is still a row of its section.
      {"MarkerIsASubstringAndEndsAfterTheRow", "#headv1===\nwww.ping.com\nhost#PING\np\nx#GAMEy\n#END",
       Loaded(Rows{"host#PING", "www.ping.com"}, Rows{"x#GAMEy", "p"}, Rows{})},
      {"MarkersAreCaseSensitive", "#headv1===\na#ping\n#Ping===\n", Loaded(Rows{"a#ping"}, kUntouched, kUntouched)},
      {"LongLineBecomesPiecesOf510Bytes", "#headv1===\r\n" + kLong510 + kTail90 + "\r\n#PING===\r\n",
       Loaded(Rows{kTail90, kLong510}, Rows{}, kUntouched)},
      {"LineOfExactly510BytesIsOneRow", "#headv1===\r\n" + kLong510 + "\r\n" + kLong510 + kLong510 + "\n",
       Loaded(Rows{kLong510, kLong510, kLong510}, kUntouched, kUntouched)},
      // Every piece is a line of its own: the tail of a long "#" line is a row, the tail of a long marker
      // line is tested for the marker on its own.
      {"PiecesAreTestedAsLines", "#headv1===\n#" + std::string(509, 'x') + "tail\n" + kLong510 + "#PING\nd\n",
       Loaded(Rows{kLong510, "tail"}, Rows{"d"}, kUntouched)},
      {"LoneCrInsideALineIsKept", "#headv1===\na\rb\r\n", Loaded(Rows{"a\rb"}, kUntouched, kUntouched)},
  };
}

void PrintTo(const ParseCase& testCase, std::ostream* out) { *out << testCase.name; }

class ParseConfigTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseConfigTest, RebuildsTheTablesTheFileReaches) { EXPECT_EQ(Parse(GetParam().file), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Format, ParseConfigTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<ParseCase>& param) { return param.param.name; });

}  // namespace
}  // namespace qnc::test
