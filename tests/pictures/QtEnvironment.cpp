// The widgets and QPainter need an application object; it lives for the whole run.
#include <gtest/gtest.h>

#include "pictures/PictureStore.h"

#include <QApplication>
#include <QImageReader>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        // As the application sets it.
        QImageReader::setAllocationLimit(kelpora::PictureStore::ReaderAllocationLimitMb);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "pictures_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
