#include "support/TestSupport.h"
#include "zel/host/ui/Dialogs.h"

#include <gtest/gtest.h>

using namespace zel::host;

TEST(Dialogs, PresenterSeesTheWholeMessageAndCanBeRestored) {
    {
        zel::test::MessageRecorder recorder;
        EXPECT_EQ(MessageDlg("Hello", mtConfirmation, {mbOK}, 7), 1);
        ASSERT_EQ(recorder.Messages().size(), 1u);
        const TMessage& m = recorder.Messages()[0];
        EXPECT_EQ(m.text, "Hello");
        EXPECT_EQ(m.type, mtConfirmation);
        EXPECT_TRUE(m.buttons.Contains(mbOK));
        EXPECT_FALSE(m.buttons.Contains(mbCancel));
        EXPECT_EQ(m.buttons, TMsgDlgButtons({mbOK}));
        EXPECT_EQ(m.helpContext, 7);
    }
    // Back to the default presenter, which writes to standard error.
    testing::internal::CaptureStderr();
    MessageDlg("To stderr", mtConfirmation, {mbOK}, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "To stderr\n");
}
