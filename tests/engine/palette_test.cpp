#include "engine/palette.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(PaletteFile, TakesPointsWithOrWithoutAColourAndNamesEachBadLine) {
    const PaletteFile file =
        ParsePaletteFile(QStringLiteral("# swatches of the target\n"
                                        "120,40\n"
                                        "  144 , 40   #ff8000 \n"
                                        "\n"
                                        "168,40 orange\n"
                                        "192;40\n"
                                        "-5,7 #00AA11\n"));
    ASSERT_EQ(file.entries.size(), 3U);
    EXPECT_EQ(file.entries[0].at, QPoint(120, 40));
    EXPECT_FALSE(file.entries[0].ink.has_value());
    EXPECT_EQ(file.entries[1].at, QPoint(144, 40));
    EXPECT_EQ(file.entries[1].ink, qRgb(255, 128, 0));
    EXPECT_EQ(file.entries[2].at, QPoint(-5, 7));
    EXPECT_EQ(file.entries[2].ink, qRgb(0, 0xaa, 0x11));
    ASSERT_EQ(file.errors.size(), 2);
    EXPECT_TRUE(file.errors[0].startsWith(QStringLiteral("5 行目")))
        << file.errors[0].toStdString();
    EXPECT_TRUE(file.errors[1].startsWith(QStringLiteral("6 行目")))
        << file.errors[1].toStdString();
}

TEST(PaletteFile, StopsAtTheMostSwatchesAndRoundTripsAnEntry) {
    QString text;
    for (int i = 0; i <= Palette::kMostSwatches; ++i) {
        text += QStringLiteral("%1,10\n").arg(i);
    }
    const PaletteFile file = ParsePaletteFile(text);
    EXPECT_EQ(file.entries.size(), static_cast<std::size_t>(Palette::kMostSwatches));
    EXPECT_EQ(file.errors.size(), 1);

    const Swatch swatch{QPoint(1234, 56), qRgb(0x12, 0xab, 0xef)};
    const std::optional<SwatchEntry> back = ParseSwatchEntry(SwatchEntryText(swatch));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->at, swatch.at);
    EXPECT_EQ(back->ink, swatch.ink);
}

}  // namespace
}  // namespace stylorex
