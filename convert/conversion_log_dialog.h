// convert/conversion_log_dialog.h: the conversion log window, created once at start-up. It
// collects the keys that conversions could not look up, over every conversion of the program's
// life, and saves them as a text file on request.
#pragma once

#include "convert/conversion_log.h"
#include "platform/interaction.h"

#include <QDialog>
#include <filesystem>
#include <string_view>

class QFrame;
class QPlainTextEdit;
class QPushButton;

class TdlgCLog final : public QDialog {
    Q_OBJECT
public:
    // `fileDialogs` and `prompter` must outlive the window; the save dialog starts in `saveFolder`.
    TdlgCLog(quorvel::FileDialogs& fileDialogs, quorvel::Prompter& prompter, std::filesystem::path saveFolder = {},
             QWidget* parent = nullptr);

    // Adds "KEY not found (PLACE)" unless the log holds the key's line (letter case ignored);
    // `key` is Windows-1252, `place` ("flightplans.txt, line 12") UTF-8 and may be empty.
    bool addLine(std::string_view key, std::string_view place = {});
    // Adds a line of another kind (a line left out, the line a run stopped on), UTF-8.
    bool addText(std::string_view text);
    void Button1Click();    // "Save to...": every line ended by CR LF; a failed write is shown, the old file kept
    void CancelBtnClick();  // "Close": the lines stay
    const quorvel::convert::ConversionLog& log() const { return log_; }

    QFrame* Bevel1;
    QPlainTextEdit* MemoLog;
    QPushButton* CancelBtn;
    QPushButton* Button1;

private:
    quorvel::FileDialogs& fileDialogs_;
    quorvel::Prompter& prompter_;
    std::filesystem::path saveFolder_;
    quorvel::convert::ConversionLog log_;
};
