// board/custom_date_time_dialog.h: the dialog that sets the board's custom reference moment.
// It is created once and shown modally on demand; the pickers start from the moment at each
// show, and only OK writes them back.
#pragma once

#include "platform/local_time.h"

#include <QDialog>

class QDateEdit;
class QFrame;
class QPushButton;
class QTimeEdit;

class TCustomDateTimeDlg final : public QDialog {
    Q_OBJECT
public:
    // `customMoment` belongs to the main window and must outlive the dialog.
    explicit TCustomDateTimeDlg(quorvel::LocalDateTime& customMoment, QWidget* parent = nullptr);

    void FormShow();    // pickers := the custom moment; runs whenever the dialog is shown
    void OKBtnClick();  // custom moment := picked date and time of day; closes with OK

    QFrame* Bevel1;
    QDateEdit* DatePicker;
    QTimeEdit* TimePicker;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    quorvel::LocalDateTime& customMoment_;
};
