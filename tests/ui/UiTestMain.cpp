#include "ui/ProgramFonts.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

// Widgets need one QApplication for the whole run; gtest_main provides main(),
// so it is created by a global environment. Tests run on the offscreen platform.
namespace {

class QApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (QApplication::instance()) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        // The widgets are measured and pictured with the program's own style and fonts.
        programfonts::applyToApplication();
    }
    void TearDown() override { app.reset(); }

  private:
    int argc = 1;
    char name[8] = "test_ui";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QApplicationEnvironment);

} // namespace
