// The ".fnt" parser without GL: field order and expansion, the quiet and the raised
// failures, and the size checks that keep a damaged header from allocating gigabytes.
#include "font/font_file.h"

#include "tests/font/font_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

// A failed allocation must come back as a null pointer under ASan too, so that the
// out-of-memory path can be taken for real.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

constexpr std::uint32_t kAnySide = 0xFFFFFFFFu;

// The refusal's problem, or "" when the file was read.
std::string Parse(const std::string& bytes, LFont& font, FontImage& image,
                  std::uint32_t maxSide = 4096) {
    std::istringstream in(bytes);
    Refusal refusal;
    return ReadFontFile(in, maxSide, font, image, &refusal) ? "" : refusal.text;
}

// Parses into outputs carrying marks and checks that a failure left them alone.
std::string ParseExpectingUntouched(const std::string& bytes, std::uint32_t maxSide = 4096) {
    LFont font;
    font.nativeHeight = 777;
    font.glyphs[65].widthRatio = 9.5f;
    FontImage image;
    image.width = 3;
    std::string status = Parse(bytes, font, image, maxSide);
    EXPECT_EQ(font.nativeHeight, 777u);
    EXPECT_EQ(font.glyphs[65].widthRatio, 9.5f);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.texels, nullptr);
    return status;
}

// A stream whose end lies far beyond the bytes it really holds: what a huge sparse
// file would look like, without making one.
class ClaimedLengthBuf : public std::streambuf {
  public:
    ClaimedLengthBuf(std::string head, std::int64_t length)
        : head_(std::move(head)), length_(length) {
        setg(&head_[0], &head_[0], &head_[0] + head_.size());
    }

  protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        const off_type base = dir == std::ios_base::end   ? length_
                              : dir == std::ios_base::cur ? Position()
                                                          : 0;
        return seekpos(pos_type(base + off), std::ios_base::in);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
        if (pos < 0 || pos > length_) {
            return pos_type(off_type(-1));
        }
        // Past the bytes held there is nothing to read: reads there fail.
        beyond_ = static_cast<std::size_t>(pos) > head_.size() ? off_type(pos) : -1;
        const std::size_t at = std::min(static_cast<std::size_t>(pos), head_.size());
        setg(&head_[0], &head_[0] + at, &head_[0] + head_.size());
        return pos;
    }

  private:
    off_type Position() const { return beyond_ >= 0 ? beyond_ : off_type(gptr() - eback()); }

    std::string head_;
    std::int64_t length_;
    off_type beyond_ = -1;
};

std::string TableOnly(std::uint32_t width, std::uint32_t height) {
    TestFont font;
    font.width = width;
    font.height = height;
    font.bitmap.clear();
    return font.Bytes();
}

} // namespace

TEST(FontFile, ReadsEntriesRowBeforeColumnAndSpreadsCoverage) {
    TestFont file;
    file.width = 4;
    file.height = 2;
    file.nativeHeight = 31;
    file.bitmap = std::string("\x00\x01\x7f\x80\xfe\xff\x10\x20", 8);
    file.glyphs[65] = TestGlyph{1, 2, 3, 4, 7, 0.3f};
    file.glyphs[200] = TestGlyph{0, 1, 2, 3, 0, 1.25f}; // absent, yet kept
    LFont font;
    FontImage image;
    // Bytes after the bitmap are never looked at.
    ASSERT_EQ(Parse(file.Bytes() + "trailing junk", font, image), "");

    EXPECT_EQ(font.nativeHeight, 31u);
    const LGlyph& a = font.glyphs[65];
    EXPECT_FLOAT_EQ(a.t0, 0.5f); // top 1 of H 2
    EXPECT_FLOAT_EQ(a.s0, 0.5f); // left 2 of W 4
    EXPECT_FLOAT_EQ(a.t1, 1.5f); // bottom 3 of H 2: not checked, as in the file
    EXPECT_FLOAT_EQ(a.s1, 1.0f); // right 4 of W 4
    EXPECT_TRUE(a.present);
    EXPECT_EQ(a.widthRatio, 0.3f); // the bits unchanged
    const LGlyph& absent = font.glyphs[200];
    EXPECT_FALSE(absent.present);
    EXPECT_FLOAT_EQ(absent.s1, 0.75f);
    EXPECT_EQ(absent.widthRatio, 1.25f);
    EXPECT_FALSE(font.glyphs[0].present);

    ASSERT_EQ(image.width, 4u);
    ASSERT_EQ(image.height, 2u);
    for (std::size_t i = 0; i < file.bitmap.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(file.bitmap[i]);
        EXPECT_EQ(image.texels[2 * i], b) << "luminance of texel " << i;
        EXPECT_EQ(image.texels[2 * i + 1], b) << "alpha of texel " << i;
    }
}

