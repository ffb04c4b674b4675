#include "medialib/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "medialib/PictureConverter.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

TEST(BitmapTest, RowsArePaddedToFourBytes) {
    const struct {
        int width;
        int rowSize;
    } rows[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {0, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(Bitmap::rowSizeOf(row.width), row.rowSize) << row.width;
    }
    Bitmap bitmap(-3, 5);
    EXPECT_TRUE(bitmap.empty());
    EXPECT_EQ(bitmap.width(), 0);
    bitmap.setSize(3, 2);
    EXPECT_EQ(bitmap.byteSize(), 24u);
}

TEST(BitmapTest, SavesABottomUpBmpAndReadsItBack) {
    test::TempDir dir;
    Bitmap bitmap(3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 9; ++x) {
            bitmap.row(y)[x] = static_cast<std::uint8_t>(y * 100 + x);
        }
    }
    const std::string path = dir.file("picture.bmp");
    ASSERT_TRUE(bitmap.saveBmp(path));

    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[2], 78);    // file size
    EXPECT_EQ(file[10], 54);   // pixel data offset
    EXPECT_EQ(file[18], 3);    // width
    EXPECT_EQ(file[22], 2);    // height, positive: bottom-up
    EXPECT_EQ(file[28], 24);   // bits per pixel
    EXPECT_EQ(file[54], 100);  // the first stored row is the bottom one
    EXPECT_EQ(file[54 + 12], 0);

    Bitmap loaded;
    ASSERT_TRUE(loaded.loadBmp(path));
    ASSERT_EQ(loaded.width(), 3);
    ASSERT_EQ(loaded.height(), 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_TRUE(std::equal(bitmap.row(y), bitmap.row(y) + 9, loaded.row(y))) << y;
    }
    EXPECT_FALSE(Bitmap().saveBmp(dir.file("empty.bmp")));
    EXPECT_FALSE(loaded.loadBmp(dir.file("missing.bmp")));
}

class PictureConverterTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    static FramePtr makeYuvFrame(int width, int height, std::uint8_t luma) {
        FramePtr frame = makeFrame();
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        EXPECT_EQ(lib::avutil.av_frame_get_buffer(frame.get(), 0), 0);
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? height : (height + 1) / 2;
            for (int y = 0; y < rows; ++y) {
                std::memset(frame->data[plane] + y * frame->linesize[plane],
                            plane == 0 ? luma : 128,
                            static_cast<std::size_t>(frame->linesize[plane]));
            }
        }
        return frame;
    }

    PictureConverter converter;
};

TEST_F(PictureConverterTest, CopiesBgrPicturesRowByRow) {
    // 3 x 2 with a line size that is neither the bitmap's nor the plain row size.
    std::uint8_t pixels[2 * 16] = {};
    for (int i = 0; i < 32; ++i) {
        pixels[i] = static_cast<std::uint8_t>(i);
    }
    const std::uint8_t* data[4] = {pixels, nullptr, nullptr, nullptr};
    const int linesize[4] = {16, 0, 0, 0};
    ASSERT_TRUE(converter.PictureToBitmap(data, linesize, AV_PIX_FMT_BGR24, 3, 2));
    const Bitmap& bitmap = converter.bitmap();
    ASSERT_EQ(bitmap.width(), 3);
    EXPECT_TRUE(std::equal(pixels, pixels + 9, bitmap.row(0)));
    EXPECT_TRUE(std::equal(pixels + 16, pixels + 25, bitmap.row(1)));

    std::uint8_t back[2 * 16] = {};
    std::uint8_t* const target[4] = {back, nullptr, nullptr, nullptr};
    ASSERT_TRUE(converter.BitmapToPicture(target, linesize, AV_PIX_FMT_BGR24));
    EXPECT_TRUE(std::equal(pixels, pixels + 9, back));
    EXPECT_TRUE(std::equal(pixels + 16, pixels + 25, back + 16));
    EXPECT_EQ(back[9], 0) << "bytes past the row stay untouched";
}

TEST_F(PictureConverterTest, ScalesOtherFormatsBothWays) {
    for (const auto& [width, height] : {std::pair{16, 8}, std::pair{7, 5}}) {
        FramePtr frame = makeYuvFrame(width, height, 180);
        ASSERT_TRUE(converter.PictureToBitmap(frame.get()));
        const Bitmap& bitmap = converter.bitmap();
        ASSERT_EQ(bitmap.width(), width);
        ASSERT_EQ(bitmap.height(), height);
        // Limited-range luma 180 is grey (180 - 16) * 255 / 219 = 191 in every channel.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width * 3; ++x) {
                ASSERT_NEAR(bitmap.row(y)[x], 191, 3) << x << "," << y;
            }
        }
        // A hook paints the bitmap white; the frame's luma becomes white too.
        for (int y = 0; y < height; ++y) {
            std::memset(converter.bitmap().row(y), 255, static_cast<std::size_t>(width) * 3);
        }
        ASSERT_TRUE(converter.BitmapToPicture(frame->data, frame->linesize, AV_PIX_FMT_YUV420P));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_NEAR(frame->data[0][y * frame->linesize[0] + x], 235, 2);
            }
        }
    }
}

TEST_F(PictureConverterTest, RefusesEmptyPicturesAndResets) {
    FramePtr frame = makeYuvFrame(4, 4, 16);
    const std::uint8_t* noData[4] = {};
    const int linesize[4] = {12, 0, 0, 0};
    EXPECT_FALSE(converter.PictureToBitmap(noData, linesize, AV_PIX_FMT_BGR24, 4, 4));
    EXPECT_FALSE(converter.PictureToBitmap(frame->data, frame->linesize, AV_PIX_FMT_YUV420P, 0, 4));
    EXPECT_FALSE(converter.BitmapToPicture(frame->data, frame->linesize, AV_PIX_FMT_YUV420P));
    ASSERT_TRUE(converter.PictureToBitmap(frame.get()));
    converter.ConverterReset();
    EXPECT_TRUE(converter.bitmap().empty());
    EXPECT_TRUE(converter.PictureToBitmap(frame.get()));
}

}  // namespace
}  // namespace velmora
