// One QApplication for the whole test program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "termination_watch.h"
#include "translations.h"

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QApplication>(argc_, argv_);
        // VEXAL_TEST_LOCALE=de_DE shows the pages in that language, for their screenshots.
        const QString locale = qEnvironmentVariable("VEXAL_TEST_LOCALE");
        if (!locale.isEmpty()) vexal::InstallTranslations(*application_, QLocale(locale), {});
    }
    void TearDown() override {
        vexal::AnnounceQuit();
        application_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "vexal-gui-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
