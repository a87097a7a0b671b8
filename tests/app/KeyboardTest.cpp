#include "FormFixture.h"

#include <QPushButton>
#include <QTest>

namespace tmq::test {
namespace {

class KeyboardTest : public FormFixture {
protected:
    void SetUp() override
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    QPushButton* button(const char* name) const { return child<QPushButton>(name); }

    // Types a key the way the window system delivers it, shortcuts included.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form->windowHandle(), key, modifiers);
        QApplication::processEvents();
    }

    bool closesSoon()
    {
        return QTest::qWaitFor([this] { return !form->isVisible(); }, 2000);
    }
};

TEST_F(KeyboardTest, FocusStartsOnCloseAndTabCyclesThroughTheButtons)
{
    EXPECT_EQ(QApplication::focusWidget(), button("BClose"));
    const char* order[] = {"BExportar", "BImportar", "BClose", "BExportar"};
    for (const char* name : order) {
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button(name)) << name;
    }
}

TEST_F(KeyboardTest, FocusedButtonIsDrawnAsTheDefaultOne)
{
    const char* names[] = {"BClose", "BExportar", "BImportar"};
    for (int step = 0; step < 3; ++step) {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(button(names[i])->isDefault(), i == step) << names[i] << " at " << step;
        press(Qt::Key_Tab);
    }
}

TEST_F(KeyboardTest, EnterRightAfterStartCloses)
{
    press(Qt::Key_Return);
    EXPECT_TRUE(closesSoon());
    EXPECT_EQ(exportRuns + importRuns, 0);
}

TEST_F(KeyboardTest, EscapeDoesNothing)
{
    press(Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), button("BClose"));
    EXPECT_EQ(exportRuns + importRuns, 0);
}

TEST_F(KeyboardTest, EnterAndSpacePressTheFocusedButton)
{
    struct Case {
        int tabs;
        Qt::Key key;
        int exports;
        int imports;
    };
    const Case cases[] = {
        {1, Qt::Key_Space, 1, 0},  // on BExportar
        {0, Qt::Key_Enter, 2, 0},  // still on BExportar
        {1, Qt::Key_Return, 2, 1}, // on BImportar
        {0, Qt::Key_Space, 2, 2},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < c.tabs; ++i)
            press(Qt::Key_Tab);
        press(c.key);
        EXPECT_EQ(exportRuns, c.exports);
        EXPECT_EQ(importRuns, c.imports);
    }
    EXPECT_TRUE(form->isVisible());
}

TEST_F(KeyboardTest, AltSClosesFromAnyButton)
{
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), button("BImportar"));
    press(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(closesSoon());
    EXPECT_EQ(exportRuns + importRuns, 0);
}

} // namespace
} // namespace tmq::test
