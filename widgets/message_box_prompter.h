// widgets/message_box_prompter.h: the real prompter, waits and file dialogs of the program.
#pragma once

#include "platform/interaction.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class QProgressDialog;

namespace quorvel::ui {

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

// The busy cursor over every window of the program, and a progress dialog over the active one.
// The windows are repainted as the wait starts, so a menu or dialog just closed does not stay
// painted over them while the work runs; no other events are handled during the wait.
class QtWaits final : public quorvel::Waits {
public:
    QtWaits();
    ~QtWaits() override;
    void busyStarted() override;
    void busyFinished() override;
    void progressStarted(std::string_view label, int total) override;
    void progressed(int done) override;
    void progressFinished() override;

private:
    std::unique_ptr<QProgressDialog> progress_;
    struct ProgressStep {
        QString label;
        int total;
    };
    std::vector<ProgressStep> progressSteps_;  // the progress waits running, the innermost last
    int busy_ = 0;
};

class QtFileDialogs final : public quorvel::FileDialogs {
public:
    std::optional<std::filesystem::path> openFile(std::string_view caption, const std::filesystem::path& folder,
                                                  std::string_view filter) override;
    std::optional<std::filesystem::path> openPicture(std::string_view caption, const std::filesystem::path& folder,
                                                     std::string_view filter) override;
    std::optional<std::filesystem::path> saveFile(std::string_view caption, const std::filesystem::path& folder,
                                                  std::string_view filter, std::string_view defaultSuffix) override;
};

}  // namespace quorvel::ui
