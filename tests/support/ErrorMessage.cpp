#include "tests/support/ErrorMessage.h"

#include "foundation/NException.h"

std::string MessageOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const ENEException& error) {
        return error.Message().toStdString();
    }
    return "no error";
}
