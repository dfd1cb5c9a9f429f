// The message box: style bits, answers, and real boxes read back from a
// second thread: buttons, icon, caption, text, owner and task-modality.
#include "records/Dialogs.h"
#include "ui/Application.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using B = MessageButton;

struct TStyleCase {
    int Kind;
    MessageButtons Buttons;
    unsigned Style;
};

TEST(MessageBoxStyle, IconOfTheKindButtonsOfTheWholeSetAlwaysTaskModal) {
    const TStyleCase cases[] = {
        {0, {B::Ok}, MB_ICONWARNING | MB_OK},
        {1, {B::Ok}, MB_ICONERROR | MB_OK},
        {2, {B::Ok}, MB_ICONINFORMATION | MB_OK},
        {3, {B::Ok}, MB_ICONQUESTION | MB_OK},
        {7, {B::Ok}, MB_ICONERROR | MB_OK},  // unknown kinds show the error icon
        {255, {B::Ok}, MB_ICONERROR | MB_OK},
        {1, {B::Abort, B::Retry, B::Ignore}, MB_ICONERROR | MB_ABORTRETRYIGNORE},
        {1, {B::Ok, B::Cancel}, MB_ICONERROR | MB_OKCANCEL},
        {1, {B::Retry, B::Cancel}, MB_ICONERROR | MB_RETRYCANCEL},
        {1, {B::Yes, B::No}, MB_ICONERROR | MB_YESNO},
        {1, {B::Yes, B::No, B::Cancel}, MB_ICONERROR | MB_YESNOCANCEL},
        {1, {}, MB_ICONERROR | MB_OK},
        {1, {B::Yes}, MB_ICONERROR | MB_OK},
        {1, {B::Ok, B::Retry}, MB_ICONERROR | MB_OK},
        {1, {B::Abort, B::Retry}, MB_ICONERROR | MB_OK},  // a subset of a known set is not that set
        {1, {B::Abort, B::Retry, B::Ignore, B::Ok}, MB_ICONERROR | MB_OK},  // nor is a superset
        {1, MessageButtons::FromBits(0x8070), MB_ICONERROR | MB_OK},  // bits beyond Ignore count too
    };
    for (const TStyleCase& c : cases) {
        EXPECT_EQ(MessageBoxStyle(static_cast<MessageKind>(c.Kind), c.Buttons), c.Style | MB_TASKMODAL)
            << "kind " << c.Kind << ", buttons 0x" << std::hex << c.Buttons.Bits();
    }
}

TEST(MessageResultOf, SystemAnswersOneToSevenAsTheyAreEverythingElseOk) {
    const struct {
        int Answer;
        MessageResult Result;
    } cases[] = {
        {IDOK, MessageResult::Ok},         {IDCANCEL, MessageResult::Cancel}, {IDABORT, MessageResult::Abort},
        {IDRETRY, MessageResult::Retry},   {IDIGNORE, MessageResult::Ignore}, {IDYES, MessageResult::Yes},
        {IDNO, MessageResult::No},
        {0, MessageResult::Ok},            // the box could not be shown
        {8, MessageResult::Ok},            // IDCLOSE and later answers
        {IDTRYAGAIN, MessageResult::Ok},
        {32000, MessageResult::Ok},        // IDTIMEOUT
        {-1, MessageResult::Ok},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageResultOf(c.Answer), c.Result) << "answer " << c.Answer;
}

// Windows-1252 bytes: the box must show them as Swedish letters whatever
// the system's code page.
const char SwedishText[] = "R\xE4ksm\xF6rg\xE5s \xC5\xC4\xD6\rsecond line";
const wchar_t SwedishTextWide[] = L"R\u00E4ksm\u00F6rg\u00E5s \u00C5\u00C4\u00D6\rsecond line";
const wchar_t Caption[] = L"Quorvane Swedish Spellchecker - Setup";

// The system icons by number (IDI_WARNING and friends are narrow strings here).
constexpr WORD Warning = 32515, Error = 32513, Information = 32516, Question = 32514;

struct TBoxCase {
    int Kind;
    MessageButtons Buttons;
    std::vector<int> Shown;  // button ids the box has
    WORD Icon;  // IDI_ number
    int Press;
    MessageResult Result;
};

