// app/message_box_prompter.h: the real prompter, waits and file dialogs of the program.
#pragma once

#include "platform/interaction.h"

#include <QWidget>

class MessageBoxPrompter final : public quorvel::Prompter {
public:
    void message(std::string_view caption, std::string_view text) override;
    bool confirm(std::string_view caption, std::string_view text) override;
};

// Start-up's waits. They run before the message loop does, yet the window system must still be
// able to map and expose the splash screen and have it painted, so the wait runs a local event
// loop that leaves user input queued until the program is ready for it.
class EventLoopSleeper final : public quorvel::Sleeper {
public:
    void wait(std::chrono::milliseconds duration) override;
};

class QtFileDialogs final : public quorvel::FileDialogs {
public:
    std::optional<std::filesystem::path> openFile(std::string_view caption, const std::filesystem::path& folder,
                                                  std::string_view filter) override;
    std::optional<std::filesystem::path> saveFile(std::string_view caption, const std::filesystem::path& folder,
                                                  std::string_view filter, std::string_view defaultSuffix) override;
};
