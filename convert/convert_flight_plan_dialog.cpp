#include "convert/convert_flight_plan_dialog.h"

#include "convert/conversion_log_dialog.h"
#include "convert/flight_convert_thread.h"
#include "tables/flight_table.h"
#include "widgets/guarded_handler.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

using namespace quorvel::ui;

TdlgConvertFP::TdlgConvertFP(const std::filesystem::path& programFolder, const std::string& flightPlanSetting,
                             bool overrideDst, const quorvel::tables::AirportLookup& airports, TdlgCLog& log,
                             quorvel::Prompter& prompter, quorvel::platform::TimeZone zone, bool skipBadLines,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      ProgressBar1(new QProgressBar(this)),
      Label1(new QLabel(QStringLiteral(" "), this)),
      Button1(new QPushButton(this)),
      inputs_(quorvel::convert::programInputs(programFolder, flightPlanSetting, airports, overrideDst, zone)),
      log_(log),
      prompter_(prompter)
{
    setFixedSize(234, 121);
    ProgressBar1->setGeometry(24, 16, 185, 33);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::StrongFocus);
    Label1->move(24, 56);
    Label1->setTextFormat(Qt::PlainText);  // "&" stays a character
    Button1->setGeometry(56, 88, 129, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, guarded(prompter_, [this] { Button1Click(); }));
    ProgressBar1->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    inputs_.skipBadLines = skipBadLines;
    FormCreate();
}

TdlgConvertFP::~TdlgConvertFP()
{
    // Joined while the widgets its signals reach are whole; the join needs no event loop.
    worker_.reset();
}

void TdlgConvertFP::FormCreate()
{
    setWindowTitle(QStringLiteral("Convert Flight Plan"));
    Button1->setText(QStringLiteral("Stop"));

    worker_ = std::make_unique<FlightConvertThread>(inputs_, prompter_);
    connect(worker_.get(), &FlightConvertThread::progressChanged, this, [this](int minimum, int maximum, int position) {
        // An empty range would turn the bar into a busy indicator; a file without lines shows an empty bar.
        ProgressBar1->setRange(minimum, std::max(maximum, minimum + 1));
        ProgressBar1->setValue(position);
    });
    connect(worker_.get(), &FlightConvertThread::labelChanged, Label1, [this](const QString& text) {
        // The label grows with its text, as wide as the counter needs, so "Flights:n/total" shows whole.
        Label1->setText(text);
        Label1->adjustSize();
    });
    connect(worker_.get(), &FlightConvertThread::logLineAdded, this,
            [this](const std::string& key, const std::string& place) { log_.addLine(key, place); });
    connect(worker_.get(), &FlightConvertThread::logTextAdded, this,
            [this](const std::string& text) { log_.addText(text); });
    connect(worker_.get(), &FlightConvertThread::buttonCaptionChanged, Button1, &QPushButton::setText);
    connect(worker_.get(), &FlightConvertThread::buttonPressed, Button1, &QPushButton::click);

    quorvel::tables::createEmptyFlightFile(inputs_.flightTableFile);
}

void TdlgConvertFP::FormShow()
{
    worker_->start();
}

void TdlgConvertFP::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!worker_->started()) guarded(prompter_, [this] { FormShow(); })();
}

void TdlgConvertFP::Button1Click()
{
    worker_->requestStop();
    reject();
}

void TdlgConvertFP::reject()
{
    worker_->requestStop();
    QDialog::reject();
}

void TdlgConvertFP::keyPressEvent(QKeyEvent* event)
{
    // The dialog closes through its button only; Esc is not a way out.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgConvertFP::closeEvent(QCloseEvent* event)
{
    event->ignore();  // no close box: the window manager's close is not a way out either
}
