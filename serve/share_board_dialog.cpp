#include "serve/share_board_dialog.h"

#include "platform/error.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace quorvel::ui {

ShareBoardDialog::ShareBoardDialog(const serve::SnapshotStore& store, const Clock& clock, ShareBoardHooks hooks,
                                   QWidget* parent)
    : QDialog(parent), store_(store), clock_(clock), hooks_(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Share Board"));
    auto* layout = new QGridLayout(this);
    auto* intro = new QLabel(QStringLiteral("Show the departures and arrivals board in a web browser, on this "
                                            "computer or another screen."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro, 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Listen on:"), this), 1, 0);
    AddressEdit = new QLineEdit(QString::fromStdString(std::string(serve::defaultHost) + ":" +
                                                       std::to_string(serve::defaultPort)),
                                this);
    AddressEdit->setToolTip(QStringLiteral("127.0.0.1 serves this computer only; 0.0.0.0 lets the other computers "
                                           "of the network in"));
    layout->addWidget(AddressEdit, 1, 1);
    StartButton = new QPushButton(QStringLiteral("Start"), this);
    layout->addWidget(StartButton, 1, 2);
    AddressLabel = new QLabel(this);
    AddressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    AddressLabel->setWordWrap(true);
    layout->addWidget(AddressLabel, 2, 0, 1, 3);
    OpenButton = new QPushButton(QStringLiteral("Open in Browser"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    layout->addWidget(OpenButton, 3, 1);
    layout->addWidget(close, 3, 2);
    connect(StartButton, &QPushButton::clicked, this, [this] { startClick(); });
    connect(OpenButton, &QPushButton::clicked, this, [this] { openClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    showState();
}

ShareBoardDialog::~ShareBoardDialog()
{
    if (server_) server_->stop();
    for (const auto& server : stopping_) server->stop();
    // The servers' destructors wait for their threads, which end within their timeouts.
}

std::string ShareBoardDialog::url() const
{
    return server_ ? server_->url() : std::string();
}

void ShareBoardDialog::startClick()
{
    if (running())
        stop();
    else
        start();
}

void ShareBoardDialog::openClick()
{
    if (running()) hooks_.open(url());
}

void ShareBoardDialog::start()
{
    std::erase_if(stopping_, [](const auto& server) { return server->finished(); });
    const auto address = serve::parseListenAddress(AddressEdit->text().trimmed().toStdString());
    if (!address) return showState(QStringLiteral("The address is not ADDRESS:PORT, such as 127.0.0.1:8017."));
    serve::ServerOptions options;
    options.host = address->first;
    options.port = address->second;
    hooks_.publish();
    auto server = std::make_unique<serve::BoardServer>(store_, clock_, options);
    try {
        server->start();
    } catch (const Error& e) {
        return showState(QString::fromStdString(e.what()));
    }
    server_ = std::move(server);
    showState();
}

void ShareBoardDialog::stop()
{
    server_->stop();
    stopping_.push_back(std::move(server_));
    showState();
}

void ShareBoardDialog::showState(const QString& message)
{
    const bool on = running();
    StartButton->setText(on ? QStringLiteral("Stop") : QStringLiteral("Start"));
    AddressEdit->setEnabled(!on);
    OpenButton->setEnabled(on);
    if (!message.isEmpty())
        AddressLabel->setText(message);
    else if (on)
        AddressLabel->setText(QStringLiteral("The board is at %1").arg(QString::fromStdString(url())));
    else
        AddressLabel->setText(QStringLiteral("Not shared."));
}

}  // namespace quorvel::ui