// The icon is compared with the shared system icon, which is what Wine's box
// shows; Windows may load it at another size, giving another handle, which is
// why the style bits are also checked by the table above.
TEST(ShowMessageBox, RealBoxHasTheButtonsIconCaptionAndTextAndReturnsThePressedButton) {
    const TBoxCase cases[] = {
        {0, {B::Ok}, {IDOK}, Warning, IDOK, MessageResult::Ok},
        {1, {B::Yes}, {IDOK}, Error, IDOK, MessageResult::Ok},
        {2, {B::Ok, B::Retry}, {IDOK}, Information, IDOK, MessageResult::Ok},
        {3, {}, {IDOK}, Question, IDOK, MessageResult::Ok},
        {7, {B::Abort, B::Retry, B::Ignore}, {IDABORT, IDRETRY, IDIGNORE}, Error, IDIGNORE,
         MessageResult::Ignore},
        {1, {B::Abort, B::Retry, B::Ignore}, {IDABORT, IDRETRY, IDIGNORE}, Error, IDABORT,
         MessageResult::Abort},
        {1, {B::Retry, B::Cancel}, {IDCANCEL, IDRETRY}, Error, IDRETRY, MessageResult::Retry},
        {3, {B::Yes, B::No, B::Cancel}, {IDCANCEL, IDYES, IDNO}, Question, IDNO, MessageResult::No},
        {3, {B::Yes, B::No}, {IDYES, IDNO}, Question, IDYES, MessageResult::Yes},
        {2, {B::Ok, B::Cancel}, {IDOK, IDCANCEL}, Information, IDCANCEL, MessageResult::Cancel},
    };
    for (const TBoxCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.Kind << ", buttons 0x" << std::hex << c.Buttons.Bits());
        TBoxAnswerer answerer({c.Press});
        const MessageResult result = ShowMessageBox(SwedishText, static_cast<MessageKind>(c.Kind), c.Buttons);
        const auto& seen = answerer.Stop();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].Buttons, c.Shown);
        EXPECT_EQ(seen[0].Icon, LoadIconW(nullptr, MAKEINTRESOURCEW(c.Icon)));
        EXPECT_EQ(seen[0].Caption, Caption);
        EXPECT_EQ(seen[0].Text, SwedishTextWide);
        EXPECT_EQ(result, c.Result);
    }
}

// Puts the program-wide application object back when the test ends.
class TApplicationScope {
public:
    explicit TApplicationScope(TApplication* app) { Application = app; }
    ~TApplicationScope() { Application = nullptr; }
};

TEST(ShowMessageBox, OwnedByTheApplicationWindowWhenThereIsOne) {
    TApplication app;
    app.Initialize();
    {
        TApplicationScope scope(&app);
        TBoxAnswerer answerer({IDOK});
        ShowMessageBox("owned", MessageKind::Information, {B::Ok});
        const auto& seen = answerer.Stop();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].Owner, app.Handle());
    }
    TBoxAnswerer answerer({IDOK});
    ShowMessageBox("no application", MessageKind::Information, {B::Ok});
    const auto& seen = answerer.Stop();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Owner, nullptr);
}

TEST(ShowMessageBox, TaskModalDisablesTheThreadsOtherWindowsWhileOpen) {
    TUniqueWindow other(CreateWindowExW(0, L"STATIC", L"other window", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50,
                                        nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(other);
    std::atomic<int> enabledDuringBox{-1};
    TBoxAnswerer answerer({IDOK}, [&](std::size_t, HWND) { enabledDuringBox = IsWindowEnabled(other.get()) ? 1 : 0; });
    ShowMessageBox("task-modal", MessageKind::Warning, {B::Ok});
    answerer.Stop();
    EXPECT_EQ(enabledDuringBox, 0);
    EXPECT_TRUE(IsWindowEnabled(other.get()));
}

TEST(ShowMessageBox, BoxThatCannotBeShownGivesOk) {
    // An owner window that no longer exists makes the system refuse the box.
    TApplication app;
    app.Initialize();
    DestroyWindow(app.Handle());
    TApplicationScope scope(&app);
    TBoxAnswerer answerer({IDNO});  // would turn a wrongly shown box into No
    const MessageResult result = ShowMessageBox("never shown", MessageKind::Question, {B::Yes, B::No});
    EXPECT_EQ(answerer.Stop().size(), 0u);
    EXPECT_EQ(result, MessageResult::Ok);
}

}  // namespace
