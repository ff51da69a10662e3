#include <QGuiApplication>

#include <gtest/gtest.h>

// Tests that draw text into pictures (the font needs a platform) but show no widgets.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // CTest lists the cases before every run: listing needs no application.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
