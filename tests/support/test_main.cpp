#include "ui/ui.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    ui::initialise();
    int result = RUN_ALL_TESTS();
    ui::shut_down();
    return result;
}
