// serve/share_board_dialog.h: File > "Share Board...": starts and stops the board server for a
// browser on a spare screen, shows its address, and opens the page in the default browser.
//
// The server answers on threads of its own from the snapshots the main window publishes, so
// nothing here waits for a client: Stop only asks the server to end, and a stopped server is
// kept until its threads have finished (at the latest until the dialog goes).
#pragma once

#include "platform/local_time.h"
#include "serve/board_server.h"
#include "serve/board_snapshot.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel::ui {

struct ShareBoardHooks {
    std::function<void()> publish;                     // hands the server the window's tables now
    std::function<void(const std::string& url)> open;  // the page in the default browser
};

class ShareBoardDialog final : public QDialog {
    Q_OBJECT
public:
    // `store` and `clock` must outlive the dialog; the clock is read on the server's threads.
    ShareBoardDialog(const serve::SnapshotStore& store, const Clock& clock, ShareBoardHooks hooks,
                     QWidget* parent = nullptr);
    ~ShareBoardDialog() override;

    bool running() const { return server_ != nullptr; }
    std::string url() const;  // empty when stopped

    void startClick();  // Start, or Stop while running
    void openClick();

    QLineEdit* AddressEdit = nullptr;
    QPushButton* StartButton = nullptr;
    QPushButton* OpenButton = nullptr;
    QLabel* AddressLabel = nullptr;

private:
    void start();
    void stop();
    void showState(const QString& message = {});

    const serve::SnapshotStore& store_;
    const Clock& clock_;
    ShareBoardHooks hooks_;
    std::unique_ptr<serve::BoardServer> server_;
    std::vector<std::unique_ptr<serve::BoardServer>> stopping_;  // stopped, threads maybe still ending
};

}  // namespace quorvel::ui
