#include "widgets/guarded_handler.h"

#include <exception>
#include <string>

void showCurrentError(quorvel::Prompter* prompter)
{
    std::string text;
    try {
        throw;
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    // An error box must never be empty: when the error says nothing, say what little is known.
    if (text.empty()) text = unexpectedErrorText;
    if (prompter) prompter->message("Error", text);
}
