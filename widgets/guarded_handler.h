// widgets/guarded_handler.h: where an error that a handler does not catch is shown.
// Qt does not promise to unwind an exception through its signal and event frames, so every
// handler a window connects, and every event override that calls one, runs inside guarded():
// an exception ends the rest of that handler, is shown in the standard error box and the
// program goes on. QApplication::notify keeps the same box only as the last resort.
#pragma once

#include "platform/interaction.h"

#include <concepts>
#include <utility>

// What the error box says for an error that carries no text of its own.
inline constexpr const char* unexpectedErrorText = "An unexpected error occurred.";

// Shows the exception being handled in the standard error box: caption "Error", the error's
// text, or unexpectedErrorText when it has none. Call it only inside a catch block; nothing
// is shown without a prompter.
void showCurrentError(quorvel::Prompter* prompter);

// A handler that shows what it throws instead of letting it reach Qt. It takes the leading
// arguments of the signal it is connected to that the handler accepts, as Qt allows for any slot.
template <class Handler>
class GuardedHandler {
public:
    GuardedHandler(quorvel::Prompter& prompter, Handler handler) : prompter_(&prompter), handler_(std::move(handler)) {}

    template <class... Args>
    requires std::invocable<const Handler&, Args...>
    void operator()(Args&&... args) const
    {
        try {
            handler_(std::forward<Args>(args)...);
        } catch (...) {
            showCurrentError(prompter_);
        }
    }

private:
    quorvel::Prompter* prompter_;
    Handler handler_;
};

// connect(OKBtn, &QPushButton::clicked, this, guarded(prompter_, [this] { OKBtnClick(); }));
template <class Handler>
GuardedHandler<Handler> guarded(quorvel::Prompter& prompter, Handler handler)
{
    return {prompter, std::move(handler)};
}
