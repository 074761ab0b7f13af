#include "retrieval/FetchPageText.h"

#include "retrieval/HttpSession.h"

std::string FetchPageText(const std::string& address, const FetchLimits& limits)
{
    // Destroyed in reverse order: the request is closed before the session.
    HttpSession session;
    HttpRequest request(session, address, limits);
    return request.ReadBody();
}
