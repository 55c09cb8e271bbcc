// about/about_dialog.h: the about box. Each opening builds it afresh from the version record that
// it reads out of the executable file; a file without one gives the fallback box.
#pragma once

#include <QDialog>
#include <filesystem>

class QLabel;
class QPushButton;
class QTextEdit;

class TVersionAwareAbout final : public QDialog {
    Q_OBJECT
public:
    explicit TVersionAwareAbout(std::filesystem::path executable, QWidget* parent = nullptr);

    QLabel* Image1;
    QTextEdit* reVersionInfo;
    QPushButton* btnOK;

private:
    void FormCreate();  // reads the record and fills the title and the text box

    std::filesystem::path executable_;
};

// The about box of the program file `executable`, modal over the active window, as Help > About shows it.
void showAboutBox(const std::filesystem::path& executable);
