#include <gtest/gtest.h>

#include <QApplication>

// The tests need one QApplication; listing them needs none (and no display).
int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
