// The chart paints what its model gives: failure marks along the bottom
// where the failures are, spikes above a capped scale marked at the top edge
// where they are, and nothing of either where there is none.
#include "qt/history/latency_chart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "core/history/row_details_model.h"

namespace qnc {
namespace {

const QColor kFailureMark(214, 39, 40);
const QColor kAboveTopMark(230, 120, 0);

Sample At(int second, double ms, FailureReason outcome = FailureReason::kNone) {
  return {std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000 + second)),
          static_cast<std::uint32_t>(ms * 1000), outcome};
}

// Whether some pixel of `area` (in shares of the image: left, top, right,
// bottom) has exactly `colour`.
bool Shows(const QImage& image, const QColor& colour, double left, double top, double right, double bottom) {
  for (int y = static_cast<int>(top * image.height()); y < static_cast<int>(bottom * image.height()); ++y) {
    for (int x = static_cast<int>(left * image.width()); x < static_cast<int>(right * image.width()); ++x) {
      if (image.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

TEST(LatencyChart, MarksFailuresAndSpikesWhereTheyAre) {
  static int argc = 1;
  static char name[] = "qnc_history_ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
  auto ring = std::make_shared<SampleRing>();
  ring->Append(At(0, 1031));  // a spike at the left end
  for (int second = 1; second < 100; ++second) ring->Append(At(second, 20 + second % 10));
  ring->Append(At(100, 1000, FailureReason::kTimeout));  // a failure at the right end
  RowDetailsModel model(TableKind::kGame, "g.test:443", ring);
  ASSERT_TRUE(model.Follow());
  ASSERT_TRUE(model.Scale().capped);

  LatencyChart chart(model);
  chart.resize(600, 240);
  const QImage image = chart.grab().toImage();
  EXPECT_TRUE(Shows(image, kFailureMark, 0.9, 0.6, 1.0, 1.0)) << "the failure, at the bottom right";
  EXPECT_FALSE(Shows(image, kFailureMark, 0.0, 0.6, 0.8, 1.0)) << "no failure elsewhere";
  EXPECT_TRUE(Shows(image, kAboveTopMark, 0.0, 0.0, 0.3, 0.4)) << "the spike, at the top left";
  EXPECT_FALSE(Shows(image, kAboveTopMark, 0.0, 0.4, 1.0, 1.0)) << "no spike mark below the top";
}

}  // namespace
}  // namespace qnc
