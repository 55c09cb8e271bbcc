// flags/flag_manager_dialog.h: the Flag Manager, where the user edits which airline gets which
// flag picture. Each opening reads the list file afresh; OK checks the rows, writes them back
// and hands the written list to the main window's flag list; Cancel and the close box write nothing.
#pragma once

#include "flags/flag_list.h"
#include "flags/flag_rows.h"
#include "platform/interaction.h"

#include <QDialog>
#include <QImage>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class TFlagManager final : public QDialog {
    Q_OBJECT
public:
    // `flagList` is the main window's list, replaced on OK. `flagFolder` is read at every opening
    // (the main window sets it when it is first shown, after this dialog is created), so it must
    // be the main window's own member, not a temporary. All four must outlive the dialog.
    TFlagManager(quorvel::flags::FlagList& flagList, const std::filesystem::path& flagFolder,
                 quorvel::Prompter& prompter, quorvel::FileDialogs& fileDialogs, QWidget* parent = nullptr);

    QTableWidget* ValueListEditor1;  // columns "Airline" and "Flag file"
    QPushButton* FMOkButton;
    QPushButton* FMCancelButton;
    QLabel* Label1;
    QFrame* Panel1;
    QLabel* FMImage;            // the preview, inside Panel1
    QAction* insertRowAction;   // Insert: a new row below the current one
    QAction* deleteRowAction;   // Ctrl+Del: removes the current row
    QAction* editButtonAction;  // Ctrl+Return: the current row's edit button

    void FormShow();
    void ValueListEditor1SelectCell(int row, int column);
    void ValueListEditor1EditButtonClick();
    void FMOkButtonClick();
    void FMCancelButtonClick();
    void FormClose();
    void insertRow();
    void deleteRow();

    std::vector<quorvel::flags::FlagRow> rows() const;  // the editor's rows, in screen order
    bool hasEditButton(int row) const;
    const QImage& preview() const { return preview_; }  // the picture shown, unscaled; null before the first

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;  // OK, Cancel and the close box all end here

private:
    void fillEditor(const std::vector<quorvel::flags::FlagRow>& rows);
    void showPicture(const std::string& flagName);  // throws quorvel::Error
    void showPictureQuietly(const std::string& flagName);
    void airlineEdited(QTableWidgetItem* item);
    void warn(const std::string& text);
    std::filesystem::path listFile() const;

    quorvel::flags::FlagList& flagList_;
    const std::filesystem::path& flagFolder_;
    quorvel::Prompter& prompter_;
    quorvel::FileDialogs& fileDialogs_;
    std::optional<std::vector<quorvel::flags::FlagRow>> temporaryList_;  // the file as read at this opening
    bool listUnread_ = false;  // the list file exists but could not be read at this opening
    QImage preview_;
};
