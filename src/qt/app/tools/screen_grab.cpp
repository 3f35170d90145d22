// Grabs the whole X screen and writes the part that holds windows, cropped to
// the bounding box of every pixel that differs from the screen's background
// (taken from the top-left corner). Usage: qnc_screen_grab OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: qnc_screen_grab OUTPUT.png\n");
    return 2;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    std::fprintf(stderr, "qnc_screen_grab: no screen\n");
    return 1;
  }
  const QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
  const QRgb background = image.pixel(0, 0);
  int left = image.width(), top = image.height(), right = -1, bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (line[x] == background) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) {
    std::fprintf(stderr, "qnc_screen_grab: the screen is empty\n");
    return 1;
  }
  if (!image.copy(left, top, right - left + 1, bottom - top + 1).save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "qnc_screen_grab: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
