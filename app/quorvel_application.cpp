#include "app/quorvel_application.h"

#include <QMessageBox>
#include <QStyleFactory>
#include <exception>

QuorvelApplication::QuorvelApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The windows are laid out in pixels for a small classic dialog font; a larger desktop
    // default would cut the captions off.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont classic = font();
    classic.setPixelSize(11);
    setFont(classic);
}

bool QuorvelApplication::notify(QObject* receiver, QEvent* event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, errorPrompter_);
}

bool deliverGuarded(const std::function<bool()>& deliver, quorvel::Prompter* prompter)
{
    std::string text;
    try {
        return deliver();
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    // An error box must never be empty: when the error says nothing, say what little is known.
    if (text.empty()) text = unexpectedErrorText;
    if (prompter) prompter->message("Error", text);
    return false;
}
