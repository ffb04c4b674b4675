#include "ui/BitmapImage.h"

#include <gtest/gtest.h>

#include <QColor>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>

namespace velmora::ui {
namespace {

// A recognisable pattern: every pixel differs from its neighbours in all three channels.
void paintPattern(Bitmap& bitmap) {
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(x * 7 + y);       // blue
            row[3 * x + 1] = static_cast<std::uint8_t>(x * 13 + y * 3);  // green
            row[3 * x + 2] = static_cast<std::uint8_t>(200 - x - y);     // red
        }
    }
}

TEST(BitmapImageTest, PixelsKeepTheirColoursBothWays) {
    // Odd widths give rows with 1, 2 and 3 bytes of padding.
    for (const int width : {1, 2, 3, 4, 5, 7, 33}) {
        Bitmap bitmap(width, 3);
        paintPattern(bitmap);
        const QImage image = toQImage(bitmap);
        ASSERT_EQ(image.size(), QSize(width, 3));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* pixel = bitmap.row(y) + 3 * x;
                EXPECT_EQ(image.pixelColor(x, y), QColor(pixel[2], pixel[1], pixel[0]))
                    << width << " wide, at " << x << "," << y;
            }
        }

        Bitmap back;
        fromQImage(image, back);
        ASSERT_EQ(back.width(), width);
        ASSERT_EQ(back.height(), 3);
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(std::memcmp(back.row(y), bitmap.row(y), static_cast<std::size_t>(width) * 3),
                      0)
                << width << " wide, row " << y;
            for (int pad = width * 3; pad < back.rowSize(); ++pad) {
                EXPECT_EQ(back.row(y)[pad], 0) << "padding of row " << y;
            }
        }
    }
}

TEST(BitmapImageTest, ImagesOfOtherFormatsArriveAsBgr) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, QColor(10, 20, 30, 255));
    image.setPixelColor(1, 0, QColor(200, 100, 50, 255));
    Bitmap bitmap;
    fromQImage(image, bitmap);
    ASSERT_EQ(bitmap.width(), 2);
    const std::uint8_t expected[] = {30, 20, 10, 50, 100, 200};
    EXPECT_EQ(std::memcmp(bitmap.row(0), expected, sizeof expected), 0);
}

TEST(BitmapImageTest, EmptyOnEitherSideStaysEmpty) {
    EXPECT_TRUE(toQImage(Bitmap()).isNull());
    EXPECT_TRUE(toQImage(Bitmap(0, 5)).isNull());

    Bitmap bitmap(4, 4);
    fromQImage(QImage(), bitmap);
    EXPECT_TRUE(bitmap.empty());
}

TEST(BitmapImageTest, CopyWaitsForTheCanvasLock) {
    Bitmap bitmap(2, 2);
    std::unique_lock drawing(bitmap.lock());
    auto copy = std::async(std::launch::async, [&] { return toQImage(bitmap); });
    EXPECT_EQ(copy.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    paintPattern(bitmap);
    drawing.unlock();
    const QImage image = copy.get();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(200 - 2, 13 + 3, 7 + 1));
}

}  // namespace
}  // namespace velmora::ui
