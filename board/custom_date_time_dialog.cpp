#include "board/custom_date_time_dialog.h"

#include <QDateEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimeEdit>

namespace {

// The locale's short date with the year in four digits: a two-digit year would be read back in
// the wrong century when the user edits it.
QString shortDateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

}  // namespace

TCustomDateTimeDlg::TCustomDateTimeDlg(quorvel::LocalDateTime& customMoment, QWidget* parent)
    : QDialog(parent), customMoment_(customMoment)
{
    setWindowTitle(QStringLiteral("Custom DateTime"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(257, 128);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 241, 73);

    DatePicker = new QDateEdit(this);
    DatePicker->setDisplayFormat(shortDateFormat(QLocale()));
    DatePicker->setCalendarPopup(true);
    DatePicker->setGeometry(24, 32, 121, 24);

    TimePicker = new QTimeEdit(this);
    TimePicker->setDisplayFormat(QStringLiteral("HH:mm"));
    TimePicker->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    TimePicker->setGeometry(160, 32, 73, 24);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    OKBtn->setGeometry(47, 92, 75, 25);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setGeometry(151, 92, 75, 25);

    connect(OKBtn, &QPushButton::clicked, this, &TCustomDateTimeDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TCustomDateTimeDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TCustomDateTimeDlg::FormShow()
{
    DatePicker->setDate(QDate(customMoment_.year, customMoment_.month, customMoment_.day));
    TimePicker->setTime(QTime(customMoment_.hour, customMoment_.minute));
}

void TCustomDateTimeDlg::OKBtnClick()
{
    const QDate date = DatePicker->date();
    const QTime time = TimePicker->time();
    // The pickers show no seconds, so the moment keeps its own: confirming an untouched dialog
    // leaves the moment equal and the board is not rebuilt for nothing.
    customMoment_ = {date.year(), date.month(), date.day(), time.hour(), time.minute(), customMoment_.second};
    accept();
}
