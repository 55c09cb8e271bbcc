// app/quorvel_application.h: the application object. Every event goes through notify(), so an
// error that a window's handler did not catch ends up here: it is shown in the one standard
// error box and the program goes on.
#pragma once

#include "platform/interaction.h"

#include <QApplication>
#include <functional>

class QuorvelApplication final : public QApplication {
public:
    QuorvelApplication(int& argc, char** argv);

    // Where errors go; the program passes a message-box prompter, tests a recording one.
    void setErrorPrompter(quorvel::Prompter* prompter) { errorPrompter_ = prompter; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    quorvel::Prompter* errorPrompter_ = nullptr;
};

// What the error box says for an error that carries no text of its own.
inline constexpr const char* unexpectedErrorText = "An unexpected error occurred.";

// Runs `deliver`; an exception it throws is shown through `prompter` with the error's text
// (or unexpectedErrorText when it has none) and reads as "not handled".
bool deliverGuarded(const std::function<bool()>& deliver, quorvel::Prompter* prompter);
