#include "app/main_form.h"

#include <gtest/gtest.h>

TEST(MainForm, OpensWithItsCaption)
{
    TMainForm form;
    form.show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel for FS2002"));
}
