// The one message box of the setup: fixed caption, task-modal, owned by the
// application window, English buttons. Callers choose text, kind and buttons.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

enum class MessageKind : uint8_t { Warning = 0, Error = 1, Information = 2, Question = 3 };

enum class MessageButton : uint8_t { Yes = 0, No = 1, Ok = 2, Cancel = 3, Abort = 4, Retry = 5, Ignore = 6 };

// A set of buttons, element n being bit n.
class MessageButtons {
public:
    constexpr MessageButtons() = default;
    constexpr MessageButtons(std::initializer_list<MessageButton> buttons) {
        for (MessageButton b : buttons) bits_ |= static_cast<uint16_t>(1u << static_cast<unsigned>(b));
    }
    static constexpr MessageButtons FromBits(uint16_t bits) {
        MessageButtons s;
        s.bits_ = bits;
        return s;
    }
    constexpr uint16_t Bits() const { return bits_; }

private:
    uint16_t bits_ = 0;
};

enum class MessageResult : uint8_t { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The style bits for a kind and a button set, task-modal included.
unsigned MessageBoxStyle(MessageKind kind, MessageButtons buttons);
// The system's answer as a result: 0 and anything above 7 give Ok.
MessageResult MessageResultOf(int answer);

// Blocks until answered. Ok when the box could not be shown.
MessageResult ShowMessageBox(const std::string& text, MessageKind kind, MessageButtons buttons);