TEST(FontFile, RefusesBadIdentificationAndImpossibleSizes) {
    TestFont swapped;
    swapped.id = 0x0A1A0000u; // 6666 in the other byte order
    EXPECT_EQ(ParseExpectingUntouched(swapped.Bytes()), kFontWrongFormat);
    const std::string good = TestFont().Bytes();
    for (std::size_t length : {0, 1, 3}) {
        EXPECT_EQ(ParseExpectingUntouched(good.substr(0, length)), kFontWrongFormat)
            << length << " bytes";
    }
    struct Size {
        std::uint32_t width, height;
    };
    // Zero, not a power of two, a single column (rows of 2 bytes break GL's default
    // unpack alignment of 4), and over the largest texture side.
    for (Size size : {Size{0, 4}, Size{4, 0}, Size{3, 4}, Size{4, 6}, Size{1, 4}, Size{8192, 4},
                      Size{4, 8192}}) {
        TestFont file;
        file.width = size.width;
        file.height = size.height;
        file.bitmap.assign(static_cast<std::size_t>(size.width) * size.height, '\x40');
        EXPECT_EQ(ParseExpectingUntouched(file.Bytes(), 4096), kFontWrongFormat)
            << size.width << " x " << size.height;
    }
}

TEST(FontFile, FileEndingInsideTheTableIsQuiet) {
    const std::string good = TestFont().Bytes();
    for (std::size_t length : {4, 8, 15, 16, 1000, 6159}) {
        EXPECT_EQ(ParseExpectingUntouched(good.substr(0, length)), kFontTableCutShort)
            << length << " bytes";
    }
}

TEST(FontFile, ShortBitmapIsCaughtBeforeAllocating) {
    const std::string good = TestFont().Bytes();
    EXPECT_EQ(ParseExpectingUntouched(good.substr(0, good.size() - 1)), kFontBitmapCutShort);
    EXPECT_EQ(ParseExpectingUntouched(good.substr(0, 6160)), kFontBitmapCutShort);
    // Terabytes claimed by a table-only file: allocating first would fail with
    // OutOfMemory (or take the machine down); comparing the length first does not.
    EXPECT_EQ(ParseExpectingUntouched(TableOnly(1u << 23, 1u << 23), kAnySide),
              kFontBitmapCutShort);
    EXPECT_EQ(ParseExpectingUntouched(TableOnly(1u << 31, 1u << 31), kAnySide),
              kFontBitmapCutShort);
}

TEST(FontFile, AllocationFailureAndSizeOverflowAreReported) {
    struct Case {
        std::uint32_t side;
        std::int64_t claimed; // stream length past the table
    };
    // 2^46 texels (128 TB once spread, beyond any address space) cannot be had, even
    // where memory is overcommitted; 2^62 texels would overflow 2 x W x H in 64 bits.
    for (Case c : {Case{1u << 23, std::int64_t{1} << 46}, Case{1u << 31, INT64_MAX - 6160}}) {
        ClaimedLengthBuf buffer(TableOnly(c.side, c.side), 6160 + c.claimed);
        std::istream in(&buffer);
        LFont font;
        FontImage image;
        Refusal refusal;
        EXPECT_FALSE(ReadFontFile(in, kAnySide, font, image, &refusal));
        EXPECT_EQ(refusal.text, kFontOutOfMemory) << "side " << c.side;
        EXPECT_EQ(image.texels, nullptr);
    }
}
