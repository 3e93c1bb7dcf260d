// The desktop host's tests need a display. Without one, the program runs
// itself again under a virtual X server (xvfb-run), so that every test,
// alone or listed by CTest, meets the windows as a user's desktop shows
// them; listing the tests needs none.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void RunUnderVirtualDisplay(const std::vector<std::string>& program) {
    std::vector<std::string> words = {"xvfb-run", "-a", "-s", "-screen 0 1280x800x24"};
    words.insert(words.end(), program.begin(), program.end());
    std::vector<char*> arguments;
    for (auto& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    setenv("VELMORA_HOST_TESTS_UNDER_XVFB", "1", 1);
    execvp(arguments[0], arguments.data());
    std::fprintf(stderr, "host_tests: no display and no xvfb-run (%s); install xvfb or set DISPLAY\n",
                 std::strerror(errno));
    std::exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> program(argv, argv + argc);
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((display == nullptr || *display == '\0') && platform == nullptr &&
        std::getenv("VELMORA_HOST_TESTS_UNDER_XVFB") == nullptr) {
        RunUnderVirtualDisplay(program);
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
