#include <QApplication>

#include <gtest/gtest.h>

// The window tests need a QApplication; without a display they run on the
// offscreen platform.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Tests close the window many times; that must not end the application.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
