// app/quorvel_application.h: the application object. Handlers run inside guarded(), which shows
// their errors where they arise; every event goes through notify(), the last resort for an error
// that escaped anyway: it is shown in the same standard error box and the program goes on.
#pragma once

#include "platform/interaction.h"
#include "widgets/guarded_handler.h"

#include <QApplication>
#include <functional>

namespace quorvel::ui {

class QuorvelApplication final : public QApplication {
public:
    QuorvelApplication(int& argc, char** argv);

    // Where errors go; the program passes a message-box prompter, tests a recording one.
    void setErrorPrompter(quorvel::Prompter* prompter) { errorPrompter_ = prompter; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    quorvel::Prompter* errorPrompter_ = nullptr;
};

// Runs `deliver`; an exception it throws is shown through `prompter` with the error's text
// (or unexpectedErrorText when it has none) and reads as "not handled".
bool deliverGuarded(const std::function<bool()>& deliver, quorvel::Prompter* prompter);

}  // namespace quorvel::ui
